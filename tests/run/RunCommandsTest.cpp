// The run commands in simulator mode: Play and Animate with breakpoints,
// Pause and the stop conditions, Step Over, Step Out and Run To Cursor with
// their temporary breakpoint, and Run's refusal.
#include "RunTestSupport.h"

using namespace zelk;
using namespace zelk::test;

namespace {

class RunCommandsTest : public RunFixture {
protected:
    // LDAA #3; loop: DECA; BNE loop; BRA *
    void loadCountdown()
    {
        load(0xC000, {0x86, 0x03, 0x4A, 0x26, 0xFD, 0x20, 0xFE});
        link.regs.PC = 0xC000;
    }
    // JSR $C100; NOP ... $C100: LDAA #$55; RTS
    void loadCall()
    {
        load(0xC000, {0xBD, 0xC1, 0x00, 0x01, 0x01});
        load(0xC100, {0x86, 0x55, 0x39});
        link.regs.PC = 0xC000;
        link.regs.SP = 0x00FF;
    }
    void fillBreakpoints()
    {
        for (int i = 0; i < 32; ++i)
            breakpoints.append(0x2000 + i);
    }
};

TEST_F(RunCommandsTest, PlayStopsAtABreakpoint)
{
    loadCountdown();
    breakpoints.append(0xC005);
    EXPECT_EQ(control.Play(), StopReason::Breakpoint);
    EXPECT_EQ(link.regs.PC, 0xC005);
    EXPECT_EQ(link.regs.A, 0);
    EXPECT_EQ(control.clockCounter, 2u + 3 * (2 + 3));
    EXPECT_TRUE(control.stopFlag);
    EXPECT_FALSE(control.playRunning);
    EXPECT_EQ(hooks.started, 1);
    EXPECT_EQ(hooks.stopped, 1);
    // During Play only the CPU window re-reads, once per step.
    EXPECT_EQ(hooks.refresh, 0);
    EXPECT_EQ(hooks.refreshCpuWindow, 7);
}

TEST_F(RunCommandsTest, PlayFromABreakpointRunsItAndStopsAtTheNextHit)
{
    loadCountdown();
    link.regs.PC = 0xC002;
    link.regs.A = 3;
    breakpoints.append(0xC002);
    EXPECT_EQ(control.Play(), StopReason::Breakpoint);
    EXPECT_EQ(link.regs.PC, 0xC002);
    EXPECT_EQ(link.regs.A, 2);
}

TEST_F(RunCommandsTest, StepBoundStopsTheRun)
{
    loadCountdown();
    RunOptions options;
    options.maxSteps = 4;
    EXPECT_EQ(control.Play(options), StopReason::StepBound);
    EXPECT_EQ(control.clockCounter, 2u + 2 + 3 + 2);
    EXPECT_TRUE(control.stopFlag);
}

TEST_F(RunCommandsTest, PauseFromPendingEventsStopsTheRun)
{
    loadCountdown();
    RunOptions options;
    options.eventEverySteps = 10;
    options.eventEveryMs = 0;
    hooks.onEvents = [this] { control.Pause(); };
    EXPECT_EQ(control.Play(options), StopReason::Paused);
    EXPECT_EQ(hooks.events, 1);
    EXPECT_EQ(link.regs.PC, 0xC005);  // spinning on BRA *
    EXPECT_EQ(control.clockCounter, 2u + 3 * 5 + 3 * 3);
    EXPECT_FALSE(control.playRunning);
}

TEST_F(RunCommandsTest, SelfBranchEndsAHeadlessRun)
{
    loadCountdown();
    RunOptions options;
    options.stopOnSelfBranch = true;
    EXPECT_EQ(control.Play(options), StopReason::SelfBranch);
    EXPECT_EQ(link.regs.PC, 0xC005);
    EXPECT_EQ(control.lastStop(), StopReason::SelfBranch);
}

struct HaltCase {
    uint8_t ccr;
    int32_t stopsAt;
};

class HaltTest : public RunCommandsTest, public ::testing::WithParamInterface<HaltCase> {};

TEST_P(HaltTest, WaiAndStopEndAHeadlessRun)
{
    load(0xC000, {0x01, 0xCF, 0x01, 0x3E});  // NOP; STOP; NOP; WAI
    link.regs.PC = 0xC000;
    setCCR(GetParam().ccr);
    RunOptions options;
    options.stopOnHalt = true;
    EXPECT_EQ(control.Play(options), StopReason::Halt);
    EXPECT_EQ(link.regs.PC, GetParam().stopsAt);
}

// With S set STOP is a no-op and the run goes on to the WAI.
INSTANTIATE_TEST_SUITE_P(SBit, HaltTest, ::testing::Values(HaltCase{0x00, 0xC001}, HaltCase{0x80, 0xC003}));

TEST_F(RunCommandsTest, AnimateRefreshesEveryStepAndYieldsEachRound)
{
    loadCountdown();
    RunOptions options;
    options.maxSteps = 3;
    EXPECT_EQ(control.Animate(options, 0), StopReason::StepBound);
    EXPECT_EQ(hooks.refresh, 3);
    EXPECT_EQ(hooks.refreshCpuWindow, 0);
    EXPECT_EQ(hooks.events, 3);
    EXPECT_FALSE(control.animateRunning);
    EXPECT_EQ(hooks.started, 1);
    EXPECT_EQ(hooks.stopped, 1);
}

TEST_F(RunCommandsTest, StepOverRunsTheWholeCall)
{
    loadCall();
    breakpoints.append(0xD000);
    EXPECT_EQ(control.StepOver(), StopReason::Breakpoint);
    EXPECT_EQ(link.regs.PC, 0xC003);
    EXPECT_EQ(link.regs.A, 0x55);
    EXPECT_EQ(link.regs.SP, 0x00FF);
    EXPECT_EQ(breakpoints.count(), 1);
    EXPECT_EQ(breakpoints.at(0), 0xD000);
    EXPECT_EQ(hooks.goToPC, 1);
    EXPECT_GE(hooks.refresh, 1);
}

TEST_F(RunCommandsTest, StepOverOfAPlainInstructionIsOneStep)
{
    loadCall();
    link.regs.PC = 0xC003;
    control.StepOver();
    EXPECT_EQ(link.regs.PC, 0xC004);
    EXPECT_EQ(control.clockCounter, 2u);
    EXPECT_EQ(breakpoints.count(), 0);
}

TEST_F(RunCommandsTest, StepOverOfAReturnPopsDirectly)
{
    loadCall();
    load(0x00FE, {0xC0, 0x03});
    link.regs.PC = 0xC102;
    link.regs.SP = 0x00FD;
    control.StepOver();
    EXPECT_EQ(link.regs.PC, 0xC003);
    EXPECT_EQ(link.regs.SP, 0x00FF);
    EXPECT_EQ(link.image()[6], 0x00);
    EXPECT_EQ(link.image()[7], 0xFF);
}

TEST_F(RunCommandsTest, StepOutReturnsToTheCaller)
{
    loadCall();
    control.StepInto();  // into the subroutine
    ASSERT_EQ(link.regs.PC, 0xC100);
    EXPECT_EQ(control.StepOut(), StopReason::Breakpoint);
    EXPECT_EQ(link.regs.PC, 0xC003);
    EXPECT_EQ(link.regs.A, 0x55);
    EXPECT_EQ(link.regs.SP, 0x00FF);
    EXPECT_EQ(breakpoints.count(), 0);
}

TEST_F(RunCommandsTest, StepOverAndOutDoNothingWithAFullTable)
{
    loadCall();
    fillBreakpoints();
    EXPECT_EQ(control.StepOver(), StopReason::None);
    EXPECT_EQ(link.regs.PC, 0xC000);
    control.StepInto();
    EXPECT_EQ(control.StepOut(), StopReason::None);
    EXPECT_EQ(link.regs.PC, 0xC100);
    EXPECT_EQ(link.regs.A, 0);
    EXPECT_EQ(breakpoints.count(), 32);
}

TEST_F(RunCommandsTest, RunToCursorStopsThereAndLeavesTheTable)
{
    loadCountdown();
    EXPECT_EQ(control.RunToCursor(0xC005), StopReason::Breakpoint);
    EXPECT_EQ(link.regs.PC, 0xC005);
    EXPECT_EQ(breakpoints.count(), 0);
}

TEST_F(RunCommandsTest, RunToCursorOnABreakpointKeepsIt)
{
    loadCountdown();
    breakpoints.append(0xC005);
    EXPECT_EQ(control.RunToCursor(0xC005), StopReason::Breakpoint);
    EXPECT_EQ(link.regs.PC, 0xC005);
    ASSERT_EQ(breakpoints.count(), 1);
    EXPECT_EQ(breakpoints.at(0), 0xC005);
}

TEST_F(RunCommandsTest, RunToCursorWithAFullTableRunsNothing)
{
    loadCountdown();
    fillBreakpoints();
    EXPECT_EQ(control.RunToCursor(0xC005), StopReason::None);
    EXPECT_EQ(link.regs.PC, 0xC000);
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].caption, "Tarvine - Breakpoint Error");
}

TEST_F(RunCommandsTest, RunInSimulatorModeOnlyShowsItsMessage)
{
    loadCountdown();
    control.RunHC11();
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].caption, "Procedure called: RunHC11");
    EXPECT_EQ(notifier.messages[0].text, "M68HC11 Simulator error !");
    EXPECT_EQ(notifier.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(link.regs.PC, 0xC000);
    EXPECT_FALSE(link.boardRunning);
    EXPECT_EQ(hooks.boardStatus, 1);
    EXPECT_EQ(hooks.menus, 1);
}

} // namespace
