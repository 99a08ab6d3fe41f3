// Symbols of one assembly: labels, EQU and SET names. Names are compared
// without regard to case (LOOP, Loop and loop are one symbol), because the
// IDE looks labels up in upper case; the spelling of the first definition is
// kept for the listing. Lookups take a string_view and allocate nothing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zelk::as11 {

enum class SymbolKind : uint8_t { Label, Equ, Set };

struct Symbol {
    std::string name;      // as first written
    int32_t value = 0;
    int line = 0;          // 1-based source line of the (first) definition
    SymbolKind kind = SymbolKind::Label;
    bool known = false;    // value known (an EQU may wait for a later symbol)
};

// Case-insensitive hashing and comparison for heterogeneous lookup.
struct NoCaseHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const noexcept;
};
struct NoCaseEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept;
};

class SymbolTable {
public:
    Symbol* find(std::string_view name);
    const Symbol* find(std::string_view name) const;
    // Adds a new symbol; the caller has checked that the name is free.
    Symbol& add(std::string_view name, SymbolKind kind, int line);
    void clear() { map_.clear(); }
    size_t size() const { return map_.size(); }
    // All symbols sorted by upper-cased name (for the listing).
    std::vector<const Symbol*> sorted() const;

private:
    std::unordered_map<std::string, Symbol, NoCaseHash, NoCaseEqual> map_;
};

inline char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

} // namespace zelk::as11
