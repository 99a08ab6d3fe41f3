// The whole assemble flow through the real assembler and its script, when
// the build has them: the listing's symbols and the error list.
#include "TempDir.h"
#include "editor/AssembleFlow.h"
#include "editor/ErrorList.h"
#include "editor/SymbolTable.h"

#include <gtest/gtest.h>

using namespace zelk;
namespace fs = std::filesystem;

namespace {

#ifdef ZELK_AS11_DIR
const fs::path as11Dir = ZELK_AS11_DIR;
#else
const fs::path as11Dir;
#endif

AssembleOutcome assemble(const TempDir& sourceDir, const TempDir& scratchDir, const std::string& title,
                         const std::string& source)
{
    writeFile(sourceDir.path() / title, source);
    AssembleRequest request;
    request.sourceDir = sourceDir.path();
    request.targetTitle = title;
    request.tools.programDir = as11Dir;
    // A scratch directory of its own, so parallel test runs do not share
    // the fixed scratch names in the program directory.
    request.scratchDir = scratchDir.path();
    request.markerTimeout = std::chrono::seconds(30);
    request.poll = std::chrono::milliseconds(10);
    SpawnRunner runner;
    AssembleOutcome out = FileAssemble(request, runner);
    runner.waitAll(std::chrono::seconds(10));
    return out;
}

class AssembleEndToEnd : public testing::Test {
protected:
    void SetUp() override
    {
        if (as11Dir.empty() || !fs::exists(as11Dir / "as11") || !fs::exists(as11Dir / "asm.sh"))
            GTEST_SKIP() << "as11 and asm.sh are not built";
    }
};

TEST_F(AssembleEndToEnd, ListingSymbolsOfAGoodProgram)
{
    TempDir source, scratchDir;
    AssembleOutcome out = assemble(source, scratchDir, "demo.asm",
                                   "* test program\n"
                                   "        ORG     $E000\n"
                                   "START   LDAA    #$12\n"
                                   "        STAA    $1000\n"
                                   "LOOP    BRA     LOOP\n"
                                   "TABLE   FCB     1,2,3\n"
                                   "        ORG     $FFFE\n"
                                   "        FDB     START\n");
    ASSERT_EQ(out.status, AssembleStatus::Done) << out.message;
    ASSERT_TRUE(out.results.listing);
    EXPECT_TRUE(out.results.machineCode);
    EXPECT_FALSE(out.results.errors);
    EXPECT_TRUE(fs::exists(source.path() / "demo.s19"));

    SymbolTable table;
    SymbolLoadResult r = LoadSymbols(out.listingPath, table);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(table.lookup("start"), 0xE000);
    EXPECT_EQ(table.lookup("LOOP"), 0xE005);
    EXPECT_EQ(table.lookup("TABLE"), 0xE007);

    // One entry per code line: START, STAA, LOOP, TABLE, the vector.
    ASSERT_EQ(table.count(), 5u);
    const SymbolEntry& start = table[0];
    EXPECT_EQ(start.Label, "START");
    EXPECT_EQ(start.CodeLength, 2);
    EXPECT_EQ(start.Code[0], 0x86);
    EXPECT_EQ(start.Code[1], 0x12);
    EXPECT_NE(start.Source.find("LDAA"), std::string::npos);
    const SymbolEntry& store = table[1];
    EXPECT_EQ(store.Label, "");
    EXPECT_EQ(store.Value, 0xE002);
    EXPECT_EQ(store.CodeLength, 3);
    EXPECT_EQ(store.Code[0], 0xB7);
    const SymbolEntry& data = table[3];
    EXPECT_EQ(data.Label, "TABLE");
    EXPECT_EQ(data.CodeLength, 0) << "data directives carry no code";
    EXPECT_EQ(data.Source, "");
    EXPECT_EQ(table[4].Value, 0xFFFE);
    EXPECT_EQ(table[4].CodeLength, 0);
}

TEST_F(AssembleEndToEnd, ErrorListOfABadProgram)
{
    TempDir source, scratchDir;
    writeFile(source.path() / "bad.err", "stale\n");
    AssembleOutcome out = assemble(source, scratchDir, "bad.asm",
                                   "        ORG     $E000\n"
                                   "START   LDAA    #$12\n"
                                   "        BOGUS   1\n"
                                   "        LDAA    UNDEFINED\n"
                                   "        BRA     START\n");
    ASSERT_EQ(out.status, AssembleStatus::Done) << out.message;
    ASSERT_TRUE(out.results.errors);
    EXPECT_EQ(out.errorSourceTitle, "bad.asm");

    ErrorListing errors = parseErrorListing(out.errorPath);
    ASSERT_TRUE(errors.ok) << errors.error;
    ASSERT_EQ(errors.lines.size(), 2u);
    EXPECT_EQ(errors.lines[0].line, 3);
    EXPECT_NE(errors.lines[0].text.find("BOGUS"), std::string::npos);
    EXPECT_EQ(errors.lines[1].line, 4);

    // The listing of a failed run still loads; its error lines are skipped.
    SymbolTable table;
    ASSERT_TRUE(LoadSymbols(out.listingPath, table).ok);
    EXPECT_EQ(table.lookup("START"), 0xE000);
}

} // namespace
