// Data breakpoints: the table (adding, merging kinds, refusing, removing,
// the per-address map) and runs that stop after the instruction touching a
// watched address, through every road an access can take (executed by the
// simulator, a call's push, a return's pull, a taken bit branch's read).
#include "RunTestSupport.h"

#include "run/DataBreakpoints.h"

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

} // namespace
