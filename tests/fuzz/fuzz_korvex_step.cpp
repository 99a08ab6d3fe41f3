// Fuzz target: Korvex's Step with random instruction bytes, registers and
// memory. The input gives the registers and PC, then groups of five
// instruction bytes; the memory is the input repeated over 64 KB. Every
// memory event stays inside the 16-bit address space with a byte value,
// and the returned 8-bit registers are bytes.
#include "FuzzInput.h"
#include "korvex.h"

#include <array>
#include <cstring>

using zelk::fuzz::FuzzInput;

namespace {

struct Host {
    std::array<uint8_t, 0x10000> mem{};
    unsigned events = 0;
};

void readMemory(void* user, int32_t address, int16_t* value)
{
    auto* h = static_cast<Host*>(user);
    FUZZ_CHECK(address >= 0 && address <= 0xFFFF);
    FUZZ_CHECK(*value == static_cast<int16_t>(address & 0xFFFF));
    *value = h->mem[static_cast<size_t>(address)];
    ++h->events;
}

void writeMemory(void* user, int32_t address, int16_t value)
{
    auto* h = static_cast<Host*>(user);
    FUZZ_CHECK(address >= 0 && address <= 0xFFFF);
    FUZZ_CHECK(value >= 0 && value <= 0xFF);
    h->mem[static_cast<size_t>(address)] = static_cast<uint8_t>(value);
    ++h->events;
}

KorvexInstance* instance()
{
    static KorvexInstance* k = korvexCreate();
    return k;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Host host;
    if (size > 0)
        for (size_t i = 0; i < host.mem.size(); ++i)
            host.mem[i] = data[i % size];
    else
        host.mem.fill(0);
    host.events = 0;

    KorvexInstance* k = instance();
    korvexSetCallbacks(k, readMemory, writeMemory, &host);

    FuzzInput in(data, size);
    int16_t a = in.byte(), b = in.byte(), ccr = in.byte();
    int32_t ix = in.word(), iy = in.word(), sp = in.word();
    korvexSetPC(k, in.word());
    // Far more steps than any input is long would only repeat the memory.
    for (int steps = 0; steps < 256 && !in.empty(); ++steps) {
        const int16_t i1 = in.byte(), i2 = in.byte(), i3 = in.byte(), i4 = in.byte(), i5 = in.byte();
        host.events = 0;
        korvexStep(k, &a, &b, &ix, &iy, &sp, &ccr, i1, i2, i3, i4, i5);
        FUZZ_CHECK(a >= 0 && a <= 0xFF);
        FUZZ_CHECK(b >= 0 && b <= 0xFF);
        FUZZ_CHECK(ccr >= 0 && ccr <= 0xFF);
        // The longest memory traffic of one instruction (SWI or WAI stacking
        // nine bytes, RTI pulling them) stays far below this.
        FUZZ_CHECK(host.events <= 16);
        const int32_t pc = korvexGetPC(k);
        korvexSetPC(k, pc & 0xFFFF);
        ix &= 0xFFFF;
        iy &= 0xFFFF;
        sp &= 0xFFFF;
    }
    // A null register pointer reads as 0 and is not written back.
    korvexStep(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, in.byte(), in.byte(), in.byte(), in.byte(),
               in.byte());
    return 0;
}
