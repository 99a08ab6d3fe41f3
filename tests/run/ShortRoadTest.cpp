// The simulator's short road through Step Into against the general road:
// two identical cores, one with the short road and one without, step the
// same random programs (random bytes: every page, undefined opcodes,
// branches, calls, returns, the register save area, the I/O unit, the top
// of memory) and must agree after every instruction on the registers, PC,
// the clock counter, what the step reports, the whole memory image, the
// view hooks called and the I/O unit's calls.
#include "RunTestSupport.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

using namespace zelk;
using namespace zelk::test;

namespace {

// With hooks or without (as the headless runner and the benchmarks use it);
// the I/O unit active.
struct Core : BasicSimCore<TracingIoUnit> {
    Core(bool shortRoad, bool withHooks = true) : BasicSimCore(shortRoad, withHooks) { link.setIoActive(true); }
};

// A loop that never ends, with PC at its start:
// $E000 LDAB #$10 / $E002 DECB / BNE $E002 / $E005 INX / STX $20 / BRA $E000.
void loadCountingLoop(Core& c)
{
    const uint8_t code[] = {0xC6, 0x10, 0x5A, 0x26, 0xFD, 0x08, 0xDF, 0x20, 0x20, 0xF6};
    std::copy(std::begin(code), std::end(code), c.link.image() + 0xE000);
    c.link.regs.PC = 0xE000;
}

// Both cores get the same image and registers.
void seed(Core& a, Core& b, std::mt19937& rng)
{
    seedRandom(a.link, rng);
    copyState(a, b);
}

// hooksToo: the view hooks' call counts must agree as well.
std::string differences(Core& a, Core& b, bool hooksToo = true)
{
    std::string d;
    const CpuRegisters& x = a.link.regs;
    checkRegisters(d, x, b.link.regs);
    auto check = [&d](const char* what, long p, long q) { checkSame(d, what, p, q); };
    check("clock", a.control.clockCounter, b.control.clockCounter);
    const StepInfo& s = a.control.lastStep();
    const StepInfo& t = b.control.lastStep();
    check("step.pc", s.pc, t.pc);
    check("step.next", s.next, t.next);
    check("step.taken", s.taken, t.taken);
    check("step.isCall", s.isCall, t.isCall);
    check("step.isReturn", s.isReturn, t.isReturn);
    check("step.executed", s.executed, t.executed);
    check("executeFlag", a.control.executeFlag, b.control.executeFlag);
    check("linkReady", a.link.linkReady(), b.link.linkReady());
    if (hooksToo) {
        check("refresh", a.hooks.refresh, b.hooks.refresh);
        check("refreshCpuWindow", a.hooks.refreshCpuWindow, b.hooks.refreshCpuWindow);
        check("clockCountUpdate", a.hooks.clockCountUpdate, b.hooks.clockCountUpdate);
        check("boardStatus", a.hooks.boardStatus, b.hooks.boardStatus);
    }
    check("events", a.hooks.events, b.hooks.events);
    if (a.io.log != b.io.log)
        d += "I/O unit calls differ; ";
    checkImage(d, a.link.image(), b.link.image());
    // Whatever the window held before, PC..PC+4 read through it are current.
    const int32_t pc = x.PC;
    const CodeWindow& wa = a.control.codeAt(pc);
    const CodeWindow& wb = b.control.codeAt(pc);
    for (int k = 0; k < 5; ++k)
        check("code byte", wa.at((pc + k) & 0xFFFF), wb.at((pc + k) & 0xFFFF));
    return d;
}

TEST(ShortRoad, StepIntoAgreesWithTheGeneralRoadOnRandomPrograms)
{
    std::mt19937 rng(20261207);
    int shortSteps = 0;
    for (int program = 0; program < 60; ++program) {
        auto a = std::make_unique<Core>(true);
        auto b = std::make_unique<Core>(false);
        seed(*a, *b, rng);
        for (int step = 0; step < 400; ++step) {
            const uint8_t opcode = a->link.image()[a->link.regs.PC & 0xFFFF];
            const bool ra = a->control.StepInto();
            const bool rb = b->control.StepInto();
            ASSERT_EQ(ra, rb) << "program " << program << " step " << step;
            const std::string d = differences(*a, *b);
            ASSERT_TRUE(d.empty()) << "program " << program << " step " << step << " opcode $" << std::hex
                                   << int(opcode) << ": " << d;
            shortSteps += opcode != 0x3B;  // RTI takes the general road
            if (!ra)
                break;
        }
    }
    EXPECT_GT(shortSteps, 1000);
}

// Play over the same programs, in short runs so that the loop's own checks
// (breakpoints, halts, self branches, the step bound) are compared too;
// with view hooks and without (the loop that keeps the registers in locals).
class ShortRoadPlay : public ::testing::TestWithParam<bool> {};

TEST_P(ShortRoadPlay, PlayAgreesWithTheGeneralRoadOnRandomPrograms)
{
    const bool withHooks = GetParam();
    std::mt19937 rng(withHooks ? 7 : 8);
    std::uniform_int_distribution<int> word(0, 0xFFFF);
    for (int program = 0; program < 40; ++program) {
        auto a = std::make_unique<Core>(true, withHooks);
        auto b = std::make_unique<Core>(false, withHooks);
        seed(*a, *b, rng);
        const int32_t breakpoint = word(rng);
        a->breakpoints.append(breakpoint);
        b->breakpoints.append(breakpoint);
        RunOptions options;
        options.stopOnHalt = true;
        options.stopOnSelfBranch = true;
        options.eventEverySteps = 16;
        options.eventEveryMs = 0;
        for (int run = 0; run < 120; ++run) {
            // Mostly short runs, so that every kind of instruction is
            // often the last one before the comparison.
            options.maxSteps = run % 10 == 9 ? 50 : 1 + run % 4;
            const StopReason ra = a->control.Play(options);
            const StopReason rb = b->control.Play(options);
            ASSERT_EQ(ra, rb) << "program " << program << " run " << run;
            const std::string d = differences(*a, *b);
            ASSERT_TRUE(d.empty()) << "program " << program << " run " << run << ": " << d;
            if (ra == StopReason::Refused)
                break;
        }
    }
}

// Programs that random bytes seldom make: polling the I/O unit with bit
// branches and loads, calls and returns with the stack across the top of
// memory and through the save area, an RTI frame, indexed jumps that wrap.
struct Crafted {
    const char* name;
    std::vector<uint8_t> code;  // at $E000
    int32_t sp, ix, iy;
    bool readsIo = false;
};

class ShortRoadCrafted : public ::testing::TestWithParam<std::tuple<Crafted, bool>> {};

TEST_P(ShortRoadCrafted, BothRoadsAgreeStepByStep)
{
    const Crafted& c = std::get<0>(GetParam());
    const bool withHooks = std::get<1>(GetParam());
    Core a(true, withHooks), b(false, withHooks);
    for (Core* core : {&a, &b}) {
        std::copy(c.code.begin(), c.code.end(), core->link.image() + 0xE000);
        core->link.image()[0x6000] = 1;  // input waiting
        core->link.image()[0x6001] = 0x41;
        const uint8_t back[3] = {0x7E, 0xE0, 0x00};  // $0010: JMP $E000
        std::copy(std::begin(back), std::end(back), core->link.image() + 0x0010);
        core->link.regs.PC = 0xE000;
        core->link.regs.SP = c.sp;
        core->link.regs.IX = c.ix;
        core->link.regs.IY = c.iy;
    }
    RunOptions options;
    for (int run = 0; run < 300; ++run) {
        options.maxSteps = 1 + run % 3;
        const StopReason ra = a.control.Play(options);
        const StopReason rb = b.control.Play(options);
        ASSERT_EQ(ra, rb) << "run " << run;
        const std::string d = differences(a, b);
        ASSERT_TRUE(d.empty()) << "run " << run << ": " << d;
    }
    if (c.readsIo) {
        EXPECT_FALSE(a.io.log.empty()) << "the I/O unit was never read";
    }
}

INSTANTIATE_TEST_SUITE_P(
    ShortRoad, ShortRoadCrafted,
    ::testing::Combine(
        ::testing::Values(
            // LDX #$6000; loop: BRCLR 0,X $01 loop; BRSET 1,X $40 +2; NOP; NOP;
            // LDAA $6001; STAA $6003; BRA loop
            Crafted{"IoPolling", {0xCE, 0x60, 0x00, 0x1F, 0x00, 0x01, 0xFC, 0x1E, 0x01, 0x40, 0x02, 0x01, 0x01,
                                  0xB6, 0x60, 0x01, 0xB7, 0x60, 0x03, 0x20, 0xEE}, 0x00FF, 0, 0, true},
            // BRSET $6001-style through Y, and a direct-page bit branch.
            Crafted{"IoThroughY", {0x18, 0x1E, 0x01, 0x01, 0x02, 0x01, 0x01, 0x13, 0x05, 0xFF, 0xFD, 0x20, 0xF2},
                    0x00FF, 0, 0x6000, true},
            // JSR $E010 / BSR / RTS with SP at the top of memory and at the
            // save area: LDS #1; loop: JSR sub; BSR sub; BRA loop ... sub: RTS
            Crafted{"StackAcrossTheTop", {0xBD, 0xE0, 0x10, 0x8D, 0x0B, 0x6E, 0x00, 0x01, 0x01, 0x01, 0x01, 0x01,
                                          0x01, 0x01, 0x01, 0x01, 0x39, 0x20, 0xEC},
                    0x0001, 0xE000, 0},
            Crafted{"StackThroughSaveArea", {0xBD, 0xE0, 0x06, 0x20, 0xFB, 0x01, 0x36, 0x32, 0x39}, 0x0008, 0, 0},
            // RTI from a frame built by pushes: PSHX PSHY... then RTI.
            Crafted{"Rti", {0xCE, 0xE0, 0x00, 0x3C, 0x18, 0x3C, 0x3C, 0x36, 0x37, 0x07, 0x36, 0x3B}, 0x01FF, 0, 0},
            // JMP $20,X with X = $FFF0 wraps to $0010, which jumps back.
            Crafted{"IndexedJumpWraps", {0x01, 0x08, 0x09, 0x6E, 0x20}, 0x00FF, 0xFFF0, 0}),
        ::testing::Bool()),
    [](const ::testing::TestParamInfo<std::tuple<Crafted, bool>>& info) {
        return std::string(std::get<0>(info.param).name) + (std::get<1>(info.param) ? "WithHooks" : "Headless");
    });

INSTANTIATE_TEST_SUITE_P(ShortRoad, ShortRoadPlay, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "WithHooks" : "Headless");
                         });

// A long headless run with the registers out of step with their flags at
// the start: a branch before the first executed instruction follows the
// record's flags, as the general road does.
TEST(ShortRoad, HeadlessBranchBeforeAnyStepUsesTheRecordsFlags)
{
    for (const bool shortRoad : {true, false}) {
        Core c(shortRoad, false);
        c.link.image()[0xE000] = 0x27;  // BEQ +2
        c.link.image()[0xE001] = 0x02;
        c.link.image()[0xE004] = 0x20;  // BRA *
        c.link.image()[0xE005] = 0xFE;
        c.link.image()[0xE002] = 0x01;  // NOP; NOP
        c.link.image()[0xE003] = 0x01;
        c.link.regs.PC = 0xE000;
        c.link.regs.CCR = 0x00;
        c.link.regs.Z = true;  // not unpacked from CCR
        RunOptions options;
        options.maxSteps = 10;
        options.stopOnSelfBranch = true;
        EXPECT_EQ(c.control.Play(options), StopReason::SelfBranch);
        EXPECT_EQ(c.control.clockCounter, 6u) << shortRoad;  // BEQ taken, BRA
        EXPECT_EQ(c.link.regs.PC, 0xE004);
    }
}

} // namespace

// Play through hooks that take the step updates between time slices (the
// main window's) against Play through hooks that get them after every step:
// the same random programs, with and without the peripherals, must stop for
// the same reason with the same state, the window messages running after
// the same steps; the deferred updates come before each message run that
// followed steps, and once more at the end.
class SlicedPlay : public ::testing::TestWithParam<bool> {};

TEST_P(SlicedPlay, AgreesWithPlayStepByStep)
{
    const bool peripherals = GetParam();
    std::mt19937 rng(peripherals ? 31 : 32);
    std::uniform_int_distribution<int> word(0, 0xFFFF), pauseAt(1, 12);
    int runsWithSteps = 0;
    for (int program = 0; program < 40; ++program) {
        auto a = std::make_unique<Core>(true);
        auto b = std::make_unique<Core>(true);
        a->hooks.defer = true;
        seed(*a, *b, rng);
        const int32_t breakpoint = word(rng);
        for (Core* c : {a.get(), b.get()}) {
            c->link.simulator().setPeripherals(peripherals);
            c->breakpoints.append(breakpoint);
        }
        // Pause from the window messages after a random number of them.
        const int pauseAfter = pauseAt(rng);
        int updatesSeen = 0, staleEvents = 0;
        uint32_t clockSeen = 0;
        a->hooks.onEvents = [&] {
            // Steps ran since the last message run: the updates came first.
            if (a->control.clockCounter != clockSeen && a->hooks.clockCountUpdate == updatesSeen)
                ++staleEvents;
            updatesSeen = a->hooks.clockCountUpdate;
            clockSeen = a->control.clockCounter;
            if (a->hooks.events % pauseAfter == 0)
                a->control.Pause();
        };
        b->hooks.onEvents = [&] {
            if (b->hooks.events % pauseAfter == 0)
                b->control.Pause();
        };
        RunOptions options;
        options.stopOnHalt = true;
        options.stopOnSelfBranch = true;
        options.eventEveryMs = 0;
        for (int run = 0; run < 40; ++run) {
            options.eventEverySteps = 1 + run % 7 * 5;
            options.maxSteps = run % 5 == 4 ? 0 : 1 + run % 3 * 40;
            const int updatesBefore = a->hooks.clockCountUpdate;
            clockSeen = a->control.clockCounter;
            updatesSeen = updatesBefore;
            const uint32_t clockBefore = a->control.clockCounter;
            const StopReason ra = a->control.Play(options);
            const StopReason rb = b->control.Play(options);
            ASSERT_EQ(ra, rb) << "program " << program << " run " << run;
            const std::string d = differences(*a, *b, false);
            ASSERT_TRUE(d.empty()) << "program " << program << " run " << run << ": " << d;
            ASSERT_EQ(staleEvents, 0) << "program " << program << " run " << run;
            if (a->control.clockCounter != clockBefore) {
                ++runsWithSteps;
                // The steps' last updates were told before the run ended.
                EXPECT_GT(a->hooks.clockCountUpdate, updatesBefore);
                EXPECT_GT(a->hooks.refreshCpuWindow, 0);
            }
            if (ra == StopReason::Refused)
                break;
        }
        // Without the peripherals' general-road steps (which report as
        // they go), no more calls out than the step-by-step road makes.
        if (!peripherals) {
            EXPECT_LE(a->hooks.clockCountUpdate, b->hooks.clockCountUpdate);
        }
    }
    EXPECT_GT(runsWithSteps, 200);
}

INSTANTIATE_TEST_SUITE_P(ShortRoad, SlicedPlay, ::testing::Bool(), [](const ::testing::TestParamInfo<bool>& info) {
    return std::string(info.param ? "Peripherals" : "NoPeripherals");
});

// A window message that switches the step history on in the middle of a
// sliced Play hands the rest of the run to the recording road: the history
// holds exactly the steps after the switch, as with per-step updates.
TEST(SlicedPlay, HistorySwitchedOnDuringPlayRecordsTheRest)
{
    Core a(true), b(true);
    a.hooks.defer = true;
    for (Core* c : {&a, &b}) {
        loadCountingLoop(*c);
        c->link.regs.SP = 0x00FF;
        c->hooks.onEvents = [c] {
            if (c->hooks.events == 3)
                c->control.setHistoryCapacity(1000);
        };
    }
    RunOptions options;
    options.eventEverySteps = 100;
    options.eventEveryMs = 0;
    options.maxSteps = 550;
    for (Core* c : {&a, &b})
        EXPECT_EQ(c->control.Play(options), StopReason::StepBound);
    EXPECT_EQ(differences(a, b, false), "");
    EXPECT_EQ(a.control.history.size(), 250u);
    EXPECT_EQ(b.control.history.size(), 250u);
    // Step Back undoes the same steps on both.
    for (int i = 0; i < 250; ++i) {
        ASSERT_TRUE(a.control.StepBack());
        ASSERT_TRUE(b.control.StepBack());
    }
    EXPECT_FALSE(a.control.StepBack());
    EXPECT_EQ(differences(a, b, false), "");
    EXPECT_EQ(a.control.clockCounter, b.control.clockCounter);
}

// Pause through the window messages of a time-sliced Play (5 ms slices, as
// the main window sets them) on a program that never ends: the run stops at
// the first message run after the Pause, with state in step with the
// clock counter.
TEST(SlicedPlay, PauseInATimeSliceStopsTheRun)
{
    Core a(true);
    a.hooks.defer = true;
    loadCountingLoop(a);
    a.hooks.onEvents = [&a] {
        if (a.hooks.events == 4)
            a.control.Pause();
    };
    RunOptions options;
    options.eventEverySteps = 1u << 20;
    options.eventEveryMs = 5;
    EXPECT_EQ(a.control.Play(options), StopReason::Paused);
    EXPECT_EQ(a.hooks.events, 4);
    EXPECT_GT(a.control.clockCounter, 0u);
    // The save area holds the registers of the last step.
    uint8_t area[9];
    a.link.regs.storeSaveArea(area);
    EXPECT_EQ(std::memcmp(area, a.link.image(), 9), 0);
}

// A breakpoint reached just as a slice ends, with and without a step bound
// there: the window messages still run after that step (and a Pause there
// wins over the breakpoint), as with per-step updates.
TEST(SlicedPlay, BreakpointAtTheEndOfASlice)
{
    struct Case {
        uint32_t everySteps;
        uint64_t maxSteps;
        int pauseAtEvent;  // 0: never
    };
    // $E000 LDAB #$10 / $E002 DECB / BNE $E002 / INX / STX $20 / BRA $E000;
    // the breakpoint at $E005 (INX) is reached after 33 steps, then every 36.
    const Case cases[] = {{33, 0, 0}, {11, 0, 0}, {3, 0, 3}, {1, 0, 33}, {33, 33, 0},
                          {11, 33, 3}, {69, 0, 0}, {36, 0, 1}, {5, 40, 0}, {2, 0, 0}};
    for (const Case& k : cases) {
        Core a(true), b(true);
        a.hooks.defer = true;
        for (Core* c : {&a, &b}) {
            loadCountingLoop(*c);
            c->breakpoints.append(0xE005);
            c->hooks.onEvents = [c, k] {
                if (c->hooks.events == k.pauseAtEvent)
                    c->control.Pause();
            };
        }
        RunOptions options;
        options.eventEverySteps = k.everySteps;
        options.eventEveryMs = 0;
        options.maxSteps = k.maxSteps;
        for (int run = 0; run < 4; ++run) {
            const StopReason ra = a.control.Play(options);
            const StopReason rb = b.control.Play(options);
            ASSERT_EQ(ra, rb) << k.everySteps << " " << k.maxSteps << " run " << run;
            const std::string d = differences(a, b, false);
            ASSERT_EQ(d, "") << k.everySteps << " " << k.maxSteps << " run " << run;
        }
    }
}

// A call or return whose stack lies in the on-chip register block with the
// peripherals on: Play without hooks (the headless loop) against Play step
// by step must agree on registers, clock, image and the block's registers.
TEST(ShortRoad, HeadlessCallsAndReturnsWithTheStackInTheRegisterBlock)
{
    struct Case { const char* name; std::vector<uint8_t> call; };
    const std::vector<Case> calls = {
        {"JSR extended", {0xBD, 0xC1, 0x00, 0x20, 0xFE}},
        {"JSR indexed", {0xAD, 0x00, 0x20, 0xFE}},
        {"BSR", {0x8D, 0x7E, 0x20, 0xFE}},
    };
    for (const Case& c : calls) {
        for (uint16_t sp : {0x1010, 0x1001, 0x1040, 0x0FF1, 0x103F}) {
            auto a = std::make_unique<Core>(true, false);
            auto b = std::make_unique<Core>(true, true);
            for (Core* core : {a.get(), b.get()}) {
                core->link.simulator().setPeripherals(true);
                uint8_t* image = core->link.image();
                std::copy(c.call.begin(), c.call.end(), image + 0xC000);
                image[0xC100] = 0x39;  // RTS
                image[0xC080] = 0x39;  // RTS
                core->link.regs.PC = 0xC000;
                core->link.regs.SP = sp;
                core->link.regs.IX = 0xC100;
                core->link.regs.CCR = 0xD0;
                core->link.regs.I = 1;
                core->link.regs.X = 1;
                core->link.regs.S = 1;
            }
            RunOptions options;
            options.stopOnSelfBranch = true;
            options.maxSteps = 50;
            const StopReason ra = a->control.Play(options);
            const StopReason rb = b->control.Play(options);
            EXPECT_EQ(ra, rb) << c.name << " SP " << sp;
            std::string d;
            checkRegisters(d, a->link.regs, b->link.regs);
            checkSame(d, "clock", a->control.clockCounter, b->control.clockCounter);
            checkImage(d, a->link.image(), b->link.image());
            for (int r = 0; r < 64; ++r)
                checkSame(d, "chip register", a->link.simulator().chip().peek(static_cast<uint8_t>(r)),
                          b->link.simulator().chip().peek(static_cast<uint8_t>(r)));
            EXPECT_TRUE(d.empty()) << c.name << " SP " << sp << ": " << d;
        }
    }
}

// Long headless runs of a loop that mixes straight-line code with every
// kind of flow the headless loop follows itself (BNE, JSR, BSR, RTS, JMP,
// BRSET direct, BRCLR indexed), the real-time interrupt cutting in every
// 8192 cycles while the peripherals are on, with the step history off and
// on: after each run the state is the general road's, step for step.
class LongRuns : public ::testing::TestWithParam<std::tuple<bool, bool>> {};

TEST_P(LongRuns, AgreeWithTheGeneralRoad)
{
    const auto [peripherals, history] = GetParam();
    // $E000 LDS #$FF / LDAA #$40 / STAA $1024 (RTII) / CLI
    // $E009 LDX #$50 / LDAB #16
    // $E00E LDAA 0,X / ADDA #3 / STAA 0,X / INX / PSHB / JSR $E040 / PULB / DECB / BNE $E00E
    // $E01D JMP $E009
    // $E040 LDD $40 / ADDD #1 / STD $40 / MUL / BRSET $42 $80 $E04F / INC $42
    // $E04F BRCLR 0,X $01 $E055 / BSR $E056 / $E055 RTS / $E056 RTS
    // $E060 LDAA #$40 / STAA $1025 (RTIF cleared) / INC $44 / RTI
    const std::vector<uint8_t> main = {0x8E, 0x00, 0xFF, 0x86, 0x40, 0xB7, 0x10, 0x24, 0x0E, 0xCE, 0x00, 0x50,
                                       0xC6, 0x10, 0xA6, 0x00, 0x8B, 0x03, 0xA7, 0x00, 0x08, 0x37, 0xBD, 0xE0,
                                       0x40, 0x33, 0x5A, 0x26, 0xF1, 0x7E, 0xE0, 0x09};
    const std::vector<uint8_t> sub = {0xDC, 0x40, 0xC3, 0x00, 0x01, 0xDD, 0x40, 0x3D, 0x12, 0x42, 0x80, 0x03,
                                      0x7C, 0x00, 0x42, 0x1F, 0x00, 0x01, 0x02, 0x8D, 0x01, 0x39, 0x39};
    const std::vector<uint8_t> handler = {0x86, 0x40, 0xB7, 0x10, 0x25, 0x7C, 0x00, 0x44, 0x3B};
    Core a(true, false), b(false, false);
    for (Core* c : {&a, &b}) {
        c->link.simulator().setPeripherals(peripherals);
        if (history)
            c->control.history.setCapacity(1 << 16);
        uint8_t* image = c->link.image();
        std::copy(main.begin(), main.end(), image + 0xE000);
        std::copy(sub.begin(), sub.end(), image + 0xE040);
        std::copy(handler.begin(), handler.end(), image + 0xE060);
        image[0xFFF0] = 0xE0;  // the real-time interrupt's vector
        image[0xFFF1] = 0x60;
        c->link.regs.PC = 0xE000;
    }
    RunOptions options;
    options.stopOnHalt = true;
    options.stopOnSelfBranch = true;
    for (const uint64_t steps : {1, 5, 999, 8191, 65536, 1, 200000, 3}) {
        options.maxSteps = steps;
        const StopReason ra = a.control.Play(options);
        const StopReason rb = b.control.Play(options);
        ASSERT_EQ(ra, StopReason::StepBound) << steps;
        ASSERT_EQ(ra, rb) << steps;
        const std::string d = differences(a, b, false);
        ASSERT_TRUE(d.empty()) << "after " << steps << " steps: " << d;
        if (history) {
            ASSERT_EQ(a.control.history.size(), b.control.history.size()) << steps;
        }
    }
    // BRSET fell through 128 times (INC $42) and was taken ever since.
    EXPECT_GT(a.control.clockCounter, 1'000'000u);
    EXPECT_EQ(a.link.image()[0x42], 0x80);
    // The interrupts counted themselves (about one per 8192 cycles).
    if (peripherals) {
        EXPECT_GT(a.link.image()[0x44], 100);
    } else {
        EXPECT_EQ(a.link.image()[0x44], 0);
    }
}

INSTANTIATE_TEST_SUITE_P(ShortRoad, LongRuns, ::testing::Combine(::testing::Bool(), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<bool, bool>>& info) {
                             return std::string(std::get<0>(info.param) ? "Peripherals" : "NoPeripherals") +
                                    (std::get<1>(info.param) ? "History" : "NoHistory");
                         });
