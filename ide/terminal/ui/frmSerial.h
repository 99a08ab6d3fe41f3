// frmSerial, "Serial Terminal": what the board's user program sends over the
// serial line, as an overwrite terminal (ASCII) or a hex dump (Hex), and the
// user's keystrokes sent to it while it runs. The main window's pop-up menu
// mnuPopupSerial (Ascii, Hex, Clear) chooses the mode; the mode persists as
// the setting "HexTerminal". Received bytes arrive through Display, fed by
// the board's receive handling. The text logic is TerminalModel's and the
// key rules are terminalKeyAction's; this window is the Qt side of them.
//
// In simulator mode with the on-chip peripherals simulated the terminal is
// the SCI's far end: the characters the program transmits are shown (taken
// from the main window's SimSerialLine every 50 ms and after each step or
// run) and the keys typed go to the SCI receiver, as the same bytes a board
// program would get.
#pragma once

#include "shell/DebugView.h"
#include "terminal/SimSerialLine.h"
#include "terminal/TerminalKeys.h"
#include "terminal/TerminalModel.h"

#include <QByteArray>
#include <QWidget>

class QAction;
class QKeyEvent;
class QMenu;

namespace zelk {

class frmMain;
class TerminalView;

class frmSerial : public QWidget, public DebugView {
    Q_OBJECT
public:
    explicit frmSerial(frmMain& main, QWidget* parent = nullptr);
    ~frmSerial() override;

    bool refreshable() const override { return false; }

    TerminalModel& model() { return model_; }
    TerminalView* view() const { return view_; }

    // The main window's pop-up menu of the terminal and its items (created
    // with the main window; null before).
    static QMenu* popup(frmMain& main);
    static QAction* popupItem(frmMain& main, const char* name);  // "mnuPopupSerialHex"
    // The simulated SCI's line of the main window (the chip's host from the
    // start), and the move of its transmitted characters to the open
    // terminal (dropped while the terminal is closed).
    static SimSerialLine& simLine(frmMain& main);
    static void deliverSimOutput(frmMain& main);

    // The bytes a key gives and sends them on the port (what a key press in
    // the text does).
    void handleKey(QKeyEvent* e);
    static TerminalKey classify(const QKeyEvent* e);

    // The mode of the pop-up's check marks (Hex when mnuPopupSerialHex is
    // checked); clears the text.
    void applyMode();

public Q_SLOTS:
    // Renders bytes at the write position, in the current mode.
    void Display(const QByteArray& bytes);
    void ClearScreen() override;

private:
    frmMain& main_;
    TerminalModel model_;
    TerminalView* view_ = nullptr;
};

} // namespace zelk
