// The word the editor looks up under the mouse, and the tip it shows.
#include "editor/LabelHover.h"

#include <gtest/gtest.h>

using namespace zelk;

namespace {

TEST(LabelHover, WordUnderThePointer)
{
    const struct {
        const char* line;
        size_t at;
        const char* word;
    } cases[] = {
        {"LOOP    STAA PORTB", 0, "LOOP"},
        {"LOOP    STAA PORTB", 3, "LOOP"},
        {"LOOP    STAA PORTB", 4, ""},         // the blank after it
        {"LOOP    STAA PORTB", 15, "PORTB"},
        {"LOOP    STAA PORTB", 18, ""},        // past the end
        {"        LDX #my_tab.2,X", 14, "my_tab.2"},
        {"        LDX #my_tab.2,X", 21, ""},          // the comma
        {"        LDX #my_tab.2,X", 22, "X"},
        {"        LDAA $C000", 15, ""},        // hex digits are no label
        {"        LDAA $C000", 14, ""},        // on the C of $C000
        {"        LDAA #%1010", 16, ""},
        {"        LDAA #@17", 15, ""},
        {"        LDAA #'A", 15, ""},
        {"        LDAA #10", 14, ""},          // decimal
        {"        BRA here ; back to here", 28, "here"},
        {"", 0, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(labelWordAt(c.line, c.at), c.word) << c.line << " @" << c.at;
}

TEST(LabelHover, TipText)
{
    const uint8_t bytes[] = {0x86, 0x55};
    const uint8_t top[] = {0x0F, 0xF0};
    const struct {
        const char* name;
        int32_t value;
        const uint8_t* bytes;
        const char* reason;
        const char* text;
    } cases[] = {
        {"START", 0xC000, bytes, "", "START = $C000\nByte: $86  Word: $8655"},
        {"TOP", 0xFFFF, top, "", "TOP = $FFFF\nByte: $0F  Word: $0FF0"},
        {"PORTB", 0x1004, nullptr, HoverBoardRunning, "PORTB = $1004\nMemory can't be read while the board runs"},
        {"X1", 0x12, nullptr, "", "X1 = $0012"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(labelHoverText(c.name, c.value, c.bytes, c.reason), c.text) << c.name;
}

} // namespace
