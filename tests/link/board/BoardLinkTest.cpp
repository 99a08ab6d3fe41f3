// The board link end to end: the IDE's access layer, run control and the
// download over a real pseudo-terminal (QSerialPort) against zelk-board.
// Every access operation, an 8 KB download read back, Step Into over every
// instruction class compared with the simulator, Step Over, Step Out, Play,
// 10,000 random frames, and each fault the board can inject.
#include "BoardLinkSupport.h"

#include "Assembler.h"
#include "link/SRecordLoader.h"
#include "shell/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <random>

using namespace zelk;
using namespace zelk::test;

namespace {

using Bytes = std::vector<uint8_t>;

uint8_t pattern(int a) { return static_cast<uint8_t>(a * 37 + 11); }

TEST(BoardLink, EveryAccessOperation)
{
    BoardSession s;
    ASSERT_BOARD(s);
    AccessLayer& link = s.link;

    // OutBytes / InBytes / InByte / OutByte.
    Bytes data(16);
    for (int i = 0; i < 16; ++i)
        data[static_cast<size_t>(i)] = static_cast<uint8_t>(0xA0 + i);
    s.put(0x0100, data);
    EXPECT_EQ(s.get(0x0100, 16), data);
    uint8_t v = 0;
    link.InByte(0x0105, v);
    EXPECT_EQ(v, 0xA5);
    link.OutByte(0x0105, 0x3C);
    link.InByte(0x0105, v);
    EXPECT_EQ(v, 0x3C);

    // InCPU from the register save area.
    s.put(0x0000, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x01, 0xF0, 0xC4});
    link.InCPU();
    EXPECT_EQ(link.regs.A, 0x11);
    EXPECT_EQ(link.regs.B, 0x22);
    EXPECT_EQ(link.regs.IX, 0x3344);
    EXPECT_EQ(link.regs.IY, 0x5566);
    EXPECT_EQ(link.regs.SP, 0x01F0);
    EXPECT_EQ(link.regs.CCR, 0xC4);
    EXPECT_TRUE(link.regs.Z);

    // InMemory: 1,024 bytes in four frames.
    Bytes block(1024);
    for (int i = 0; i < 1024; ++i)
        block[static_cast<size_t>(i)] = pattern(i);
    for (int k = 0; k < 1024; k += 255)
        link.OutBytes(0x2000 + k, block.data() + k, std::min(255, 1024 - k));
    link.DisplayAddress = 0x2000;
    link.InMemory();
    EXPECT_TRUE(std::equal(block.begin(), block.end(), link.memoryBuffer.begin()));

    // InProgram: the code window.
    link.codeWindow.base = 0x2100;
    link.InProgram();
    EXPECT_TRUE(std::equal(block.begin() + 0x100, block.begin() + 0x200, link.codeWindow.bytes.begin()));

    // InStack at SP.
    link.regs.SP = 0x2010;
    link.InStack();
    EXPECT_TRUE(std::equal(link.stackBuffer.begin(), link.stackBuffer.end(), block.begin() + 0x10));

    // FlashErase, Programm (1 -> 0 only), InResetVector; a write cannot
    // change flash.
    link.FlashErase();
    ASSERT_TRUE(link.linkReady());
    EXPECT_EQ(s.get(0xE000, 4), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
    const uint8_t vec[2] = {0xE0, 0x00};
    link.Programm(0xFFFE, vec, 2);
    int32_t reset = 0;
    link.InResetVector(reset);
    EXPECT_EQ(reset, 0xE000);
    const uint8_t f0[1] = {0xF0}, x0f[1] = {0x0F};
    link.Programm(0xE100, f0, 1);
    link.Programm(0xE100, x0f, 1);
    link.InByte(0xE100, v);
    EXPECT_EQ(v, 0x00);
    link.OutByte(0xE200, 0x12);
    link.InByte(0xE200, v);
    EXPECT_EQ(v, 0xFF);

    EXPECT_TRUE(s.notifier.messages.empty());
    EXPECT_TRUE(link.linkReady());
}

// S-records of data at base, as the assembler writes them.
std::string s19Of(int32_t base, const std::vector<uint8_t>& data, int perRecord)
{
    return as11::formatSRecords({as11::Segment{static_cast<uint16_t>(base), data}}, static_cast<uint16_t>(base),
                                "test", static_cast<size_t>(perRecord));
}

TEST(BoardLink, FullFlashDownloadReadsBack)
{
    BoardSession s;
    ASSERT_BOARD(s);
    std::mt19937 rng(14);
    Bytes flash(0x2000);
    for (auto& b : flash)
        b = static_cast<uint8_t>(rng());
    flash[0x1FFE] = 0xE1;  // reset vector $E123
    flash[0x1FFF] = 0x23;
    const DownloadResult r = DownloadText(s.link, s19Of(0xE000, flash, 32));
    ASSERT_TRUE(r.downloadOK);
    EXPECT_EQ(r.records, 256);
    EXPECT_EQ(r.bytes, 0x2000);
    EXPECT_EQ(s.link.regs.PC, 0xE123);
    const Bytes back = s.get(0xE000, 0x2000);
    ASSERT_EQ(back.size(), flash.size());
    int mismatched = 0;
    for (size_t i = 0; i < back.size(); ++i)
        mismatched += back[i] != flash[i];
    EXPECT_EQ(mismatched, 0);
    EXPECT_TRUE(s.notifier.messages.empty());
    std::printf("[ figures  ] download: %llu frames, %d bytes mismatched\n",
                static_cast<unsigned long long>(s.board.counters().frames), mismatched);
}

// One Step Into on the board and in the simulator from the same state must
// leave the same registers, PC and memory.
struct StepCase {
    const char* name;
    Bytes code;
    // Register changes from the common start, as (field, value) pairs.
    int a = -1, b = -1, ix = -1, iy = -1, sp = -1, ccr = -1;
};

const StepCase kStepCases[] = {
    {"LDAA imm", {0x86, 0x80}},
    {"LDAB dir", {0xD6, 0x90}},
    {"LDX ext", {0xFE, 0x00, 0x92}},
    {"STAA dir", {0x97, 0xA0}},
    {"STD dir", {0xDD, 0xA2}},
    {"ADDA imm overflow", {0x8B, 0x7F}, 0x01},
    {"SUBB borrow", {0xC0, 0x01}, -1, 0x00},
    {"ADCA carry in", {0x89, 0x01}, -1, -1, -1, -1, -1, 0xD1},
    {"MUL", {0x3D}},
    {"IDIV", {0x02}, 0x00, 100, 7},
    {"ANDA", {0x84, 0x0F}},
    {"EORB dir", {0xD8, 0x91}},
    {"COM ext", {0x73, 0x00, 0xA4}},
    {"ASLA", {0x48}},
    {"RORB", {0x56}},
    {"NEGA", {0x40}},
    {"ADDD imm", {0xC3, 0x12, 0x34}},
    {"LSRD", {0x04}},
    {"XGDX", {0x8F}},
    {"DAA", {0x19}, 0x9A},
    {"CBA", {0x11}},
    {"TST ext", {0x7D, 0x00, 0x90}},
    {"CLR ext", {0x7F, 0x00, 0xAC}},
    {"PSHA", {0x36}},
    {"PULB", {0x33}},
    {"TSX", {0x30}},
    {"INS", {0x31}},
    {"ABX", {0x3A}},
    {"INX", {0x08}},
    {"INY", {0x18, 0x08}},
    {"SEC", {0x0D}},
    {"CLI", {0x0E}},
    {"TAP", {0x06}, 0x05},
    {"TPA", {0x07}},
    {"NOP", {0x01}},
    {"BSET dir", {0x14, 0xA6, 0x81}},
    {"BCLR ind,X", {0x1D, 0x02, 0x01}},
    {"STX ind,X", {0xEF, 0x00}},
    {"STY ind,Y", {0x18, 0xEF, 0x00}, -1, -1, -1, 0x00AA},
    {"LDY imm", {0x18, 0xCE, 0x12, 0x34}},
    {"CPD imm", {0x1A, 0x83, 0x12, 0x34}},
    {"LDX ind,Y", {0xCD, 0xEE, 0x00}},
    {"BEQ taken", {0x27, 0x10}, -1, -1, -1, -1, -1, 0xD4},
    {"BEQ not taken", {0x27, 0x10}},
    {"BRSET dir not taken", {0x12, 0x90, 0x01, 0x10}},
    {"BRSET dir taken", {0x12, 0x90, 0x00, 0x10}},
    {"BRSET ind,Y not taken (five bytes)", {0x18, 0x1E, 0x00, 0x01, 0x10}},
    {"BRCLR ind,Y taken (five bytes)", {0x18, 0x1F, 0x00, 0x01, 0x10}},
    {"JMP ext", {0x7E, 0x21, 0x00}},
    {"JSR ext", {0xBD, 0x21, 0x00}},
    {"BSR", {0x8D, 0x10}},
    {"RTS", {0x39}},
    {"RTI", {0x3B}},
};

void startState(CpuRegisters& r, const StepCase& c)
{
    r = CpuRegisters{};
    r.A = c.a >= 0 ? static_cast<uint8_t>(c.a) : 0x12;
    r.B = c.b >= 0 ? static_cast<uint8_t>(c.b) : 0x34;
    r.IX = c.ix >= 0 ? c.ix : 0x00A8;
    r.IY = c.iy >= 0 ? c.iy : 0x0090;
    r.SP = c.sp >= 0 ? c.sp : 0x01F0;
    r.CCR = static_cast<uint8_t>(c.ccr >= 0 ? c.ccr : 0xD0);
    r.unpackCCR();
    r.PC = 0x2000;
}

TEST(BoardLink, StepIntoMatchesTheSimulatorForEveryInstructionClass)
{
    BoardSession s;
    ASSERT_BOARD(s);
    RecordingNotifier simNotes;
    AccessLayer sim(&simNotes);
    BreakpointTable simBreaks;
    ExecutionControl simControl(sim, simBreaks);

    // $0090 = 0 so that the bit branches' outcome is known; the rest a pattern.
    Bytes low(0x40), stack(0x20);
    for (int i = 0; i < 0x40; ++i)
        low[static_cast<size_t>(i)] = i == 0x10 ? 0 : pattern(0x80 + i);
    for (int i = 0; i < 0x20; ++i)
        stack[static_cast<size_t>(i)] = pattern(0x1E0 + i);

    for (const StepCase& c : kStepCases) {
        SCOPED_TRACE(c.name);
        s.put(0x0080, low);
        s.put(0x01E0, stack);
        std::copy(low.begin(), low.end(), sim.image() + 0x80);
        std::copy(stack.begin(), stack.end(), sim.image() + 0x1E0);
        Bytes code = c.code;
        code.resize(8, 0x01);
        s.put(0x2000, code);
        std::copy(code.begin(), code.end(), sim.image() + 0x2000);

        startState(s.link.regs, c);
        startState(sim.regs, c);
        uint8_t area[9];
        s.link.regs.storeSaveArea(area);
        s.put(0x0000, Bytes(area, area + 9));
        std::copy(area, area + 9, sim.image());

        const bool boardDone = s.control.StepInto();
        const bool simDone = simControl.StepInto();
        ASSERT_TRUE(boardDone) << (s.notifier.messages.empty() ? std::string("no message") : s.notifier.messages[0].text);
        ASSERT_TRUE(simDone);
        ASSERT_TRUE(s.notifier.messages.empty()) << s.notifier.messages[0].text;

        const CpuRegisters& br = s.link.regs;
        const CpuRegisters& sr = sim.regs;
        EXPECT_EQ(br.PC, sr.PC);
        EXPECT_EQ(br.A, sr.A);
        EXPECT_EQ(br.B, sr.B);
        EXPECT_EQ(br.IX, sr.IX);
        EXPECT_EQ(br.IY, sr.IY);
        EXPECT_EQ(br.SP, sr.SP);
        EXPECT_EQ(br.CCR, sr.CCR);
        EXPECT_EQ(s.get(0x0080, 0x40), Bytes(sim.image() + 0x80, sim.image() + 0xC0));
        EXPECT_EQ(s.get(0x01F0, 0x10), Bytes(sim.image() + 0x1F0, sim.image() + 0x200));
        // The board's own save area holds the registers the record shows.
        s.link.InCPU();
        EXPECT_EQ(s.link.regs.SP, sr.SP);
    }
}

// $2000: JSR $2100; NOP.  $2100: LDAA #$55; INCA; RTS.
void putCallProgram(BoardSession& s)
{
    s.put(0x2000, {0xBD, 0x21, 0x00, 0x01});
    s.put(0x2100, {0x86, 0x55, 0x4C, 0x39});
    s.link.regs.A = 0;
    s.link.regs.SP = 0x01F0;
    s.link.regs.PC = 0x2000;
}

TEST(BoardLink, StepOverRunsTheCallOnTheBoard)
{
    BoardSession s;
    ASSERT_BOARD(s);
    putCallProgram(s);
    s.control.StepOver();
    EXPECT_EQ(s.link.regs.PC, 0x2003);
    EXPECT_EQ(s.link.regs.A, 0x56);
    EXPECT_EQ(s.link.regs.SP, 0x01F0);
    EXPECT_TRUE(s.link.linkReady());
    EXPECT_EQ(s.hooks.freeze, 1);
    EXPECT_EQ(s.hooks.thaw, 1);
    EXPECT_TRUE(s.notifier.messages.empty());
}

TEST(BoardLink, StepOutReturnsToTheCaller)
{
    BoardSession s;
    ASSERT_BOARD(s);
    putCallProgram(s);
    ASSERT_TRUE(s.control.StepInto());  // the IDE does the JSR
    EXPECT_EQ(s.link.regs.PC, 0x2100);
    EXPECT_EQ(s.link.regs.SP, 0x01EE);
    ASSERT_TRUE(s.control.StepInto());  // LDAA #$55 on the board
    s.control.StepOut();
    EXPECT_EQ(s.link.regs.PC, 0x2003);
    EXPECT_EQ(s.link.regs.A, 0x56);
    EXPECT_EQ(s.link.regs.SP, 0x01F0);
    EXPECT_TRUE(s.notifier.messages.empty());
}

TEST(BoardLink, PlayStopsAtABreakpoint)
{
    BoardSession s;
    ASSERT_BOARD(s);
    // $2000: LDAA #0; loop: INCA; CMPA #5; BNE loop; NOP
    s.put(0x2000, {0x86, 0x00, 0x4C, 0x81, 0x05, 0x26, 0xFB, 0x01, 0x01});
    s.link.regs.PC = 0x2000;
    s.link.regs.SP = 0x01F0;
    s.breakpoints.append(0x2007);
    const StopReason r = s.control.Play();
    EXPECT_EQ(r, StopReason::Breakpoint);
    EXPECT_EQ(s.link.regs.PC, 0x2007);
    EXPECT_EQ(s.link.regs.A, 5);
    EXPECT_EQ(s.breakpoints.count(), 1);
    EXPECT_TRUE(s.notifier.messages.empty());
}

TEST(BoardLink, AnimateStepsToABreakpoint)
{
    BoardSession s;
    ASSERT_BOARD(s);
    // $2000: LDAB #3; loop: DECB; BNE loop; NOP
    s.put(0x2000, {0xC6, 0x03, 0x5A, 0x26, 0xFD, 0x01});
    s.link.regs.PC = 0x2000;
    s.breakpoints.append(0x2005);
    const StopReason r = s.control.Animate({}, 1);
    EXPECT_EQ(r, StopReason::Breakpoint);
    EXPECT_EQ(s.link.regs.PC, 0x2005);
    EXPECT_EQ(s.link.regs.B, 0);
    EXPECT_GE(s.hooks.refresh, 7);  // every Animate step refreshes the windows
    EXPECT_TRUE(s.notifier.messages.empty());
}

TEST(BoardLink, ResetEndsAStepOverThatNeverReturns)
{
    BoardSession s({"--baud", "0", "--step-limit", "2000000000"});
    ASSERT_BOARD(s);
    // $2000: JSR $2100.  $2100: BRA * (the subroutine never returns).
    s.put(0x2000, {0xBD, 0x21, 0x00});
    s.put(0x2100, {0x20, 0xFE});
    s.link.regs.PC = 0x2000;
    s.link.regs.SP = 0x01F0;
    // The wait lets events run: a timer resets the board meanwhile.
    bool resetSent = false;
    s.hooks.onEvents = nullptr;
    QTimer::singleShot(300, [&] { resetSent = !s.process.command("reset").empty(); });
    s.control.StepOver();
    EXPECT_TRUE(resetSent);
    EXPECT_FALSE(s.link.linkReady());
    ASSERT_EQ(s.notifier.messages.size(), 1u);
    EXPECT_EQ(s.notifier.messages[0].text, "No Response from M68HC11 Board !");
    // The notice waits for the port's notification handler.
    const std::vector<uint8_t> waiting = s.port.peek();
    EXPECT_TRUE(board::endsWithResetNotice(waiting.data(), waiting.size()));
    // The board answers again.
    s.notifier.messages.clear();
    uint8_t v = 0;
    s.link.InByte(0x2100, v);
    EXPECT_EQ(v, 0x20);
    EXPECT_TRUE(s.notifier.messages.empty());
}

TEST(BoardLink, TenThousandRandomFramesLoseNothing)
{
    BoardSession s;
    ASSERT_BOARD(s);
    std::mt19937 rng(1414);
    // RAM from $2000 to $7FFF mirrored here (the register block and the
    // save area stay out of it).
    std::vector<uint8_t> mirror(0x6000);
    for (int k = 0; k < 0x6000; k += 255) {
        const int n = std::min(255, 0x6000 - k);
        for (int i = 0; i < n; ++i)
            mirror[static_cast<size_t>(k + i)] = pattern(k + i);
        s.link.OutBytes(0x2000 + k, mirror.data() + k, n);
    }
    const uint64_t framesBefore = s.board.counters().frames;
    int mismatched = 0, frames = 0;
    for (; frames < 10000; ++frames) {
        const int count = 1 + static_cast<int>(rng() % 64);
        const int offset = static_cast<int>(rng() % static_cast<unsigned>(0x6000 - count));
        if (rng() & 1) {
            Bytes data(static_cast<size_t>(count));
            for (auto& b : data)
                b = static_cast<uint8_t>(rng());
            s.link.OutBytes(0x2000 + offset, data, count);
            std::copy(data.begin(), data.end(), mirror.begin() + offset);
        } else {
            const Bytes got = s.get(0x2000 + offset, count);
            ASSERT_EQ(got.size(), static_cast<size_t>(count));
            for (int i = 0; i < count; ++i)
                mismatched += got[static_cast<size_t>(i)] != mirror[static_cast<size_t>(offset + i)];
        }
        ASSERT_TRUE(s.link.linkReady()) << "frame " << frames;
    }
    EXPECT_EQ(mismatched, 0);
    EXPECT_TRUE(s.notifier.messages.empty());
    std::printf("[ figures  ] random: %llu frames, %d bytes mismatched\n",
                static_cast<unsigned long long>(s.board.counters().frames - framesBefore), mismatched);
}

struct FaultCase {
    const char* command;   // zelk-board's stdin command
    const char* operation; // what the IDE does next
    const char* message;   // "" = the exchange must succeed
};

const FaultCase kFaults[] = {
    {"fault drop", "read", "No Response from M68HC11 Board !"},
    {"fault corrupt", "read", "Invalid Data from M68HC11 Board !"},
    {"fault late", "step", "No Response from M68HC11 Board !"},
    {"fault split", "read", ""},
    {"fault nak-erase", "erase", "Erasing Flash failed!"},
    {"cts off", "read", "No Response from M68HC11 Board !"},
};

TEST(BoardLink, EveryInjectedFaultIsReportedOnceAndChangesNothing)
{
    BoardSession s;
    ASSERT_BOARD(s);
    Bytes ram(64);
    for (int i = 0; i < 64; ++i)
        ram[static_cast<size_t>(i)] = pattern(i);
    s.put(0x3000, ram);
    s.put(0x2000, {0x86, 0x77, 0x01, 0x01});  // LDAA #$77
    s.breakpoints.append(0x2222);
    int injected = 0, reported = 0;
    for (const FaultCase& f : kFaults) {
        SCOPED_TRACE(f.command);
        s.notifier.messages.clear();
        ASSERT_FALSE(s.process.command(f.command).empty());
        ++injected;
        s.link.regs.PC = 0x2000;
        s.link.regs.A = 0x10;
        s.link.regs.SP = 0x01F0;
        std::vector<uint8_t> got{1, 2, 3};
        const std::string op = f.operation;
        if (op == "read") {
            s.link.InBytes(0x3000, got, 64);
        } else if (op == "step") {
            s.control.StepInto();
        } else {
            s.link.FlashErase();
        }
        if (std::string(f.message).empty()) {
            EXPECT_TRUE(s.notifier.messages.empty());
            EXPECT_EQ(got, ram);
        } else {
            ASSERT_EQ(s.notifier.messages.size(), 1u);
            ++reported;
            EXPECT_EQ(s.notifier.messages[0].text, f.message);
            EXPECT_FALSE(s.link.linkReady());
            if (op == "read") {
                EXPECT_EQ(got, (Bytes{1, 2, 3}));
            }
            EXPECT_EQ(s.link.regs.A, 0x10);  // the register record is untouched
        }
        if (std::string(f.command) == "cts off") {
            ASSERT_FALSE(s.process.command("cts on").empty());
        }
        // Let a late reply come and go, then the next operation works and
        // the board's memory and the breakpoints are as they were.
        s.port.waitFor(1 << 20, 300, false);
        s.notifier.messages.clear();
        EXPECT_EQ(s.get(0x3000, 64), ram);
        EXPECT_TRUE(s.link.linkReady());
        EXPECT_TRUE(s.notifier.messages.empty());
        EXPECT_EQ(s.breakpoints.count(), 1);
    }
    std::printf("[ figures  ] faults: %d injected, %d reported (one is a split reply that must pass)\n", injected,
                reported);
}

TEST(BoardLink, ClosedBoardLineIsNoResponseNotAHang)
{
    BoardSession s;
    ASSERT_BOARD(s);
    ASSERT_EQ(s.process.stop(), 0);
    uint8_t v = 0x5A;
    s.link.InByte(0x0000, v);
    EXPECT_EQ(v, 0x5A);
    EXPECT_FALSE(s.link.linkReady());
    ASSERT_EQ(s.notifier.messages.size(), 1u);
}

// The main window in board mode on zelk-board's line.
struct BoardWindow {
    explicit BoardWindow(BoardProcess& process)
    {
        qs = std::make_unique<QSettings>(dir.filePath("zelk.ini"), QSettings::IniFormat);
        qs->setValue("Settings/COMDevice", QString::fromStdString(process.ptyPath()));
        qs->setValue("Settings/SimEnabled", "0");
        qs->sync();
        store = std::make_unique<SettingsStore>(qs.get());
        main = std::make_unique<frmMain>(store.get());
        main->messageHook = [this](const QString& c, const QString& t, MessageIcon) { messages << c + "|" + t; };
        QObject::connect(main.get(), &frmMain::serialTerminalData,
                         [this](const QByteArray& b) { terminal += b; });
    }
    QString status() const { return main->panel(1)->text(); }
    // Lets events run until pred holds or ms pass.
    template <class Pred>
    bool waitUntil(Pred pred, int ms = 3000)
    {
        QElapsedTimer t;
        t.start();
        while (!pred() && t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return pred();
    }

    QTemporaryDir dir;
    std::unique_ptr<QSettings> qs;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<frmMain> main;
    QStringList messages;
    QByteArray terminal;
};

// $E000: LDAA #'A'; STAA SCDR; LDAA #'B'; STAA SCDR; LDAA #'C'; STAA SCDR;
// BRA *. Reset vector $E000.
void programPrinter(AccessLayer& link)
{
    link.FlashErase();
    const uint8_t prog[] = {0x86, 'A', 0xB7, 0x10, 0x2F, 0x86, 'B', 0xB7, 0x10, 0x2F,
                            0x86, 'C', 0xB7, 0x10, 0x2F, 0x20, 0xFE};
    link.Programm(0xE000, prog, sizeof prog);
    const uint8_t vec[2] = {0xE0, 0x00};
    link.Programm(0xFFFE, vec, 2);
}

TEST(BoardWindow, StartsReadyOnAPseudoTerminal)
{
    BoardProcess p({"--baud", "0"});
    ASSERT_TRUE(p.started()) << p.error();
    BoardWindow w(p);
    EXPECT_FALSE(w.main->portError());
    // A pty has no modem lines: that counts as CTS asserted.
    EXPECT_EQ(w.status(), QStringLiteral("HC11 Board: Ready"));
    uint8_t v = 0;
    w.main->access().InByte(0x0000, v);
    EXPECT_TRUE(w.main->access().linkReady());
    EXPECT_TRUE(w.messages.isEmpty());
}

TEST(BoardWindow, RunThenResetNotice)
{
    BoardProcess p({"--baud", "38400"});
    ASSERT_TRUE(p.started()) << p.error();
    BoardWindow w(p);
    AccessLayer& link = w.main->access();
    programPrinter(link);
    ASSERT_TRUE(link.linkReady());
    w.main->menuItem("mnuViewSerialTerminal")->setChecked(true);
    link.regs.PC = 0xE000;
    link.regs.SP = 0x00FF;
    w.main->RunHC11();
    ASSERT_TRUE(link.boardRunning);
    EXPECT_EQ(w.status(), QStringLiteral("HC11 Board: Running ..."));
    // The program's output reaches the terminal (three bytes: below the
    // notification threshold, so tmrComm collects them).
    ASSERT_TRUE(w.waitUntil([&] { return w.terminal.size() >= 3; })) << w.terminal.toStdString();
    link.regs.PC = 0x1234;
    ASSERT_FALSE(p.command("reset").empty());
    ASSERT_TRUE(w.waitUntil([&] { return !link.boardRunning; }));
    EXPECT_EQ(w.status(), QStringLiteral("HC11 Board: Ready (Reset)"));
    EXPECT_EQ(link.regs.PC, 0xE000);  // from the reset vector
    EXPECT_EQ(w.terminal, QByteArray("ABC"));
    EXPECT_TRUE(w.messages.isEmpty()) << w.messages.join(";").toStdString();
    EXPECT_TRUE(w.main->menuItem("mnuRunStepInto")->isEnabled());
}

TEST(BoardWindow, OutputAndResetInOneBlock)
{
    BoardProcess p({"--baud", "0"});
    ASSERT_TRUE(p.started()) << p.error();
    BoardWindow w(p);
    AccessLayer& link = w.main->access();
    programPrinter(link);
    w.main->menuItem("mnuViewSerialTerminal")->setChecked(true);
    link.regs.PC = 0xE000;
    link.regs.SP = 0x00FF;
    w.main->RunHC11();
    ASSERT_TRUE(link.boardRunning);
    // Reset at once: "ABC" and "BBB" arrive together, before any event runs.
    ASSERT_FALSE(p.command("reset").empty());
    ASSERT_TRUE(w.waitUntil([&] { return !link.boardRunning; }));
    EXPECT_EQ(w.terminal, QByteArray("ABC"));
    EXPECT_EQ(w.status(), QStringLiteral("HC11 Board: Ready (Reset)"));
    EXPECT_EQ(link.regs.PC, 0xE000);
}

TEST(BoardWindow, ResetWhileIdleIsAnnounced)
{
    BoardProcess p({"--baud", "0"});
    ASSERT_TRUE(p.started()) << p.error();
    BoardWindow w(p);
    programPrinter(w.main->access());
    ASSERT_FALSE(p.command("reset").empty());
    ASSERT_TRUE(w.waitUntil([&] { return w.status() == QStringLiteral("HC11 Board: Ready (Reset)"); }));
    EXPECT_EQ(w.main->access().regs.PC, 0xE000);
    EXPECT_TRUE(w.terminal.isEmpty());
}

TEST(BoardWindow, SilentBoardIsNotResponding)
{
    BoardProcess p({"--baud", "0"});
    ASSERT_TRUE(p.started()) << p.error();
    BoardWindow w(p);
    ASSERT_FALSE(p.command("cts off").empty());
    uint8_t v = 0x33;
    w.main->access().InByte(0x0000, v);
    EXPECT_EQ(v, 0x33);
    EXPECT_EQ(w.messages, QStringList{"Tarvine - Communication Error|No Response from M68HC11 Board !"});
    EXPECT_EQ(w.status(), QStringLiteral("HC11 Board: Not Responding !"));
    ASSERT_FALSE(p.command("cts on").empty());
    w.main->access().InByte(0x0000, v);
    EXPECT_EQ(w.status(), QStringLiteral("HC11 Board: Ready"));
}

TEST(BoardWindow, MissingDeviceIsAPortError)
{
    BoardProcess p({"--baud", "0"});
    ASSERT_TRUE(p.started()) << p.error();
    BoardWindow w(p);
    w.main->usePortDevice(QStringLiteral("/nonexistent/zelk-no-port"));
    EXPECT_TRUE(w.main->portError());
    EXPECT_EQ(w.status(), QStringLiteral("HC11 Board: Communication Port Error !"));
    uint8_t v = 0;
    w.main->access().InByte(0, v);
    ASSERT_EQ(w.messages.size(), 1);
    EXPECT_TRUE(w.messages[0].startsWith("Tarvine - Communication Error|"));
    EXPECT_TRUE(w.messages[0].endsWith(" !"));
    // Back on the board's line, the next operation works.
    w.messages.clear();
    w.main->usePortDevice(QString::fromStdString(p.ptyPath()));
    w.main->access().InByte(0, v);
    EXPECT_TRUE(w.main->access().linkReady());
    EXPECT_TRUE(w.messages.isEmpty());
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
