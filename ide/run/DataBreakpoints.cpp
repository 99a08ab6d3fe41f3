// Data breakpoints (see DataBreakpoints.h).
#include "run/DataBreakpoints.h"

#include <cstdio>
#include <cstring>

namespace zelk {

const char* dataAccessName(DataAccess kind)
{
    switch (kind) {
    case DataAccess::Read: return "read";
    case DataAccess::Write: return "write";
    case DataAccess::Access: return "access";
    }
    return "access";
}

std::string describe(const DataBreakpoint& entry)
{
    char text[40];
    if (entry.first == entry.last)
        std::snprintf(text, sizeof text, "$%04X %s", static_cast<unsigned>(entry.first), dataAccessName(entry.kind));
    else
        std::snprintf(text, sizeof text, "$%04X-$%04X %s", static_cast<unsigned>(entry.first),
                      static_cast<unsigned>(entry.last), dataAccessName(entry.kind));
    return text;
}

std::string hitMessage(const DataHit& hit)
{
    char text[48];
    std::snprintf(text, sizeof text, "Data breakpoint: %s of $%04X", dataAccessName(hit.access),
                  static_cast<unsigned>(hit.address & 0xFFFF));
    return text;
}

DataBreakpointTable::DataBreakpointTable() : map_(new uint8_t[0x10000]()) {}

DataBreakpointTable::AddResult DataBreakpointTable::add(int32_t first, int32_t last, DataAccess kind)
{
    if (first < 0 || last > 0xFFFF || first > last)
        return AddResult::Invalid;
    const int i = indexOf(first, last);
    if (i >= 0) {
        DataBreakpoint& e = entries_[static_cast<size_t>(i)];
        e.kind = static_cast<DataAccess>(static_cast<uint8_t>(e.kind) | static_cast<uint8_t>(kind));
        rebuildMap();
        return AddResult::Merged;
    }
    if (count_ >= Capacity)
        return AddResult::Full;
    entries_[static_cast<size_t>(count_++)] = DataBreakpoint{first, last, kind};
    rebuildMap();
    return AddResult::Added;
}

bool DataBreakpointTable::removeAt(int i)
{
    if (i < 0 || i >= count_)
        return false;
    for (int k = i; k + 1 < count_; ++k)
        entries_[static_cast<size_t>(k)] = entries_[static_cast<size_t>(k + 1)];
    --count_;
    rebuildMap();
    return true;
}

void DataBreakpointTable::clear()
{
    count_ = 0;
    rebuildMap();
}

int DataBreakpointTable::indexOf(int32_t first, int32_t last) const
{
    for (int i = 0; i < count_; ++i)
        if (entries_[static_cast<size_t>(i)].first == first && entries_[static_cast<size_t>(i)].last == last)
            return i;
    return -1;
}

int DataBreakpointTable::entryFor(int32_t address, DataAccess access) const
{
    address &= 0xFFFF;
    for (int i = 0; i < count_; ++i) {
        const DataBreakpoint& e = entries_[static_cast<size_t>(i)];
        if (address >= e.first && address <= e.last &&
            (static_cast<uint8_t>(e.kind) & static_cast<uint8_t>(access)) != 0)
            return i;
    }
    return -1;
}

void DataBreakpointTable::rebuildMap()
{
    std::memset(map_.get(), 0, 0x10000);
    for (int i = 0; i < count_; ++i) {
        const DataBreakpoint& e = entries_[static_cast<size_t>(i)];
        for (int32_t a = e.first; a <= e.last; ++a)
            map_[static_cast<size_t>(a)] |= static_cast<uint8_t>(e.kind);
    }
    ++revision_;
}

} // namespace zelk
