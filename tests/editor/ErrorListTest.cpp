// The error listing lines the error list shows, and where Show Error puts
// the caret.
#include "editor/ErrorList.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace zelk;

namespace {

TEST(ErrorLineNumber, WhichLinesCount)
{
    const std::pair<const char*, int32_t> cases[] = {
        {"12: unknown mnemonic", 12},
        {"12:", 12},
        {"1: a: b: c", 1},
        {"65535: last", 65535},
        {"$C: hex line number", 12},
        {"0: line zero", 0},
        {"no colon here", 0},
        {"abc: not a number", 0},
        {" 12: leading blank", 0},
        {"12 : blank before the colon", 0},
        {"65536: beyond 16 bits", 0},
        {"-3: negative", 0},
        {": nothing before", 0},
        {"", 0},
        {"123456: six digits", 0},
    };
    for (auto [line, n] : cases)
        EXPECT_EQ(errorLineNumber(line), n) << '"' << line << '"';
}

TEST(ErrorListing, ListsWholeLinesInFileOrder)
{
    std::istringstream in("Temp$$$.asm\n"
                          "12: unknown mnemonic BOGUS\r\n"
                          "0: not listed\n"
                          "3: undefined symbol FOO\n"
                          "warning without a number\n"
                          "40: no line end at the end");
    ErrorListing r = parseErrorListing(in);
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.lines.size(), 3u);
    EXPECT_EQ(r.lines[0].text, "12: unknown mnemonic BOGUS");
    EXPECT_EQ(r.lines[0].line, 12);
    EXPECT_EQ(r.lines[1].line, 3);
    EXPECT_EQ(r.lines[2].text, "40: no line end at the end");
    EXPECT_EQ(r.lines[2].line, 40);
}

TEST(ErrorListing, EmptyFileAndMissingFile)
{
    std::istringstream empty("");
    ErrorListing r = parseErrorListing(empty);
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.lines.empty());

    r = parseErrorListing(std::filesystem::path("/nonexistent/prog.err"));
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
}

TEST(ErrorListing, FloodIsCapped)
{
    std::string text;
    for (size_t i = 0; i < MaxErrorLines + 50; ++i)
        text += "5: again\n";
    text += std::string(MaxErrorLineLength * 3, 'x') + "\n";
    std::istringstream in(text);
    ErrorListing r = parseErrorListing(in);
    EXPECT_EQ(r.lines.size(), MaxErrorLines);
}

TEST(ErrorCaret, LineBeyondTheEndGoesToTheLastLine)
{
    struct Case {
        int32_t line, lastIndex, caret;
    } cases[] = {
        {1, 10, 0}, {11, 10, 10}, {12, 10, 10}, {500, 3, 3}, {5, 0, 0}, {1, -1, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(errorCaretLine(c.line, c.lastIndex), c.caret) << c.line << " of " << c.lastIndex;
}

} // namespace
