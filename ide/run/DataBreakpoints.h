// Data breakpoints: addresses or ranges whose reads, writes or both stop a
// run after the instruction that touched them. The table keeps up to
// Capacity entries in the order they were set and a byte per address with
// the kinds watched there, so the simulator's memory callbacks answer
// "is this access watched?" with one load.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace zelk {

// Bit values: an access is Read or Write; an entry watches Read, Write or
// Access (both).
enum class DataAccess : uint8_t { Read = 1, Write = 2, Access = 3 };

// "read", "write" or "access".
const char* dataAccessName(DataAccess kind);

struct DataBreakpoint {
    int32_t first = 0;  // 0..$FFFF
    int32_t last = 0;   // first..$FFFF
    DataAccess kind = DataAccess::Write;
    bool operator==(const DataBreakpoint&) const = default;
};

// "$1000 write" or "$1000-$10FF access".
std::string describe(const DataBreakpoint& entry);

// The access that stopped a run: where, what, and which entry watched it.
struct DataHit {
    int32_t address = 0;
    DataAccess access = DataAccess::Read;
    int entry = -1;
};

// "Data breakpoint: write of $1000" (the status bar's text for a hit).
std::string hitMessage(const DataHit& hit);

class DataBreakpointTable {
public:
    static constexpr int Capacity = 32;

    DataBreakpointTable();

    int count() const { return count_; }
    bool empty() const { return count_ == 0; }
    const DataBreakpoint& at(int i) const { return entries_[static_cast<size_t>(i)]; }

    enum class AddResult { Added, Merged, Full, Invalid };
    // Adds an entry for first..last. The same range already set with
    // another kind gets both kinds (Merged); the same range and kind is
    // Merged with nothing to change. Refuses a range outside $0000-$FFFF or
    // with first > last (Invalid) and a 33rd entry (Full).
    AddResult add(int32_t first, int32_t last, DataAccess kind);
    // Removes entry i (later entries move down); false when i is not set.
    bool removeAt(int i);
    void clear();
    // The entry whose range is exactly first..last, or -1.
    int indexOf(int32_t first, int32_t last) const;

    // The kinds watched at address (a DataAccess bit set, 0 = none).
    uint8_t watched(uint32_t address) const { return map_[address & 0xFFFF]; }
    // The first entry (in table order) covering address for access, or -1.
    int entryFor(int32_t address, DataAccess access) const;

    // Counts every change; views compare it to know when to redraw.
    uint32_t revision() const { return revision_; }

private:
    void rebuildMap();

    int count_ = 0;
    std::array<DataBreakpoint, Capacity> entries_{};
    std::unique_ptr<uint8_t[]> map_;
    uint32_t revision_ = 0;
};

} // namespace zelk
