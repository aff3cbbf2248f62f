#include "DurableCallLog.h"
#include "TestSupport.h"

#include "core/SafeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace TestSupport;

Q_DECLARE_METATYPE(WriteFailures)

// Every file the application writes (PNG files and side files) goes through this writer, so
// its failure paths are tested here once: whichever step fails, the target must be as it was,
// byte for byte, with nothing left beside it.
class tst_SafeFile : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    // Everything in a folder, hidden files included.
    static QStringList entries(const QString &folder)
    {
        return QDir(folder).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }
    QStringList inAAndB() const { return entries(m_dir->filePath(u"a"_qs)) + entries(m_dir->filePath(u"b"_qs)); }
    static mode_t modeOf(const QString &path)
    {
        struct stat st;
        return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : mode_t(-1);
    }
    static bool save(const QString &path, const QByteArray &contents, QString *error = nullptr)
    {
        AtomicFileWriter file(path);
        const bool ok = file.open() && file.write(contents.constData(), contents.size()) && file.commit();
        if (error)
            *error = file.errorString();
        return ok;
    }

private Q_SLOTS:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void cleanup()
    {
        setWriteFailures({});
        m_dir.reset();
    }

    void failedStepLeavesTargetAsItWas_data()
    {
        QTest::addColumn<WriteFailures>("failures");
        QTest::addColumn<qint64>("size"); // bytes written
        QTest::addColumn<QString>("reason");
        const qint64 large = 3 << 20; // more than the writer buffers
        for (const bool existing : { true, false }) {
            const auto row = [&](const char *name, const WriteFailures &failures, qint64 size, const char *reason) {
                QTest::addRow("%s, %s file", name, existing ? "existing" : "new")
                    << failures << size << QString(reason);
            };
            row("no space from the first byte", { 0, false, false, false }, 100, "space");
            row("no space part-way through a large write", { large / 2, false, false, false }, large, "space");
            row("no space in the last bytes", { 99, false, false, false }, 100, "space");
            row("the file cannot be flushed", { -1, true, false, false }, large, "flushing the file");
            row("the rename fails", { -1, false, true, false }, 100, "replacing");
            row("the folder cannot be flushed after the rename", { -1, false, false, true }, 100,
                "flushing the folder");
        }
    }
    void failedStepLeavesTargetAsItWas()
    {
        QFETCH(WriteFailures, failures);
        QFETCH(qint64, size);
        QFETCH(QString, reason);
        const bool existing = QString::fromLatin1(QTest::currentDataTag()).endsWith(u"existing file");
        const QString path = m_dir->filePath(QStringLiteral("target.bin"));
        const QByteArray original("the original contents\n");
        if (existing) {
            QVERIFY(writeFile(path, original));
            QVERIFY(
                QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
        }
        const QStringList before = entries(m_dir->path());

        setWriteFailures(failures);
        const QByteArray contents(size, 'n');
        AtomicFileWriter file(path);
        QVERIFY2(file.open(), qPrintable(file.errorString()));
        // Written in pieces of different sizes, as the PNG writer does.
        bool ok = true, small = true;
        for (qint64 at = 0; ok && at < size; small = !small) {
            const qint64 n = std::min(size - at, small ? qint64(7) : qint64(1) << 20);
            ok = file.write(contents.constData() + at, n);
            at += n;
        }
        QVERIFY(!(ok && file.commit()));
        QVERIFY2(file.errorString().contains(reason), qPrintable(file.errorString()));

        QCOMPARE(entries(m_dir->path()), before);
        if (existing) {
            QCOMPARE(readFile(path), original);
            QCOMPARE(modeOf(path), mode_t(0640));
        }
        // Nothing goes wrong once the failures are gone.
        setWriteFailures({});
        QVERIFY(save(path, contents));
        QCOMPARE(readFile(path), contents);
        QCOMPARE(entries(m_dir->path()), QStringList { QStringLiteral("target.bin") });
    }

    // A group commit: whichever shared step fails, every target stays as it was.
    void groupFailedStepLeavesEveryTargetAsItWas_data()
    {
        QTest::addColumn<WriteFailures>("failures");
        QTest::addColumn<QString>("reason");
        QTest::newRow("the files cannot be flushed") << WriteFailures { -1, true, false, false } << "flushing the file";
        QTest::newRow("the renames fail") << WriteFailures { -1, false, true, false } << "replacing";
        QTest::newRow("the folders cannot be flushed after the renames")
            << WriteFailures { -1, false, false, true } << "flushing the folder";
    }
    void groupFailedStepLeavesEveryTargetAsItWas()
    {
        QFETCH(WriteFailures, failures);
        QFETCH(QString, reason);
        // Two folders, existing and new files.
        const QStringList paths { m_dir->filePath(QStringLiteral("a/one.bin")),
            m_dir->filePath(QStringLiteral("a/new.bin")), m_dir->filePath(QStringLiteral("b/two.bin")) };
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("a")) && QDir(m_dir->path()).mkpath(QStringLiteral("b")));
        QVERIFY(writeFile(paths[0], "first original") && writeFile(paths[2], "second original"));
        QVERIFY(QFile::setPermissions(paths[0], QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        const QStringList before = inAAndB();

        setWriteFailures(failures);
        AtomicFileGroup group;
        for (const QString &path : paths) {
            auto file = std::make_unique<AtomicFileWriter>(path);
            QVERIFY(file->open() && file->write("new contents", 12));
            QVERIFY(group.add(file));
        }
        QCOMPARE(std::pair(group.size(), group.bytes()), std::pair(3, qint64(36)));
        const QStringList results = group.commit();
        QVERIFY(group.isEmpty());
        QCOMPARE(results.filter(reason), results); // one reason per file
        QCOMPARE(results.size(), 3);
        QCOMPARE(readFile(paths[0]), QByteArray("first original"));
        QCOMPARE(readFile(paths[2]), QByteArray("second original"));
        QCOMPARE(modeOf(paths[0]), mode_t(0600));
        QCOMPARE(inAAndB(), before);
    }

    // No power cut can leave a target empty or in part: every file's data reach the disk
    // before it is renamed over its target, and its folder is flushed after the rename (a
    // group's once, after the renames in it). Judged on the system calls themselves.
    void eachFileIsDurableBeforeItReplacesTheTarget_data()
    {
        QTest::addColumn<QStringList>("names"); // more than one: a group
        QTest::addColumn<bool>("existing");
        QTest::newRow("a save over a file") << QStringList { "a/1" } << true;
        QTest::newRow("a new file") << QStringList { "a/1" } << false;
        QTest::newRow("a group in two folders") << QStringList { "a/1", "b/2", "a/3", "a/4" } << true;
        QTest::newRow("a group of new files") << QStringList { "a/1", "a/2" } << false;
    }
    void eachFileIsDurableBeforeItReplacesTheTarget()
    {
        QFETCH(QStringList, names);
        QFETCH(bool, existing);
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("a")) && QDir(m_dir->path()).mkpath(QStringLiteral("b")));
        DurableCallLog log;
        AtomicFileGroup group;
        for (const QString &name : names) {
            if (existing)
                QVERIFY(writeFile(m_dir->filePath(name), "old"));
            if (names.size() == 1) {
                QVERIFY(save(m_dir->filePath(name), "new"));
                continue;
            }
            auto file = std::make_unique<AtomicFileWriter>(m_dir->filePath(name));
            QVERIFY(file->open() && file->write("new", 3));
            QVERIFY(group.add(file));
        }
        if (names.size() > 1) {
            // A file whose writing failed is never taken into the group.
            setWriteFailureAfterBytes(1);
            auto failing = std::make_unique<AtomicFileWriter>(m_dir->filePath(QStringLiteral("a/5")));
            QVERIFY(failing->open());
            QVERIFY(!failing->write("new", 3) || !group.add(failing));
            setWriteFailures({});
            QCOMPARE(group.commit(), QStringList(names.size(), QString()));
        }
        for (const QString &name : names)
            QCOMPARE(readFile(m_dir->filePath(name)), QByteArray("new"));
        QCOMPARE(log.count(DurableCall::Rename), int(names.size()));
        const QString wrong = log.violation();
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
        // One folder flush per folder; a group flushes its data once for the file system.
        if (names.size() > 1) {
            QCOMPARE(log.count(DurableCall::FolderFlush), names.contains(u"b/2"_qs) ? 2 : 1);
            QCOMPARE(log.count(DurableCall::FileSystemFlush) + log.count(DurableCall::FileFlush), 1);
        }
        // Nothing beside the targets: no temporary file, no old version, not the failed a/5.
        QCOMPARE(inAAndB().size(), names.size());
    }

    void keepsPermissionsOrAppliesTheUmask_data()
    {
        QTest::addColumn<int>("existingMode"); // -1: a new file
        QTest::addColumn<int>("mask");
        QTest::addColumn<int>("expected");
        QTest::newRow("existing, private") << 0600 << 022 << 0600;
        QTest::newRow("existing, shared with the group") << 0664 << 077 << 0664;
        QTest::newRow("existing, executable") << 0755 << 022 << 0755;
        QTest::newRow("new, usual mask") << -1 << 022 << 0644;
        QTest::newRow("new, private mask") << -1 << 077 << 0600;
        QTest::newRow("new, group mask") << -1 << 027 << 0640;
    }
    void keepsPermissionsOrAppliesTheUmask()
    {
        QFETCH(int, existingMode);
        QFETCH(int, mask);
        const QString path = m_dir->filePath(QStringLiteral("mode.bin"));
        if (existingMode >= 0) {
            QVERIFY(writeFile(path, "old"));
            QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(existingMode)), 0);
        }
        const mode_t previous = ::umask(mode_t(mask));
        QString error;
        const bool ok = save(path, "new", &error);
        ::umask(previous);
        QVERIFY2(ok, qPrintable(error));
        QTEST(int(modeOf(path)), "expected");
    }

    // Paths under a folder ro, made read-only before the save, and a writable one rw. real is
    // the file the save should write (it holds "old"); setup makes a link "name>target", a
    // FIFO at the path, or the real file read-only.
    void linksAreFollowedBeforeChecking_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("real");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("reason"); // empty: the save succeeds
        const auto row
            = [](const char *name, const QString &path, const QString &real, const char *setup, const char *reason) {
                  QTest::newRow(name) << path << real << QString(setup) << QString(reason);
              };
        row("link in a read-only folder to a file in a writable one", "ro/link.png", "rw/real.png",
            "ro/link.png>rw/real.png", "");
        row("link in a writable folder to a file in a read-only one", "rw/link.png", "ro/real.png",
            "rw/link.png>ro/real.png", "read-only");
        row("the folder reached through a link is read-only", "rw/dir/real.png", "ro/real.png", "rw/dir>ro",
            "read-only");
        row("a link that leads nowhere", "rw/link.png", "", "rw/link.png>rw/nothing.png", "link");
        row("a read-only file", "rw/real.png", "rw/real.png", "read-only", "read-only");
        const QString longName = "rw/" + QString(250, u'n');
        row("a name too long for a temporary name beside it", longName, longName, "", "");
        row("a FIFO", "rw/fifo.png", "", "fifo", "regular file");
        row("a folder", "rw", "", "", "folder");
        row("a missing folder", "missing/x.png", "", "", "does not exist");
    }

    void linksAreFollowedBeforeChecking()
    {
        QFETCH(QString, path);
        QFETCH(QString, real);
        QFETCH(QString, setup);
        QFETCH(QString, reason);
        const QDir base(m_dir->path());
        const QString ro = base.filePath(QStringLiteral("ro")), rw = base.filePath(QStringLiteral("rw"));
        QVERIFY(QDir().mkpath(ro) && QDir().mkpath(rw));
        path = base.filePath(path);
        if (!real.isEmpty())
            QVERIFY(writeFile(real = base.filePath(real), "old"));
        if (setup.contains(u'>'))
            QVERIFY(QFile::link(base.filePath(setup.section(u'>', 1)), base.filePath(setup.section(u'>', 0, 0))));
        else if (setup == u"fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (setup == u"read-only")
            QVERIFY(QFile::setPermissions(real, QFileDevice::ReadOwner));
        QVERIFY(QFile::setPermissions(ro, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const QStringList roBefore = entries(ro), rwBefore = entries(rw);

        QString checked, error;
        const bool allowed = checkReplaceable(path, &checked);
        const bool saved = save(path, "new", &error);
        QVERIFY(QFile::setPermissions(ro, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        QCOMPARE(allowed, saved);
        QCOMPARE(saved, reason.isEmpty());
        QVERIFY2(error.contains(reason) && checked.contains(reason), qPrintable(error + u" / "_qs + checked));
        if (!real.isEmpty())
            QCOMPARE(readFile(real), QByteArray(saved ? "new" : "old"));
        if (saved)
            QCOMPARE(QFileInfo(path).isSymLink(), path != real);
        QCOMPARE(entries(ro), roBefore);
        QCOMPARE(entries(rw), rwBefore);
    }

    void setIdBitsOnlyWithTheirOwner_data()
    {
        QTest::addColumn<uint>("owner"); // of the file, user and group
        QTest::addColumn<bool>("asNobody"); // saved by an unprivileged user rather than root
        QTest::addColumn<int>("expectedMode");
        QTest::addColumn<uint>("expectedOwner");
        QTest::newRow("root keeps another user's owner: the bits stay") << 1234u << false << 06777 << 1234u;
        QTest::newRow("a user saves their own file: the bits stay") << 65534u << true << 06777 << 65534u;
        QTest::newRow("a user cannot keep another's owner: the bits go") << 1234u << true << 0777 << 65534u;
    }
    void setIdBitsOnlyWithTheirOwner()
    {
        if (::geteuid() != 0)
            QSKIP("needs root to create a file that belongs to another user");
        QFETCH(uint, owner);
        QFETCH(bool, asNobody);
        const QString path = m_dir->filePath(QStringLiteral("tool"));
        QVERIFY(writeFile(path, "#!/bin/sh\n"));
        const QByteArray encoded = QFile::encodeName(path);
        QCOMPARE(::chown(encoded.constData(), owner, owner), 0);
        QCOMPARE(::chmod(encoded.constData(), 06777), 0);
        QCOMPARE(::chmod(QFile::encodeName(m_dir->path()).constData(), 0777), 0);

        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            if (asNobody && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
                ::_exit(2);
            ::_exit(save(path, "#!/bin/sh\nexit 0\n") ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        struct stat st;
        QCOMPARE(::stat(encoded.constData(), &st), 0);
        QTEST(int(st.st_mode & 07777), "expectedMode");
        QTEST(uint(st.st_uid), "expectedOwner");
        QCOMPARE(readFile(path), QByteArray("#!/bin/sh\nexit 0\n"));
    }
};

QTEST_GUILESS_MAIN(tst_SafeFile)
#include "tst_SafeFile.moc"
