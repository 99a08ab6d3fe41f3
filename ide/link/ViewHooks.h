// The calls the core makes into the IDE's windows while it reads the target
// and executes the program. Every method does nothing by default, so the core
// runs headless with a plain ViewHooks (or none); the Qt main window overrides
// the ones it needs.
#pragma once

namespace zelk {

enum class RunKind { Play, Animate };

class ViewHooks {
public:
    virtual ~ViewHooks() = default;

    // Status bar panel 1 after an access operation (link state; the main
    // window reads the access layer's mode and flags).
    virtual void BoardStatus() {}
    // Status bar panel 4 after a step or a counter reset: "Clock= " and the
    // counter as eight digits (ClockText() builds the text).
    virtual void ClockCountUpdate() {}
    // Full refresh after a stop or a single step: the disassembler re-reads
    // and shows the PC, then the open debugger windows re-read the target.
    virtual void Refresh() {}
    // During Play, after each step: the CPU register window re-reads the
    // registers (mnuRefresh) when it is shown; nothing else is refreshed.
    virtual void RefreshCpuWindow() {}
    // During Play on the board, after each step: the CPU register window
    // redraws from the register record without reading (its Redraw).
    virtual void RedrawCpuWindow() {}
    // The disassembler shows the page holding the PC (mnuGoToPCAddress).
    virtual void GoToPCAddress() {}
    // The busy state around execution that the user must not disturb
    // (board Step Over/Step Out and Run; Play and Animate use runStarted
    // and runStopped below).
    virtual void FreezeDisplay() {}
    virtual void ThawDisplay() {}
    // The disassembler window updates the Run and Debug commands' state.
    virtual void Menus() {}
    // Lets pending window messages run inside long loops (Play, Animate,
    // the download); commands such as Pause act from here, re-entrantly.
    virtual void processEvents() {}
    // Around a Play or Animate loop: the window side of starting (enable
    // Pause, show the PC, switch the timers off, FreezeDisplay) and of
    // stopping (activate the disassembler and show the PC, ThawDisplay,
    // disable Pause, restore the timers).
    virtual void runStarted(RunKind) {}
    virtual void runStopped(RunKind) {}
    // True when, during Play, RefreshCpuWindow, ClockCountUpdate and
    // BoardStatus only mark what processEvents will show next: Play then
    // calls them once before each processEvents (and when it stops) rather
    // than after every instruction, and runs the instructions in between
    // without calling out.
    virtual bool deferStepUpdates() const { return false; }
};

} // namespace zelk
