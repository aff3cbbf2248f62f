#include "shell/AppSettings.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class tst_AppSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("config"))));
        QCoreApplication::setOrganizationName(QStringLiteral("VelmoraTest"));
        QCoreApplication::setApplicationName(QStringLiteral("tst_AppSettings"));
    }
    void init() { QSettings().clear(); }

    void defaultsOnlyWhereTheUserHasNone()
    {
        QSettings settings;
        settings.setValue(QStringLiteral("importClearExistingMetadata"), true);
        settings.setValue(QStringLiteral("checkFileExtWhenAddingToBatchList"), false);
        AppSettings::registerDefaults(settings);
        QVariantList values;
        for (const char *key : { "importClearExistingMetadata", "checkFileExtWhenAddingToBatchList",
                 "importEnforceUniqueKeywords", "exportFormat" })
            values << settings.value(QString::fromLatin1(key));
        QCOMPARE(values, QVariantList({ true, false, false, u"Velmora Metadata XML File (velmx)"_qs }));
    }

    void exportFormatByDisplayName()
    {
        AppSettings::setExportFormat(MetadataFormat::Csv);
        QCOMPARE(
            QSettings().value(QStringLiteral("exportFormat")).toString(), QStringLiteral("Delimited Text File (csv)"));
        QCOMPARE(AppSettings::exportFormat(), MetadataFormat::Csv);
        QSettings().setValue(QStringLiteral("exportFormat"), QStringLiteral("something else"));
        QCOMPARE(AppSettings::exportFormat(), MetadataFormat::Velmx);
    }

    void recentFiles()
    {
        QTemporaryDir dir;
        QStringList paths;
        for (int i = 0; i < AppSettings::MaxRecentFiles + 2; ++i) {
            paths << dir.filePath(QStringLiteral("f%1.png").arg(i));
            QFile file(paths.last());
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        AppSettings::addRecentFile(paths[0]);
        AppSettings::addRecentFile(paths[1]);
        // The same file spelt another way moves to the front instead of coming twice.
        AppSettings::addRecentFile(dir.path() + QStringLiteral("/./f0.png"));
        QCOMPARE(AppSettings::recentFiles(), QStringList({ paths[0], paths[1] }));

        for (const QString &path : paths)
            AppSettings::addRecentFile(path);
        const QStringList newestFirst(paths.crbegin(), paths.crend());
        QCOMPARE(AppSettings::recentFiles(), newestFirst.first(AppSettings::MaxRecentFiles));

        AppSettings::removeRecentFile(paths.last());
        QCOMPARE(AppSettings::recentFiles().first(), paths[paths.size() - 2]);
        AppSettings::clearRecentFiles();
        QVERIFY(AppSettings::recentFiles().isEmpty());
    }

private:
    QTemporaryDir m_home;
};

QTEST_GUILESS_MAIN(tst_AppSettings)
#include "tst_AppSettings.moc"
