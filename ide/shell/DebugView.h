// The contract between the main window and the windows it hosts.
//
// A debugger window is a QWidget that also derives from DebugView. The main
// window wraps it in an MDI child, restores and saves its placement under its
// key prefix, keeps its View menu item checked while it is open, and calls
// these procedures from the refresh cycle and the Debug menu. Every method
// has a do-nothing default, so a window implements only what it has. The
// disassembler's Redraw is its PageRedraw (Code On / Include Symbols call it).
// Keys a window keeps besides its placement (e.g. "LabelSort") it reads and
// writes itself through frmMain::store().
//
// Refresh contract: mnuRefresh reads through the access layer and then calls
// Redraw on success or ClearScreen on failure; Redraw only formats data
// already read; ClearScreen blanks the values.
#pragma once

namespace zelk {

class DebugView {
public:
    virtual ~DebugView() = default;

    virtual void mnuRefresh() {}
    virtual void Redraw() {}
    virtual void ClearScreen() {}
    // Removes current-row marks before the window is frozen (disassembler, stack).
    virtual void ClearMarks() {}
    virtual void mnuGoToPCAddress() {}

    // False for windows that tmrRefresh must skip (editors, I/O unit ...).
    virtual bool refreshable() const { return true; }
    // True while the window's auto refresh is on: tmrRefresh then runs
    // whenever it is the active child.
    virtual bool autoRefreshOn() const { return false; }

    // Asked before the program ends or the window closes with the program:
    // return false to cancel (an editor whose changes the user keeps).
    virtual bool queryUnload() { return true; }
    // The close that queryUnload agreed to does not happen after all
    // (another window refused): the next close asks again.
    virtual void cancelUnload() {}

    // The address of the current row (the disassembler: Run To Cursor's
    // target), or -1 when there is none.
    virtual int cursorAddress() const { return -1; }
};

} // namespace zelk
