// The listing read back with the IDE's symbol-loading rules: every line with
// an address is an entry with its label, code bytes and source; lines without
// an address (comments, EQU, ORG) and data continuation lines are not.
#include "As11TestSupport.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace zelk::as11;
using as11test::ListingEntry;
using as11test::readListing;

namespace {

const char* program =
    "* Demo\n"                       // 1
    "PORTB   EQU   $1004\n"          // 2
    "        ORG   $E000\n"          // 3
    "START   LDS   #$FF\n"           // 4
    "        LDAA  #$55 comment\n"   // 5
    "LOOP\n"                         // 6  label only, nothing after it
    "\tBRSET\t$10,Y $40 LOOP\n"      // 7  tabs
    "TABLE   FCB   1,2,3,4,5,6,7\n"  // 8  more than five bytes
    "TEXT    FCC   /Hello, world/\n" // 9
    "VAR     RMB   2\n"              // 10
    "        FILL  0,3\n"            // 11
    "\n"                             // 12
    "        FDB   START\n"          // 13
    "lower   nop\n"                  // 14
    "        END\n";                 // 15

TEST(Listing, AddressLinesAreEntriesWithLabelCodeAndSource)
{
    AssemblyResult r = assemble(program);
    ASSERT_TRUE(r.ok()) << r.errorText();
    std::vector<ListingEntry> e = readListing(r.listing);
    ASSERT_EQ(e.size(), 10u) << r.listing;

    EXPECT_EQ(e[0].value, 0xE000);
    EXPECT_EQ(e[0].label, "START");
    EXPECT_EQ(e[0].codeLength, 3);
    EXPECT_EQ(e[0].code[0], 0x8E);
    EXPECT_EQ(e[0].code[2], 0xFF);
    EXPECT_EQ(e[0].source, "START   LDS   #$FF");

    EXPECT_EQ(e[1].label, "");
    EXPECT_EQ(e[1].source, "        LDAA  #$55 comment");

    EXPECT_EQ(e[2].label, "LOOP");  // found although nothing follows it
    EXPECT_EQ(e[2].value, 0xE005);
    EXPECT_EQ(e[2].codeLength, 0);

    EXPECT_EQ(e[3].value, 0xE005);
    EXPECT_EQ(e[3].codeLength, 5);
    EXPECT_EQ(e[3].code[0], 0x18);
    EXPECT_EQ(e[3].code[4], 0xFB);
    EXPECT_EQ(e[3].label, "");
    EXPECT_NE(e[3].source.find("BRSET"), std::string::npos);

    // Data lines: label kept, no code, no source; continuations not read.
    EXPECT_EQ(e[4].label, "TABLE");
    EXPECT_EQ(e[4].value, 0xE00A);
    EXPECT_EQ(e[4].codeLength, 0);
    EXPECT_EQ(e[4].source, "");
    EXPECT_EQ(e[5].label, "TEXT");
    EXPECT_EQ(e[5].value, 0xE011);
    EXPECT_EQ(e[6].label, "VAR");
    EXPECT_EQ(e[6].value, 0xE01D);
    EXPECT_EQ(e[6].source, "VAR     RMB   2");
    EXPECT_EQ(e[7].value, 0xE01F);  // FILL
    EXPECT_EQ(e[7].codeLength, 0);
    EXPECT_EQ(e[8].value, 0xE022);  // FDB
    EXPECT_EQ(e[9].label, "lower");
    EXPECT_EQ(e[9].codeLength, 1);
}

TEST(Listing, CodeLinesUseTheFixedColumns)
{
    AssemblyResult r = assemble(program);
    std::istringstream in(r.listing);
    std::string line;
    int codeLines = 0;
    while (std::getline(in, line)) {
        if (line.rfind("0004 ", 0) == 0) {
            EXPECT_EQ(line, "0004 E000 8E 00 FF         START   LDS   #$FF");
            ++codeLines;
        }
        if (line.rfind("0006 ", 0) == 0) {
            EXPECT_EQ(line, "0006 E005                  LOOP ");
            ++codeLines;
        }
        if (line.rfind("0002", 0) == 0) {
            EXPECT_EQ(line, "0002      =1004            PORTB   EQU   $1004");
        }
    }
    EXPECT_EQ(codeLines, 2);
}

TEST(Listing, EveryEmittedByteAppearsOnItsLine)
{
    // Code lines plus continuation lines together carry all bytes at their
    // addresses, in the same layout.
    AssemblyResult r = assemble(program);
    as11test::Image img = as11test::imageOf(r);
    std::istringstream in(r.listing);
    std::string line;
    int checked = 0;
    while (std::getline(in, line)) {
        if (line.size() < 12 || line[4] != ' ' || line[9] != ' ')
            continue;
        std::string addr = line.substr(5, 4);
        if (addr.find_first_not_of("0123456789ABCDEF") != std::string::npos)
            continue;
        unsigned a = static_cast<unsigned>(std::stoul(addr, nullptr, 16));
        for (size_t k = 0; k < 5 && 10 + 3 * k + 1 < line.size() && line[10 + 3 * k] != ' '; ++k) {
            EXPECT_EQ(img[a + k], static_cast<int>(std::stoul(line.substr(10 + 3 * k, 2), nullptr, 16))) << line;
            ++checked;
        }
    }
    int total = 0;
    for (int v : img)
        total += v >= 0;
    EXPECT_EQ(checked, total);
}

TEST(Listing, LinesWithoutAddressAreNotEntries)
{
    AssemblyResult r = assemble("* c\n; c\nA EQU 1\nB SET 2\n ORG $100\n OPT x\n PAGE\n\n END\nafter end\n");
    ASSERT_TRUE(r.ok()) << r.errorText();
    EXPECT_TRUE(readListing(r.listing).empty()) << r.listing;
}

TEST(Listing, SourceIsShownAsWritten)
{
    const std::string src = "start:\tLdaA  #'x' ; Mixed Case\n";
    AssemblyResult r = assemble(src);
    EXPECT_NE(r.listing.find("start:\tLdaA  #'x' ; Mixed Case"), std::string::npos);
    auto e = readListing(r.listing);
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].label, "start:");
}

TEST(Listing, LineNumbersBeyond9999KeepTheLayout)
{
    std::string src;
    for (int i = 0; i < 10005; ++i)
        src += " NOP\n";
    src += "LAST NOP\n";
    AssemblyResult r = assemble(src);
    auto e = readListing(r.listing);
    ASSERT_EQ(e.size(), 10006u);
    EXPECT_EQ(e.back().label, "LAST");
    EXPECT_EQ(e.back().value, 10005);
}

TEST(Listing, ErrorsAndSymbolTableAreNotEntries)
{
    AssemblyResult r = assemble("GOOD NOP\n LDAA #MISSING\n");
    EXPECT_NE(r.listing.find("***** error 2: undefined symbol MISSING"), std::string::npos) << r.listing;
    EXPECT_NE(r.listing.find("  GOOD"), std::string::npos);
    auto e = readListing(r.listing);
    EXPECT_EQ(e.size(), 2u);
}

TEST(Listing, ControlCharactersDoNotBreakLines)
{
    std::string src = std::string("X FCB 1 \x01\x0b\x0c junk\n");
    AssemblyResult r = assemble(src);
    EXPECT_EQ(r.listing.find('\x0b'), std::string::npos);
    EXPECT_EQ(r.listing.find('\x0c'), std::string::npos);
    EXPECT_EQ(readListing(r.listing).size(), 1u);
}

} // namespace
