#include "document/widgets/Prompts.h"

#include "core/Strings.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

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

Prompts::SaveChoice Prompts::askSaveChanges(QWidget *parent, const QString &fileName)
{
    const QString text = localizedString("SaveChangesQuery").arg(fileName);
    const QString detail = localizedString("SaveChangesInfo");
    if (handler())
        return SaveChoice(handler()({ Kind::SaveChanges, text, detail }).toInt());
    QMessageBox box(
        QMessageBox::Warning, fileName, text, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
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
    QMessageBox box(QMessageBox::Warning, fileName, text, QMessageBox::NoButton, parent);
    box.setInformativeText(detail);
    QPushButton *revert = box.addButton(localizedString("Continue"), QMessageBox::DestructiveRole);
    // Return keeps the edits; reverting takes a deliberate choice.
    box.setDefaultButton(box.addButton(localizedString("Cancel"), QMessageBox::RejectRole));
    box.exec();
    return box.clickedButton() == revert;
}

void Prompts::showError(QWidget *parent, const QString &text, const QString &detail)
{
    if (handler()) {
        handler()({ Kind::Error, text, detail });
        return;
    }
    QMessageBox box(QMessageBox::Critical, QString(), text, QMessageBox::Ok, parent);
    box.setInformativeText(detail);
    box.exec();
}

QStringList Prompts::openFileNames(QWidget *parent)
{
    if (handler())
        return handler()({ Kind::OpenFiles, QString(), QString() }).toStringList();
    return QFileDialog::getOpenFileNames(parent, localizedString("OpenImages"), QString(), pngFilter());
}

QString Prompts::saveFileName(QWidget *parent, const QString &suggestedPath)
{
    if (handler())
        return handler()({ Kind::SaveFile, suggestedPath, QString() }).toString();
    return QFileDialog::getSaveFileName(parent, localizedString("SaveImageAs"), suggestedPath, pngFilter());
}
