// The serial terminal's key rules and its code pages.
#include "terminal/CodePages.h"
#include "terminal/TerminalKeys.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

using namespace zelk;

namespace {

using Bytes = std::vector<uint8_t>;

TEST(TerminalKeys, Rules)
{
    struct Case {
        TerminalKey key;
        char32_t ch;
        bool boardMode, running;
        bool swallow;
        Bytes send;
    };
    const Case cases[] = {
        {TerminalKey::Enter, 0, true, false, true, {}},  // the monitor would read it as a frame
        {TerminalKey::Enter, 0, true, true, true, {13, 10}},
        {TerminalKey::Enter, 0, false, false, true, {}},
        {TerminalKey::Backspace, 0, true, true, true, {8}},
        {TerminalKey::Backspace, 0, true, false, true, {}},
        {TerminalKey::Backspace, 0, false, true, true, {}},
        {TerminalKey::Character, U'a', true, true, true, {'a'}},
        {TerminalKey::Character, U'a', true, false, true, {}},   // no program runs
        {TerminalKey::Character, U'a', false, true, true, {}},   // simulator mode
        {TerminalKey::Character, U'\u0160', true, true, true, {230}},  // S caron: 1250 138 -> 852 230
        {TerminalKey::Character, U'\u010D', true, true, true, {159}},  // c caron: 1250 232 -> 852 159
        {TerminalKey::Character, U'\u00E1', true, true, true, {225}},  // a acute: not in the table, 1250 code
        {TerminalKey::Character, U'\u20AC', true, true, true, {0x80}}, // euro sign, 1250 only
        {TerminalKey::Character, U'\u4E2D', true, true, true, {}},     // no 1250 code: nothing
        {TerminalKey::Character, U'\x1b', true, true, true, {27}},
        {TerminalKey::Delete, 0, true, true, true, {}},
        {TerminalKey::PageUp, 0, true, true, true, {}},
        {TerminalKey::PageDown, 0, true, true, true, {}},
        {TerminalKey::End, 0, true, true, true, {}},
        {TerminalKey::Home, 0, true, true, true, {}},
        {TerminalKey::Left, 0, true, true, true, {}},
        {TerminalKey::Right, 0, true, true, true, {}},
        {TerminalKey::Up, 0, true, true, true, {}},
        {TerminalKey::Down, 0, true, true, true, {}},
        {TerminalKey::CtrlA, 0, true, true, true, {}},
        {TerminalKey::CtrlC, 0, true, true, true, {}},
        {TerminalKey::CtrlV, 0, true, true, true, {}},
        {TerminalKey::CtrlX, 0, true, true, true, {}},
        {TerminalKey::CtrlZ, 0, true, true, true, {}},
        {TerminalKey::Other, 0, true, true, false, {}},
    };
    int n = 0;
    for (const auto& c : cases) {
        const TerminalKeyAction a = terminalKeyAction(c.key, c.ch, c.boardMode, c.running);
        EXPECT_EQ(a.swallow, c.swallow) << "case " << n;
        EXPECT_EQ(a.send, c.send) << "case " << n;
        ++n;
    }
}

TEST(CodePages, ConversionTableKeepsEachCharacter)
{
    // Every pair of the table names the same character in both code pages.
    std::set<int> from, to;
    for (const auto& p : cp1250ToCp852Pairs()) {
        EXPECT_NE(cp1250ToUnicode(p[0]), 0u) << int(p[0]);
        EXPECT_EQ(cp1250ToUnicode(p[0]), cp852ToUnicode(p[1])) << int(p[0]) << " -> " << int(p[1]);
        EXPECT_EQ(cp1250ToCp852(p[0]), p[1]);
        from.insert(p[0]);
        to.insert(p[1]);
    }
    EXPECT_EQ(from.size(), 26u);
    EXPECT_EQ(to.size(), 26u);
}

TEST(CodePages, BytesOutsideTheTableAreSentUnchanged)
{
    std::set<int> inTable;
    for (const auto& p : cp1250ToCp852Pairs())
        inTable.insert(p[0]);
    for (int b = 0; b < 256; ++b)
        if (!inTable.count(b)) {
            EXPECT_EQ(cp1250ToCp852(static_cast<uint8_t>(b)), b) << b;
        }
}

TEST(CodePages, UnicodeTo1250RoundTrips)
{
    int mapped = 0;
    for (int b = 0; b < 256; ++b) {
        const char32_t c = cp1250ToUnicode(static_cast<uint8_t>(b));
        if (b >= 0x80 && c == 0)
            continue;  // 1250 leaves a few codes unassigned
        EXPECT_EQ(unicodeToCp1250(c), b) << b;
        ++mapped;
    }
    EXPECT_EQ(mapped, 251);
    EXPECT_EQ(unicodeToCp1250(U'\u2591'), -1);  // a 852 box-drawing shade
}

TEST(CodePages, Cp852DisplayCharacters)
{
    EXPECT_EQ(cp852ToUnicode('A'), U'A');
    EXPECT_EQ(cp852ToUnicode(0x80), U'\u00C7');
    EXPECT_EQ(cp852ToUnicode(0xE6), U'\u0160');
    EXPECT_EQ(cp852ToUnicode(0xFF), U'\u00A0');
    std::set<char32_t> seen;
    for (int b = 0x80; b < 256; ++b)
        seen.insert(cp852ToUnicode(static_cast<uint8_t>(b)));
    EXPECT_EQ(seen.size(), 128u) << "every high byte has its own character";
}

} // namespace
