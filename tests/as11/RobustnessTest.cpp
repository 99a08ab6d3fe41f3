// Hostile input: binary garbage, huge lines, unterminated strings, deep
// nesting, many labels, and a bounded randomized run over mutated sources.
// Each must end with error lines in the "LINE: message" form (or none),
// never a crash or a hang; the ASan/UBSan build runs these too.
#include "As11TestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <sstream>

using namespace zelk::as11;

namespace {

// Every error names a real line and reads "LINE: message" on one line.
void expectWellFormed(const AssemblyResult& r)
{
    for (const auto& e : r.errors) {
        EXPECT_GE(e.line, 1);
        EXPECT_LE(e.line, std::max(1, r.lineCount));
        EXPECT_FALSE(e.message.empty());
        EXPECT_EQ(e.message.find('\n'), std::string::npos);
        EXPECT_EQ(e.message.find('\r'), std::string::npos);
    }
    std::istringstream in(r.errorText());
    std::string line;
    static const std::regex form("^[1-9][0-9]*: .+$");
    while (std::getline(in, line))
        EXPECT_TRUE(std::regex_match(line, form)) << line.substr(0, 80);
}

TEST(Robustness, BinaryGarbage)
{
    std::mt19937 rng(7);
    std::string junk;
    for (int i = 0; i < 200000; ++i)
        junk += static_cast<char>(rng() & 0xFF);
    AssemblyResult r = assemble(junk);
    expectWellFormed(r);
    EXPECT_FALSE(r.ok());
}

TEST(Robustness, TenMegabyteLine)
{
    std::string line = " FCB " + std::string(10 * 1024 * 1024, '1');
    AssemblyResult r = assemble(line);
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_NE(r.errors[0].message.find("too large"), std::string::npos);
    EXPECT_LT(r.errors[0].message.size(), 200u);

    std::string list = " FCB 1";
    list.reserve(400 * 1024);
    while (list.size() < 400u * 1024)
        list += ",1";
    AssemblyResult big = assemble(list);
    ASSERT_EQ(big.errors.size(), 1u);
    EXPECT_NE(big.errors[0].message.find("beyond $FFFF"), std::string::npos);
    EXPECT_EQ(as11test::bytesFrom(big, 0).size(), 65536u);
}

TEST(Robustness, HugeCommentAndLabel)
{
    std::string label(1000000, 'a');
    AssemblyResult r = assemble(label + " NOP " + std::string(1000000, ';') + "\n JMP " + label + "\n");
    EXPECT_TRUE(r.ok()) << r.errorText().substr(0, 200);
    AssemblyResult u = assemble(" JMP " + label + "\n");
    ASSERT_EQ(u.errors.size(), 1u);
    EXPECT_LT(u.errors[0].message.size(), 100u);
}

TEST(Robustness, UnterminatedStringsAndConstants)
{
    for (const char* src : {" FCC \"abc", " FCC /", " FCC", " LDAA #'", " FCB '", " BSET '", " FCB 'a,'"}) {
        AssemblyResult r = assemble(src);
        expectWellFormed(r);
        EXPECT_FALSE(r.ok()) << src;
    }
}

TEST(Robustness, DeepParentheses)
{
    AssemblyResult r = assemble(" LDAA #" + std::string(1000000, '(') + "1\n LDAA #" + std::string(100000, '~') + "1\n");
    ASSERT_EQ(r.errors.size(), 2u);
    EXPECT_NE(r.errors[0].message.find("too deeply nested"), std::string::npos);
}

TEST(Robustness, HundredThousandLabels)
{
    std::string src = " ORG $0100\n";
    for (int i = 0; i < 100000; ++i)
        src += "L" + std::to_string(i) + " RMB 0\n";
    src += " LDX #L99999\n JMP L0\n";
    AssemblyResult r = assemble(src);
    ASSERT_TRUE(r.ok()) << r.errorText().substr(0, 200);
    EXPECT_EQ(r.symbols.size(), 100000u);
    EXPECT_EQ(as11test::bytesFrom(r, 0x100), (std::vector<uint8_t>{0xCE, 0x01, 0x00, 0x7E, 0x01, 0x00}));
}

TEST(Robustness, TangledEquatesStayBounded)
{
    // A long chain of equates in an order that resolves one per sweep: the
    // sweeps are bounded, so this finishes quickly and reports the rest.
    std::string src;
    const int n = 20000;
    for (int i = 0; i < n; ++i) {
        int k = (i % 2 == 0) ? i / 2 : n - 1 - i / 2;
        src += "E" + std::to_string(k) + " EQU E" + std::to_string(k + 1) + "+1\n";
    }
    src += "E" + std::to_string(n) + " EQU 0\n";
    AssemblyResult r = assemble(src);
    expectWellFormed(r);
}

TEST(Robustness, BitInstructionWithEndlessEmptyFields)
{
    std::string src = " BSET";
    for (int i = 0; i < 500000; ++i)
        src += " ,";
    AssemblyResult r = assemble(src + "\n BRCLR" + std::string(1000000, ',') + "\n");
    ASSERT_EQ(r.errors.size(), 2u) << r.errorText().substr(0, 300);
    EXPECT_NE(r.errors[0].message.find("missing operand"), std::string::npos);
}

TEST(Robustness, ErrorCountIsCapped)
{
    std::string src;
    for (size_t i = 0; i < maxErrors + 500; ++i)
        src += " BOGUS\n";
    AssemblyResult r = assemble(src);
    ASSERT_EQ(r.errors.size(), maxErrors + 1);
    EXPECT_EQ(r.errors[maxErrors - 1].message, "unknown mnemonic BOGUS");
    EXPECT_EQ(r.errors.back().message, "too many errors: later ones are not listed");
    EXPECT_EQ(r.errors.back().line, static_cast<int>(maxErrors) + 1);
}

TEST(Robustness, ManyEmptyLines)
{
    AssemblyResult r = assemble(std::string(2000000, '\n') + " BOGUS\n");
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_EQ(r.errors[0].line, 2000001);
}

TEST(Robustness, RandomizedMutations)
{
    // Bounded: a fixed number of mutated sources built from valid pieces,
    // operator soup and random bytes.
    const char* pieces[] = {
        " LDAA #$12", " BSET $10,X $40", " BRSET 5,Y,#1,L", "L NOP", " FCB 1,2,'", " FCC /x/", " ORG $FFFF",
        " RMB 65536", " FILL 1,70000", " END L", "X EQU Y", "Y EQU X", " LDX #(((1", " JMP >L", " STD <L",
        " FDB *,*,*", "V SET V+1", " BRA *+200", " LDAA 300,X", " BCLR ,X", "\t", "'", "#", ",", "\"", "$", "%",
        "@", "*", ";", "<", ">", "(", ")", "~", "-", "<<", ">>", "/0", "L:", "::", "X", "Y", ",X", ",Y"};
    std::mt19937 rng(20260);
    for (int iter = 0; iter < 600; ++iter) {
        std::string src;
        int lines = 1 + static_cast<int>(rng() % 20);
        for (int l = 0; l < lines; ++l) {
            int parts = 1 + static_cast<int>(rng() % 4);
            for (int p = 0; p < parts; ++p) {
                if (rng() % 8 == 0)
                    src += static_cast<char>(rng() & 0xFF);
                else
                    src += pieces[rng() % (sizeof pieces / sizeof pieces[0])];
            }
            src += rng() % 10 == 0 ? "\r\n" : "\n";
        }
        AssemblyResult r = assemble(src);
        expectWellFormed(r);
        as11test::readListing(r.listing);  // the listing stays readable
        for (const auto& rec : as11test::parseSRecords(r.srecords))
            EXPECT_TRUE(rec.checksumOk);
    }
}

} // namespace
