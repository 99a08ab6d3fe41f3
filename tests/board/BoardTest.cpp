// The board core on a simulated clock: replies, pacing at the baud rate,
// every injected fault, CTS off, reset and the stdin commands.
#include "Board.h"
#include "BoardTestSupport.h"

#include <gtest/gtest.h>

#include <random>

using namespace zelk::board;
using namespace zelk::test;

namespace {

constexpr int64_t Ms = 1'000'000;

BoardOptions unpaced()
{
    BoardOptions o;
    o.baud = 0;
    return o;
}

// Everything the line may send at time t (the caller's poll loop, without
// a pty).
std::vector<uint8_t> drain(Board& b, int64_t t)
{
    std::vector<uint8_t> out;
    for (;;) {
        b.service(t);
        const auto due = b.lineDue(t);
        if (due.empty())
            break;
        out.insert(out.end(), due.begin(), due.end());
        b.lineWritten(due.size(), t);
    }
    return out;
}

std::vector<uint8_t> send(Board& b, const std::vector<uint8_t>& frame, int64_t t)
{
    b.receive(frame, t);
    return drain(b, t);
}

std::string lastAnswer(Board& b)
{
    const auto answers = b.takeAnswers();
    return answers.empty() ? std::string() : answers.back();
}

} // namespace

TEST(BoardCore, AnswersEveryFrameKind)
{
    Board b(unpaced());
    EXPECT_EQ(send(b, dataFrame('W', 0x1000, {0x12}), 0), std::vector<uint8_t>{Ack});
    const auto r = send(b, readFrame(0x1000, 1), 0);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[1], 0x12);
    EXPECT_TRUE(checksumHolds(r));
    EXPECT_EQ(send(b, dataFrame('P', 0xE000, {0x00}), 0), std::vector<uint8_t>{Ack});
    EXPECT_EQ(send(b, EraseFrame, 0), std::vector<uint8_t>{Ack});
    const auto s = send(b, stepFrame({}, {0x86, 0x12, 0x01, 0x01}), 0);
    ASSERT_EQ(s.size(), 11u);
    EXPECT_EQ(s[1], 0x12);
    EXPECT_EQ(send(b, runFrame({}, 0x2000), 0), std::vector<uint8_t>{Ack});
    const auto st = b.stats();
    EXPECT_EQ(st.frames, 6u);
    EXPECT_EQ(st.acks, 4u);
    EXPECT_EQ(st.naks, 0u);
}

TEST(BoardCore, BadChecksumGetsNakAndTheNextFrameIsServed)
{
    Board b(unpaced());
    auto bad = readFrame(0x1000, 4);
    bad.back() ^= 0x01;
    auto bytes = bad;
    const auto good = readFrame(0x1000, 4);
    bytes.insert(bytes.end(), good.begin(), good.end());
    const auto out = send(b, bytes, 0);
    ASSERT_EQ(out.size(), 1u + 6u);
    EXPECT_EQ(out[0], Nak);
    EXPECT_TRUE(checksumHolds(std::vector<uint8_t>(out.begin() + 1, out.end())));
    EXPECT_EQ(b.stats().naks, 1u);
}

TEST(BoardCore, DamagedEraseFrameIsNotAnswered)
{
    Board b(unpaced());
    EXPECT_TRUE(send(b, {'E', 'E', 'E', 0x77}, 0).empty());
    EXPECT_EQ(send(b, EraseFrame, 0), std::vector<uint8_t>{Ack});
}

TEST(BoardCore, CutFrameThenGoodFrame)
{
    Board b(unpaced());
    EXPECT_TRUE(send(b, {'W', 0x20, 0x00, 0x08, 1, 2, 3}, 0).empty());
    // Within the gap a frame letter would still count as data; after it the
    // next frame is read cleanly.
    const auto out = send(b, readFrame(0x2000, 2), 80 * Ms);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[1], 0x00);
}

TEST(BoardCore, RepliesArePacedAtTenBitsPerByte)
{
    BoardOptions o;
    o.baud = 38400;  // 260.4 us a byte
    Board b(o);
    b.receive(readFrame(0x0000, 0), 0);  // 258-byte reply
    std::vector<int64_t> sentAt;
    for (int64_t t = 0; t <= 100 * Ms && sentAt.size() < 258; t += 100'000) {
        const auto due = b.lineDue(t);
        for (size_t i = 0; i < due.size(); ++i)
            sentAt.push_back(t);
        b.lineWritten(due.size(), t);
    }
    ASSERT_EQ(sentAt.size(), 258u);
    EXPECT_EQ(sentAt.front(), 0);
    // 258 bytes take 257 byte times after the first: 66.9 ms.
    EXPECT_GE(sentAt.back(), 66 * Ms);
    EXPECT_LE(sentAt.back(), 68 * Ms);
    EXPECT_LT(sentAt.back(), 100 * Ms);  // inside the IDE's window
}

TEST(BoardCore, DropFaultSendsNothingOnce)
{
    Board b(unpaced());
    b.command("fault drop", 0);
    EXPECT_EQ(lastAnswer(b), "zelk-board: fault drop armed");
    EXPECT_TRUE(send(b, readFrame(0, 1), 0).empty());
    EXPECT_EQ(send(b, readFrame(0, 1), 0).size(), 3u);
    EXPECT_EQ(b.stats().faults, 1u);
}

TEST(BoardCore, CorruptFaultBreaksTheChecksumOrTheAck)
{
    Board b(unpaced());
    b.command("fault corrupt", 0);
    const auto r = send(b, readFrame(0, 4), 0);
    ASSERT_EQ(r.size(), 6u);
    EXPECT_FALSE(checksumHolds(r));
    b.command("fault corrupt", 0);
    const auto w = send(b, dataFrame('W', 0x100, {1}), 0);
    ASSERT_EQ(w.size(), 1u);
    EXPECT_NE(w[0], Ack);
    EXPECT_TRUE(checksumHolds(send(b, readFrame(0, 4), 0)));
}

TEST(BoardCore, LateFaultHoldsTheReplyPastTheWindow)
{
    Board b(unpaced());
    b.command("fault late", 0);
    EXPECT_TRUE(send(b, readFrame(0, 1), 0).empty());
    EXPECT_TRUE(drain(b, 200 * Ms).empty());
    EXPECT_EQ(b.nextEventNs(200 * Ms), Board::LateNs);
    EXPECT_EQ(drain(b, Board::LateNs).size(), 3u);
    b.command("fault late", 0);
    EXPECT_TRUE(send(b, EraseFrame, Ms).empty());
    EXPECT_TRUE(drain(b, 3000 * Ms).empty());
    EXPECT_EQ(drain(b, Ms + Board::LateEraseNs), std::vector<uint8_t>{Ack});
}

TEST(BoardCore, SplitFaultPausesInTheMiddle)
{
    Board b(unpaced());
    b.command("fault split", 0);
    const auto first = send(b, readFrame(0, 9), 0);
    EXPECT_EQ(first.size(), 5u);
    EXPECT_TRUE(drain(b, Board::SplitPauseNs - 1).empty());
    const auto second = drain(b, Board::SplitPauseNs);
    EXPECT_EQ(second.size(), 6u);
    std::vector<uint8_t> whole = first;
    whole.insert(whole.end(), second.begin(), second.end());
    EXPECT_TRUE(checksumHolds(whole));
    EXPECT_LT(Board::SplitPauseNs, 100 * Ms);  // still inside the IDE's window
}

TEST(BoardCore, NakEraseLeavesTheFlash)
{
    Board b(unpaced());
    send(b, dataFrame('P', 0xE000, {0x12}), 0);
    b.command("fault nak-erase", 0);
    EXPECT_EQ(send(b, readFrame(0, 1), 0).size(), 3u);  // not an erase: untouched
    EXPECT_EQ(send(b, EraseFrame, 0), std::vector<uint8_t>{Nak});
    EXPECT_EQ(b.monitor().peek(0xE000), 0x12);
    EXPECT_EQ(send(b, EraseFrame, 0), std::vector<uint8_t>{Ack});
    EXPECT_EQ(b.monitor().peek(0xE000), 0xFF);
}

TEST(BoardCore, FaultRatesFromOptions)
{
    BoardOptions o = unpaced();
    o.rates.drop = 1.0;
    Board b(o);
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(send(b, readFrame(0, 1), 0).empty());
    EXPECT_EQ(b.stats().faults, 5u);
    BoardOptions n = unpaced();
    n.rates.nakErase = 1.0;
    Board e(n);
    EXPECT_EQ(send(e, readFrame(0, 1), 0).size(), 3u);
    EXPECT_EQ(send(e, EraseFrame, 0), std::vector<uint8_t>{Nak});
}

TEST(BoardCore, CtsOffAnswersNothingUntilOn)
{
    Board b(unpaced());
    b.command("cts off", 0);
    EXPECT_EQ(lastAnswer(b), "zelk-board: cts off");
    EXPECT_TRUE(send(b, readFrame(0, 1), 0).empty());
    EXPECT_TRUE(send(b, dataFrame('W', 0x100, {9}), 0).empty());
    EXPECT_EQ(b.monitor().peek(0x100), 0);
    b.command("cts on", 0);
    EXPECT_EQ(lastAnswer(b), "zelk-board: cts on");
    EXPECT_EQ(send(b, readFrame(0, 1), 0).size(), 3u);
}

TEST(BoardCore, ResetStopsARunAndSendsTheNoticeBeforeAnswering)
{
    BoardOptions o;
    o.baud = 38400;
    Board b(o);
    b.receive(runFrame({}, 0x2000), 0);
    EXPECT_EQ(b.monitor().state(), Monitor::State::Running);
    b.command("reset", 0);
    EXPECT_EQ(b.monitor().state(), Monitor::State::Idle);
    // The ACK and "BBB" still have to go out on the paced line.
    EXPECT_TRUE(b.takeAnswers().empty());
    std::vector<uint8_t> out;
    for (int64_t t = 0; t < 10 * Ms; t += Ms / 10) {
        const auto due = b.lineDue(t);
        out.insert(out.end(), due.begin(), due.end());
        b.lineWritten(due.size(), t);
    }
    EXPECT_EQ(out, (std::vector<uint8_t>{Ack, 'B', 'B', 'B'}));
    EXPECT_EQ(lastAnswer(b), "zelk-board: reset");
    // Frames are served again.
    EXPECT_EQ(b.monitor().handleFrame(FrameKind::Read, readFrame(0, 1)).size(), 3u);
}

TEST(BoardCore, BytesDuringARunReachTheProgram)
{
    Board b(unpaced());
    for (size_t i = 0; i < EchoPlusOneProgram.size(); ++i)
        b.monitor().load(uint16_t(0xE000 + i), EchoPlusOneProgram[i]);
    EXPECT_EQ(send(b, runFrame({}, 0xE000), 0), std::vector<uint8_t>{Ack});
    // Even bytes that look like a frame are data for the program now.
    const auto out = send(b, readFrame(0, 1), Ms);
    std::vector<uint8_t> expected;
    for (uint8_t c : readFrame(0, 1))
        expected.push_back(uint8_t(c + 1));
    EXPECT_EQ(out, expected);
}

TEST(BoardCore, FramesBehindAStepAreServedAfterIt)
{
    Board b(unpaced());
    auto bytes = stepFrame({}, {0x4C, 0x01, 0x01, 0x01});  // INCA
    const auto read = readFrame(0x0000, 1);
    bytes.insert(bytes.end(), read.begin(), read.end());
    const auto out = send(b, bytes, 0);
    ASSERT_EQ(out.size(), 11u + 3u);
    EXPECT_EQ(out[1], 1);   // A after INCA
    EXPECT_EQ(out[12], 1);  // the save area read after the step
}

TEST(BoardCore, RandomWriteReadRoundTrips)
{
    Board b(unpaced());
    std::mt19937 rng(21);
    int mismatches = 0;
    for (int i = 0; i < 10000; ++i) {
        const int n = 1 + int(rng() % 256);
        const auto address = uint16_t(0x2000 + rng() % (0xE000 - 0x2000 - n + 1));
        std::vector<uint8_t> body{uint8_t(address >> 8), uint8_t(address), uint8_t(n & 0xFF)};
        for (int k = 0; k < n; ++k)
            body.push_back(uint8_t(rng()));
        if (send(b, makeFrame('W', body), 0) != std::vector<uint8_t>{Ack}) {
            ++mismatches;
            continue;
        }
        const auto r = send(b, readFrame(address, uint8_t(n & 0xFF)), 0);
        if (r.size() != size_t(n) + 2 || !checksumHolds(r) || !std::equal(body.begin() + 3, body.end(), r.begin() + 1))
            ++mismatches;
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(b.stats().frames, 20000u);
    EXPECT_EQ(b.stats().acks, 10000u);
}

TEST(BoardCore, StatsAndUnknownCommands)
{
    Board b(unpaced());
    send(b, readFrame(0, 2), 0);
    b.command("stats", 0);
    EXPECT_EQ(lastAnswer(b), "zelk-board: frames=1 acks=0 naks=0 faults=0 bytes_in=5 bytes_out=4");
    b.command("  stats  \r", 0);
    EXPECT_EQ(lastAnswer(b), "zelk-board: frames=1 acks=0 naks=0 faults=0 bytes_in=5 bytes_out=4");
    b.command("fault explode", 0);
    EXPECT_EQ(lastAnswer(b).rfind("zelk-board: error: unknown fault 'explode'", 0), 0u);
    b.command("dance \x01\xff", 0);
    const auto a = lastAnswer(b);
    EXPECT_EQ(a.rfind("zelk-board: error: unknown command 'dance ?" "?'", 0), 0u) << a;
    b.command("", 0);
    EXPECT_TRUE(b.takeAnswers().empty());
    EXPECT_FALSE(b.quitRequested());
    b.command("quit", 0);
    EXPECT_TRUE(b.quitRequested());
    EXPECT_EQ(lastAnswer(b), "zelk-board: bye");
}

TEST(BoardCore, PacedClockRunsAboutItsRate)
{
    BoardOptions o = unpaced();
    o.clockHz = 2'000'000;
    Board b(o);
    // INCA (2 cycles); BRA $2000 (3 cycles).
    b.monitor().load(0x2000, 0x4C);
    b.monitor().load(0x2001, 0x20);
    b.monitor().load(0x2002, 0xFD);
    send(b, runFrame({}, 0x2000), 0);
    for (int64_t t = 0; t <= 10 * Ms; t += Ms / 2) {
        while (b.busy(t))
            b.service(t);
    }
    // 10 ms at 2 MHz = 20000 cycles, to within one instruction.
    EXPECT_GE(b.runCycles(), 20000u);
    EXPECT_LE(b.runCycles(), 20003u);
    EXPECT_EQ(b.monitor().state(), Monitor::State::Running);
    EXPECT_FALSE(b.busy(10 * Ms));
    EXPECT_GT(b.nextEventNs(10 * Ms), 10 * Ms);
}
