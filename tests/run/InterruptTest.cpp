// Interrupts and the CPU's traps in simulator mode with the on-chip
// peripherals on: entry (stacking, masks, vectors, cycles), priority and
// nesting, SWI, the illegal-opcode trap, WAI, STOP, the X bit, and whole
// interrupt-driven programs on every road of the run loop.
#include "RunTestSupport.h"

#include "link/chip/OnChip.h"

#include <array>
#include <vector>

namespace zelk::test {
namespace {

using namespace chipreg;

class InterruptTest : public RunFixture {
protected:
    InterruptTest()
    {
        link.simulator().setPeripherals(true);
        link.regs.PC = 0xC000;
        link.regs.SP = 0x00FF;
        setCCR(0x00);
    }
    OnChip& chip() { return link.simulator().chip(); }
    void vector(uint16_t at, uint16_t target) { load(at, {static_cast<uint8_t>(target >> 8), static_cast<uint8_t>(target)}); }
    uint8_t mem(int32_t a) { return link.image()[a & 0xFFFF]; }
    // The nine bytes an entry stacked, from SP+1 up: CCR, B, A, IX, IY, PC.
    std::array<uint8_t, 9> frame(int32_t sp)
    {
        std::array<uint8_t, 9> f{};
        for (int i = 0; i < 9; ++i)
            f[static_cast<size_t>(i)] = mem(sp + 1 + i);
        return f;
    }
};

TEST_F(InterruptTest, EntryStacksNineBytesSetsIAndTakesTheVector)
{
    load(0xC000, {0x01});  // NOP
    vector(0xFFF2, 0xD000);
    link.regs.A = 0x11;
    link.regs.B = 0x22;
    link.regs.IX = 0x3344;
    link.regs.IY = 0x5566;
    setCCR(0x01);
    chip().pulseIrq();
    ASSERT_TRUE(control.StepInto());
    EXPECT_EQ(link.regs.PC, 0xD000);
    EXPECT_EQ(link.regs.SP, 0x00F6);
    EXPECT_EQ(frame(0x00F6), (std::array<uint8_t, 9>{0x01, 0x22, 0x11, 0x33, 0x44, 0x55, 0x66, 0xC0, 0x00}));
    EXPECT_EQ(link.regs.CCR, 0x11);
    EXPECT_TRUE(link.regs.I);
    EXPECT_EQ(control.clockCounter, InterruptEntryCycles);
    EXPECT_EQ(mem(6) << 8 | mem(7), 0x00F6) << "the save area follows";
    EXPECT_EQ(mem(8), 0x11);
    // The request was taken: the next step runs the routine's instruction.
    load(0xD000, {0x01});
    ASSERT_TRUE(control.StepInto());
    EXPECT_EQ(link.regs.PC, 0xD001);
}

TEST_F(InterruptTest, MasksDecideWhetherARequestEnters)
{
    struct Case {
        uint8_t ccr;
        bool xirq;
        bool enters;
        uint16_t vector;
        uint8_t ccrAfter;
    } cases[] = {
        {0x00, false, true, 0xFFF2, 0x10},  // IRQ, I clear
        {0x10, false, false, 0, 0x10},      // IRQ, I set: the NOP runs
        {0x00, true, true, 0xFFF4, 0x50},   // XIRQ sets X and I
        {0x10, true, true, 0xFFF4, 0x50},   // XIRQ ignores I
        {0x40, true, false, 0, 0x40},       // X set masks XIRQ
    };
    for (const Case& c : cases) {
        AccessLayer l;
        BreakpointTable b;
        ExecutionControl x(l, b);
        l.simulator().setPeripherals(true);
        l.image()[0xC000] = 0x01;
        l.image()[0xFFF2] = 0xD1;
        l.image()[0xFFF3] = 0x00;
        l.image()[0xFFF4] = 0xD2;
        l.image()[0xFFF5] = 0x00;
        l.regs.PC = 0xC000;
        l.regs.SP = 0x01FF;
        l.regs.CCR = c.ccr;
        l.regs.unpackCCR();
        if (c.xirq)
            l.simulator().chip().pulseXirq();
        else
            l.simulator().chip().pulseIrq();
        ASSERT_TRUE(x.StepInto());
        if (c.enters) {
            EXPECT_EQ(l.regs.PC, l.image()[c.vector] << 8) << "CCR " << int(c.ccr);
            EXPECT_EQ(l.regs.SP, 0x01F6);
            EXPECT_EQ(l.image()[0x01F7], c.ccr) << "the CCR before the entry is stacked";
        } else {
            EXPECT_EQ(l.regs.PC, 0xC001) << "CCR " << int(c.ccr);
            EXPECT_EQ(l.regs.SP, 0x01FF);
        }
        EXPECT_EQ(l.regs.CCR, c.ccrAfter);
    }
}

TEST_F(InterruptTest, AMaskedRequestEntersOnceCliClearsI)
{
    load(0xC000, {0x0E, 0x01});  // CLI; NOP
    vector(0xFFF2, 0xD000);
    setCCR(0x10);
    chip().pulseIrq();
    ASSERT_TRUE(control.StepInto());
    EXPECT_EQ(link.regs.PC, 0xC001);
    ASSERT_TRUE(control.StepInto());
    EXPECT_EQ(link.regs.PC, 0xD000);
    EXPECT_EQ(mem(0xFE) << 8 | mem(0xFF), 0xC001) << "the return address is the instruction after CLI";
}

TEST_F(InterruptTest, PriorityThenNesting)
{
    // IRQ and the timer overflow both pending: IRQ first; its routine
    // clears I and the overflow enters on top of it.
    load(0xC000, {0x01});
    load(0xD000, {0x0E, 0x01});  // IRQ routine: CLI; NOP
    load(0xD100, {0x01});        // overflow routine
    vector(0xFFF2, 0xD000);
    vector(0xFFDE, 0xD100);
    link.OutByte(0x1024, 0x80);  // TOI
    chip().advance(65536);
    chip().catchUp();
    chip().pulseIrq();
    ASSERT_TRUE(control.StepInto());
    EXPECT_EQ(link.regs.PC, 0xD000);
    ASSERT_TRUE(control.StepInto());  // CLI
    ASSERT_TRUE(control.StepInto());  // the overflow enters
    EXPECT_EQ(link.regs.PC, 0xD100);
    EXPECT_EQ(link.regs.SP, 0x00FF - 18);
    EXPECT_EQ(mem(0x00FF - 9 - 1) << 8 | mem(0x00FF - 9), 0xD001) << "the nested frame returns into the IRQ routine";
    EXPECT_EQ(mem(0xFE) << 8 | mem(0xFF), 0xC000);
}

TEST_F(InterruptTest, HprioPromotesASource)
{
    load(0xC000, {0x01});
    vector(0xFFF2, 0xD000);
    vector(0xFFDE, 0xD100);
    link.OutByte(0x1024, 0x80);
    link.OutByte(0x103C, 0x00);  // PSEL = 0000: timer overflow first
    chip().advance(65536);
    chip().catchUp();
    chip().pulseIrq();
    ASSERT_TRUE(control.StepInto());
    EXPECT_EQ(link.regs.PC, 0xD100);
}

TEST_F(InterruptTest, RtiReturnsAndNeverSetsX)
{
    struct Case {
        uint8_t ccrNow, stacked, after;
    } cases[] = {
        {0x10, 0x40, 0x00},  // X clear now: a stacked X does not set it
        {0x50, 0x00, 0x00},  // X set now: RTI may clear it
        {0x50, 0x45, 0x45},
    };
    for (const Case& c : cases) {
        load(0xD000, {0x3B});  // RTI
        const uint8_t f[9] = {c.stacked, 0x22, 0x11, 0x33, 0x44, 0x55, 0x66, 0xC1, 0x23};
        for (int i = 0; i < 9; ++i)
            link.image()[0x00F7 + i] = f[i];
        link.regs.PC = 0xD000;
        link.regs.SP = 0x00F6;
        setCCR(c.ccrNow);
        ASSERT_TRUE(control.StepInto());
        EXPECT_EQ(link.regs.PC, 0xC123);
        EXPECT_EQ(link.regs.SP, 0x00FF);
        EXPECT_EQ(link.regs.A, 0x11);
        EXPECT_EQ(link.regs.IY, 0x5566);
        EXPECT_EQ(link.regs.CCR, c.after) << "now " << int(c.ccrNow) << " stacked " << int(c.stacked);
        EXPECT_EQ(mem(8), c.after);
    }
}

TEST_F(InterruptTest, TapClearsXButNeverSetsIt)
{
    struct Case {
        uint8_t ccr, a, after;
    } cases[] = {{0x40, 0x00, 0x00}, {0x00, 0x40, 0x00}, {0x40, 0xFF, 0xFF}, {0x00, 0xD5, 0x95}};
    for (const Case& c : cases) {
        load(0xC000, {0x06});
        link.regs.PC = 0xC000;
        link.regs.A = c.a;
        setCCR(c.ccr);
        ASSERT_TRUE(control.StepInto());
        EXPECT_EQ(link.regs.CCR, c.after) << "CCR " << int(c.ccr) << " A " << int(c.a);
        EXPECT_EQ(link.regs.PC, 0xC001);
    }
}

TEST_F(InterruptTest, SwiAndTheIllegalOpcodeTrap)
{
    struct Case {
        std::vector<uint8_t> code;
        uint16_t vector;
        uint16_t stackedReturn;
        uint32_t cycles;
    } cases[] = {
        {{0x3F}, 0xFFF6, 0xC001, 14},        // SWI
        {{0x00}, 0xFFF8, 0xC001, 2 + 12},    // TEST
        {{0x41}, 0xFFF8, 0xC001, 2 + 12},    // undefined page-1 opcode
        {{0x18, 0x00}, 0xFFF8, 0xC002, 2 + 12},  // undefined on the $18 page
        {{0xCD, 0x01}, 0xFFF8, 0xC002, 2 + 12},
    };
    for (const Case& c : cases) {
        for (size_t i = 0; i < c.code.size(); ++i)
            link.image()[0xC000 + i] = c.code[i];
        vector(0xFFF6, 0xE100);
        vector(0xFFF8, 0xE200);
        link.regs.PC = 0xC000;
        link.regs.SP = 0x00FF;
        setCCR(0x00);
        control.clockCounter = 0;
        ASSERT_TRUE(control.StepInto());
        EXPECT_EQ(link.regs.PC, mem(c.vector) << 8 | mem(c.vector + 1)) << "opcode " << int(c.code[0]);
        EXPECT_EQ(link.regs.SP, 0x00F6);
        EXPECT_EQ(mem(0xFE) << 8 | mem(0xFF), c.stackedReturn);
        EXPECT_TRUE(link.regs.I);
        EXPECT_EQ(control.clockCounter, c.cycles);
    }
}

TEST_F(InterruptTest, SwiEntersEvenWithIMasked)
{
    load(0xC000, {0x3F});
    vector(0xFFF6, 0xE100);
    setCCR(0x10);
    ASSERT_TRUE(control.StepInto());
    EXPECT_EQ(link.regs.PC, 0xE100);
}

TEST_F(InterruptTest, WaiStacksWaitsForTheNextEventAndEntersWithoutStackingAgain)
{
    load(0xC000, {0x3E, 0x01});  // WAI; NOP
    vector(0xFFDE, 0xD100);
    link.OutByte(0x1024, 0x80);  // TOI
    ASSERT_TRUE(control.StepInto());
    EXPECT_EQ(link.regs.PC, 0xC001);
    EXPECT_EQ(link.regs.SP, 0x00F6);
    EXPECT_EQ(mem(0xFE) << 8 | mem(0xFF), 0xC001);
    EXPECT_EQ(control.clockCounter, 14u);
    EXPECT_EQ(chip().s.cpu, CpuMode::Waiting);
    // Each step moves the clock on to the next event (real-time ticks and
    // compares, not enabled) until the overflow enters.
    uint32_t last = control.clockCounter;
    int waits = 0;
    while (link.regs.PC == 0xC001 && waits < 50) {
        ASSERT_TRUE(control.StepInto());
        EXPECT_GT(control.clockCounter, last);
        last = control.clockCounter;
        ++waits;
    }
    EXPECT_LT(waits, 50);
    EXPECT_EQ(link.regs.PC, 0xD100);
    EXPECT_EQ(link.regs.SP, 0x00F6) << "stacked once, by WAI";
    EXPECT_EQ(control.clockCounter, 65536u + 3);
    EXPECT_EQ(chip().s.cpu, CpuMode::Running);
}

TEST_F(InterruptTest, StopHaltsUntilIrqOrXirq)
{
    load(0xC000, {0xCF, 0x01});  // STOP; NOP
    vector(0xFFF2, 0xD000);
    ASSERT_TRUE(control.StepInto());
    EXPECT_EQ(chip().s.cpu, CpuMode::Stopped);
    const uint32_t clock = control.clockCounter;
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(control.StepInto());
    EXPECT_EQ(link.regs.PC, 0xC001);
    EXPECT_EQ(control.clockCounter, clock) << "the clocks stand still";
    chip().pulseIrq();
    ASSERT_TRUE(control.StepInto());
    EXPECT_EQ(link.regs.PC, 0xD000);

    // XIRQ while X is set: the CPU goes on after STOP without an entry.
    link.regs.PC = 0xC000;
    link.regs.SP = 0x00FF;
    setCCR(0x50);
    ASSERT_TRUE(control.StepInto());
    ASSERT_EQ(chip().s.cpu, CpuMode::Stopped);
    chip().pulseIrq();  // I set: IRQ cannot wake it
    ASSERT_TRUE(control.StepInto());
    EXPECT_EQ(chip().s.cpu, CpuMode::Stopped);
    chip().pulseXirq();
    ASSERT_TRUE(control.StepInto());
    EXPECT_EQ(chip().s.cpu, CpuMode::Running);
    ASSERT_TRUE(control.StepInto());
    EXPECT_EQ(link.regs.PC, 0xC002);
    EXPECT_EQ(link.regs.SP, 0x00FF);
}

TEST_F(InterruptTest, StopWithSSetIsANoOp)
{
    load(0xC000, {0xCF});
    setCCR(0x80);
    ASSERT_TRUE(control.StepInto());
    EXPECT_EQ(link.regs.PC, 0xC001);
    EXPECT_EQ(chip().s.cpu, CpuMode::Running);
}

TEST_F(InterruptTest, PeripheralsOffKeepThePlainBehaviour)
{
    link.simulator().setPeripherals(false);
    load(0xC000, {0x3F, 0x3E, 0x41, 0xB6, 0x10, 0x2E});  // SWI; WAI; undefined; LDAA $102E
    link.image()[0x102E] = 0x5A;
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(control.StepInto());
    EXPECT_EQ(link.regs.PC, 0xC006);
    EXPECT_EQ(link.regs.SP, 0x00FF);
    EXPECT_EQ(link.regs.A, 0x5A) << "the register block is plain memory";
}

TEST_F(InterruptTest, RegisterBlockBelongsToTheModelWhileOn)
{
    load(0xC000, {0xB6, 0x10, 0x2E, 0xB7, 0x10, 0x0E});  // LDAA SCSR; STAA TCNT
    link.image()[0x102E] = 0x00;
    ASSERT_TRUE(control.StepInto());
    EXPECT_EQ(link.regs.A, 0xC0) << "SCSR after reset: TDRE and TC";
    ASSERT_TRUE(control.StepInto());
    std::vector<uint8_t> block;
    link.InBytes(0x1000, block, 64);
    ASSERT_EQ(block.size(), 64u);
    EXPECT_EQ(block[0x2E], 0xC0);
    EXPECT_EQ(block[0x0E] << 8 | block[0x0F], control.clockCounter) << "TCNT read-only, counting E cycles";
    link.fillRegisterImage();
    EXPECT_EQ(link.registerImage[0x3F], 0x0C) << "the register windows see the model";
    // Turning it off leaves the last state as plain memory.
    link.simulator().setPeripherals(false);
    EXPECT_EQ(link.image()[0x102E], 0xC0);
}

// Timer overflow interrupts counting into $0010 while the main program
// spins: TOI on, CLI, BRA *; the routine: INC $10, clear TOF, RTI.
const std::vector<uint8_t> tickProgram = {
    0x8E, 0x00, 0xFF,        // C000 LDS #$00FF
    0x86, 0x80,              // C003 LDAA #$80
    0xB7, 0x10, 0x24,        // C005 STAA TMSK2
    0x0E,                    // C008 CLI
    0x20, 0xFE,              // C009 BRA *
};
const std::vector<uint8_t> tickRoutine = {
    0x7C, 0x00, 0x10,        // D000 INC $0010
    0x86, 0x80,              // D003 LDAA #$80
    0xB7, 0x10, 0x25,        // D005 STAA TFLG2
    0x3B,                    // D008 RTI
};

struct RunOutcome {
    CpuRegisters regs;
    uint32_t clock;
    uint8_t ticks;
    std::vector<uint8_t> stack;
};

RunOutcome runTicks(bool hooks, bool shortRoad, uint64_t steps)
{
    CountingHooks h;
    AccessLayer l(nullptr, hooks ? &h : nullptr);
    BreakpointTable b;
    ExecutionControl x(l, b);
    x.simulatorShortRoad = shortRoad;
    l.simulator().setPeripherals(true);
    for (size_t i = 0; i < tickProgram.size(); ++i)
        l.image()[0xC000 + i] = tickProgram[i];
    for (size_t i = 0; i < tickRoutine.size(); ++i)
        l.image()[0xD000 + i] = tickRoutine[i];
    l.image()[0xFFDE] = 0xD0;
    l.image()[0xFFDF] = 0x00;
    l.regs.PC = 0xC000;
    RunOptions o;
    o.maxSteps = steps;
    x.Play(o);
    RunOutcome r{l.regs, x.clockCounter, l.image()[0x10], {}};
    for (int a = 0xF0; a <= 0xFF; ++a)
        r.stack.push_back(l.image()[a]);
    return r;
}

TEST(InterruptRun, TimerTicksAreTheSameOnEveryRoad)
{
    const RunOutcome ref = runTicks(true, false, 200000);
    // One tick per 65,536 cycles, each entry on time.
    EXPECT_NEAR(ref.ticks, ref.clock / 65536, 1);
    EXPECT_GE(ref.ticks, 2);
    for (bool hooks : {true, false})
        for (bool shortRoad : {true, false}) {
            const RunOutcome r = runTicks(hooks, shortRoad, 200000);
            EXPECT_EQ(r.ticks, ref.ticks) << "hooks " << hooks << " short road " << shortRoad;
            EXPECT_EQ(r.clock, ref.clock);
            EXPECT_EQ(r.regs.PC, ref.regs.PC);
            EXPECT_EQ(r.regs.SP, ref.regs.SP);
            EXPECT_EQ(r.regs.CCR, ref.regs.CCR);
            EXPECT_EQ(r.stack, ref.stack);
        }
}

TEST(InterruptRun, HeadlessStopsOnlyWhenNothingCanWake)
{
    struct Case {
        std::vector<uint8_t> code;
        bool timerInterrupt;  // TOI set before the run
        uint8_t ccr;
        StopReason reason;
    } cases[] = {
        {{0x3E}, false, 0x00, StopReason::Halt},           // WAI, nothing enabled
        {{0x3E}, true, 0x10, StopReason::Halt},            // WAI, I set
        {{0x3E}, true, 0x00, StopReason::StepBound},       // WAI with an overflow to come
        {{0x20, 0xFE}, false, 0x00, StopReason::SelfBranch},
        {{0x20, 0xFE}, true, 0x00, StopReason::StepBound}, // the main loop of an interrupt program
        {{0xCF}, true, 0x00, StopReason::Halt},            // STOP: no IRQ can come headless
    };
    for (const Case& c : cases) {
        AccessLayer l;
        BreakpointTable b;
        ExecutionControl x(l, b);
        l.simulator().setPeripherals(true);
        for (size_t i = 0; i < c.code.size(); ++i)
            l.image()[0xC000 + i] = c.code[i];
        // The overflow routine: clear TOF, RTI.
        const uint8_t routine[] = {0x86, 0x80, 0xB7, 0x10, 0x25, 0x3B};
        for (size_t i = 0; i < sizeof routine; ++i)
            l.image()[0xD000 + i] = routine[i];
        l.image()[0xFFDE] = 0xD0;
        l.image()[0xFFDF] = 0x00;
        if (c.timerInterrupt)
            l.OutByte(0x1024, 0x80);
        l.regs.PC = 0xC000;
        l.regs.SP = 0x8FFF;
        l.regs.CCR = c.ccr;
        l.regs.unpackCCR();
        RunOptions o;
        o.maxSteps = 1000;
        o.stopOnHalt = true;
        o.stopOnSelfBranch = true;
        EXPECT_EQ(x.Play(o), c.reason) << "opcode " << int(c.code[0]) << " TOI " << c.timerInterrupt;
    }
}

// A serial line for the program's SCI.
class RecordingLine : public OnChip::Host {
public:
    void sciTransmit(uint8_t byte) override { text += static_cast<char>(byte); }
    bool sciReceive(uint8_t&, bool& exhausted, bool) override
    {
        exhausted = true;
        return false;
    }
    std::string text;
};

TEST(InterruptRun, PolledTransmitterPacesAtTheBaudRate)
{
    // BAUD $30 (2,080 cycles a character), TE; send "OK" polling TDRE.
    const std::vector<uint8_t> code = {
        0xCE, 0x10, 0x00,        // C000 LDX #$1000
        0x86, 0x30, 0xA7, 0x2B,  // LDAA #$30; STAA BAUD,X
        0x86, 0x08, 0xA7, 0x2D,  // LDAA #$08; STAA SCCR2,X
        0x86, 0x4F,              // C00B LDAA #'O'
        0x1F, 0x2E, 0x80, 0xFC,  // C00D BRCLR SCSR,X $80 *
        0xA7, 0x2F,              // STAA SCDR,X
        0x86, 0x4B,              // LDAA #'K'
        0x1F, 0x2E, 0x80, 0xFC,  // BRCLR SCSR,X $80 *
        0xA7, 0x2F,              // STAA SCDR,X
        0x1F, 0x2E, 0x40, 0xFC,  // BRCLR SCSR,X $40 *   (TC: all sent)
        0x20, 0xFE,              // BRA *
    };
    for (bool hooks : {true, false}) {
        CountingHooks h;
        AccessLayer l(nullptr, hooks ? &h : nullptr);
        BreakpointTable b;
        ExecutionControl x(l, b);
        RecordingLine line;
        l.simulator().setPeripherals(true);
        l.simulator().chip().setHost(&line);
        for (size_t i = 0; i < code.size(); ++i)
            l.image()[0xC000 + i] = code[i];
        l.regs.PC = 0xC000;
        l.regs.SP = 0x01FF;
        l.regs.CCR = 0x10;
        l.regs.unpackCCR();
        RunOptions o;
        o.maxSteps = 100000;
        o.stopOnSelfBranch = true;
        EXPECT_EQ(x.Play(o), StopReason::SelfBranch);
        EXPECT_EQ(line.text, "OK");
        // Both characters shifted out in full before TC ends the wait.
        EXPECT_GE(x.clockCounter, 2u * 2080);
        EXPECT_LT(x.clockCounter, 2u * 2080 + 200);
    }
}

} // namespace
} // namespace zelk::test
