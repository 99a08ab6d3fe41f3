// The printed page layout: lines per page and page count, the header with
// the page number at the right margin, and the clipping of long lines.
#include "editor/PrintLayout.h"

#include <gtest/gtest.h>

using namespace zelk;

namespace {

// A fixed-pitch measure: every unit is one wide.
double units(std::u16string_view s) { return double(s.size()); }

TEST(PageLayout, LinesPerPageAndPageCount)
{
    struct Case {
        double height, lineHeight;
        int lines;
        int L, B, P;
    };
    const Case cases[] = {
        {600, 10, 1, 60, 57, 1},     // an empty text is one line: one page
        {600, 10, 0, 60, 57, 1},
        {600, 10, 57, 60, 57, 1},    // exactly B lines fit on one page
        {600, 10, 58, 60, 57, 2},    // B + 1 lines give two
        {600, 10, 114, 60, 57, 2},
        {600, 10, 115, 60, 57, 3},
        {609.9, 10, 58, 60, 57, 2},  // the integer part of the page's lines
        {50, 10, 10, 5, 2, 5},       // five lines: the smallest page that prints
        {49.9, 10, 10, 4, 0, 0},     // four: nothing is printed
        {0, 10, 10, 0, 0, 0},
        {600, 0, 10, 0, 0, 0},       // no font height: nothing
        {600, -3, 10, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const PageLayout p = layoutPages(c.height, c.lineHeight, c.lines);
        EXPECT_EQ(p.linesPerPage, c.L) << c.height << "/" << c.lineHeight;
        EXPECT_EQ(p.bodyLines, c.B) << c.height << "/" << c.lineHeight;
        EXPECT_EQ(p.pageCount, c.P) << c.height << "/" << c.lineHeight << " lines " << c.lines;
        EXPECT_EQ(p.printable(), c.P > 0);
    }
}

TEST(PageLayout, EveryLineIsOnExactlyOnePageInOrder)
{
    for (int n : {1, 7, 8, 9, 16, 17, 100}) {
        const PageLayout p = layoutPages(110, 10, n);  // L = 11, B = 8
        ASSERT_EQ(p.bodyLines, 8);
        int next = 0;
        for (int page = 1; page <= p.pageCount; ++page) {
            EXPECT_EQ(p.firstLine(page), next);
            EXPECT_GT(p.linesOn(page, n), 0) << "page " << page << " of " << n << " lines";
            next += p.linesOn(page, n);
        }
        EXPECT_EQ(next, n);
        EXPECT_EQ(p.linesOn(0, n), 0);
        EXPECT_EQ(p.linesOn(p.pageCount + 1, n), 0);
    }
}

TEST(PageHeader, TheNumberEndsAtTheRightMargin)
{
    const std::u16string h = pageHeader(u"PROG.asm", 2, 12, 30, units);
    EXPECT_EQ(h, u"PROG.asm" + std::u16string(30 - 8 - 4, u' ') + u"2/12");
    // A width between whole spaces: the number stops short of the margin.
    EXPECT_EQ(pageHeader(u"A", 1, 1, 10.5, units), u"A      1/1");
}

TEST(PageHeader, ATitleTooLongKeepsOneSpace)
{
    EXPECT_EQ(pageHeader(u"A_VERY_LONG_NAME.asm", 1, 3, 10, units), u"A_VERY_LONG_NAME.asm 1/3");
    EXPECT_EQ(pageHeader(u"", 1, 1, 2, units), u" 1/1");
}

TEST(PageHeader, ProportionalWidthsSettleOnTheLargestFit)
{
    // Spaces half as wide as other units.
    const MeasureText m = [](std::u16string_view s) {
        double w = 0;
        for (char16_t c : s)
            w += c == u' ' ? 0.5 : 1.0;
        return w;
    };
    const std::u16string h = pageHeader(u"T", 1, 1, 10, m);
    EXPECT_LE(m(h), 10.0);
    EXPECT_GT(m(h + u" "), 10.0);
    EXPECT_EQ(h.substr(h.size() - 3), u"1/1");
}

TEST(Tabs, StopEveryNineColumns)
{
    EXPECT_EQ(expandTabs(u"\tNOP"), std::u16string(9, u' ') + u"NOP");
    EXPECT_EQ(expandTabs(u"LOOP\tINCA"), u"LOOP     INCA");
    EXPECT_EQ(expandTabs(u"12345678\tX"), u"12345678 X");
    EXPECT_EQ(expandTabs(u"123456789\tX"), u"123456789" + std::u16string(9, u' ') + u"X");
    EXPECT_EQ(expandTabs(u"\u00e9\tX"), u"\u00e9        X");  // a letter is one column, whatever its code
    EXPECT_EQ(expandTabs(u""), u"");
}

TEST(LongLines, AreClippedAtTheMargin)
{
    EXPECT_EQ(fittingLength(u"0123456789ABCDEF", 10, units), 10u);
    EXPECT_EQ(fittingLength(u"short", 10, units), 5u);
    EXPECT_EQ(fittingLength(u"", 10, units), 0u);
    EXPECT_EQ(fittingLength(u"abc", 0.5, units), 0u);
    // A surrogate pair across the margin is dropped whole.
    EXPECT_EQ(fittingLength(u"abc\U0001F600z", 4, units), 3u);
}

} // namespace
