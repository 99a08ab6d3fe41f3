// Invariants of the instruction table and the cycle counts of the reference
// manual for a sample of opcodes and addressing modes.
#include "code/InstructionSet.h"
#include "code/OpcodeFacts.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <utility>

using namespace zelk;

namespace {

constexpr uint8_t pages[] = {0x00, 0x18, 0x1A, 0xCD};

// Opcodes page 1 leaves undefined (TEST and the prefix bytes are not table
// entries either).
constexpr uint8_t undefinedPage1[] = {0x41, 0x42, 0x45, 0x4B, 0x4E, 0x51, 0x52, 0x55, 0x5B, 0x5E,
                                      0x61, 0x62, 0x65, 0x6B, 0x71, 0x72, 0x75, 0x7B, 0x87, 0xC7};

int pageRank(uint8_t prefix)
{
    switch (prefix) {
    case 0x00: return 0;
    case 0x18: return 1;
    case 0x1A: return 2;
    case 0xCD: return 3;
    default: return 99;
    }
}

} // namespace

TEST(InstructionSet, LengthIsPrefixOpcodeAndOperandBytes)
{
    for (const InstructionInfo& e : instructionSet()) {
        SCOPED_TRACE(e.mnemonic);
        EXPECT_EQ(e.length, (e.prefix ? 2 : 1) + operandBytes(e.format))
            << std::hex << int(e.prefix) << " " << int(e.opcode);
        EXPECT_GE(e.length, 1);
        EXPECT_LE(e.length, 5);
    }
}

TEST(InstructionSet, EachPrefixOpcodeOnceInPageOrder)
{
    std::set<std::pair<int, int>> seen;
    std::pair<int, int> last{-1, -1};
    for (const InstructionInfo& e : instructionSet()) {
        std::pair<int, int> key{pageRank(e.prefix), e.opcode};
        EXPECT_LT(key.first, 4) << "unknown prefix " << int(e.prefix);
        EXPECT_TRUE(seen.insert(key).second) << "twice: " << int(e.prefix) << " " << int(e.opcode);
        EXPECT_LT(last, key) << "out of page order at " << e.mnemonic;
        last = key;
    }
}

TEST(InstructionSet, PageSizes)
{
    int count[4] = {};
    for (const InstructionInfo& e : instructionSet())
        ++count[pageRank(e.prefix)];
    EXPECT_EQ(count[0], 256 - 20 - 1 - 3);  // undefined, TEST, three prefixes
    EXPECT_EQ(count[1], 64);
    EXPECT_EQ(count[2], 7);
    EXPECT_EQ(count[3], 4);
}

TEST(InstructionSet, FindInstructionAgreesWithTable)
{
    for (uint8_t prefix : pages) {
        for (int op = 0; op < 256; ++op) {
            const InstructionInfo* e = findInstruction(prefix, static_cast<uint8_t>(op));
            bool listed = false;
            for (const InstructionInfo& t : instructionSet())
                if (t.prefix == prefix && t.opcode == op) {
                    listed = true;
                    EXPECT_EQ(e, &t);
                }
            if (!listed) {
                EXPECT_EQ(e, nullptr) << int(prefix) << " " << op;
            }
        }
    }
}

TEST(InstructionSet, Page1DefinedExactlyOutsideTheGaps)
{
    std::set<int> gaps(std::begin(undefinedPage1), std::end(undefinedPage1));
    gaps.insert({0x00, 0x18, 0x1A, 0xCD});
    for (int op = 0; op < 256; ++op)
        EXPECT_EQ(findInstruction(0, static_cast<uint8_t>(op)) == nullptr, gaps.count(op) == 1) << op;
    ASSERT_NE(findInstruction(0, 0x19), nullptr);
    EXPECT_STREQ(findInstruction(0, 0x19)->mnemonic, "DAA");
}

TEST(InstructionSet, UnknownPrefixFindsNothing)
{
    EXPECT_EQ(findInstruction(0x19, 0x08), nullptr);
    EXPECT_EQ(findInstruction(0x01, 0x01), nullptr);
    EXPECT_EQ(findInstruction(0xFF, 0xCE), nullptr);
}

TEST(InstructionSet, ShiftLeftSpelledLsl)
{
    for (const InstructionInfo& e : instructionSet())
        EXPECT_NE(std::strncmp(e.mnemonic, "ASL", 3), 0) << e.mnemonic;
    EXPECT_STREQ(findInstruction(0, 0x05)->mnemonic, "LSLD");
    EXPECT_STREQ(findInstruction(0, 0x48)->mnemonic, "LSLA");
    EXPECT_STREQ(findInstruction(0, 0x58)->mnemonic, "LSLB");
    EXPECT_STREQ(findInstruction(0, 0x78)->mnemonic, "LSL");
    EXPECT_STREQ(findInstruction(0x18, 0x68)->mnemonic, "LSL");
}

struct Row {
    uint8_t prefix, opcode;
    const char* mnemonic;
    OperandFormat format;
    uint8_t length, cycles;
};

void PrintTo(const Row& r, std::ostream* os) { *os << r.mnemonic << ' ' << int(r.prefix) << ' ' << int(r.opcode); }

class InstructionRow : public ::testing::TestWithParam<Row> {};

TEST_P(InstructionRow, MatchesManual)
{
    const Row& r = GetParam();
    const InstructionInfo* e = findInstruction(r.prefix, r.opcode);
    ASSERT_NE(e, nullptr);
    EXPECT_STREQ(e->mnemonic, r.mnemonic);
    EXPECT_EQ(e->format, r.format);
    EXPECT_EQ(e->length, r.length);
    EXPECT_EQ(e->cycles, r.cycles);
}

using F = OperandFormat;
INSTANTIATE_TEST_SUITE_P(Rows, InstructionRow, ::testing::Values(
    Row{0x00, 0x1B, "ABA", F::Inherent, 1, 2},
    Row{0x00, 0x0C, "CLC", F::Inherent, 1, 2},
    Row{0x00, 0x89, "ADCA", F::Immediate8, 2, 2},
    Row{0x00, 0x84, "ANDA", F::Immediate8, 2, 2},
    Row{0x00, 0x48, "LSLA", F::Inherent, 1, 2},
    Row{0x00, 0x47, "ASRA", F::Inherent, 1, 2},
    Row{0x18, 0x3A, "ABY", F::Inherent, 2, 4},
    Row{0x18, 0x09, "DEY", F::Inherent, 2, 4},
    Row{0x1A, 0x83, "CPD", F::Immediate16, 4, 5},
    Row{0x1A, 0x93, "CPD", F::Direct, 3, 6},
    Row{0x1A, 0xEE, "LDY", F::IndexedX, 3, 6},
    Row{0x1A, 0xEF, "STY", F::IndexedX, 3, 6},
    Row{0xCD, 0xEE, "LDX", F::IndexedY, 3, 6},
    Row{0xCD, 0xEF, "STX", F::IndexedY, 3, 6},
    Row{0x1A, 0xA3, "CPD", F::IndexedX, 3, 7},
    Row{0x1A, 0xB3, "CPD", F::Extended, 4, 7},
    Row{0x1A, 0xAC, "CPY", F::IndexedX, 3, 7},
    Row{0xCD, 0xA3, "CPD", F::IndexedY, 3, 7},
    Row{0xCD, 0xAC, "CPX", F::IndexedY, 3, 7},
    Row{0x18, 0x60, "NEG", F::IndexedY, 3, 7},
    Row{0x18, 0x6C, "INC", F::IndexedY, 3, 7},
    Row{0x18, 0x6D, "TST", F::IndexedY, 3, 7},
    Row{0x18, 0x6F, "CLR", F::IndexedY, 3, 7},
    Row{0x18, 0x1C, "BSET", F::BitIndexedY, 4, 8},
    Row{0x18, 0x1D, "BCLR", F::BitIndexedY, 4, 8},
    Row{0x18, 0x1E, "BRSET", F::BitBranchIndexedY, 5, 8},
    Row{0x18, 0x1F, "BRCLR", F::BitBranchIndexedY, 5, 8},
    Row{0x00, 0x3D, "MUL", F::Inherent, 1, 10},
    Row{0x00, 0x3B, "RTI", F::Inherent, 1, 12},
    Row{0x00, 0x3F, "SWI", F::Inherent, 1, 14},
    Row{0x00, 0x02, "IDIV", F::Inherent, 1, 41},
    Row{0x00, 0x03, "FDIV", F::Inherent, 1, 41},
    Row{0x00, 0x20, "BRA", F::Relative, 2, 3},
    Row{0x00, 0x2F, "BLE", F::Relative, 2, 3},
    Row{0x00, 0x8D, "BSR", F::Relative, 2, 6},
    Row{0x00, 0x9D, "JSR", F::Direct, 2, 5},
    Row{0x00, 0xBD, "JSR", F::Extended, 3, 6},
    Row{0x00, 0xAD, "JSR", F::IndexedX, 2, 6},
    Row{0x18, 0xAD, "JSR", F::IndexedY, 3, 7},
    Row{0x00, 0x39, "RTS", F::Inherent, 1, 5},
    Row{0x00, 0x6E, "JMP", F::IndexedX, 2, 3},
    Row{0x00, 0x7E, "JMP", F::Extended, 3, 3},
    Row{0x18, 0x6E, "JMP", F::IndexedY, 3, 4},
    Row{0x00, 0x12, "BRSET", F::BitBranchDirect, 4, 6},
    Row{0x00, 0x15, "BCLR", F::BitDirect, 3, 6},
    Row{0x00, 0x1C, "BSET", F::BitIndexedX, 3, 7},
    Row{0x00, 0x1F, "BRCLR", F::BitBranchIndexedX, 4, 7},
    Row{0x00, 0xCC, "LDD", F::Immediate16, 3, 3},
    Row{0x00, 0xFD, "STD", F::Extended, 3, 5},
    Row{0x00, 0xD3, "ADDD", F::Direct, 2, 5},
    Row{0x00, 0x8C, "CPX", F::Immediate16, 3, 4},
    Row{0x18, 0x8C, "CPY", F::Immediate16, 4, 5},
    Row{0x18, 0xCE, "LDY", F::Immediate16, 4, 4},
    Row{0x18, 0xFF, "STY", F::Extended, 4, 6},
    Row{0x00, 0x7D, "TST", F::Extended, 3, 6},
    Row{0x00, 0x38, "PULX", F::Inherent, 1, 5},
    Row{0x18, 0x38, "PULY", F::Inherent, 2, 6},
    Row{0x18, 0x3C, "PSHY", F::Inherent, 2, 5},
    Row{0x00, 0x8F, "XGDX", F::Inherent, 1, 3},
    Row{0x18, 0x8F, "XGDY", F::Inherent, 2, 4},
    Row{0x00, 0xCF, "STOP", F::Inherent, 1, 2},
    Row{0x00, 0x3E, "WAI", F::Inherent, 1, 14},
    Row{0x00, 0x19, "DAA", F::Inherent, 1, 2},
    Row{0x18, 0xA6, "LDAA", F::IndexedY, 3, 5},
    Row{0x18, 0xE7, "STAB", F::IndexedY, 3, 5}),
    [](const ::testing::TestParamInfo<Row>& info) {
        char name[32];
        std::snprintf(name, sizeof name, "%s_%02X%02X", info.param.mnemonic, info.param.prefix, info.param.opcode);
        return std::string(name);
    });

// The compact facts the per-step path reads must say what the table says.
TEST(OpcodeFacts, AgreeWithTheTable)
{
    for (int page = 0; page < 4; ++page) {
        for (int op = 0; op < 256; ++op) {
            const OpcodeFacts& f = opcodeFacts[static_cast<size_t>(page)][static_cast<size_t>(op)];
            const InstructionInfo* e = findInstruction(pages[page], static_cast<uint8_t>(op));
            SCOPED_TRACE(testing::Message() << page << " " << op);
            if (e) {
                EXPECT_EQ(f.format, e->format);
                EXPECT_EQ(f.length, e->length);
                EXPECT_EQ(f.cycles, e->cycles);
            } else {
                EXPECT_EQ(f.format, OperandFormat::Inherent);
                EXPECT_EQ(f.length, page ? 2 : 1);
                EXPECT_EQ(f.cycles, page ? 0 : 2);
                EXPECT_EQ(f.flow, Flow::None);
                EXPECT_FALSE(f.stack);
            }
        }
    }
}

TEST(OpcodeFacts, FlowKinds)
{
    struct Case { uint8_t prefix, opcode; Flow flow; };
    const Case cases[] = {
        {0x00, 0x20, Flow::Branch}, {0x00, 0x2F, Flow::Branch}, {0x00, 0x8D, Flow::Call},
        {0x00, 0x9D, Flow::Call}, {0x00, 0xAD, Flow::Call}, {0x00, 0xBD, Flow::Call},
        {0x18, 0xAD, Flow::Call}, {0x00, 0x6E, Flow::Jump}, {0x00, 0x7E, Flow::Jump},
        {0x18, 0x6E, Flow::Jump}, {0x00, 0x39, Flow::ReturnSub}, {0x00, 0x3B, Flow::ReturnInt},
        {0x00, 0x12, Flow::BitBranchSet}, {0x00, 0x1E, Flow::BitBranchSet}, {0x18, 0x1E, Flow::BitBranchSet},
        {0x00, 0x13, Flow::BitBranchClear}, {0x00, 0x1F, Flow::BitBranchClear},
        {0x18, 0x1F, Flow::BitBranchClear}, {0x00, 0x14, Flow::None}, {0x18, 0x1C, Flow::None},
        {0x00, 0x3F, Flow::None}, {0x00, 0x3E, Flow::None}, {0x1A, 0xAC, Flow::None}, {0xCD, 0xAC, Flow::None},
    };
    int flowing = 0;
    for (const Case& c : cases) {
        const OpcodeFacts& f = opcodeFacts[static_cast<size_t>(pageRank(c.prefix))][c.opcode];
        EXPECT_EQ(f.flow, c.flow) << int(c.prefix) << " " << int(c.opcode);
    }
    for (const auto& page : opcodeFacts)
        for (const OpcodeFacts& f : page)
            flowing += f.flow != Flow::None;
    // 16 branches, 5 calls, 3 jumps, 2 returns, 6 bit branches.
    EXPECT_EQ(flowing, 32);
}

TEST(OpcodeFacts, PrefixPages)
{
    for (int b = 0; b < 256; ++b) {
        int expected = b == 0x18 ? 1 : b == 0x1A ? 2 : b == 0xCD ? 3 : 0;
        EXPECT_EQ(prefixPage[static_cast<size_t>(b)], expected) << b;
    }
}
