// The Go To Line dialog (frmLine): modal, a line number typed into txtLine.
// OK (or Enter in a non-empty txtLine) accepts digits only, from 1 to
// 999999999; anything else clears the text and says so, and the dialog
// stays open. The Go To Line command moves the active editor's caret to the
// start of that line (the last line when the number lies beyond the end).
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zelk {

class frmMain;

class frmLine : public QDialog {
    Q_OBJECT
public:
    explicit frmLine(frmMain& m);

    QLabel* lbLine = nullptr;
    QLineEdit* txtLine = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    // After OK: the 0-based line asked for (not yet limited to the text).
    int line() const { return line_; }

    void cmdOKClick();

private:
    frmMain& main_;
    int line_ = 0;
};

// The Go To Line command on the active editor.
void mnuEditGoToLine(frmMain& m);

} // namespace zelk
