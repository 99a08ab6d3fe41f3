// Execution control: runs the user's program one instruction at a time on
// the target of the access layer, with the IDE owning the program counter.
// Before each instruction the next-address prediction decides: a taken
// branch or jump, a call or a return is done here (PC and stack moved through
// the access layer); anything else is executed by the target (Korvex in
// simulator mode, writing the register save area after each step) and PC
// advances by the instruction's length. On top of Step Into sit the run
// commands: Play and Animate (loops stopped by a breakpoint or Pause), Step
// Over, Step Out and Run To Cursor (simulator: a temporary breakpoint and
// Play), the Debug commands Get Reset Vector and Reset counter, and the
// clock counter.
//
// The Qt main window drives it: menu commands call the methods of the same
// names; the window side (refresh, status bar, freezing, timers, event
// processing) comes back through ViewHooks. Everything runs on one thread;
// Pause() is meant to be called re-entrantly from ViewHooks::processEvents()
// while a loop runs. Wiring:
//
//     AccessLayer link(&notifier, &hooks);     // the window implements both
//     BreakpointTable breakpoints;             // toggled by the disassembler
//     ExecutionControl control(link, breakpoints);
//     control.StepInto();                      // mnuRunStepInto
//     control.Play(options);                   // mnuRunPlay; returns on stop
//
// Play and Animate call ViewHooks::runStarted/runStopped around the loop
// (Pause enabled, timers off, FreezeDisplay / ThawDisplay, timers back) and
// ViewHooks::processEvents every RunOptions interval (on the board after
// every step: each is a frame exchange anyway). A single step ends
// with ViewHooks::Refresh and ClockCountUpdate; a step inside Play with
// RefreshCpuWindow and ClockCountUpdate only.
//
// Behaviours that differ from a plain reading of the step rules, on purpose:
// RTI continues at the return address it pulled (not at the next
// instruction): the simulator executes it, on the board the IDE does it from
// the stack as it does RTS (in the monitor's slot it would run away); a
// five-byte instruction (BRSET/BRCLR indexed by Y, not taken) is not sent to
// the board, whose slot holds four bytes: it changes no register, so the
// step is PC + 5; and a loop stops (StopReason::Refused) instead of spinning
// when a step cannot be done at all.
//
// With the simulator target's on-chip peripherals on, each step first gives
// the peripherals their turn (one compare in the common case, see OnChip):
// the highest-priority pending interrupt that the CCR lets in enters as the
// CPU does it (nine bytes stacked, I set, X too for XIRQ, PC from the
// vector, the entry's cycles counted) and that is the step. SWI, WAI, STOP,
// TAP and the illegal opcodes (TEST included) are done here too: SWI and the
// illegal-opcode trap stack and enter through $FFF6 and $FFF8; WAI stacks
// and waits, each step then moving the clock to the next peripheral event
// until an interrupt enters without stacking again; STOP (S clear) halts
// until IRQ or XIRQ (XIRQ with X set resumes after STOP); TAP and RTI may
// clear X but never set it. The peripherals' clock advances with the clock
// counter's cycles. With them off, nothing of this runs.
#pragma once

#include "code/CodeWindow.h"
#include "code/Prediction.h"
#include "link/AccessLayer.h"
#include "run/BreakpointTable.h"
#include "run/CycleProfile.h"
#include "run/DataBreakpoints.h"
#include "run/Pacer.h"
#include "run/StepHistory.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

namespace zelk {

// How a continuous run (Play, Animate and the commands built on Play)
// yields and when it stops besides breakpoints and Pause.
struct RunOptions {
    // Stop after this many instructions (0 = no bound).
    uint64_t maxSteps = 0;
    // Let pending window messages run (ViewHooks::processEvents) after this
    // many steps, or earlier once eventEveryMs milliseconds have passed
    // since the last time (checked every 64 steps; 0 = steps only).
    uint32_t eventEverySteps = 4096;
    uint32_t eventEveryMs = 20;
    // Headless runs: stop at a taken branch, jump or call to its own
    // address (nothing can ever change), and before WAI or before STOP with
    // the S bit clear (the CPU would halt; no interrupt can wake it here).
    bool stopOnSelfBranch = false;
    bool stopOnHalt = false;
    // Called before each instruction of the loop, after the stop checks
    // (a tracer reads the registers and the code window here).
    std::function<void()> beforeStep;
};

namespace detail {
// How the headless loop's inner stretch runs a page-1 opcode: Korvex
// executes straight-line code; the loop itself moves the program counter
// for a branch, call, jump or return with a simple operand.
enum class StretchRoad : uint8_t {
    Straight,
    Branch,        // relative branch
    BitSet,        // BRSET / BRCLR, direct or ,X
    BitClear,
    BitSetX,
    BitClearX,
    CallRelative,  // BSR
    CallDirect,    // JSR
    CallExtended,
    CallX,
    JumpExtended,  // JMP
    JumpX,
    Return,        // RTS
};
// The length, cycles and road of a page-1 opcode that the headless loop
// runs in its inner stretch (length 0: any other).
struct alignas(4) StretchFacts {
    uint8_t length = 0;
    uint8_t cycles = 0;
    StretchRoad road = StretchRoad::Straight;
};
} // namespace detail

enum class StopReason {
    None,        // not stopped by the loop (nothing ran)
    Breakpoint,  // PC reached a breakpoint (temporary ones included)
    Paused,      // the stop flag was set from outside (Pause)
    StepBound,   // RunOptions::maxSteps instructions ran
    SelfBranch,  // a branch, jump or call to itself
    Halt,        // WAI, or STOP with S clear, at PC
    Refused,     // the prediction at PC was unreliable, or the link failed
    DataBreakpoint,  // the last instruction read or wrote a watched address
    HistoryStart,    // Run Back undid every recorded step
};

// What the last Step Into did, for callers that report or trace it.
struct StepInfo {
    int32_t pc = 0;       // address of the instruction
    int32_t next = 0;     // predicted next address (followCalls set)
    bool taken = false, isCall = false, isReturn = false;
    bool executed = false;  // the target executed it
};

class ExecutionControl {
public:
    // link: the target; breakpoints: the shared table. Hooks and notifier
    // are the access layer's.
    ExecutionControl(AccessLayer& link, BreakpointTable& breakpoints);
    ExecutionControl(const ExecutionControl&) = delete;
    ExecutionControl& operator=(const ExecutionControl&) = delete;

    // ---- Run state (idle: stopFlag true, both running flags false) --------
    bool stopFlag = true;        // no run active, or a stop was requested
    bool playRunning = false;
    bool animateRunning = false;
    bool firstStep = false;      // the breakpoint at the starting PC is ignored
    // Step state, set by the step commands right before MakeStep().
    bool executeFlag = false;
    StepKind stepKind = StepKind::StepInto;
    // Sum of the E-clock cycles of every stepped instruction (32 bits).
    uint32_t clockCounter = 0;
    // Per-address steps and cycles since the counter was last reset; every
    // step counted on the counter is counted here while it is enabled.
    CycleProfile profile;
    // In simulator mode, straight-line instructions and relative branches
    // take a shorter road than the general one (same effect, fewer steps of
    // work). False sends every instruction down the general road; tests
    // compare the two.
    bool simulatorShortRoad = true;

    // Data breakpoints (simulator mode): a run stops after the instruction
    // that touched a watched address; lastDataHit() tells which.
    DataBreakpointTable dataBreakpoints;
    // With data breakpoints set and the history off, a step takes the
    // watched road only when its addressing mode, operand and SP say it may
    // touch a watched address (the same stops, at a fraction of the cost).
    // False watches every step; tests compare the two.
    bool dataBreakpointFilter = true;
    // The steps done in simulator mode, for Step Back and Run Back
    // (capacity 0 = off). Kept only while the simulator runs the program.
    StepHistory history{0};
    // Play's pace in E-clock cycles per second (0 = full speed).
    double pacedRate = 0;

    // ---- Commands ------------------------------------------------------
    // One instruction (Run > Step Into). Returns false when nothing was
    // done: the prediction was unreliable (PC and registers unchanged; the
    // cycles were still counted) or the link is not ready.
    bool StepInto();
    // Executes or accounts for the instruction at PC according to the step
    // state, then refreshes (Play: only the CPU register window).
    void MakeStep();
    // Play: Step Into until a breakpoint (the one at the starting PC
    // excepted), Pause or a stop condition of options.
    StopReason Play(const RunOptions& options = {});
    // Animate: as Play, at most one instruction per paceMs milliseconds,
    // refreshing every window after each.
    StopReason Animate(const RunOptions& options = {}, uint32_t paceMs = 100);
    // Pause: the running loop stops before its next step.
    void Pause() { stopFlag = true; }
    // Step Over: a call runs to the instruction after it, any other
    // instruction is one step. Simulator: temporary breakpoint + Play (does
    // nothing with 32 breakpoints set); a return is done directly.
    StopReason StepOver(const RunOptions& options = {});
    // Step Out: runs until the subroutine returns to the address at SP+1
    // (simulator: temporary breakpoint + Play; nothing with 32 set).
    StopReason StepOut(const RunOptions& options = {});
    // Run To Cursor: Play until PC reaches address. An address that already
    // holds a breakpoint simply runs to it; a full table refuses (with the
    // table's message) and runs nothing.
    StopReason RunToCursor(int32_t address, const RunOptions& options = {});
    // Run: lets a board run freely (RunHC11); in simulator mode only shows
    // "M68HC11 Simulator error !" (Run is disabled there).
    void RunHC11();
    // Debug > Get Reset Vector: PC = the word at $FFFE, then GoToPCAddress.
    void GetResetVector();
    // Debug > Reset counter: clock counter = 0 and the profile emptied,
    // ClockCountUpdate.
    void ResetCounter();
    // The counter and the profile to zero, without any window update.
    void resetClock()
    {
        clockCounter = 0;
        profile.reset();
    }
    // Set New PC (the disassembler's current row): PC = address, Refresh.
    void SetNewPC(int32_t address);

    // Step Back: undoes the newest recorded step (registers, PC, clock
    // counter, memory, the I/O unit's registers) and refreshes. False, with
    // nothing changed, when there is none or not in simulator mode.
    bool StepBack();
    // Run Back: undoes steps until PC reaches a breakpoint (the one at the
    // starting PC ignored), the history is exhausted or Pause.
    StopReason RunBack(const RunOptions& options = {});
    bool canStepBack() const { return link_.simulatorMode() && !history.empty(); }
    // Steps undone since the last step forward (> 0: the windows show the past).
    uint64_t stepsBack() const { return stepsBack_; }
    // Changes the history's capacity (0 switches it off).
    void setHistoryCapacity(size_t steps);
    // The access that stopped the last run (valid after DataBreakpoint), and
    // whether a single step touched a watched address.
    const DataHit& lastDataHit() const { return dataHit_; }
    bool dataHitPending() const { return dataHitPending_; }

    // "Clock= " and the counter as at least eight digits.
    std::string ClockText() const;

    // What the last Step Into did, and why the last loop stopped.
    const StepInfo& lastStep() const { return lastStep_; }
    StopReason lastStop() const { return lastStop_; }

    // The code window run control decodes from, with PC..PC+4 current:
    // refilled when they are not inside it; in simulator mode those five
    // bytes are copied from the image on every call (whatever wrote memory
    // meanwhile), on the board the window is re-read before a single step
    // (the program may have written into it) and during Play only when PC
    // leaves it. Bytes beyond PC+4 may be stale.
    const CodeWindow& codeAt(int32_t pc)
    {
        pc &= 0xFFFF;
        const uint32_t offset = static_cast<uint32_t>(pc - window_.base) & 0xFFFF;
        if (offset <= CodeWindow::Size - 5 && windowValid_ && windowMode_ == link_.mode()) [[likely]] {
            if (windowMode_ == TargetMode::Simulator) {
                const uint8_t* image = link_.image();
                uint8_t* bytes = window_.bytes.data() + offset;
                if (pc <= 0xFFFB) {
                    std::memcpy(bytes, image + pc, 5);
                } else {
                    for (int i = 0; i < 5; ++i)
                        bytes[i] = image[(pc + i) & 0xFFFF];
                }
                return window_;
            }
            if (boardWindowIntact_)
                return window_;
        }
        return refillCodeWindow(pc);
    }

private:
    class LinkOperandReader final : public OperandReader {
    public:
        LinkOperandReader(AccessLayer& link, StepHistory& history) : link_(link), history_(history) {}
        bool readOperandByte(int32_t address, uint8_t& value) override
        {
            SimulatorTarget& sim = link_.simulator();
            if (sim.chipAddress(address & 0xFFFF) && link_.simulatorMode()) [[unlikely]] {
                // The program's own read of a peripheral register (BRSET,
                // BRCLR): it counts for the flags' clearing sequences.
                if (history_.wantsChip())
                    history_.noteChip(sim.chip().s);
                value = sim.chip().cpuRead(static_cast<uint8_t>(address));
                return true;
            }
            link_.InByte(address & 0xFFFF, value);
            return link_.linkReady();
        }

    private:
        AccessLayer& link_;
        StepHistory& history_;
    };

    // The memory watch of a watched step: the history's journal and the
    // data breakpoints' check.
    class Recorder final : public MemoryWatch {
    public:
        explicit Recorder(ExecutionControl& control) : c_(control) {}
        void programRead(uint32_t address) override
        {
            noteChip(address);
            c_.history.noteAccess(address, false);
            if (c_.dataBreakpoints.watched(address) & static_cast<uint8_t>(DataAccess::Read))
                c_.noteDataHit(address, DataAccess::Read);
        }
        void programWrite(uint32_t address, uint8_t old) override
        {
            noteChip(address);
            c_.history.noteWrite(address, old);
            c_.history.noteAccess(address, true);
            if (c_.dataBreakpoints.watched(address) & static_cast<uint8_t>(DataAccess::Write))
                c_.noteDataHit(address, DataAccess::Write);
        }
        void store(uint32_t address, uint8_t old) override
        {
            noteChip(address);
            c_.history.noteWrite(address, old);
        }

    private:
        // An access to the peripherals' registers changes their state: the
        // history keeps it as it was before.
        void noteChip(uint32_t address)
        {
            if (c_.link_.simulator().chipAddress(static_cast<int32_t>(address)) && c_.history.wantsChip()) [[unlikely]]
                c_.history.noteChip(c_.chip_.s);
        }
        ExecutionControl& c_;
    };

    // A step is watched while the history records or a data breakpoint is set.
    bool watching() const
    {
        return history.enabled() || !dataBreakpoints.empty();
    }
    bool stepIntoWatched();
    // Whether the step at PC may read or write a watched address: the
    // operand's one or two bytes, the stack bytes from SP-8 to SP+9 for any
    // inherent instruction and any call, and every step in which the
    // peripherals take their turn (interrupt entries, traps, waits).
    // May say yes wrongly, never no wrongly.
    bool mayTouchWatched();
    bool stackWindowWatched(int32_t sp);
    // The accesses of a step done by the IDE rather than executed (a call's
    // push, a return's pull, a taken bit branch's operand read), for the
    // data breakpoints and the open history record.
    void noteFlowAccesses(int32_t sp, int32_t ix, int32_t iy);
    void noteDataHit(uint32_t address, DataAccess access);
    void showRestoredIo();
    // Undoes the newest recorded step (the profile's counts included).
    bool undoStep();
    // The first data access of the newest recorded step that a data
    // breakpoint watches, into hit; false when none.
    bool newestStepHit(DataHit& hit) const;
    // Waits out the pacer's answer in slices, letting window messages run
    // (Pause acts within a slice).
    void pace(Pacer& pacer, uint32_t& pacedClock);

    const CodeWindow& refillCodeWindow(int32_t pc);
    // The cycles of the instruction at pc, on the counter and the profile.
    // The peripherals' clock follows.
    void addCycles(int32_t pc, uint32_t cycles)
    {
        clockCounter += cycles;
        chip_.advance(cycles);
        if (profile.enabled()) [[unlikely]]
            profile.count(pc, cycles);
    }
    // Step Into: the simulator's short road for most instructions, and the
    // general one for everything else (and for the board).
    bool stepInto();
    bool stepIntoPlain();
    bool stepIntoSimulated(bool& ok);
    [[gnu::noinline]] bool stepIntoGeneral();
    void finishStep();
    void makeStepSimulated();
    [[gnu::noinline]] void makeStepBoard();
    StopReason runLoop(const RunOptions& options, bool animate, uint32_t paceMs);
    // The headless loop: at most stepLimit steps (StepBound), ending early
    // without a stop (StopReason::None, stop flag untouched) after
    // sliceSteps steps; ran tells how many ran.
    StopReason runHeadless(uint64_t stepLimit, bool stopOnHalt, bool stopOnSelfBranch, uint64_t sliceSteps,
                           uint64_t& ran);
    // runHeadless's loop; Record: every step recorded in the step history.
    template <bool Record>
    StopReason runHeadlessRoad(uint64_t stepLimit, bool stopOnHalt, bool stopOnSelfBranch, uint64_t sliceSteps,
                               uint64_t& ran);
    // Play through view hooks that defer the per-step updates: the headless
    // loop in time-sized slices, the updates and window messages between
    // them. True when the run is over (reason set); false when a window
    // message left nothing for this road (a data breakpoint set): the
    // caller steps the rest, steps counting those done.
    bool runSliced(uint64_t stepLimit, bool stopOnHalt, bool stopOnSelfBranch, uint32_t everySteps,
                   uint32_t everyMs, uint64_t& steps, StopReason& reason);
    // Whether a run may keep its steps in runHeadless (no tracer, no
    // pacing): the step history records there too, data breakpoints need
    // the watched road.
    bool headlessRoadOpen() const
    {
        return simulatorShortRoad && link_.simulatorMode() && link_.linkReady() && dataBreakpoints.empty();
    }
    StopReason playWithTemporaryBreakpoint(int32_t address, const RunOptions& options);
    // The stack bytes a return at PC needs (RTS: SP+1..2, RTI: SP+8..9),
    // read into the stack buffer; null for any other opcode. False when
    // the read failed.
    bool stackFor(uint8_t opcode, const uint8_t*& stack);
    // RTS done by the IDE: SP + 2 written to the save area, PC from the
    // stack buffer, nothing left for the target to execute.
    void returnFromSubroutine();
    // RTI done by the IDE on the board: registers and PC from the stack
    // buffer, SP + 9, the save area written.
    void returnFromInterrupt();
    void writeSP();
    bool haltsAt(int32_t pc);

    // The peripherals' turn before the instruction at PC: true when an
    // interrupt entry, a trap, a wait or a stop took the instruction's
    // place (ok then tells whether the link stayed ready).
    [[gnu::noinline]] bool serviceChip(bool& ok);
    bool trapInstruction(bool& ok);
    void enterInterrupt(int32_t pc, uint16_t vector, bool setX, bool stack, int32_t returnPC, uint32_t cycles);
    // A stopped or waiting CPU that nothing can ever wake (headless stop).
    bool chipCannotResume(uint8_t ccr);
    // Whether a branch to itself at pc can still end (an interrupt may
    // enter, or the register it tests may change).
    bool selfBranchMayEnd(int32_t pc, uint8_t ccr, int32_t ix, int32_t iy);

    AccessLayer& link_;
    OnChip& chip_;
    BreakpointTable& breakpoints_;
    LinkOperandReader operandReader_;
    CodeWindow window_;
    bool windowValid_ = false;
    TargetMode windowMode_ = TargetMode::Simulator;
    bool boardWindowIntact_ = false;
    // RTI executed by the target: PC continues at the predicted return
    // address, not after the instruction.
    bool nextFromPrediction_ = false;
    int32_t predictedNext_ = 0;
    // Length of the instruction at PC when StepInto already looked it up
    // for MakeStep (0 = look it up).
    int knownLength_ = 0;
    int32_t stepOverTarget_ = 0;  // board Step Over: the call's entry
    int32_t stepOutReturn_ = 0;   // board Step Out: the original return address
    StepInfo lastStep_;
    StopReason lastStop_ = StopReason::None;
    // The headless loop's page-1 stretch facts without the opcodes that
    // stretchTraps_ (the simulator's trap table it was built for) traps.
    std::array<detail::StretchFacts, 256> stretchHere_{};
    const uint8_t* stretchTraps_ = nullptr;
    Recorder recorder_{*this};
    DataHit dataHit_;
    bool dataHitPending_ = false;
    uint64_t stepsBack_ = 0;
    // stackWindowWatched's answer for this SP and table revision.
    int32_t stackCheckedSP_ = -1;
    uint32_t stackCheckedRevision_ = 0;
    bool stackWatched_ = false;
};

} // namespace zelk
