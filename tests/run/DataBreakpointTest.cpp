// Data breakpoints: the table (adding, merging kinds, refusing, removing,
// the per-address map) and runs that stop after the instruction touching a
// watched address, through every road an access can take (executed by the
// simulator, a call's push, a return's pull, a taken bit branch's read).
#include "RunTestSupport.h"

#include "run/DataBreakpoints.h"

#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace zelk;
using namespace zelk::test;

namespace {

constexpr uint8_t R = static_cast<uint8_t>(DataAccess::Read);
constexpr uint8_t W = static_cast<uint8_t>(DataAccess::Write);

TEST(DataBreakpointTable, AddRefusesAndMerges)
{
    struct Case {
        const char* name;
        int32_t first, last;
        DataAccess kind;
        DataBreakpointTable::AddResult expected;
        int countAfter;
    };
    // Applied in order to one table.
    const std::vector<Case> cases = {
        {"single write", 0x1000, 0x1000, DataAccess::Write, DataBreakpointTable::AddResult::Added, 1},
        {"range read", 0x2000, 0x20FF, DataAccess::Read, DataBreakpointTable::AddResult::Added, 2},
        {"same single, read", 0x1000, 0x1000, DataAccess::Read, DataBreakpointTable::AddResult::Merged, 2},
        {"same range, same kind", 0x2000, 0x20FF, DataAccess::Read, DataBreakpointTable::AddResult::Merged, 2},
        {"reversed range", 0x3000, 0x2FFF, DataAccess::Write, DataBreakpointTable::AddResult::Invalid, 2},
        {"negative", -1, 0x0010, DataAccess::Write, DataBreakpointTable::AddResult::Invalid, 2},
        {"past the top", 0xFFF0, 0x10000, DataAccess::Write, DataBreakpointTable::AddResult::Invalid, 2},
        {"top byte", 0xFFFF, 0xFFFF, DataAccess::Access, DataBreakpointTable::AddResult::Added, 3},
    };
    DataBreakpointTable table;
    for (const Case& c : cases) {
        EXPECT_EQ(table.add(c.first, c.last, c.kind), c.expected) << c.name;
        EXPECT_EQ(table.count(), c.countAfter) << c.name;
    }
    EXPECT_EQ(table.at(0).kind, DataAccess::Access) << "read merged into the write entry";
    EXPECT_EQ(table.watched(0x1000), R | W);
    EXPECT_EQ(table.watched(0x20FF), R);
    EXPECT_EQ(table.watched(0x2100), 0);
    EXPECT_EQ(table.watched(0xFFFF), R | W);
    EXPECT_EQ(table.watched(0x0FFF), 0);
}

TEST(DataBreakpointTable, FullTableRefusesAndRemoveRebuildsTheMap)
{
    DataBreakpointTable table;
    for (int i = 0; i < DataBreakpointTable::Capacity; ++i)
        ASSERT_EQ(table.add(0x100 * i, 0x100 * i + 1, DataAccess::Write), DataBreakpointTable::AddResult::Added);
    EXPECT_EQ(table.add(0x8000, 0x8000, DataAccess::Write), DataBreakpointTable::AddResult::Full);
    EXPECT_EQ(table.watched(0x8000), 0);
    // A kind added to a set range still merges in a full table.
    EXPECT_EQ(table.add(0x0100, 0x0101, DataAccess::Read), DataBreakpointTable::AddResult::Merged);

    const uint32_t before = table.revision();
    EXPECT_TRUE(table.removeAt(1));
    EXPECT_NE(table.revision(), before);
    EXPECT_EQ(table.count(), DataBreakpointTable::Capacity - 1);
    EXPECT_EQ(table.watched(0x0100), 0);
    EXPECT_EQ(table.watched(0x0101), 0);
    EXPECT_EQ(table.at(1).first, 0x0200) << "later entries move down";
    EXPECT_FALSE(table.removeAt(-1));
    EXPECT_FALSE(table.removeAt(table.count()));
    table.clear();
    EXPECT_TRUE(table.empty());
    EXPECT_EQ(table.watched(0x0200), 0);
}

TEST(DataBreakpointTable, OverlappingEntriesKeepEachOthersKinds)
{
    DataBreakpointTable table;
    table.add(0x1000, 0x100F, DataAccess::Read);
    table.add(0x1008, 0x1008, DataAccess::Write);
    EXPECT_EQ(table.watched(0x1008), R | W);
    EXPECT_EQ(table.entryFor(0x1008, DataAccess::Read), 0);
    EXPECT_EQ(table.entryFor(0x1008, DataAccess::Write), 1);
    EXPECT_EQ(table.entryFor(0x1009, DataAccess::Write), -1);
    table.removeAt(0);
    EXPECT_EQ(table.watched(0x1008), W) << "the write entry survives the read range's removal";
    EXPECT_EQ(table.watched(0x1000), 0);
}

TEST(DataBreakpointTable, Texts)
{
    struct Case {
        DataBreakpoint entry;
        std::string text;
    };
    const Case cases[] = {
        {{0x1000, 0x1000, DataAccess::Write}, "$1000 write"},
        {{0x0000, 0x00FF, DataAccess::Read}, "$0000-$00FF read"},
        {{0xFFFE, 0xFFFF, DataAccess::Access}, "$FFFE-$FFFF access"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(describe(c.entry), c.text);
    EXPECT_EQ(hitMessage(DataHit{0x00AB, DataAccess::Write, 0}), "Data breakpoint: write of $00AB");
    EXPECT_EQ(hitMessage(DataHit{0xC000, DataAccess::Read, 0}), "Data breakpoint: read of $C000");
}

// Play over a short program at $E000 with one data breakpoint: where it
// stops and what it names.
class DataBreakRun : public RunFixture {};

TEST_F(DataBreakRun, StopsAfterTheAccessingInstruction)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> program;  // at $E000, followed by NOPs and BRA *
        int32_t first, last;
        DataAccess kind;
        bool stops;
        int32_t pcAfter;       // PC where the run stopped
        int32_t hitAddress;
        DataAccess hitAccess;
    };
    const std::vector<Case> cases = {
        {"store watched for writes", {0x01, 0xB7, 0x10, 0x00}, 0x1000, 0x1000, DataAccess::Write, true, 0xE004,
         0x1000, DataAccess::Write},
        {"load watched for reads", {0xB6, 0x10, 0x00}, 0x1000, 0x1000, DataAccess::Read, true, 0xE003, 0x1000,
         DataAccess::Read},
        {"load not watched for writes", {0xB6, 0x10, 0x00}, 0x1000, 0x1000, DataAccess::Write, false, 0, 0,
         DataAccess::Read},
        {"store watched for reads", {0xB7, 0x10, 0x00}, 0x1000, 0x1000, DataAccess::Read, false, 0, 0,
         DataAccess::Read},
        {"second byte of a word store in a range", {0xFD, 0x10, 0x01}, 0x1002, 0x1005, DataAccess::Access, true,
         0xE003, 0x1002, DataAccess::Write},
        {"read-modify-write reads first", {0x7C, 0x10, 0x00}, 0x1000, 0x1000, DataAccess::Access, true, 0xE003,
         0x1000, DataAccess::Read},
        {"call pushes the return address", {0xBD, 0xE1, 0x00}, 0x01FE, 0x01FF, DataAccess::Write, true, 0xE100,
         0x01FE, DataAccess::Write},
        {"direct address beside the watch", {0x97, 0x41}, 0x0040, 0x0040, DataAccess::Access, false, 0, 0,
         DataAccess::Read},
        {"taken bit branch reads its operand", {0x12, 0x40, 0x01, 0x10}, 0x0040, 0x0040, DataAccess::Read, true,
         0xE014, 0x0040, DataAccess::Read},
        {"bit branch not taken reads too", {0x12, 0x40, 0x02, 0x10}, 0x0040, 0x0040, DataAccess::Read, true,
         0xE004, 0x0040, DataAccess::Read},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::fill(link.image(), link.image() + 0x10000, 0x01);  // NOPs everywhere
        load(0xE000, {});
        for (size_t i = 0; i < c.program.size(); ++i)
            link.image()[0xE000 + i] = c.program[i];
        link.image()[0x0040] = 0x01;
        link.image()[0xE100] = 0x20;  // BRA * at the call's target
        link.image()[0xE101] = 0xFE;
        link.regs = CpuRegisters{};
        link.regs.PC = 0xE000;
        link.regs.SP = 0x01FF;
        control.clockCounter = 0;
        control.dataBreakpoints.clear();
        ASSERT_EQ(control.dataBreakpoints.add(c.first, c.last, c.kind), DataBreakpointTable::AddResult::Added);
        RunOptions options;
        options.maxSteps = 40;
        const StopReason reason = control.Play(options);
        if (!c.stops) {
            EXPECT_EQ(reason, StopReason::StepBound);
            continue;
        }
        EXPECT_EQ(reason, StopReason::DataBreakpoint);
        EXPECT_EQ(link.regs.PC, c.pcAfter);
        EXPECT_EQ(control.lastDataHit().address, c.hitAddress);
        EXPECT_EQ(control.lastDataHit().access, c.hitAccess);
        EXPECT_EQ(control.lastDataHit().entry, 0);
    }
}

TEST_F(DataBreakRun, ReturnPullsAreReadsAndPlayContinuesPastTheHit)
{
    // $E000: JSR $E100; BRA *   $E100: RTS
    load(0xE000, {0xBD, 0xE1, 0x00, 0x20, 0xFE});
    load(0xE100, {0x39});
    link.regs.PC = 0xE000;
    link.regs.SP = 0x01FF;
    control.dataBreakpoints.add(0x01FE, 0x01FF, DataAccess::Read);
    RunOptions options;
    options.maxSteps = 10;
    EXPECT_EQ(control.Play(options), StopReason::DataBreakpoint);
    EXPECT_EQ(link.regs.PC, 0xE003) << "stopped after the RTS";
    EXPECT_EQ(link.regs.SP, 0x01FF);
    EXPECT_EQ(control.lastDataHit().address, 0x01FE);
    // Play again runs on (BRA * never touches the stack).
    EXPECT_EQ(control.Play(options), StopReason::StepBound);
    EXPECT_FALSE(control.dataHitPending());
}

TEST_F(DataBreakRun, NoBreakpointsLeavesTheWatchOff)
{
    // $E000: STAA $1000; BRA $E000
    load(0xE000, {0xB7, 0x10, 0x00, 0x20, 0xFB});
    link.regs.PC = 0xE000;
    RunOptions options;
    options.maxSteps = 20;
    EXPECT_EQ(control.Play(options), StopReason::StepBound);
    EXPECT_EQ(link.simulator().watch(), nullptr);
    control.dataBreakpoints.add(0x1000, 0x1000, DataAccess::Write);
    EXPECT_EQ(control.Play(options), StopReason::DataBreakpoint);
    EXPECT_EQ(link.regs.PC, 0xE003);
    EXPECT_NE(link.simulator().watch(), nullptr);
    control.dataBreakpoints.clear();
    EXPECT_EQ(control.Play(options), StopReason::StepBound);
    EXPECT_EQ(link.simulator().watch(), nullptr);
}

// The filter that sends a step down the watched road only when it may touch
// a watched address stops exactly where watching every step does: random
// programs with data breakpoints around SP, IX, IY and at random places,
// stepped and played on two cores, one filtering and one not.
struct FilterCase {
    const char* name;
    bool shortRoad, ioActive, peripherals;
};

void addRandomWatches(DataBreakpointTable& table, const CpuRegisters& r, std::mt19937& rng)
{
    std::uniform_int_distribution<int> byte(0, 255), word(0, 0xFFFF), kind(1, 3), width(0, 7);
    const int32_t around[] = {r.SP - 10 + byte(rng) % 20, r.IX + byte(rng), r.IY + byte(rng), word(rng),
                              byte(rng), 0x6000 + byte(rng) % 4};
    for (int32_t first : around) {
        first &= 0xFFFF;
        const int32_t last = std::min(0xFFFF, first + width(rng));
        table.add(first, last, static_cast<DataAccess>(kind(rng)));
    }
}

std::string hitDifferences(SimCore& a, SimCore& b)
{
    std::string d;
    checkRegisters(d, a.link.regs, b.link.regs);
    checkSame(d, "clock", a.control.clockCounter, b.control.clockCounter);
    checkSame(d, "hit", a.control.dataHitPending(), b.control.dataHitPending());
    checkSame(d, "stopFlag", a.control.stopFlag, b.control.stopFlag);
    if (a.control.dataHitPending() && b.control.dataHitPending()) {
        checkSame(d, "hit.address", a.control.lastDataHit().address, b.control.lastDataHit().address);
        checkSame(d, "hit.access", static_cast<int>(a.control.lastDataHit().access),
                  static_cast<int>(b.control.lastDataHit().access));
        checkSame(d, "hit.entry", a.control.lastDataHit().entry, b.control.lastDataHit().entry);
    }
    checkImage(d, a.link.image(), b.link.image());
    if (a.io.log != b.io.log)
        d += "I/O unit calls differ; ";
    return d;
}

// Two cores with the same random program and the same watches (drawn from
// watchSeed), a filtering and b watching every step.
std::pair<std::unique_ptr<SimCore>, std::unique_ptr<SimCore>> filterPair(const FilterCase& c, std::mt19937& rng,
                                                                         uint32_t watchSeed)
{
    auto a = std::make_unique<SimCore>(c.shortRoad);
    auto b = std::make_unique<SimCore>(c.shortRoad);
    b->control.dataBreakpointFilter = false;
    seedRandom(a->link, rng);
    copyState(*a, *b);
    for (SimCore* core : {a.get(), b.get()}) {
        core->link.setIoActive(c.ioActive);
        core->link.simulator().setPeripherals(c.peripherals);
    }
    std::mt19937 watches(watchSeed);
    addRandomWatches(a->control.dataBreakpoints, a->link.regs, watches);
    watches.seed(watchSeed);
    addRandomWatches(b->control.dataBreakpoints, b->link.regs, watches);
    return {std::move(a), std::move(b)};
}

class DataBreakFilter : public ::testing::TestWithParam<FilterCase> {};

TEST_P(DataBreakFilter, StepIntoStopsAsWatchingEveryStep)
{
    const FilterCase& c = GetParam();
    std::mt19937 rng(4711);
    int hits = 0;
    for (int program = 0; program < 200; ++program) {
        auto [a, b] = filterPair(c, rng, static_cast<uint32_t>(program));
        for (int step = 0; step < 300; ++step) {
            const uint8_t opcode = a->link.image()[a->link.regs.PC & 0xFFFF];
            const bool ra = a->control.StepInto();
            const bool rb = b->control.StepInto();
            ASSERT_EQ(ra, rb) << "program " << program << " step " << step;
            const std::string d = hitDifferences(*a, *b);
            ASSERT_EQ(d, "") << "program " << program << " step " << step << " opcode $" << std::hex << int(opcode);
            hits += b->control.dataHitPending();
            if (!ra)
                break;
        }
    }
    EXPECT_GT(hits, 100) << "the watches were seldom hit: the comparison proves little";
}

TEST_P(DataBreakFilter, PlayStopsAsWatchingEveryStep)
{
    const FilterCase& c = GetParam();
    std::mt19937 rng(815);
    int dataStops = 0;
    for (int program = 0; program < 150; ++program) {
        auto [a, b] = filterPair(c, rng, static_cast<uint32_t>(program) + 1000);
        RunOptions options;
        options.maxSteps = 200;
        for (int run = 0; run < 20; ++run) {
            const StopReason ra = a->control.Play(options);
            const StopReason rb = b->control.Play(options);
            ASSERT_EQ(ra, rb) << "program " << program << " run " << run;
            ASSERT_EQ(hitDifferences(*a, *b), "") << "program " << program << " run " << run;
            dataStops += ra == StopReason::DataBreakpoint;
            if (ra == StopReason::Refused)
                break;
        }
    }
    EXPECT_GT(dataStops, 40) << "few runs stopped at a watch: the comparison proves little";
}

INSTANTIATE_TEST_SUITE_P(DataBreak, DataBreakFilter,
                         ::testing::Values(FilterCase{"ShortRoad", true, false, false},
                                           FilterCase{"GeneralRoad", false, false, false},
                                           FilterCase{"IoUnitActive", true, true, false},
                                           FilterCase{"Peripherals", true, false, true},
                                           FilterCase{"PeripheralsGeneralRoad", false, true, true}),
                         [](const ::testing::TestParamInfo<FilterCase>& info) { return std::string(info.param.name); });

TEST_F(DataBreakRun, FilteredStepsLeaveTheWatchDisarmedAndWordsAcrossTheTopAreSeen)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> program;  // at $E000
        int32_t ix, sp;
        int32_t watch;
        bool hit;
    };
    const std::vector<Case> cases = {
        {"STD $FFFF writes $0000 too", {0xFD, 0xFF, 0xFF}, 0, 0x01FF, 0x0000, true},
        {"LDX $FF,X across a page", {0xEE, 0xFF}, 0x0001, 0x01FF, 0x0101, true},
        {"LDAA $FF,X misses the byte after", {0xA6, 0xFF}, 0x0001, 0x01FF, 0x0101, false},
        {"PSHA writes SP", {0x36}, 0, 0x0100, 0x0100, true},
        {"PULA reads SP+1", {0x32}, 0, 0x00FF, 0x0100, true},
        {"BSET $40 reads and writes", {0x14, 0x40, 0x01}, 0, 0x01FF, 0x0040, true},
        {"BRCLR 2,X taken reads", {0x1F, 0x02, 0x01, 0x10}, 0x003E, 0x01FF, 0x0040, true},
        {"INCA touches nothing", {0x4C}, 0, 0x0040, 0x0040, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::fill(link.image(), link.image() + 0x10000, 0x01);
        for (size_t i = 0; i < c.program.size(); ++i)
            link.image()[0xE000 + i] = c.program[i];
        link.image()[0x0040] = 0x00;
        link.regs = CpuRegisters{};
        link.regs.PC = 0xE000;
        link.regs.IX = c.ix;
        link.regs.SP = c.sp;
        control.dataBreakpoints.clear();
        control.dataBreakpoints.add(c.watch, c.watch, DataAccess::Access);
        ASSERT_TRUE(control.StepInto());
        EXPECT_EQ(control.dataHitPending(), c.hit);
        if (c.hit) {
            EXPECT_EQ(control.lastDataHit().address, c.watch);
        }
        EXPECT_FALSE(link.simulator().watchArmed());
    }
}

} // namespace
