// The real zelk-board through its pseudo-terminal: every frame kind, runs
// with SCI traffic, the reset notice, every injected fault, CTS off, cut
// frames, the command line and random write/read round trips.
#include "BoardTestSupport.h"
#include "Board.h"
#include "Protocol.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <random>
#include <thread>
#include <unistd.h>

using namespace zelk::test;
using zelk::board::Ack;
using zelk::board::checksumHolds;
using zelk::board::Nak;
using Clock = std::chrono::steady_clock;

namespace {

std::string text(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

int64_t msSince(Clock::time_point t0)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count();
}

class BoardPty : public ::testing::Test {
protected:
    void start(std::vector<std::string> args = {"--baud", "0"})
    {
        board = std::make_unique<BoardProcess>(args);
        ASSERT_TRUE(board->started()) << board->error();
        line = std::make_unique<BoardLine>(board->ptyPath());
        ASSERT_TRUE(line->isOpen()) << board->ptyPath();
    }
    void SetUp() override { start(); }

    std::vector<uint8_t> exchange(const std::vector<uint8_t>& frame, size_t n, int ms = 1000)
    {
        return line->exchange(frame, n, ms);
    }
    std::vector<uint8_t> readBack(uint16_t address, uint8_t n)
    {
        const size_t count = n ? n : 256;
        const auto r = exchange(readFrame(address, n), count + 2);
        EXPECT_EQ(r.size(), count + 2);
        EXPECT_TRUE(checksumHolds(r));
        return r.size() == count + 2 ? std::vector<uint8_t>(r.begin() + 1, r.end() - 1) : std::vector<uint8_t>{};
    }

    std::unique_ptr<BoardProcess> board;
    std::unique_ptr<BoardLine> line;
};

} // namespace

TEST_F(BoardPty, ListensOnAPseudoTerminal)
{
    EXPECT_EQ(board->ptyPath().rfind("/dev/pts/", 0), 0u) << board->ptyPath();
    EXPECT_TRUE(isatty(line->fd()));
}

TEST_F(BoardPty, ReadOfTheRegisterBlock)
{
    const std::vector<uint8_t> frame{'R', 0x10, 0x00, 0x40, 0xB0};
    const auto reply = exchange(frame, 66);
    ASSERT_EQ(reply.size(), 66u);
    EXPECT_TRUE(checksumHolds(reply));
    EXPECT_EQ(reply[1 + 0x2E], 0xC0);  // SCSR: TDRE and TC
}

class BoardPtyCounts : public BoardPty, public ::testing::WithParamInterface<int> {};

TEST_P(BoardPtyCounts, WriteThenReadBack)
{
    const int n = GetParam();
    std::vector<uint8_t> data(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        data[static_cast<size_t>(i)] = uint8_t(i * 13 + n);
    std::vector<uint8_t> body{0x20, 0x00, uint8_t(n & 0xFF)};
    body.insert(body.end(), data.begin(), data.end());
    EXPECT_EQ(exchange(makeFrame('W', body), 1), std::vector<uint8_t>{Ack});
    EXPECT_EQ(readBack(0x2000, uint8_t(n & 0xFF)), data);
}

INSTANTIATE_TEST_SUITE_P(Counts, BoardPtyCounts, ::testing::Values(1, 16, 255, 256));

TEST_F(BoardPty, ProgramAndEraseTheFlash)
{
    EXPECT_EQ(exchange(dataFrame('W', 0xE000, {0x12, 0x34}), 1), std::vector<uint8_t>{Ack});
    EXPECT_EQ(readBack(0xE000, 2), (std::vector<uint8_t>{0xFF, 0xFF}));
    EXPECT_EQ(exchange(dataFrame('P', 0xE000, {0x12, 0x34}), 1), std::vector<uint8_t>{Ack});
    EXPECT_EQ(readBack(0xE000, 2), (std::vector<uint8_t>{0x12, 0x34}));
    EXPECT_EQ(exchange(EraseFrame, 1, 3000), std::vector<uint8_t>{Ack});
    EXPECT_EQ(readBack(0xE000, 2), (std::vector<uint8_t>{0xFF, 0xFF}));
}

struct StepCase {
    const char* name;
    Regs9 in;
    std::array<uint8_t, 4> slot;
    Regs9 out;
};

class BoardPtySteps : public BoardPty, public ::testing::WithParamInterface<StepCase> {};

TEST_P(BoardPtySteps, RepliesWithTheRegisters)
{
    const auto& c = GetParam();
    // A subroutine for the JSR cases: $2000 INCA; RTS. A stack frame for
    // the step-out case: return address $000D at $01FE.
    ASSERT_EQ(exchange(dataFrame('W', 0x2000, {0x4C, 0x39}), 1), std::vector<uint8_t>{Ack});
    ASSERT_EQ(exchange(dataFrame('W', 0x01FE, {0x00, 0x0D}), 1), std::vector<uint8_t>{Ack});
    const auto reply = exchange(stepFrame(c.in, c.slot), 11, 100);
    ASSERT_EQ(reply.size(), 11u);
    EXPECT_TRUE(checksumHolds(reply));
    const auto got = regsOfReply(reply);
    EXPECT_EQ(got.a, c.out.a);
    EXPECT_EQ(got.b, c.out.b);
    EXPECT_EQ(got.ix, c.out.ix);
    EXPECT_EQ(got.iy, c.out.iy);
    EXPECT_EQ(got.sp, c.out.sp);
    EXPECT_EQ(got.ccr, c.out.ccr);
    // The save area holds what the reply said.
    const auto save = readBack(0x0000, 9);
    EXPECT_EQ(save, std::vector<uint8_t>(reply.begin() + 1, reply.end() - 1));
}

INSTANTIATE_TEST_SUITE_P(
    Slots, BoardPtySteps,
    ::testing::Values(StepCase{"LdaaImmediate", {0, 0, 0, 0, 0x00FF, 0x04}, {0x86, 0x12, 0x01, 0x01},
                               {0x12, 0, 0, 0, 0x00FF, 0x00}},
                      StepCase{"Inx", {1, 2, 0x00FF, 0x3333, 0x00FF, 0}, {0x08, 0x01, 0x01, 0x01},
                               {1, 2, 0x0100, 0x3333, 0x00FF, 0}},
                      StepCase{"StepOverJsr", {0x41, 0, 0, 0, 0x00FF, 0}, {0xBD, 0x20, 0x00, 0x01},
                               {0x42, 0, 0, 0, 0x00FF, 0}},
                      StepCase{"StepOutThroughTrap", {0x7F, 0, 0, 0, 0x01FD, 0}, {0x7E, 0x20, 0x00, 0x01},
                               {0x80, 0, 0, 0, 0x01FF, 0x0A}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BoardPty, RunPrintsHelloAndResetSendsTheNotice)
{
    ASSERT_EQ(exchange(dataFrame('P', 0xE000, HelloProgram), 1), std::vector<uint8_t>{Ack});
    Regs9 r;
    r.sp = 0x00FF;
    const auto out = exchange(runFrame(r, 0xE000), 6, 1000);
    EXPECT_EQ(out, (std::vector<uint8_t>{Ack, 'h', 'e', 'l', 'l', 'o'}));
    // It keeps answering stdin while the program runs.
    EXPECT_EQ(board->command("stats").rfind("frames=2 acks=2 ", 0), 0u);
    EXPECT_EQ(board->command("reset"), "reset");
    EXPECT_EQ(text(line->read(3, 1000)), "BBB");
    // The monitor serves frames again, memory kept.
    EXPECT_EQ(readBack(0xE000, 3), (std::vector<uint8_t>{0xCE, 0xE0, 0x14}));
}

TEST_F(BoardPty, ProgramReadsWhatTheTerminalSends)
{
    ASSERT_EQ(exchange(dataFrame('P', 0xE000, EchoPlusOneProgram), 1), std::vector<uint8_t>{Ack});
    ASSERT_EQ(exchange(runFrame({}, 0xE000), 1), std::vector<uint8_t>{Ack});
    ASSERT_TRUE(line->send({'a', 'b', 'c', 'R', 0x00}));
    EXPECT_EQ(line->read(5, 1000), (std::vector<uint8_t>{'b', 'c', 'd', 'S', 0x01}));
    ASSERT_TRUE(board->signal(SIGUSR1));
    EXPECT_EQ(text(line->read(3, 1000)), "BBB");
    EXPECT_EQ(readBack(0x0009, 3), (std::vector<uint8_t>{0x7E, 0xE0, 0x00}));
}

TEST_F(BoardPty, BadChecksumThenCutFrameThenGoodFrame)
{
    auto bad = readFrame(0x1000, 1);
    bad.back() += 1;
    EXPECT_EQ(exchange(bad, 1), std::vector<uint8_t>{Nak});
    ASSERT_TRUE(line->send({'W', 0x20, 0x00, 0x10, 1, 2, 3}));  // 13 data bytes short
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
    EXPECT_EQ(readBack(0x2000, 3), (std::vector<uint8_t>{0, 0, 0}));
    EXPECT_EQ(board->command("stats").rfind("frames=2 acks=0 naks=1 ", 0), 0u);
}

TEST_F(BoardPty, DropFault)
{
    EXPECT_EQ(board->command("fault drop"), "fault drop armed");
    EXPECT_TRUE(exchange(readFrame(0, 1), 3, 300).empty());
    EXPECT_EQ(exchange(readFrame(0, 1), 3).size(), 3u);
}

TEST_F(BoardPty, CorruptFault)
{
    EXPECT_EQ(board->command("fault corrupt"), "fault corrupt armed");
    const auto r = exchange(readFrame(0, 1), 3);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_FALSE(checksumHolds(r));
}

TEST_F(BoardPty, LateFault)
{
    EXPECT_EQ(board->command("fault late"), "fault late armed");
    const auto t0 = Clock::now();
    EXPECT_TRUE(exchange(readFrame(0, 1), 3, 200).empty());
    const auto r = line->read(3, 1000);
    EXPECT_EQ(r.size(), 3u);
    EXPECT_GE(msSince(t0), 240);
}

TEST_F(BoardPty, SplitFault)
{
    EXPECT_EQ(board->command("fault split"), "fault split armed");
    ASSERT_TRUE(line->send(readFrame(0, 16)));
    const auto first = line->read(18, 15);
    EXPECT_EQ(first.size(), 9u);
    const auto rest = line->read(9, 500);
    EXPECT_EQ(rest.size(), 9u);
    auto whole = first;
    whole.insert(whole.end(), rest.begin(), rest.end());
    EXPECT_TRUE(checksumHolds(whole));
}

TEST_F(BoardPty, NakEraseFault)
{
    ASSERT_EQ(exchange(dataFrame('P', 0xE000, {0x00}), 1), std::vector<uint8_t>{Ack});
    EXPECT_EQ(board->command("fault nak-erase"), "fault nak-erase armed");
    EXPECT_EQ(exchange(EraseFrame, 1, 3000), std::vector<uint8_t>{Nak});
    EXPECT_EQ(readBack(0xE000, 1), std::vector<uint8_t>{0x00});
}

TEST_F(BoardPty, CtsOffGivesNoResponse)
{
    EXPECT_EQ(board->command("cts off"), "cts off");
    EXPECT_TRUE(exchange(readFrame(0, 1), 3, 200).empty());
    EXPECT_TRUE(exchange(dataFrame('W', 0x0100, {5}), 1, 200).empty());
    EXPECT_EQ(board->command("cts on"), "cts on");
    EXPECT_EQ(readBack(0x0100, 1), std::vector<uint8_t>{0});
}

TEST_F(BoardPty, TheLineMayBeClosedAndOpenedAgain)
{
    EXPECT_EQ(readBack(0x0000, 1).size(), 1u);
    line.reset();
    line = std::make_unique<BoardLine>(board->ptyPath());
    ASSERT_TRUE(line->isOpen());
    EXPECT_EQ(readBack(0x0000, 1).size(), 1u);
}

TEST_F(BoardPty, GarbageNeverStopsTheBoard)
{
    std::mt19937 rng(5);
    std::vector<uint8_t> junk(4000);
    for (auto& b : junk)
        b = uint8_t(rng());
    ASSERT_TRUE(line->send(junk));
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    line->discard();
    // Whatever the junk did (it may have started a program), a reset brings
    // the monitor back.
    EXPECT_EQ(board->command("reset"), "reset");
    line->read(3, 500);
    line->discard();
    EXPECT_EQ(readBack(0x3000, 4).size(), 4u);
}

TEST_F(BoardPty, RandomWriteReadRoundTrips)
{
    std::mt19937 rng(13);
    int mismatches = 0;
    // 10 000 more go through the board core in BoardTest; these check the
    // pty path itself (the bench board_bench measures its frame rate).
    const int trips = 2000;
    const auto t0 = Clock::now();
    for (int i = 0; i < trips; ++i) {
        const auto n = uint8_t(1 + rng() % 32);
        const auto address = uint16_t(0x2000 + rng() % 0xBF00);  // RAM above the register block
        std::vector<uint8_t> data(n);
        for (auto& b : data)
            b = uint8_t(rng());
        if (exchange(dataFrame('W', address, data), 1) != std::vector<uint8_t>{Ack}) {
            ++mismatches;
            continue;
        }
        const auto r = exchange(readFrame(address, n), n + 2u);
        if (r.size() != n + 2u || !checksumHolds(r) || !std::equal(data.begin(), data.end(), r.begin() + 1))
            ++mismatches;
    }
    const auto ms = std::max<int64_t>(1, msSince(t0));
    EXPECT_EQ(mismatches, 0);
    std::printf("[ figure ] %d write/read round trips at --baud 0: %lld ms, %.0f frames/s\n", trips,
                static_cast<long long>(ms), 2.0 * trips * 1000.0 / double(ms));
}

TEST_F(BoardPty, RunawayStepIsEndedByReset)
{
    // INCA; BRA back: runs until the 50 M step limit unless reset first.
    ASSERT_EQ(exchange(dataFrame('W', 0x2000, {0x4C, 0x20, 0xFD}), 1), std::vector<uint8_t>{Ack});
    ASSERT_TRUE(line->send(stepFrame({}, {0xBD, 0x20, 0x00, 0x01})));
    EXPECT_TRUE(line->read(11, 100).empty());
    // stdin is still served while the step runs.
    EXPECT_EQ(board->command("stats").rfind("frames=2 ", 0), 0u);
    EXPECT_EQ(board->command("reset"), "reset");
    EXPECT_EQ(text(line->read(3, 1000)), "BBB");
    EXPECT_EQ(readBack(0x2000, 1), std::vector<uint8_t>{0x4C});
}

TEST(BoardLimits, StepLimitCutsARunawayStepAndReplies)
{
    BoardProcess board({"--baud", "0", "--step-limit", "200000"});
    ASSERT_TRUE(board.started()) << board.error();
    BoardLine line(board.ptyPath());
    ASSERT_EQ(line.exchange(dataFrame('W', 0x2000, {0x4C, 0x20, 0xFD}), 1), std::vector<uint8_t>{Ack});
    const auto reply = line.exchange(stepFrame({}, {0xBD, 0x20, 0x00, 0x01}), 11, 5000);
    ASSERT_EQ(reply.size(), 11u);
    EXPECT_TRUE(checksumHolds(reply));
    // After the JSR, INCA and BRA alternate: 100 000 of the 199 999 are INCA.
    EXPECT_EQ(regsOfReply(reply).a, uint8_t(100000 & 0xFF));
    EXPECT_EQ(regsOfReply(reply).sp, 0xFFFE);  // the JSR's return address is still on the stack
}

TEST(BoardLimits, ClockHzPacesAFreeRun)
{
    // LDX #$1000; DEX; BNE back (6 cycles a round); LDAA #'!'; STAA SCDR;
    // BRA *: about 24 600 E cycles before the byte goes out.
    const std::vector<uint8_t> program{0xCE, 0x10, 0x00, 0x09, 0x26, 0xFD, 0x86, '!',
                                       0xB7, 0x10, 0x2F, 0x20, 0xFE};
    for (const char* hz : {"100000", "0"}) {
        BoardProcess board({"--baud", "0", "--clock-hz", hz});
        ASSERT_TRUE(board.started()) << board.error();
        BoardLine line(board.ptyPath());
        ASSERT_EQ(line.exchange(dataFrame('W', 0x2000, program), 1), std::vector<uint8_t>{Ack});
        const auto t0 = Clock::now();
        ASSERT_EQ(line.exchange(runFrame({}, 0x2000), 1), std::vector<uint8_t>{Ack});
        EXPECT_EQ(text(line.read(1, 3000)), "!");
        const auto ms = msSince(t0);
        if (std::string(hz) == "0") {
            EXPECT_LT(ms, 200) << "full speed";
        } else {
            EXPECT_GE(ms, 230) << "24 600 cycles at 100 kHz";
            EXPECT_LT(ms, 2000);
        }
    }
}

TEST(BoardPaced, LongestReadReplyFitsTheWindowAt38400)
{
    BoardProcess board({"--baud", "38400"});
    ASSERT_TRUE(board.started()) << board.error();
    BoardLine line(board.ptyPath());
    ASSERT_TRUE(line.isOpen());
    line.discard();
    const auto t0 = Clock::now();
    ASSERT_TRUE(line.send(readFrame(0x0000, 0)));
    const auto reply = line.read(258, 1000);
    const auto ms = msSince(t0);
    ASSERT_EQ(reply.size(), 258u);
    EXPECT_TRUE(checksumHolds(reply));
    EXPECT_GE(ms, 60);   // 258 bytes at 10 bits each take 67 ms
    EXPECT_LT(ms, 100);  // and fit the IDE's window
}

TEST(BoardCommandLine, ExitsOnStdinEofAndSignals)
{
    {
        BoardProcess b({"--baud", "0"});
        ASSERT_TRUE(b.started()) << b.error();
        b.closeStdin();
        EXPECT_EQ(b.waitExit(3000), 0);
    }
    for (int sig : {SIGTERM, SIGINT}) {
        BoardProcess b({"--baud", "0"});
        ASSERT_TRUE(b.started()) << b.error();
        ASSERT_TRUE(b.signal(sig));
        EXPECT_EQ(b.waitExit(3000), 0);
    }
    BoardProcess q({"--baud", "0"});
    ASSERT_TRUE(q.started());
    EXPECT_EQ(q.command("quit"), "bye");
    EXPECT_EQ(q.waitExit(3000), 0);
}

TEST(BoardCommandLine, HelpAndBadUsage)
{
    const std::string prog = BoardProcess::programPath();
    const auto run = [&](const std::string& args, std::string& out) {
        FILE* p = popen((prog + " " + args + " 2>&1 </dev/null").c_str(), "r");
        out.clear();
        if (!p)
            return -1;
        char buf[256];
        while (size_t n = fread(buf, 1, sizeof buf, p))
            out.append(buf, n);
        const int st = pclose(p);
        return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    };
    std::string out;
    EXPECT_EQ(run("--help", out), 0);
    EXPECT_NE(out.find("usage: zelk-board"), std::string::npos);
    EXPECT_NE(out.find("cts off"), std::string::npos);
    EXPECT_EQ(run("--baud fast", out), 2);
    EXPECT_NE(out.find("--baud takes a whole number"), std::string::npos) << out;
    EXPECT_EQ(run("--image /nonexistent/x.s19", out), 1);
    EXPECT_NE(out.find("cannot read"), std::string::npos) << out;

    // An image beyond the bound is refused like a bad argument, an endless
    // one included: the message comes first, before any pty is opened.
    char big[] = "/tmp/zelk-board-bigXXXXXX";
    const int fd = mkstemp(big);
    ASSERT_GE(fd, 0);
    const bool sized = ftruncate(fd, off_t(zelk::board::MaxImageBytes) + 1) == 0;
    close(fd);
    ASSERT_TRUE(sized);
    for (const std::string& image : {std::string(big), std::string("/dev/zero")}) {
        EXPECT_EQ(run("--image " + image, out), 2) << image;
        EXPECT_EQ(out.rfind("zelk-board: " + image + ": larger than 16 MB, not an S-record image\nusage: zelk-board", 0),
                  0u)
            << out;
    }
    unlink(big);
}

TEST(BoardCommandLine, ImagePreloadsMemory)
{
    char path[] = "/tmp/zelk-board-imageXXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    {
        std::ofstream f(path);
        // $E000: 86 12 (LDAA #$12), reset vector $E000; CR-only line ends too.
        f << "S0030000FC\r\nS1050000861262\rS105FFFEE0001D\nS9030000FC\n";
    }
    BoardProcess board({"--baud", "0", "--image", path});
    ASSERT_TRUE(board.started()) << board.error();
    BoardLine line(board.ptyPath());
    auto r = line.exchange(readFrame(0x0000, 2), 4);
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[1], 0x86);
    EXPECT_EQ(r[2], 0x12);
    r = line.exchange(readFrame(0xFFFE, 2), 4);
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[1], 0xE0);
    EXPECT_EQ(r[2], 0x00);
    unlink(path);
}

#ifdef AS11_PATH
TEST(BoardExample, SciEchoProgramRunsFromItsResetVector)
{
    char dir[] = "/tmp/zelk-board-exampleXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string base = std::string(dir) + "/sci_echo";
    ASSERT_EQ(std::system(("cp " EXAMPLES_DIR "/sci_echo.asm " + base + ".asm && " AS11_PATH " -q " + base +
                           ".asm >/dev/null 2>&1")
                              .c_str()),
              0);
    BoardProcess board({"--baud", "0", "--image", base + ".s19"});
    ASSERT_TRUE(board.started()) << board.error();
    BoardLine line(board.ptyPath());
    auto v = line.exchange(readFrame(0xFFFE, 2), 4);
    ASSERT_EQ(v.size(), 4u);
    const uint16_t start = uint16_t(v[1] << 8 | v[2]);
    EXPECT_EQ(start, 0xE000);
    ASSERT_EQ(line.exchange(runFrame({}, start), 1), std::vector<uint8_t>{Ack});
    EXPECT_EQ(text(line.read(17, 1000)), "HC11 echo ready\r\n");
    ASSERT_TRUE(line.send({'a', 'b', '1'}));
    EXPECT_EQ(text(line.read(3, 1000)), "AB1");
    EXPECT_EQ(board.command("reset"), "reset");
    EXPECT_EQ(text(line.read(3, 1000)), "BBB");
    std::system(("rm -rf " + std::string(dir)).c_str());
}
#endif
