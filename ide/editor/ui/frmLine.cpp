// The Go To Line dialog and command.
#include "editor/ui/frmLine.h"

#include "editor/LineNumber.h"
#include "editor/ui/SourceEdit.h"
#include "editor/ui/frmEditor.h"
#include "shell/ViewRegistry.h"
#include "shell/frmMain.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QPointer>
#include <QVBoxLayout>

namespace zelk {

frmLine::frmLine(frmMain& m) : QDialog(&m), main_(m)
{
    setObjectName(QStringLiteral("frmLine"));
    setWindowTitle(QStringLiteral("Go To Line"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    lbLine = new QLabel(QStringLiteral("Line Number:"));
    lbLine->setObjectName(QStringLiteral("lbLine"));
    txtLine = new QLineEdit;
    txtLine->setObjectName(QStringLiteral("txtLine"));
    txtLine->setMaxLength(LineNumberDigits);
    lbLine->setBuddy(txtLine);
    cmdOK = new QPushButton(QStringLiteral("OK"));
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdCancel = new QPushButton(QStringLiteral("Cancel"));
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    // Enter is OK only while txtLine holds something: no default button.
    for (QPushButton* b : {cmdOK, cmdCancel}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    auto* row = new QHBoxLayout;
    row->addWidget(lbLine);
    row->addWidget(txtLine, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* all = new QVBoxLayout(this);
    all->addLayout(row);
    all->addLayout(buttons);
    all->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOK, &QPushButton::clicked, this, &frmLine::cmdOKClick);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(txtLine, &QLineEdit::returnPressed, this, [this] {
        if (!txtLine->text().isEmpty())
            cmdOKClick();
    });
    txtLine->setFocus();
}

void frmLine::cmdOKClick()
{
    const QString t = txtLine->text();
    const auto value = parseLineNumber({QStringView(t).utf16(), std::size_t(t.size())});
    if (!value) {
        txtLine->clear();
        main_.message("Tarvine - Go To Line", "Please Enter an Integer (1 .. 999999999) !", MessageIcon::Information);
        txtLine->setFocus();
        return;
    }
    line_ = *value - 1;
    accept();
}

void mnuEditGoToLine(frmMain& m)
{
    QPointer<frmEditor> e = activeEditor(m);
    if (!e)
        return;
    frmLine dlg(m);
    const bool ok = dlg.exec() == QDialog::Accepted;
    // The dialog's own event loop may have closed the editor.
    if (!e)
        return;
    // Closed either way: the editor gets the focus back (and its window the
    // activation, which a window manager does not always return).
    m.activateWindow();
    if (ok)
        e->goToLine(dlg.line());
    else
        e->Text->setFocus();
}

namespace {

void installGoToLine(frmMain& m)
{
    frmMain* mp = &m;
    m.setCommand(QStringLiteral("mnuEditGoToLine"), [mp] { mnuEditGoToLine(*mp); });
}

} // namespace

ZELK_REGISTER_EXTENSION(goToLine, installGoToLine);

} // namespace zelk
