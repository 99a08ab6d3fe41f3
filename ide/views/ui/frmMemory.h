// The memory window ("Memory Window", frmMemory): target memory as a dump of
// 16 bytes a line, in hexadecimal and as characters, for as many lines as
// fit (up to 64, the 1,024-byte memory window buffer). The page scrolls over
// the whole 64 KB with the scroll bar, the cursor keys and Page Up/Down;
// Memory Display Address jumps; a byte is edited in place as two hex digits
// or one character, written through the access layer and read back, and a
// byte that does not take the value is reported as read-only memory.
// Cells are rewritten only when their text changes, so paging stays cheap.
#pragma once

#include "shell/DebugView.h"
#include "views/MemoryPage.h"
#include "views/ValueDialogs.h"

#include <QWidget>

#include <functional>

class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QScrollBar;
class QStatusBar;
class QTableWidget;

namespace zelk {

class frmMain;

class frmMemory : public QWidget, public DebugView {
    Q_OBJECT
public:
    explicit frmMemory(frmMain& m, QWidget* parent = nullptr);

    // The Memory Display Address dialog the window opens (DialogOK and
    // DialogAddress out). Tests replace it.
    static std::function<void(QWidget* owner, DialogFields& f)> memoryAddress;

    // The window's procedures.
    void DisplayPage();
    // Opens the in-place editor on a data cell (data row from 0, grid column).
    void EnterData(int row, int column);
    void SendByte();
    void HorScroll();
    void mnuMemoryAddress();
    void mnuMemoryEnter();
    void mnuMemoryRefresh();

    // The memory window refreshes on its own commands, never from the cycle
    // or the refresh timer.
    void mnuRefresh() override { mnuMemoryRefresh(); }
    bool refreshable() const override { return false; }

    // Cursor and page.
    int LineCount() const { return cursor_.lineCount; }
    int32_t displayAddress() const;
    const MemoryCursor& cursor() const { return cursor_; }
    // Moves the cursor as the keyboard would; scrolling redisplays the page.
    void moveCursor(MemoryMove move);
    // Puts the cursor on (row, column) as a click would.
    void clickCell(int row, int column);
    // The text of a data cell (data row from 0).
    QString cellText(int row, int column) const;
    // Shows the page from `address` (a multiple of 16) with the cursor on
    // (row, column).
    void showPage(int32_t address, int row, int column);
    // How many cells were written by the last page display.
    int lastCellWrites() const { return cellWrites_; }

    QTableWidget* gridMemory = nullptr;
    QLineEdit* txtData = nullptr;
    QScrollBar* VScroll = nullptr;
    QFrame* frameAdr = nullptr;
    QLabel* lbAdr = nullptr;
    QStatusBar* sbStatusBar = nullptr;
    QMenu* mnuPopupMemory = nullptr;

    // Key handling of the grid and the in-place editor (the grid forwards).
    bool gridKey(int key, Qt::KeyboardModifiers mods);
    void gridPressed(const QPoint& pos, Qt::MouseButton button, const QPoint& globalPos);
    void gridDoubleClicked(const QPoint& pos);

protected:
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void layoutLines();
    void setLineCount(int lines);
    void fillRows();
    void setCell(int row, int column, const QString& text);
    void placeCursor();
    void hideEditor();
    void updateStatus();
    void scrollBarMoved(int value);
    void scrollBarChanged(int value);
    bool editorKey(int key, const QString& text);
    int rowHeight() const;

    frmMain& main_;
    MemoryCursor cursor_;
    bool lastOk_ = false;       // the last InMemory succeeded
    bool haveBuffer_ = false;   // the buffer holds a page read for this window
    int editRow_ = -1;
    int editColumn_ = -1;
    // The user changed the editor's text since EnterData: only then does
    // Enter write (an unchanged "." of an unprintable byte would write $2E).
    bool editTouched_ = false;
    int cellWrites_ = 0;
};

} // namespace zelk
