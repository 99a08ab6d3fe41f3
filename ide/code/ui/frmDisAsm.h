// frmDisAsm, "Disassembler": a page of up to 50 instructions of target memory
// decoded from the code window, one per row. It marks the program-counter
// row (bold, with a branch marker), the breakpoint rows and the user's
// current row; it sets and clears breakpoints, sets a new program counter,
// goes to the PC or to an address, pages with the keyboard in both
// directions, and names the Run To Cursor address. Code On adds the
// instruction bytes; Include Symbols shows the listing's source lines.
//
// It reads the target only through the access layer's code window and
// keeps the page top equal to the code window's base whenever it moves, so
// the 256-byte window always covers the 50 rows.
#pragma once

#include "code/ui/RowView.h"
#include "shell/DebugView.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <vector>

class QScrollBar;
class QMdiSubWindow;

namespace zelk {

class frmMain;
class SymbolTable;

class frmDisAsm : public QWidget, public DebugView {
    Q_OBJECT
public:
    explicit frmDisAsm(frmMain& main, QWidget* parent = nullptr);

    // ---- The window's procedures --------------------------------------------
    void ClearScreen() override;
    void ClearMarks() override;
    void DisAsmPage();
    void Menus();
    void mnuSetNewPC();
    void ReadProgramPC();
    void PageRedraw();
    void mnuClearAllBreakpoints();
    void mnuGoToAddress();
    void mnuGoToPCAddress() override;
    void mnuRefresh() override;
    void mnuToggleBreakpoint();
    void SetCurRow(int row);
    // Code On and Include Symbols redraw the page.
    void Redraw() override { PageRedraw(); }
    int cursorAddress() const override;

    // Toggles the breakpoint of a row (a double click).
    void toggleRow(int row);
    // The page from address with row 1 current (no dialog).
    void goToAddress(int32_t address);

    // Keyboard navigation (Up, Down, Page Up, Page Down).
    void keyUp();
    void keyDown();
    void keyPageUp();
    void keyPageDown();

    // ---- State for callers and tests ---------------------------------------
    int currentRow() const { return currentRow_; }
    int visibleRows() const { return visibleRows_; }
    int32_t pageTop() const { return pageTop_; }
    bool pageShown() const { return shown_; }
    // Address of row 1..50 of the page.
    int32_t rowAddress(int row) const { return rows_[static_cast<size_t>(row - 1)].address; }
    RowView* rowView() const { return view_; }
    QScrollBar* scrollBar() const { return hsb_; }

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    struct PageRow {
        int32_t address = 0;
        int16_t length = 1;
    };
    // Refills the code window at address and, with a target, shows the page
    // from it; otherwise ClearScreen. Returns whether the page is shown.
    bool showPageAt(int32_t address);
    // Repaints every row's colour and weight from the state (only rows that
    // change are rewritten).
    void applyRows();
    bool isBreakpoint(int32_t address) const;
    bool isActiveChild() const;
    QMdiSubWindow* subWindow() const;
    void activated();
    void deactivated();
    void updateVisibleRows();
    void updateScrollRange();
    void popupAt(int row, const QPoint& globalPos);
    void onKey(int key);
    bool codeOn() const;
    bool includeSymbols() const;

    frmMain& main_;
    RowView* view_ = nullptr;
    QScrollBar* hsb_ = nullptr;
    std::array<PageRow, RowView::MaxRows> rows_{};
    std::array<QString, RowView::MaxRows> texts_{};
    std::vector<uint8_t> programBytes_;
    int32_t pageTop_ = 0;
    int32_t pagePC_ = -1;     // the PC the page was drawn for
    int visibleRows_ = 1;
    int currentRow_ = 0;
    bool shown_ = false;      // a page is drawn
    bool highlight_ = false;  // the current row shows its highlight
    bool boldPC_ = true;      // ClearMarks takes the bold type away until the next page
    bool busy_ = false;
    bool loaded_ = false;
    bool active_ = false;
    qint64 registerReadAt_ = 0;
};

} // namespace zelk
