#include "commentlist/widgets/Prompts.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
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
        QCOMPARE(roles.value(QStringLiteral("Continue")), QMessageBox::AcceptRole);
        QCOMPARE(roles.value(QStringLiteral("Cancel")), QMessageBox::RejectRole);
        QCOMPARE(roles.size(), 2);
        QCOMPARE(defaultButton, QStringLiteral("Cancel"));

        whenShown<QMessageBox>([](QMessageBox *box) {
            for (QAbstractButton *b : box->buttons()) {
                if (box->buttonRole(b) == QMessageBox::AcceptRole)
                    b->click();
            }
        });
        QVERIFY(Prompts::confirm(&window, QStringLiteral("Restore?"), QString(), QStringLiteral("Restore")));
    }

    void askTextGivesNullWhenCancelled()
    {
        QWidget window;
        window.show();
        whenShown<QInputDialog>([](QInputDialog *dialog) {
            dialog->setTextValue(QStringLiteral("Holiday"));
            dialog->accept();
        });
        QCOMPARE(Prompts::askText(&window, QStringLiteral("New Template"), QStringLiteral("Name:")),
            QStringLiteral("Holiday"));

        whenShown<QInputDialog>([](QInputDialog *dialog) { dialog->reject(); });
        QVERIFY(Prompts::askText(&window, QStringLiteral("New Template"), QStringLiteral("Name:"), QStringLiteral("x"))
                    .isNull());

        // Confirmed empty is not cancelled.
        whenShown<QInputDialog>([](QInputDialog *dialog) {
            dialog->setTextValue(QString());
            dialog->accept();
        });
        const QString empty = Prompts::askText(&window, QStringLiteral("New Template"), QStringLiteral("Name:"));
        QVERIFY(!empty.isNull());
        QVERIFY(empty.isEmpty());
    }

    void handlerAnswersInsteadOfADialog()
    {
        QList<Prompts::Request> asked;
        Prompts::setHandler([&](const Prompts::Request &request) -> QVariant {
            asked << request;
            return request.kind == Prompts::Kind::Confirm ? QVariant(true) : QVariant(QStringLiteral("/tmp/x.csv"));
        });
        QVERIFY(Prompts::confirm(nullptr, QStringLiteral("Sure?"), QStringLiteral("Really.")));
        QCOMPARE(Prompts::saveFileName(
                     nullptr, QStringLiteral("Export"), QStringLiteral("/tmp/a"), { QStringLiteral("CSV (*.csv)") }),
            QStringLiteral("/tmp/x.csv"));
        Prompts::setHandler({});
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked[0].kind, Prompts::Kind::Confirm);
        QCOMPARE(asked[0].detail, QStringLiteral("Really."));
        QCOMPARE(asked[1].kind, Prompts::Kind::SaveFile);
        QCOMPARE(asked[1].filters, QStringList({ QStringLiteral("CSV (*.csv)") }));
    }
};

QTEST_MAIN(tst_Prompts)
#include "tst_Prompts.moc"
