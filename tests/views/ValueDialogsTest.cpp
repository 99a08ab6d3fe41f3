// Validation of the Enter Value, Go To Address, Watch and Memory Display
// Address dialogs.
#include "TestSymbols.h"
#include "editor/SymbolTable.h"
#include "views/ValueDialogs.h"

#include <gtest/gtest.h>

using namespace zelk;

namespace {

struct ValueCase {
    const char* text;
    bool isWord;
    int32_t value;  // -1: refused
};

TEST(EnterValue, AcceptsAndRefuses)
{
    const ValueCase cases[] = {
        {"$FF", false, 255},     {"$100", false, -1},   {"256", false, -1},   {"%11111111", false, 255},
        {"@377", false, 255},    {"0255", false, 255},  {"000255", false, -1}, {"65535", true, 65535},
        {"$FFFF", true, 65535},  {"$10000", true, -1},  {"12a", true, -1},    {"-5", true, -1},
        {"$", true, -1},         {"%", true, -1},       {"0", false, 0},      {"$ff", false, 255},
        {"@400", false, -1},     {"65536", true, -1},   {" 5", false, -1},
    };
    for (const ValueCase& c : cases) {
        DialogCheck r = checkEnterValue(c.text, c.isWord);
        if (c.value < 0) {
            EXPECT_EQ(r.verdict, DialogVerdict::Refuse) << c.text;
            EXPECT_EQ(r.message, "Invalid Number !");
            EXPECT_EQ(r.caption, "Tarvine - Enter Value");
        } else {
            EXPECT_EQ(r.verdict, DialogVerdict::Accept) << c.text;
            EXPECT_EQ(r.value, c.value) << c.text;
        }
    }
}

TEST(EnterValue, EmptyTextOnlyRefocuses)
{
    DialogCheck r = checkEnterValue("", true);
    EXPECT_EQ(r.verdict, DialogVerdict::Refocus);
    EXPECT_TRUE(r.message.empty());
}

TEST(GoToAddress, NumberOrLabel)
{
    SymbolTable t = symbols({{"START", 0xE000}, {"loop", 0xE010}, {"START", 0x1234}});
    struct Case {
        const char* text;
        int32_t value;
    } cases[] = {
        {"start", 0xE000}, {"START", 0xE000}, {"$E000", 0xE000}, {"57344", 0xE000},
        {"loop", -1},      {"LOOP", -1},      {"nowhere", -1},   {"$10000", -1},
    };
    for (const Case& c : cases) {
        DialogCheck r = checkGoToAddress(c.text, t);
        if (c.value < 0) {
            EXPECT_EQ(r.verdict, DialogVerdict::Refuse) << c.text;
            EXPECT_EQ(r.message, "Invalid Address !");
            EXPECT_EQ(r.caption, "Tarvine - Go To Address");
        } else {
            EXPECT_EQ(r.verdict, DialogVerdict::Accept) << c.text;
            EXPECT_EQ(r.value, c.value) << c.text;
            EXPECT_TRUE(r.name.empty());
        }
    }
    EXPECT_EQ(checkGoToAddress("", t).verdict, DialogVerdict::Refocus);
}

TEST(WatchAddress, LabelComesBackUpperCaseAsTheName)
{
    SymbolTable t = symbols({{"PORTA", 0x1000}, {"70000", 0x0042}});
    DialogCheck r = checkWatchAddress("porta", t);
    EXPECT_EQ(r.verdict, DialogVerdict::Accept);
    EXPECT_EQ(r.value, 0x1000);
    EXPECT_EQ(r.name, "PORTA");

    r = checkWatchAddress("$00FF", t);
    EXPECT_EQ(r.verdict, DialogVerdict::Accept);
    EXPECT_EQ(r.value, 0xFF);
    EXPECT_TRUE(r.name.empty());

    for (const char* bad : {"$10000", "portb"}) {
        r = checkWatchAddress(bad, t);
        EXPECT_EQ(r.verdict, DialogVerdict::Refuse) << bad;
        EXPECT_EQ(r.message, "Invalid Address !");
        EXPECT_EQ(r.caption, "Tarvine - Watch");
    }
    // Not a number in range, but a label of that name exists.
    r = checkWatchAddress("70000", t);
    EXPECT_EQ(r.verdict, DialogVerdict::Accept);
    EXPECT_EQ(r.value, 0x42);
    EXPECT_EQ(r.name, "70000");
}

TEST(MemoryAddress, HexWithoutPrefix)
{
    EXPECT_EQ(checkMemoryAddress("").verdict, DialogVerdict::Refocus);
    EXPECT_EQ(checkMemoryAddress("12F").value, 0x12F);
    EXPECT_EQ(checkMemoryAddress("FFFF").value, 0xFFFF);
    // A pasted fifth digit cannot take the address outside the memory.
    EXPECT_LE(checkMemoryAddress("1FFFF").value, 0xFFFF);
}

std::string typeKeys(std::string text, int caret, std::string_view keys)
{
    for (char k : keys) {
        MemAdrKey r = memAdrKey(text, caret, k);
        text = r.text;
        caret = r.caret;
    }
    return text;
}

TEST(MemoryAddressKeys, FilterAndOvertype)
{
    EXPECT_EQ(typeKeys("", 0, "1g2f"), "12F");
    EXPECT_EQ(typeKeys("1234", 4, "5"), "1234");
    EXPECT_EQ(typeKeys("", 0, "$12-x"), "12");
    EXPECT_EQ(typeKeys("", 0, "abcdef"), "ABCD");
    // Typing into the middle of a full box overtypes the next character.
    MemAdrKey r = memAdrKey("1234", 1, '9');
    EXPECT_EQ(r.text, "1934");
    EXPECT_EQ(r.caret, 2);
    // Backspace deletes before the caret; at the start it does nothing.
    r = memAdrKey("1234", 2, KeyBackspace);
    EXPECT_EQ(r.text, "134");
    EXPECT_EQ(r.caret, 1);
    EXPECT_EQ(memAdrKey("12", 0, KeyBackspace).text, "12");
    // Enter presses OK only with a text.
    EXPECT_TRUE(memAdrKey("12", 2, KeyEnter).pressOK);
    EXPECT_FALSE(memAdrKey("", 0, KeyEnter).pressOK);
    EXPECT_EQ(memAdrKey("12", 2, KeyEnter).text, "12");
    // A caret outside the text is taken as its end.
    EXPECT_EQ(memAdrKey("12", 9, 'A').text, "12A");
}

} // namespace
