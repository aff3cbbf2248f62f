#include "batch/FileGathering.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class tst_FileGathering : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void folderExample_data();
    void folderExample();
    void namedFilesAndMissingPaths();
    void linkCycleStops();
    void linksToFoldersFollowedDanglingSkipped();

private:
    QString touch(const QString &relative);
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_FileGathering::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
}

QString tst_FileGathering::touch(const QString &relative)
{
    const QString path = m_dir->filePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    return path;
}

void tst_FileGathering::folderExample_data()
{
    QTest::addColumn<bool>("check");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("extension checked") << true << QStringList{"a.PNG", "b.png", "sub/d.png", "sub/e.Png"};
    QTest::newRow("extension not checked")
        << false << QStringList{"a.PNG", "b.png", "c.jpg", "noext", "sub/d.png", "sub/e.Png", "x.png.bak"};
}

void tst_FileGathering::folderExample()
{
    QFETCH(bool, check);
    QFETCH(QStringList, expected);
    for (const char *f : {"a.PNG", "b.png", "c.jpg", ".hidden.png", "sub/d.png", "sub/e.Png", ".hidden/f.png", "x.png.bak", "noext"})
        touch(QString::fromLatin1(f));
    QStringList files;
    appendGatheredFiles(files, {m_dir->path()}, check);
    QStringList relative;
    for (const QString &f : files)
        relative << QDir(m_dir->path()).relativeFilePath(f);
    QCOMPARE(relative, expected);
}

void tst_FileGathering::namedFilesAndMissingPaths()
{
    const QString b = touch(QStringLiteral("b.png"));
    const QString a = touch(QStringLiteral("a.png"));
    const QString jpg = touch(QStringLiteral("c.jpg"));
    QStringList files{m_dir->filePath(QStringLiteral("z.png"))}; // already in the list
    appendGatheredFiles(files, {b, m_dir->filePath(QStringLiteral("missing.png")), a, jpg, a}, true);
    QCOMPARE(files, (QStringList{a, a, b, m_dir->filePath(QStringLiteral("z.png"))}));
}

void tst_FileGathering::linkCycleStops()
{
    touch(QStringLiteral("top/one.png"));
    touch(QStringLiteral("top/inner/two.png"));
    QVERIFY(QFile::link(m_dir->filePath(QStringLiteral("top")), m_dir->filePath(QStringLiteral("top/inner/back"))));
    QStringList files;
    appendGatheredFiles(files, {m_dir->filePath(QStringLiteral("top"))}, true);
    QCOMPARE(files, (QStringList{m_dir->filePath(QStringLiteral("top/inner/two.png")), m_dir->filePath(QStringLiteral("top/one.png"))}));
}

void tst_FileGathering::linksToFoldersFollowedDanglingSkipped()
{
    touch(QStringLiteral("elsewhere/photo.png"));
    QDir().mkpath(m_dir->filePath(QStringLiteral("batch")));
    QVERIFY(QFile::link(m_dir->filePath(QStringLiteral("elsewhere")), m_dir->filePath(QStringLiteral("batch/linked"))));
    QVERIFY(QFile::link(m_dir->filePath(QStringLiteral("nowhere.png")), m_dir->filePath(QStringLiteral("batch/dangling.png"))));
    QStringList files;
    appendGatheredFiles(files, {m_dir->filePath(QStringLiteral("batch"))}, true);
    QCOMPARE(files, QStringList{m_dir->filePath(QStringLiteral("batch/linked/photo.png"))});
    QVERIFY(hasPngExtension(QStringLiteral("/x/Y.PnG")));
    QVERIFY(!hasPngExtension(QStringLiteral("/x/png")));
}

QTEST_GUILESS_MAIN(tst_FileGathering)
#include "tst_FileGathering.moc"
