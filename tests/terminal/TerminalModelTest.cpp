// The serial terminal's text: ASCII mode's control characters, the Hex
// dump's layout over a stream holding every byte value, mode changes and the
// scrollback cap.
#include "terminal/TerminalModel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zelk;

namespace {

void feed(TerminalModel& t, const std::string& bytes)
{
    t.Display(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

struct AsciiCase {
    const char* name;
    std::string bytes;
    std::string text;  // lines joined by "\n"
    size_t line, column;  // the caret afterwards
};

TEST(TerminalAscii, ControlCharacters)
{
    const AsciiCase cases[] = {
        {"plain", "Hello", "Hello", 0, 5},
        {"CR overwrites from the start", "AB\rX", "XB", 0, 1},
        {"CR LF", "AB\r\nCD", "AB\nCD", 1, 2},
        {"LF alone goes to the start of a new line", "AB\nC", "AB\nC", 1, 1},
        {"BS blanks and stays", "ABC\b", "AB ", 0, 2},
        {"BS then a character", "ABC\bX", "ABX", 0, 3},
        {"two BS", "ABC\b\bY", "AY ", 0, 2},
        {"BS at column 0 keeps the lines apart", "AB\r\n\bX", "AB\nX", 1, 1},
        {"BS at the very start", "\b\bA", "A", 0, 1},
        {"TAB from column 0", "\tX", "        X", 0, 9},
        {"TAB from column 3", "ABC\tX", "ABC     X", 0, 9},
        {"TAB at a tab stop", "ABCDEFGH\tX", "ABCDEFGH        X", 0, 17},
        {"TAB overwrites", "ABCDEFGHIJ\r\t", "        IJ", 0, 8},
        {"FF clears", "ABC\r\nDEF\fX", "X", 0, 1},
        {"FF at the end", "ABC\f", "", 0, 0},
        {"BEL leaves the text", "A\aB", "AB", 0, 2},
        {"other control codes are ignored", std::string("A\x01\x1b\x00\x7f" "B", 6), "A\x7f" "B", 0, 3},
        {"LF twice makes an empty line", "A\n\nB", "A\n\nB", 2, 1},
        {"high bytes are characters", "\x80\xff", "\x80\xff", 0, 2},
        {"CR then shorter text keeps the tail", "ABCDE\rxy", "xyCDE", 0, 2},
    };
    for (const auto& c : cases) {
        TerminalModel t;
        feed(t, c.bytes);
        EXPECT_EQ(t.text(), c.text) << c.name;
        EXPECT_EQ(t.caretLine(), c.line) << c.name;
        EXPECT_EQ(t.caretColumn(), c.column) << c.name;
    }
}

TEST(TerminalAscii, EveryByteValue)
{
    // 0-31: BEL rings, BS at column 0 does nothing, TAB and LF move on, FF
    // then clears all that, CR goes home, the rest are ignored; 32-255 are
    // characters on one line.
    TerminalModel t;
    std::vector<uint8_t> all(256);
    for (int i = 0; i < 256; ++i)
        all[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    t.Display(all.data(), all.size());
    ASSERT_EQ(t.lineCount(), 1u);
    const std::string& line = t.lines()[0];
    ASSERT_EQ(line.size(), 224u);
    for (size_t i = 0; i < line.size(); ++i)
        EXPECT_EQ(static_cast<uint8_t>(line[i]), 32 + i);
    EXPECT_EQ(t.caretColumn(), 224u);
    EXPECT_EQ(t.takeBells(), 1);

    // The same stream without FF keeps the TAB's spaces and the LF's line.
    TerminalModel u;
    all.erase(all.begin() + 12);
    u.Display(all.data(), all.size());
    ASSERT_EQ(u.lineCount(), 2u);
    EXPECT_EQ(u.lines()[0], std::string(8, ' '));
    EXPECT_EQ(u.lines()[1].size(), 224u);
}

TEST(TerminalAscii, BellsAreCounted)
{
    TerminalModel t;
    feed(t, "\a\aA\a");
    EXPECT_EQ(t.takeBells(), 3);
    EXPECT_EQ(t.takeBells(), 0);
}

TEST(TerminalAscii, BlocksSplitAnywhereGiveTheSameText)
{
    const std::string stream = "line one\r\nsec\tond\b!\r\n\aABC\rxy\n\x0czz\r\nend";
    TerminalModel whole;
    feed(whole, stream);
    for (size_t cut = 0; cut <= stream.size(); ++cut) {
        TerminalModel parts;
        feed(parts, stream.substr(0, cut));
        feed(parts, stream.substr(cut));
        EXPECT_EQ(parts.text(), whole.text()) << "cut at " << cut;
        EXPECT_EQ(parts.caretColumn(), whole.caretColumn()) << "cut at " << cut;
    }
}

TEST(TerminalHex, EveryByteValue)
{
    TerminalModel t;
    t.setMode(TerminalModel::Mode::Hex);
    std::vector<uint8_t> all(256);
    for (int i = 0; i < 256; ++i)
        all[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    t.Display(all.data(), all.size());

    ASSERT_EQ(t.lineCount(), 16u);
    const char* hex = "0123456789ABCDEF";
    for (size_t l = 0; l < 16; ++l) {
        const std::string& line = t.lines()[l];
        ASSERT_EQ(line.size(), TerminalModel::HexLineLength) << "line " << l;
        EXPECT_EQ(line[49], '|') << "line " << l;
        for (size_t i = 0; i < 16; ++i) {
            const int b = static_cast<int>(l * 16 + i);
            EXPECT_EQ(line[3 * i], hex[b >> 4]) << "byte " << b;
            EXPECT_EQ(line[3 * i + 1], hex[b & 15]) << "byte " << b;
            EXPECT_EQ(line[3 * i + 2], ' ') << "byte " << b;
            EXPECT_EQ(static_cast<uint8_t>(line[51 + i]), b >= 32 ? b : '.') << "byte " << b;
        }
        EXPECT_EQ(line[48], ' ');
        EXPECT_EQ(line[50], ' ');
    }
}

TEST(TerminalHex, SeventeenthByteStartsASecondLine)
{
    TerminalModel t;
    t.setMode(TerminalModel::Mode::Hex);
    feed(t, std::string(16, 'A'));
    EXPECT_EQ(t.lineCount(), 1u);
    feed(t, "\x0d");
    ASSERT_EQ(t.lineCount(), 2u);
    const std::string& second = t.lines()[1];
    EXPECT_EQ(second.substr(0, 2), "0D");
    EXPECT_EQ(second[51], '.');
    EXPECT_EQ(second.substr(2, 47), std::string(47, ' '));
    const std::string& first = t.lines()[0];
    EXPECT_EQ(first.substr(0, 3), "41 ");
    EXPECT_EQ(first.substr(51, 16), std::string(16, 'A'));
}

TEST(TerminalHex, ControlBytesAreNotInterpreted)
{
    TerminalModel t;
    t.setMode(TerminalModel::Mode::Hex);
    feed(t, "\f\a\b\r\n");
    ASSERT_EQ(t.lineCount(), 1u);
    EXPECT_EQ(t.lines()[0].substr(0, 15), "0C 07 08 0D 0A ");
    EXPECT_EQ(t.lines()[0].substr(51, 5), ".....");
    EXPECT_EQ(t.takeBells(), 0);
}

TEST(TerminalModes, SwitchingClears)
{
    TerminalModel t;
    feed(t, "some text\r\nmore");
    t.setMode(TerminalModel::Mode::Hex);
    EXPECT_TRUE(t.empty());
    feed(t, "A");
    EXPECT_EQ(t.lines()[0].substr(0, 2), "41");
    t.setMode(TerminalModel::Mode::Ascii);
    EXPECT_TRUE(t.empty());
    feed(t, "A");
    EXPECT_EQ(t.text(), "A");
}

TEST(TerminalModes, HexAfterClearStartsAtTheFirstColumn)
{
    TerminalModel t;
    t.setMode(TerminalModel::Mode::Hex);
    feed(t, "ABCDE");
    t.clear();
    feed(t, "Z");
    ASSERT_EQ(t.lineCount(), 1u);
    EXPECT_EQ(t.lines()[0].substr(0, 3), "5A ");
    EXPECT_EQ(t.lines()[0][51], 'Z');
    EXPECT_EQ(t.lines()[0][52], ' ');
}

TEST(TerminalScrollback, OldLinesAreDropped)
{
    TerminalModel t(100);
    for (int i = 0; i < 1000; ++i)
        feed(t, "line " + std::to_string(i) + "\r\n");
    feed(t, "last");
    EXPECT_EQ(t.lineCount(), 100u);
    EXPECT_EQ(t.lines().front(), "line 901");
    EXPECT_EQ(t.lines().back(), "last");
    EXPECT_EQ(t.caretLine(), 99u);
    EXPECT_EQ(t.droppedLines(), 901u);
}

TEST(TerminalScrollback, HexDumpIsCappedToo)
{
    TerminalModel t(50);
    t.setMode(TerminalModel::Mode::Hex);
    std::vector<uint8_t> bytes(16 * 200, 0x55);
    t.Display(bytes.data(), bytes.size());
    EXPECT_EQ(t.lineCount(), 50u);
    feed(t, "B");
    EXPECT_EQ(t.lineCount(), 50u);
    EXPECT_EQ(t.lines().back().substr(0, 3), "42 ");
}

TEST(TerminalScrollback, EndlessLineIsBroken)
{
    TerminalModel t;
    feed(t, std::string(TerminalModel::MaxLineLength * 3 + 5, 'x'));
    ASSERT_EQ(t.lineCount(), 4u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(t.lines()[i].size(), TerminalModel::MaxLineLength);
    EXPECT_EQ(t.lines()[3].size(), 5u);
}

TEST(TerminalScrollback, DefaultCapIsTenThousandLines)
{
    TerminalModel t;
    EXPECT_EQ(t.maxLines(), 10000u);
    for (int i = 0; i < 12000; ++i)
        feed(t, "\n");
    EXPECT_EQ(t.lineCount(), 10000u);
}

} // namespace
