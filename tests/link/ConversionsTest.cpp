// Number and text conversions: the number syntax with its limits, the view
// formats, hexadecimal helpers, tab expansion, file names and checksums.
#include "link/Conversions.h"

#include <gtest/gtest.h>

#include <climits>

using namespace zelk;

namespace {

struct ParseCase {
    const char* text;
    bool isWord;
    int32_t expected;
};

class ParseNumberTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseNumberTest, GivesValueOrMinusOne)
{
    const ParseCase& c = GetParam();
    EXPECT_EQ(ParseNumber(c.text, c.isWord), c.expected) << "text \"" << c.text << "\" word " << c.isWord;
}

const std::string longBinary = "%" + std::string(40, '1');
const std::string longZeroBinary = "%" + std::string(40, '0') + "101";

INSTANTIATE_TEST_SUITE_P(Hex, ParseNumberTest, ::testing::Values(
    ParseCase{"$FF", false, 255},
    ParseCase{"$100", false, -1},
    ParseCase{"$100", true, 256},
    ParseCase{"$", true, -1},
    ParseCase{"$12345", true, -1},
    ParseCase{"$FFFF", true, 65535},
    ParseCase{"$ff", false, 255},
    ParseCase{"$aB", false, 0xAB},
    ParseCase{"$0", false, 0},
    ParseCase{"$G1", true, -1},
    ParseCase{"$1 ", true, -1}));

INSTANTIATE_TEST_SUITE_P(Decimal, ParseNumberTest, ::testing::Values(
    ParseCase{"65535", true, 65535},
    ParseCase{"65536", true, -1},
    ParseCase{"123456", true, -1},
    ParseCase{"12a", true, -1},
    ParseCase{"0", false, 0},
    ParseCase{"255", false, 255},
    ParseCase{"256", false, -1},
    ParseCase{"00255", false, 255},
    ParseCase{"99999", true, -1},
    ParseCase{"-1", true, -1},
    ParseCase{" 12", true, -1}));

INSTANTIATE_TEST_SUITE_P(BinaryOctal, ParseNumberTest, ::testing::Values(
    ParseCase{"%1010", false, 10},
    ParseCase{"%102", false, -1},
    ParseCase{"%", true, -1},
    ParseCase{"%11111111", false, 255},
    ParseCase{"%111111111", false, -1},
    ParseCase{longBinary.c_str(), true, -1},
    ParseCase{longZeroBinary.c_str(), false, 5},
    ParseCase{"@777", true, 511},
    ParseCase{"@8", true, -1},
    ParseCase{"@", true, -1},
    ParseCase{"@177777", true, 65535},
    ParseCase{"@200000", true, -1},
    ParseCase{"@1234567", true, -1},
    ParseCase{"@377", false, 255},
    ParseCase{"@400", false, -1}));

INSTANTIATE_TEST_SUITE_P(Other, ParseNumberTest, ::testing::Values(
    ParseCase{"", true, -1},
    ParseCase{"A12", true, -1},
    ParseCase{"x", false, -1},
    ParseCase{"#12", true, -1}));

struct FormatCase {
    int32_t value;
    char format;
    bool isWord;
    const char* expected;
};

class FormatValueTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatValueTest, Formats)
{
    const FormatCase& c = GetParam();
    EXPECT_EQ(FormatValue(c.value, c.format, c.isWord), c.expected);
}

INSTANTIATE_TEST_SUITE_P(All, FormatValueTest, ::testing::Values(
    FormatCase{10, '%', false, "%00001010"},
    FormatCase{10, '$', true, "$000A"},
    FormatCase{10, ' ', true, "10"},
    FormatCase{0, ' ', false, "0"},
    FormatCase{255, '$', false, "$FF"},
    FormatCase{300, '$', false, "$12C"},
    FormatCase{0x1234, '%', true, "%0001001000110100"},
    FormatCase{0, '%', false, "%00000000"},
    FormatCase{0x1FF, '%', false, "%111111111"},
    FormatCase{65535, ' ', true, "65535"},
    FormatCase{5, 'x', false, ""},
    FormatCase{5, '\0', true, ""}));

TEST(HexPad, PadsButNeverCuts)
{
    EXPECT_EQ(HexPad(255, 1), "FF");
    EXPECT_EQ(HexPad(10, 4), "000A");
    EXPECT_EQ(HexPad(0, 0), "0");
    EXPECT_EQ(HexPad(0xABCDE, 4), "ABCDE");
    EXPECT_EQ(HexPad(0xC000, 4), "C000");
    EXPECT_EQ(HexPad(-1, 2), "FFFFFFFF");
}

TEST(HexToLong, SkipsWhatIsNotAnUpperCaseDigit)
{
    EXPECT_EQ(HexToLong("1G2"), 0x12);
    EXPECT_EQ(HexToLong("ff"), 0);
    EXPECT_EQ(HexToLong("FF"), 255);
    EXPECT_EQ(HexToLong(""), 0);
    EXPECT_EQ(HexToLong("$C0 00"), 0xC000);
    EXPECT_EQ(HexToLong("7FFFFFFF"), 0x7FFFFFFF);
}

TEST(HexToLong, SaturatesBeyondThirtyOneBits)
{
    EXPECT_EQ(HexToLong("80000000"), INT32_MAX);
    EXPECT_EQ(HexToLong("123456789ABCDEF"), INT32_MAX);
}

TEST(ExpandTabs, StopsEveryNineColumns)
{
    EXPECT_EQ(ExpandTabs("\tA"), std::string(9, ' ') + "A");
    EXPECT_EQ(ExpandTabs("ABCD\tX"), "ABCD" + std::string(5, ' ') + "X");
    EXPECT_EQ(ExpandTabs("ABCDEFGHI\tX"), "ABCDEFGHI" + std::string(9, ' ') + "X");
    EXPECT_EQ(ExpandTabs("\t\t"), std::string(18, ' '));
    EXPECT_EQ(ExpandTabs("no tabs"), "no tabs");
    EXPECT_EQ(ExpandTabs(""), "");
}

struct SplitCase {
    const char* path;
    const char* base;
    const char* extension;
};

class SplitFileNameTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitFileNameTest, SplitsAtLastDot)
{
    std::string base = "old", ext = "old";
    SplitFileName(GetParam().path, base, ext);
    EXPECT_EQ(base, GetParam().base);
    EXPECT_EQ(ext, GetParam().extension);
}

INSTANTIATE_TEST_SUITE_P(All, SplitFileNameTest, ::testing::Values(
    SplitCase{"prog.asm", "prog", "asm"},
    SplitCase{"prog", "prog", ""},
    SplitCase{"a.b.c", "a.b", "c"},
    SplitCase{"dir.v1/prog", "dir", "v1/prog"},
    SplitCase{"prog.", "prog", ""},
    SplitCase{"", "", ""}));

TEST(CheckSum, LeavesTheCommandLetterOut)
{
    const uint8_t frame[] = {'R', 0x10, 0x00, 0x01};
    EXPECT_EQ(CheckSum(frame, 3), 0x11);
    EXPECT_EQ(CheckSum(frame, 0), 0);
    EXPECT_EQ(CheckSum(frame, -1), 0);
    const uint8_t wrap[] = {'W', 0xFF, 0x02};
    EXPECT_EQ(CheckSum(wrap, 2), 0x01);
}

TEST(CheckSum, FrameChecksumIsItsNegation)
{
    // The read frame for 64 bytes at $1000 ends in $B0.
    const uint8_t frame[] = {'R', 0x10, 0x00, 0x40};
    EXPECT_EQ(static_cast<uint8_t>(-CheckSum(frame, 3)), 0xB0);
    // The erase frame "EEE" ends in $76.
    const uint8_t erase[] = {'E', 'E', 'E'};
    EXPECT_EQ(static_cast<uint8_t>(-CheckSum(erase, 2)), 0x76);
}

} // namespace
