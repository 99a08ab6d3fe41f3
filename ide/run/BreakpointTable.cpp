// The breakpoint table (see BreakpointTable.h).
#include "run/BreakpointTable.h"

namespace zelk {

BreakpointTable::Toggle BreakpointTable::toggle(int32_t address, Notifier& notifier)
{
    const int i = indexOf(address);
    if (i >= 0) {
        removeAt(i);
        return Toggle::Removed;
    }
    if (full()) {
        notifier.message("Tarvine - Breakpoint Error", "  Can't Set Breakpoint !\n\r (Max. Breakpoints = 32)",
                         MessageIcon::Exclamation);
        return Toggle::Refused;
    }
    append(address);
    return Toggle::Added;
}

bool BreakpointTable::append(int32_t address)
{
    if (full())
        return false;
    addresses_[static_cast<size_t>(count_++)] = address;
    return true;
}

bool BreakpointTable::removeLast(int32_t address)
{
    for (int i = count_ - 1; i >= 0; --i) {
        if (addresses_[static_cast<size_t>(i)] == address) {
            removeAt(i);
            return true;
        }
    }
    return false;
}

void BreakpointTable::removeAt(int i)
{
    if (i < 0 || i >= count_)
        return;
    for (int k = i; k + 1 < count_; ++k)
        addresses_[static_cast<size_t>(k)] = addresses_[static_cast<size_t>(k + 1)];
    --count_;
}

} // namespace zelk
