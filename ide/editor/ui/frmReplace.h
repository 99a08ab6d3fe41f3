// The find and replace dialog (frmReplace): one non-modal window, owned by
// the main window, that serves Find and Replace on the active editor. It is
// loaded hidden at start-up and lives as long as the main window, so its
// search history (the item lists of cbWhat and cbWith, most recent first)
// lasts for the whole run and Find Next (F3) works while it is hidden.
//
// The search rules themselves are TextSearch's; this window reads the
// editor's text and selection, and writes the selection and replacements
// back (Replace All as one undo step).
#pragma once

#include <QDialog>
#include <QPalette>
#include <QPointer>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace zelk {

class frmMain;
class frmEditor;

class frmReplace : public QDialog {
    Q_OBJECT
public:
    explicit frmReplace(frmMain& m);
    ~frmReplace() override;

    // The dialog of a main window (null before it was loaded).
    static frmReplace* of(frmMain& m);

    QLabel* lbWhat = nullptr;
    QComboBox* cbWhat = nullptr;
    QLabel* lbWith = nullptr;
    QComboBox* cbWith = nullptr;
    QCheckBox* chkCase = nullptr;
    QGroupBox* fraDirection = nullptr;
    QRadioButton* optUp = nullptr;
    QRadioButton* optDown = nullptr;
    QPushButton* cmdFindNext = nullptr;
    QPushButton* cmdReplace = nullptr;
    QPushButton* cmdReplaceAll = nullptr;
    QPushButton* cmdCancel = nullptr;

    void ShowFind();
    void ShowReplace();
    // Puts the texts of cbWhat and cbWith at the top of their histories when
    // they differ from the first entries (an empty replacement is not kept).
    void AddItem();
    // Searches the active editor's text for the cbWhat text; selects it when
    // found, else (unless noMessage) says "Search Text not found !".
    bool FindStr(bool down, bool matchCase, bool noMessage);
    // Hides the dialog and gives the focus back to the active editor.
    void EndReplace();
    // Find Next, Replace and Replace All need a search text.
    void UpdateCmd();

    // The buttons.
    void cmdFindNextClick();
    void cmdReplaceClick();
    void cmdReplaceAllClick();
    // The Find Next command (menu, F3, toolbar): the dialog's direction and
    // case, messages on, the history untouched, the dialog not shown.
    void FindNext();

    bool replaceMode() const { return replaceMode_; }
    int historyCount() const;

protected:
    void reject() override;
    void hideEvent(QHideEvent* e) override;

private:
    void setMode(bool replace);
    void showCommon();
    // While the dialog works, the editor paints its selection as if it had
    // the focus; hiding the dialog gives the editor its own colours back.
    void keepSelectionVisible(frmEditor* e);
    void releaseSelection();
    bool down() const;
    bool matchCase() const;

    frmMain& main_;
    bool replaceMode_ = false;
    QPointer<frmEditor> shownFor_;
    QPalette savedPalette_;
};

// Find-history size for the menus and toolbar (0 before the dialog exists).
int findHistoryCount(frmMain& m);
// Hides the dialog (an editor was deactivated); the focus stays where it is.
void hideFindDialog(frmMain& m);

} // namespace zelk
