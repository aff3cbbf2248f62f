#include "windowkit/Prompts.h"

#include "core/Strings.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

Prompts::Handler &handler()
{
    static Prompts::Handler h;
    return h;
}

QString pngFilter()
{
    return localizedString("PngFileFilter");
}

} // namespace

void Prompts::setHandler(Handler h)
{
    handler() = std::move(h);
}

QVariant Prompts::ask(const Request &request, const std::function<QVariant()> &show)
{
    return handler() ? handler()(request) : show();
}

Prompts::SaveChoice Prompts::askSaveChanges(QWidget *parent, const QString &fileName)
{
    const QString text = localizedString("SaveChangesQuery").arg(fileName);
    const QString detail = localizedString("SaveChangesInfo");
    if (handler())
        return SaveChoice(handler()({ Kind::SaveChanges, text, detail }).toInt());
    QMessageBox box(
        QMessageBox::Warning, fileName, text, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setWindowModality(Qt::WindowModal);
    box.setInformativeText(detail);
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
    case QMessageBox::Save:
        return SaveChoice::Save;
    case QMessageBox::Discard:
        return SaveChoice::Discard;
    default:
        return SaveChoice::Cancel;
    }
}

bool Prompts::askRevert(QWidget *parent, const QString &fileName)
{
    const QString text = localizedString("RevertQuery").arg(fileName);
    const QString detail = localizedString("RevertInfo");
    if (handler())
        return handler()({ Kind::RevertChanges, text, detail }).toBool();
    return confirm(parent, text, detail);
}

bool Prompts::confirm(QWidget *parent, const QString &text, const QString &detail, const QString &confirmLabel)
{
    if (handler())
        return handler()({ Kind::Confirm, text, detail }).toBool();
    QMessageBox box(QMessageBox::Warning, QString(), text, QMessageBox::NoButton, parent);
    box.setWindowModality(Qt::WindowModal);
    box.setInformativeText(detail);
    QPushButton *yes
        = box.addButton(confirmLabel.isEmpty() ? localizedString("Continue") : confirmLabel, QMessageBox::AcceptRole);
    // The desktop's button order puts the confirming button where its primary button goes.
    // Return keeps things as they are; confirming takes a deliberate choice.
    box.setDefaultButton(box.addButton(localizedString("Cancel"), QMessageBox::RejectRole));
    box.exec();
    return box.clickedButton() == yes;
}

void Prompts::showError(QWidget *parent, const QString &text, const QString &reason)
{
    // The reason stands below the message as a sentence of its own.
    const QString detail = asSentence(shownText(reason));
    if (handler()) {
        handler()({ Kind::Error, text, detail });
        return;
    }
    QMessageBox box(QMessageBox::Critical, QString(), text, QMessageBox::Ok, parent);
    box.setWindowModality(Qt::WindowModal);
    box.setInformativeText(detail);
    box.exec();
}

void Prompts::showInformation(QWidget *parent, const QString &text, const QString &detail)
{
    if (handler()) {
        handler()({ Kind::Information, text, detail });
        return;
    }
    QMessageBox box(QMessageBox::Information, QString(), text, QMessageBox::Ok, parent);
    box.setWindowModality(Qt::WindowModal);
    // A long report goes into the detail area, where it can be selected and copied.
    if (detail.count(u'\n') > 3)
        box.setDetailedText(detail);
    else
        box.setInformativeText(detail);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box.exec();
}

void Prompts::showReport(QWidget *parent, const QString &text, const QString &detail, const QString &report)
{
    if (handler()) {
        handler()({ Kind::Report, text, detail, {}, report });
        return;
    }
    QDialog dialog(parent);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setWindowTitle(text);
    auto *heading = new QLabel(QStringLiteral("<b>%1</b>").arg(text.toHtmlEscaped()));
    auto *summary = new QLabel(detail);
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    auto *area = new QPlainTextEdit(report);
    area->setObjectName(QStringLiteral("reportText"));
    area->setReadOnly(true);
    area->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    area->setLineWrapMode(QPlainTextEdit::NoWrap);
    area->setAccessibleName(localizedString("ReportText"));
    area->setVisible(!report.isEmpty());
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    QPushButton *copy = buttons->addButton(localizedString("CopyReport"), QDialogButtonBox::ActionRole);
    copy->setObjectName(QStringLiteral("copyReportButton"));
    QObject::connect(copy, &QPushButton::clicked, &dialog, [&] {
        QGuiApplication::clipboard()->setText(report.isEmpty() ? detail : detail + QStringLiteral("\n\n") + report);
    });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(heading);
    layout->addWidget(summary);
    layout->addWidget(area, 1);
    layout->addWidget(buttons);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    buttons->button(QDialogButtonBox::Ok)->setFocus();
    if (!report.isEmpty())
        dialog.resize(640, 420);
    dialog.exec();
}

QStringList Prompts::openFileNames(QWidget *parent)
{
    return openFileNames(parent, localizedString("OpenImages"), { pngFilter() });
}

QStringList Prompts::openFileNames(QWidget *parent, const QString &caption, const QStringList &filters)
{
    if (handler())
        return handler()({ Kind::OpenFiles, QString(), caption, filters }).toStringList();
    return QFileDialog::getOpenFileNames(parent, caption, QString(), filters.join(QStringLiteral(";;")));
}

QString Prompts::folderName(QWidget *parent, const QString &caption)
{
    if (handler())
        return handler()({ Kind::OpenFolder, QString(), caption }).toString();
    return QFileDialog::getExistingDirectory(parent, caption);
}

QString Prompts::saveFileName(QWidget *parent, const QString &suggestedPath)
{
    return saveFileName(parent, localizedString("SaveImageAs"), suggestedPath, { pngFilter() });
}

QString Prompts::saveFileName(
    QWidget *parent, const QString &caption, const QString &suggestedPath, const QStringList &filters)
{
    if (handler())
        return handler()({ Kind::SaveFile, suggestedPath, caption, filters }).toString();
    return QFileDialog::getSaveFileName(parent, caption, suggestedPath, filters.join(QStringLiteral(";;")));
}
