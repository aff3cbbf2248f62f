#include "TestSupport.h"
#include "batch/FileGathering.h"

#include <QtTest>

class tst_FileGathering : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestSupport::TempFolder> m_dir;

    QString path(const QString &relative) const { return m_dir->path(relative); }
    QString touch(const QString &relative) { return m_dir->write(relative); }
    // What appendGatheredFiles makes of files, relative to the temporary folder.
    QStringList gathered(const QStringList &paths, bool checkExtension = true, QStringList files = {})
    {
        appendGatheredFiles(files, paths, checkExtension);
        return m_dir->relative(files);
    }

private Q_SLOTS:
    void init() { m_dir = std::make_unique<TestSupport::TempFolder>(); }

    void folderExample_data()
    {
        QTest::addColumn<bool>("check");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("extension checked") << true << QStringList { "a.PNG", "b.png", "sub/d.png", "sub/e.Png" };
        QTest::newRow("extension not checked")
            << false << QStringList { "a.PNG", "b.png", "c.jpg", "noext", "sub/d.png", "sub/e.Png", "x.png.bak" };
    }
    void folderExample()
    {
        QFETCH(bool, check);
        for (const char *f : { "a.PNG", "b.png", "c.jpg", ".hidden.png", "sub/d.png", "sub/e.Png", ".hidden/f.png",
                 "x.png.bak", "noext" })
            touch(QString::fromLatin1(f));
        QTEST(gathered({ m_dir->path() }, check), "expected");
    }

    void namedFilesMissingPathsAndLinks()
    {
        const QString b = touch(QStringLiteral("b.png")), a = touch(QStringLiteral("a.png"));
        const QStringList named { b, path(QStringLiteral("missing.png")), a, touch(QStringLiteral("c.jpg")), a };
        // z.png is already in the list.
        QCOMPARE(gathered(named, true, { path(u"z.png"_qs) }), QStringList({ "a.png", "a.png", "b.png", "z.png" }));
        QVERIFY(!hasPngExtension(QStringLiteral("/x/png")));

        // Links: a cycle stops, folders are followed, dangling ones skipped.
        touch(QStringLiteral("top/one.png"));
        touch(QStringLiteral("top/inner/two.png"));
        touch(QStringLiteral("elsewhere/photo.png"));
        QVERIFY(QFile::link(path(QStringLiteral("top")), path(QStringLiteral("top/inner/back"))));
        QVERIFY(QFile::link(path(QStringLiteral("elsewhere")), path(QStringLiteral("top/linked"))));
        QVERIFY(QFile::link(path(QStringLiteral("nowhere.png")), path(QStringLiteral("top/dangling.png"))));
        QCOMPARE(gathered({ path(QStringLiteral("top")) }),
            QStringList({ "top/inner/two.png", "top/linked/photo.png", "top/one.png" }));
    }
};

QTEST_GUILESS_MAIN(tst_FileGathering)
#include "tst_FileGathering.moc"
