// Execution control (see ExecutionControl.h).
#include "run/ExecutionControl.h"

#include "code/Decoder.h"
#include "code/OpcodeFacts.h"

#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <thread>

namespace zelk {

namespace {

constexpr uint8_t OpTAP = 0x06;
constexpr uint8_t OpRTS = 0x39;
constexpr uint8_t OpSWI = 0x3F;
constexpr uint8_t OpRTI = 0x3B;
constexpr uint8_t OpWAI = 0x3E;
constexpr uint8_t OpSTOP = 0xCF;

// The bytes of the instruction of length len at pc as Step takes them, the
// unused ones passed as 1; one unaligned 8-byte load where the image allows.
inline void instructionBytes(const uint8_t* image, int32_t pc, int len, uint8_t (&instr)[8])
{
    if (std::endian::native == std::endian::little && pc <= 0x10000 - 8) {
        static constexpr uint64_t keep[6] = {0, 0xFF, 0xFFFF, 0xFFFFFF, 0xFFFFFFFF, 0xFFFFFFFFFF};
        uint64_t bytes;
        std::memcpy(&bytes, image + pc, 8);
        bytes = (bytes & keep[len]) | (0x0101010101010101ull & ~keep[len]);
        std::memcpy(instr, &bytes, 8);
    } else {
        for (int i = 0; i < 5; ++i)
            instr[i] = i < len ? image[(pc + i) & 0xFFFF] : 1;
    }
}

// The facts of each page-1 opcode that the headless loop's inner stretch
// runs without further looks: straight-line code (no flow of its own, not
// a prefix, not WAI or STOP, which a run may have to stop before), and the
// branches, calls, jumps and RTS whose target the loop works out from the
// operand, the flags or the stack alone. Length 0 for every other opcode
// (RTI, the prefixes, WAI, STOP). One small load decides a step.
using detail::StretchFacts;
using detail::StretchRoad;

std::array<StretchFacts, 256> buildStretchFacts()
{
    std::array<StretchFacts, 256> t{};
    for (int op = 0; op < 256; ++op) {
        const OpcodeFacts& f = opcodeFacts[0][static_cast<size_t>(op)];
        if (prefixPage[static_cast<size_t>(op)] != 0 || op == OpWAI || op == OpSTOP)
            continue;
        const bool x = f.format == OperandFormat::BitBranchIndexedX;
        StretchRoad road = StretchRoad::Straight;
        bool known = true;
        switch (f.flow) {
        case Flow::None: break;
        case Flow::Branch: known = f.format == OperandFormat::Relative; road = StretchRoad::Branch; break;
        case Flow::BitBranchSet:
            known = x || f.format == OperandFormat::BitBranchDirect;
            road = x ? StretchRoad::BitSetX : StretchRoad::BitSet;
            break;
        case Flow::BitBranchClear:
            known = x || f.format == OperandFormat::BitBranchDirect;
            road = x ? StretchRoad::BitClearX : StretchRoad::BitClear;
            break;
        case Flow::Call:
            switch (f.format) {
            case OperandFormat::Relative: road = StretchRoad::CallRelative; break;
            case OperandFormat::Direct: road = StretchRoad::CallDirect; break;
            case OperandFormat::Extended: road = StretchRoad::CallExtended; break;
            case OperandFormat::IndexedX: road = StretchRoad::CallX; break;
            default: known = false; break;
            }
            break;
        case Flow::Jump:
            switch (f.format) {
            case OperandFormat::Extended: road = StretchRoad::JumpExtended; break;
            case OperandFormat::IndexedX: road = StretchRoad::JumpX; break;
            default: known = false; break;
            }
            break;
        case Flow::ReturnSub: road = StretchRoad::Return; break;
        default: known = false; break;
        }
        if (known)
            t[static_cast<size_t>(op)] = StretchFacts{f.length, f.cycles, road};
    }
    return t;
}

// Built at start-up from the constant opcode facts.
const std::array<StretchFacts, 256> stretchFacts = buildStretchFacts();

// The target of a call or jump at pc of the given length whose operand is in
// format (operand(i): the i-th byte after the opcode byte), or -1 for a
// format no call or jump has.
template <class Operand>
[[gnu::always_inline]] inline int32_t callOrJumpTarget(OperandFormat format, int32_t pc, int length, int32_t ix,
                                                       int32_t iy, Operand operand)
{
    switch (format) {
    case OperandFormat::Direct: return operand(1);
    case OperandFormat::Extended: return operand(1) << 8 | operand(2);
    case OperandFormat::IndexedX: return (ix + operand(1)) & 0xFFFF;
    case OperandFormat::IndexedY: return (iy + operand(1)) & 0xFFFF;
    case OperandFormat::Relative: return (pc + length + static_cast<int8_t>(operand(1))) & 0xFFFF;
    default: return -1;
    }
}

// The register save area $0000-$0008 from Korvex's record, as
// SimulatorTarget::storeSaveArea writes it, in fewer operations: A:B as
// they are, IX and IY in one load and byte reversal, SP in one swap.
inline void writeSaveArea(uint8_t* m, const KorvexRegisters& r)
{
    if constexpr (std::endian::native == std::endian::little) {
        static_assert(offsetof(KorvexRegisters, b) == offsetof(KorvexRegisters, a) + 1 &&
                          offsetof(KorvexRegisters, iy) == offsetof(KorvexRegisters, ix) + 2 &&
                          offsetof(KorvexRegisters, sp) == offsetof(KorvexRegisters, ix) + 4 &&
                          offsetof(KorvexRegisters, pc) == offsetof(KorvexRegisters, ix) + 6,
                      "A:B and IX..PC must be adjacent fields");
        // IX:IY as one word pair: its halves exchanged, then all four
        // bytes reversed, gives IXH IXL IYH IYL.
        uint32_t xy;
        std::memcpy(&xy, &r.ix, 4);
        xy = __builtin_bswap32(std::rotl(xy, 16));
        const uint16_t sp = __builtin_bswap16(r.sp);
        std::memcpy(m, &r.a, 2);
        std::memcpy(m + 2, &xy, 4);
        std::memcpy(m + 6, &sp, 2);
        m[8] = r.ccr;
    } else {
        SimulatorTarget::storeSaveArea(m, r);
    }
}

// The registers of a step in Korvex's record as the step history keeps
// them: the flags are CCR's (the recording headless loop's always are).
inline StepRegs stepRegsOf(const KorvexRegisters& r, int32_t pc)
{
    uint64_t flags;
    std::memcpy(&flags, detail::flagTable.flags[r.ccr].data(), 8);
    return StepRegs{r.ix, r.iy, r.sp, pc, flags, r.a, r.b, r.ccr};
}

// Whether a step's stack accesses may reach the on-chip register block: SP
// within $0FF0..$104F covers a pull of up to nine bytes above SP (RTI) and
// the pushes below it.
inline bool stackBesideChip(int32_t sp)
{
    return static_cast<uint32_t>(sp - 0x0FF0) < 0x60;
}

} // namespace

ExecutionControl::ExecutionControl(AccessLayer& link, BreakpointTable& breakpoints)
    : link_(link), chip_(link.simulator().chip()), breakpoints_(breakpoints), operandReader_(link, history)
{
}

const CodeWindow& ExecutionControl::refillCodeWindow(int32_t pc)
{
    pc &= 0xFFFF;
    link_.fillCodeWindow(window_, pc);
    windowValid_ = link_.linkReady() && window_.base == pc;
    windowMode_ = link_.mode();
    boardWindowIntact_ = true;
    return window_;
}

// Runs before every step: kept inline so that most steps pay one compare.
[[gnu::always_inline]] inline bool ExecutionControl::stackFor(uint8_t opcode, const uint8_t*& stack)
{
    stack = nullptr;
    if (opcode != OpRTS && opcode != OpRTI)
        return true;
    link_.InStack();
    if (!link_.linkReady())
        return false;
    stack = link_.stackBuffer.data();
    return true;
}

// Simulator mode with the link ready: the same as the general road below,
// without the code window (PC..PC+4 are read from the image the window
// would copy them from) and without the general prediction call, for every
// instruction but RTI. Calls, jumps, RTS and the bit branches go through the
// access layer exactly as the general road does (stack writes, the save
// area's SP, the I/O unit's notice of an operand read). Returns false,
// having done nothing, for an instruction that needs the general road.
[[gnu::always_inline]] inline bool ExecutionControl::stepIntoSimulated(bool& ok)
{
    CpuRegisters& regs = link_.regs;
    const int32_t pc = regs.PC & 0xFFFF;
    const uint8_t* image = link_.image();
    const uint8_t opcode = image[pc];
    const uint8_t page = prefixPage[opcode];
    // k: the opcode byte (past a prefix); operand bytes follow it.
    const int32_t k = page ? pc + 1 : pc;
    const OpcodeFacts& facts = opcodeFacts[page][image[k & 0xFFFF]];
    auto operand = [image, k](int i) { return image[(k + i) & 0xFFFF]; };
    int32_t next = (pc + facts.length) & 0xFFFF;
    bool taken = false, isCall = false;
    switch (facts.flow) {
    case Flow::None:
        break;
    case Flow::Branch:
        taken = branchTaken(opcode, regs);
        if (taken)
            next = (pc + 2 + static_cast<int8_t>(operand(1))) & 0xFFFF;
        break;
    case Flow::Call:
    case Flow::Jump:
        isCall = facts.flow == Flow::Call;
        taken = !isCall;
        next = callOrJumpTarget(facts.format, pc, facts.length, regs.IX, regs.IY, operand);
        if (next < 0)
            return false;
        break;
    case Flow::ReturnSub:
        regs.PC = pc;
        addCycles(pc, facts.cycles);
        link_.InStack();
        if (!link_.linkReady()) {
            ok = false;
            return true;
        }
        next = link_.stackBuffer[1] << 8 | link_.stackBuffer[2];
        lastStep_ = StepInfo{pc, next, false, false, true, false};
        nextFromPrediction_ = false;
        returnFromSubroutine();
        stepKind = StepKind::StepInto;
        finishStep();
        ok = link_.linkReady();
        return true;
    case Flow::BitBranchSet:
    case Flow::BitBranchClear: {
        int32_t address = operand(1);
        if (facts.format == OperandFormat::BitBranchIndexedX)
            address += regs.IX;
        else if (facts.format == OperandFormat::BitBranchIndexedY)
            address += regs.IY;
        // Mask and offset as they stood before the operand read (which may
        // let the I/O unit write the image).
        const uint8_t mask = operand(2);
        const int8_t offset = static_cast<int8_t>(operand(3));
        regs.PC = pc;
        addCycles(pc, facts.cycles);
        uint8_t value = 0;
        if (!operandReader_.readOperandByte(address & 0xFFFF, value)) {
            ok = false;
            return true;
        }
        const uint8_t bits = facts.flow == Flow::BitBranchSet ? static_cast<uint8_t>(~value) : value;
        taken = (bits & mask) == 0;
        if (taken)
            next = (pc + facts.length + offset) & 0xFFFF;
        break;
    }
    default:
        return false;
    }
    if (facts.flow != Flow::BitBranchSet && facts.flow != Flow::BitBranchClear) {
        regs.PC = pc;
        addCycles(pc, facts.cycles);
    }
    lastStep_ = StepInfo{pc, next, taken, isCall, false, !taken && !isCall};
    nextFromPrediction_ = false;
    stepKind = StepKind::StepInto;
    if (isCall) {
        // The return address: high byte at SP-1, low byte at SP.
        const int32_t returnAddress = (pc + facts.length) & 0xFFFF;
        regs.PC = next;
        regs.SP = (regs.SP - 1) & 0xFFFF;
        const uint8_t ret[2] = {static_cast<uint8_t>(returnAddress >> 8), static_cast<uint8_t>(returnAddress)};
        link_.OutBytes(regs.SP, ret, 2);
        regs.SP = (regs.SP - 1) & 0xFFFF;
        writeSP();
        executeFlag = false;
    } else if (taken) {
        regs.PC = next;
        executeFlag = false;
    } else {
        executeFlag = true;
        if (SimulatorTarget::codeInPlace(pc)) [[likely]] {
            link_.simulator().execute(regs, image + pc);
        } else {
            uint8_t instr[8];
            instructionBytes(image, pc, facts.length, instr);
            link_.simulator().execute(regs, instr);
        }
        regs.PC = next;
    }
    finishStep();
    ok = link_.linkReady();
    return true;
}

// The end of a simulated step: as makeStepSimulated after the target's work.
[[gnu::always_inline]] inline void ExecutionControl::finishStep()
{
    knownLength_ = 0;
    if (!link_.linkReady())
        return;
    if (link_.hasHooks()) {
        ViewHooks& hooks = link_.hooks();
        if (playRunning)
            hooks.RefreshCpuWindow();
        else
            hooks.Refresh();
        hooks.ClockCountUpdate();
    }
}

[[gnu::always_inline]] inline bool ExecutionControl::stepIntoPlain()
{
    if (chip_.due() || link_.simulator().trapsAt(link_.regs.PC)) [[unlikely]] {
        bool ok;
        if (serviceChip(ok))
            return ok;
    }
    if (simulatorShortRoad && link_.simulatorMode() && link_.linkReady()) [[likely]] {
        bool ok;
        if (stepIntoSimulated(ok))
            return ok;
    }
    return stepIntoGeneral();
}

// A simulated step with the memory watch armed: the history gets the state
// before it and the old value of each byte it writes, the data breakpoints
// see every access of the program.
[[gnu::always_inline]] inline bool ExecutionControl::stepIntoWatched()
{
    SimulatorTarget& sim = link_.simulator();
    sim.setWatch(&recorder_);
    const CpuRegisters& regs = link_.regs;
    const int32_t sp = regs.SP, ix = regs.IX, iy = regs.IY;
    history.begin(regs, clockCounter, sim.image());
    // The peripherals take part when an event falls due or a trap is at PC
    // (and their registers are read when the stack lies beside them).
    if (chip_.enabled() && (chip_.due() || sim.trapsAt(regs.PC) || stackBesideChip(sp)))
        [[unlikely]]
        history.noteChip(chip_.s);
    dataHitPending_ = false;
    // Before the step: its window updates already show the present.
    stepsBack_ = 0;
    sim.armWatch(true);
    const bool ok = stepIntoPlain();
    sim.armWatch(false);
    // A step whose cycles bring an event due: whoever looks next (a view, the
    // next step) lets it happen, so Step Back must give their state back.
    // Nothing but their time changed in such a step: the state now is the
    // state before it.
    if (chip_.enabled() && chip_.due() && history.wantsChip()) [[unlikely]]
        history.noteChip(chip_.s);
    if (lastStep_.isCall || lastStep_.isReturn || lastStep_.taken) {
        // A taken relative branch or a jump reads nothing (the common case).
        const uint8_t op = sim.image()[lastStep_.pc & 0xFFFF];
        if (!lastStep_.taken || lastStep_.isCall || ((op & 0xF0) != 0x20 && op != 0x7E && op != 0x6E))
            noteFlowAccesses(sp, ix, iy);
    }
    history.end(regs, clockCounter);
    return ok;
}

bool ExecutionControl::stackWindowWatched(int32_t sp)
{
    sp &= 0xFFFF;
    if (sp != stackCheckedSP_ || dataBreakpoints.revision() != stackCheckedRevision_) {
        // SWI and WAI stack nine bytes down to SP-8, RTI pulls nine up to SP+9.
        uint8_t any = 0;
        for (int32_t a = sp - 8; a <= sp + 9; ++a)
            any |= dataBreakpoints.watched(static_cast<uint32_t>(a) & 0xFFFF);
        stackWatched_ = any != 0;
        stackCheckedSP_ = sp;
        stackCheckedRevision_ = dataBreakpoints.revision();
    }
    return stackWatched_;
}

namespace {

// How an instruction reaches data memory, per [page][opcode] as in
// opcodeFacts: where its operand address comes from, and whether it uses
// the stack (pushes, pulls, returns, SWI, WAI, calls). An undefined opcode
// is Unknown: its step is always watched.
enum class OperandReach : uint8_t { None, Direct, Extended, IndexedX, IndexedY, Unknown };
struct Reach {
    OperandReach operand = OperandReach::None;
    bool stack = false;
};

struct ReachTable {
    std::array<std::array<Reach, 256>, 4> pages{};
    ReachTable()
    {
        constexpr uint8_t prefixes[4] = {0, 0x18, 0x1A, 0xCD};
        for (int p = 0; p < 4; ++p)
            for (int op = 0; op < 256; ++op) {
                const OpcodeFacts& facts = opcodeFacts[static_cast<size_t>(p)][static_cast<size_t>(op)];
                Reach& r = pages[static_cast<size_t>(p)][static_cast<size_t>(op)];
                switch (facts.format) {
                case OperandFormat::Direct:
                case OperandFormat::BitDirect:
                case OperandFormat::BitBranchDirect: r.operand = OperandReach::Direct; break;
                case OperandFormat::Extended: r.operand = OperandReach::Extended; break;
                case OperandFormat::IndexedX:
                case OperandFormat::BitIndexedX:
                case OperandFormat::BitBranchIndexedX: r.operand = OperandReach::IndexedX; break;
                case OperandFormat::IndexedY:
                case OperandFormat::BitIndexedY:
                case OperandFormat::BitBranchIndexedY: r.operand = OperandReach::IndexedY; break;
                default: break;
                }
                const bool defined = findInstruction(prefixes[p], static_cast<uint8_t>(op)) != nullptr;
                r.stack = facts.stack;
                if (!defined)
                    r.operand = OperandReach::Unknown;
            }
    }
};

const ReachTable reachTable;

} // namespace

[[gnu::always_inline]] inline bool ExecutionControl::mayTouchWatched()
{
    const CpuRegisters& regs = link_.regs;
    const int32_t pc = regs.PC & 0xFFFF;
    SimulatorTarget& sim = link_.simulator();
    // With the peripherals off nothing is ever due and nothing traps.
    if (chip_.enabled() && (chip_.due() || sim.trapsAt(pc))) [[unlikely]]
        return true;
    const uint8_t* image = sim.image();
    const uint8_t page = prefixPage[image[pc]];
    const int32_t k = page ? pc + 1 : pc;  // the opcode byte on its page
    const Reach r = reachTable.pages[page][image[k & 0xFFFF]];
    if (r.stack && stackWindowWatched(regs.SP))
        return true;
    const uint32_t op1 = image[(k + 1) & 0xFFFF];
    uint32_t ea;
    switch (r.operand) {
    case OperandReach::None:
        return false;
    case OperandReach::Direct:
        ea = op1;
        break;
    case OperandReach::Extended:
        ea = op1 << 8 | image[(k + 2) & 0xFFFF];
        break;
    case OperandReach::IndexedX:
        ea = op1 + static_cast<uint32_t>(regs.IX);
        break;
    case OperandReach::IndexedY:
        ea = op1 + static_cast<uint32_t>(regs.IY);
        break;
    default:
        return true;
    }
    // One or two bytes from the effective address (a word may cross $FFFF).
    return (dataBreakpoints.watched(ea & 0xFFFF) | dataBreakpoints.watched((ea + 1) & 0xFFFF)) != 0;
}

[[gnu::always_inline]] inline bool ExecutionControl::stepInto()
{
    if (watching() && link_.simulatorMode()) [[unlikely]] {
        if (!dataBreakpointFilter || history.enabled() || mayTouchWatched())
            return stepIntoWatched();
        // Nothing watched within its reach: the plain road (the watch stays
        // disarmed), with what a watched step reports.
        dataHitPending_ = false;
        stepsBack_ = 0;
    }
    return stepIntoPlain();
}

bool ExecutionControl::StepInto()
{
    return stepInto();
}

bool ExecutionControl::serviceChip(bool& ok)
{
    if (!link_.simulatorMode() || !link_.linkReady() || !chip_.enabled())
        return false;
    CpuRegisters& regs = link_.regs;
    const int32_t pc = regs.PC & 0xFFFF;
    regs.PC = pc;
    ok = true;
    chip_.catchUp();
    const IrqSource source = chip_.pending(regs.CCR);
    if (source == IrqSource::CopFailure) {
        // The watchdog resets the chip: no stacking, S, X and I set.
        chip_.reset();
        regs.CCR |= 0xD0;
        enterInterrupt(pc, vectorOf(source), false, false, pc, 0);
        return true;
    }
    switch (chip_.s.cpu) {
    case CpuMode::Stopped:
        if (source == IrqSource::Xirq || source == IrqSource::Irq) {
            chip_.s.cpu = CpuMode::Running;
            chip_.acknowledge(source);
            enterInterrupt(pc, vectorOf(source), source == IrqSource::Xirq, true, pc, InterruptEntryCycles);
            return true;
        }
        if (chip_.s.xirqLatch) {
            // XIRQ while X is set: the CPU goes on after STOP.
            chip_.s.xirqLatch = false;
            chip_.s.cpu = CpuMode::Running;
            chip_.catchUp();
        }
        lastStep_ = StepInfo{pc, pc, false, false, false, false};
        executeFlag = false;
        finishStep();
        return true;
    case CpuMode::Waiting:
        if (source != IrqSource::None) {
            // WAI stacked already: the vector is all that is left.
            chip_.s.cpu = CpuMode::Running;
            chip_.acknowledge(source);
            enterInterrupt(pc, vectorOf(source), source == IrqSource::Xirq, false, pc, 3);
            return true;
        }
        {
            // Nothing to enter yet: the clock jumps to the next event.
            const uint64_t next = chip_.earliestEvent();
            uint64_t jump = 1;
            if (next != OnChip::Never && next > chip_.s.now)
                jump = next - chip_.s.now;
            addCycles(pc, static_cast<uint32_t>(jump < (1u << 30) ? jump : (1u << 30)));
            chip_.catchUp();
        }
        lastStep_ = StepInfo{pc, pc, false, false, false, false};
        executeFlag = false;
        finishStep();
        return true;
    case CpuMode::Running:
        if (source != IrqSource::None) {
            chip_.acknowledge(source);
            enterInterrupt(pc, vectorOf(source), source == IrqSource::Xirq, true, pc, InterruptEntryCycles);
            return true;
        }
        break;
    }
    if (!link_.simulator().trapsAt(pc))
        return false;
    return trapInstruction(ok);
}

bool ExecutionControl::trapInstruction(bool& ok)
{
    CpuRegisters& regs = link_.regs;
    SimulatorTarget& sim = link_.simulator();
    const int32_t pc = regs.PC & 0xFFFF;
    const uint8_t* image = sim.image();
    const uint8_t opcode = image[pc];
    const uint8_t page = prefixPage[opcode];
    const OpcodeFacts& facts = opcodeFacts[page][page ? image[(pc + 1) & 0xFFFF] : opcode];
    const int32_t after = (pc + facts.length) & 0xFFFF;
    ok = true;
    switch (page ? 0 : opcode) {
    case OpWAI:
        addCycles(pc, facts.cycles);
        enterInterrupt(pc, 0, false, true, after, 0);
        // Not an entry yet: the I bit stays, PC waits after WAI.
        chip_.s.cpu = CpuMode::Waiting;
        chip_.catchUp();
        return true;
    case OpSWI:
        addCycles(pc, facts.cycles);
        enterInterrupt(pc, VectorSwi, false, true, after, 0);
        return true;
    case OpSTOP:
        if (regs.CCR & 0x80)
            return false;  // S set: STOP is a no-op, Korvex's way
        addCycles(pc, facts.cycles);
        chip_.s.cpu = CpuMode::Stopped;
        chip_.catchUp();
        regs.PC = after;
        lastStep_ = StepInfo{pc, after, false, false, false, false};
        executeFlag = false;
        finishStep();
        return true;
    case OpTAP: {
        addCycles(pc, facts.cycles);
        // X may be cleared, never set, by software.
        regs.CCR = static_cast<uint8_t>(regs.A & (0xBF | (regs.CCR & 0x40)));
        regs.unpackCCR();
        regs.storeSaveArea(sim.image());
        regs.PC = after;
        lastStep_ = StepInfo{pc, after, false, false, false, true};
        executeFlag = false;
        finishStep();
        return true;
    }
    default:
        // TEST and every undefined opcode: the illegal-opcode trap, with
        // the address after the opcode stacked.
        addCycles(pc, 2);
        enterInterrupt(pc, VectorIllegal, false, true, after, InterruptEntryCycles);
        return true;
    }
}

void ExecutionControl::enterInterrupt(int32_t pc, uint16_t vector, bool setX, bool stack, int32_t returnPC,
                                      uint32_t cycles)
{
    CpuRegisters& regs = link_.regs;
    SimulatorTarget& sim = link_.simulator();
    if (stack) {
        // From SP down: PC low, PC high, IY, IX, A, B, CCR at SP-8.
        const uint8_t frame[9] = {regs.CCR,
                                  regs.B,
                                  regs.A,
                                  static_cast<uint8_t>(regs.IX >> 8),
                                  static_cast<uint8_t>(regs.IX),
                                  static_cast<uint8_t>(regs.IY >> 8),
                                  static_cast<uint8_t>(regs.IY),
                                  static_cast<uint8_t>(returnPC >> 8),
                                  static_cast<uint8_t>(returnPC)};
        sim.write((regs.SP - 8) & 0xFFFF, frame, 9);
        regs.SP = (regs.SP - 9) & 0xFFFF;
    }
    if (vector) {
        regs.CCR |= 0x10;
        if (setX)
            regs.CCR |= 0x40;
        regs.PC = sim.peek(vector) << 8 | sim.peek(vector + 1);
    } else {
        regs.PC = returnPC & 0xFFFF;
    }
    regs.unpackCCR();
    regs.storeSaveArea(sim.image());
    addCycles(pc, cycles);
    lastStep_ = StepInfo{pc, regs.PC, false, false, false, false};
    executeFlag = false;
    nextFromPrediction_ = false;
    knownLength_ = 0;
    stepKind = StepKind::StepInto;
    finishStep();
}

bool ExecutionControl::chipCannotResume(uint8_t ccr)
{
    if (!chip_.enabled() || !link_.simulatorMode())
        return false;
    switch (chip_.s.cpu) {
    case CpuMode::Stopped:
        return !chip_.s.xirqLatch && !(chip_.s.irqLatch && !(ccr & 0x10));
    case CpuMode::Waiting:
        return !chip_.wakeable(ccr);
    case CpuMode::Running:
        break;
    }
    return false;
}

bool ExecutionControl::selfBranchMayEnd(int32_t pc, uint8_t ccr, int32_t ix, int32_t iy)
{
    if (!chip_.enabled() || !link_.simulatorMode())
        return false;
    SimulatorTarget& sim = link_.simulator();
    const uint8_t* image = sim.image();
    const uint8_t opcode = image[pc & 0xFFFF];
    const uint8_t page = prefixPage[opcode];
    const int32_t k = page ? pc + 1 : pc;
    const OpcodeFacts& facts = opcodeFacts[page][image[k & 0xFFFF]];
    if (facts.flow == Flow::BitBranchSet || facts.flow == Flow::BitBranchClear) {
        int32_t address = image[(k + 1) & 0xFFFF];
        if (facts.format == OperandFormat::BitBranchIndexedX)
            address += ix;
        else if (facts.format == OperandFormat::BitBranchIndexedY)
            address += iy;
        if (sim.chipAddress(address & 0xFFFF))
            return chip_.registerMayChange(static_cast<uint8_t>(address), image[(k + 2) & 0xFFFF]);
    }
    return chip_.wakeable(ccr);
}

void ExecutionControl::noteFlowAccesses(int32_t sp, int32_t ix, int32_t iy)
{
    const StepInfo& step = lastStep_;
    auto note = [this](int32_t address, DataAccess access) {
        const uint32_t a = static_cast<uint32_t>(address) & 0xFFFF;
        history.noteAccess(a, access == DataAccess::Write);
        if (dataBreakpoints.watched(a) & static_cast<uint8_t>(access))
            noteDataHit(a, access);
    };
    if (step.isCall) {
        // The return address went to SP-1 (high byte) and SP.
        note(sp - 1, DataAccess::Write);
        note(sp, DataAccess::Write);
    } else if (step.isReturn) {
        note(sp + 1, DataAccess::Read);
        note(sp + 2, DataAccess::Read);
    } else if (step.taken) {
        // A taken bit branch read its operand here (an executed one was
        // seen by the watch).
        const uint8_t* image = link_.image();
        const int32_t pc = step.pc & 0xFFFF;
        const uint8_t page = prefixPage[image[pc]];
        const int32_t k = page ? pc + 1 : pc;
        const OpcodeFacts& facts = opcodeFacts[page][image[k & 0xFFFF]];
        if (facts.flow != Flow::BitBranchSet && facts.flow != Flow::BitBranchClear)
            return;
        int32_t address = image[(k + 1) & 0xFFFF];
        if (facts.format == OperandFormat::BitBranchIndexedX)
            address += ix;
        else if (facts.format == OperandFormat::BitBranchIndexedY)
            address += iy;
        note(address, DataAccess::Read);
    }
}

void ExecutionControl::noteDataHit(uint32_t address, DataAccess access)
{
    if (!dataHitPending_) {
        dataHit_ = DataHit{static_cast<int32_t>(address), access, dataBreakpoints.entryFor(static_cast<int32_t>(address), access)};
        dataHitPending_ = true;
    }
    // A running loop stops before its next step.
    stopFlag = true;
}

void ExecutionControl::setHistoryCapacity(size_t steps)
{
    history.setCapacity(steps);
    if (history.empty())
        stepsBack_ = 0;
}

void ExecutionControl::showRestoredIo()
{
    SimulatorTarget& sim = link_.simulator();
    IoUnit* io = sim.ioUnit();
    if (!io)
        return;
    io->setInFresh(sim.peek(AccessLayer::IoInFresh));
    io->setInDataRegister(sim.peek(AccessLayer::IoInData));
    io->setOutFresh(sim.peek(AccessLayer::IoOutFresh));
    io->setOutDataRegister(sim.peek(AccessLayer::IoOutData));
}

bool ExecutionControl::undoStep()
{
    const uint32_t clockAfter = clockCounter;
    if (!history.undo(link_.regs, clockCounter, link_.image(), &chip_))
        return false;
    ++stepsBack_;
    // The profile gives back what the step added to it (a counter reset
    // since then has emptied it already).
    const uint32_t cycles = clockAfter - clockCounter;
    if (profile.enabled() && clockAfter >= clockCounter)
        profile.uncount(link_.regs.PC, cycles);
    return true;
}

bool ExecutionControl::newestStepHit(DataHit& hit) const
{
    bool found = false;
    history.forNewestAccesses([&](uint32_t address, bool write) {
        const DataAccess access = write ? DataAccess::Write : DataAccess::Read;
        if (found || !(dataBreakpoints.watched(address) & static_cast<uint8_t>(access)))
            return;
        hit = DataHit{static_cast<int32_t>(address), access, dataBreakpoints.entryFor(static_cast<int32_t>(address), access)};
        found = true;
    });
    return found;
}

bool ExecutionControl::StepBack()
{
    if (!link_.simulatorMode() || !link_.linkReady())
        return false;
    SimulatorTarget& sim = link_.simulator();
    uint8_t io[4];
    std::memcpy(io, sim.image() + AccessLayer::IoInFresh, 4);
    if (!undoStep())
        return false;
    if (std::memcmp(io, sim.image() + AccessLayer::IoInFresh, 4) != 0)
        showRestoredIo();
    ViewHooks& hooks = link_.hooks();
    hooks.Refresh();
    hooks.ClockCountUpdate();
    return true;
}

StopReason ExecutionControl::RunBack(const RunOptions& options)
{
    if (!canStepBack() || !link_.linkReady())
        return StopReason::None;
    SimulatorTarget& sim = link_.simulator();
    uint8_t io[4];
    std::memcpy(io, sim.image() + AccessLayer::IoInFresh, 4);
    ViewHooks& hooks = link_.hooks();
    stopFlag = false;
    animateRunning = false;
    playRunning = true;
    dataHitPending_ = false;
    hooks.runStarted(RunKind::Play);
    const uint64_t stepLimit = options.maxSteps ? options.maxSteps : UINT64_MAX;
    const uint32_t everySteps = options.eventEverySteps ? options.eventEverySteps : 1;
    StopReason reason = StopReason::Paused;
    uint64_t steps = 0;
    uint32_t sinceEvents = 0;
    while (!stopFlag) {
        if (steps >= stepLimit) {
            reason = StopReason::StepBound;
            break;
        }
        // Stepping back over an access a data breakpoint watches stops
        // before that instruction, as a forward run stops after it.
        DataHit hit;
        const bool dataHit = !dataBreakpoints.empty() && newestStepHit(hit);
        if (!undoStep()) {
            reason = StopReason::HistoryStart;
            break;
        }
        ++steps;
        if (dataHit) {
            dataHit_ = hit;
            dataHitPending_ = true;
            reason = StopReason::DataBreakpoint;
            break;
        }
        if (breakpoints_.count() > 0 && breakpoints_.contains(link_.regs.PC & 0xFFFF)) {
            reason = StopReason::Breakpoint;
            break;
        }
        if (++sinceEvents >= everySteps) {
            sinceEvents = 0;
            hooks.processEvents();
        }
    }
    stopFlag = true;
    playRunning = false;
    if (std::memcmp(io, sim.image() + AccessLayer::IoInFresh, 4) != 0)
        showRestoredIo();
    hooks.runStopped(RunKind::Play);
    hooks.Refresh();
    hooks.ClockCountUpdate();
    lastStop_ = reason;
    return reason;
}

void ExecutionControl::pace(Pacer& pacer, uint32_t& pacedClock)
{
    using Clock = Pacer::Clock;
    uint32_t delta = clockCounter - pacedClock;
    pacedClock = clockCounter;
    // The counter was reset meanwhile: nothing to account for.
    if (delta > (1u << 20))
        delta = 0;
    Clock::time_point now = Clock::now();
    const Clock::duration wait = pacer.wait(delta, now);
    if (wait < std::chrono::milliseconds(1))
        return;
    const Clock::time_point until = now + wait;
    while (!stopFlag && now < until) {
        std::this_thread::sleep_for(std::min<Clock::duration>(until - now, std::chrono::milliseconds(5)));
        link_.hooks().processEvents();
        now = Clock::now();
    }
}

bool ExecutionControl::stepIntoGeneral()
{
    CpuRegisters& regs = link_.regs;
    const int32_t pc = regs.PC & 0xFFFF;
    regs.PC = pc;
    const CodeWindow& w = codeAt(pc);
    if (!link_.linkReady())
        return false;
    // One look at the opcode facts gives the cycle count (as CycleCount)
    // and the length (as instructionLength) that MakeStep will need.
    const uint32_t k = static_cast<uint32_t>(pc - w.base) & 0xFFFF;  // <= 251: PC..PC+4 are in the window
    const uint8_t opcode = w.bytes[k];
    const uint8_t page = prefixPage[opcode];
    const OpcodeFacts& facts = opcodeFacts[page][page ? w.bytes[k + 1] : opcode];
    addCycles(pc, facts.cycles);

    const uint8_t* stack = nullptr;
    if (!stackFor(opcode, stack))
        return false;

    int32_t p = pc, next = 0;
    bool taken = false, isCall = false, isReturn = false;
    if (facts.flow == Flow::None) {
        // Straight-line code (most steps): the prediction is "the next
        // instruction", so ask for nothing more.
        next = (pc + facts.length) & 0xFFFF;
    } else if (!PredictNext(w, regs, stack, &operandReader_, p, true, next, taken, isCall, isReturn)) {
        return false;
    }
    next &= 0xFFFF;
    // A call pushes the address after it (what the prediction gives without
    // followCalls) as the return address.
    const int32_t returnAddress = (pc + facts.length) & 0xFFFF;

    lastStep_ = StepInfo{pc, next, taken, isCall, isReturn, false};
    nextFromPrediction_ = false;
    if (isReturn) {
        returnFromSubroutine();
    } else if (isCall) {
        regs.PC = next;
        regs.SP = (regs.SP - 1) & 0xFFFF;
        const uint8_t ret[2] = {static_cast<uint8_t>(returnAddress >> 8), static_cast<uint8_t>(returnAddress)};
        link_.OutBytes(regs.SP, ret, 2);  // high byte at SP-1, low byte at SP
        regs.SP = (regs.SP - 1) & 0xFFFF;
        writeSP();
        executeFlag = false;
    } else if (taken) {
        regs.PC = next;
        executeFlag = false;
    } else {
        executeFlag = true;
        if (opcode == OpRTI) {
            // The target pulls the registers and the return address; PC
            // follows it there rather than to the next instruction.
            nextFromPrediction_ = true;
            predictedNext_ = next;
        }
    }
    lastStep_.executed = executeFlag;
    stepKind = StepKind::StepInto;
    knownLength_ = facts.length;
    const uint8_t ccrBefore = regs.CCR;
    MakeStep();
    if (opcode == OpRTI && executeFlag && chip_.enabled() && link_.simulatorMode() && !(ccrBefore & 0x40) &&
        (regs.CCR & 0x40)) {
        // RTI restores X only if it is clear already: software never sets X.
        regs.CCR &= 0xBF;
        regs.unpackCCR();
        link_.image()[8] = regs.CCR;
    }
    return link_.linkReady();
}

void ExecutionControl::returnFromSubroutine()
{
    CpuRegisters& regs = link_.regs;
    regs.SP = (regs.SP + 2) & 0xFFFF;
    writeSP();
    regs.PC = link_.stackBuffer[1] << 8 | link_.stackBuffer[2];
    executeFlag = false;
}

void ExecutionControl::returnFromInterrupt()
{
    // The stack buffer holds SP..SP+9: CCR, B, A, IX, IY, PC above SP.
    CpuRegisters& regs = link_.regs;
    const auto& s = link_.stackBuffer;
    regs.CCR = s[1];
    regs.B = s[2];
    regs.A = s[3];
    regs.IX = s[4] << 8 | s[5];
    regs.IY = s[6] << 8 | s[7];
    regs.PC = s[8] << 8 | s[9];
    regs.SP = (regs.SP + 9) & 0xFFFF;
    regs.unpackCCR();
    uint8_t area[9];
    regs.storeSaveArea(area);
    link_.OutBytes(0x0000, area, 9);
}

void ExecutionControl::writeSP()
{
    const uint8_t sp[2] = {static_cast<uint8_t>(link_.regs.SP >> 8), static_cast<uint8_t>(link_.regs.SP)};
    link_.OutBytes(0x0006, sp, 2);
}

void ExecutionControl::MakeStep()
{
    if (!link_.linkReady())
        return;
    if (link_.simulatorMode())
        makeStepSimulated();
    else
        makeStepBoard();
}

// Simulator: Korvex executes the instruction against the image (the
// register save area follows), then PC advances by the length.
inline void ExecutionControl::makeStepSimulated()
{
    CpuRegisters& regs = link_.regs;
    const bool fromPrediction = nextFromPrediction_;
    nextFromPrediction_ = false;
    const int knownLength = knownLength_;
    knownLength_ = 0;
    if (executeFlag) {
        const int32_t pc = regs.PC & 0xFFFF;
        const int len = knownLength ? knownLength : instructionLength(codeAt(pc), pc);
        SimulatorTarget& sim = link_.simulator();
        const uint8_t* image = sim.image();
        uint8_t instr[5] = {1, 1, 1, 1, 1};
        for (int k = 0; k < len; ++k)
            instr[k] = image[(pc + k) & 0xFFFF];
        sim.execute(regs, instr);
        regs.PC = fromPrediction ? predictedNext_ : (pc + len) & 0xFFFF;
    }
    if (link_.hasHooks()) {
        ViewHooks& hooks = link_.hooks();
        if (playRunning)
            hooks.RefreshCpuWindow();
        else
            hooks.Refresh();
        hooks.ClockCountUpdate();
    }
}

// Board: the monitor executes the instruction slot and answers with the
// registers. PC is moved before sending, so a failed exchange leaves it
// moved (the user sees where the step was going).
void ExecutionControl::makeStepBoard()
{
    CpuRegisters& regs = link_.regs;
    ViewHooks& hooks = link_.hooks();
    const bool fromPrediction = nextFromPrediction_;
    nextFromPrediction_ = false;
    knownLength_ = 0;
    if (executeFlag) {
        const int32_t pc = regs.PC & 0xFFFF;
        const CodeWindow& w = codeAt(pc);
        const int len = instructionLength(w, pc);
        uint8_t slot[5] = {1, 1, 1, 1, 1};
        int32_t newPC = (pc + len) & 0xFFFF;
        bool send = true;
        switch (stepKind) {
        case StepKind::StepInto:
            if (fromPrediction) {
                // RTI: done here, as RTS is. In the slot it would pull the
                // return address and run on at full speed, never reaching
                // the monitor's return trap.
                returnFromInterrupt();
                send = false;
                break;
            }
            if (len > 4) {
                // A five-byte instruction (BRSET/BRCLR indexed by Y) does not
                // fit the four-byte slot. It reaches this point only when the
                // prediction, which read its operand from the board, found
                // the branch not taken; it changes no register and no flag,
                // so the step is PC + 5 without a frame.
                send = false;
                break;
            }
            for (int k = 0; k < len; ++k)
                slot[k] = w.at(pc + k);
            break;
        case StepKind::StepOver:  // a call: JSR to its entry, run at full speed
            slot[0] = 0xBD;
            slot[1] = static_cast<uint8_t>(stepOverTarget_ >> 8);
            slot[2] = static_cast<uint8_t>(stepOverTarget_);
            break;
        case StepKind::StepOut:  // JMP to PC; the return lands on the monitor's trap
            slot[0] = 0x7E;
            slot[1] = static_cast<uint8_t>(pc >> 8);
            slot[2] = static_cast<uint8_t>(pc);
            newPC = stepOutReturn_ & 0xFFFF;
            break;
        }
        if (!send) {
            if (!fromPrediction)
                regs.PC = newPC;
        } else {
            regs.PC = newPC;
            link_.setLinkReady(link_.target().step(regs, slot, stepKind));
        }
        if (!link_.linkReady()) {
            boardWindowIntact_ = false;
            hooks.ClockCountUpdate();
            return;
        }
    }
    // Outside Play the user may change memory before the next step (the
    // memory window, a download): the next single step reads the code from
    // the board again, whoever executed this one.
    if (!playRunning)
        boardWindowIntact_ = false;
    if (stopFlag || animateRunning) {
        hooks.Refresh();
    } else if (playRunning) {
        codeAt(regs.PC);
        hooks.RedrawCpuWindow();
    }
    hooks.ClockCountUpdate();
}

[[gnu::always_inline]] inline bool ExecutionControl::haltsAt(int32_t pc)
{
    // In simulator mode the code window would copy this byte from the image.
    const uint8_t opcode = simulatorShortRoad && link_.simulatorMode() && link_.linkReady()
                               ? link_.image()[pc & 0xFFFF]
                               : codeAt(pc).at(pc);
    if (chip_.enabled() && link_.simulatorMode()) [[unlikely]] {
        // An interrupt can end the wait: halt only when none ever can.
        if (chip_.s.cpu != CpuMode::Running)
            return chipCannotResume(link_.regs.CCR);
        if (opcode == OpWAI)
            return !chip_.wakeable(link_.regs.CCR);
    }
    return opcode == OpWAI || (opcode == OpSTOP && !link_.regs.S);
}

// Play with no views attached (no hooks: nothing can look at the registers
// or pause the loop between steps), or one slice of a Play whose views take
// their updates between slices (runSliced), in simulator mode, no tracer: the loop
// of runLoop with Korvex's registers kept in their own record, and PC, the
// clock counter and the last step's facts in locals, from one step to the
// next. The run state follows them before any other road runs and when the
// loop ends, so what anyone sees afterwards is what runLoop leaves. Only the
// memory callbacks run between two steps here, and they see the image alone.
// Everything but RTI runs here, with the stack, the save area's SP and the
// I/O unit's notice of a bit-branch operand handled as the access layer
// does them without hooks; RTI goes through stepInto() on the synchronised
// state.
//
// With the step history on (Record), each step run here writes the record
// the watched road (stepIntoWatched) would write for it: the state before
// it, its writes and the program's accesses through the armed memory watch
// (Korvex's calls) or noted here (the stack and save-area stores of a call
// or return, the flow accesses), the peripherals' snapshot under the same
// conditions, and the state after it. A step whose registers the record
// would see otherwise than Korvex's record holds them (flags that disagree
// with CCR, a register beyond 16 bits), one with the stack beside the
// peripherals' registers, and a bit branch whose bytes lie where its own
// operand read may change them go the general road, which records itself.
StopReason ExecutionControl::runHeadless(uint64_t stepLimit, bool stopOnHalt, bool stopOnSelfBranch,
                                         uint64_t sliceSteps, uint64_t& ran)
{
    if (history.enabled() && link_.simulatorMode())
        return runHeadlessRoad<true>(stepLimit, stopOnHalt, stopOnSelfBranch, sliceSteps, ran);
    return runHeadlessRoad<false>(stepLimit, stopOnHalt, stopOnSelfBranch, sliceSteps, ran);
}

template <bool Record>
StopReason ExecutionControl::runHeadlessRoad(uint64_t stepLimit, bool stopOnHalt, bool stopOnSelfBranch,
                                             uint64_t sliceSteps, uint64_t& ran)
{
    CpuRegisters& regs = link_.regs;
    SimulatorTarget& sim = link_.simulator();
    Korvex& korvex = sim.korvex();
    uint8_t* const image = sim.image();
    // Korvex's registers (its PC field is not used: PC lives in pc).
    KorvexRegisters cpu = SimulatorTarget::record(regs);
    int32_t pc = regs.PC & 0xFFFF;
    uint32_t clock = clockCounter;
    bool first = firstStep;
    // Until the first step here, the record's eight flags are the ones a
    // branch looks at, even if they disagree with its CCR.
    bool flagsInCcr = std::memcmp(&regs.C, detail::flagTable.flags[regs.CCR].data(), 8) == 0;
    bool cpuAhead = false;      // cpu holds results the record has not seen yet
    bool lastStepHere = false;  // the last step ran in this loop, not through stepInto()
    // The last step run here: a straight-line one from lastPc to pc, or the
    // one described by last.
    bool lastStraight = false;
    int32_t lastPc = 0;
    StepInfo last;
    auto toState = [&] {
        regs.PC = pc;
        clockCounter = clock;
        firstStep = first;
        if (cpuAhead)
            SimulatorTarget::storeResults(regs, cpu);
        cpuAhead = false;
    };
    // Recording: whether the record's registers are exactly Korvex's
    // (flags as CCR's bits, no register beyond 16 bits).
    auto recordable = [&regs, &flagsInCcr] {
        return flagsInCcr && static_cast<uint32_t>(regs.IX | regs.IY | regs.SP) <= 0xFFFF;
    };
    // Only a step on the general road can change the mode or the link.
    bool fast = link_.simulatorMode() && link_.linkReady() && (!Record || recordable());
    // Recording with the peripherals on: a step whose stack lies beside
    // their registers snapshots them first (the general road does).
    const bool chipOn = chip_.enabled();
    auto stackNearChip = [&cpu, chipOn] { return chipOn && stackBesideChip(cpu.sp); };
    auto stackByChip = [&stackNearChip] { return Record && stackNearChip(); };
    if constexpr (Record) {
        sim.setWatch(&recorder_);
        sim.armWatch(true);
    }
    // The end of a recorded step: the peripherals' state when its cycles
    // brought an event due, then the state after it.
    auto endRecord = [&] __attribute__((always_inline)) {
        if (chipOn && chip_.due() && history.wantsChip()) [[unlikely]]
            history.noteChip(chip_.s);
        history.end(stepRegsOf(cpu, pc), clock);
    };

    // Nothing that runs here can change the breakpoint table or switch the
    // profile.
    const bool anyBreakpoints = breakpoints_.count() > 0;
    const bool profiling = profile.enabled();

    StopReason reason = StopReason::Paused;
    uint64_t steps = 0;
    // The page-1 opcodes a step may run in the inner stretch after one look
    // at this table and at the peripherals' clock: none while the profile
    // counts or off the short road's conditions, none that the peripherals
    // trap.
    if (sim.trapTable() != stretchTraps_) {
        stretchTraps_ = sim.trapTable();
        for (int op = 0; op < 256; ++op)
            stretchHere_[static_cast<size_t>(op)] =
                stretchTraps_[op] == 0 ? stretchFacts[static_cast<size_t>(op)] : StretchFacts{};
    }
    static constexpr StretchFacts noStretch[256] = {};
    const StretchFacts* const stretchRoad = profiling ? noStretch : stretchHere_.data();
    const StretchFacts* stretch = fast ? stretchRoad : noStretch;
    // Korvex executes the instruction at pc in place, the save area follows.
    // (Its instance in a local: through the wrapper every call would load
    // it again, since Korvex's calls out may touch any object.)
    KorvexInstance* const kx = korvex.instance();
    auto executeAt = [&](int length) __attribute__((always_inline)) {
        if (SimulatorTarget::codeInPlace(pc)) [[likely]] {
            korvexExecute(kx, &cpu, image + pc);
        } else {
            uint8_t instr[8];
            instructionBytes(image, pc, length, instr);
            korvexExecute(kx, &cpu, instr);
        }
        writeSaveArea(image, cpu);
    };
    // A straight-line step of the given length and cycles: Korvex executes
    // it, PC moves on.
    auto straightStep = [&](int length, uint32_t cycles, bool count) __attribute__((always_inline)) {
        if constexpr (Record)
            history.begin(stepRegsOf(cpu, pc), clock, image);
        clock += cycles;
        chip_.advance(cycles);
        if (count) [[unlikely]]
            profile.count(pc, cycles);
        executeAt(length);
        cpuAhead = true;
        flagsInCcr = true;
        if constexpr (Record)
            endRecord();
        lastPc = pc;
        pc = (pc + length) & 0xFFFF;
        lastStraight = true;
        lastStepHere = true;
        first = false;
        ++steps;
    };
    // Recording: a store noted with the byte it replaces.
    auto store = [&history = history, image](uint32_t address, uint8_t value) __attribute__((always_inline)) {
        if constexpr (Record)
            history.noteWrite(address, image[address]);
        image[address] = value;
    };
    // A call's return address pushed (high byte at SP-1, low byte at SP),
    // then the save area's SP, as the access layer writes them.
    auto pushReturn = [&](int32_t returnAddress) __attribute__((always_inline)) {
        const uint16_t sp = static_cast<uint16_t>(cpu.sp - 1);
        store(sp, static_cast<uint8_t>(returnAddress >> 8));
        store(static_cast<uint16_t>(sp + 1), static_cast<uint8_t>(returnAddress));
        cpu.sp = static_cast<uint16_t>(sp - 1);
        store(6, static_cast<uint8_t>(cpu.sp >> 8));
        store(7, static_cast<uint8_t>(cpu.sp));
        if constexpr (Record) {
            history.noteAccess(sp, true);
            history.noteAccess(static_cast<uint16_t>(sp + 1), true);
        }
    };
    // A return: the ten bytes from SP into the stack buffer (InStack), the
    // return address from them, SP moved on and written to the save area.
    auto pullReturn = [&]() __attribute__((always_inline)) -> int32_t {
        if (cpu.sp <= 0x10000 - 10) {
            std::memcpy(link_.stackBuffer.data(), image + cpu.sp, 10);
        } else {
            for (int i = 0; i < 10; ++i)
                link_.stackBuffer[static_cast<size_t>(i)] = image[(cpu.sp + i) & 0xFFFF];
        }
        const uint16_t sp = static_cast<uint16_t>(cpu.sp - 1);
        cpu.sp = static_cast<uint16_t>(cpu.sp + 2);
        store(6, static_cast<uint8_t>(cpu.sp >> 8));
        store(7, static_cast<uint8_t>(cpu.sp));
        if constexpr (Record) {
            history.noteAccess(static_cast<uint16_t>(sp + 2), false);
            history.noteAccess(static_cast<uint16_t>(sp + 3), false);
        }
        return link_.stackBuffer[1] << 8 | link_.stackBuffer[2];
    };

    // The inner stretch: how its last step ended.
    enum class Ended : uint8_t { Executed, Taken, Call, Return };
    Ended ended = Ended::Executed;
    uint64_t takenSteps = 0;  // the stretch's taken branches and jumps (registers unchanged)
    // A stretch step begins: recording, the state before it; the cycles
    // counted. Only the peripherals' clock counts them step by step (the
    // stretch ends before anything else could change it); the clock
    // counter follows it at the stretch's end, except while recording,
    // where every record holds the counter.
    auto beginStep = [&](const StretchFacts f) __attribute__((always_inline)) {
        if constexpr (Record) {
            history.begin(stepRegsOf(cpu, pc), clock, image);
            clock += f.cycles;
        }
        chip_.advance(f.cycles);
    };
    // One step of the stretch (which starts only while the record's flags
    // are CCR's bits, and keeps them so), or false (nothing done) when this
    // step needs the outer loop's looks: a branch, jump or call to itself
    // (the run may stop there), a call's or return's stack beside the
    // register block, a bit branch whose operand is the peripherals' or the
    // I/O unit's (or, recording, whose bytes its own read may change).
    auto stretchStep = [&](const StretchFacts f) __attribute__((always_inline)) -> bool {
        const auto operand = [image, at = pc](int i) { return image[(at + i) & 0xFFFF]; };
        int32_t target = 0;
        if (f.road == StretchRoad::Straight) [[likely]] {
        execute:
            beginStep(f);
            executeAt(f.length);
            if constexpr (Record)
                endRecord();
            pc = (pc + f.length) & 0xFFFF;
            ended = Ended::Executed;
            return true;
        }
        switch (f.road) {
        case StretchRoad::Straight: goto execute;
        case StretchRoad::Branch:
            if ((branchConditions[image[pc] & 0x0F] >> (cpu.ccr & 0x0F) & 1) == 0)
                goto execute;
            target = (pc + 2 + static_cast<int8_t>(operand(1))) & 0xFFFF;
            break;
        case StretchRoad::BitSet:
        case StretchRoad::BitClear:
        case StretchRoad::BitSetX:
        case StretchRoad::BitClearX: {
            int32_t address = operand(1);
            if (f.road == StretchRoad::BitSetX || f.road == StretchRoad::BitClearX)
                address = (address + cpu.ix) & 0xFFFF;
            if (address == AccessLayer::IoInFresh || address == AccessLayer::IoInData || sim.chipAddress(address) ||
                (Record && !SimulatorTarget::codeInPlace(pc))) [[unlikely]]
                return false;
            const uint8_t value = image[address];
            const bool set = f.road == StretchRoad::BitSet || f.road == StretchRoad::BitSetX;
            if ((static_cast<uint8_t>(set ? ~value : value) & operand(2)) != 0)
                goto execute;
            target = (pc + f.length + static_cast<int8_t>(operand(3))) & 0xFFFF;
            if (target == pc)
                return false;
            beginStep(f);
            if constexpr (Record) {
                // A taken one read its operand here.
                history.noteAccess(static_cast<uint32_t>(address), false);
                endRecord();
            }
            pc = target;
            ended = Ended::Taken;
            ++takenSteps;
            return true;
        }
        case StretchRoad::JumpExtended: target = operand(1) << 8 | operand(2); break;
        case StretchRoad::JumpX: target = (cpu.ix + operand(1)) & 0xFFFF; break;
        case StretchRoad::CallRelative:
        case StretchRoad::CallDirect:
        case StretchRoad::CallExtended:
        case StretchRoad::CallX:
            switch (f.road) {
            case StretchRoad::CallRelative:
                target = (pc + f.length + static_cast<int8_t>(operand(1))) & 0xFFFF;
                break;
            case StretchRoad::CallDirect: target = operand(1); break;
            case StretchRoad::CallExtended: target = operand(1) << 8 | operand(2); break;
            default: target = (cpu.ix + operand(1)) & 0xFFFF; break;
            }
            if (target == pc || stackNearChip()) [[unlikely]]
                return false;
            beginStep(f);
            pushReturn((pc + f.length) & 0xFFFF);
            if constexpr (Record)
                endRecord();
            pc = target;
            ended = Ended::Call;
            return true;
        case StretchRoad::Return:
            if (stackNearChip()) [[unlikely]]
                return false;
            beginStep(f);
            target = pullReturn();
            if constexpr (Record)
                endRecord();
            pc = target;
            ended = Ended::Return;
            return true;
        }
        // A taken branch or a jump: PC moves to its target.
        if (target == pc) [[unlikely]]
            return false;
        beginStep(f);
        if constexpr (Record)
            endRecord();
        pc = target;
        ended = Ended::Taken;
        ++takenSteps;
        return true;
    };

    // One look per step at both bounds: a slice ends before anything else
    // is looked at (the next slice starts there), the step bound after the
    // breakpoint check.
    const uint64_t limit = std::min(stepLimit, sliceSteps);
    while (!stopFlag) {
        if (steps >= limit) [[unlikely]] {
            if (steps >= sliceSteps) {
                reason = StopReason::None;
                break;
            }
            if (!(anyBreakpoints && !first && breakpoints_.contains(pc))) {
                stopFlag = true;
                reason = StopReason::StepBound;
                break;
            }
        }
        if (anyBreakpoints && !first && breakpoints_.contains(pc)) {
            stopFlag = true;
            playRunning = false;
            reason = StopReason::Breakpoint;
            break;
        }
        const uint8_t opcode = image[pc];
        // The peripherals' turn (an interrupt, a trap) goes the general road.
        if (StretchFacts facts = stretch[opcode];
            facts.length != 0 && flagsInCcr && !chip_.due() && !stackByChip()) [[likely]] {
            // Most steps: this one and the stretch that follows it, up to
            // the next step that needs a look (a bound, a breakpoint, the
            // peripherals' turn, an instruction the stretch leaves to the
            // loop below). The last step's facts are set once, at its end.
            const uint64_t before = steps;
            const uint64_t chipBefore = chip_.s.now;
            takenSteps = 0;
            int32_t from = pc;
            if (stretchStep(facts)) [[likely]] {
                for (;;) {
                    ++steps;
                    if (steps >= limit || (anyBreakpoints && breakpoints_.contains(pc))) [[unlikely]]
                        break;
                    facts = stretch[image[pc]];
                    if (facts.length == 0 || chip_.due() || stackByChip())
                        break;
                    const int32_t at = pc;
                    if (!stretchStep(facts))
                        break;
                    from = at;
                }
                lastPc = from;
                lastStraight = ended == Ended::Executed;
                if (!lastStraight)
                    last = StepInfo{from, pc, ended == Ended::Taken, ended == Ended::Call, ended == Ended::Return, false};
                cpuAhead = cpuAhead || steps - before != takenSteps;
                if constexpr (!Record)
                    clock += static_cast<uint32_t>(chip_.s.now - chipBefore);
                lastStepHere = true;
                first = false;
                continue;
            }
        }
        bool local = fast && !chip_.due() && !sim.trapsAt(pc) && !stackByChip();
        if (stopOnHalt && (opcode == OpWAI || opcode == OpSTOP)) [[unlikely]] {
            bool halts = opcode == OpWAI || !(flagsInCcr ? (cpu.ccr & 0x80) != 0 : regs.S);
            if (chip_.enabled()) [[unlikely]] {
                // The peripherals may end a wait: halt only when nothing can.
                const uint8_t now = static_cast<uint8_t>(cpu.ccr);
                if (chip_.s.cpu != CpuMode::Running)
                    halts = chipCannotResume(now);
                else if (opcode == OpWAI)
                    halts = !chip_.wakeable(now);
            }
            if (halts) {
                stopFlag = true;
                reason = StopReason::Halt;
                break;
            }
        }
        const uint8_t page = prefixPage[opcode];
        const OpcodeFacts facts = opcodeFacts[page][page ? image[(pc + 1) & 0xFFFF] : opcode];
        if (facts.flow == Flow::None && local) {
            // Straight-line code on a prefix page, WAI and STOP, and every
            // straight-line step while the profile counts.
            straightStep(facts.length, facts.cycles, profiling);
            continue;
        }
        // k: the opcode byte (past a prefix); operand bytes follow it.
        const int32_t k = page ? pc + 1 : pc;
        auto operand = [image, k](int i) { return image[(k + i) & 0xFFFF]; };
        int32_t next = (pc + facts.length) & 0xFFFF;
        bool taken = false, isCall = false, isReturn = false, execute = false;
        if (local) {
            switch (facts.flow) {
            case Flow::Branch:
                taken = flagsInCcr ? (branchConditions[opcode & 0x0F] >> (cpu.ccr & 0x0F) & 1) != 0
                                   : branchTaken(opcode, regs);
                if (taken)
                    next = (pc + 2 + static_cast<int8_t>(operand(1))) & 0xFFFF;
                execute = !taken;
                break;
            case Flow::Call:
            case Flow::Jump:
                isCall = facts.flow == Flow::Call;
                taken = !isCall;
                next = callOrJumpTarget(facts.format, pc, facts.length, cpu.ix, cpu.iy, operand);
                if (next < 0)
                    local = false;
                // A call's stack bytes beside the register block go to the
                // peripherals on the general road.
                if (isCall && stackNearChip())
                    local = false;
                break;
            case Flow::ReturnSub:
                isReturn = true;
                local = !stackNearChip();
                break;
            case Flow::BitBranchSet:
            case Flow::BitBranchClear:
                // Recording: the operand read must leave the instruction's
                // bytes as they are (the record's flow access reads them).
                local = !Record || SimulatorTarget::codeInPlace(pc);
                break;
            default:
                local = false;
                break;
            }
        }
        if (local) [[likely]] {
            if constexpr (Record)
                history.begin(stepRegsOf(cpu, pc), clock, image);
            clock += facts.cycles;
            chip_.advance(facts.cycles);
            if (profiling) [[unlikely]]
                profile.count(pc, facts.cycles);
            if (facts.flow == Flow::BitBranchSet || facts.flow == Flow::BitBranchClear) {
                // The operand read of the prediction, as AccessLayer::InByte
                // does it in simulator mode: the I/O unit hears of it first.
                int32_t address = operand(1);
                if (facts.format == OperandFormat::BitBranchIndexedX)
                    address += cpu.ix;
                else if (facts.format == OperandFormat::BitBranchIndexedY)
                    address += cpu.iy;
                address &= 0xFFFF;
                const uint8_t mask = operand(2);
                const int8_t offset = static_cast<int8_t>(operand(3));
                if (link_.ioActive() && (address == AccessLayer::IoInFresh || address == AccessLayer::IoInData))
                    if (IoUnit* io = sim.ioUnit())
                        io->beforeRead(address);
                uint8_t value;
                if (sim.chipAddress(address)) [[unlikely]] {
                    if (Record && history.wantsChip())
                        history.noteChip(chip_.s);
                    value = sim.chip().cpuRead(static_cast<uint8_t>(address));
                } else {
                    value = image[address];
                }
                const uint8_t bits = facts.flow == Flow::BitBranchSet ? static_cast<uint8_t>(~value) : value;
                taken = (bits & mask) == 0;
                if (taken)
                    next = (pc + facts.length + offset) & 0xFFFF;
                execute = !taken;
                // A taken one read its operand here (an executed one's read
                // is Korvex's, through the watch).
                if (Record && taken)
                    history.noteAccess(static_cast<uint32_t>(address), false);
            }
            last = StepInfo{pc, next, taken, isCall, isReturn, execute};
            if (execute) {
                executeAt(facts.length);
                cpuAhead = true;
                flagsInCcr = true;
            } else if (isCall) {
                pushReturn((pc + facts.length) & 0xFFFF);
                cpuAhead = true;
            } else if (isReturn) {
                next = pullReturn();
                last.next = next;
                cpuAhead = true;
            }
            if constexpr (Record)
                endRecord();
            pc = next;
            lastStraight = false;
            lastStepHere = true;
        } else {
            // The general road, on the synchronised state.
            lastStepHere = false;
            toState();
            const bool ok = stepInto();
            pc = regs.PC & 0xFFFF;
            clock = clockCounter;
            cpu = SimulatorTarget::record(regs);
            if (!ok) {
                stopFlag = true;
                reason = StopReason::Refused;
                break;
            }
            last = lastStep_;
            // The record now agrees with its CCR if the target ran.
            flagsInCcr = flagsInCcr || executeFlag;
            fast = link_.simulatorMode() && link_.linkReady();
            if constexpr (Record) {
                // The watched step disarmed the watch; the record may agree
                // now (the flags from a step of the target).
                flagsInCcr = std::memcmp(&regs.C, detail::flagTable.flags[regs.CCR].data(), 8) == 0;
                fast = fast && recordable();
                sim.armWatch(true);
            }
            stretch = fast ? stretchRoad : noStretch;
        }
        first = false;
        ++steps;
        if (stopOnSelfBranch && (last.taken || last.isCall) && last.next == last.pc &&
            !selfBranchMayEnd(last.pc, static_cast<uint8_t>(cpu.ccr), cpu.ix, cpu.iy)) {
            stopFlag = true;
            reason = StopReason::SelfBranch;
            break;
        }
    }
    if (lastStepHere) {
        // The last step ran here: leave the step state as the short road does.
        lastStep_ = lastStraight ? StepInfo{lastPc, pc, false, false, false, true} : last;
        executeFlag = lastStep_.executed;
        stepKind = StepKind::StepInto;
        nextFromPrediction_ = false;
        knownLength_ = 0;
    }
    if constexpr (Record) {
        sim.armWatch(false);
        if (steps != 0) {
            // What every watched step leaves: the present shown, no hit.
            stepsBack_ = 0;
            dataHitPending_ = false;
        }
    }
    toState();
    ran = steps;
    return reason;
}

bool ExecutionControl::runSliced(uint64_t stepLimit, bool stopOnHalt, bool stopOnSelfBranch, uint32_t everySteps,
                                 uint32_t everyMs, uint64_t& steps, StopReason& reason)
{
    using Clock = std::chrono::steady_clock;
    ViewHooks& hooks = link_.hooks();
    // As the stepped loop sets them up (on this road only the step history
    // watches, armed by runHeadless).
    link_.simulator().setWatch(history.enabled() ? &recorder_ : nullptr);
    dataHitPending_ = false;
    // With a time interval, slices aim at a quarter of it (at most 1 ms):
    // the clock is read once per slice, and a stretch of slow steps (the
    // general road) holds the window messages back a few slices at most.
    // Without one, a slice is the step interval.
    const Clock::duration sliceTime = std::chrono::microseconds(std::min<uint32_t>(everyMs, 4) * 250);
    constexpr uint64_t MinSlice = 64, MaxSlice = uint64_t{1} << 24;
    uint64_t slice = everyMs ? 1024 : everySteps;
    uint64_t sinceEvents = 0;
    bool untold = false;  // steps ran since the windows were last told
    // A step of Play refreshes the CPU window only (a breakpoint's stop
    // clears Play running after the last step).
    const bool play = playRunning;
    auto tell = [&] {
        if (!untold)
            return;
        untold = false;
        // What each step would have reported: the link's state (the stack
        // and operand accesses), the refresh and the clock counter.
        hooks.BoardStatus();
        if (play)
            hooks.RefreshCpuWindow();
        else
            hooks.Refresh();
        hooks.ClockCountUpdate();
    };
    Clock::time_point lastEvents = everyMs ? Clock::now() : Clock::time_point{};
    for (;;) {
        const uint64_t n = std::min<uint64_t>(slice, everySteps - sinceEvents);
        const Clock::time_point began = everyMs ? Clock::now() : Clock::time_point{};
        uint64_t ran = 0;
        reason = runHeadless(stepLimit - steps, stopOnHalt, stopOnSelfBranch, n, ran);
        steps += ran;
        sinceEvents += ran;
        untold = untold || ran != 0;
        if (reason != StopReason::None)
            break;
        bool yield = sinceEvents >= everySteps;
        if (everyMs != 0) {
            const Clock::time_point now = Clock::now();
            if (n == slice) {
                const Clock::duration took = now - began;
                if (took < sliceTime / 2)
                    slice = std::min(slice * 2, MaxSlice);
                else if (took > sliceTime)
                    slice = std::max(slice / 2, MinSlice);
            }
            yield = yield || now - lastEvents >= std::chrono::milliseconds(everyMs);
        }
        if (!yield)
            continue;
        tell();
        hooks.processEvents();
        sinceEvents = 0;
        if (everyMs != 0)
            lastEvents = Clock::now();
        if (!stopFlag && !headlessRoadOpen()) {
            reason = StopReason::Paused;
            return false;
        }
    }
    tell();
    return true;
}

StopReason ExecutionControl::runLoop(const RunOptions& options, bool animate, uint32_t paceMs)
{
    using Clock = std::chrono::steady_clock;
    // The options in locals: the loop calls out (hooks, StepInto) every
    // round, so the compiler could not keep them in registers otherwise.
    const uint64_t stepLimit = options.maxSteps ? options.maxSteps : UINT64_MAX;
    const bool stopOnHalt = options.stopOnHalt;
    const bool stopOnSelfBranch = options.stopOnSelfBranch;
    const bool tracing = static_cast<bool>(options.beforeStep);
    const uint32_t everySteps = options.eventEverySteps ? options.eventEverySteps : 1;
    const uint32_t everyMs = options.eventEveryMs;
    // Rounds between looks at the events: every eventEverySteps steps, and
    // every 64 steps a look at the clock when a time interval is set.
    // On the board every step is a frame exchange of milliseconds: window
    // messages run after each one, so Pause acts at once.
    const bool board = !link_.simulatorMode();
    const uint32_t lookEvery = board ? 1 : ((everyMs != 0 || pacedRate > 0) && everySteps > 64) ? 64 : everySteps;

    const bool paced = pacedRate > 0 && !animate && !board;
    StopReason reason = StopReason::Paused;
    uint64_t steps = 0;
    if (!animate && !tracing && !paced && headlessRoadOpen()) {
        if (!link_.hasHooks()) {
            // Without hooks the event looks would do nothing.
            uint64_t ran = 0;
            lastStop_ = runHeadless(stepLimit, stopOnHalt, stopOnSelfBranch, UINT64_MAX, ran);
            return lastStop_;
        }
        if (link_.hooks().deferStepUpdates() &&
            runSliced(stepLimit, stopOnHalt, stopOnSelfBranch, everySteps, everyMs, steps, reason)) {
            lastStop_ = reason;
            return reason;
        }
    }

    uint32_t sinceLook = 0, sinceEvents = 0;
    Clock::time_point lastEvents = everyMs ? Clock::now() : Clock::time_point{};
    Pacer pacer;
    uint32_t pacedClock = clockCounter;
    if (paced)
        pacer.start(pacedRate, Clock::now());
    if (link_.simulatorMode())
        link_.simulator().setWatch(watching() ? &recorder_ : nullptr);
    dataHitPending_ = false;

    while (!stopFlag) {
        const int32_t pc = link_.regs.PC & 0xFFFF;
        if (breakpoints_.count() > 0 && !firstStep && breakpoints_.contains(pc)) {
            stopFlag = true;
            playRunning = false;
            reason = StopReason::Breakpoint;
            break;
        }
        if (steps >= stepLimit) {
            stopFlag = true;
            reason = StopReason::StepBound;
            break;
        }
        if (stopOnHalt && haltsAt(pc)) {
            stopFlag = true;
            reason = StopReason::Halt;
            break;
        }
        if (tracing)
            options.beforeStep();
        const Clock::time_point began = animate ? Clock::now() : Clock::time_point{};
        if (!stepInto()) {
            // Nothing can change by trying again: stop rather than spin.
            stopFlag = true;
            reason = StopReason::Refused;
            break;
        }
        firstStep = false;
        ++steps;
        if (stopOnSelfBranch && (lastStep_.taken || lastStep_.isCall) && lastStep_.next == pc &&
            !selfBranchMayEnd(pc, link_.regs.CCR, link_.regs.IX, link_.regs.IY)) {
            stopFlag = true;
            reason = StopReason::SelfBranch;
            break;
        }
        if (animate) {
            std::this_thread::sleep_until(began + std::chrono::milliseconds(paceMs));
            link_.hooks().processEvents();
            continue;
        }
        if (++sinceLook < lookEvery)
            continue;
        sinceEvents += sinceLook;
        sinceLook = 0;
        if (paced)
            pace(pacer, pacedClock);
        bool yield = board || sinceEvents >= everySteps;
        if (!yield && everyMs != 0)
            yield = Clock::now() - lastEvents >= std::chrono::milliseconds(everyMs);
        if (yield) {
            link_.hooks().processEvents();
            sinceEvents = 0;
            if (everyMs != 0)
                lastEvents = Clock::now();
        }
    }
    if (dataHitPending_)
        reason = StopReason::DataBreakpoint;
    lastStop_ = reason;
    return reason;
}

StopReason ExecutionControl::Play(const RunOptions& options)
{
    stopFlag = false;
    animateRunning = false;
    playRunning = true;
    firstStep = true;
    link_.hooks().runStarted(RunKind::Play);
    const StopReason reason = runLoop(options, false, 0);
    playRunning = false;
    link_.hooks().runStopped(RunKind::Play);
    return reason;
}

StopReason ExecutionControl::Animate(const RunOptions& options, uint32_t paceMs)
{
    stopFlag = false;
    playRunning = false;
    animateRunning = true;
    firstStep = true;
    link_.hooks().runStarted(RunKind::Animate);
    const StopReason reason = runLoop(options, true, paceMs);
    animateRunning = false;
    link_.hooks().runStopped(RunKind::Animate);
    return reason;
}

StopReason ExecutionControl::playWithTemporaryBreakpoint(int32_t address, const RunOptions& options)
{
    address &= 0xFFFF;
    if (!breakpoints_.append(address))
        return StopReason::None;
    const StopReason reason = Play(options);
    // Remove the temporary entry itself, even if the table changed meanwhile.
    breakpoints_.removeLast(address);
    return reason;
}

StopReason ExecutionControl::StepOver(const RunOptions& options)
{
    executeFlag = true;
    stepKind = StepKind::StepInto;
    ViewHooks& hooks = link_.hooks();
    hooks.GoToPCAddress();
    CpuRegisters& regs = link_.regs;
    const int32_t pc = regs.PC & 0xFFFF;
    regs.PC = pc;
    const CodeWindow& w = codeAt(pc);
    if (!link_.linkReady())
        return StopReason::Refused;
    const uint8_t opcode = w.at(pc);
    const uint8_t* stack = nullptr;
    if (!stackFor(opcode, stack))
        return StopReason::Refused;

    int32_t p = pc, next = 0;
    bool taken = false, isCall = false, isReturn = false;

    if (link_.simulatorMode()) {
        if (breakpoints_.full())
            return StopReason::None;
        if (!PredictNext(w, regs, stack, &operandReader_, p, false, next, taken, isCall, isReturn))
            return StopReason::Refused;
        StopReason reason = StopReason::None;
        if (isReturn) {
            SimulatorTarget& sim = link_.simulator();
            const bool watched = watching();
            if (watched) {
                // Recorded as a step, so that Step Back undoes it.
                sim.setWatch(&recorder_);
                history.begin(regs, clockCounter, sim.image());
                sim.armWatch(true);
                stepsBack_ = 0;
            }
            const int32_t sp = regs.SP;
            regs.PC = sim.peek(regs.SP + 1) << 8 | sim.peek(regs.SP + 2);
            regs.SP = (regs.SP + 2) & 0xFFFF;
            sim.poke(6, static_cast<uint8_t>(regs.SP >> 8));
            sim.poke(7, static_cast<uint8_t>(regs.SP));
            if (watched) {
                sim.armWatch(false);
                dataHitPending_ = false;
                for (int32_t a : {sp + 1, sp + 2}) {
                    history.noteAccess(static_cast<uint32_t>(a) & 0xFFFF, false);
                    if (dataBreakpoints.watched(static_cast<uint32_t>(a) & 0xFFFF) & static_cast<uint8_t>(DataAccess::Read))
                        noteDataHit(static_cast<uint32_t>(a) & 0xFFFF, DataAccess::Read);
                }
                history.end(regs, clockCounter);
            }
        } else {
            reason = playWithTemporaryBreakpoint(next, options);
        }
        hooks.Refresh();
        return reason;
    }

    // Board: a call runs at full speed on the monitor as one JSR. One
    // prediction with followCalls serves: it differs from the one without
    // only in a call's target, and a second would read a BRSET/BRCLR
    // operand from the board again.
    int32_t target = 0;
    if (!PredictNext(w, regs, stack, &operandReader_, p, true, target, taken, isCall, isReturn))
        return StopReason::Refused;
    if (isReturn) {
        returnFromSubroutine();
    } else if (isCall) {
        executeFlag = true;
        stepKind = StepKind::StepOver;
        stepOverTarget_ = target & 0xFFFF;
    } else if (taken) {
        executeFlag = false;
        regs.PC = target & 0xFFFF;
    } else if (opcode == OpRTI) {
        nextFromPrediction_ = true;
        predictedNext_ = target & 0xFFFF;
    }
    hooks.FreezeDisplay();
    MakeStep();
    hooks.ThawDisplay();
    return StopReason::None;
}

StopReason ExecutionControl::StepOut(const RunOptions& options)
{
    CpuRegisters& regs = link_.regs;
    if (link_.simulatorMode()) {
        const SimulatorTarget& sim = link_.simulator();
        const int32_t ret = sim.peek(regs.SP + 1) << 8 | sim.peek(regs.SP + 2);
        if (breakpoints_.full())
            return StopReason::None;
        return playWithTemporaryBreakpoint(ret, options);
    }

    // Board: the return address on the stack is replaced by the monitor's
    // return trap ($000D); the monitor stops there and answers.
    link_.InStack();
    if (!link_.linkReady())
        return StopReason::Refused;
    stepOutReturn_ = link_.stackBuffer[1] << 8 | link_.stackBuffer[2];
    const uint8_t trap[2] = {0x00, 0x0D};
    link_.OutBytes((regs.SP + 1) & 0xFFFF, trap, 2);
    link_.hooks().GoToPCAddress();
    stepKind = StepKind::StepOut;
    executeFlag = true;
    link_.hooks().FreezeDisplay();
    MakeStep();
    link_.hooks().ThawDisplay();
    return StopReason::None;
}

StopReason ExecutionControl::RunToCursor(int32_t address, const RunOptions& options)
{
    address &= 0xFFFF;
    if (breakpoints_.contains(address)) {
        link_.hooks().GoToPCAddress();
        return Play(options);
    }
    if (breakpoints_.toggle(address, link_.notifier()) != BreakpointTable::Toggle::Added)
        return StopReason::None;
    link_.hooks().GoToPCAddress();
    const StopReason reason = Play(options);
    breakpoints_.removeLast(address);
    return reason;
}

void ExecutionControl::RunHC11()
{
    if (!link_.linkReady())
        return;
    if (link_.simulatorMode()) {
        link_.notifier().message("Procedure called: RunHC11", "M68HC11 Simulator error !", MessageIcon::Exclamation);
    } else if (link_.target().run(link_.regs)) {
        link_.setLinkReady(true);
        link_.boardRunning = true;
        link_.statusSuffix.clear();
        link_.hooks().FreezeDisplay();
    } else {
        link_.setLinkReady(false);
    }
    link_.hooks().BoardStatus();
    link_.hooks().Menus();
}

void ExecutionControl::GetResetVector()
{
    link_.InResetVector(link_.regs.PC);
    link_.hooks().GoToPCAddress();
}

void ExecutionControl::ResetCounter()
{
    resetClock();
    link_.hooks().ClockCountUpdate();
}

void ExecutionControl::SetNewPC(int32_t address)
{
    link_.regs.PC = address & 0xFFFF;
    link_.hooks().Refresh();
}

std::string ExecutionControl::ClockText() const
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%08u", static_cast<unsigned>(clockCounter));
    return std::string("Clock= ") + digits;
}

} // namespace zelk
