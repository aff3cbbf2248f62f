#pragma once

#include <QDialog>

#include <functional>

class QLineEdit;

// The sheet that asks for a new template's name: window-modal on the template editor,
// opened without blocking. OK asks the name check; a refused name keeps the sheet open
// (the check shows any alert itself). Cancel or Escape closes it without a template.
//
// Children carry object names for tests: newTemplateNameField, okButton, cancelButton.
class NewTemplateSheet : public QDialog
{
    Q_OBJECT

public:
    using NameCheck = std::function<bool(const QString &name)>;
    NewTemplateSheet(NameCheck check, QWidget *parent);

    QString name() const;
    // Shows the sheet with an empty name field.
    void ask();

public slots:
    void accept() override;

signals:
    void nameChosen(const QString &name);

private:
    NameCheck m_check;
    QLineEdit *m_nameField = nullptr;
};
