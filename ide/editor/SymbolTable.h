// The symbol table: one entry per listing line that carries an address, read
// from the assembler's listing. The labels window lists it, the disassembler
// shows its source lines, and the address and watch dialogs look labels up in
// it. Loading replaces the table as a whole; nothing else edits it.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace zelk {

// One listing line with an address.
struct SymbolEntry {
    int32_t Value = 0;                // address of the line, 0..$FFFF
    int16_t CodeLength = 0;           // valid bytes in Code, 0..5; 0 for data directives
    std::array<uint8_t, 5> Code{};    // object code of the line
    std::string Label;                // label in the label column, or empty
    std::string Source;               // listing text from column 28 on; empty for data directives
};

// Listing line layout (1-based columns): line number 1-4, space, address 6-9,
// space, up to five code bytes at 11, 14, 17, 20, 23 separated by spaces,
// three spaces 25-27, label or space from 28, then the statement.
namespace listing {
constexpr size_t MinLineLength = 28;
constexpr size_t LabelColumn = 28;
constexpr int MaxCodeBytes = 5;
}

// Reads one listing line into `entry`. Returns false, leaving `entry`
// untouched, when the line does not fit the layout.
bool parseListingLine(std::string_view line, SymbolEntry& entry);

class SymbolTable {
public:
    // The table never holds more entries than this, so the count fits the
    // 16-bit range its users expect; a longer listing loads its first lines.
    static constexpr size_t MaxEntries = 65535;
    // Longer lines are cut to this length while reading, so a binary file
    // without line ends cannot exhaust memory.
    static constexpr size_t MaxLineLength = 4096;

    size_t count() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const SymbolEntry& operator[](size_t i) const { return entries_[i]; }
    const std::vector<SymbolEntry>& entries() const { return entries_; }
    auto begin() const { return entries_.begin(); }
    auto end() const { return entries_.end(); }

    void clear()
    {
        entries_.clear();
        indexed_ = false;
    }
    // Appends an entry unless the table is full; returns whether it did.
    bool append(SymbolEntry entry);

    // Symbol lookup by name: upper-cases `name` (the caller's string stays
    // upper case) and returns the Value of the first entry whose Label equals
    // it exactly, or -1 when there is none (always for an empty name).
    int32_t FindSymbol(std::string& name) const;
    // The same lookup on a copy of the name.
    int32_t lookup(std::string_view name) const;

    // The disassembler's source line for an instruction: the entry whose
    // Value is `address`, whose CodeLength is `length` and whose first
    // `length` Code bytes equal `bytes`; when several match, the last in
    // table order. Null when none does (data lines, CodeLength 0, never
    // match an instruction of length 1 or more).
    const SymbolEntry* sourceFor(int32_t address, const uint8_t* bytes, int length) const;

private:
    void buildIndex() const;

    std::vector<SymbolEntry> entries_;
    // Entry indexes sorted by Value, then by table order; built on first
    // use after a change.
    mutable std::vector<uint32_t> byValue_;
    mutable bool indexed_ = false;
};

// FindSymbol as the dialogs call it: upper-cases `name` in place and returns
// the value of its first entry in `table`, or -1.
inline int32_t FindSymbol(const SymbolTable& table, std::string& name)
{
    return table.FindSymbol(name);
}

// Outcome of loading a listing.
struct SymbolLoadResult {
    bool ok = true;          // false: the file could not be opened or read
    std::string error;       // the system's description of the read error
    size_t linesRead = 0;    // lines looked at
    bool truncated = false;  // the table filled up before the end of the listing
};

// LoadSymbols: replaces `table` with the entries of the listing read from
// `in`. Lines that do not fit the layout are skipped silently. On a read
// error the entries read before it stay in the table.
SymbolLoadResult LoadSymbols(std::istream& in, SymbolTable& table);
SymbolLoadResult LoadSymbols(const std::filesystem::path& file, SymbolTable& table);

// Status-bar text after a load: "Symbols: <None>" for an empty table,
// otherwise "Symbols: " and the listing title.
std::string symbolsStatusText(const SymbolTable& table, std::string_view listingTitle);

// Text of the read-error box (the system's description and " !") and its caption.
std::string readErrorMessage(std::string_view systemError);
inline constexpr const char* ReadErrorCaption = "Tarvine - Read Error";

} // namespace zelk
