// frmWatchAdr, "Watch": asks for the address of a watch (a number or a label)
// and whether it is a word or a byte. Reads DialogText and DialogIsWord; on a
// valid OK sets DialogValue, DialogName (the upper-cased label, or empty for
// a number), DialogIsWord and DialogOK.
#pragma once

#include "views/ui/ValueDialog.h"

class QLabel;
class QLineEdit;
class QRadioButton;

namespace zelk {

class SymbolTable;

class frmWatchAdr : public ValueDialog {
    Q_OBJECT
public:
    explicit frmWatchAdr(DialogFields& fields, QWidget* parent = nullptr, const SymbolTable* symbols = nullptr);

    QLineEdit* txtAdr = nullptr;     // "&Address:", at most 18 characters
    QRadioButton* optWord = nullptr; // "&Word"
    QRadioButton* optByte = nullptr; // "&Byte"

    void cmdOKClick() override;

private:
    const SymbolTable* symbols_;
};

} // namespace zelk
