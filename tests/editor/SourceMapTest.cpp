// The line <-> address map on listings the real assembler writes: lines
// without code, label-only lines, data lines and their continuation lines,
// ORG jumps forward and back over earlier code, tabs, more than 9999 lines,
// and input that is no listing at all.
#include "editor/SourceMap.h"

#include "Assembler.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

using namespace zelk;

namespace {

SourceMap mapOf(const std::string& source)
{
    const as11::AssemblyResult r = as11::assemble(source);
    EXPECT_TRUE(r.ok()) << r.errorText();
    std::istringstream in(r.listing);
    SourceMap map;
    std::string error;
    EXPECT_TRUE(LoadSourceMap(in, map, error)) << error;
    return map;
}

const char* const kProgram =
    "* comment line\n"          // 1
    "PORTB   EQU $1004\n"       // 2
    "        ORG $C000\n"       // 3
    "START   LDAA #$55\n"       // 4
    "LOOP    STAA PORTB\n"      // 5
    "\n"                        // 6
    "        DECA\n"            // 7
    "        BNE LOOP\n"        // 8
    "TABLE   FCB 1,2,3,4,5,6,7\n"  // 9: seven bytes, a continuation line
    "WORDS   FDB $1234,START\n"    // 10
    "MSG     FCC /HELLO/\n"        // 11
    "BUF     RMB 4\n"              // 12
    "ALONE\n"                      // 13
    "        ORG $C100\n"          // 14
    "        JMP START\n"          // 15
    "        ORG $C002\n"          // 16: back over line 5
    "        NOP\n"                // 17
    "\tldx\t#TABLE\t; tabs\n"      // 18: $C003, over line 5's operand
    "here:   bra here\n"           // 19: $C006, over line 8
    "        END START\n";         // 20

TEST(SourceMap, LinesOfAddresses)
{
    const SourceMap map = mapOf(kProgram);
    const struct {
        int32_t address;
        int line;
    } cases[] = {
        {0xC000, 4},   // first instruction
        {0xC002, 17},  // ORG back: the later NOP is what memory holds
        {0xC005, 7},
        {0xC006, 19},  // the later BRA assembled over the BNE
        {0xC008, 9},   // data start
        {0xC00E, 9},   // inside the continuation line's bytes
        {0xC00F, 10},  // FDB
        {0xC012, 10},
        {0xC013, 11},  // FCC
        {0xC017, 11},
        {0xC018, 0},   // RMB reserves, emits nothing
        {0xC01C, 0},   // a label alone
        {0xC100, 15},
        {0xC003, 18},  // code after the NOP goes on over the old lines
        {0xC004, 0},   // inside the LDX: no line starts there
        {0x0000, 0},
        {0x1004, 0},   // EQU values are no addresses
    };
    for (const auto& c : cases)
        EXPECT_EQ(map.lineFor(c.address), c.line) << std::hex << c.address;
}

TEST(SourceMap, AddressesOfLines)
{
    const SourceMap map = mapOf(kProgram);
    const struct {
        int line;
        int32_t address;
        bool present;
        SourceLine::Kind kind;
        int length;
    } cases[] = {
        {1, -1, false, SourceLine::Kind::Code, 0},          // comment
        {2, -1, false, SourceLine::Kind::Code, 0},          // EQU
        {3, -1, false, SourceLine::Kind::Code, 0},          // unlabelled ORG
        {4, 0xC000, true, SourceLine::Kind::Code, 2},
        {5, 0xC002, true, SourceLine::Kind::Code, 3},       // still its own line's address
        {6, -1, false, SourceLine::Kind::Code, 0},          // empty line
        {8, 0xC006, true, SourceLine::Kind::Code, 2},
        {9, -1, true, SourceLine::Kind::Data, 7},           // data: no breakpoint
        {10, -1, true, SourceLine::Kind::Data, 4},
        {11, -1, true, SourceLine::Kind::Data, 5},
        {12, -1, true, SourceLine::Kind::Data, 0},
        {13, -1, true, SourceLine::Kind::Address, 0},
        {15, 0xC100, true, SourceLine::Kind::Code, 3},
        {17, 0xC002, true, SourceLine::Kind::Code, 1},
        {18, 0xC003, true, SourceLine::Kind::Code, 3},   // tabs
        {19, 0xC006, true, SourceLine::Kind::Code, 2},   // indented label with a colon
        {20, -1, false, SourceLine::Kind::Code, 0},         // END
        {99, -1, false, SourceLine::Kind::Code, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(map.addressOfLine(c.line), c.address) << "line " << c.line;
        const SourceLine* e = map.entryOfLine(c.line);
        ASSERT_EQ(e != nullptr, c.present) << "line " << c.line;
        if (e) {
            EXPECT_EQ(e->kind, c.kind) << "line " << c.line;
            EXPECT_EQ(e->length, c.length) << "line " << c.line;
        }
    }
}

// Every instruction line maps to its address and back, on a program long
// enough for the listing's four-digit line field to wrap twice.
TEST(SourceMap, LongSourcesKeepTheirLineNumbers)
{
    std::string source = "        ORG $1000\n";
    int nops = 0;
    for (int i = 2; i <= 25000; ++i) {
        source += i % 3 == 0 ? "* comment\n" : "        NOP\n";
        nops += i % 3 != 0;
    }
    const SourceMap map = mapOf(source);
    int instructions = 0;
    for (int line = 1; line <= 25000; ++line) {
        const int32_t address = map.addressOfLine(line);
        if (line == 1 || line % 3 == 0) {
            EXPECT_EQ(address, -1) << line;
            continue;
        }
        ASSERT_EQ(address, 0x1000 + instructions) << line;
        ASSERT_EQ(map.lineFor(address), line);
        ++instructions;
    }
    EXPECT_EQ(instructions, nops);
}

// A labelled ORG has an address but no bytes; a wrap of the address space.
TEST(SourceMap, LabelledOrgAndTopOfMemory)
{
    const SourceMap map = mapOf("TOP     ORG $FFFE\n"
                                "        FDB $C000\n"
                                "        ORG $C000\n"
                                "        BRA *\n");
    ASSERT_NE(map.entryOfLine(1), nullptr);
    EXPECT_EQ(map.entryOfLine(1)->kind, SourceLine::Kind::Address);
    EXPECT_EQ(map.lineFor(0xFFFE), 2);
    EXPECT_EQ(map.lineFor(0xFFFF), 2);
    EXPECT_EQ(map.lineFor(0xC000), 4);
    EXPECT_EQ(map.addressOfLine(4), 0xC000);
}

TEST(SourceMap, InputThatIsNoListingGivesAnEmptyMap)
{
    const std::string inputs[] = {
        "",
        "hello world\n",
        std::string(100000, 'x'),
        "0001 ZZZZ 86 55            LDAA #$55\n",   // no hex address
        "0001 C000 8G 55            LDAA #$55\n",   // no hex byte
        "     C000 01 02\n",                        // a continuation with nothing before it
    };
    for (const std::string& text : inputs) {
        std::istringstream in(text);
        SourceMap map;
        std::string error;
        EXPECT_TRUE(LoadSourceMap(in, map, error));
        EXPECT_TRUE(map.empty()) << text.substr(0, 40);
        EXPECT_EQ(map.lineFor(0xC000), 0);
    }
    SourceMap map;
    std::string error;
    EXPECT_FALSE(LoadSourceMap("/nonexistent/dir/prog.lst", map, error));
    EXPECT_FALSE(error.empty());
}

// The listed bytes are kept, so the editor can tell whether memory holds
// the assembled program before it marks the program counter's line.
TEST(SourceMap, HoldsComparesTheListedBytes)
{
    const SourceMap map = mapOf(kProgram);
    const SourceLine* staa = map.entryOfLine(5);
    const SourceLine* alone = map.entryOfLine(13);
    ASSERT_TRUE(staa && alone);
    const uint8_t same[] = {0xB7, 0x10, 0x04};
    const uint8_t other[] = {0xB7, 0x10, 0x05};
    const struct {
        const SourceLine* line;
        const uint8_t* memory;
        int count;
        bool holds;
    } cases[] = {
        {staa, same, 3, true},
        {staa, other, 3, false},
        {staa, same, 2, false},     // too few bytes read
        {staa, nullptr, 0, false},  // nothing read
        {alone, nullptr, 0, true},  // no bytes to compare
    };
    for (const auto& c : cases)
        EXPECT_EQ(SourceMap::holds(*c.line, c.memory, c.count), c.holds);
}

// Reloading replaces the map: nothing of the previous listing stays.
TEST(SourceMap, LoadReplaces)
{
    SourceMap map = mapOf(kProgram);
    ASSERT_FALSE(map.empty());
    std::istringstream in(as11::assemble("        ORG $2000\n        NOP\n").listing);
    std::string error;
    ASSERT_TRUE(LoadSourceMap(in, map, error));
    EXPECT_EQ(map.lineFor(0xC000), 0);
    EXPECT_EQ(map.lineFor(0x2000), 2);
    EXPECT_EQ(map.lines().size(), 1u);
}

} // namespace
