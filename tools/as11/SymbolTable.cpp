// Case-insensitive symbol table of the assembler.
#include "SymbolTable.h"

#include <algorithm>
#include <utility>

namespace zelk::as11 {

namespace {

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (upperAscii(a[i]) != upperAscii(b[i]))
            return false;
    return true;
}

} // namespace

uint32_t SymbolTable::hashOf(std::string_view name)
{
    // FNV-1a over the upper-cased bytes.
    uint32_t h = 2166136261u;
    for (char c : name) {
        h ^= static_cast<unsigned char>(upperAscii(c));
        h *= 16777619u;
    }
    return h;
}

// The slot holding the name, or the empty slot where it would go.
size_t SymbolTable::slotOf(std::string_view name, uint32_t hash) const
{
    size_t mask = slots_.size() - 1;
    size_t i = (hash ^ (hash >> 15)) & mask;
    for (;;) {
        uint32_t s = slots_[i];
        if (s == 0)
            return i;
        const Symbol& sym = symbols_[s - 1];
        if (sym.hash == hash && sameName(sym.name, name))
            return i;
        i = (i + 1) & mask;
    }
}

Symbol* SymbolTable::find(std::string_view name)
{
    if (slots_.empty())
        return nullptr;
    uint32_t s = slots_[slotOf(name, hashOf(name))];
    return s ? &symbols_[s - 1] : nullptr;
}

const Symbol* SymbolTable::find(std::string_view name) const
{
    if (slots_.empty())
        return nullptr;
    uint32_t s = slots_[slotOf(name, hashOf(name))];
    return s ? &symbols_[s - 1] : nullptr;
}

void SymbolTable::grow()
{
    std::vector<uint32_t> old = std::move(slots_);
    slots_.assign(old.empty() ? 1024 : old.size() * 2, 0);
    size_t mask = slots_.size() - 1;
    for (uint32_t s : old) {
        if (s == 0)
            continue;
        uint32_t h = symbols_[s - 1].hash;
        size_t i = (h ^ (h >> 15)) & mask;
        while (slots_[i] != 0)
            i = (i + 1) & mask;
        slots_[i] = s;
    }
}

Symbol& SymbolTable::add(std::string_view name, SymbolKind kind, int line)
{
    if ((symbols_.size() + 1) * 2 > slots_.size())
        grow();
    uint32_t h = hashOf(name);
    size_t i = slotOf(name, h);
    if (slots_[i] != 0)
        return symbols_[slots_[i] - 1];
    Symbol& s = symbols_.emplace_back();
    s.name = std::string(name);
    s.kind = kind;
    s.line = line;
    s.hash = h;
    slots_[i] = static_cast<uint32_t>(symbols_.size());
    return s;
}

void SymbolTable::clear()
{
    symbols_.clear();
    slots_.clear();
}

std::vector<const Symbol*> SymbolTable::sorted() const
{
    std::vector<std::pair<std::string, const Symbol*>> keyed;
    keyed.reserve(symbols_.size());
    for (const Symbol& s : symbols_) {
        std::string key = s.name;
        for (char& c : key)
            c = upperAscii(c);
        keyed.emplace_back(std::move(key), &s);
    }
    std::sort(keyed.begin(), keyed.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<const Symbol*> out;
    out.reserve(keyed.size());
    for (const auto& k : keyed)
        out.push_back(k.second);
    return out;
}

} // namespace zelk::as11
