// The breakpoint table: up to 32 target addresses in the order they were set.
// Run control stops a Play or Animate run when the next instruction's address
// is in it; the disassembler window toggles and clears entries and colours
// its rows from it. Step Over and Step Out add a temporary entry for one run.
#pragma once

#include "link/Notifier.h"

#include <array>
#include <cstdint>

namespace zelk {

class BreakpointTable {
public:
    static constexpr int Capacity = 32;

    int count() const { return count_; }
    bool full() const { return count_ >= Capacity; }
    // Slot i (0-based; the first set is slot 0) for i < count().
    int32_t at(int i) const { return addresses_[static_cast<size_t>(i)]; }

    // Whether address is one of the set entries.
    bool contains(int32_t address) const { return indexOf(address) >= 0; }
    // The slot holding address, or -1.
    int indexOf(int32_t address) const
    {
        for (int i = 0; i < count_; ++i)
            if (addresses_[static_cast<size_t>(i)] == address)
                return i;
        return -1;
    }

    enum class Toggle { Added, Removed, Refused };
    // Removes address when it is set (later entries move down, keeping
    // their order); otherwise appends it, unless the table is full: then
    // notifier shows "  Can't Set Breakpoint !" / " (Max. Breakpoints = 32)"
    // under "Tarvine - Breakpoint Error" and nothing changes.
    Toggle toggle(int32_t address, Notifier& notifier);

    // Appends address (duplicates allowed, for a temporary entry); false
    // when the table is full.
    bool append(int32_t address);
    // Removes the last slot holding address (a temporary entry appended
    // earlier); false when none does.
    bool removeLast(int32_t address);
    // Removes slot i; later entries move down.
    void removeAt(int i);
    // Count = 0.
    void clear() { count_ = 0; }

private:
    int count_ = 0;
    std::array<int32_t, Capacity> addresses_{};
};

} // namespace zelk
