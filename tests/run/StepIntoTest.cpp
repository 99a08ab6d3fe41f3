// Step Into in simulator mode: the IDE moves PC and the stack for taken
// branches, jumps, calls and returns; Korvex executes the rest and the
// register save area follows; the clock counter and the refresh hooks.
#include "RunTestSupport.h"

#include "code/Decoder.h"
#include "code/Prediction.h"

#include <string>
#include <utility>
#include <vector>

using namespace zelk;
using namespace zelk::test;

namespace {

class StepIntoTest : public RunFixture {};

TEST_F(StepIntoTest, BsrIsDoneByTheIde)
{
    load(0xE000, {0x8D, 0x10});  // BSR $E012
    markSaveArea();
    link.regs.PC = 0xE000;
    link.regs.SP = 0x00FF;
    ASSERT_TRUE(control.StepInto());
    EXPECT_EQ(link.regs.PC, 0xE012);
    EXPECT_EQ(link.image()[0x00FE], 0xE0);
    EXPECT_EQ(link.image()[0x00FF], 0x02);
    EXPECT_EQ(link.regs.SP, 0x00FD);
    EXPECT_EQ(link.image()[6], 0x00);
    EXPECT_EQ(link.image()[7], 0xFD);
    link.image()[6] = link.image()[7] = 0xEE;
    EXPECT_TRUE(saveAreaUntouched());
    EXPECT_FALSE(control.lastStep().executed);
    EXPECT_TRUE(control.lastStep().isCall);
}

TEST_F(StepIntoTest, JsrExtendedPushesTheAddressAfterIt)
{
    load(0xC000, {0xBD, 0x12, 0x34});  // JSR $1234
    link.regs.PC = 0xC000;
    link.regs.SP = 0x0100;
    ASSERT_TRUE(control.StepInto());
    EXPECT_EQ(link.regs.PC, 0x1234);
    EXPECT_EQ(link.image()[0x00FF], 0xC0);
    EXPECT_EQ(link.image()[0x0100], 0x03);
    EXPECT_EQ(link.regs.SP, 0x00FE);
}

TEST_F(StepIntoTest, RtsIsDoneByTheIde)
{
    load(0xC000, {0x39});
    load(0x00F1, {0xE1, 0x23});
    markSaveArea();
    link.regs.PC = 0xC000;
    link.regs.SP = 0x00F0;
    ASSERT_TRUE(control.StepInto());
    EXPECT_EQ(link.regs.PC, 0xE123);
    EXPECT_EQ(link.regs.SP, 0x00F2);
    EXPECT_EQ(link.image()[6], 0x00);
    EXPECT_EQ(link.image()[7], 0xF2);
    EXPECT_TRUE(control.lastStep().isReturn);
    EXPECT_FALSE(control.lastStep().executed);
}

TEST_F(StepIntoTest, TakenBeqOnlyMovesPcButCountsItsCycles)
{
    load(0xE000, {0x27, 0x05});  // BEQ $E007
    markSaveArea();
    setCCR(0x04);
    link.regs.PC = 0xE000;
    ASSERT_TRUE(control.StepInto());
    EXPECT_EQ(link.regs.PC, 0xE007);
    EXPECT_EQ(control.clockCounter, 3u);
    EXPECT_TRUE(saveAreaUntouched());
}

TEST_F(StepIntoTest, BranchNotTakenIsExecutedByTheTarget)
{
    load(0xE000, {0x27, 0x05});
    markSaveArea();
    link.regs.PC = 0xE000;
    ASSERT_TRUE(control.StepInto());
    EXPECT_EQ(link.regs.PC, 0xE002);
    EXPECT_FALSE(saveAreaUntouched());
    EXPECT_TRUE(control.lastStep().executed);
}

TEST_F(StepIntoTest, JmpMovesPcAndTheNewCodeIsDecodedThere)
{
    load(0xC000, {0x7E, 0xD0, 0x00});  // JMP $D000
    load(0xD000, {0x86, 0x77});        // LDAA #$77
    link.regs.PC = 0xC000;
    control.StepInto();
    control.StepInto();
    EXPECT_EQ(link.regs.PC, 0xD002);
    EXPECT_EQ(link.regs.A, 0x77);
}

struct LoadThenBranch {
    uint8_t value;
    bool taken;
};

class LoadThenBranchTest : public RunFixture, public ::testing::WithParamInterface<LoadThenBranch> {};

TEST_P(LoadThenBranchTest, BranchSeesTheFlagsOfTheLoad)
{
    load(0xC000, {0xC6, GetParam().value, 0x27, 0x10});  // LDAB #v; BEQ $C014
    link.regs.PC = 0xC000;
    setCCR(GetParam().taken ? 0x00 : 0x04);  // the opposite of what LDAB leaves
    control.StepInto();
    EXPECT_EQ(link.regs.B, GetParam().value);
    control.StepInto();
    EXPECT_EQ(link.regs.PC, GetParam().taken ? 0xC014 : 0xC004);
}

INSTANTIATE_TEST_SUITE_P(Values, LoadThenBranchTest,
                         ::testing::Values(LoadThenBranch{0x00, true}, LoadThenBranch{0x05, false},
                                           LoadThenBranch{0x80, false}));

TEST_F(StepIntoTest, RtiReturnsToTheStackedAddress)
{
    // Frame above SP: CCR, B, A, IX, IY, PC.
    load(0x00F1, {0x04, 0xBB, 0xAA, 0x11, 0x22, 0x33, 0x44, 0xC1, 0x00});
    load(0xC000, {0x3B});
    link.regs.PC = 0xC000;
    link.regs.SP = 0x00F0;
    ASSERT_TRUE(control.StepInto());
    EXPECT_EQ(link.regs.PC, 0xC100);
    EXPECT_EQ(link.regs.SP, 0x00F9);
    EXPECT_EQ(link.regs.A, 0xAA);
    EXPECT_EQ(link.regs.B, 0xBB);
    EXPECT_EQ(link.regs.IX, 0x1122);
    EXPECT_EQ(link.regs.IY, 0x3344);
    EXPECT_TRUE(link.regs.Z);
    EXPECT_EQ(link.image()[7], 0xF9);
}

TEST_F(StepIntoTest, SimulatedStepWritesTheSaveAreaAndTheRecord)
{
    load(0xC000, {0xCE, 0x12, 0x34, 0x8E, 0x00, 0x80});  // LDX #$1234; LDS #$0080
    link.regs.PC = 0xC000;
    control.StepInto();
    control.StepInto();
    EXPECT_EQ(link.image()[2], 0x12);
    EXPECT_EQ(link.image()[3], 0x34);
    EXPECT_EQ(link.image()[6], 0x00);
    EXPECT_EQ(link.image()[7], 0x80);
    EXPECT_EQ(link.regs.IX, 0x1234);
    EXPECT_EQ(link.regs.SP, 0x0080);
    EXPECT_EQ(link.regs.PC, 0xC006);
}

TEST_F(StepIntoTest, CodeWrittenByTheProgramIsDecodedAfresh)
{
    // LDAA #$42; STAA $C006 (the operand of the next instruction); LDAB #$00
    load(0xC000, {0x86, 0x42, 0xB7, 0xC0, 0x06, 0xC6, 0x00});
    link.regs.PC = 0xC000;
    for (int i = 0; i < 3; ++i)
        control.StepInto();
    EXPECT_EQ(link.regs.B, 0x42);
}

TEST_F(StepIntoTest, CodeWrittenThroughTheAccessLayerIsDecodedAfresh)
{
    load(0xC000, {0x01, 0x86, 0x11});  // NOP; LDAA #$11
    link.regs.PC = 0xC000;
    control.StepInto();
    link.OutByte(0xC002, 0x22);
    control.StepInto();
    EXPECT_EQ(link.regs.A, 0x22);
}

TEST_F(StepIntoTest, CodeWrittenStraightIntoTheImageIsDecodedAfresh)
{
    load(0xC000, {0x01, 0x86, 0x11});
    link.regs.PC = 0xC000;
    control.StepInto();
    link.image()[0xC002] = 0x44;
    control.StepInto();
    EXPECT_EQ(link.regs.A, 0x44);
}

TEST_F(StepIntoTest, AnotherWindowFilledMeanwhileDoesNotHideAWrite)
{
    load(0xC000, {0x01, 0x86, 0x11});
    link.regs.PC = 0xC000;
    control.StepInto();
    CodeWindow other;
    link.fillCodeWindow(other, 0x2000);  // a view decoding elsewhere
    link.InProgram();
    link.OutByte(0xC002, 0x33);
    control.StepInto();
    EXPECT_EQ(link.regs.A, 0x33);
}

TEST_F(StepIntoTest, StraightCodeRunsAcrossManyWindows)
{
    for (int a = 0xC000; a < 0xC000 + 700; ++a)
        link.image()[a] = 0x01;  // NOP
    load(0xC000 + 700, {0x86, 0x99});
    link.regs.PC = 0xC000;
    for (int i = 0; i < 701; ++i)
        ASSERT_TRUE(control.StepInto());
    EXPECT_EQ(link.regs.A, 0x99);
    EXPECT_EQ(control.clockCounter, 701u * 2);
}

TEST_F(StepIntoTest, InstructionAcrossTheTopOfMemory)
{
    load(0xFFFF, {0x86});
    load(0x0000, {0x5A});  // LDAA #$5A spans $FFFF-$0000
    link.regs.PC = 0xFFFF;
    control.StepInto();
    EXPECT_EQ(link.regs.A, 0x5A);
    EXPECT_EQ(link.regs.PC, 0x0001);
}

// Addresses formed beyond $FFFF wrap to 16 bits on both sides of the step:
// what the IDE reads for its prediction (indexed jumps, BRSET operands,
// the stack of a return) and what Korvex reads and writes for an executed
// instruction land on the same image bytes.
struct WrapCase {
    const char* name;
    std::vector<uint8_t> code;        // at $C000
    std::vector<std::pair<int32_t, uint8_t>> memory;
    int32_t ix, iy, sp;
    int32_t pcAfter;
    int a, b;                         // expected A and B (-1: not checked)
    int32_t ixAfter;                  // expected IX (-1: not checked)
    std::vector<std::pair<int32_t, uint8_t>> written;  // image bytes after the step
};

class WrapTest : public RunFixture, public ::testing::WithParamInterface<WrapCase> {};

TEST_P(WrapTest, IdeAndKorvexAgreeAtTheTopOfMemory)
{
    const WrapCase& c = GetParam();
    for (size_t i = 0; i < c.code.size(); ++i)
        link.image()[0xC000 + i] = c.code[i];
    for (const auto& [address, value] : c.memory)
        link.image()[address] = value;
    link.regs.PC = 0xC000;
    link.regs.A = 0x5A;
    link.regs.B = 0xA5;
    link.regs.IX = c.ix;
    link.regs.IY = c.iy;
    link.regs.SP = c.sp;
    setCCR(0);
    ASSERT_TRUE(control.StepInto());
    EXPECT_EQ(link.regs.PC, c.pcAfter);
    if (c.a >= 0) {
        EXPECT_EQ(link.regs.A, c.a);
    }
    if (c.b >= 0) {
        EXPECT_EQ(link.regs.B, c.b);
    }
    if (c.ixAfter >= 0) {
        EXPECT_EQ(link.regs.IX, c.ixAfter);
    }
    for (const auto& [address, value] : c.written)
        EXPECT_EQ(link.image()[address], value) << "at $" << std::hex << address;
}

INSTANTIATE_TEST_SUITE_P(StepInto, WrapTest, ::testing::Values(
    WrapCase{"LdaaIndexedXReadsLowAddress", {0xA6, 0x46}, {{0x0031, 0x77}, {0x0000, 0x12}},
             0xFFEB, 0, 0x00FF, 0xC002, 0x77, -1, -1, {}},
    WrapCase{"StaaIndexedYWritesLowAddress", {0x18, 0xA7, 0x20}, {},
             0, 0xFFF0, 0x00FF, 0xC003, 0x5A, -1, -1, {{0x0010, 0x5A}}},
    WrapCase{"LddAtTopReadsFFFFThenZero", {0xFC, 0xFF, 0xFF}, {{0xFFFF, 0x81}, {0x0000, 0x42}},
             0, 0, 0x00FF, 0xC003, 0x81, 0x42, -1, {}},
    WrapCase{"StdIndexedAcrossTop", {0xED, 0xFF}, {},
             0xFF00, 0, 0x00FF, 0xC002, 0x5A, 0xA5, -1, {{0xFFFF, 0x5A}, {0x0001, 0xA5}}},
    WrapCase{"IncIndexedPastTop", {0x6C, 0x30}, {{0x0020, 0x41}},
             0xFFF0, 0, 0x00FF, 0xC002, -1, -1, -1, {{0x0020, 0x42}}},
    WrapCase{"JmpIndexedXWraps", {0x6E, 0x20}, {},
             0xFFF0, 0, 0x00FF, 0x0010, -1, -1, -1, {}},
    WrapCase{"JmpIndexedYWraps", {0x18, 0x6E, 0x80}, {},
             0, 0xFF90, 0x00FF, 0x0010, -1, -1, -1, {}},
    WrapCase{"BrsetIndexedReadsLowAddress", {0x1E, 0x20, 0x81, 0x10}, {{0x0010, 0x81}},
             0xFFF0, 0, 0x00FF, 0xC014, -1, -1, -1, {}},
    WrapCase{"BrclrIndexedReadsLowAddress", {0x1F, 0x20, 0x81, 0x10}, {{0x0010, 0x81}},
             0xFFF0, 0, 0x00FF, 0xC004, -1, -1, -1, {}},
    WrapCase{"PulxAcrossTop", {0x38}, {{0xFFFF, 0x12}, {0x0000, 0x34}},
             0, 0, 0xFFFE, 0xC001, -1, -1, 0x1234, {{0x0006, 0x00}, {0x0007, 0x00}}},
    WrapCase{"PshxAtZero", {0x3C}, {},
             0xBEEF, 0, 0x0000, 0xC001, -1, -1, 0xBEEF, {{0xFFFF, 0xBE}, {0x0007, 0xFE}}},
    WrapCase{"RtsAcrossTop", {0x39}, {{0xFFFF, 0xD1}, {0x0000, 0x23}},
             0, 0, 0xFFFE, 0xD123, -1, -1, -1, {{0x0006, 0x00}, {0x0007, 0x00}}},
    WrapCase{"RtiAcrossTop", {0x3B},
             {{0xFFF9, 0x00}, {0xFFFA, 0x22}, {0xFFFB, 0x11}, {0xFFFC, 0x12}, {0xFFFD, 0x34},
              {0xFFFE, 0x56}, {0xFFFF, 0x78}, {0x0000, 0xD0}, {0x0001, 0x40}},
             0, 0, 0xFFF8, 0xD040, 0x11, 0x22, 0x1234, {{0x0006, 0x00}, {0x0007, 0x01}}}),
    [](const ::testing::TestParamInfo<WrapCase>& info) { return std::string(info.param.name); });

// Every instruction the target executes, on each page (undefined opcodes
// included): PC advances by the decoder's length and the clock by
// CycleCount, whatever shortcut the step takes to find them.
TEST_F(StepIntoTest, ExecutedInstructionsAdvanceByTheirLengthAndCycles)
{
    const uint8_t prefixes[] = {0x00, 0x18, 0x1A, 0xCD};
    for (uint8_t prefix : prefixes) {
        for (int op = 0; op < 256; ++op) {
            if (prefix == 0 && (op == 0x18 || op == 0x1A || op == 0xCD))
                continue;
            CodeWindow w;
            w.base = 0xC000;
            int n = 0;
            if (prefix)
                w.bytes[n++] = prefix;
            w.bytes[n++] = static_cast<uint8_t>(op);
            // Operand bytes that keep every effective address away from
            // the code: direct $80, indexed offset $80 from X = Y = $0100,
            // extended $0180; bit branches with mask $00 (BRSET taken,
            // BRCLR not), branch offsets $10.
            for (int i = n; i < 8; ++i)
                w.bytes[static_cast<size_t>(i)] = 0x01;
            w.bytes[static_cast<size_t>(n)] = 0x80;
            link.regs = CpuRegisters{};
            link.regs.PC = 0xC000;
            link.regs.SP = 0x0200;
            link.regs.IX = link.regs.IY = 0x0100;
            std::copy(w.bytes.begin(), w.bytes.begin() + 8, link.image() + 0xC000);
            int32_t p = 0xC000, next = 0;
            bool taken = false, isCall = false, isReturn = false;
            PredictNext(w, link.regs, link.image() + 0x0200, nullptr, p, true, next, taken, isCall, isReturn);
            const bool rti = prefix == 0 && op == 0x3B;
            const bool bitBranch = (prefix == 0 && (op == 0x12 || op == 0x13 || op == 0x1E || op == 0x1F)) ||
                                   (prefix == 0x18 && (op == 0x1E || op == 0x1F));
            if (taken || isCall || isReturn || rti || bitBranch)
                continue;  // not executed by the target, or a PC of its own
            control.clockCounter = 0;
            ASSERT_TRUE(control.StepInto()) << std::hex << int(prefix) << " " << op;
            EXPECT_EQ(control.lastStep().next, next) << std::hex << int(prefix) << " " << op;
            EXPECT_EQ(link.regs.PC, 0xC000 + instructionLength(w, 0xC000)) << std::hex << int(prefix) << " " << op;
            EXPECT_EQ(control.clockCounter, CycleCount(w, 0xC000)) << std::hex << int(prefix) << " " << op;
            EXPECT_TRUE(control.lastStep().executed);
        }
    }
}

TEST_F(StepIntoTest, EachStepRefreshesAndShowsTheClock)
{
    load(0xC000, {0x01});
    link.regs.PC = 0xC000;
    control.StepInto();
    EXPECT_EQ(hooks.refresh, 1);
    EXPECT_EQ(hooks.refreshCpuWindow, 0);
    EXPECT_EQ(hooks.clockCountUpdate, 1);
}

TEST_F(StepIntoTest, ResetCounterShowsEightZeros)
{
    load(0xC000, {0x01});
    link.regs.PC = 0xC000;
    control.StepInto();
    EXPECT_EQ(control.ClockText(), "Clock= 00000002");
    control.ResetCounter();
    EXPECT_EQ(control.clockCounter, 0u);
    EXPECT_EQ(control.ClockText(), "Clock= 00000000");
    EXPECT_EQ(hooks.clockCountUpdate, 2);
    control.clockCounter = 123456789;
    EXPECT_EQ(control.ClockText(), "Clock= 123456789");
}

TEST_F(StepIntoTest, GetResetVectorAndSetNewPC)
{
    load(0xFFFE, {0xC1, 0x23});
    control.GetResetVector();
    EXPECT_EQ(link.regs.PC, 0xC123);
    EXPECT_EQ(hooks.goToPC, 1);
    control.SetNewPC(0x1C000);
    EXPECT_EQ(link.regs.PC, 0xC000);
    EXPECT_EQ(hooks.refresh, 1);
}

TEST_F(StepIntoTest, NothingRunsWithoutAReachableTarget)
{
    load(0xC000, {0x86, 0x12});
    link.regs.PC = 0xC000;
    link.setMode(TargetMode::Board);  // no board attached
    EXPECT_FALSE(control.StepInto());
    EXPECT_EQ(link.regs.PC, 0xC000);
    EXPECT_EQ(link.regs.A, 0);
    EXPECT_FALSE(notifier.messages.empty());
    link.setMode(TargetMode::Simulator);
    EXPECT_TRUE(control.StepInto());
    EXPECT_EQ(link.regs.A, 0x12);
}

} // namespace
