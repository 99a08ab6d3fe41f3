// Next-address prediction: every branch under every flag combination, every
// call, jump and return form, the bit branches with their operand reads, and
// straight-line instructions; cycle counts.
#include "code/Prediction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

using namespace zelk;
using F = OperandFormat;

namespace {

// An operand reader over a small memory map that records each address read.
class FakeTarget : public OperandReader {
public:
    bool available = true;
    uint8_t memory[0x10000] = {};
    std::vector<int32_t> reads;

    bool readOperandByte(int32_t address, uint8_t& value) override
    {
        reads.push_back(address);
        if (!available)
            return false;
        value = memory[address];
        return true;
    }
};

struct Outcome {
    bool result = false;
    int32_t pc = 0;
    int32_t next = -1;
    bool taken = false, isCall = false, isReturn = false;
    PredictionState state;
};

// Runs PredictNext with the bytes placed at pc in a window starting at base.
struct Fixture {
    CodeWindow w;
    CpuRegisters regs;
    uint8_t stack[10] = {};
    FakeTarget target;

    void place(int32_t base, int32_t pc, std::initializer_list<uint8_t> bytes)
    {
        w.base = base;
        int32_t a = pc < base ? pc + 0x10000 : pc;
        size_t i = static_cast<size_t>(a - base);
        for (uint8_t b : bytes)
            w.bytes.at(i++) = b;
    }

    Outcome predict(int32_t pc, bool followCalls, bool withTarget = true, bool withStack = true)
    {
        Outcome o;
        o.state.lastBranchOffset = 99;
        o.pc = pc;
        o.taken = o.isCall = o.isReturn = true;  // must be cleared
        o.result = PredictNext(w, regs, withStack ? stack : nullptr, withTarget ? &target : nullptr, o.pc,
                               followCalls, o.next, o.taken, o.isCall, o.isReturn, &o.state);
        return o;
    }
};

void setFlags(CpuRegisters& r, int combo)
{
    r.CCR = static_cast<uint8_t>((combo & 1 ? 0x01 : 0) | (combo & 2 ? 0x02 : 0) | (combo & 4 ? 0x04 : 0) |
                                 (combo & 8 ? 0x08 : 0));
    r.unpackCCR();
}

struct BranchRow {
    uint8_t opcode;
    const char* name;
    // Taken ('1') or not ('0') for flag combination i = C + 2V + 4Z + 8N.
    const char* takenByFlags;
};

const BranchRow branches[] = {
    {0x20, "BRA", "1111111111111111"}, {0x21, "BRN", "0000000000000000"},
    {0x22, "BHI", "1010000010100000"}, {0x23, "BLS", "0101111101011111"},
    {0x24, "BCC", "1010101010101010"}, {0x25, "BCS", "0101010101010101"},
    {0x26, "BNE", "1111000011110000"}, {0x27, "BEQ", "0000111100001111"},
    {0x28, "BVC", "1100110011001100"}, {0x29, "BVS", "0011001100110011"},
    {0x2A, "BPL", "1111111100000000"}, {0x2B, "BMI", "0000000011111111"},
    {0x2C, "BGE", "1100110000110011"}, {0x2D, "BLT", "0011001111001100"},
    {0x2E, "BGT", "1100000000110000"}, {0x2F, "BLE", "0011111111001111"},
};

void PrintTo(const BranchRow& r, std::ostream* os) { *os << r.name; }

} // namespace

class RelativeBranch : public ::testing::TestWithParam<BranchRow> {};

TEST_P(RelativeBranch, TakenByFlagsForwardAndBack)
{
    const BranchRow& b = GetParam();
    for (int combo = 0; combo < 16; ++combo) {
        for (uint8_t offset : {uint8_t(0x10), uint8_t(0xF0)}) {
            for (bool follow : {false, true}) {
                SCOPED_TRACE(testing::Message() << b.name << " flags " << combo << " offset " << int(offset)
                                                << " follow " << follow);
                Fixture f;
                setFlags(f.regs, combo);
                f.place(0xC000, 0xC040, {b.opcode, offset});
                Outcome o = f.predict(0xC040, follow);
                bool taken = b.takenByFlags[combo] == '1';
                EXPECT_TRUE(o.result);
                EXPECT_EQ(o.taken, taken);
                EXPECT_FALSE(o.isCall);
                EXPECT_FALSE(o.isReturn);
                int32_t expected = taken ? 0xC042 + static_cast<int8_t>(offset) : 0xC042;
                EXPECT_EQ(o.next, expected);
                EXPECT_EQ(o.state.operandFormat, F::Relative);
                EXPECT_EQ(o.state.lastBranchOffset, static_cast<int8_t>(offset));
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllBranches, RelativeBranch, ::testing::ValuesIn(branches),
                         [](const ::testing::TestParamInfo<BranchRow>& i) { return std::string(i.param.name); });

TEST(Prediction, BeqToItself)
{
    Fixture f;
    f.regs.Z = true;
    f.place(0xC000, 0xC000, {0x27, 0xFE});
    Outcome o = f.predict(0xC000, false);
    EXPECT_TRUE(o.taken);
    EXPECT_EQ(o.next, 0xC000);
}

TEST(Prediction, BranchTargetWrapsPastTop)
{
    Fixture f;
    f.place(0xFF00, 0xFFF0, {0x20, 0x7F});
    Outcome o = f.predict(0xFFF0, false);
    EXPECT_EQ(o.next, 0x0071);
}

TEST(Prediction, BranchTargetWrapsBelowZero)
{
    Fixture f;
    f.place(0x0000, 0x0002, {0x20, 0x80});
    Outcome o = f.predict(0x0002, false);
    EXPECT_EQ(o.next, 0xFF84);
}

struct FlowRow {
    const char* name;
    std::vector<uint8_t> bytes;
    int32_t ix, iy;
    bool followCalls;
    int32_t next;
    bool taken, isCall;
    F format;
};

void PrintTo(const FlowRow& r, std::ostream* os) { *os << r.name; }

class Flow : public ::testing::TestWithParam<FlowRow> {};

TEST_P(Flow, CallsAndJumps)
{
    const FlowRow& r = GetParam();
    Fixture f;
    f.regs.IX = r.ix;
    f.regs.IY = r.iy;
    f.w.base = 0xC000;
    for (size_t i = 0; i < r.bytes.size(); ++i)
        f.w.bytes[0x10 + i] = r.bytes[i];
    Outcome o = f.predict(0xC010, r.followCalls);
    EXPECT_TRUE(o.result);
    EXPECT_EQ(o.next, r.next);
    EXPECT_EQ(o.taken, r.taken);
    EXPECT_EQ(o.isCall, r.isCall);
    EXPECT_FALSE(o.isReturn);
    EXPECT_EQ(o.state.operandFormat, r.format);
    EXPECT_TRUE(f.target.reads.empty());
}

INSTANTIATE_TEST_SUITE_P(
    CallsJumps, Flow,
    ::testing::Values(
        FlowRow{"BsrOver", {0x8D, 0x20}, 0, 0, false, 0xC012, false, true, F::Relative},
        FlowRow{"BsrInto", {0x8D, 0x20}, 0, 0, true, 0xC032, false, true, F::Relative},
        FlowRow{"BsrIntoBack", {0x8D, 0xEE}, 0, 0, true, 0xC000, false, true, F::Relative},
        FlowRow{"JsrDirectOver", {0x9D, 0x80}, 0, 0, false, 0xC012, false, true, F::Direct},
        FlowRow{"JsrDirectInto", {0x9D, 0x80}, 0, 0, true, 0x0080, false, true, F::Direct},
        FlowRow{"JsrExtendedOver", {0xBD, 0x12, 0x34}, 0, 0, false, 0xC013, false, true, F::Extended},
        FlowRow{"JsrExtendedInto", {0xBD, 0x12, 0x34}, 0, 0, true, 0x1234, false, true, F::Extended},
        FlowRow{"JsrIndexedXOver", {0xAD, 0x10}, 0x2000, 0, false, 0xC012, false, true, F::IndexedX},
        FlowRow{"JsrIndexedXInto", {0xAD, 0x10}, 0x2000, 0, true, 0x2010, false, true, F::IndexedX},
        FlowRow{"JsrIndexedXIntoWraps", {0xAD, 0x20}, 0xFFF0, 0, true, 0x0010, false, true, F::IndexedX},
        FlowRow{"JsrIndexedYOver", {0x18, 0xAD, 0x05}, 0, 0x3000, false, 0xC013, false, true, F::IndexedY},
        FlowRow{"JsrIndexedYInto", {0x18, 0xAD, 0x05}, 0, 0x3000, true, 0x3005, false, true, F::IndexedY},
        FlowRow{"JmpIndexedX", {0x6E, 0x04}, 0x4000, 0x5000, false, 0x4004, true, false, F::IndexedX},
        FlowRow{"JmpIndexedXFollow", {0x6E, 0x04}, 0x4000, 0x5000, true, 0x4004, true, false, F::IndexedX},
        FlowRow{"JmpExtended", {0x7E, 0xE0, 0x00}, 0, 0, false, 0xE000, true, false, F::Extended},
        FlowRow{"JmpIndexedY", {0x18, 0x6E, 0xFF}, 0x4000, 0x5000, false, 0x50FF, true, false, F::IndexedY},
        FlowRow{"JmpIndexedYWraps", {0x18, 0x6E, 0x02}, 0, 0xFFFF, false, 0x0001, true, false, F::IndexedY},
        // Forms that look like jumps or calls on other pages are ordinary.
        FlowRow{"CpyIndexedXOn1A", {0x1A, 0xAC, 0x04}, 0x4000, 0, true, 0xC013, false, false, F::IndexedX},
        FlowRow{"CpxIndexedYOnCD", {0xCD, 0xAC, 0x04}, 0, 0x4000, true, 0xC013, false, false, F::IndexedY},
        FlowRow{"LdaaDirectFollow", {0x96, 0x40}, 0, 0, true, 0xC012, false, false, F::Direct},
        FlowRow{"LdaaExtendedFollow", {0xB6, 0x40, 0x00}, 0, 0, true, 0xC013, false, false, F::Extended},
        FlowRow{"StaaIndexedX", {0xA7, 0x40}, 0x1000, 0, true, 0xC012, false, false, F::IndexedX},
        FlowRow{"UndefinedOn18", {0x18, 0x20, 0x40}, 0, 0, true, 0xC012, false, false, F::Inherent},
        FlowRow{"SwiGoesOn", {0x3F}, 0, 0, true, 0xC011, false, false, F::Inherent},
        FlowRow{"WaiGoesOn", {0x3E}, 0, 0, true, 0xC011, false, false, F::Inherent}),
    [](const ::testing::TestParamInfo<FlowRow>& i) { return std::string(i.param.name); });

TEST(Prediction, RtsReturnsToWordAtSpPlusOne)
{
    Fixture f;
    f.place(0xC000, 0xC020, {0x39});
    f.stack[1] = 0xC0;
    f.stack[2] = 0x10;
    for (bool follow : {false, true}) {
        Outcome o = f.predict(0xC020, follow);
        EXPECT_TRUE(o.result);
        EXPECT_TRUE(o.isReturn);
        EXPECT_FALSE(o.taken);
        EXPECT_FALSE(o.isCall);
        EXPECT_EQ(o.next, 0xC010);
        EXPECT_EQ(o.state.operandFormat, F::Inherent);
    }
}

TEST(Prediction, RtiReturnsToWordAtSpPlusEight)
{
    Fixture f;
    f.place(0xC000, 0xC020, {0x3B});
    const uint8_t frame[10] = {0x00, 0xD0, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0xC1, 0x00};
    std::copy(std::begin(frame), std::end(frame), f.stack);
    Outcome o = f.predict(0xC020, true);
    EXPECT_TRUE(o.result);
    EXPECT_EQ(o.next, 0xC100);
    EXPECT_FALSE(o.isReturn);
    EXPECT_FALSE(o.taken);
    EXPECT_FALSE(o.isCall);
}

TEST(Prediction, ReturnWithoutStackBytesIsUnreliable)
{
    for (uint8_t op : {uint8_t(0x39), uint8_t(0x3B)}) {
        Fixture f;
        f.place(0xC000, 0xC000, {op});
        Outcome o = f.predict(0xC000, false, true, false);
        EXPECT_FALSE(o.result) << int(op);
    }
}

struct BitBranchRow {
    const char* name;
    std::vector<uint8_t> bytes;   // at $C000
    int32_t ix, iy;
    int32_t operandAddress;
    uint8_t operand;
    int32_t next;
    bool taken;
    int8_t offset;
    F format;
};

void PrintTo(const BitBranchRow& r, std::ostream* os) { *os << r.name; }

class BitBranch : public ::testing::TestWithParam<BitBranchRow> {};

TEST_P(BitBranch, ReadsOperandAndBranches)
{
    const BitBranchRow& r = GetParam();
    Fixture f;
    f.regs.IX = r.ix;
    f.regs.IY = r.iy;
    f.w.base = 0xC000;
    std::copy(r.bytes.begin(), r.bytes.end(), f.w.bytes.begin());
    f.target.memory[r.operandAddress] = r.operand;
    for (bool follow : {false, true}) {
        f.target.reads.clear();
        Outcome o = f.predict(0xC000, follow);
        EXPECT_TRUE(o.result);
        ASSERT_EQ(f.target.reads.size(), 1u);
        EXPECT_EQ(f.target.reads[0], r.operandAddress);
        EXPECT_EQ(o.taken, r.taken);
        EXPECT_EQ(o.next, r.next);
        EXPECT_FALSE(o.isCall);
        EXPECT_FALSE(o.isReturn);
        EXPECT_EQ(o.state.lastBranchOffset, r.offset);
        EXPECT_EQ(o.state.operandFormat, r.format);
    }
}

INSTANTIATE_TEST_SUITE_P(
    SetAndClear, BitBranch,
    ::testing::Values(
        BitBranchRow{"BrsetDirectAllSet", {0x12, 0x40, 0x81, 0x10}, 0, 0, 0x0040, 0xFF, 0xC014, true, 0x10,
                     F::BitBranchDirect},
        BitBranchRow{"BrsetDirectOneClear", {0x12, 0x40, 0x81, 0x10}, 0, 0, 0x0040, 0x80, 0xC004, false, 0x10,
                     F::BitBranchDirect},
        BitBranchRow{"BrsetDirectEmptyMask", {0x12, 0x40, 0x00, 0x10}, 0, 0, 0x0040, 0x00, 0xC014, true, 0x10,
                     F::BitBranchDirect},
        BitBranchRow{"BrclrDirectAllClear", {0x13, 0x40, 0x81, 0xFC}, 0, 0, 0x0040, 0x7E, 0xC000, true, -4,
                     F::BitBranchDirect},
        BitBranchRow{"BrclrDirectOneSet", {0x13, 0x40, 0x81, 0xFC}, 0, 0, 0x0040, 0x01, 0xC004, false, -4,
                     F::BitBranchDirect},
        BitBranchRow{"BrsetIndexedXBit0Set", {0x1E, 0x10, 0x01, 0x04}, 0x1000, 0, 0x1010, 0x01, 0xC008, true,
                     4, F::BitBranchIndexedX},
        BitBranchRow{"BrsetIndexedXBit0Clear", {0x1E, 0x10, 0x01, 0x04}, 0x1000, 0, 0x1010, 0xFE, 0xC004,
                     false, 4, F::BitBranchIndexedX},
        BitBranchRow{"BrclrIndexedXWrapsAddress", {0x1F, 0x20, 0x02, 0x04}, 0xFFF0, 0, 0x0010, 0x00, 0xC008,
                     true, 4, F::BitBranchIndexedX},
        BitBranchRow{"BrclrIndexedYNotTaken", {0x18, 0x1F, 0x08, 0x04, 0xFA}, 0, 0x2000, 0x2008, 0x04, 0xC005,
                     false, -6, F::BitBranchIndexedY},
        BitBranchRow{"BrclrIndexedYTaken", {0x18, 0x1F, 0x08, 0x04, 0xFA}, 0, 0x2000, 0x2008, 0xFB, 0xBFFF,
                     true, -6, F::BitBranchIndexedY},
        BitBranchRow{"BrsetIndexedYTaken", {0x18, 0x1E, 0x00, 0xF0, 0x7F}, 0x1111, 0x2000, 0x2000, 0xF0,
                     0xC084, true, 127, F::BitBranchIndexedY}),
    [](const ::testing::TestParamInfo<BitBranchRow>& i) { return std::string(i.param.name); });

TEST(Prediction, BitBranchWithoutTargetIsUnreliable)
{
    Fixture f;
    f.place(0xC000, 0xC000, {0x12, 0x40, 0x01, 0x10});
    Outcome o = f.predict(0xC000, false, false);
    EXPECT_FALSE(o.result);
    EXPECT_FALSE(o.taken);

    f.target.available = false;
    o = f.predict(0xC000, false, true);
    EXPECT_FALSE(o.result);
    EXPECT_FALSE(o.taken);
    EXPECT_EQ(f.target.reads.size(), 1u);
}

TEST(Prediction, BitSetAndClearDoNotReadTheTarget)
{
    const std::vector<std::vector<uint8_t>> forms = {
        {0x14, 0x40, 0x01}, {0x15, 0x40, 0x01}, {0x1C, 0x40, 0x01}, {0x1D, 0x40, 0x01},
        {0x18, 0x1C, 0x40, 0x01}, {0x18, 0x1D, 0x40, 0x01}};
    for (const auto& bytes : forms) {
        Fixture f;
        f.w.base = 0xC000;
        std::copy(bytes.begin(), bytes.end(), f.w.bytes.begin());
        Outcome o = f.predict(0xC000, true, false);
        EXPECT_TRUE(o.result);
        EXPECT_EQ(o.next, 0xC000 + static_cast<int32_t>(bytes.size()));
        EXPECT_FALSE(o.taken);
        EXPECT_TRUE(f.target.reads.empty());
    }
}

// Every instruction that neither branches, jumps, calls nor returns goes on
// to the address after it, with or without following calls.
TEST(Prediction, StraightLineInstructionsGoToTheNextOne)
{
    for (const InstructionInfo& e : instructionSet()) {
        bool flow = e.format == F::Relative || e.format == F::BitBranchDirect ||
                    e.format == F::BitBranchIndexedX || e.format == F::BitBranchIndexedY ||
                    std::string(e.mnemonic) == "JMP" || std::string(e.mnemonic) == "JSR" ||
                    std::string(e.mnemonic) == "RTS" || std::string(e.mnemonic) == "RTI";
        if (flow)
            continue;
        Fixture f;
        f.regs.IX = 0x1234;
        f.regs.IY = 0x5678;
        f.w.base = 0xC000;
        size_t i = 0x10;
        if (e.prefix)
            f.w.bytes[i++] = e.prefix;
        f.w.bytes[i++] = e.opcode;
        f.w.bytes[i++] = 0x9A;
        f.w.bytes[i++] = 0xBC;
        for (bool follow : {false, true}) {
            Outcome o = f.predict(0xC010, follow, false, false);
            SCOPED_TRACE(e.mnemonic);
            EXPECT_TRUE(o.result);
            EXPECT_EQ(o.next, 0xC010 + e.length);
            EXPECT_FALSE(o.taken);
            EXPECT_FALSE(o.isCall);
            EXPECT_FALSE(o.isReturn);
            EXPECT_EQ(o.state.operandFormat, e.format);
        }
    }
}

TEST(Prediction, UndefinedOpcodesGoOn)
{
    struct Case { std::vector<uint8_t> bytes; int32_t next; };
    const Case cases[] = {{{0x00}, 0xC001}, {{0x87}, 0xC001}, {{0x18, 0x00}, 0xC002},
                          {{0x1A, 0x84}, 0xC002}, {{0xCD, 0x00}, 0xC002}};
    for (const Case& c : cases) {
        Fixture f;
        f.w.base = 0xC000;
        std::copy(c.bytes.begin(), c.bytes.end(), f.w.bytes.begin());
        Outcome o = f.predict(0xC000, true);
        EXPECT_TRUE(o.result);
        EXPECT_EQ(o.next, c.next);
        EXPECT_EQ(o.state.operandFormat, F::Inherent);
    }
}

TEST(Prediction, PcBelowWindowBaseIsWrapped)
{
    Fixture f;
    f.w.base = 0xFFF0;
    f.w.bytes[0x15] = 0x86;  // $0005 read as $10005
    f.w.bytes[0x16] = 0x01;
    Outcome o = f.predict(0x0005, false);
    EXPECT_EQ(o.pc, 0x10005);
    EXPECT_EQ(o.next, 0x0007);
}

TEST(Prediction, InstructionEndingAtTopWrapsNext)
{
    Fixture f;
    f.place(0xFF00, 0xFFFE, {0x86, 0x01});
    Outcome o = f.predict(0xFFFE, false);
    EXPECT_EQ(o.pc, 0xFFFE);
    EXPECT_EQ(o.next, 0x0000);
}

TEST(Prediction, StateIsOptional)
{
    Fixture f;
    f.place(0xC000, 0xC000, {0x20, 0x02});
    int32_t pc = 0xC000, next = 0;
    bool taken = false, isCall = false, isReturn = false;
    EXPECT_TRUE(PredictNext(f.w, f.regs, f.stack, &f.target, pc, false, next, taken, isCall, isReturn));
    EXPECT_EQ(next, 0xC004);
    EXPECT_TRUE(taken);
}

struct CycleRow {
    std::vector<uint8_t> bytes;
    uint8_t cycles;
};

void PrintTo(const CycleRow& r, std::ostream* os)
{
    for (uint8_t b : r.bytes)
        *os << std::hex << int(b) << ' ';
}

class Cycles : public ::testing::TestWithParam<CycleRow> {};

TEST_P(Cycles, ManualCount)
{
    const CycleRow& r = GetParam();
    CodeWindow w;
    w.base = 0xB000;
    std::copy(r.bytes.begin(), r.bytes.end(), w.bytes.begin() + 0x40);
    EXPECT_EQ(CycleCount(w, 0xB040), r.cycles);
}

INSTANTIATE_TEST_SUITE_P(
    Spots, Cycles,
    ::testing::Values(CycleRow{{0x1B}, 2}, CycleRow{{0x0C}, 2}, CycleRow{{0x89, 0}, 2}, CycleRow{{0x84, 0}, 2},
                      CycleRow{{0x48}, 2}, CycleRow{{0x47}, 2}, CycleRow{{0x18, 0x3A}, 4},
                      CycleRow{{0x18, 0x09}, 4}, CycleRow{{0x1A, 0x83}, 5}, CycleRow{{0x1A, 0x93}, 6},
                      CycleRow{{0x1A, 0xEE}, 6}, CycleRow{{0x1A, 0xEF}, 6}, CycleRow{{0xCD, 0xEE}, 6},
                      CycleRow{{0xCD, 0xEF}, 6}, CycleRow{{0x1A, 0xA3}, 7}, CycleRow{{0x1A, 0xB3}, 7},
                      CycleRow{{0x1A, 0xAC}, 7}, CycleRow{{0xCD, 0xA3}, 7}, CycleRow{{0xCD, 0xAC}, 7},
                      CycleRow{{0x18, 0x63}, 7}, CycleRow{{0x18, 0x1C}, 8}, CycleRow{{0x18, 0x1D}, 8},
                      CycleRow{{0x18, 0x1E}, 8}, CycleRow{{0x18, 0x1F}, 8}, CycleRow{{0x3D}, 10},
                      CycleRow{{0x3B}, 12}, CycleRow{{0x3F}, 14}, CycleRow{{0x02}, 41}, CycleRow{{0x03}, 41},
                      CycleRow{{0x26}, 3}, CycleRow{{0x8D}, 6}, CycleRow{{0x9D}, 5}, CycleRow{{0xBD}, 6},
                      CycleRow{{0xAD}, 6}, CycleRow{{0x18, 0xAD}, 7}, CycleRow{{0x39}, 5},
                      CycleRow{{0x18, 0x00}, 0}, CycleRow{{0x1A, 0x84}, 0}, CycleRow{{0xCD, 0x00}, 0},
                      CycleRow{{0x41}, 2}, CycleRow{{0x87}, 2}, CycleRow{{0x00}, 2}),
    [](const ::testing::TestParamInfo<CycleRow>& i) {
        std::string name = "Bytes";
        char hex[4];
        for (uint8_t b : i.param.bytes) {
            std::snprintf(hex, sizeof hex, "%02X", b);
            name += hex;
        }
        return name;
    });

TEST(Cycles, AddressBelowBaseIsWrapped)
{
    CodeWindow w;
    w.base = 0xFFF0;
    w.bytes[0x12] = 0x3D;  // $0002 read as $10002
    EXPECT_EQ(CycleCount(w, 0x0002), 10);
}

TEST(Cycles, EveryTableEntry)
{
    for (const InstructionInfo& e : instructionSet()) {
        CodeWindow w;
        w.base = 0;
        size_t i = 0;
        if (e.prefix)
            w.bytes[i++] = e.prefix;
        w.bytes[i] = e.opcode;
        EXPECT_EQ(CycleCount(w, 0), e.cycles) << e.mnemonic;
        EXPECT_GE(e.cycles, 2) << e.mnemonic;
    }
}
