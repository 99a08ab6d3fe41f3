// The step history: random programs (random bytes over the whole image)
// stepped forward N times and back N times come back to the exact image,
// registers, flags and clock counter, on both roads and with the I/O unit
// active; the watch does not change what a step does; the ring drops its
// oldest records; Run Back stops at a breakpoint; stepping forward leaves
// the past.
#include "RunTestSupport.h"

#include "run/StepHistory.h"

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace zelk;
using namespace zelk::test;

namespace {

using Core = SimCore;

struct Snapshot {
    std::vector<uint8_t> image;
    CpuRegisters regs;
    uint32_t clock;
};

Snapshot snap(Core& c)
{
    return Snapshot{std::vector<uint8_t>(c.link.image(), c.link.image() + 0x10000), c.link.regs,
                    c.control.clockCounter};
}

std::string differences(const Snapshot& s, Core& c)
{
    std::string d;
    checkRegisters(d, s.regs, c.link.regs);
    checkSame(d, "clock", s.clock, c.control.clockCounter);
    checkImage(d, s.image.data(), c.link.image());
    return d;
}

void seed(Core& c, std::mt19937& rng)
{
    seedRandom(c.link, rng);
    // Flags that disagree with CCR must come back as they were too.
    c.link.regs.Z = !c.link.regs.Z;
    c.control.clockCounter = static_cast<uint32_t>(rng());
}

TEST(StepHistory, RandomProgramsStepBackToTheExactState)
{
    struct Case {
        const char* name;
        bool shortRoad, ioActive;
        int steps;
    };
    const Case cases[] = {
        {"short road", true, false, 300},
        {"general road", false, false, 300},
        {"short road, I/O unit active", true, true, 300},
        {"general road, I/O unit active", false, true, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::mt19937 rng(1234);
        for (int program = 0; program < 40; ++program) {
            Core watched(c.shortRoad), plain(c.shortRoad);
            watched.link.setIoActive(c.ioActive);
            plain.link.setIoActive(c.ioActive);
            watched.control.setHistoryCapacity(StepHistory::DefaultCapacity);
            seed(watched, rng);
            std::memcpy(plain.link.image(), watched.link.image(), 0x10000);
            plain.link.regs = watched.link.regs;
            plain.control.clockCounter = watched.control.clockCounter;
            const Snapshot start = snap(watched);

            int recorded = 0;
            for (int i = 0; i < c.steps; ++i) {
                const bool a = watched.control.StepInto();
                const bool b = plain.control.StepInto();
                ASSERT_EQ(a, b);
                ++recorded;
                // The watch changes nothing about the step itself.
                ASSERT_EQ(differences(snap(plain), watched), "") << "program " << program << " step " << i;
                if (!a)
                    break;  // an unpredictable step: the program is over
            }
            ASSERT_EQ(watched.control.history.size(), static_cast<size_t>(recorded));
            for (int i = 0; i < recorded; ++i)
                ASSERT_TRUE(watched.control.StepBack()) << "program " << program << " back " << i;
            EXPECT_FALSE(watched.control.StepBack()) << "nothing left to undo";
            EXPECT_EQ(watched.control.stepsBack(), static_cast<uint64_t>(recorded));
            ASSERT_EQ(differences(start, watched), "") << "program " << program;
        }
    }
}

TEST(StepHistory, StepBackOneAtATimeMatchesEachEarlierState)
{
    std::mt19937 rng(99);
    Core core(true);
    core.control.setHistoryCapacity(1000);
    seed(core, rng);
    std::vector<Snapshot> states;
    for (int i = 0; i < 200; ++i) {
        states.push_back(snap(core));
        if (!core.control.StepInto())
            break;
    }
    for (size_t i = states.size(); i-- > 0;) {
        ASSERT_TRUE(core.control.StepBack());
        ASSERT_EQ(differences(states[i], core), "") << "state " << i;
    }
}

TEST(StepHistory, RingDropsTheOldest)
{
    struct Case {
        size_t capacity;
        int steps;
    };
    const Case cases[] = {{1, 5}, {10, 10}, {10, 11}, {64, 200}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.capacity);
        Core core(true);
        // A loop that writes: INCA; STAA $1000,X... as INX; STAA 0,X; BRA back.
        core.link.image()[0xE000] = 0x08;  // INX
        core.link.image()[0xE001] = 0xA7;  // STAA 0,X
        core.link.image()[0xE002] = 0x00;
        core.link.image()[0xE003] = 0x4C;  // INCA
        core.link.image()[0xE004] = 0x20;  // BRA $E000
        core.link.image()[0xE005] = 0xFA;
        core.link.regs.PC = 0xE000;
        core.link.regs.IX = 0x2000;
        core.control.setHistoryCapacity(c.capacity);
        std::vector<Snapshot> states;
        for (int i = 0; i < c.steps; ++i) {
            states.push_back(snap(core));
            ASSERT_TRUE(core.control.StepInto());
        }
        const size_t kept = std::min<size_t>(c.capacity, static_cast<size_t>(c.steps));
        EXPECT_EQ(core.control.history.size(), kept);
        EXPECT_EQ(core.control.history.dropped(), static_cast<uint64_t>(c.steps) - kept);
        for (size_t i = 0; i < kept; ++i)
            ASSERT_TRUE(core.control.StepBack());
        EXPECT_FALSE(core.control.StepBack());
        EXPECT_EQ(differences(states[static_cast<size_t>(c.steps) - kept], core), "");
    }
}

TEST(StepHistory, ShrinkingKeepsTheNewestAndZeroSwitchesOff)
{
    Core core(true);
    core.link.image()[0xE000] = 0x4C;  // INCA
    core.link.image()[0xE001] = 0x20;  // BRA $E000
    core.link.image()[0xE002] = 0xFD;
    core.link.regs.PC = 0xE000;
    core.control.setHistoryCapacity(100);
    for (int i = 0; i < 50; ++i)
        core.control.StepInto();
    core.control.setHistoryCapacity(10);
    EXPECT_EQ(core.control.history.size(), 10u);
    const uint8_t a = core.link.regs.A;
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(core.control.StepBack());
    EXPECT_EQ(core.link.regs.A, static_cast<uint8_t>(a - 5)) << "ten steps: five INCA undone";
    // Grows again after shrinking and keeps recording.
    core.control.setHistoryCapacity(1000);
    for (int i = 0; i < 20; ++i)
        core.control.StepInto();
    EXPECT_EQ(core.control.history.size(), 20u);
    EXPECT_EQ(core.control.stepsBack(), 0u) << "a step forward leaves the past";
    core.control.setHistoryCapacity(0);
    EXPECT_TRUE(core.control.history.empty());
    core.control.StepInto();
    EXPECT_TRUE(core.control.history.empty());
    EXPECT_FALSE(core.control.StepBack());
}

TEST(StepHistory, StepBackRestoresTheIoUnitAndTellsIt)
{
    Core core(true);
    core.link.setIoActive(true);
    // STAA $6003: the unit sets Data Ready ($6002) and shows the byte.
    core.link.image()[0xE000] = 0xB7;
    core.link.image()[0xE001] = 0x60;
    core.link.image()[0xE002] = 0x03;
    core.link.regs.PC = 0xE000;
    core.link.regs.A = 0x41;
    core.control.setHistoryCapacity(10);
    ASSERT_TRUE(core.control.StepInto());
    EXPECT_EQ(core.link.image()[0x6002], 1);
    core.io.log.clear();
    ASSERT_TRUE(core.control.StepBack());
    EXPECT_EQ(core.link.image()[0x6002], 0);
    EXPECT_EQ(core.link.image()[0x6003], 0);
    const std::vector<std::string> expected = {"InFresh 0", "InData 0", "OutFresh 0", "OutData 0"};
    EXPECT_EQ(core.io.log, expected);
    EXPECT_EQ(core.link.regs.PC, 0xE000);
}

TEST(StepHistory, RunBackStopsAtTheBreakpointOrTheStart)
{
    Core core(true);
    // $E000: LDAA #0; $E002: INCA; $E003: INCA; $E004: INCA; $E005: BRA *
    const uint8_t program[] = {0x86, 0x00, 0x4C, 0x4C, 0x4C, 0x20, 0xFE};
    std::memcpy(core.link.image() + 0xE000, program, sizeof program);
    core.link.regs.PC = 0xE000;
    core.control.setHistoryCapacity(100);
    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(core.control.StepInto());
    core.breakpoints.append(0xE003);
    EXPECT_EQ(core.control.RunBack(), StopReason::Breakpoint);
    EXPECT_EQ(core.link.regs.PC, 0xE003);
    EXPECT_EQ(core.link.regs.A, 1);
    EXPECT_EQ(core.control.stepsBack(), 6u);
    // From the breakpoint itself, Run Back goes on to the start.
    EXPECT_EQ(core.control.RunBack(), StopReason::HistoryStart);
    EXPECT_EQ(core.link.regs.PC, 0xE000);
    EXPECT_EQ(core.control.clockCounter, 0u);
    EXPECT_EQ(core.control.RunBack(), StopReason::None) << "nothing left";
    EXPECT_EQ(core.hooks.started, core.hooks.stopped);
}

TEST(StepHistory, PauseStopsRunBack)
{
    Core core(true);
    core.link.image()[0xE000] = 0x4C;  // INCA
    core.link.image()[0xE001] = 0x20;  // BRA $E000
    core.link.image()[0xE002] = 0xFD;
    core.link.regs.PC = 0xE000;
    core.control.setHistoryCapacity(100000);
    for (int i = 0; i < 50000; ++i)
        core.control.StepInto();
    core.hooks.onEvents = [&] { core.control.Pause(); };
    RunOptions options;
    options.eventEverySteps = 100;
    EXPECT_EQ(core.control.RunBack(options), StopReason::Paused);
    EXPECT_EQ(core.control.stepsBack(), 100u);
    EXPECT_EQ(core.control.history.size(), 49900u);
}

TEST(StepHistory, StepBackTakesTheStepsOffTheProfile)
{
    std::mt19937 rng(7);
    Core core(true);
    core.control.setHistoryCapacity(1000);
    core.control.profile.setEnabled(true);
    seed(core, rng);
    core.control.clockCounter = 0;
    int steps = 0;
    std::vector<int32_t> pcs;
    for (; steps < 100; ++steps) {
        pcs.push_back(core.link.regs.PC);
        if (!core.control.StepInto()) {
            ++steps;
            break;
        }
    }
    const int half = steps / 2;
    for (int i = 0; i < half; ++i)
        ASSERT_TRUE(core.control.StepBack());
    // What is left counted is exactly the steps not undone.
    uint64_t executed = 0, cycles = 0;
    for (int32_t a = 0; a < 0x10000; ++a) {
        executed += core.control.profile.executed(a);
        cycles += core.control.profile.cycles(a);
    }
    EXPECT_EQ(executed, static_cast<uint64_t>(steps - half));
    EXPECT_EQ(cycles, core.control.clockCounter);
    for (int i = half; i < steps; ++i)
        ASSERT_TRUE(core.control.StepBack());
    for (int32_t pc : pcs)
        EXPECT_EQ(core.control.profile.executed(pc), 0u) << pc;
}

TEST(StepHistoryRing, CancelAndClear)
{
    StepHistory h(4);
    uint8_t image[0x10000] = {};
    CpuRegisters r;
    r.PC = 0x1234;
    h.begin(r, 7, image);
    h.noteWrite(0x10, 0xAA);
    h.end(r, 11);
    h.noteWrite(0x11, 0xBB);  // after end(): not the step's
    r.PC = 0x2000;
    h.begin(r, 9, image);
    h.noteWrite(0x12, 0xCC);
    h.cancel();
    EXPECT_EQ(h.size(), 1u);
    EXPECT_EQ(h.newestPC(), 0x1234);
    uint32_t clock = 0;
    CpuRegisters out;
    ASSERT_TRUE(h.undo(out, clock, image));
    EXPECT_EQ(out.PC, 0x1234);
    EXPECT_EQ(clock, 7u);
    EXPECT_EQ(image[0x10], 0xAA);
    EXPECT_EQ(image[0x11], 0x00);
    EXPECT_EQ(image[0x12], 0x00);
    EXPECT_EQ(h.newestPC(), -1);
    h.begin(r, 1, image);
    h.end(r, 3);
    h.clear();
    EXPECT_TRUE(h.empty());
    EXPECT_FALSE(h.undo(out, clock, image));
}

// The compact records straight on the ring: synthetic steps that change
// any mix of registers and flags, take few or many cycles (one byte or
// four), write up to twenty bytes, find the counter changed from outside
// (reset) or the save area edited before them, through ring growth, wrap
// and drops; undoing gives back each earlier state exactly.
TEST(StepHistoryRing, CompactRecordsUndoEveryKindOfChange)
{
    struct Case {
        const char* name;
        size_t capacity;
        int steps;
        int maxWrites;
        bool longCycles, outsideChanges;
    };
    const Case cases[] = {
        {"registers only", 100, 100, 0, false, false},
        {"writes, ring drops", 300, 2000, 20, false, false},
        {"long cycles", 500, 500, 3, true, false},
        {"counter reset and save area edited between steps", 400, 1500, 5, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::mt19937 rng(42);
        std::uniform_int_distribution<int> byte(0, 255), word(0, 0xFFFF), percent(0, 99);
        StepHistory h(c.capacity);
        std::vector<uint8_t> image(0x10000);
        CpuRegisters r;
        uint32_t clock = 0;
        struct State {
            std::vector<uint8_t> image;
            CpuRegisters regs;
            uint32_t clock;
        };
        std::vector<State> states;
        for (int i = 0; i < c.steps; ++i) {
            if (c.outsideChanges && percent(rng) < 5)
                clock = static_cast<uint32_t>(rng());  // Reset counter, or the user set it
            if (c.outsideChanges && percent(rng) < 5)
                image[static_cast<size_t>(byte(rng) % 9)] ^= 0x5A;  // the save area edited
            states.push_back(State{image, r, clock});
            h.begin(r, clock, image.data());
            const int writes = c.maxWrites ? byte(rng) % (c.maxWrites + 1) : 0;
            for (int w = 0; w < writes; ++w) {
                const uint32_t a = static_cast<uint32_t>(word(rng));
                h.noteWrite(a, image[a]);
                image[a] = static_cast<uint8_t>(byte(rng));
            }
            if (percent(rng) < 40) r.A = static_cast<uint8_t>(byte(rng));
            if (percent(rng) < 40) r.B = static_cast<uint8_t>(byte(rng));
            if (percent(rng) < 30) r.IX = word(rng);
            if (percent(rng) < 30) r.IY = word(rng);
            if (percent(rng) < 30) r.SP = word(rng);
            if (percent(rng) < 30) {
                r.CCR = static_cast<uint8_t>(byte(rng));
                r.unpackCCR();
            }
            if (percent(rng) < 10)
                r.Z = !r.Z;  // a flag out of step with CCR
            r.PC = word(rng);
            clock += c.longCycles && percent(rng) < 20 ? static_cast<uint32_t>(rng()) : static_cast<uint32_t>(byte(rng));
            r.storeSaveArea(image.data());  // as a simulated step does
            h.end(r, clock);
        }
        const size_t kept = std::min(c.capacity, static_cast<size_t>(c.steps));
        ASSERT_EQ(h.size(), kept);
        for (size_t i = 0; i < kept; ++i) {
            const State& want = states[states.size() - 1 - i];
            ASSERT_EQ(h.newestPC(), want.regs.PC) << "back " << i;
            ASSERT_TRUE(h.undo(r, clock, image.data())) << "back " << i;
            std::string d;
            checkRegisters(d, want.regs, r);
            checkSame(d, "clock", want.clock, clock);
            checkImage(d, want.image.data(), image.data());
            ASSERT_EQ(d, "") << "back " << i;
        }
        EXPECT_FALSE(h.undo(r, clock, image.data()));
    }
}

// Step Back with the on-chip peripherals on: a program whose main loop
// reads the A/D converter's scanned result while OC2 interrupts every
// 256 cycles (the routine clears OC2F and moves TOC2 on) and the timer
// overflow interrupts once (its routine clears TOF). Every step back gives
// the peripherals' whole state back as it was before the step: TCNT's
// time, the flags set and cleared, the compare and A/D state, the entry's
// request taken. The WAI variant lets the clock jump to each event.
std::string chipDifferences(const OnChipState& x, const OnChipState& y)
{
    std::string d;
    checkSame(d, "now", static_cast<long>(x.now), static_cast<long>(y.now));
    checkSame(d, "nextEvent", static_cast<long>(x.nextEvent), static_cast<long>(y.nextEvent));
    for (int i = 0; i < OnChipState::EventCount; ++i)
        checkSame(d, "at", static_cast<long>(x.at[i]), static_cast<long>(y.at[i]));
    checkSame(d, "tcntOrigin", static_cast<long>(x.tcntOrigin), static_cast<long>(y.tcntOrigin));
    for (int i = 0; i < 64; ++i)
        checkSame(d, "reg", x.reg[i], y.reg[i]);
    checkSame(d, "tdr", x.tdr, y.tdr);
    checkSame(d, "scsrSeen", x.scsrSeen, y.scsrSeen);
    checkSame(d, "adScan", x.adScan, y.adScan);
    checkSame(d, "irqLatch", x.irqLatch, y.irqLatch);
    checkSame(d, "cpu", static_cast<int>(x.cpu), static_cast<int>(y.cpu));
    return d;
}

TEST(StepHistory, StepBackOverPeripheralActivityRestoresTheirState)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> loop;  // at $C001, after CLI
        int steps;
    };
    const Case cases[] = {
        // LDAA #$20; STAA ADCTL (scanning channel 0); loop: LDAB ADR1; NOP; BRA loop
        {"A/D loop", {0x86, 0x20, 0xB7, 0x10, 0x30, 0xF6, 0x10, 0x31, 0x01, 0x20, 0xFA}, 20000},
        // WAI; BRA loop: the clock jumps to each compare
        {"waiting", {0x3E, 0x20, 0xFD}, 1200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimCore core(true);
        AccessLayer& link = core.link;
        link.simulator().setPeripherals(true);
        OnChip& chip = link.simulator().chip();
        uint8_t* m = link.image();
        m[0xC000] = 0x0E;  // CLI
        std::copy(c.loop.begin(), c.loop.end(), m + 0xC001);
        // $D000 OC2: LDAA #$40; STAA TFLG1; LDD TOC2; ADDD #$0100; STD TOC2; RTI
        const uint8_t oc2[] = {0x86, 0x40, 0xB7, 0x10, 0x23, 0xFC, 0x10, 0x18, 0xC3, 0x01, 0x00, 0xFD, 0x10, 0x18, 0x3B};
        std::copy(std::begin(oc2), std::end(oc2), m + 0xD000);
        // $D100 overflow: LDAA #$80; STAA TFLG2; RTI
        const uint8_t tof[] = {0x86, 0x80, 0xB7, 0x10, 0x25, 0x3B};
        std::copy(std::begin(tof), std::end(tof), m + 0xD100);
        m[0xFFE6] = 0xD0;
        m[0xFFE7] = 0x00;
        m[0xFFDE] = 0xD1;
        m[0xFFDF] = 0x00;
        chip.hostWrite(chipreg::TOC2, 0x01);
        chip.hostWrite(chipreg::TOC2 + 1, 0x00);
        chip.hostWrite(chipreg::TMSK1, 0x40);
        chip.hostWrite(chipreg::TMSK2, 0x80);
        chip.setAnalog(0, 0x77);
        chip.hostWrite(chipreg::OPTION, static_cast<uint8_t>(chip.peek(chipreg::OPTION) | 0x80));  // A/D powered
        link.regs.PC = 0xC000;
        link.regs.SP = 0x01FF;
        link.regs.CCR = 0x10;
        link.regs.unpackCCR();
        core.control.setHistoryCapacity(StepHistory::DefaultCapacity);

        struct State {
            CpuRegisters regs;
            uint32_t clock;
            OnChipState chip;
        };
        std::vector<State> states;
        const std::vector<uint8_t> startImage(m, m + 0x10000);
        int oc2Entries = 0, overflowEntries = 0;
        for (int i = 0; i < c.steps; ++i) {
            chip.catchUp();  // what a view's look would show; changes nothing due
            states.push_back(State{link.regs, core.control.clockCounter, chip.save()});
            ASSERT_TRUE(core.control.StepInto()) << "step " << i;
            oc2Entries += link.regs.PC == 0xD000;
            overflowEntries += link.regs.PC == 0xD100;
        }
        EXPECT_GT(oc2Entries, 10);
        if (c.steps >= 20000) {
            EXPECT_EQ(overflowEntries, 1) << "the run must cross a timer overflow";
            EXPECT_EQ(core.link.regs.B, 0x77) << "the conversions ran";
        }
        for (size_t i = states.size(); i-- > 0;) {
            ASSERT_TRUE(core.control.StepBack()) << "back to " << i;
            chip.catchUp();
            std::string d;
            checkRegisters(d, states[i].regs, link.regs);
            checkSame(d, "clock", states[i].clock, core.control.clockCounter);
            d += chipDifferences(states[i].chip, chip.save());
            ASSERT_EQ(d, "") << "back to " << i << " of " << states.size() << " PC $" << std::hex << states[i].regs.PC;
        }
        std::string d;
        checkImage(d, startImage.data(), m);
        EXPECT_EQ(d, "");
    }
}

// Run Back stops at data breakpoints exactly where a forward run stopped:
// random programs stepped forward with watches around SP, IX, IY and at
// random places (each step's hit noted), then run back: every stop is
// before a step that hit, with the same address and kind, and no step that
// hit is passed over.
TEST(StepHistory, RunBackStopsBeforeEachStepAForwardRunStoppedAfter)
{
    struct Case {
        const char* name;
        bool shortRoad, ioActive;
    };
    const Case cases[] = {{"short road", true, false}, {"general road", false, false}, {"I/O unit", true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::mt19937 rng(2026);
        int stops = 0;
        for (int program = 0; program < 120; ++program) {
            SimCore core(c.shortRoad);
            core.link.setIoActive(c.ioActive);
            seedRandom(core.link, rng);
            core.control.setHistoryCapacity(10000);
            const CpuRegisters& r = core.link.regs;
            std::uniform_int_distribution<int> byte(0, 255), word(0, 0xFFFF), kind(1, 3);
            for (int32_t first : {r.SP - 4 + byte(rng) % 8, r.IX + byte(rng), r.IY + byte(rng), word(rng)})
                core.control.dataBreakpoints.add(first & 0xFFFF, std::min(0xFFFF, (first & 0xFFFF) + byte(rng) % 4),
                                                 static_cast<DataAccess>(kind(rng)));
            struct Hit {
                bool hit;
                DataHit at;
            };
            std::vector<Hit> forward;
            for (int i = 0; i < 200; ++i) {
                const bool ok = core.control.StepInto();
                forward.push_back(Hit{core.control.dataHitPending(), core.control.lastDataHit()});
                if (!ok)
                    break;
            }
            // Each step that was not done (the last, unpredictable one) left no record.
            while (!forward.empty() && forward.size() > core.control.history.size())
                forward.pop_back();
            size_t remaining = forward.size();
            while (remaining > 0) {
                const StopReason reason = core.control.RunBack();
                const size_t now = core.control.history.size();
                // Steps passed over had no hit.
                for (size_t j = now + 1; j < remaining; ++j)
                    ASSERT_FALSE(forward[j].hit) << "program " << program << " passed over step " << j;
                if (reason == StopReason::HistoryStart) {
                    ASSERT_EQ(now, 0u);
                    ASSERT_FALSE(forward[0].hit) << "program " << program;
                    break;
                }
                ASSERT_EQ(reason, StopReason::DataBreakpoint) << "program " << program;
                ASSERT_LT(now, remaining);
                const Hit& f = forward[now];
                ASSERT_TRUE(f.hit) << "program " << program << " stopped before step " << now;
                EXPECT_EQ(core.control.lastDataHit().address, f.at.address);
                EXPECT_EQ(core.control.lastDataHit().access, f.at.access);
                EXPECT_EQ(core.control.lastDataHit().entry, f.at.entry);
                ++stops;
                remaining = now;
            }
        }
        EXPECT_GT(stops, 50) << "few stops: the comparison proves little";
    }
}

} // namespace
