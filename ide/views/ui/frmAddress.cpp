// The Go To Address dialog.
#include "views/ui/frmAddress.h"

#include "editor/SymbolTable.h"
#include "shell/frmMain.h"
#include "views/ui/DialogShared.h"

#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

namespace zelk {

frmAddress::frmAddress(DialogFields& fields, QWidget* parent, const SymbolTable* symbols)
    : ValueDialog(fields, parent), symbols_(symbols)
{
    setObjectName(QStringLiteral("frmAddress"));
    setWindowTitle(QStringLiteral("Go To Address"));

    lbAdr = new QLabel(QStringLiteral("Address:"));
    txtAdr = new QLineEdit;
    txtAdr->setFont(fixedFont());
    layOutEntry(lbAdr, QStringLiteral("lbAdr"), txtAdr, QStringLiteral("txtAdr"), GoToAddressMaxLength);
}

void frmAddress::cmdOKClick()
{
    const SymbolTable& table = symbols_ ? *symbols_ : sharedSymbols();
    const DialogCheck c = checkGoToAddress(txtAdr->text().toStdString(), table);
    const bool accepted = settle(txtAdr, c, [this] {
        fields_.DialogValue = -1;
        // The window the user was going to move comes to the front, so the
        // message is seen over it.
        if (frmMain* m = frmMain::instance())
            if (QMdiSubWindow* sub = m->mdiArea()->activeSubWindow())
                sub->raise();
    });
    if (!accepted)
        return;
    fields_.DialogValue = c.value;
    fields_.DialogOK = true;
    accept();
}

} // namespace zelk
