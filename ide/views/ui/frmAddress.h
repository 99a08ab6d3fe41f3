// frmAddress, "Go To Address": asks where the disassembler or the stack
// window goes. A number (16 bits, any notation of ParseNumber) or a label of
// the symbol table; on a valid OK sets DialogValue and DialogOK, otherwise
// "Invalid Address !" and the dialog stays open.
#pragma once

#include "views/ui/ValueDialog.h"

class QLabel;
class QLineEdit;

namespace zelk {

class SymbolTable;

class frmAddress : public ValueDialog {
    Q_OBJECT
public:
    // symbols: where labels are looked up (the shared table when null).
    explicit frmAddress(DialogFields& fields, QWidget* parent = nullptr, const SymbolTable* symbols = nullptr);

    QLabel* lbAdr = nullptr;     // "Address:"
    QLineEdit* txtAdr = nullptr; // starts empty, at most 18 characters

    void cmdOKClick() override;

private:
    const SymbolTable* symbols_;
};

} // namespace zelk
