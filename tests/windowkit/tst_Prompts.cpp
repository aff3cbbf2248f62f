#include "windowkit/Prompts.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

// The real dialogs behind the test seam: buttons in the order the desktop expects, the
// safe choice as default, and the answers passed back.
class tst_Prompts : public QObject
{
    Q_OBJECT

    // Runs answer on the dialog that prompt opens, once it is up.
    template <typename Dialog> void whenShown(const std::function<void(Dialog *)> &answer)
    {
        QTimer::singleShot(0, this, [this, answer] {
            auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
            if (!dialog) {
                whenShown<Dialog>(answer); // not up yet
                return;
            }
            answer(dialog);
        });
    }

private slots:
    void confirmPutsTheConfirmingButtonFirstAndCancelAsDefault()
    {
        QWidget window;
        window.show();
        QMap<QString, QMessageBox::ButtonRole> roles;
        QString defaultButton;
        whenShown<QMessageBox>([&](QMessageBox *box) {
            for (QAbstractButton *b : box->buttons())
                roles.insert(b->text(), box->buttonRole(b));
            defaultButton = box->defaultButton()->text();
            box->defaultButton()->click();
        });
        QVERIFY(!Prompts::confirm(&window, QStringLiteral("Delete the template?"), QString()));
        // The desktop orders the buttons by their roles: Continue stands where the primary
        // button goes, Cancel where cancelling goes.
        const QMap<QString, QMessageBox::ButtonRole> expected { { QStringLiteral("Continue"), QMessageBox::AcceptRole },
            { QStringLiteral("Cancel"), QMessageBox::RejectRole } };
        QCOMPARE(roles, expected);
        QCOMPARE(defaultButton, QStringLiteral("Cancel"));

        whenShown<QMessageBox>([](QMessageBox *box) {
            for (QAbstractButton *b : box->buttons()) {
                if (box->buttonRole(b) == QMessageBox::AcceptRole)
                    b->click();
            }
        });
        QVERIFY(Prompts::confirm(&window, QStringLiteral("Restore?"), QString(), QStringLiteral("Restore")));
    }

    void reportShowsEverythingAndCopiesIt()
    {
        QWidget window;
        window.show();
        const QString summary = QStringLiteral("1 files were successfully processed.\nFailed: 40");
        QStringList lines { QStringLiteral("Failed files:") };
        for (int i = 0; i < 40; ++i)
            lines << QStringLiteral("/photos/%1.png: the file is read-only").arg(i);
        const QString report = lines.join(u'\n');
        QString shown, labels;
        bool modal = false;
        whenShown<QDialog>([&](QDialog *dialog) {
            modal = dialog->isModal() || dialog->windowModality() != Qt::NonModal;
            for (QLabel *label : dialog->findChildren<QLabel *>())
                labels += label->text() + u'\n';
            auto *area = dialog->findChild<QPlainTextEdit *>(QStringLiteral("reportText"));
            shown = area ? area->toPlainText() : QString();
            QVERIFY(area && area->isReadOnly());
            dialog->findChild<QPushButton *>(QStringLiteral("copyReportButton"))->click();
            dialog->accept();
        });
        QApplication::clipboard()->clear();
        Prompts::showReport(&window, QStringLiteral("Processing complete"), summary, report);
        QVERIFY(modal);
        QVERIFY(labels.contains(QStringLiteral("Processing complete")) && labels.contains(summary));
        QCOMPARE(shown, report); // every line, none hidden behind a button
        QCOMPARE(QApplication::clipboard()->text(), summary + QStringLiteral("\n\n") + report);
    }
};

QTEST_MAIN(tst_Prompts)
#include "tst_Prompts.moc"
