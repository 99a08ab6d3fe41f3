// The common frame of the number dialogs.
#include "views/ui/ValueDialog.h"

#include "shell/frmMain.h"
#include "views/ui/DialogShared.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zelk {

ValueDialog::ValueDialog(DialogFields& fields, QWidget* parent) : QDialog(parent), fields_(fields)
{
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setModal(true);
    cmdOK = new QPushButton(QStringLiteral("OK"));
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdCancel = new QPushButton(QStringLiteral("Cancel"));
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    // OK is the default button: Enter in the text box presses it, and an
    // empty box only gets the focus back (cmdOKClick decides).
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    cmdCancel->setAutoDefault(false);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOKClick(); });
    // Cancel leaves DialogOK as the caller set it.
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void ValueDialog::finishLayout(QLayout* body)
{
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addStretch(1);
    auto* top = new QHBoxLayout(this);
    top->addLayout(body, 1);
    top->addLayout(buttons);
}

void ValueDialog::layOutEntry(QLabel* label, const QString& labelName, QLineEdit* box, const QString& boxName,
                              int maxLength, QWidget* extra)
{
    label->setObjectName(labelName);
    box->setObjectName(boxName);
    box->setMaxLength(maxLength);
    label->setBuddy(box);

    auto* body = new QVBoxLayout;
    body->addWidget(label);
    body->addWidget(box);
    if (extra)
        body->addWidget(extra);
    body->addStretch(1);
    finishLayout(body);
    box->setFocus();
}

void ValueDialog::setHelpContext(int context) { setProperty("helpContext", context); }

int ValueDialog::helpContext() const { return property("helpContext").toInt(); }

QFont ValueDialog::fixedFont()
{
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    return f;
}

void ValueDialog::refuse(QLineEdit* box, const DialogCheck& check)
{
    box->clear();
    dialogMessage(this, QString::fromStdString(check.caption), QString::fromStdString(check.message),
                  MessageIcon::Information);
    box->setFocus();
}

bool ValueDialog::settle(QLineEdit* box, const DialogCheck& check, const std::function<void()>& beforeRefuse)
{
    switch (check.verdict) {
    case DialogVerdict::Refocus:
        box->setFocus();
        return false;
    case DialogVerdict::Refuse:
        if (beforeRefuse)
            beforeRefuse();
        refuse(box, check);
        return false;
    case DialogVerdict::Accept:
        break;
    }
    return true;
}

void ValueDialog::keyPressEvent(QKeyEvent* e)
{
    // The dialog is a window of its own: F1 asks the main window's help for
    // the dialog's context number here.
    if (e->key() == Qt::Key_F1 && e->modifiers() == Qt::NoModifier) {
        if (frmMain* m = frmMain::instance())
            m->showHelp(helpContext());
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

} // namespace zelk
