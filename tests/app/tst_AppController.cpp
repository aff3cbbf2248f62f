#include "TestSupport.h"
#include "app/AppController.h"
#include "core/Strings.h"
#include "document/PNGDoc.h"
#include "document/widgets/DocumentWindow.h"
#include "document/widgets/Prompts.h"

#include <QAction>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

class tst_AppController : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_a = m_dir->filePath(QStringLiteral("a.png"));
        m_b = m_dir->filePath(QStringLiteral("b.png"));
        QVERIFY(writeFile(m_a, simplePng(4, 4, { tEXt("Author", "Ann") })));
        QVERIFY(writeFile(m_b, simplePng(4, 4)));
    }
    void cleanup() { Prompts::setHandler({}); }

    void oneWindowPerFile()
    {
        AppController controller;
        const auto windows = controller.openFiles({ m_a, m_b, m_dir->filePath(QStringLiteral("missing.png")) });
        QCOMPARE(windows.size(), 3);
        QCOMPARE(windows[0]->windowTitle(), QStringLiteral("a.png[*]"));
        QCOMPARE(windows[0]->document()->rowCount(), 1);
        QVERIFY(windows[1]->isVisible());
        // A file that cannot be read still gets its window.
        QCOMPARE(windows[2]->findChild<QLabel *>(QStringLiteral("imageSizeField"))->text(),
            localizedString("ImageLoadFailed"));

        // An open file is not opened twice, however its path is spelt.
        const QString sameFile = m_dir->path() + QStringLiteral("/./b.png");
        QCOMPARE(controller.openFiles({ sameFile }), QList<DocumentWindow *> { windows[1] });
        QCOMPARE(controller.windows().size(), 3);

        windows[0]->close();
        QTRY_COMPARE(controller.windows().size(), 2);
        QCOMPARE(controller.openFiles({ m_a }).size(), 1);
        QCOMPARE(controller.windows().size(), 3);
    }

    void openDialog()
    {
        AppController controller;
        QStringList answer;
        int asked = 0;
        Prompts::setHandler([&](const Prompts::Request &request) {
            ++asked;
            return request.kind == Prompts::Kind::OpenFiles ? QVariant(answer) : QVariant();
        });
        QVERIFY(!controller.openWithDialog());
        QVERIFY(controller.windows().isEmpty());

        answer = QStringList { m_a };
        QVERIFY(controller.openWithDialog());
        QCOMPARE(controller.windows().size(), 1);

        // File ▸ Open… of a window asks the controller, several files at once.
        answer = QStringList { m_a, m_b };
        controller.windows().first()->findChild<QAction *>(QStringLiteral("openAction"))->trigger();
        QCOMPARE(asked, 3);
        QCOMPARE(controller.windows().size(), 2);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_a, m_b;
};

QTEST_MAIN(tst_AppController)
#include "tst_AppController.moc"
