// as11's files read by the IDE's own readers: the listing through
// LoadSymbols and the error listing through the error list's parser. The
// test's independent listing reader must agree with the IDE's.
#include "As11TestSupport.h"

#include "editor/ErrorList.h"
#include "editor/SymbolTable.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace zelk::as11;

namespace {

const char* program =
    "PORTB   EQU   $1004\n"
    "        ORG   $E000\n"
    "START   LDS   #$FF\n"
    "loop    LDAA  PORTB\n"
    "        BRSET $10,X $40 loop\n"
    "DATA    FCB   1,2,3,4,5,6,7,8\n"
    "        FILL  0,12\n"
    "VAR     RMB   2\n"
    "ALONE\n"
    "        JMP   START\n"
    "        END   START\n";

TEST(IdeContract, LoadSymbolsReadsWhatTheListingHolds)
{
    AssemblyResult r = assemble(program);
    ASSERT_TRUE(r.ok()) << r.errorText();
    std::istringstream in(r.listing);
    zelk::SymbolTable table;
    zelk::SymbolLoadResult load = zelk::LoadSymbols(in, table);
    ASSERT_TRUE(load.ok);
    std::vector<as11test::ListingEntry> mine = as11test::readListing(r.listing);
    ASSERT_EQ(table.count(), mine.size());
    ASSERT_EQ(table.count(), 8u);
    for (size_t i = 0; i < mine.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(table[i].Value, mine[i].value);
        EXPECT_EQ(table[i].CodeLength, mine[i].codeLength);
        EXPECT_EQ(table[i].Label, mine[i].label);
        EXPECT_EQ(table[i].Source, mine[i].source);
        for (int k = 0; k < mine[i].codeLength; ++k)
            EXPECT_EQ(table[i].Code[static_cast<size_t>(k)], mine[i].code[static_cast<size_t>(k)]);
    }
    std::string name = "start";
    EXPECT_EQ(zelk::FindSymbol(table, name), 0xE000);
    name = "VAR";
    EXPECT_EQ(zelk::FindSymbol(table, name), 0xE01E);
    name = "ALONE";
    EXPECT_EQ(zelk::FindSymbol(table, name), 0xE020);
    // Labels are kept as written: a lower-case label is not found by the
    // IDE's upper-casing lookup.
    name = "loop";
    EXPECT_EQ(zelk::FindSymbol(table, name), -1);
    // The disassembler finds the source of an instruction by its bytes.
    const uint8_t brset[] = {0x1E, 0x10, 0x40, 0xF9};
    const zelk::SymbolEntry* e = table.sourceFor(0xE006, brset, 4);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->Source, "        BRSET $10,X $40 loop");
}

TEST(IdeContract, ErrorListParsesEveryErrorLine)
{
    AssemblyResult r = assemble(" NOP\n LDAA #NOTHERE\n\n BRA\n LDAA #1:2\n");
    ASSERT_EQ(r.errors.size(), 3u);
    std::istringstream in(r.errorText());
    zelk::ErrorListing list = zelk::parseErrorListing(in);
    ASSERT_EQ(list.lines.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(list.lines[i].line, r.errors[i].line);
        EXPECT_EQ(list.lines[i].text, std::to_string(r.errors[i].line) + ": " + r.errors[i].message);
    }
}

TEST(IdeContract, CappedErrorListFitsTheErrorWindow)
{
    std::string src;
    for (int i = 0; i < 12000; ++i)
        src += " BOGUS\n";
    AssemblyResult r = assemble(src);
    std::istringstream in(r.errorText());
    zelk::ErrorListing list = zelk::parseErrorListing(in);
    ASSERT_EQ(list.lines.size(), r.errors.size());
    EXPECT_EQ(list.lines.back().text.find("too many errors") != std::string::npos, true);
}

} // namespace
