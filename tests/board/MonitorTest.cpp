// The monitor model: memory rules, every frame, steps through the slot and
// the return trap, the step limit, the SCI and reset.
#include "BoardTestSupport.h"
#include "Monitor.h"

#include <gtest/gtest.h>

using namespace zelk::board;
using namespace zelk::test;

namespace {

// Runs a step frame to its end and returns the reply.
std::vector<uint8_t> step(Monitor& m, const Regs9& r, std::array<uint8_t, 4> slot)
{
    const auto f = stepFrame(r, slot);
    EXPECT_TRUE(m.handleFrame(FrameKind::Step, f).empty());
    EXPECT_EQ(m.state(), Monitor::State::Stepping);
    for (int i = 0; i < 10000 && m.state() == Monitor::State::Stepping; ++i)
        m.run(1000);
    EXPECT_EQ(m.state(), Monitor::State::Idle);
    return m.takeStepReply();
}

void poke(Monitor& m, uint16_t at, const std::vector<uint8_t>& bytes)
{
    for (size_t i = 0; i < bytes.size(); ++i)
        m.load(uint16_t(at + i), bytes[i]);
}

} // namespace

TEST(BoardMonitor, StartsWithClearedRamAndErasedFlash)
{
    Monitor m;
    EXPECT_EQ(m.peek(0x0000), 0x00);
    EXPECT_EQ(m.peek(0xDFFF), 0x00);
    EXPECT_EQ(m.peek(0xE000), 0xFF);
    EXPECT_EQ(m.peek(0xFFFF), 0xFF);
}

struct ReadCase {
    uint16_t address;
    uint8_t n;
    size_t bytes;
};

class MonitorReads : public ::testing::TestWithParam<ReadCase> {};

TEST_P(MonitorReads, ReplyHoldsTheBytesAndAChecksum)
{
    const auto c = GetParam();
    Monitor m;
    for (size_t i = 0; i < c.bytes; ++i)
        m.load(uint16_t(c.address + i), uint8_t(i * 7 + 3));
    const auto reply = m.handleFrame(FrameKind::Read, readFrame(c.address, c.n));
    ASSERT_EQ(reply.size(), c.bytes + 2);
    EXPECT_TRUE(checksumHolds(reply));
    for (size_t i = 0; i < c.bytes; ++i)
        ASSERT_EQ(reply[1 + i], uint8_t(i * 7 + 3)) << i;
}

INSTANTIATE_TEST_SUITE_P(Counts, MonitorReads,
                         ::testing::Values(ReadCase{0x2000, 1, 1}, ReadCase{0x2000, 16, 16},
                                           ReadCase{0x2000, 255, 255}, ReadCase{0x2000, 0, 256},
                                           ReadCase{0xFFF8, 16, 16}));  // wraps to $0000

TEST(BoardMonitor, WriteChangesRamButNotFlash)
{
    Monitor m;
    const auto reply = m.handleFrame(FrameKind::Write, dataFrame('W', 0xDFFE, {1, 2, 3, 4}));
    ASSERT_EQ(reply, std::vector<uint8_t>{Ack});
    EXPECT_EQ(m.peek(0xDFFE), 1);
    EXPECT_EQ(m.peek(0xDFFF), 2);
    EXPECT_EQ(m.peek(0xE000), 0xFF);
    EXPECT_EQ(m.peek(0xE001), 0xFF);
}

TEST(BoardMonitor, ProgramClearsBitsOnlyAndEraseSetsThemAgain)
{
    Monitor m;
    ASSERT_EQ(m.handleFrame(FrameKind::Program, dataFrame('P', 0xE000, {0xF0, 0x0F})), std::vector<uint8_t>{Ack});
    EXPECT_EQ(m.peek(0xE000), 0xF0);
    EXPECT_EQ(m.peek(0xE001), 0x0F);
    // A second programming cannot raise a bit back to 1.
    m.handleFrame(FrameKind::Program, dataFrame('P', 0xE000, {0x3C, 0xFF}));
    EXPECT_EQ(m.peek(0xE000), 0x30);
    EXPECT_EQ(m.peek(0xE001), 0x0F);
    // Programming RAM just writes it.
    m.handleFrame(FrameKind::Program, dataFrame('P', 0x0100, {0xAA}));
    m.handleFrame(FrameKind::Program, dataFrame('P', 0x0100, {0x55}));
    EXPECT_EQ(m.peek(0x0100), 0x55);
    m.load(0xDFFF, 0x12);
    ASSERT_EQ(m.handleFrame(FrameKind::Erase, EraseFrame), std::vector<uint8_t>{Ack});
    EXPECT_EQ(m.peek(0xE000), 0xFF);
    EXPECT_EQ(m.peek(0xE001), 0xFF);
    EXPECT_EQ(m.peek(0xDFFF), 0x12);
}

TEST(BoardMonitor, StepOfLdaaImmediate)
{
    Monitor m;
    Regs9 r;
    r.a = 0x99;
    r.ccr = 0xD4;  // S X I set, N clear; Z set (must be cleared by the load)
    const auto reply = step(m, r, {0x86, 0x12, 0x01, 0x01});
    ASSERT_EQ(reply.size(), 11u);
    EXPECT_TRUE(checksumHolds(reply));
    const auto got = regsOfReply(reply);
    EXPECT_EQ(got.a, 0x12);
    EXPECT_EQ(got.ccr, 0xD0);
    // The save area holds the same registers.
    EXPECT_EQ(m.peek(0x0000), 0x12);
    EXPECT_EQ(m.peek(0x0008), 0xD0);
    // The slot is at $0009.
    EXPECT_EQ(m.peek(0x0009), 0x86);
    EXPECT_EQ(m.peek(0x000A), 0x12);
}

TEST(BoardMonitor, StepOfInxCarriesIntoTheHighByte)
{
    Monitor m;
    Regs9 r;
    r.ix = 0x00FF;
    r.iy = 0x1234;
    r.sp = 0x01FF;
    r.b = 0x77;
    const auto got = regsOfReply(step(m, r, {0x08, 0x01, 0x01, 0x01}));
    EXPECT_EQ(got.ix, 0x0100);
    EXPECT_EQ(got.iy, 0x1234);
    EXPECT_EQ(got.sp, 0x01FF);
    EXPECT_EQ(got.b, 0x77);
    EXPECT_EQ(m.peek(0x0002), 0x01);
    EXPECT_EQ(m.peek(0x0003), 0x00);
}

TEST(BoardMonitor, StepOverAJsrRunsTheWholeSubroutine)
{
    Monitor m;
    // $2000: INCA; INCA; JSR $2100; RTS   $2100: INCB; RTS
    poke(m, 0x2000, {0x4C, 0x4C, 0xBD, 0x21, 0x00, 0x39});
    poke(m, 0x2100, {0x5C, 0x39});
    Regs9 r;
    r.a = 1;
    r.b = 5;
    r.sp = 0x00FF;
    const auto got = regsOfReply(step(m, r, {0xBD, 0x20, 0x00, 0x01}));
    EXPECT_EQ(got.a, 3);
    EXPECT_EQ(got.b, 6);
    EXPECT_EQ(got.sp, 0x00FF);
    // The return address the slot's JSR pushed is the slot's next byte.
    EXPECT_EQ(m.peek(0x00FE), 0x00);
    EXPECT_EQ(m.peek(0x00FF), 0x0C);
}

TEST(BoardMonitor, StepOutStopsAtTheReturnTrap)
{
    Monitor m;
    // The program is inside a subroutine at $2000 (INCA; RTS) whose return
    // address on the stack was replaced by $000D.
    poke(m, 0x2000, {0x4C, 0x39});
    poke(m, 0x01FE, {0x00, 0x0D});
    Regs9 r;
    r.a = 0x41;
    r.sp = 0x01FD;
    const auto got = regsOfReply(step(m, r, {0x7E, 0x20, 0x00, 0x01}));
    EXPECT_EQ(got.a, 0x42);
    EXPECT_EQ(got.sp, 0x01FF);
    EXPECT_EQ(m.pc(), ReturnTrap);
}

TEST(BoardMonitor, RunawayStepIsCutAtTheLimitAndStillReplies)
{
    Monitor m(1000);
    Regs9 r;
    r.a = 7;
    const auto f = stepFrame(r, {0x20, 0xFE, 0x01, 0x01});  // BRA *: counted, not parked, in a step
    m.handleFrame(FrameKind::Step, f);
    uint64_t total = 0;
    bool cut = false;
    for (int i = 0; i < 100 && m.state() == Monitor::State::Stepping; ++i) {
        const auto s = m.run(300);
        total += s.instructions;
        cut = s.stepCut;
    }
    EXPECT_EQ(m.state(), Monitor::State::Idle);
    EXPECT_TRUE(cut);
    EXPECT_EQ(total, 1000u);
    const auto reply = m.takeStepReply();
    ASSERT_EQ(reply.size(), 11u);
    EXPECT_TRUE(checksumHolds(reply));
    EXPECT_EQ(regsOfReply(reply).a, 7);
}

TEST(BoardMonitor, FramesAreIgnoredWhileBusy)
{
    Monitor m;
    m.handleFrame(FrameKind::Run, runFrame({}, 0x2000));  // $2000 holds $00 (TEST): stays put
    ASSERT_EQ(m.state(), Monitor::State::Running);
    EXPECT_TRUE(m.handleFrame(FrameKind::Read, readFrame(0, 1)).empty());
    m.reset();
    EXPECT_EQ(m.state(), Monitor::State::Idle);
    EXPECT_EQ(m.handleFrame(FrameKind::Read, readFrame(0, 1)).size(), 3u);
}

TEST(BoardMonitor, RunSendsSciOutputAndTakesInput)
{
    Monitor m;
    poke(m, 0xE000, HelloProgram);
    Regs9 r;
    r.sp = 0x00FF;
    ASSERT_EQ(m.handleFrame(FrameKind::Run, runFrame(r, 0xE000)), std::vector<uint8_t>{Ack});
    std::vector<uint8_t> out;
    for (int i = 0; i < 20; ++i) {
        m.run(1000);
        auto o = m.takeSciOutput();
        out.insert(out.end(), o.begin(), o.end());
    }
    EXPECT_EQ(std::string(out.begin(), out.end()), "hello");
    EXPECT_EQ(m.state(), Monitor::State::Running);

    Monitor e;
    poke(e, 0xE000, EchoPlusOneProgram);
    e.handleFrame(FrameKind::Run, runFrame(r, 0xE000));
    e.run(1000);
    EXPECT_TRUE(e.takeSciOutput().empty());
    EXPECT_EQ(e.peek(SCSR) & SciRdrf, 0);
    e.sciReceive('A');
    e.sciReceive('y');
    EXPECT_NE(e.peek(SCSR) & SciRdrf, 0);
    e.run(1000);
    const auto echoed = e.takeSciOutput();
    EXPECT_EQ(std::string(echoed.begin(), echoed.end()), "Bz");
    EXPECT_EQ(e.sciReceivePending(), 0u);
}

TEST(BoardMonitor, TransmitterReportsFullWhileTheLineIsBehind)
{
    Monitor m;
    EXPECT_EQ(m.peek(SCSR), SciTdre | SciTc);
    m.setLineBacklog(SciTxRoom);
    EXPECT_EQ(m.peek(SCSR) & SciTdre, 0);
    // The hello program waits instead of losing bytes.
    poke(m, 0xE000, HelloProgram);
    m.handleFrame(FrameKind::Run, runFrame({}, 0xE000));
    m.run(5000);
    EXPECT_TRUE(m.takeSciOutput().empty());
    m.setLineBacklog(0);
    m.run(5000);
    const auto out = m.takeSciOutput();
    EXPECT_EQ(std::string(out.begin(), out.end()), "hello");
}

TEST(BoardMonitor, CpuCannotWriteFlash)
{
    Monitor m;
    // STAA $E100 from the slot.
    Regs9 r;
    r.a = 0x5A;
    step(m, r, {0xB7, 0xE1, 0x00, 0x01});
    EXPECT_EQ(m.peek(0xE100), 0xFF);
    step(m, r, {0xB7, 0x21, 0x00, 0x01});
    EXPECT_EQ(m.peek(0x2100), 0x5A);
}

TEST(BoardMonitor, RunParksOnABranchToItself)
{
    Monitor m;
    // $2000: INCA; BRA *
    poke(m, 0x2000, {0x4C, 0x20, 0xFE});
    poke(m, 0x2100, {0x5C, 0x7E, 0x21, 0x01});  // INCB; JMP *
    m.handleFrame(FrameKind::Run, runFrame({}, 0x2000));
    // The run frame's JMP in the slot, then INCA; then parked at BRA *.
    auto s = m.run(1000);
    EXPECT_TRUE(m.parked());
    EXPECT_EQ(s.instructions, 2u);
    EXPECT_EQ(m.registers().a, 1);
    EXPECT_EQ(m.pc(), 0x2001);
    EXPECT_EQ(m.run(1000).instructions, 0u);
    m.reset();
    EXPECT_FALSE(m.parked());
    m.handleFrame(FrameKind::Run, runFrame({}, 0x2100));
    EXPECT_EQ(m.run(1000).instructions, 2u);
    EXPECT_TRUE(m.parked());
    // BEQ * parks only while Z is set; BNE * with Z set falls through.
    Monitor cond;
    poke(cond, 0x2000, {0x26, 0xFE, 0x27, 0xFE});  // BNE *; BEQ *
    Regs9 z;
    z.ccr = 0x04;
    cond.handleFrame(FrameKind::Run, runFrame(z, 0x2000));
    EXPECT_EQ(cond.run(1000).instructions, 2u);
    EXPECT_TRUE(cond.parked());
    EXPECT_EQ(cond.pc(), 0x2002);
    // A loop that is not a branch to itself keeps running.
    Monitor busy;
    poke(busy, 0x2000, {0x4C, 0x20, 0xFD});  // INCA; BRA $2000
    busy.handleFrame(FrameKind::Run, runFrame({}, 0x2000));
    EXPECT_EQ(busy.run(1000).instructions, 1000u);
    EXPECT_FALSE(busy.parked());
}
