// The common frame of the small number dialogs: a modal dialog with OK and
// "Cancel", a help context number for F1, and the refusal of an invalid entry
// (empty the box, show the message, keep the dialog open with the focus in
// the box).
#pragma once

#include "link/Notifier.h"
#include "views/ValueDialogs.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zelk {

class ValueDialog : public QDialog {
    Q_OBJECT
public:
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    void setHelpContext(int context);
    int helpContext() const;

    // The font the dialogs use for typed numbers.
    static QFont fixedFont();

protected:
    ValueDialog(DialogFields& fields, QWidget* parent);
    // Builds the OK / Cancel column beside `body` and wires them.
    void finishLayout(QLayout* body);
    // The body every number dialog has: `label` over the text box it is the
    // buddy of, then `extra` (if any), laid out beside OK / Cancel, with the
    // focus in the box. The label and box get their object names and the box
    // its length cap; the caller sets fonts and texts.
    void layOutEntry(QLabel* label, const QString& labelName, QLineEdit* box, const QString& boxName,
                     int maxLength, QWidget* extra = nullptr);
    // OK was pressed (button or Enter).
    virtual void cmdOKClick() = 0;
    // Empties box, shows the message of check, returns the focus to box.
    void refuse(QLineEdit* box, const DialogCheck& check);
    // Acts on check's verdict on the text of box: Refocus returns the focus
    // to the box, Refuse runs beforeRefuse (if any) and refuses. True only
    // for Accept, when the caller takes the value and closes the dialog.
    bool settle(QLineEdit* box, const DialogCheck& check, const std::function<void()>& beforeRefuse = {});
    void keyPressEvent(QKeyEvent* e) override;

    DialogFields& fields_;
};

} // namespace zelk
