// The memory window's logic without widgets: line texts, the page for a
// requested address, cursor moves over the grid and the in-place editor's
// key filter.
#include "views/MemoryPage.h"

#include <gtest/gtest.h>

#include <array>
#include <numeric>

using namespace zelk;
using namespace zelk::memgrid;

namespace {

std::array<uint8_t, 1024> countingBuffer()
{
    std::array<uint8_t, 1024> b{};
    for (size_t i = 0; i < b.size(); ++i)
        b[i] = static_cast<uint8_t>(i * 7 + 3);
    return b;
}

MemoryCursor at(int32_t da, int lines, int row, int column)
{
    MemoryCursor c;
    c.displayAddress = da;
    c.lineCount = lines;
    c.row = row;
    c.column = column;
    return c;
}

} // namespace

// ---- Line texts --------------------------------------------------------------

TEST(MemoryPageLines, CharactersShowPrintableAsciiOnly)
{
    struct Case { uint8_t byte; char shown; };
    const Case cases[] = {{65, 'A'}, {10, '.'}, {31, '.'}, {32, ' '}, {126, '~'}, {127, '.'}, {0xFF, '.'}, {0, '.'}};
    for (const Case& c : cases)
        EXPECT_EQ(memoryChar(c.byte), c.shown) << int(c.byte);
}

TEST(MemoryPageLines, CellsHoldAddressHexAndCharacters)
{
    const auto buf = countingBuffer();
    const auto cells = memoryLineCells(0x1230, 32, buf, true);
    ASSERT_EQ(cells.size(), size_t(ColumnCount - 2));
    EXPECT_EQ(cells[0], " $1250:");
    EXPECT_EQ(cells[1], "");
    EXPECT_EQ(cells[MidSpacer], "");
    for (int i = 0; i < 16; ++i) {
        const uint8_t b = buf[size_t(32 + i)];
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", b);
        EXPECT_EQ(cells[size_t(FirstHex + i)], hex) << i;
        EXPECT_EQ(cells[size_t(FirstChar + i)], std::string(1, memoryChar(b))) << i;
    }
}

TEST(MemoryPageLines, FailedReadLeavesOnlyTheAddress)
{
    const auto buf = countingBuffer();
    const auto cells = memoryLineCells(0xFF00, 16, buf, false);
    EXPECT_EQ(cells[0], " $FF10:");
    for (size_t i = 1; i < cells.size(); ++i)
        EXPECT_TRUE(cells[i].empty()) << i;
    EXPECT_EQ(OneLine(0xFF00, 16, buf, false), " $FF10:");
}

TEST(MemoryPageLines, OneLineIsTabSeparated)
{
    std::array<uint8_t, 1024> buf{};
    buf[0] = 0x41;
    buf[1] = 0x0A;
    const std::string line = OneLine(0, 0, buf, true);
    EXPECT_EQ(line.substr(0, 15), " $0000:\t\t41\t0A\t");
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), ColumnCount - 3);
    EXPECT_NE(line.find("\t\tA\t.\t"), std::string::npos);
}

TEST(MemoryPageLines, LineCountFitsWholeRowsUpTo64)
{
    struct Case { int height, row, lines; };
    const Case cases[] = {{0, 14, 0}, {13, 14, 0}, {14, 14, 1}, {29, 14, 2}, {14 * 64, 14, 64},
                          {5000, 14, 64}, {100, 0, 0}, {-5, 14, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(memoryLineCount(c.height, c.row), c.lines) << c.height << "/" << c.row;
}

// ---- Memory Display Address ------------------------------------------------------

TEST(MemoryPageJump, PageForAnAddress)
{
    struct Case { int32_t address; int lines; int32_t da; int row; int column; };
    const Case cases[] = {
        {0xFFF0, 16, 0xFF00, 15, FirstHex},      // the page ends at $FFFF
        {0xFFFF, 16, 0xFF00, 15, LastHex},
        {0xFF05, 16, 0xFF00, 0, FirstHex + 5},   // exactly the last page
        {0xFEFF, 16, 0xFEF0, 0, LastHex},        // still fits from its own line
        {0xFF10, 16, 0xFF00, 1, FirstHex},
        {0x0000, 16, 0x0000, 0, FirstHex},
        {0x1234, 16, 0x1230, 0, FirstHex + 4},
        {0xFFF0, 1, 0xFFF0, 0, FirstHex},
        {0x8000, 0, 0x8000, 0, FirstHex},        // no lines: nothing runs past the end
    };
    for (const Case& c : cases) {
        const MemoryCursor r = memoryJump(c.address, c.lines);
        EXPECT_EQ(r.displayAddress, c.da) << std::hex << c.address;
        EXPECT_EQ(r.row, c.row) << std::hex << c.address;
        EXPECT_EQ(r.column, c.column) << std::hex << c.address;
        if (c.lines > 0) {
            EXPECT_EQ(r.address(), c.address);
        }
    }
}

// ---- Cursor moves ------------------------------------------------------------------

struct MoveCase {
    const char* what;
    MemoryCursor from;
    MemoryMove move;
    int32_t da;
    int row;
    int column;
};

class MemoryPageMove : public ::testing::TestWithParam<MoveCase> {};

TEST_P(MemoryPageMove, Moves)
{
    const MoveCase& c = GetParam();
    const MemoryCursor r = memoryMove(c.from, c.move);
    EXPECT_EQ(r.displayAddress, c.da) << c.what;
    EXPECT_EQ(r.row, c.row) << c.what;
    EXPECT_EQ(r.column, c.column) << c.what;
    EXPECT_EQ(r.lineCount, c.from.lineCount) << c.what;
}

const int32_t kLast16 = 0x10000 - 16 * 16;

INSTANTIATE_TEST_SUITE_P(
    Grid, MemoryPageMove,
    ::testing::Values(
        MoveCase{"right inside a line", at(0x100, 16, 3, 5), MemoryMove::Right, 0x100, 3, 6},
        MoveCase{"right from the last byte wraps", at(0x100, 16, 3, LastHex), MemoryMove::Right, 0x100, 4, FirstHex},
        MoveCase{"right from the last char wraps", at(0x100, 16, 3, LastChar), MemoryMove::Right, 0x100, 4, FirstChar},
        MoveCase{"right at the last line scrolls", at(0x100, 16, 15, LastHex), MemoryMove::Right, 0x110, 15, FirstHex},
        MoveCase{"right at $FFFF stays", at(kLast16, 16, 15, LastHex), MemoryMove::Right, kLast16, 15, LastHex},
        MoveCase{"right at the last char of $FFFF stays", at(kLast16, 16, 15, LastChar), MemoryMove::Right, kLast16,
                 15, LastChar},
        MoveCase{"left from the first byte wraps", at(0x100, 16, 3, FirstHex), MemoryMove::Left, 0x100, 2, LastHex},
        MoveCase{"left from the first char wraps", at(0x100, 16, 3, FirstChar), MemoryMove::Left, 0x100, 2, LastChar},
        MoveCase{"left at the top scrolls up", at(0x100, 16, 0, FirstHex), MemoryMove::Left, 0xF0, 0, LastHex},
        MoveCase{"left at $0000 stays", at(0, 16, 0, FirstHex), MemoryMove::Left, 0, 0, FirstHex},
        MoveCase{"left at $0000 on chars stays", at(0, 16, 0, FirstChar), MemoryMove::Left, 0, 0, FirstChar},
        MoveCase{"up inside", at(0x100, 16, 5, 7), MemoryMove::Up, 0x100, 4, 7},
        MoveCase{"up at the top scrolls", at(0x100, 16, 0, 7), MemoryMove::Up, 0xF0, 0, 7},
        MoveCase{"up at $0000 stays", at(0, 16, 0, 7), MemoryMove::Up, 0, 0, 7},
        MoveCase{"down inside", at(0x100, 16, 5, 7), MemoryMove::Down, 0x100, 6, 7},
        MoveCase{"down at the bottom scrolls", at(0x100, 16, 15, 7), MemoryMove::Down, 0x110, 15, 7},
        MoveCase{"down at the end stays", at(kLast16, 16, 15, 7), MemoryMove::Down, kLast16, 15, 7},
        MoveCase{"page up", at(0x400, 16, 5, 7), MemoryMove::PageUp, 0x300, 5, 7},
        MoveCase{"page up stops at 0", at(0x80, 16, 5, 7), MemoryMove::PageUp, 0, 5, 7},
        MoveCase{"page up at 0 goes to the top", at(0, 16, 5, 7), MemoryMove::PageUp, 0, 0, 7},
        MoveCase{"page down", at(0x400, 16, 5, 7), MemoryMove::PageDown, 0x500, 5, 7},
        MoveCase{"page down stops at the end", at(0xFE80, 16, 5, 7), MemoryMove::PageDown, kLast16, 5, 7},
        MoveCase{"tab to the character", at(0x400, 16, 5, FirstHex + 3), MemoryMove::Tab, 0x400, 5, FirstChar + 3},
        MoveCase{"tab back to the byte", at(0x400, 16, 5, LastChar), MemoryMove::Tab, 0x400, 5, LastHex},
        MoveCase{"no lines: nothing moves", at(0x400, 0, 0, 5), MemoryMove::Down, 0x400, 0, 5}));

TEST(MemoryPageSettle, ClicksOnCellsWithoutData)
{
    struct Case { int column; int last; int to; };
    const Case cases[] = {
        {AddressColumn, FirstHex + 3, FirstHex}, {AddressColumn, FirstChar + 3, FirstChar},
        {1, FirstHex + 4, FirstHex},             {MidSpacer, LastHex, LastHex},
        {MidSpacer, FirstChar, FirstChar},       {LastChar + 1, FirstHex, LastChar},
        {LastChar + 2, FirstHex + 1, LastHex},   {LastChar + 2, FirstChar + 1, LastChar},
        {FirstHex + 9, FirstChar, FirstHex + 9}, {FirstChar + 9, FirstHex, FirstChar + 9},
    };
    for (const Case& c : cases) {
        const MemoryCursor r = memorySettle(at(0x200, 8, 2, c.last), 4, c.column, c.last);
        EXPECT_EQ(r.column, c.to) << c.column << " from " << c.last;
        EXPECT_EQ(r.row, 4);
    }
    EXPECT_EQ(memorySettle(at(0x200, 8, 2, FirstHex), 40, FirstHex, FirstHex).row, 7);
}

TEST(MemoryPageCursor, AddressUnderTheCursor)
{
    EXPECT_EQ(at(0x1230, 4, 2, FirstHex + 5).address(), 0x1255);
    EXPECT_EQ(at(0x1230, 4, 2, FirstChar + 5).address(), 0x1255);
    EXPECT_EQ(at(0x1230, 4, 2, MidSpacer).address(), -1);
    EXPECT_EQ(at(0x1230, 4, 4, FirstHex).address(), -1);
}

// ---- The in-place editor ----------------------------------------------------------

struct KeyCase {
    const char* what;
    const char* text;
    int selStart;
    int selLength;
    char key;
    bool byteCell;
    const char* result;
    int caret;
    bool accepted;
};

class MemoryPageKey : public ::testing::TestWithParam<KeyCase> {};

TEST_P(MemoryPageKey, Filters)
{
    const KeyCase& c = GetParam();
    const MemoryEditKey r = memoryEditKey(c.text, c.selStart, c.selLength, c.key, c.byteCell);
    EXPECT_EQ(r.text, c.result) << c.what;
    EXPECT_EQ(r.caret, c.caret) << c.what;
    EXPECT_EQ(r.accepted, c.accepted) << c.what;
    EXPECT_FALSE(r.send) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Editor, MemoryPageKey,
    ::testing::Values(
        KeyCase{"typed over the selected byte", "3F", 0, 2, '7', true, "7", 1, true},
        KeyCase{"second digit", "7", 1, 0, 'F', true, "7F", 2, true},
        KeyCase{"lower case becomes upper", "7", 1, 0, 'f', true, "7F", 2, true},
        KeyCase{"overtype before the 7", "7F", 0, 0, 'A', true, "AF", 1, true},
        KeyCase{"a third digit is dropped", "7F", 2, 0, '1', true, "7F", 2, false},
        KeyCase{"not a hex digit", "7", 1, 0, 'G', true, "7", 1, false},
        KeyCase{"a space is no digit", "", 0, 0, ' ', true, "", 0, false},
        KeyCase{"backspace", "7F", 2, 0, MemKeyBackspace, true, "7", 1, true},
        KeyCase{"backspace on a selection", "7F", 0, 2, MemKeyBackspace, true, "", 0, true},
        KeyCase{"character cell takes any printable", "A", 0, 1, 'z', false, "z", 1, true},
        KeyCase{"character cell takes one", "z", 1, 0, 'y', false, "z", 1, false},
        KeyCase{"character cell overtypes", "z", 0, 0, 'y', false, "y", 1, true},
        KeyCase{"character cell refuses control", "", 0, 0, char(7), false, "", 0, false},
        KeyCase{"character cell refuses DEL", "", 0, 0, char(127), false, "", 0, false}));

TEST(MemoryPageKeys, EnterAndEscape)
{
    EXPECT_TRUE(memoryEditKey("7F", 2, 0, MemKeyEnter, true).send);
    EXPECT_FALSE(memoryEditKey("", 0, 0, MemKeyEnter, true).send);
    const MemoryEditKey esc = memoryEditKey("7F", 1, 0, MemKeyEscape, true);
    EXPECT_TRUE(esc.cancel);
    EXPECT_EQ(esc.text, "7F");
}

TEST(MemoryPageKeys, ValueOfTheEditor)
{
    struct Case { const char* text; bool byteCell; int32_t value; };
    const Case cases[] = {{"7", true, 0x07}, {"7F", true, 0x7F}, {"FF", true, 0xFF}, {"00", true, 0},
                          {"", true, -1},    {"G1", true, -1},   {"A", false, 0x41}, {"~", false, 0x7E},
                          {"", false, -1}};
    for (const Case& c : cases)
        EXPECT_EQ(memoryEditValue(c.text, c.byteCell), c.value) << c.text;
}

TEST(MemoryPageKeys, ReadOnlyMessageJoinsItsLines)
{
    EXPECT_EQ(memoryReadOnlyMessage(), "Can't Write to Memory !\n\r (Read Only Memory)");
    EXPECT_EQ(MemoryWriteCaption, "Tarvine - Memory Write Error");
}
