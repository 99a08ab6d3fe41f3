// Symbols of one assembly: labels, EQU and SET names. Names are compared
// without regard to case (LOOP, Loop and loop are one symbol), because the
// IDE looks labels up in upper case; the spelling of the first definition is
// kept for the listing. Lookups take a string_view and allocate nothing.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace zelk::as11 {

enum class SymbolKind : uint8_t { Label, Equ, Set };

struct Symbol {
    std::string name;      // as first written
    int32_t value = 0;
    int line = 0;          // 1-based source line of the (first) definition
    SymbolKind kind = SymbolKind::Label;
    bool known = false;    // value known (an EQU may wait for a later symbol)
    uint32_t hash = 0;     // of the upper-cased name
};

// A flat open-addressing index over symbols kept in a deque (so pointers
// to symbols stay valid while more are added): lookups touch one slot array
// and one symbol, which matters with a hundred thousand labels.
class SymbolTable {
public:
    Symbol* find(std::string_view name);
    const Symbol* find(std::string_view name) const;
    // Adds a new symbol, or returns the existing one of that name.
    Symbol& add(std::string_view name, SymbolKind kind, int line);
    void clear();
    size_t size() const { return symbols_.size(); }
    // All symbols sorted by upper-cased name (for the listing).
    std::vector<const Symbol*> sorted() const;

    static uint32_t hashOf(std::string_view name);

private:
    size_t slotOf(std::string_view name, uint32_t hash) const;
    void grow();

    std::deque<Symbol> symbols_;
    std::vector<uint32_t> slots_;  // 0 = empty, else index + 1 into symbols_
};

inline char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

} // namespace zelk::as11
