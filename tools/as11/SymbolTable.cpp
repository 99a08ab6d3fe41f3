// Case-insensitive symbol table of the assembler.
#include "SymbolTable.h"

#include <algorithm>

namespace zelk::as11 {

size_t NoCaseHash::operator()(std::string_view s) const noexcept
{
    // FNV-1a over the upper-cased bytes.
    uint64_t h = 1469598103934665603ull;
    for (char c : s) {
        h ^= static_cast<unsigned char>(upperAscii(c));
        h *= 1099511628211ull;
    }
    return static_cast<size_t>(h ^ (h >> 29));
}

bool NoCaseEqual::operator()(std::string_view a, std::string_view b) const noexcept
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (upperAscii(a[i]) != upperAscii(b[i]))
            return false;
    return true;
}

Symbol* SymbolTable::find(std::string_view name)
{
    auto it = map_.find(name);
    return it == map_.end() ? nullptr : &it->second;
}

const Symbol* SymbolTable::find(std::string_view name) const
{
    auto it = map_.find(name);
    return it == map_.end() ? nullptr : &it->second;
}

Symbol& SymbolTable::add(std::string_view name, SymbolKind kind, int line)
{
    auto [it, inserted] = map_.try_emplace(std::string(name));
    Symbol& s = it->second;
    if (inserted) {
        s.name = std::string(name);
        s.kind = kind;
        s.line = line;
    }
    return s;
}

std::vector<const Symbol*> SymbolTable::sorted() const
{
    std::vector<const Symbol*> out;
    out.reserve(map_.size());
    for (const auto& kv : map_)
        out.push_back(&kv.second);
    std::sort(out.begin(), out.end(), [](const Symbol* a, const Symbol* b) {
        const std::string& x = a->name;
        const std::string& y = b->name;
        size_t n = std::min(x.size(), y.size());
        for (size_t i = 0; i < n; ++i) {
            char cx = upperAscii(x[i]), cy = upperAscii(y[i]);
            if (cx != cy)
                return cx < cy;
        }
        if (x.size() != y.size())
            return x.size() < y.size();
        return x < y;
    });
    return out;
}

} // namespace zelk::as11
