// The input-output unit's conversions between typed or shown text and the
// eight-bit string, against their edge cases.
#include "terminal/IoConversions.h"

#include <gtest/gtest.h>

#include <string>

using namespace zelk;

namespace {

struct TextCase {
    const char* text;
    const char* bits;  // "error" when refused
};

TEST(IoConversions, FromIntSigned)
{
    const TextCase cases[] = {
        {"0", "00000000"},     {"-1", "11111111"},   {"127", "01111111"},  {"-128", "10000000"},
        {"128", "error"},      {"-129", "error"},    {"  5  ", "00000101"}, {"0005", "00000101"},
        {"-0", "00000000"},    {"000", "00000000"},  {"00000127", "01111111"}, {"12345", "error"},
        {"", "error"},         {"-", "error"},       {"abc", "error"},     {"1a", "error"},
        {"+5", "error"},       {"1.5", "error"},     {"--1", "error"},     {"- 1", "error"},
        {"-100", "10011100"},  {"9999", "error"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fromInt(c.text, IntMode::Signed), c.bits) << '"' << c.text << '"';
}

TEST(IoConversions, FromIntUnsigned)
{
    const TextCase cases[] = {
        {"255", "11111111"}, {"256", "error"}, {"0", "00000000"}, {"-1", "error"},
        {"-0", "00000000"},  {"128", "10000000"}, {"0255", "11111111"}, {"1000", "error"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fromInt(c.text, IntMode::Unsigned), c.bits) << '"' << c.text << '"';
}

TEST(IoConversions, FromHex)
{
    const TextCase cases[] = {
        {"F", "00001111"},  {"f", "00001111"},  {"9A", "10011010"}, {"ff", "11111111"},
        {"100", "error"},   {"ABC", "error"},   {"00F", "00001111"}, {"0", "00000000"},
        {" 7 ", "00000111"}, {"", "error"},     {"G", "error"},     {"1G", "error"},
        {"$F", "error"},    {"000", "00000000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fromHex(c.text), c.bits) << '"' << c.text << '"';
}

TEST(IoConversions, FromBinary)
{
    const TextCase cases[] = {
        {"1", "00000001"},        {"10101010", "10101010"}, {"111111111", "error"},
        {"000000001", "error"},   {"2", "error"},           {"", "error"},
        {"0", "00000000"},        {" 11 ", "00000011"},     {"1 1", "error"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fromBinary(c.text), c.bits) << '"' << c.text << '"';
}

TEST(IoConversions, BitsToText)
{
    struct Case {
        const char* bits;
        const char* sign;
        const char* unsign;
        const char* hex;
        const char* bcd;
    };
    const Case cases[] = {
        {"10011010", "-102", "154", "9A", "error"},
        {"00000000", "0", "0", "00", "00"},
        {"11111111", "-1", "255", "FF", "error"},
        {"01111111", "127", "127", "7F", "error"},
        {"10000000", "-128", "128", "80", "80"},
        {"01011001", "89", "89", "59", "59"},
        {"00001001", "9", "9", "09", "09"},
        {"10100000", "-96", "160", "A0", "error"},
        {"0000101", "error", "error", "error", "error"},  // malformed: seven bits
        {"0000000x", "error", "error", "error", "error"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toInt(c.bits, IntMode::Signed), c.sign) << c.bits;
        EXPECT_EQ(toInt(c.bits, IntMode::Unsigned), c.unsign) << c.bits;
        EXPECT_EQ(toHex(c.bits), c.hex) << c.bits;
        EXPECT_EQ(toBCD(c.bits), c.bcd) << c.bits;
    }
}

TEST(IoConversions, EveryByteRoundTrips)
{
    for (int v = 0; v < 256; ++v) {
        const std::string bits = byteToBits(static_cast<uint8_t>(v));
        ASSERT_EQ(bitsToByte(bits), v);
        EXPECT_EQ(fromHex(toHex(bits)), bits) << v;
        EXPECT_EQ(fromInt(toInt(bits, IntMode::Unsigned), IntMode::Unsigned), bits) << v;
        EXPECT_EQ(fromInt(toInt(bits, IntMode::Signed), IntMode::Signed), bits) << v;
        EXPECT_EQ(fromBinary(bits), bits) << v;
    }
}

TEST(IoConversions, RemoveLeadingZeroes)
{
    const std::pair<const char*, const char*> cases[] = {
        {"007", "7"}, {"000", "0"}, {"", ""}, {"100", "100"}, {"0", "0"}, {"0a", "a"},
    };
    for (auto [in, out] : cases)
        EXPECT_EQ(removeLeadingZeroes(in), out) << '"' << in << '"';
}

} // namespace
