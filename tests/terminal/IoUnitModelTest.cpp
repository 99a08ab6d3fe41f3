// The input-output unit's window rules (Enter, Read, formats, LEDs) and its
// memory contract: programs assembled by as11 run in the simulator under run
// control, one Step Into at a time and in Play, while the unit's View item is
// checked (active) or not.
#include "terminal/IoUnitModel.h"

#include "Assembler.h"
#include "link/AccessLayer.h"
#include "run/BreakpointTable.h"
#include "run/ExecutionControl.h"

#include <gtest/gtest.h>

#include <bit>
#include <fstream>
#include <sstream>
#include <string>

using namespace zelk;

namespace {

class CountingListener : public IoUnitModel::Listener {
public:
    void ioUnitChanged(bool rewriteInText) override
    {
        ++changes;
        if (rewriteInText)
            ++inTextRewrites;
    }
    int changes = 0;
    int inTextRewrites = 0;
};

class IoUnitTest : public ::testing::Test {
protected:
    IoUnitTest() : model(link.simulator()), control(link, breakpoints)
    {
        link.setIoUnit(&model);
        model.setListener(&listener);
        link.setIoActive(true);
    }

    uint8_t mem(int32_t a) { return link.image()[a]; }

    // Assembles source into the image; PC = its END address.
    void load(const std::string& source)
    {
        const as11::AssemblyResult r = as11::assemble(source);
        ASSERT_TRUE(r.ok()) << r.errorText();
        for (const auto& s : r.segments)
            for (size_t i = 0; i < s.bytes.size(); ++i)
                link.image()[(s.address + i) & 0xFFFF] = s.bytes[i];
        link.regs.PC = r.startAddress >= 0 ? r.startAddress : 0xE000;
        link.regs.SP = 0x00FF;
    }

    void steps(int n)
    {
        for (int i = 0; i < n; ++i)
            ASSERT_TRUE(control.StepInto()) << "step " << i;
    }

    AccessLayer link;
    IoUnitModel model;
    CountingListener listener;
    BreakpointTable breakpoints;
    ExecutionControl control;
};

// ---- Enter -----------------------------------------------------------------

TEST_F(IoUnitTest, EnterConvertsByTheInputFormatAndSetsTheHandshake)
{
    struct Case {
        IoFormat format;
        const char* text;
        int byte;  // -1: refused
    };
    const Case cases[] = {
        {IoFormat::Signed, "-1", 255},     {IoFormat::Signed, "128", -1},
        {IoFormat::Signed, "-128", 0x80},  {IoFormat::Unsigned, "255", 255},
        {IoFormat::Unsigned, "256", -1},   {IoFormat::Unsigned, "-1", -1},
        {IoFormat::Hex, "F", 0x0F},        {IoFormat::Hex, "9a", 0x9A},
        {IoFormat::Hex, "123", -1},        {IoFormat::Binary, "101", 5},
        {IoFormat::Binary, "102", -1},     {IoFormat::Binary, "111111111", -1},
    };
    for (const auto& c : cases) {
        model.Load();
        link.image()[0x6000] = 0x55;
        link.image()[0x6001] = 0x66;
        model.setInFormat(c.format);
        const bool ok = model.Enter(c.text);
        if (c.byte < 0) {
            EXPECT_FALSE(ok) << c.text;
            EXPECT_EQ(mem(0x6000), 0x55) << c.text << ": memory must not change";
            EXPECT_EQ(mem(0x6001), 0x66) << c.text;
            EXPECT_FALSE(model.inFresh()) << c.text;
            EXPECT_EQ(model.inBits(), "00000000") << c.text;
        } else {
            EXPECT_TRUE(ok) << c.text;
            EXPECT_EQ(mem(0x6000), 1) << c.text;
            EXPECT_EQ(mem(0x6001), c.byte) << c.text;
            EXPECT_TRUE(model.inFresh()) << c.text;
            EXPECT_EQ(model.inByte(), c.byte) << c.text;
        }
    }
}

TEST_F(IoUnitTest, SignedMinusOneSetsAllBits)
{
    ASSERT_TRUE(model.Enter("-1"));
    EXPECT_EQ(model.inBits(), "11111111");
    EXPECT_EQ(mem(0x6001), 255);
}

// ---- Read, formats, LEDs ---------------------------------------------------

TEST_F(IoUnitTest, ReadClearsDataReady)
{
    link.image()[0x6002] = 1;
    model.setOutFresh(1);
    ASSERT_TRUE(model.outFresh());
    model.Read();
    EXPECT_FALSE(model.outFresh());
    EXPECT_EQ(mem(0x6002), 0);
}

TEST_F(IoUnitTest, OutputShownInEachFormat)
{
    model.setOutDataRegister(0x9A);
    const std::pair<IoFormat, const char*> cases[] = {
        {IoFormat::BCD, "error"}, {IoFormat::Hex, "9A"}, {IoFormat::Signed, "-102"}, {IoFormat::Unsigned, "154"},
    };
    for (auto [f, text] : cases) {
        model.setOutFormat(f);
        EXPECT_EQ(model.outText(), text) << ioFormatName(f);
        EXPECT_EQ(model.outBits(), "10011010");
    }
}

TEST_F(IoUnitTest, InputFormatChangeShowsTheBitsAgain)
{
    ASSERT_TRUE(model.Enter("-102"));
    const int before = listener.inTextRewrites;
    const std::pair<IoFormat, const char*> cases[] = {
        {IoFormat::Hex, "9A"}, {IoFormat::Unsigned, "154"}, {IoFormat::Binary, "10011010"}, {IoFormat::Signed, "-102"},
    };
    for (auto [f, text] : cases) {
        model.setInFormat(f);
        EXPECT_EQ(model.inText(), text) << ioFormatName(f);
    }
    EXPECT_EQ(listener.inTextRewrites, before + 4);
}

TEST_F(IoUnitTest, LedsFollowTheOutputBitsOnlyWithPower)
{
    model.setOutDataRegister(0xA5);  // 1010 0101
    model.setLedPower(false);
    for (int i = 0; i < 8; ++i)
        EXPECT_FALSE(model.led(i)) << "power off: LED " << i;
    model.setLedPower(true);
    const bool expected[8] = {true, false, true, false, false, true, false, true};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(model.led(i), expected[i]) << "LED " << i;
    model.setLedPower(false);
    for (int i = 0; i < 8; ++i)
        EXPECT_FALSE(model.led(i)) << "power off again: LED " << i;
}

TEST_F(IoUnitTest, LoadResetsTheWindowState)
{
    model.setInFormat(IoFormat::Hex);
    model.setOutFormat(IoFormat::BCD);
    ASSERT_TRUE(model.Enter("7"));
    model.setOutDataRegister(9);
    model.setOutFresh(1);
    model.setLedPower(false);
    model.Load();
    EXPECT_EQ(model.inFormat(), IoFormat::Signed);
    EXPECT_EQ(model.outFormat(), IoFormat::Signed);
    EXPECT_EQ(model.inBits(), "00000000");
    EXPECT_EQ(model.outBits(), "00000000");
    EXPECT_EQ(model.outText(), "0");
    EXPECT_FALSE(model.inFresh());
    EXPECT_FALSE(model.outFresh());
    EXPECT_TRUE(model.ledPower());
    EXPECT_FALSE(model.inTextShown());
    model.setInDataRegister(3);
    EXPECT_TRUE(model.inTextShown());
}

// ---- The memory contract -------------------------------------------------------

TEST_F(IoUnitTest, ProgramReadOfTheInputClearsDataPending)
{
    load("        ORG $E000\n"
         "START   LDAA $6001\n"
         "        BRA START\n"
         "        END START\n");
    ASSERT_TRUE(model.Enter("42"));
    ASSERT_EQ(mem(0x6000), 1);
    steps(1);
    EXPECT_EQ(link.regs.A, 42);
    EXPECT_EQ(mem(0x6000), 0);
    EXPECT_FALSE(model.inFresh());
}

TEST_F(IoUnitTest, ProgramReadWhileInactiveLeavesDataPending)
{
    load("        ORG $E000\n"
         "START   LDAA $6001\n"
         "        BRA START\n"
         "        END START\n");
    ASSERT_TRUE(model.Enter("42"));
    link.setIoActive(false);
    steps(1);
    EXPECT_EQ(link.regs.A, 42);
    EXPECT_EQ(mem(0x6000), 1);
    EXPECT_TRUE(model.inFresh());
}

TEST_F(IoUnitTest, ProgramWriteOfTheOutputSetsDataReady)
{
    load("        ORG $E000\n"
         "START   LDAA #$C3\n"
         "        STAA $6003\n"
         "        BRA START\n"
         "        END START\n");
    model.setLedPower(true);
    steps(2);
    EXPECT_EQ(mem(0x6003), 0xC3);
    EXPECT_EQ(mem(0x6002), 1);
    EXPECT_EQ(model.outByte(), 0xC3);
    EXPECT_TRUE(model.outFresh());
    EXPECT_TRUE(model.led(0));
    EXPECT_FALSE(model.led(2));
    model.Read();
    EXPECT_EQ(mem(0x6002), 0);
}

TEST_F(IoUnitTest, ProgramWriteWhileInactiveTouchesOnlyMemory)
{
    load("        ORG $E000\n"
         "START   LDAA #$C3\n"
         "        STAA $6003\n"
         "        BRA START\n"
         "        END START\n");
    link.setIoActive(false);
    steps(2);
    EXPECT_EQ(mem(0x6003), 0xC3);
    EXPECT_EQ(mem(0x6002), 0);
    EXPECT_EQ(model.outByte(), 0);
    EXPECT_FALSE(model.outFresh());
}

TEST_F(IoUnitTest, WordStoreOverTheRegistersOnlyTheOutputByteCounts)
{
    // STD $6002 writes $6002 (A) and $6003 (B): Data Ready ends up 1 (set
    // by the write of $6003, which comes second).
    load("        ORG $E000\n"
         "START   LDD #$0077\n"
         "        STD $6002\n"
         "        BRA START\n"
         "        END START\n");
    steps(2);
    EXPECT_EQ(mem(0x6002), 1);
    EXPECT_EQ(model.outByte(), 0x77);
}

TEST_F(IoUnitTest, ViewWritesReachTheUnitActiveOrNot)
{
    for (bool active : {true, false}) {
        model.Load();
        link.setIoActive(active);
        link.image()[0x6002] = 0;
        link.OutByte(0x6003, 0x5A);
        EXPECT_EQ(model.outByte(), 0x5A) << active;
        EXPECT_EQ(mem(0x6002), 0) << "a view's write does not set Data Ready";
        link.OutByte(0x6000, 3);
        EXPECT_TRUE(model.inFresh()) << active;
        link.OutByte(0x6001, 0x80);
        EXPECT_EQ(model.inByte(), 0x80) << active;
        EXPECT_EQ(model.inText(), "-128") << active;
        link.OutByte(0x6002, 1);
        EXPECT_TRUE(model.outFresh()) << active;
        link.OutByte(0x6000, 0);
        EXPECT_FALSE(model.inFresh()) << active;
    }
}

TEST_F(IoUnitTest, PlayRunsTheLedExampleWithInput)
{
    std::ifstream f(ZELK_EXAMPLES_DIR "/leds.asm");
    ASSERT_TRUE(f) << "examples/leds.asm";
    std::stringstream ss;
    ss << f.rdbuf();
    load(ss.str());
    model.setLedPower(true);

    RunOptions opt;
    opt.maxSteps = 5000;
    EXPECT_EQ(control.Play(opt), StopReason::StepBound);
    // The running light: one LED lit at a time.
    int lit = 0;
    for (int i = 0; i < 8; ++i)
        lit += model.led(i);
    EXPECT_EQ(lit, 1);
    EXPECT_EQ(mem(0x6002), 1);
    EXPECT_TRUE(model.outFresh());

    // A new pattern entered: the program takes it (Data Pending clears) and
    // rotates it from then on.
    model.setInFormat(IoFormat::Hex);
    ASSERT_TRUE(model.Enter("81"));
    ASSERT_TRUE(model.inFresh());
    EXPECT_EQ(control.Play(opt), StopReason::StepBound);
    EXPECT_FALSE(model.inFresh());
    EXPECT_EQ(mem(0x6000), 0);
    const uint8_t out = model.outByte();
    EXPECT_EQ(std::popcount(out), 2) << "pattern $81 rotated: two bits, got " << int(out);
    EXPECT_EQ(out, mem(0x6003));
}

} // namespace
