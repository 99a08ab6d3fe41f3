// frmEnterVal, "Enter Value": asks for a new byte or word value (a register,
// a memory or stack byte, a watch). Reads DialogName, DialogText and
// DialogIsWord; on a valid OK sets DialogValue and DialogOK. Accepts every
// notation of ParseNumber; anything else is refused with "Invalid Number !".
#pragma once

#include "views/ui/ValueDialog.h"

class QLabel;
class QLineEdit;

namespace zelk {

class frmEnterVal : public ValueDialog {
    Q_OBJECT
public:
    explicit frmEnterVal(DialogFields& fields, QWidget* parent = nullptr);

    QLabel* lbName = nullptr;      // DialogName + ":"
    QLineEdit* txtValue = nullptr; // at most 18 characters

    void cmdOKClick() override;
};

} // namespace zelk
