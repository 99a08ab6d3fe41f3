// The code window: a base address and a 256-byte copy of target memory from
// it. The decoder and the next-address prediction read only this copy; the
// access layer refills it (InProgram) whenever a view or run control moves it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zelk {

struct CodeWindow {
    static constexpr int Size = 256;
    int32_t base = 0;  // 0..$FFFF
    std::array<uint8_t, Size> bytes{};

    // An address below the base is taken as address + $10000 (the window may
    // straddle $FFFF). Returns the byte at that address; an address outside
    // the window reads as 0 rather than outside the copy.
    uint8_t at(int32_t address) const
    {
        int32_t a = address < base ? address + 0x10000 : address;
        int32_t i = a - base;
        return (i >= 0 && i < Size) ? bytes[static_cast<std::size_t>(i)] : 0;
    }
};

} // namespace zelk
