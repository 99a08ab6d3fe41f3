// The shared dialog fields, the symbol table the dialogs read, and the one
// call per dialog that callers use.
#include "views/ui/DialogShared.h"

#include "editor/SymbolTable.h"
#include "shell/frmMain.h"
#include "views/ui/frmAddress.h"
#include "views/ui/frmEnterVal.h"
#include "views/ui/frmMemAdr.h"
#include "views/ui/frmWatchAdr.h"

#include <QMessageBox>

namespace zelk {

namespace {
SymbolTable* g_symbols = nullptr;

QWidget* ownerOf(QWidget* parent)
{
    if (parent)
        return parent;
    return frmMain::instance();
}
} // namespace

DialogFields& dialogFields()
{
    static DialogFields fields;
    return fields;
}

SymbolTable& sharedSymbols()
{
    static SymbolTable builtIn;
    return g_symbols ? *g_symbols : builtIn;
}

void setSharedSymbols(SymbolTable* table) { g_symbols = table; }

void dialogMessage(QWidget* parent, const QString& caption, const QString& text, MessageIcon icon)
{
    if (frmMain* m = frmMain::instance()) {
        m->message(caption.toStdString(), text.toStdString(), icon);
        return;
    }
    QMessageBox box(icon == MessageIcon::Exclamation ? QMessageBox::Warning : QMessageBox::Information, caption,
                    text, QMessageBox::Ok, parent);
    box.exec();
}

bool EnterValue(QWidget* parent, const QString& name, const QString& text, bool isWord, int32_t& value,
                int helpContext)
{
    DialogFields& f = dialogFields();
    f.DialogOK = false;
    f.DialogName = name.toStdString();
    f.DialogText = text.toStdString();
    f.DialogIsWord = isWord;
    frmEnterVal dlg(f, ownerOf(parent));
    dlg.setHelpContext(helpContext);
    dlg.exec();
    if (f.DialogOK)
        value = f.DialogValue;
    return f.DialogOK;
}

bool GoToAddress(QWidget* parent, int32_t& address, int helpContext)
{
    DialogFields& f = dialogFields();
    f.DialogOK = false;
    frmAddress dlg(f, ownerOf(parent));
    dlg.setHelpContext(helpContext);
    dlg.exec();
    if (f.DialogOK)
        address = f.DialogValue;
    return f.DialogOK;
}

bool MemoryDisplayAddress(QWidget* parent, int32_t& address)
{
    DialogFields& f = dialogFields();
    f.DialogOK = false;
    frmMemAdr dlg(f, ownerOf(parent));
    dlg.exec();
    if (f.DialogOK)
        address = f.DialogAddress;
    return f.DialogOK;
}

bool WatchAddress(QWidget* parent, const QString& text, int32_t& address, QString& name, bool& isWord,
                  int helpContext)
{
    DialogFields& f = dialogFields();
    f.DialogOK = false;
    f.DialogText = text.toStdString();
    f.DialogIsWord = isWord;
    frmWatchAdr dlg(f, ownerOf(parent));
    dlg.setHelpContext(helpContext);
    dlg.exec();
    if (f.DialogOK) {
        address = f.DialogValue;
        name = QString::fromStdString(f.DialogName);
        isWord = f.DialogIsWord;
    }
    return f.DialogOK;
}

} // namespace zelk
