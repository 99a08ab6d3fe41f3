// The Watch dialog.
#include "views/ui/frmWatchAdr.h"

#include "editor/SymbolTable.h"
#include "shell/frmMain.h"
#include "views/ui/DialogShared.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zelk {

frmWatchAdr::frmWatchAdr(DialogFields& fields, QWidget* parent, const SymbolTable* symbols)
    : ValueDialog(fields, parent), symbols_(symbols)
{
    setObjectName(QStringLiteral("frmWatchAdr"));
    setWindowTitle(QStringLiteral("Watch"));
    setHelpContext(350);

    txtAdr = new QLineEdit;
    txtAdr->setFont(fixedFont());

    auto* frame = new QGroupBox(QStringLiteral("Data Type"));
    optWord = new QRadioButton(QStringLiteral("&Word"));
    optWord->setObjectName(QStringLiteral("optWord"));
    optByte = new QRadioButton(QStringLiteral("&Byte"));
    optByte->setObjectName(QStringLiteral("optByte"));
    (fields_.DialogIsWord ? optWord : optByte)->setChecked(true);
    auto* types = new QHBoxLayout(frame);
    types->addWidget(optWord);
    types->addWidget(optByte);

    layOutEntry(new QLabel(QStringLiteral("&Address:")), QStringLiteral("lbAdr"), txtAdr, QStringLiteral("txtAdr"),
                WatchAddressMaxLength, frame);
    txtAdr->setText(QString::fromStdString(fields_.DialogText));
    txtAdr->selectAll();
}

void frmWatchAdr::cmdOKClick()
{
    const SymbolTable& table = symbols_ ? *symbols_ : sharedSymbols();
    const DialogCheck c = checkWatchAddress(txtAdr->text().toStdString(), table);
    const bool accepted = settle(txtAdr, c, [this] {
        fields_.DialogValue = -1;
        fields_.DialogName.clear();
        if (frmMain* m = frmMain::instance())
            if (QWidget* w = m->viewWidget(QStringLiteral("mnuViewWatch")))
                if (QWidget* sub = w->parentWidget())
                    sub->raise();
    });
    if (!accepted)
        return;
    fields_.DialogValue = c.value;
    fields_.DialogName = c.name;
    fields_.DialogIsWord = optWord->isChecked();
    fields_.DialogOK = true;
    accept();
}

} // namespace zelk
