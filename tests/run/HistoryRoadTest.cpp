// Play with the step history on keeps its steps in the headless loop (whole
// runs without hooks, time slices through deferring hooks) and records them
// there. Against Play on the watched road (a tracer keeps every step there),
// on the same random programs, with the peripherals and the I/O unit on and
// off and a ring small enough to wrap: the runs stop alike, the rings hold
// the same bytes and the same peripheral snapshots, and Step Back and Run
// Back (with data breakpoints set after the run) go back through the same
// states.
#include "RunTestSupport.h"

#include "run/StepHistory.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace zelk;
using namespace zelk::test;

namespace {

using Core = BasicSimCore<TracingIoUnit>;

// The peripherals' state field by field (the struct may have padding).
void checkChip(std::string& d, const OnChipState& x, const OnChipState& y)
{
    checkSame(d, "chip.now", static_cast<long>(x.now), static_cast<long>(y.now));
    checkSame(d, "chip.nextEvent", static_cast<long>(x.nextEvent), static_cast<long>(y.nextEvent));
    for (int i = 0; i < OnChipState::EventCount; ++i)
        checkSame(d, "chip.at", static_cast<long>(x.at[i]), static_cast<long>(y.at[i]));
    checkSame(d, "chip.tcntOrigin", static_cast<long>(x.tcntOrigin), static_cast<long>(y.tcntOrigin));
    if (std::memcmp(x.reg, y.reg, sizeof x.reg) != 0 || std::memcmp(x.analog, y.analog, sizeof x.analog) != 0)
        d += "chip registers differ; ";
    const long fx[] = {x.pinA, x.pinC, x.pinD, x.latchA, x.tdr, x.rdr, x.rxByte, x.tdrFull, x.txBusy, x.rxBusy,
                       x.scsrSeen, x.rxExhausted, x.rxPaced, x.copFired, x.adScan, x.copArmed, x.irqLatch,
                       x.xirqLatch, static_cast<long>(x.cpu)};
    const long fy[] = {y.pinA, y.pinC, y.pinD, y.latchA, y.tdr, y.rdr, y.rxByte, y.tdrFull, y.txBusy, y.rxBusy,
                       y.scsrSeen, y.rxExhausted, y.rxPaced, y.copFired, y.adScan, y.copArmed, y.irqLatch,
                       y.xirqLatch, static_cast<long>(y.cpu)};
    for (size_t i = 0; i < std::size(fx); ++i)
        checkSame(d, "chip field", fx[i], fy[i]);
}

// Registers, clock counter, image, the I/O unit's calls, the peripherals.
std::string stateDifferences(Core& a, Core& b)
{
    std::string d;
    checkRegisters(d, a.link.regs, b.link.regs);
    checkSame(d, "clock", a.control.clockCounter, b.control.clockCounter);
    checkSame(d, "stepsBack", static_cast<long>(a.control.stepsBack()), static_cast<long>(b.control.stepsBack()));
    checkImage(d, a.link.image(), b.link.image());
    if (a.io.log != b.io.log)
        d += "I/O unit calls differ; ";
    if (a.link.simulator().peripherals())
        checkChip(d, a.link.simulator().chip().s, b.link.simulator().chip().s);
    return d;
}

// The two rings: records, their bytes, what was dropped, the snapshots.
std::string historyDifferences(const StepHistory& a, const StepHistory& b)
{
    std::string d;
    checkSame(d, "records", static_cast<long>(a.size()), static_cast<long>(b.size()));
    checkSame(d, "dropped", static_cast<long>(a.dropped()), static_cast<long>(b.dropped()));
    const std::vector<uint8_t> x = a.recordBytes(), y = b.recordBytes();
    checkSame(d, "record bytes", static_cast<long>(x.size()), static_cast<long>(y.size()));
    const auto diff = std::mismatch(x.begin(), x.end(), y.begin(), y.end());
    if (diff.first != x.end())
        checkSame(d, "first differing record byte at", diff.first - x.begin(), -1);
    checkSame(d, "chip snapshots", static_cast<long>(a.chipSnapshots().size()),
              static_cast<long>(b.chipSnapshots().size()));
    for (size_t i = 0; i < std::min(a.chipSnapshots().size(), b.chipSnapshots().size()); ++i)
        checkChip(d, a.chipSnapshots()[i], b.chipSnapshots()[i]);
    return d;
}

// Watches where the program's accesses are likely: around SP, IX and IY,
// the direct page, the I/O unit, anywhere.
void addWatches(DataBreakpointTable& table, const CpuRegisters& r, std::mt19937& rng)
{
    std::uniform_int_distribution<int> byte(0, 255), word(0, 0xFFFF), kind(1, 3), width(0, 15);
    const int32_t around[] = {r.SP - 12 + byte(rng) % 24, r.IX + byte(rng), r.IY + byte(rng), word(rng),
                              byte(rng), 0x6000 + byte(rng) % 4};
    for (int32_t first : around) {
        first &= 0xFFFF;
        table.add(first, std::min(0xFFFF, first + width(rng)), static_cast<DataAccess>(kind(rng)));
    }
}

struct RoadCase {
    const char* name;
    bool sliced;  // through deferring hooks (the main window's road), else without hooks
    bool peripherals, ioActive;
    size_t capacity;
    uint32_t seed;
};

class HistoryRoads : public ::testing::TestWithParam<RoadCase> {};

TEST_P(HistoryRoads, PlayRecordsWhatTheWatchedRoadRecords)
{
    const RoadCase& c = GetParam();
    std::mt19937 rng(c.seed);
    std::uniform_int_distribution<int> word(0, 0xFFFF);
    long steps = 0, records = 0, slicedUpdates = 0, backSteps = 0, dataStops = 0;
    for (int program = 0; program < 40; ++program) {
        auto fast = std::make_unique<Core>(true, c.sliced);
        auto watched = std::make_unique<Core>(true, true);
        fast->hooks.defer = true;
        seedRandom(fast->link, rng);
        // Flags that disagree with CCR, and a clock counter set from outside.
        if (program % 3 == 0)
            fast->link.regs.Z = !fast->link.regs.Z;
        fast->control.clockCounter = static_cast<uint32_t>(rng());
        copyState(*fast, *watched);
        const std::vector<uint8_t> startImage(fast->link.image(), fast->link.image() + 0x10000);
        const CpuRegisters startRegs = fast->link.regs;
        const uint32_t startClock = fast->control.clockCounter;
        const int32_t breakpoint = word(rng);
        for (Core* core : {fast.get(), watched.get()}) {
            core->link.setIoActive(c.ioActive);
            core->link.simulator().setPeripherals(c.peripherals);
            core->control.setHistoryCapacity(c.capacity);
            core->breakpoints.append(breakpoint);
        }
        RunOptions options;
        options.stopOnHalt = true;
        options.stopOnSelfBranch = true;
        options.eventEveryMs = 0;
        for (int run = 0; run < 12; ++run) {
            options.eventEverySteps = 1 + run % 4 * 37;
            options.maxSteps = run % 4 == 3 ? 5000 : 1 + run % 3 * 150;
            RunOptions traced = options;
            traced.beforeStep = [] {};
            const size_t recordsBefore = watched->control.history.size() + watched->control.history.dropped();
            const StopReason ra = fast->control.Play(options);
            const StopReason rb = watched->control.Play(traced);
            ASSERT_EQ(ra, rb) << "program " << program << " run " << run;
            ASSERT_EQ(stateDifferences(*fast, *watched), "") << "program " << program << " run " << run;
            ASSERT_EQ(historyDifferences(fast->control.history, watched->control.history), "")
                << "program " << program << " run " << run;
            steps += static_cast<long>(watched->control.history.size() + watched->control.history.dropped() -
                                       recordsBefore);
            if (ra == StopReason::Refused)
                break;
        }
        records += static_cast<long>(watched->control.history.size());
        slicedUpdates += fast->hooks.refreshCpuWindow;

        if (program % 2 == 0) {
            // Step Back, one at a time, through the same states.
            while (watched->control.canStepBack()) {
                ASSERT_TRUE(watched->control.StepBack());
                ASSERT_TRUE(fast->control.StepBack()) << "program " << program;
                ASSERT_EQ(stateDifferences(*fast, *watched), "") << "program " << program << " back " << backSteps;
                ++backSteps;
            }
            EXPECT_FALSE(fast->control.canStepBack());
            if (fast->control.history.dropped() == 0) {
                // Every step undone: the state the program started from.
                std::string d;
                checkRegisters(d, startRegs, fast->link.regs);
                checkSame(d, "clock", startClock, fast->control.clockCounter);
                checkImage(d, startImage.data(), fast->link.image());
                ASSERT_EQ(d, "") << "program " << program;
            }
        } else {
            // Run Back with data breakpoints set after the run and the
            // breakpoint still set: the same stops in the same states.
            std::mt19937 watches(static_cast<uint32_t>(program));
            addWatches(fast->control.dataBreakpoints, fast->link.regs, watches);
            watches.seed(static_cast<uint32_t>(program));
            addWatches(watched->control.dataBreakpoints, watched->link.regs, watches);
            for (int back = 0; back < 100000; ++back) {
                const StopReason ra = fast->control.RunBack();
                const StopReason rb = watched->control.RunBack();
                ASSERT_EQ(ra, rb) << "program " << program << " run back " << back;
                ASSERT_EQ(stateDifferences(*fast, *watched), "") << "program " << program << " run back " << back;
                if (ra == StopReason::DataBreakpoint) {
                    ++dataStops;
                    EXPECT_EQ(fast->control.lastDataHit().address, watched->control.lastDataHit().address);
                    EXPECT_EQ(fast->control.lastDataHit().access, watched->control.lastDataHit().access);
                }
                if (ra == StopReason::HistoryStart || ra == StopReason::None)
                    break;
            }
            EXPECT_FALSE(fast->control.canStepBack()) << "program " << program;
        }
    }
    EXPECT_GT(steps, 20000) << "the programs ran too little to prove much";
    EXPECT_GT(records, 1000);
    EXPECT_GT(backSteps, 500);
    if (c.capacity > 1000) {
        EXPECT_GT(dataStops, 10) << "Run Back seldom stopped at a data breakpoint";
    }
    // Through deferring hooks most steps stayed in the loop: far fewer
    // window updates than steps (every general-road step reports).
    if (c.sliced) {
        EXPECT_LT(slicedUpdates * 2, steps);
    }
}

INSTANTIATE_TEST_SUITE_P(
    History, HistoryRoads,
    ::testing::Values(RoadCase{"Headless", false, false, false, StepHistory::DefaultCapacity, 2037},
                      RoadCase{"Sliced", true, false, false, StepHistory::DefaultCapacity, 2048},
                      RoadCase{"SlicedIoUnit", true, false, true, StepHistory::DefaultCapacity, 2059},
                      RoadCase{"HeadlessPeripherals", false, true, false, StepHistory::DefaultCapacity, 2070},
                      RoadCase{"SlicedPeripheralsIoUnit", true, true, true, StepHistory::DefaultCapacity, 2081},
                      RoadCase{"HeadlessSmallRing", false, false, true, 97, 2092},
                      RoadCase{"SlicedPeripheralsSmallRing", true, true, false, 61, 2103}),
    [](const ::testing::TestParamInfo<RoadCase>& info) { return std::string(info.param.name); });

// Programs that random bytes seldom make, run long: calls and returns,
// bit branches on the I/O unit, its input read and output written, a
// timer flag polled and cleared, a ring that wraps many times over.
struct CraftedCase {
    const char* name;
    std::vector<uint8_t> code;  // at $E000, PC there
    bool peripherals, ioActive;
    size_t capacity;
    uint64_t steps;
};

class HistoryCrafted : public ::testing::TestWithParam<CraftedCase> {};

TEST_P(HistoryCrafted, BothRoadsRecordAlikeAndStepBackAlike)
{
    const CraftedCase& c = GetParam();
    for (const bool sliced : {false, true}) {
        SCOPED_TRACE(sliced ? "sliced" : "headless");
        auto fast = std::make_unique<Core>(true, sliced);
        auto watched = std::make_unique<Core>(true, true);
        fast->hooks.defer = true;
        for (Core* core : {fast.get(), watched.get()}) {
            std::copy(c.code.begin(), c.code.end(), core->link.image() + 0xE000);
            core->link.regs.PC = 0xE000;
            core->link.regs.SP = 0x00FF;
            core->link.setIoActive(c.ioActive);
            core->link.simulator().setPeripherals(c.peripherals);
            core->control.setHistoryCapacity(c.capacity);
            core->link.image()[0x6000] = 1;
            // The input register holds something fresh now and then (the
            // window messages of the roads with hooks).
            if (sliced)
                core->hooks.onEvents = [core] {
                    if (core->hooks.events % 3 == 0) {
                        core->link.image()[0x6000] = 1;
                        core->link.image()[0x6001] = static_cast<uint8_t>(core->hooks.events);
                    }
                };
        }
        RunOptions options;
        options.eventEveryMs = 0;
        options.eventEverySteps = 1000;
        options.maxSteps = c.steps;
        RunOptions traced = options;
        traced.beforeStep = [] {};
        ASSERT_EQ(fast->control.Play(options), StopReason::StepBound);
        ASSERT_EQ(watched->control.Play(traced), StopReason::StepBound);
        ASSERT_EQ(stateDifferences(*fast, *watched), "");
        ASSERT_EQ(historyDifferences(fast->control.history, watched->control.history), "");
        EXPECT_EQ(fast->control.history.size(), std::min<size_t>(c.capacity, c.steps));
        if (c.peripherals && c.capacity >= c.steps) {
            EXPECT_FALSE(fast->control.history.chipSnapshots().empty());
        }
        for (int back = 0; watched->control.canStepBack(); ++back) {
            ASSERT_TRUE(watched->control.StepBack());
            ASSERT_TRUE(fast->control.StepBack());
            ASSERT_EQ(stateDifferences(*fast, *watched), "") << "back " << back;
        }
        EXPECT_FALSE(fast->control.canStepBack());
    }
}

INSTANTIATE_TEST_SUITE_P(
    History, HistoryCrafted,
    ::testing::Values(
        // LDS #$00FF / LDX #$6000 / BSR sub / JMP *-5; sub: BRSET 0,X #$01 +2 /
        // INY / LDAA $6001 / STAA $6003 / BRCLR 1,X #$80 +0 / RTS
        CraftedCase{"CallsAndIoUnit",
                    {0x8E, 0x00, 0xFF, 0xCE, 0x60, 0x00, 0x8D, 0x03, 0x7E, 0xE0, 0x06, 0x1E, 0x00, 0x01,
                     0x02, 0x18, 0x08, 0xB6, 0x60, 0x01, 0xB7, 0x60, 0x03, 0x1F, 0x01, 0x80, 0x00, 0x39},
                    false, true, StepHistory::DefaultCapacity, 6000},
        CraftedCase{"CallsAndIoUnitSmallRing",
                    {0x8E, 0x00, 0xFF, 0xCE, 0x60, 0x00, 0x8D, 0x03, 0x7E, 0xE0, 0x06, 0x1E, 0x00, 0x01,
                     0x02, 0x18, 0x08, 0xB6, 0x60, 0x01, 0xB7, 0x60, 0x03, 0x1F, 0x01, 0x80, 0x00, 0x39},
                    true, true, 100, 20000},
        // LDX #$1000 / BRCLR $25,X #$80 * / LDAA #$80 / STAA $25,X / BRA back
        CraftedCase{"TimerFlagPolled",
                    {0xCE, 0x10, 0x00, 0x1F, 0x25, 0x80, 0xFC, 0x86, 0x80, 0xA7, 0x25, 0x20, 0xF6},
                    true, false, StepHistory::DefaultCapacity, 40000},
        // LDAB #$10 / DECB / BNE -3 / INX / STX $20 / BRA $E000
        CraftedCase{"LoopSmallRing", {0xC6, 0x10, 0x5A, 0x26, 0xFD, 0x08, 0xDF, 0x20, 0x20, 0xF6}, false, false,
                    257, 50000}),
    [](const ::testing::TestParamInfo<CraftedCase>& info) { return std::string(info.param.name); });

} // namespace
