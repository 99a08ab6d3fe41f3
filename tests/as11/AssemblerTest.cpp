// as11 encodings, addressing-mode choice, directives, symbols and errors.
#include "As11TestSupport.h"

#include <gtest/gtest.h>

#include <regex>

using namespace zelk::as11;
using as11test::assembleBytes;

namespace {

struct EncodeCase {
    const char* source;     // assembled from ORG 0 unless it sets its own
    std::vector<uint8_t> bytes;
};

std::ostream& operator<<(std::ostream& os, const EncodeCase& c) { return os << c.source; }

class Encode : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(Encode, Bytes)
{
    AssemblyResult r = assemble(GetParam().source);
    EXPECT_TRUE(r.ok()) << r.errorText();
    EXPECT_EQ(as11test::bytesFrom(r, 0x0100), GetParam().bytes);
}

// Every case starts at $0100 so that direct page addresses stay apart.
#define AT(src) " ORG $100\n" src

INSTANTIATE_TEST_SUITE_P(AddressingModes, Encode, ::testing::Values(
    EncodeCase{AT(" LDAA #$12"), {0x86, 0x12}},
    EncodeCase{AT(" LDAA $12"), {0x96, 0x12}},
    EncodeCase{AT(" LDAA $FF"), {0x96, 0xFF}},
    EncodeCase{AT(" LDAA $100"), {0xB6, 0x01, 0x00}},
    EncodeCase{AT(" LDAA >$12"), {0xB6, 0x00, 0x12}},
    EncodeCase{AT(" LDAA <$12"), {0x96, 0x12}},
    EncodeCase{AT(" LDAA 5,X"), {0xA6, 0x05}},
    EncodeCase{AT(" LDAA ,X"), {0xA6, 0x00}},
    EncodeCase{AT(" LDAA 5,Y"), {0x18, 0xA6, 0x05}},
    EncodeCase{AT(" ldaa 255,y"), {0x18, 0xA6, 0xFF}},
    EncodeCase{AT(" LDD #$1234"), {0xCC, 0x12, 0x34}},
    EncodeCase{AT(" LDY #$1234"), {0x18, 0xCE, 0x12, 0x34}},
    EncodeCase{AT(" LDY 3,X"), {0x1A, 0xEE, 0x03}},
    EncodeCase{AT(" CPD #1"), {0x1A, 0x83, 0x00, 0x01}},
    EncodeCase{AT(" CPD 2,Y"), {0xCD, 0xA3, 0x02}},
    EncodeCase{AT(" LDX 0,Y"), {0xCD, 0xEE, 0x00}},
    EncodeCase{AT(" JMP $12"), {0x7E, 0x00, 0x12}},
    EncodeCase{AT(" JSR $12"), {0x9D, 0x12}},
    EncodeCase{AT(" JSR 4,X"), {0xAD, 0x04}},
    EncodeCase{AT(" LSLD"), {0x05}},
    EncodeCase{AT(" ASLD"), {0x05}},
    EncodeCase{AT(" ASLA\n ASLB\n ASL $10"), {0x48, 0x58, 0x78, 0x00, 0x10}},
    EncodeCase{AT("L BHS L\n BLO L"), {0x24, 0xFE, 0x25, 0xFC}},
    EncodeCase{AT(" XGDY\n IDIV\n FDIV\n MUL"), {0x18, 0x8F, 0x02, 0x03, 0x3D}},
    EncodeCase{AT(" STOP\n WAI\n SWI\n DAA"), {0xCF, 0x3E, 0x3F, 0x19}}));

INSTANTIATE_TEST_SUITE_P(BitInstructions, Encode, ::testing::Values(
    EncodeCase{AT(" BSET $10,X $40"), {0x1C, 0x10, 0x40}},
    EncodeCase{AT(" BSET $10,X,#$40"), {0x1C, 0x10, 0x40}},
    EncodeCase{AT(" BSET $10,X #$40"), {0x1C, 0x10, 0x40}},
    EncodeCase{AT(" BSET ,X $40"), {0x1C, 0x00, 0x40}},
    EncodeCase{AT(" BSET $10 $40"), {0x14, 0x10, 0x40}},
    EncodeCase{AT(" BSET $10,#$40"), {0x14, 0x10, 0x40}},
    EncodeCase{AT(" BCLR $10,Y $01"), {0x18, 0x1D, 0x10, 0x01}},
    EncodeCase{AT(" bclr 7,y,#%11 clear two bits"), {0x18, 0x1D, 0x07, 0x03}},
    EncodeCase{AT("L BRSET $10,X $40 L"), {0x1E, 0x10, 0x40, 0xFC}},
    EncodeCase{AT("L BRSET $10,X,#$40,L"), {0x1E, 0x10, 0x40, 0xFC}},
    EncodeCase{AT("L BRCLR $10 $40 L"), {0x13, 0x10, 0x40, 0xFC}},
    EncodeCase{AT("L BRCLR $10,#$40,L"), {0x13, 0x10, 0x40, 0xFC}},
    EncodeCase{AT("L BRCLR 1,Y #$80 L"), {0x18, 0x1F, 0x01, 0x80, 0xFB}},
    EncodeCase{AT(" BRSET 0,X $01 N\nN NOP"), {0x1E, 0x00, 0x01, 0x00, 0x01}}));

INSTANTIATE_TEST_SUITE_P(ChoiceOfDirectOrExtended, Encode, ::testing::Values(
    // Known and small at the line: direct.
    EncodeCase{"V EQU $40\n ORG $100\n STAA V", {0x97, 0x40}},
    // A forward reference gives extended, even when it turns out small.
    EncodeCase{AT(" STAA V\nV EQU $40"), {0xB7, 0x00, 0x40}},
    EncodeCase{AT(" STAA <V\nV EQU $40"), {0x97, 0x40}},
    // Labels after the line are forward references too.
    EncodeCase{AT(" JSR S\nS RTS"), {0xBD, 0x01, 0x03, 0x39}},
    // An instruction without a direct form stays extended.
    EncodeCase{AT(" INC $10\n CLR $10"), {0x7C, 0x00, 0x10, 0x7F, 0x00, 0x10}},
    EncodeCase{"V SET 5\n ORG $100\n LDAA V\nV SET $1234\n LDAA V", {0x96, 0x05, 0xB6, 0x12, 0x34}}));

INSTANTIATE_TEST_SUITE_P(NumbersAndExpressions, Encode, ::testing::Values(
    EncodeCase{AT(" LDAA #%1010\n LDAA #@17\n LDAA #'A'\n LDAA #-1"), {0x86, 0x0A, 0x86, 0x0F, 0x86, 0x41, 0x86, 0xFF}},
    EncodeCase{AT(" LDAA #' '\n LDAB #';' not a comment"), {0x86, 0x20, 0xC6, 0x3B}},
    EncodeCase{AT(" LDX #(END-START)/2\nSTART FCB 1,2,3,4\nEND"), {0xCE, 0x00, 0x02, 1, 2, 3, 4}},
    EncodeCase{AT(" FDB *,*+2"), {0x01, 0x00, 0x01, 0x02}},
    EncodeCase{AT(" LDAA #~$0F&$FF\n LDD #1<<8|$34"), {0x86, 0xF0, 0xCC, 0x01, 0x34}},
    EncodeCase{AT(" LDAA #HI>>8\n LDAB #HI&$FF\nHI EQU $ABCD"), {0x86, 0xAB, 0xC6, 0xCD}}));

INSTANTIATE_TEST_SUITE_P(Directives, Encode, ::testing::Values(
    EncodeCase{AT(" FCB 1,$FF,-1,'z'"), {1, 0xFF, 0xFF, 'z'}},
    EncodeCase{AT(" FDB $1234,-2"), {0x12, 0x34, 0xFF, 0xFE}},
    EncodeCase{AT(" FCC \"a b\"\n FCC /x;y/ comment\n fcc 'q'"), {'a', ' ', 'b', 'x', ';', 'y', 'q'}},
    EncodeCase{AT(" BSZ 3\n ZMB 1\n FCB 9"), {0, 0, 0, 0, 9}},
    EncodeCase{AT(" FILL $AA,3\n FCB 1"), {0xAA, 0xAA, 0xAA, 1}},
    EncodeCase{AT(" OPT l\n PAGE\n NOP"), {0x01}},
    EncodeCase{AT(" NOP\n END\n this is not assembled"), {0x01}},
    EncodeCase{AT("V SET 1\n FCB V\nV SET V+1\n FCB V"), {1, 2}}));

INSTANTIATE_TEST_SUITE_P(SourceSyntax, Encode, ::testing::Values(
    EncodeCase{AT("* comment\n; comment\n\n   ; indented comment\n NOP"), {0x01}},
    EncodeCase{AT(" NOP  a comment without a semicolon\n INX ; and one with"), {0x01, 0x08}},
    EncodeCase{AT(" LDAA #1  comment after the operand"), {0x86, 0x01}},
    EncodeCase{AT("Loop: DECA\n BNE loop\n BRA LOOP"), {0x4A, 0x26, 0xFD, 0x20, 0xFB}},
    EncodeCase{AT("   again: NOP\n BRA again"), {0x01, 0x20, 0xFD}},
    EncodeCase{AT("\tldaa\t#1\t;tabs\r\n\tNoP\r\n"), {0x86, 0x01, 0x01}},
    EncodeCase{AT(" BRA *"), {0x20, 0xFE}},
    EncodeCase{"\xEF\xBB\xBF ORG $100\nL NOP\n BRA L", {0x01, 0x20, 0xFD}}));

TEST(Assembler, RmbLeavesAGapInTheSRecords)
{
    AssemblyResult r = assemble(" ORG $E000\n FCB 1\n RMB 4\n FCB 2\n RMW 2\n FCB 3\n");
    ASSERT_TRUE(r.ok()) << r.errorText();
    as11test::Image img = as11test::imageOf(r);
    EXPECT_EQ(img[0xE000], 1);
    for (int a = 0xE001; a < 0xE005; ++a)
        EXPECT_EQ(img[a], -1) << std::hex << a;
    EXPECT_EQ(img[0xE005], 2);
    EXPECT_EQ(img[0xE006], -1);
    EXPECT_EQ(img[0xE00A], 3);
    auto recs = as11test::parseSRecords(r.srecords);
    int s1 = 0;
    for (const auto& rec : recs)
        s1 += rec.type == '1';
    EXPECT_EQ(s1, 3);
}

TEST(Assembler, SRecordsAreValidAndAtMost32Bytes)
{
    std::string src = " ORG $C000\n";
    for (int i = 0; i < 100; ++i)
        src += " FCB " + std::to_string(i) + "\n";
    src += " ORG $FFFE\n FDB $C000\n END $C000\n";
    AssemblyResult r = assemble(src);
    ASSERT_TRUE(r.ok());
    auto recs = as11test::parseSRecords(r.srecords);
    ASSERT_GE(recs.size(), 3u);
    EXPECT_EQ(recs.front().type, '0');
    EXPECT_EQ(recs.back().type, '9');
    EXPECT_EQ(recs.back().address, 0xC000u);
    std::vector<int> seen(65536, -1);
    for (const auto& rec : recs) {
        EXPECT_TRUE(rec.checksumOk);
        if (rec.type != '1')
            continue;
        EXPECT_LE(rec.data.size(), 32u);
        for (size_t i = 0; i < rec.data.size(); ++i)
            seen[rec.address + i] = rec.data[i];
    }
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(seen[0xC000 + i], i);
    EXPECT_EQ(seen[0xFFFE], 0xC0);
    EXPECT_EQ(seen[0xFFFF], 0x00);
}

TEST(Assembler, KnownRecordFormat)
{
    std::vector<Segment> segs{{0x0000, {0x28, 0x5F, 0x24, 0x5F, 0x22, 0x12, 0x22, 0x6A, 0x00, 0x04, 0x24, 0x29, 0x00,
                                        0x08, 0x23, 0x7C}}};
    std::string text = formatSRecords(segs, 0, "");
    EXPECT_NE(text.find("S1130000285F245F2212226A000424290008237C2A\n"), std::string::npos) << text;
    EXPECT_NE(text.find("S9030000FC\n"), std::string::npos);
}

TEST(Assembler, LabelsAreCaseInsensitive)
{
    AssemblyResult r = assemble("Start NOP\n JMP start\n JMP START\n");
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.symbols.size(), 1u);
    ASSERT_NE(r.symbols.find("START"), nullptr);
    EXPECT_EQ(r.symbols.find("start")->name, "Start");
}

TEST(Assembler, EquatesResolveInAnyOrder)
{
    AssemblyResult r = assemble(" ORG $100\n LDX #A\nA EQU B+1\nB EQU C*2\nC EQU D-1\nD EQU 6\n");
    ASSERT_TRUE(r.ok()) << r.errorText();
    EXPECT_EQ(as11test::bytesFrom(r, 0x100), (std::vector<uint8_t>{0xCE, 0x00, 11}));
}

TEST(Assembler, EndOperandGivesStartAddress)
{
    AssemblyResult r = assemble(" ORG $E000\nGO NOP\n END GO\n");
    EXPECT_EQ(r.startAddress, 0xE000);
    EXPECT_NE(r.srecords.find("S903E0001C"), std::string::npos);
    EXPECT_EQ(assemble(" NOP\n").startAddress, -1);
}

struct ErrorCase {
    const char* source;
    int line;
    const char* fragment;
};

std::ostream& operator<<(std::ostream& os, const ErrorCase& c) { return os << c.source; }

class Errors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(Errors, Reported)
{
    AssemblyResult r = assemble(GetParam().source);
    ASSERT_FALSE(r.ok()) << GetParam().source;
    bool found = false;
    for (const auto& e : r.errors)
        found = found || (e.line == GetParam().line && e.message.find(GetParam().fragment) != std::string::npos);
    EXPECT_TRUE(found) << r.errorText();
}

INSTANTIATE_TEST_SUITE_P(Messages, Errors, ::testing::Values(
    ErrorCase{" NOP\n LDAA NOWHERE\n", 2, "undefined symbol NOWHERE"},
    ErrorCase{"A NOP\nB NOP\na NOP\n", 3, "duplicate label a (first defined on line 1)"},
    ErrorCase{"X EQU 1\nX EQU 2\n", 2, "duplicate label"},
    ErrorCase{"X NOP\nX SET 2\n", 2, "duplicate label"},
    ErrorCase{" LDAX #1\n", 1, "unknown mnemonic LDAX"},
    ErrorCase{" STAA #1\n", 1, "STAA has no immediate mode"},
    ErrorCase{" LDAA 1,Z\n", 1, "bad operand"},
    ErrorCase{" JMP <$10\n", 1, "JMP has no direct mode"},
    ErrorCase{" BRA 1,X\n", 1, "BRA has no indexed mode"},
    ErrorCase{" BRA FAR\n RMB 130\nFAR NOP\n", 1, "branch out of range by 3 bytes"},
    ErrorCase{"BACK RMB 127\n BRA BACK\n", 2, "branch out of range by 1 byte"},
    ErrorCase{"L RMB 200\n BRSET 0,X 1 L\n", 2, "branch out of range by 76 bytes"},
    ErrorCase{" LDAA #$100\n", 1, "out of range for an 8-bit immediate"},
    ErrorCase{" LDX #$10000\n", 1, "out of range"},
    ErrorCase{" FCB 256\n", 1, "out of range for a byte"},
    ErrorCase{" LDAA <$1234\n", 1, "out of range for direct addressing"},
    ErrorCase{" LDAA -1,X\n", 1, "out of range for an index offset"},
    ErrorCase{" BSET $100 1\n", 1, "out of range for direct addressing"},
    ErrorCase{" BSET $10 $100\n", 1, "out of range for a bit mask"},
    ErrorCase{" LDAA\n", 1, "missing operand"},
    ErrorCase{" BSET $10\n", 1, "missing operand"},
    ErrorCase{" BRSET $10,X $40\n", 1, "missing operand"},
    ErrorCase{" FCB\n", 1, "missing operand"},
    ErrorCase{" FCB 1,,2\n", 1, "missing value"},
    ErrorCase{" FCC \"abc\n", 1, "unterminated string"},
    ErrorCase{" LDAA #1/0\n", 1, "division by zero"},
    ErrorCase{" LDAA #(1\n", 1, "missing ')'"},
    ErrorCase{" ORG LATER\nLATER NOP\n", 1, "must be defined before"},
    ErrorCase{" RMB N\nN EQU 2\n", 1, "must be defined before"},
    ErrorCase{" EQU 5\n", 1, "EQU needs a label"},
    ErrorCase{" ORG $FFFF\n LDAA #1\n", 2, "beyond $FFFF"},
    ErrorCase{"A EQU B\nB EQU A\n", 1, "undefined symbol B"},
    ErrorCase{"1ABC NOP\n", 1, "bad label"},
    ErrorCase{" FILL 1\n", 1, "FILL needs value,count"},
    ErrorCase{" BSET $10,#$40,$50\n", 1, "bad operand"}));

TEST(Assembler, ContinuesAfterErrorsAndReportsAllInOrder)
{
    AssemblyResult r = assemble(" LDAA #FOO\n NOP\n BOGUS\n LDAB #$1FF\n BRA NOWHERE\n");
    ASSERT_EQ(r.errors.size(), 4u) << r.errorText();
    EXPECT_EQ(r.errors[0].line, 1);
    EXPECT_EQ(r.errors[1].line, 3);
    EXPECT_EQ(r.errors[2].line, 4);
    EXPECT_EQ(r.errors[3].line, 5);
    // Faulty lines keep their size, so later addresses are right.
    EXPECT_EQ(as11test::imageOf(r)[2], 0x01);
}

TEST(Assembler, ErrorTextIsLineColonMessage)
{
    AssemblyResult r = assemble("\n\n LDAA #FOO\n");
    EXPECT_EQ(r.errorText(), "3: undefined symbol FOO\n");
    std::regex form("^[1-9][0-9]*: [^\\n]+$");
    AssemblyResult many = assemble(" X\n Y\n Z\n LDAA #1,Q\n FCB 1/0\n");
    std::istringstream in(many.errorText());
    std::string line;
    int n = 0;
    while (std::getline(in, line)) {
        EXPECT_TRUE(std::regex_match(line, form)) << line;
        ++n;
    }
    EXPECT_EQ(n, 5);
}

} // namespace
