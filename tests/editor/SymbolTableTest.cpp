// Listing lines into symbol entries, the table load and the lookup by name;
// damaged, binary and oversized listings.
#include "editor/SymbolTable.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

using namespace zelk;

namespace {

// A listing line in the assembler's layout: number, address, up to five
// code bytes in their columns, then the text from column 28.
std::string lst(const char* number, const char* address, std::vector<std::string> bytes, const std::string& text)
{
    std::string s = std::string(number) + " " + address + " ";
    for (size_t k = 0; k < 5; ++k) {
        s += k < bytes.size() ? bytes[k] : "  ";
        s += k < 4 ? " " : "   ";
    }
    return s + text;
}

struct LayoutCase {
    const char* what;
    std::string line;
    bool candidate;
    int32_t value;
    int codeLength;
    std::vector<uint8_t> code;
    std::string label;
    std::string source;
};

std::vector<LayoutCase> layoutCases()
{
    return {
        {"code line with label and comment", lst("0001", "E000", {"86", "12"}, "START LDAA #$12 load"), true,
         0xE000, 2, {0x86, 0x12}, "START", "START LDAA #$12 load"},
        {"label with nothing after it", lst("0002", "E002", {}, "START"), true, 0xE002, 0, {}, "", "START"},
        {"label with only a comment", lst("0003", "E002", {}, "LOOP * wait here"), true, 0xE002, 0, {}, "LOOP",
         "LOOP * wait here"},
        {"no label", lst("0004", "E002", {"B7", "10", "00"}, " STAA $1000"), true, 0xE002, 3, {0xB7, 0x10, 0x00},
         "", " STAA $1000"},
        {"five bytes", lst("0005", "0100", {"18", "CE", "12", "34", "01"}, " X"), true, 0x0100, 5,
         {0x18, 0xCE, 0x12, 0x34, 0x01}, "", " X"},
        {"label and FILL", lst("0006", "E010", {"FF", "FF", "FF", "FF"}, "TABLE FILL $FF,4"), true, 0xE010, 0, {},
         "TABLE", ""},
        {"FCB after the blank label column", lst("0007", "E014", {"01", "02"}, "       FCB 1,2"), true, 0xE014, 0,
         {}, "", ""},
        {"lower-case fcc", lst("0008", "E016", {"41"}, " fcc 'A'"), true, 0xE016, 0, {}, "", ""},
        {"FDB with label", lst("0009", "FFFE", {"E0", "00"}, "VEC FDB START"), true, 0xFFFE, 0, {}, "VEC", ""},
        {"lower-case hex digits", lst("0010", "e0a0", {"ff", "0a"}, " LDD #$FF0A"), true, 0xE0A0, 2, {0xFF, 0x0A},
         "", " LDD #$FF0A"},
        {"line number 0000", lst("0000", "0000", {}, "ZERO EQU 0"), true, 0, 0, {}, "ZERO", "ZERO EQU 0"},
        {"a gap in the byte columns", lst("0011", "E020", {"86", "  ", "12"}, " X"), true, 0xE020, 2,
         {0x86, 0x12}, "", " X"},
        {"tab after the label", lst("0012", "E030", {"20", "FE"}, "LOOP\tBRA LOOP"), true, 0xE030, 2, {0x20, 0xFE},
         "LOOP", "LOOP     BRA LOOP"},
        {"tab in the label column", lst("0013", "E032", {"39"}, "\tRTS"), true, 0xE032, 1, {0x39}, "",
         "         RTS"},
        {"exactly 28 characters", lst("0014", "E033", {"01"}, "N"), true, 0xE033, 1, {0x01}, "", "N"},
        {"27 characters", lst("0015", "E034", {"01"}, ""), false, 0, 0, {}, "", ""},
        {"empty line", "", false, 0, 0, {}, "", ""},
        {"blank line number", lst("  16", "E000", {"01"}, " NOP"), false, 0, 0, {}, "", ""},
        {"column 5 not a space", "0017:E000 01" + std::string(15, ' ') + " NOP", false, 0, 0, {}, "", ""},
        {"address not hex", lst("0018", "E0G0", {"01"}, " NOP"), false, 0, 0, {}, "", ""},
        {"column 10 not a space", "0019 E000-01" + std::string(15, ' ') + " NOP", false, 0, 0, {}, "", ""},
        {"column 13 not a space", "0020 E000 01-02" + std::string(12, ' ') + " NOP", false, 0, 0, {}, "", ""},
        {"columns 25-27 not blank", "0021 E000 01 02 03 04 05 X  NOP", false, 0, 0, {}, "", ""},
        {"header line", "ZELK 68HC11 assembler listing of Temp$$$.asm", false, 0, 0, {}, "", ""},
        {"line without an address", "0022" + std::string(23, ' ') + "* comment", false, 0, 0, {}, "", ""},
        {"continuation of data bytes", "     E005 01 02 03 04 05 06 07 08 09", false, 0, 0, {}, "", ""},
        {"error line", "***** error 12: unknown mnemonic BOGUS", false, 0, 0, {}, "", ""},
    };
}

TEST(ListingLine, LayoutCases)
{
    for (const LayoutCase& c : layoutCases()) {
        SCOPED_TRACE(c.what);
        SymbolEntry e;
        e.Value = -7;  // untouched unless the line is taken
        ASSERT_EQ(parseListingLine(c.line, e), c.candidate);
        if (!c.candidate) {
            EXPECT_EQ(e.Value, -7);
            continue;
        }
        EXPECT_EQ(e.Value, c.value);
        EXPECT_EQ(e.CodeLength, c.codeLength);
        for (size_t k = 0; k < c.code.size() && c.codeLength > 0; ++k)
            EXPECT_EQ(e.Code[k], c.code[k]) << "byte " << k;
        EXPECT_EQ(e.Label, c.label);
        EXPECT_EQ(e.Source, c.source);
    }
}

SymbolTable load(const std::string& text)
{
    std::istringstream in(text);
    SymbolTable t;
    SymbolLoadResult r = LoadSymbols(in, t);
    EXPECT_TRUE(r.ok) << r.error;
    return t;
}

TEST(LoadSymbols, TakesLayoutLinesInListingOrder)
{
    std::string text = "ZELK listing\n\n" + lst("0001", "E000", {"86", "12"}, "START LDAA #$12") + "\n" +
                       "***** error 2: bad\n" + lst("0002", "E002", {"20", "FE"}, "LOOP BRA LOOP") + "\r\n" +
                       lst("0003", "E004", {}, "END") + "\n" + "\n2 errors\n";
    SymbolTable t = load(text);
    ASSERT_EQ(t.count(), 3u);
    EXPECT_EQ(t[0].Label, "START");
    EXPECT_EQ(t[1].Label, "LOOP");
    EXPECT_EQ(t[1].Source, "LOOP BRA LOOP") << "a CR LF line end is not part of the text";
    EXPECT_EQ(t[2].Value, 0xE004);
    EXPECT_EQ(t[2].Label, "") << "label without a blank after it";
}

TEST(LoadSymbols, LastLineWithoutLineEnd)
{
    SymbolTable t = load(lst("0001", "E000", {"39"}, "DONE RTS"));
    ASSERT_EQ(t.count(), 1u);
    EXPECT_EQ(t[0].Label, "DONE");
}

TEST(LoadSymbols, ReplacesTheTable)
{
    SymbolTable t = load(lst("0001", "E000", {"39"}, "A RTS") + "\n" + lst("0002", "E001", {"39"}, "B RTS"));
    ASSERT_EQ(t.count(), 2u);
    std::istringstream in("not a listing\n");
    SymbolLoadResult r = LoadSymbols(in, t);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(t.count(), 0u);
    EXPECT_EQ(symbolsStatusText(t, "prog.lst"), "Symbols: <None>");
}

TEST(LoadSymbols, MissingFileLeavesTheTableAndReportsTheSystemError)
{
    SymbolTable t = load(lst("0001", "E000", {"39"}, "A RTS"));
    SymbolLoadResult r = LoadSymbols(std::filesystem::path("/nonexistent/dir/prog.lst"), t);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(t.count(), 1u);
    EXPECT_EQ(readErrorMessage(r.error), r.error + " !");
    EXPECT_STREQ(ReadErrorCaption, "Tarvine - Read Error");

    r = LoadSymbols(std::filesystem::temp_directory_path(), t);
    EXPECT_FALSE(r.ok) << "a directory is not a listing";
    EXPECT_EQ(t.count(), 1u);
}

TEST(LoadSymbols, FromFile)
{
    auto path = std::filesystem::temp_directory_path() / ("zelk-symtest-" + std::to_string(::getpid()) + ".lst");
    {
        std::ofstream out(path, std::ios::binary);
        out << lst("0001", "E000", {"86", "01"}, "START LDAA #1") << "\r\n";
    }
    SymbolTable t;
    SymbolLoadResult r = LoadSymbols(path, t);
    std::filesystem::remove(path);
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(t.count(), 1u);
    EXPECT_EQ(t.lookup("start"), 0xE000);
    EXPECT_EQ(symbolsStatusText(t, "prog.lst"), "Symbols: prog.lst");
}

TEST(FindSymbol, FirstMatchUpperCaseExact)
{
    SymbolTable t = load(lst("0001", "E000", {}, "START NOP") + "\n" + lst("0002", "E001", {}, "START NOP") + "\n" +
                         lst("0003", "E002", {}, "lower NOP") + "\n" + lst("0004", "E003", {}, " NOP"));
    std::string name = "start";
    EXPECT_EQ(t.FindSymbol(name), 0xE000);
    EXPECT_EQ(name, "START") << "the caller's name is upper-cased";
    EXPECT_EQ(t.lookup("lower"), -1) << "a lower-case label is never matched";
    EXPECT_EQ(t.lookup("LOWER"), -1);
    EXPECT_EQ(t.lookup(""), -1) << "entries without a label are not found by an empty name";
    EXPECT_EQ(t.lookup("STAR"), -1);
}

TEST(FindSymbol, EmptyNameMatchesNoUnlabelledEntry)
{
    // An empty name must not find the first line without a label.
    SymbolTable t = load(lst("0001", "E000", {"01"}, " NOP"));
    ASSERT_EQ(t.count(), 1u);
    std::string empty;
    EXPECT_EQ(t.FindSymbol(empty), -1);
}

TEST(LoadSymbols, CapsTheTable)
{
    std::string text;
    const size_t lines = SymbolTable::MaxEntries + 10;
    text.reserve(lines * 40);
    for (size_t i = 0; i < lines; ++i)
        text += lst("0001", "E000", {"01"}, " NOP") + "\n";
    std::istringstream in(text);
    SymbolTable t;
    SymbolLoadResult r = LoadSymbols(in, t);
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.truncated);
    EXPECT_EQ(t.count(), SymbolTable::MaxEntries);
}

TEST(LoadSymbols, OverlongLineIsCutNotLoadedWhole)
{
    std::string longText(3 * SymbolTable::MaxLineLength, 'x');
    SymbolTable t = load(lst("0001", "E000", {"01"}, "L " + longText) + "\n" + lst("0002", "E001", {}, "M NOP"));
    ASSERT_EQ(t.count(), 2u);
    EXPECT_EQ(t[0].Label, "L");
    EXPECT_LE(t[0].Source.size(), SymbolTable::MaxLineLength);
    EXPECT_EQ(t[1].Label, "M");
}

TEST(LoadSymbols, BinaryWithoutLineEndsLoadsNothing)
{
    std::string blob(1 << 20, '\0');
    std::mt19937 rng(7);
    for (char& c : blob)
        c = static_cast<char>(rng() & 0xFF);
    for (char& c : blob)
        if (c == '\n')
            c = 'x';
    SymbolTable t = load(blob);
    EXPECT_EQ(t.count(), 0u);
}

// Every entry the loader produces keeps its invariants.
void checkEntry(const SymbolEntry& e)
{
    EXPECT_GE(e.Value, 0);
    EXPECT_LE(e.Value, 0xFFFF);
    EXPECT_GE(e.CodeLength, 0);
    EXPECT_LE(e.CodeLength, 5);
    EXPECT_EQ(e.Label.find(' '), std::string::npos);
    if (!e.Label.empty() && !e.Source.empty()) {
        EXPECT_EQ(e.Source.compare(0, e.Label.size(), e.Label), 0);
    }
}

TEST(LoadSymbols, RandomlyDamagedListingsNeverFail)
{
    const std::vector<std::string> good = {
        lst("0001", "E000", {"86", "12"}, "START LDAA #$12"), lst("0002", "E002", {"20", "FE"}, "LOOP\tBRA LOOP"),
        lst("0003", "E004", {"01", "02"}, "TAB FCB 1,2"), lst("0004", "E006", {}, "END"),
        "***** error 4: bad", "     E005 01 02 03",
    };
    static const char chars[] = "0123456789ABCDEFabcdef $%@\t\r\n\x00\xff:FCBFILL";
    const std::string alphabet(chars, sizeof chars - 1);  // the NUL inside included
    std::mt19937 rng(20261207);
    for (int round = 0; round < 400; ++round) {
        std::string text;
        int lines = 1 + static_cast<int>(rng() % 20);
        for (int i = 0; i < lines; ++i) {
            std::string line = good[rng() % good.size()];
            int edits = static_cast<int>(rng() % 6);
            for (int k = 0; k < edits && !line.empty(); ++k) {
                size_t at = rng() % line.size();
                switch (rng() % 4) {
                case 0: line[at] = alphabet[rng() % alphabet.size()]; break;
                case 1: line.erase(at, 1 + rng() % 3); break;
                case 2: line.insert(at, 1, alphabet[rng() % alphabet.size()]); break;
                case 3: line.resize(at); break;
                }
            }
            text += line;
            if (rng() % 8 != 0)
                text += '\n';
        }
        std::istringstream in(text);
        SymbolTable t;
        SymbolLoadResult r = LoadSymbols(in, t);
        ASSERT_TRUE(r.ok);
        for (const SymbolEntry& e : t)
            checkEntry(e);
    }
}

} // namespace

namespace {

TEST(SourceFor, MatchesAddressLengthAndBytesLastEntryWins)
{
    SymbolTable t = load(lst("0001", "E000", {"86", "12"}, "START LDAA #$12") + "\n" +
                         lst("0002", "E002", {"20", "FE"}, "LOOP BRA LOOP") + "\n" +
                         lst("0003", "E000", {"86", "12"}, "AGAIN LDAA #$12 again") + "\n" +
                         lst("0004", "E004", {"01", "02"}, "TAB FCB 1,2") + "\n" +
                         lst("0005", "0100", {"39"}, " RTS"));
    const uint8_t ldaa[] = {0x86, 0x12};
    const uint8_t other[] = {0x86, 0x13};
    const uint8_t bra[] = {0x20, 0xFE};
    const uint8_t data[] = {0x01, 0x02};
    const uint8_t rts[] = {0x39};

    const SymbolEntry* e = t.sourceFor(0xE000, ldaa, 2);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->Source, "AGAIN LDAA #$12 again");
    EXPECT_EQ(t.sourceFor(0xE000, other, 2), nullptr) << "the code changed since the listing";
    EXPECT_EQ(t.sourceFor(0xE000, ldaa, 1), nullptr) << "another length";
    EXPECT_EQ(t.sourceFor(0xE001, ldaa, 2), nullptr);
    ASSERT_NE(t.sourceFor(0xE002, bra, 2), nullptr);
    EXPECT_EQ(t.sourceFor(0xE002, bra, 2)->Label, "LOOP");
    EXPECT_EQ(t.sourceFor(0xE004, data, 2), nullptr) << "data lines carry no code";
    ASSERT_NE(t.sourceFor(0x0100, rts, 1), nullptr);
    EXPECT_EQ(t.sourceFor(0x0100, rts, 6), nullptr);
    EXPECT_EQ(t.sourceFor(0x0100, nullptr, 1), nullptr);

    // The index follows a reload.
    std::istringstream in(lst("0001", "E002", {"20", "FE"}, "NEW BRA NEW"));
    LoadSymbols(in, t);
    EXPECT_EQ(t.sourceFor(0xE000, ldaa, 2), nullptr);
    ASSERT_NE(t.sourceFor(0xE002, bra, 2), nullptr);
    EXPECT_EQ(t.sourceFor(0xE002, bra, 2)->Label, "NEW");
}

} // namespace

namespace {

// A stream buffer that hands out its text and then fails as a disk read would.
class FailingBuf : public std::streambuf {
public:
    explicit FailingBuf(std::string text) : text_(std::move(text))
    {
        setg(text_.data(), text_.data(), text_.data() + text_.size());
    }

protected:
    int_type underflow() override { throw std::ios_base::failure("Input/output error"); }

private:
    std::string text_;
};

TEST(LoadSymbols, ReadErrorKeepsTheEntriesReadBeforeIt)
{
    FailingBuf buf(lst("0001", "E000", {"39"}, "A RTS") + "\n" + lst("0002", "E001", {"39"}, "B RTS") + "\n" +
                   lst("0003", "E002", {"39"}, "C RT"));
    std::istream in(&buf);
    SymbolTable t;
    SymbolLoadResult r = LoadSymbols(in, t);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("Input/output error"), std::string::npos) << r.error;
    ASSERT_EQ(t.count(), 2u);
    EXPECT_EQ(t[1].Label, "B");
    std::string name = "b";
    EXPECT_EQ(FindSymbol(t, name), 0xE001);
    EXPECT_EQ(name, "B");
}

} // namespace
