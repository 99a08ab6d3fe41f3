// The cycle profile (see CycleProfile.h).
#include "run/CycleProfile.h"

#include "editor/SymbolTable.h"

#include <algorithm>
#include <cstdio>

namespace zelk {

void CycleProfile::setEnabled(bool on)
{
    if (on == enabled())
        return;
    if (on) {
        executed_ = std::make_unique<uint64_t[]>(Size);  // value-initialised: zero
        cycles_ = std::make_unique<uint64_t[]>(Size);
    } else {
        executed_.reset();
        cycles_.reset();
    }
}

void CycleProfile::reset()
{
    if (!enabled())
        return;
    std::fill(executed_.get(), executed_.get() + Size, 0);
    std::fill(cycles_.get(), cycles_.get() + Size, 0);
}

void CycleProfile::uncount(int32_t pc, uint32_t cycles)
{
    if (!enabled())
        return;
    const size_t a = static_cast<size_t>(pc) & 0xFFFF;
    if (executed_[a] == 0)
        return;
    --executed_[a];
    cycles_[a] = cycles_[a] >= cycles ? cycles_[a] - cycles : 0;
}

uint64_t CycleProfile::totalExecuted() const
{
    uint64_t sum = 0;
    if (enabled())
        for (size_t a = 0; a < Size; ++a)
            sum += executed_[a];
    return sum;
}

uint64_t CycleProfile::totalCycles() const
{
    uint64_t sum = 0;
    if (enabled())
        for (size_t a = 0; a < Size; ++a)
            sum += cycles_[a];
    return sum;
}

std::vector<ProfileEntry> CycleProfile::hottest(size_t limit) const
{
    std::vector<ProfileEntry> all;
    if (!enabled() || limit == 0)
        return all;
    for (size_t a = 0; a < Size; ++a)
        if (executed_[a] != 0)
            all.push_back({static_cast<int32_t>(a), executed_[a], cycles_[a]});
    auto hotter = [](const ProfileEntry& x, const ProfileEntry& y) {
        return x.cycles != y.cycles ? x.cycles > y.cycles : x.address < y.address;
    };
    if (all.size() > limit) {
        std::partial_sort(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(limit), all.end(), hotter);
        all.resize(limit);
    } else {
        std::sort(all.begin(), all.end(), hotter);
    }
    return all;
}

std::string labelAt(const SymbolTable& labels, int32_t address)
{
    for (const SymbolEntry& e : labels)
        if (!e.Label.empty() && e.Value == address)
            return e.Label;
    return {};
}

namespace {

std::string csvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

} // namespace

std::string CycleProfile::csv(const SymbolTable* labels) const
{
    std::string out = "Address,Label,Executed,Cycles\n";
    if (!enabled())
        return out;
    // Labels by address, looked up once rather than per line.
    std::vector<std::string> names;
    if (labels) {
        names.resize(Size);
        for (const SymbolEntry& e : *labels)
            if (!e.Label.empty() && names[static_cast<size_t>(e.Value) & 0xFFFF].empty())
                names[static_cast<size_t>(e.Value) & 0xFFFF] = e.Label;
    }
    char buf[64];
    for (size_t a = 0; a < Size; ++a) {
        if (executed_[a] == 0)
            continue;
        std::snprintf(buf, sizeof buf, "$%04X,", static_cast<unsigned>(a));
        out += buf;
        if (labels)
            out += csvField(names[a]);
        std::snprintf(buf, sizeof buf, ",%llu,%llu\n", static_cast<unsigned long long>(executed_[a]),
                      static_cast<unsigned long long>(cycles_[a]));
        out += buf;
    }
    return out;
}

} // namespace zelk
