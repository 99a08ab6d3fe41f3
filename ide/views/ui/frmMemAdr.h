// frmMemAdr, "Memory Display Address": asks where the memory window starts.
// The box takes at most four hexadecimal digits (typed lower case becomes
// upper case, anything else is dropped, a digit typed into a full box
// overwrites the next one); on OK sets DialogAddress and DialogOK.
#pragma once

#include "views/ui/ValueDialog.h"

class QLabel;
class QLineEdit;

namespace zelk {

class frmMemAdr : public ValueDialog {
    Q_OBJECT
public:
    explicit frmMemAdr(DialogFields& fields, QWidget* parent = nullptr);

    QLabel* lbAdr = nullptr;     // "Hex Address:"
    QLineEdit* txtAdr = nullptr; // starts empty

    void cmdOKClick() override;

protected:
    bool eventFilter(QObject* o, QEvent* e) override;
};

} // namespace zelk
