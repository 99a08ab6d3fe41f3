// The access layer in simulator mode (memory image, Korvex's memory events
// with the I/O unit's rules) and its board-mode behaviour over a fake board.
#include "LinkTestSupport.h"

#include "link/AccessLayer.h"

#include <gtest/gtest.h>

#include <map>

using namespace zelk;
using namespace zelk::test;

namespace {

class AccessLayerTest : public ::testing::Test {
protected:
    AccessLayerTest() : link(&notifier, &hooks) { link.setIoUnit(&io); }

    // Executes one instruction through Korvex with the access layer's
    // registers, as a step does.
    void execute(std::initializer_list<uint8_t> bytes)
    {
        uint8_t instr[5] = {1, 1, 1, 1, 1};
        int i = 0;
        for (uint8_t b : bytes)
            instr[i++] = b;
        link.simulator().step(link.regs, instr, StepKind::StepInto);
    }

    RecordingNotifier notifier;
    CountingHooks hooks;
    LoggingIoUnit io;
    AccessLayer link;
};

TEST_F(AccessLayerTest, InCpuAtStartGivesZeroRegistersAndFlags)
{
    link.regs.A = 7;
    link.regs.Z = true;
    link.InCPU();
    EXPECT_EQ(link.regs.A, 0);
    EXPECT_EQ(link.regs.B, 0);
    EXPECT_EQ(link.regs.IX, 0);
    EXPECT_EQ(link.regs.IY, 0);
    EXPECT_EQ(link.regs.SP, 0);
    EXPECT_EQ(link.regs.CCR, 0);
    EXPECT_FALSE(link.regs.C || link.regs.V || link.regs.Z || link.regs.N || link.regs.I || link.regs.H ||
                 link.regs.X || link.regs.S);
    EXPECT_TRUE(link.linkReady());
    EXPECT_EQ(hooks.boardStatus, 1);
}

TEST_F(AccessLayerTest, InCpuReadsTheSaveAreaBigEndianAndLeavesPC)
{
    const uint8_t area[9] = {0x12, 0x34, 0xAB, 0xCD, 0x01, 0x02, 0x00, 0xFF, 0x85};
    std::copy(area, area + 9, link.image());
    link.regs.PC = 0xC123;
    link.InCPU();
    EXPECT_EQ(link.regs.A, 0x12);
    EXPECT_EQ(link.regs.B, 0x34);
    EXPECT_EQ(link.regs.IX, 0xABCD);
    EXPECT_EQ(link.regs.IY, 0x0102);
    EXPECT_EQ(link.regs.SP, 0x00FF);
    EXPECT_EQ(link.regs.CCR, 0x85);
    EXPECT_TRUE(link.regs.C);
    EXPECT_TRUE(link.regs.Z);
    EXPECT_TRUE(link.regs.S);
    EXPECT_FALSE(link.regs.N);
    EXPECT_EQ(link.regs.PC, 0xC123);
}

TEST_F(AccessLayerTest, InBytesWrapsAtTheTopOfMemory)
{
    link.image()[0xFFFF] = 0x11;
    link.image()[0x0000] = 0x22;
    std::vector<uint8_t> buffer{9, 9, 9, 9};
    link.InBytes(0xFFFF, buffer, 2);
    ASSERT_EQ(buffer.size(), 2u);
    EXPECT_EQ(buffer[0], 0x11);
    EXPECT_EQ(buffer[1], 0x22);
    link.InBytes(0x1000, buffer, 0);
    EXPECT_TRUE(buffer.empty());
}

TEST_F(AccessLayerTest, InByteReadsOneByte)
{
    link.image()[0x1234] = 0x5A;
    uint8_t v = 0;
    link.InByte(0x1234, v);
    EXPECT_EQ(v, 0x5A);
}

TEST_F(AccessLayerTest, InResetVectorReadsFFFE)
{
    link.image()[0xFFFE] = 0xE0;
    link.image()[0xFFFF] = 0x00;
    int32_t v = -1;
    link.InResetVector(v);
    EXPECT_EQ(v, 0xE000);
}

TEST_F(AccessLayerTest, OutBytesDoesNothingWhileTheLinkIsNotReady)
{
    link.setLinkReady(false);
    const uint8_t data[2] = {1, 2};
    link.OutBytes(0x2000, data, 2);
    EXPECT_EQ(link.image()[0x2000], 0);
    EXPECT_TRUE(notifier.messages.empty());
    EXPECT_EQ(hooks.boardStatus, 0);
    link.setLinkReady(true);
    link.OutBytes(0x2000, data, 2);
    EXPECT_EQ(link.image()[0x2001], 2);
}

TEST_F(AccessLayerTest, OutBytesWraps)
{
    const uint8_t data[3] = {7, 8, 9};
    link.OutBytes(0xFFFE, data, 3);
    EXPECT_EQ(link.image()[0xFFFE], 7);
    EXPECT_EQ(link.image()[0xFFFF], 8);
    EXPECT_EQ(link.image()[0x0000], 9);
}

TEST_F(AccessLayerTest, FlashEraseSetsExactlyTheProgramArea)
{
    link.image()[0xDFFF] = 0x12;
    link.image()[0xE000] = 0x34;
    hooks.boardStatus = 0;
    link.FlashErase();
    EXPECT_EQ(link.image()[0xDFFF], 0x12);
    for (int a = 0xE000; a <= 0xFFFF; ++a)
        ASSERT_EQ(link.image()[a], 0xFF) << std::hex << a;
    EXPECT_EQ(hooks.boardStatus, 0);
    EXPECT_TRUE(link.linkReady());
}

TEST_F(AccessLayerTest, InMemoryWrapsPastTheTop)
{
    link.image()[0xFFFF] = 0x33;
    link.image()[0x0000] = 0x44;
    link.image()[0x01FF] = 0x55;
    link.DisplayAddress = 0xFE00;
    link.InMemory();
    EXPECT_EQ(link.memoryBuffer[0x1FF], 0x33);
    EXPECT_EQ(link.memoryBuffer[0x200], 0x44);
    EXPECT_EQ(link.memoryBuffer[0x3FF], 0x55);
}

TEST_F(AccessLayerTest, InStackReadsTenBytesFromSP)
{
    for (int i = 0; i < 10; ++i)
        link.image()[(0xFFFA + i) & 0xFFFF] = static_cast<uint8_t>(0xA0 + i);
    link.regs.SP = 0xFFFA;
    link.InStack();
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(link.stackBuffer[static_cast<size_t>(i)], 0xA0 + i);
}

TEST_F(AccessLayerTest, InProgramFillsTheCodeWindowFromItsBase)
{
    link.image()[0xFFFF] = 0x86;
    link.image()[0x0000] = 0x12;
    link.codeWindow.base = 0xFFF0;
    link.InProgram();
    EXPECT_EQ(link.codeWindow.at(0xFFFF), 0x86);
    EXPECT_EQ(link.codeWindow.bytes[16], 0x12);
}

TEST_F(AccessLayerTest, ProgrammWritesAndWraps)
{
    const uint8_t data[2] = {0xAA, 0xBB};
    link.Programm(0xFFFF, data, 2);
    EXPECT_EQ(link.image()[0xFFFF], 0xAA);
    EXPECT_EQ(link.image()[0x0000], 0xBB);
}

TEST_F(AccessLayerTest, FillRegisterImageCopiesTheRegisterBlock)
{
    link.image()[0x1000] = 1;
    link.image()[0x103F] = 2;
    link.image()[0x1040] = 3;
    link.fillRegisterImage();
    EXPECT_EQ(link.registerImage[0], 1);
    EXPECT_EQ(link.registerImage[63], 2);
}

struct OutByteIoCase {
    int32_t address;
    const char* call;
};

class OutByteIoTest : public AccessLayerTest, public ::testing::WithParamInterface<OutByteIoCase> {};

TEST_P(OutByteIoTest, TellsTheUnitWhetherShownOrNot)
{
    for (bool active : {false, true}) {
        io.log.clear();
        link.setIoActive(active);
        link.OutByte(GetParam().address, 65);
        ASSERT_EQ(io.log.size(), 1u);
        EXPECT_EQ(io.log[0], std::string(GetParam().call) + " 65");
        EXPECT_EQ(link.image()[GetParam().address], 65);
    }
}

INSTANTIATE_TEST_SUITE_P(Registers, OutByteIoTest, ::testing::Values(
    OutByteIoCase{0x6000, "InFresh"}, OutByteIoCase{0x6001, "InData"},
    OutByteIoCase{0x6002, "OutFresh"}, OutByteIoCase{0x6003, "OutData"}));

TEST_F(AccessLayerTest, OutByteAboveTheTopWrapsBeforeTellingTheUnit)
{
    link.OutByte(0x16003, 66);
    ASSERT_EQ(io.log.size(), 1u);
    EXPECT_EQ(io.log[0], "OutData 66");
    EXPECT_EQ(link.image()[0x6003], 66);
}

TEST_F(AccessLayerTest, OutByteOfTheOutputRegisterLeavesDataReady)
{
    link.setIoActive(true);
    link.OutByte(0x6003, 9);
    EXPECT_EQ(link.image()[0x6002], 0);
    link.OutByte(0x6004, 9);
    EXPECT_EQ(io.log.size(), 1u);
}

TEST_F(AccessLayerTest, ProgramReadOfInputConsumesItWhileTheUnitIsShown)
{
    link.image()[0x6000] = 1;
    link.image()[0x6001] = 0x42;
    link.setIoActive(true);
    execute({0xB6, 0x60, 0x01});  // LDAA $6001
    EXPECT_EQ(link.regs.A, 0x42);
    EXPECT_EQ(link.image()[0x6000], 0);
    ASSERT_EQ(io.log.size(), 1u);
    EXPECT_EQ(io.log[0], "InFresh 0");
}

TEST_F(AccessLayerTest, ProgramReadOfInputLeavesPendingWhileTheUnitIsHidden)
{
    link.image()[0x6000] = 1;
    link.image()[0x6001] = 0x42;
    execute({0xB6, 0x60, 0x01});
    EXPECT_EQ(link.regs.A, 0x42);
    EXPECT_EQ(link.image()[0x6000], 1);
    EXPECT_TRUE(io.log.empty());
}

TEST_F(AccessLayerTest, ProgramWriteOfOutputSetsDataReadyWhileShown)
{
    link.setIoActive(true);
    link.regs.A = 0x37;
    execute({0xB7, 0x60, 0x03});  // STAA $6003
    EXPECT_EQ(link.image()[0x6003], 0x37);
    EXPECT_EQ(link.image()[0x6002], 1);
    ASSERT_EQ(io.log.size(), 2u);
    EXPECT_EQ(io.log[0], "OutData 55");
    EXPECT_EQ(io.log[1], "OutFresh 1");
}

TEST_F(AccessLayerTest, ProgramWriteOfOutputIsPlainMemoryWhileHidden)
{
    link.regs.A = 0x37;
    execute({0xB7, 0x60, 0x03});
    EXPECT_EQ(link.image()[0x6003], 0x37);
    EXPECT_EQ(link.image()[0x6002], 0);
    EXPECT_TRUE(io.log.empty());
}

TEST_F(AccessLayerTest, SimulatedStepWritesTheSaveArea)
{
    link.regs.SP = 0x00FF;
    execute({0xCE, 0x12, 0x34});  // LDX #$1234
    execute({0x18, 0xCE, 0xAB, 0xCD});  // LDY #$ABCD
    execute({0xC6, 0x80});  // LDAB #$80 (N set)
    const uint8_t expected[9] = {0x00, 0x80, 0x12, 0x34, 0xAB, 0xCD, 0x00, 0xFF, 0x08};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(link.image()[i], expected[i]) << i;
    EXPECT_TRUE(link.regs.N);
    EXPECT_FALSE(link.regs.Z);
}

TEST_F(AccessLayerTest, IndexedAccessBeyondTheTopWrapsInsideTheImage)
{
    link.image()[0x0000] = 0x99;
    link.image()[0x000F] = 0x3C;
    link.regs.IX = 0xFFFF;
    execute({0xE6, 0x10});  // LDAB $10,X: $1000F on a 16-bit bus is $000F
    EXPECT_EQ(link.regs.B, 0x3C);
    link.regs.B = 0x81;
    execute({0xE7, 0x20});  // STAB $20,X: $1001F is $001F
    EXPECT_EQ(link.image()[0x001F], 0x81);
}

// ---- Board mode ------------------------------------------------------------

// A board that answers from its own memory and can be told to fail the
// n-th read.
class FakeBoard : public Target {
public:
    TargetMode mode() const override { return TargetMode::Board; }
    bool findBoard() override { return attached; }
    bool read(int32_t address, uint8_t* out, int count, bool) override
    {
        reads.push_back(address);
        if (static_cast<int>(reads.size()) == failRead)
            return false;
        for (int i = 0; i < count; ++i)
            out[i] = mem[(address + i) & 0xFFFF];
        return true;
    }
    bool write(int32_t address, const uint8_t* data, int count) override
    {
        for (int i = 0; i < count; ++i)
            mem[(address + i) & 0xFFFF] = data[i];
        return true;
    }
    bool program(int32_t a, const uint8_t* d, int n) override { return write(a, d, n); }
    bool erase() override { return true; }
    bool step(CpuRegisters&, const uint8_t[5], StepKind) override { return false; }

    bool attached = true;
    int failRead = 0;
    std::vector<int32_t> reads;
    std::map<int32_t, uint8_t> mem;
};

TEST_F(AccessLayerTest, WithoutASerialPortEveryOperationReportsThePortError)
{
    link.setMode(TargetMode::Board);
    uint8_t v = 0x77;
    link.InByte(0x1000, v);
    EXPECT_EQ(v, 0x77);
    EXPECT_FALSE(link.linkReady());
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].caption, "Tarvine - Communication Error");
    EXPECT_EQ(notifier.messages[0].text, "No serial port is attached !");
    EXPECT_EQ(notifier.messages[0].icon, MessageIcon::Exclamation);
    // OutBytes does not look for the board: no second message.
    const uint8_t data[1] = {1};
    link.OutBytes(0x1000, data, 1);
    EXPECT_EQ(notifier.messages.size(), 1u);
    // Back to the simulator: the link is ready again, the image kept.
    link.image()[0x1000] = 5;
    link.setMode(TargetMode::Simulator);
    EXPECT_TRUE(link.linkReady());
    link.InByte(0x1000, v);
    EXPECT_EQ(v, 5);
}

TEST_F(AccessLayerTest, BoardInMemoryStopsAtTheFirstFailedBlock)
{
    FakeBoard board;
    board.mem[0xFF00] = 1;
    board.mem[0x0000] = 2;
    board.mem[0x0100] = 3;
    board.failRead = 3;
    link.setBoard(&board);
    link.setMode(TargetMode::Board);
    link.memoryBuffer.fill(0xEE);
    link.DisplayAddress = 0xFF00;
    link.InMemory();
    ASSERT_EQ(board.reads.size(), 3u);
    EXPECT_EQ(board.reads[1], 0x0000);
    EXPECT_EQ(link.memoryBuffer[0], 1);
    EXPECT_EQ(link.memoryBuffer[256], 2);
    EXPECT_EQ(link.memoryBuffer[512], 0xEE);
    EXPECT_EQ(link.memoryBuffer[768], 0xEE);
    EXPECT_FALSE(link.linkReady());
}

// Every board read goes out with an address inside $0000-$FFFF, whatever
// the caller passed.
TEST_F(AccessLayerTest, BoardReadsAboveTheTopWrap)
{
    FakeBoard board;
    board.mem[0x0005] = 0x5A;
    board.mem[0xFFFE] = 0xC0;
    link.setBoard(&board);
    link.setMode(TargetMode::Board);
    uint8_t v = 0;
    link.InByte(0x10005, v);
    EXPECT_EQ(v, 0x5A);
    std::vector<uint8_t> bytes;
    link.InBytes(0x1FFFE, bytes, 2);
    ASSERT_EQ(board.reads.size(), 2u);
    EXPECT_EQ(board.reads[0], 0x0005);
    EXPECT_EQ(board.reads[1], 0xFFFE);
    ASSERT_EQ(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xC0);
}

TEST_F(AccessLayerTest, InByteAboveTheTopTellsTheUnitOfTheInputRead)
{
    struct ReadWatch : LoggingIoUnit {
        void beforeRead(int32_t address) override { reads.push_back(address); }
        std::vector<int32_t> reads;
    } watch;
    link.setIoUnit(&watch);
    link.setIoActive(true);
    link.image()[0x6001] = 0x33;
    uint8_t v = 0;
    link.InByte(0x16001, v);
    EXPECT_EQ(v, 0x33);
    EXPECT_EQ(watch.reads, std::vector<int32_t>{0x6001});
}

TEST_F(AccessLayerTest, BoardFailedReadLeavesTheDestination)
{
    FakeBoard board;
    board.failRead = 1;
    link.setBoard(&board);
    link.setMode(TargetMode::Board);
    link.regs.A = 0x5A;
    link.InCPU();
    EXPECT_EQ(link.regs.A, 0x5A);
    EXPECT_FALSE(link.linkReady());
    int32_t v = 0x1234;
    link.InResetVector(v);  // second read succeeds
    EXPECT_EQ(v, 0);
    EXPECT_TRUE(link.linkReady());
}

} // namespace
