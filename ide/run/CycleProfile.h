// The cycle profile: for every address, how many times the instruction there
// was stepped and the E-clock cycles it took, since the clock counter was
// last reset. Run control adds each step it counts on the clock counter, so
// the profile's cycle sum always equals the counter (modulo its 32 bits).
// Off, it holds no memory and costs a step one test; on, a step adds into
// two flat 64K arrays.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zelk {

class SymbolTable;

struct ProfileEntry {
    int32_t address = 0;
    uint64_t executed = 0;
    uint64_t cycles = 0;
};

class CycleProfile {
public:
    static constexpr size_t Size = 0x10000;

    bool enabled() const { return executed_ != nullptr; }
    // On: zeroed arrays; off: the arrays are freed and the counts gone.
    void setEnabled(bool on);
    // All counts to zero (kept on or off).
    void reset();

    // One step of the instruction at pc that took `cycles`. Only while enabled.
    void count(int32_t pc, uint32_t cycles)
    {
        const size_t a = static_cast<size_t>(pc) & 0xFFFF;
        ++executed_[a];
        cycles_[a] += cycles;
    }
    // Takes back a step counted before (a step undone); an address with no
    // count left is not taken below zero. Does nothing while disabled.
    void uncount(int32_t pc, uint32_t cycles);

    uint64_t executed(int32_t address) const { return enabled() ? executed_[address & 0xFFFF] : 0; }
    uint64_t cycles(int32_t address) const { return enabled() ? cycles_[address & 0xFFFF] : 0; }
    uint64_t totalExecuted() const;
    uint64_t totalCycles() const;

    // The addresses with a count, most cycles first (ties: the lower
    // address first); at most `limit` of them.
    std::vector<ProfileEntry> hottest(size_t limit) const;

    // The profile as CSV: a header line "Address,Label,Executed,Cycles" and
    // one line per address with a count, in address order (addresses as
    // $XXXX, the first label at the address from `labels`, quoted when it
    // holds a comma or a quote).
    std::string csv(const SymbolTable* labels) const;

private:
    std::unique_ptr<uint64_t[]> executed_;
    std::unique_ptr<uint64_t[]> cycles_;
};

// The first label whose value is `address`, or empty.
std::string labelAt(const SymbolTable& labels, int32_t address);

} // namespace zelk
