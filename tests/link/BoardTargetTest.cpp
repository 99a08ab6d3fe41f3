// The monitor protocol's frames and reply checks, and every access
// operation and step of the board target over an in-process fake board:
// frame bytes, reply windows, receive thresholds, messages, and that a
// failed exchange changes nothing.
#include "FakeBoardPort.h"
#include "LinkTestSupport.h"

#include "link/AccessLayer.h"
#include "link/BoardProtocol.h"
#include "link/BoardTarget.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>

using namespace zelk;
using namespace zelk::test;

namespace {

using Bytes = std::vector<uint8_t>;

// The bytes after the command letter, checksum included, sum to 0.
bool sealed(const Bytes& f)
{
    const unsigned sum = std::accumulate(f.begin() + 1, f.end(), 0u);
    return (sum & 0xFF) == 0;
}

TEST(BoardProtocol, ReadFrameForTheRegisterBlock)
{
    EXPECT_EQ(board::readFrame(0x1000, 64), (Bytes{'R', 0x10, 0x00, 0x40, 0xB0}));
    // 256 bytes travel as a count of 0.
    EXPECT_EQ(board::readFrame(0xFF00, 256), (Bytes{'R', 0xFF, 0x00, 0x00, 0x01}));
}

TEST(BoardProtocol, EraseFrame)
{
    EXPECT_EQ(board::eraseFrame(), (Bytes{'E', 'E', 'E', 0x76}));
}

TEST(BoardProtocol, RunAndStepFramesCarryTheSaveAreaOrder)
{
    CpuRegisters r;
    r.A = 0x11; r.B = 0x22; r.IX = 0x3344; r.IY = 0x5566; r.SP = 0x00FF; r.CCR = 0xD0; r.PC = 0xE123;
    const Bytes run = board::runFrame(r);
    ASSERT_EQ(run.size(), static_cast<size_t>(board::RunFrameLength));
    EXPECT_EQ(Bytes(run.begin(), run.end() - 1),
              (Bytes{'X', 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x00, 0xFF, 0xD0, 0x7E, 0xE1, 0x23}));
    EXPECT_TRUE(sealed(run));
    const uint8_t slot[4] = {0x86, 0x12, 0x01, 0x01};
    const Bytes step = board::stepFrame(r, slot);
    ASSERT_EQ(step.size(), static_cast<size_t>(board::StepFrameLength));
    EXPECT_EQ(Bytes(step.begin(), step.end() - 1),
              (Bytes{'S', 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x00, 0xFF, 0xD0, 0x86, 0x12, 0x01, 0x01}));
    EXPECT_TRUE(sealed(step));
}

TEST(BoardProtocol, EveryFrameIsSealed)
{
    // Table of frames over addresses and counts that exercise carries.
    for (int32_t address : {0x0000, 0x00FF, 0x1234, 0xE000, 0xFFFF}) {
        for (int count : {1, 2, 9, 64, 200, 255}) {
            Bytes data(static_cast<size_t>(count));
            for (int i = 0; i < count; ++i)
                data[static_cast<size_t>(i)] = static_cast<uint8_t>(address * 7 + i * 31);
            const Bytes w = board::writeFrame(address, data.data(), count);
            const Bytes p = board::programFrame(address, data.data(), count);
            const Bytes r = board::readFrame(address, count);
            SCOPED_TRACE(testing::Message() << address << " " << count);
            EXPECT_EQ(w[0], 'W');
            EXPECT_EQ(p[0], 'P');
            EXPECT_EQ(w.size(), static_cast<size_t>(count + 5));
            EXPECT_EQ(w[1], address >> 8);
            EXPECT_EQ(w[2], address & 0xFF);
            EXPECT_EQ(w[3], count);
            EXPECT_EQ(Bytes(w.begin() + 4, w.end() - 1), data);
            EXPECT_TRUE(sealed(w));
            EXPECT_TRUE(sealed(p));
            EXPECT_TRUE(sealed(r));
        }
    }
}

TEST(BoardProtocol, ReplyChecks)
{
    const struct {
        Bytes reply;
        bool ok;
    } cases[] = {
        {{'x', 0x12, 0xEE}, true},
        {{'x', 0x12, 0xEF}, false},
        {{0x00, 0x12, 0xEE}, true},  // the first byte is not examined
        {{'x', 0x00, 0x00}, true},
        {{'x'}, false},
        {{}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(board::replyChecksumOk(c.reply.data(), c.reply.size()), c.ok);
}

TEST(BoardProtocol, ResetNoticeAtTheEndOfABlock)
{
    const struct {
        std::string block;
        bool notice;
    } cases[] = {{"BBB", true}, {"ABCBBB", true}, {"BB", false}, {"BBBA", false}, {"", false}, {"xBBx", false}};
    for (const auto& c : cases)
        EXPECT_EQ(board::endsWithResetNotice(reinterpret_cast<const uint8_t*>(c.block.data()), c.block.size()),
                  c.notice)
            << c.block;
}

class BoardTargetTest : public testing::Test {
protected:
    BoardTargetTest() : board(link, port)
    {
        link.setBoard(&board);
        link.setMode(TargetMode::Board);
        link.setLinkReady(true);
    }
    void expectOneMessage(const std::string& text, const std::string& caption = "Tarvine - Communication Error")
    {
        ASSERT_EQ(notifier.messages.size(), 1u);
        EXPECT_EQ(notifier.messages[0].text, text);
        EXPECT_EQ(notifier.messages[0].caption, caption);
        EXPECT_EQ(notifier.messages[0].icon, MessageIcon::Exclamation);
    }

    RecordingNotifier notifier;
    CountingHooks hooks;
    AccessLayer link{&notifier, &hooks};
    FakeBoardPort port;
    BoardTarget board;
};

TEST_F(BoardTargetTest, InByteReadsOneByteIn100Ms)
{
    port.mem[0x1234] = 0x5A;
    uint8_t v = 0;
    link.InByte(0x1234, v);
    EXPECT_EQ(v, 0x5A);
    EXPECT_TRUE(link.linkReady());
    ASSERT_EQ(port.frames.size(), 1u);
    EXPECT_EQ(port.frames[0], board::readFrame(0x1234, 1));
    ASSERT_EQ(port.waits.size(), 1u);
    EXPECT_EQ(port.waits[0].count, 3);
    EXPECT_EQ(port.waits[0].ms, 100);
    EXPECT_FALSE(port.waits[0].letEvents);
    // FindBoard turned the notification off, the exchange back to 6.
    EXPECT_EQ(port.thresholds, (std::vector<int>{0, 6}));
    EXPECT_EQ(hooks.boardStatus, 1);
    EXPECT_TRUE(notifier.messages.empty());
}

TEST_F(BoardTargetTest, InCpuLoadsTheSaveArea)
{
    const uint8_t area[9] = {0x01, 0x02, 0x30, 0x40, 0x50, 0x60, 0x00, 0xF0, 0x89};
    std::copy(area, area + 9, port.mem.begin());
    link.InCPU();
    EXPECT_EQ(link.regs.A, 0x01);
    EXPECT_EQ(link.regs.B, 0x02);
    EXPECT_EQ(link.regs.IX, 0x3040);
    EXPECT_EQ(link.regs.IY, 0x5060);
    EXPECT_EQ(link.regs.SP, 0x00F0);
    EXPECT_EQ(link.regs.CCR, 0x89);
    EXPECT_TRUE(link.regs.C);
    EXPECT_TRUE(link.regs.N);
    EXPECT_TRUE(link.regs.S);
    EXPECT_FALSE(link.regs.Z);
    EXPECT_EQ(port.frames[0], board::readFrame(0x0000, 9));
}

TEST_F(BoardTargetTest, InMemoryReadsFourBlocksWrappingTheHighByte)
{
    for (int a = 0; a < 0x10000; ++a)
        port.mem[static_cast<size_t>(a)] = static_cast<uint8_t>(a ^ (a >> 8));
    link.DisplayAddress = 0xFE80;
    link.InMemory();
    ASSERT_EQ(port.frames.size(), 4u);
    EXPECT_EQ(port.frames[0], board::readFrame(0xFE80, 256));
    EXPECT_EQ(port.frames[1], board::readFrame(0xFF80, 256));
    EXPECT_EQ(port.frames[2], board::readFrame(0x0080, 256));
    EXPECT_EQ(port.frames[3], board::readFrame(0x0180, 256));
    for (int i = 0; i < 1024; ++i) {
        const int a = (0xFE80 + i) & 0xFFFF;
        ASSERT_EQ(link.memoryBuffer[static_cast<size_t>(i)], static_cast<uint8_t>(a ^ (a >> 8))) << i;
    }
}

TEST_F(BoardTargetTest, InMemoryStopsAtTheFirstFailedBlock)
{
    link.DisplayAddress = 0x2000;
    port.onWait = [this] {
        if (port.frames.size() == 2)
            port.in.clear();  // the second block gets no reply
    };
    link.InMemory();
    EXPECT_EQ(port.frames.size(), 2u);
    EXPECT_FALSE(link.linkReady());
    expectOneMessage("No Response from M68HC11 Board !");
}

TEST_F(BoardTargetTest, InProgramUsesTheLongerWindowAndTurnsTheNotificationOff)
{
    port.mem[0xE000] = 0x86;
    link.codeWindow.base = 0xE000;
    link.InProgram();
    ASSERT_EQ(port.waits.size(), 1u);
    EXPECT_EQ(port.waits[0].ms, 200);
    EXPECT_EQ(port.waits[0].count, 258);
    EXPECT_EQ(link.codeWindow.bytes[0], 0x86);
    EXPECT_EQ(port.frames[0], board::readFrame(0xE000, 256));
}

TEST_F(BoardTargetTest, InStackAndResetVector)
{
    link.regs.SP = 0x00F0;
    for (int i = 0; i < 10; ++i)
        port.mem[static_cast<size_t>(0xF0 + i)] = static_cast<uint8_t>(0xA0 + i);
    link.InStack();
    EXPECT_EQ(link.stackBuffer[0], 0xA0);
    EXPECT_EQ(link.stackBuffer[9], 0xA9);
    port.mem[0xFFFE] = 0xE0;
    port.mem[0xFFFF] = 0x00;
    int32_t v = 0;
    link.InResetVector(v);
    EXPECT_EQ(v, 0xE000);
    EXPECT_EQ(port.frames.back(), board::readFrame(0xFFFE, 2));
}

TEST_F(BoardTargetTest, WritesWaitForAnAckWithEventsRunning)
{
    link.OutByte(0x0040, 0x99);
    EXPECT_EQ(port.mem[0x40], 0x99);
    ASSERT_EQ(port.frames.size(), 1u);
    const uint8_t one[1] = {0x99};
    EXPECT_EQ(port.frames[0], board::writeFrame(0x0040, one, 1));
    EXPECT_TRUE(port.waits[0].letEvents);
    EXPECT_EQ(port.waits[0].ms, 100);
    const uint8_t data[3] = {1, 2, 3};
    link.OutBytes(0x0100, data, 3);
    EXPECT_EQ(port.frames.back(), board::writeFrame(0x0100, data, 3));
    EXPECT_EQ(port.mem[0x102], 3);
}

TEST_F(BoardTargetTest, OutBytesDoesNothingWhileTheLinkIsDown)
{
    link.setLinkReady(false);
    const uint8_t data[2] = {1, 2};
    link.OutBytes(0x0100, data, 2);
    EXPECT_TRUE(port.frames.empty());
    EXPECT_TRUE(notifier.messages.empty());
}

TEST_F(BoardTargetTest, ProgrammAndErase)
{
    link.FlashErase();
    EXPECT_TRUE(link.linkReady());
    EXPECT_EQ(port.frames[0], board::eraseFrame());
    EXPECT_EQ(port.waits[0].ms, 3000);
    EXPECT_TRUE(port.waits[0].letEvents);
    const uint8_t data[2] = {0x12, 0x34};
    link.Programm(0xE000, data, 2);
    EXPECT_EQ(port.frames.back(), board::programFrame(0xE000, data, 2));
    EXPECT_EQ(port.mem[0xE001], 0x34);
    EXPECT_EQ(hooks.boardStatus, 1);  // the erase reports no status, Programm does
}

TEST_F(BoardTargetTest, EraseAnsweredNakOrGarbage)
{
    port.fault = FakeBoardPort::Fault::NakErase;
    link.FlashErase();
    EXPECT_FALSE(link.linkReady());
    expectOneMessage("Erasing Flash failed!", "ZELK Tools");
    EXPECT_EQ(hooks.boardStatus, 0);
    notifier.messages.clear();
    port.fault = FakeBoardPort::Fault::Garbage;
    link.FlashErase();
    expectOneMessage("Invalid data from board !");
    EXPECT_EQ(hooks.boardStatus, 0);
}

TEST_F(BoardTargetTest, NoResponseLeavesTheDestinationAndDiscardsInput)
{
    port.fault = FakeBoardPort::Fault::Drop;
    uint8_t v = 0x77;
    link.InByte(0x0000, v);
    EXPECT_EQ(v, 0x77);
    EXPECT_FALSE(link.linkReady());
    expectOneMessage("No Response from M68HC11 Board !");
    // BoardStatus ran with the flag already down (then once more at the end).
    EXPECT_EQ(hooks.boardStatus, 2);
    EXPECT_EQ(port.thresholds.back(), 6);
    EXPECT_EQ(port.waiting(), 0);
}

TEST_F(BoardTargetTest, EveryFaultIsReportedOnceAndTheNextOperationWorks)
{
    const struct {
        FakeBoardPort::Fault fault;
        const char* text;
    } cases[] = {
        {FakeBoardPort::Fault::Drop, "No Response from M68HC11 Board !"},
        {FakeBoardPort::Fault::Late, "No Response from M68HC11 Board !"},
        {FakeBoardPort::Fault::Short, "No Response from M68HC11 Board !"},
        {FakeBoardPort::Fault::Corrupt, "Invalid Data from M68HC11 Board !"},
    };
    port.mem[0x0009] = 0x42;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        notifier.messages.clear();
        link.regs.A = 0x10;
        link.InCPU();
        ASSERT_TRUE(link.linkReady());
        const uint8_t before = link.regs.B;
        port.fault = c.fault;
        std::vector<uint8_t> buf{9, 9};
        link.InBytes(0x0009, buf, 2);
        EXPECT_EQ(buf, (std::vector<uint8_t>{9, 9}));
        EXPECT_FALSE(link.linkReady());
        expectOneMessage(c.text);
        EXPECT_EQ(link.regs.B, before);
        // The next operation finds the board again and works.
        link.InBytes(0x0009, buf, 2);
        EXPECT_TRUE(link.linkReady());
        EXPECT_EQ(buf[0], 0x42);
        EXPECT_EQ(notifier.messages.size(), 1u);
    }
}

TEST_F(BoardTargetTest, WrongAckIsInvalidData)
{
    port.fault = FakeBoardPort::Fault::Garbage;
    link.OutByte(0x0040, 1);
    expectOneMessage("Invalid Data from M68HC11 Board !");
    EXPECT_FALSE(link.linkReady());
}

TEST_F(BoardTargetTest, CtsLowSendsNothing)
{
    port.ctsOn = false;
    uint8_t v = 0;
    link.InByte(0, v);
    std::vector<uint8_t> buf;
    link.InBytes(0, buf, 4);
    link.InCPU();
    link.InMemory();
    link.InProgram();
    link.InStack();
    link.OutByte(0, 1);
    const uint8_t d[1] = {1};
    link.Programm(0xE000, d, 1);
    EXPECT_TRUE(port.frames.empty());
    ASSERT_EQ(notifier.messages.size(), 8u);
    for (const auto& m : notifier.messages)
        EXPECT_EQ(m.text, "M68HC11 Board Not Connected !");
    EXPECT_FALSE(link.linkReady());
}

TEST_F(BoardTargetTest, ClosedPortIsOpenedByFindBoard)
{
    port.opened = false;
    bool reported = false;
    board.portOpened = [&](bool ok) { reported = ok; };
    uint8_t v = 0;
    link.InByte(0, v);
    EXPECT_EQ(port.openCalls, 1);
    EXPECT_TRUE(reported);
    EXPECT_TRUE(link.linkReady());
}

TEST_F(BoardTargetTest, PortThatCannotOpenShowsTheSystemError)
{
    port.opened = false;
    port.canOpen = false;
    bool reported = true;
    board.portOpened = [&](bool ok) { reported = ok; };
    uint8_t v = 0;
    link.InByte(0, v);
    EXPECT_FALSE(reported);
    EXPECT_FALSE(link.linkReady());
    expectOneMessage("No such file or directory !");
    EXPECT_TRUE(port.frames.empty());
}

TEST_F(BoardTargetTest, StepIntoWaits100MsStepOverWithoutLimit)
{
    CpuRegisters r;
    r.A = 5;
    const uint8_t slot[5] = {0x4C, 0x01, 0x01, 0x01, 0x99};
    ASSERT_TRUE(board.step(r, slot, StepKind::StepInto));
    EXPECT_EQ(r.A, 6);
    const Bytes& f = port.frames.back();
    EXPECT_EQ(f.size(), 15u);
    EXPECT_EQ(f[10], 0x4C);
    EXPECT_EQ(f[13], 0x01);  // the fifth slot byte never travels
    EXPECT_EQ(port.waits.back().ms, 100);
    EXPECT_FALSE(port.waits.back().letEvents);
    EXPECT_EQ(port.thresholds.front(), 0);  // notification off before sending
    ASSERT_TRUE(board.step(r, slot, StepKind::StepOver));
    EXPECT_EQ(r.A, 7);
    EXPECT_TRUE(port.waits.back().letEvents);
}

TEST_F(BoardTargetTest, LateStepReplyCountsAsNoResponse)
{
    CpuRegisters r;
    r.A = 5;
    const uint8_t slot[5] = {0x4C, 0x01, 0x01, 0x01, 0x01};
    port.fault = FakeBoardPort::Fault::Late;
    EXPECT_FALSE(board.step(r, slot, StepKind::StepInto));
    EXPECT_EQ(r.A, 5);
    expectOneMessage("No Response from M68HC11 Board !");
}

TEST_F(BoardTargetTest, UnlimitedWaitGivesUpOnAResetNotice)
{
    CpuRegisters r;
    r.A = 5;
    const uint8_t slot[5] = {0xBD, 0xE1, 0x00, 0x01, 0x01};
    port.fault = FakeBoardPort::Fault::Drop;
    int rounds = 0;
    port.onWait = [&] {
        if (++rounds == 3)
            port.in = {'B', 'B', 'B'};
    };
    EXPECT_FALSE(board.step(r, slot, StepKind::StepOver));
    EXPECT_EQ(r.A, 5);
    expectOneMessage("No Response from M68HC11 Board !");
    // The notice stays for the notification handler.
    EXPECT_EQ(port.peek(), (Bytes{'B', 'B', 'B'}));
    EXPECT_EQ(port.thresholds.back(), 6);
}

TEST_F(BoardTargetTest, RunIsAcknowledgedAndKeepsTheProgramOutput)
{
    CpuRegisters r;
    r.PC = 0xE000;
    port.trailing = {'h', 'i'};
    EXPECT_TRUE(board.run(r));
    EXPECT_EQ(port.frames.back(), board::runFrame(r));
    EXPECT_EQ(port.peek(), (Bytes{'h', 'i'}));
    EXPECT_EQ(port.thresholds.front(), 0);
    EXPECT_EQ(port.thresholds.back(), 6);
    port.trailing.clear();
    port.fault = FakeBoardPort::Fault::Garbage;
    EXPECT_FALSE(board.run(r));
    expectOneMessage("Invalid Data from M68HC11 Board !");
}

TEST_F(BoardTargetTest, CountersRecordFramesAndFaults)
{
    uint8_t v;
    link.InByte(0, v);
    port.fault = FakeBoardPort::Fault::Drop;
    link.InByte(0, v);
    port.fault = FakeBoardPort::Fault::Corrupt;
    link.InByte(0, v);
    EXPECT_EQ(board.counters().frames, 3u);
    EXPECT_EQ(board.counters().noResponse, 1u);
    EXPECT_EQ(board.counters().invalid, 1u);
    EXPECT_EQ(board.counters().bytesSent, 15u);
}

TEST_F(BoardTargetTest, LineNoiseNeverCorruptsState)
{
    // Random replies of random length for random operations: each either
    // passes every check or fails with exactly one message, and a failure
    // leaves the register record and the working copies as they were.
    std::mt19937 rng(2026);
    for (int a = 0; a < 0x10000; ++a)
        port.mem[static_cast<size_t>(a)] = static_cast<uint8_t>(a);
    port.mangle = [&rng](std::vector<uint8_t>& reply) {
        if (rng() % 2 == 0)
            return;  // half the replies are left good
        const size_t n = rng() % (reply.size() + 3);
        reply.resize(n);
        for (auto& b : reply)
            if (rng() % 3 == 0)
                b = static_cast<uint8_t>(rng());
    };
    int failures = 0;
    for (int i = 0; i < 3000; ++i) {
        notifier.messages.clear();
        link.setLinkReady(true);
        const CpuRegisters before = link.regs;
        const auto stackBefore = link.stackBuffer;
        const auto codeBefore = link.codeWindow.bytes;
        switch (rng() % 4) {
        case 0: link.InCPU(); break;
        case 1: link.regs.SP = static_cast<int32_t>(rng() & 0xFFFF); link.InStack(); break;
        case 2: link.codeWindow.base = static_cast<int32_t>(rng() & 0xFF00); link.InProgram(); break;
        default: {
            const uint8_t slot[5] = {0x01, 0x01, 0x01, 0x01, 0x01};
            board.step(link.regs, slot, StepKind::StepInto);
            break;
        }
        }
        if (notifier.messages.empty()) {
            EXPECT_TRUE(link.linkReady());
            continue;
        }
        ++failures;
        ASSERT_EQ(notifier.messages.size(), 1u);
        EXPECT_FALSE(link.linkReady());
        EXPECT_EQ(link.regs.A, before.A);
        EXPECT_EQ(link.regs.CCR, before.CCR);
        EXPECT_EQ(link.regs.IX, before.IX);
        EXPECT_EQ(link.stackBuffer, stackBefore);
        EXPECT_EQ(link.codeWindow.bytes, codeBefore);
        EXPECT_EQ(port.waiting(), 0);  // the noise was discarded
    }
    EXPECT_GT(failures, 500);
}

} // namespace
