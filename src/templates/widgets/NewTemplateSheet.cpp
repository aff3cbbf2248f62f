#include "templates/widgets/NewTemplateSheet.h"

#include "core/Strings.h"
#include "windowkit/TextEditCommands.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

NewTemplateSheet::NewTemplateSheet(NameCheck check, QWidget *parent)
    : QDialog(parent)
    , m_check(std::move(check))
{
    setObjectName(QStringLiteral("newTemplateSheet"));
    setWindowTitle(localizedString("NewTemplateTitle"));
    setWindowModality(Qt::WindowModal);

    m_nameField = new QLineEdit;
    m_nameField->setObjectName(QStringLiteral("newTemplateNameField"));
    leaveAltLettersToCommands(m_nameField);
    auto *label = new QLabel(localizedString("NewTemplateName"));
    label->setBuddy(m_nameField);
    m_nameField->setAccessibleName(label->text().remove(u'&').remove(u':'));

    auto *buttons = new QDialogButtonBox;
    QPushButton *ok = buttons->addButton(localizedString("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    QPushButton *cancel = buttons->addButton(localizedString("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &NewTemplateSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &NewTemplateSheet::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_nameField);
    layout->addWidget(buttons);
}

QString NewTemplateSheet::name() const
{
    return m_nameField->text();
}

void NewTemplateSheet::ask()
{
    m_nameField->clear();
    open();
    m_nameField->setFocus(Qt::OtherFocusReason);
}

void NewTemplateSheet::accept()
{
    const QString chosen = name();
    if (m_check && !m_check(chosen)) {
        m_nameField->setFocus(Qt::OtherFocusReason);
        m_nameField->selectAll();
        return;
    }
    QDialog::accept();
    emit nameChosen(chosen);
}
