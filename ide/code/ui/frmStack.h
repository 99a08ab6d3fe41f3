// frmStack, "Stack": 50 consecutive bytes of target memory, one per row,
// from the stack top (normally SP, so the rows show the bytes the program
// has pushed). The SP row is bold; the user edits a byte in place through
// the Enter Value dialog, goes to an address or back to SP, pages with the
// keyboard and refreshes. It reads and writes only through the access layer.
#pragma once

#include "code/ui/RowView.h"
#include "shell/DebugView.h"

#include <QWidget>

#include <cstdint>
#include <vector>

class QAction;
class QMdiSubWindow;
class QMenu;

namespace zelk {

class frmMain;

class frmStack : public QWidget, public DebugView {
    Q_OBJECT
public:
    explicit frmStack(frmMain& main, QWidget* parent = nullptr);

    // ---- The window's procedures --------------------------------------------
    void ClearScreen() override;
    void ClearMarks() override;
    void Redraw() override;
    void mnuEnter();
    void mnuGoToAddress();
    void mnuGoToSPAddress();
    void mnuRefresh() override;
    void SetCurRow(int row);

    // The page from address with row 1 current (no dialog).
    void goToAddress(int32_t address);
    // Writes value's low byte at the current row's address, as mnuEnter
    // does after the dialog.
    void enterValue(int32_t value);

    // Keyboard: Up, Down, Page Up, Page Down (Enter is mnuEnter).
    void keyUp();
    void keyDown();
    void keyPageUp();
    void keyPageDown();

    // ---- State for callers and tests ---------------------------------------
    int32_t stackTop() const { return stackTop_; }
    int currentRow() const { return currentRow_; }
    int visibleRows() const { return visibleRows_; }
    RowView* rowView() const { return view_; }
    // The pop-up menu (mnuPopupStack) and its entries.
    QMenu* popup() const { return mnuPopupStack_; }
    QAction* popupEnter() const { return mnuPopupStackEnter_; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    // stack bytes = 50 bytes from stackTop; then draw (ClearScreen without
    // a target).
    bool reload();
    // stack top moved by delta rows (modulo $10000) keeping the current row.
    void moveTop(int32_t delta);
    // The visible row (1..visible rows) that shows address, or 0.
    int visibleRowOf(int32_t address) const;
    void applyRows();
    bool isActiveChild() const;
    QMdiSubWindow* subWindow() const;
    void updateVisibleRows();
    void buildPopup();
    void onKey(int key);

    frmMain& main_;
    RowView* view_ = nullptr;
    QMenu* mnuPopupStack_ = nullptr;
    QAction* mnuPopupStackEnter_ = nullptr;
    std::vector<uint8_t> bytes_;
    int32_t stackTop_ = 0;
    int visibleRows_ = 1;
    int currentRow_ = 0;
    int32_t drawnSp_ = -1;  // the SP of the last draw (-1: nothing drawn)
    bool shown_ = false;
    bool highlight_ = false;
    bool busy_ = false;
    bool loaded_ = false;
    bool active_ = false;
};

} // namespace zelk
