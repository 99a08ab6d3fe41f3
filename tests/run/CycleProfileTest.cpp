// The cycle profile: its own bookkeeping (take-back, the hottest list, CSV),
// and run control feeding it: on random programs and on a real loop the
// per-address counts match an independent trace and the cycle sum equals
// the clock counter, with either road through Step Into and in Play with and
// without view hooks.
#include "RunTestSupport.h"

#include "editor/SymbolTable.h"

#include <map>
#include <memory>
#include <random>

using namespace zelk;
using namespace zelk::test;

namespace {

TEST(CycleProfile, OffHoldsNothingAndOnStartsAtZero)
{
    CycleProfile p;
    EXPECT_FALSE(p.enabled());
    EXPECT_EQ(p.totalCycles(), 0u);
    EXPECT_TRUE(p.hottest(10).empty());
    p.setEnabled(true);
    p.count(0xC000, 4);
    p.count(0x1C000, 2);  // the address wraps to 16 bits
    EXPECT_EQ(p.executed(0xC000), 2u);
    EXPECT_EQ(p.cycles(0xC000), 6u);
    p.setEnabled(false);
    p.setEnabled(true);
    EXPECT_EQ(p.executed(0xC000), 0u);
    p.count(0xC000, 4);
    p.reset();
    EXPECT_TRUE(p.enabled());
    EXPECT_EQ(p.totalExecuted(), 0u);
}

TEST(CycleProfile, UncountTakesBackExactlyWhatWasCounted)
{
    struct Case {
        const char* name;
        std::vector<std::pair<int32_t, uint32_t>> counted, taken;
        uint64_t executed, cycles;  // left at $C000
    };
    const Case cases[] = {
        {"one of two", {{0xC000, 3}, {0xC000, 5}}, {{0xC000, 5}}, 1, 3},
        {"all", {{0xC000, 3}}, {{0xC000, 3}}, 0, 0},
        {"never below zero", {{0xC000, 3}}, {{0xC000, 3}, {0xC000, 3}}, 0, 0},
        {"another address untouched", {{0xC000, 3}}, {{0xC001, 3}}, 1, 3},
    };
    for (const Case& c : cases) {
        CycleProfile p;
        p.setEnabled(true);
        for (auto [pc, n] : c.counted)
            p.count(pc, n);
        for (auto [pc, n] : c.taken)
            p.uncount(pc, n);
        EXPECT_EQ(p.executed(0xC000), c.executed) << c.name;
        EXPECT_EQ(p.cycles(0xC000), c.cycles) << c.name;
        EXPECT_EQ(p.totalExecuted(), c.executed) << c.name;
    }
}

TEST(CycleProfile, HottestOrdersByCyclesThenAddress)
{
    CycleProfile p;
    p.setEnabled(true);
    // address, steps, cycles per step
    const struct { int32_t address; int steps; uint32_t each; } counts[] = {
        {0x0100, 1, 2}, {0xC000, 10, 3}, {0xC003, 5, 6}, {0xB000, 1, 1}, {0xFFFF, 2, 7}, {0x0000, 15, 2},
    };
    for (const auto& c : counts)
        for (int i = 0; i < c.steps; ++i)
            p.count(c.address, c.each);
    const std::vector<ProfileEntry> top = p.hottest(4);
    ASSERT_EQ(top.size(), 4u);
    // 30 cycles at $0000, $C000 and $C003 (ties by address), then 14 at $FFFF.
    const int32_t expected[] = {0x0000, 0xC000, 0xC003, 0xFFFF};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(top[i].address, expected[i]) << i;
        EXPECT_EQ(top[i].cycles, p.cycles(expected[i])) << i;
        EXPECT_EQ(top[i].executed, p.executed(expected[i])) << i;
    }
    EXPECT_EQ(p.hottest(100).size(), std::size(counts));
    EXPECT_TRUE(p.hottest(0).empty());
}

TEST(CycleProfile, CsvListsCountedAddressesWithTheirLabels)
{
    SymbolTable labels;
    auto add = [&labels](int32_t value, const char* label) {
        SymbolEntry e;
        e.Value = value;
        e.Label = label;
        labels.append(e);
    };
    add(0xC000, "START");
    add(0xC000, "SECOND");  // the first label at an address is the one shown
    add(0xC005, "A,B\"Q");  // a name that needs quoting
    add(0xD000, "UNUSED");
    CycleProfile p;
    p.setEnabled(true);
    p.count(0xC005, 3);
    p.count(0xC000, 2);
    p.count(0xC000, 2);
    p.count(0x0010, 4);
    EXPECT_EQ(p.csv(&labels), "Address,Label,Executed,Cycles\n"
                              "$0010,,1,4\n"
                              "$C000,START,2,4\n"
                              "$C005,\"A,B\"\"Q\",1,3\n");
    EXPECT_EQ(p.csv(nullptr), "Address,Label,Executed,Cycles\n$0010,,1,4\n$C000,,2,4\n$C005,,1,3\n");
    EXPECT_EQ(labelAt(labels, 0xC000), "START");
    EXPECT_EQ(labelAt(labels, 0xC001), "");
}

class CycleProfileRun : public RunFixture {};

TEST_F(CycleProfileRun, CountdownLoopCountsEveryInstruction)
{
    // LDAA #3; loop: DECA; BNE loop; BRA *
    load(0xC000, {0x86, 0x03, 0x4A, 0x26, 0xFD, 0x20, 0xFE});
    link.regs.PC = 0xC000;
    control.profile.setEnabled(true);
    breakpoints.append(0xC005);
    ASSERT_EQ(control.Play(), StopReason::Breakpoint);
    const struct { int32_t address; uint64_t executed, cycles; } expected[] = {
        {0xC000, 1, 2}, {0xC002, 3, 6}, {0xC003, 3, 9}, {0xC005, 0, 0},
    };
    for (const auto& e : expected) {
        EXPECT_EQ(control.profile.executed(e.address), e.executed) << std::hex << e.address;
        EXPECT_EQ(control.profile.cycles(e.address), e.cycles) << std::hex << e.address;
    }
    EXPECT_EQ(control.profile.totalCycles(), control.clockCounter);
    control.ResetCounter();
    EXPECT_EQ(control.clockCounter, 0u);
    EXPECT_EQ(control.profile.totalExecuted(), 0u);
    EXPECT_TRUE(control.profile.enabled());
}

TEST_F(CycleProfileRun, DisabledProfileCountsNothing)
{
    load(0xC000, {0x86, 0x03, 0x4A, 0x26, 0xFD, 0x20, 0xFE});
    link.regs.PC = 0xC000;
    control.StepInto();
    control.StepInto();
    EXPECT_EQ(control.clockCounter, 4u);
    control.profile.setEnabled(true);
    EXPECT_EQ(control.profile.totalCycles(), 0u);
}

// The short road, with hooks or without.
struct RandomCore : SimCore {
    explicit RandomCore(bool withHooks) : SimCore(true, withHooks) {}
};

void seedProgram(RandomCore& c, std::mt19937& rng)
{
    std::uniform_int_distribution<int> byte(0, 255), word(0, 0xFFFF);
    for (int i = 0; i < 0x10000; ++i)
        c.link.image()[i] = static_cast<uint8_t>(byte(rng));
    c.link.regs.A = static_cast<uint8_t>(byte(rng));
    c.link.regs.IX = word(rng);
    c.link.regs.IY = word(rng);
    c.link.regs.SP = word(rng);
    c.link.regs.PC = word(rng);
}

// Step Into on both roads: the profile agrees with a trace of the PCs
// stepped, and its sum with the clock counter.
TEST(CycleProfileRandom, StepIntoMatchesTraceAndClockCounter)
{
    std::mt19937 rng(1812);
    for (bool shortRoad : {true, false}) {
        for (int program = 0; program < 30; ++program) {
            auto c = std::make_unique<RandomCore>(true);
            seedProgram(*c, rng);
            c->control.simulatorShortRoad = shortRoad;
            c->control.profile.setEnabled(true);
            std::map<int32_t, uint64_t> trace;
            for (int step = 0; step < 300; ++step) {
                // In simulator mode every Step Into counts its instruction,
                // also one it then refuses (and one of no cycles).
                ++trace[c->link.regs.PC & 0xFFFF];
                const bool ok = c->control.StepInto();
                if (!ok)
                    break;
            }
            ASSERT_EQ(static_cast<uint32_t>(c->control.profile.totalCycles()), c->control.clockCounter)
                << "program " << program << " short road " << shortRoad;
            uint64_t steps = 0;
            for (auto [pc, n] : trace) {
                ASSERT_EQ(c->control.profile.executed(pc), n) << std::hex << pc;
                steps += n;
            }
            EXPECT_EQ(c->control.profile.totalExecuted(), steps);
        }
    }
}

// Play, with hooks (the general loop) and without (the headless loop): the
// cycle sum equals the clock counter after every run, across a reset.
TEST(CycleProfileRandom, PlaySumsEqualTheClockCounter)
{
    std::mt19937 rng(77);
    for (bool withHooks : {true, false}) {
        for (int program = 0; program < 20; ++program) {
            auto c = std::make_unique<RandomCore>(withHooks);
            seedProgram(*c, rng);
            c->control.profile.setEnabled(true);
            RunOptions options;
            options.stopOnHalt = true;
            options.stopOnSelfBranch = true;
            options.eventEveryMs = 0;
            uint64_t executedSum = 0;
            for (int run = 0; run < 20; ++run) {
                options.maxSteps = 1 + run * 7;
                const StopReason r = c->control.Play(options);
                ASSERT_EQ(static_cast<uint32_t>(c->control.profile.totalCycles()), c->control.clockCounter)
                    << "program " << program << " run " << run << " hooks " << withHooks;
                EXPECT_GE(c->control.profile.totalExecuted(), executedSum);
                executedSum = c->control.profile.totalExecuted();
                if (run == 10) {
                    c->control.ResetCounter();
                    executedSum = 0;
                }
                if (r == StopReason::Refused)
                    break;
            }
        }
    }
}

} // namespace
