// Fuzz target: Korvex's Step with random instruction bytes, registers and
// memory. The input gives the registers and PC, then groups of five
// instruction bytes; the memory is the input repeated over 64 KB. Every
// memory event stays inside the 16-bit address space with a byte value,
// and the returned 8-bit registers are bytes.
#include "FuzzInput.h"
#include "korvex.h"

#include <array>
#include <vector>

using zelk::fuzz::FuzzInput;

namespace {

// Memory reads as the input tiled over 64 KB; written bytes are kept in an
// overlay that is cleared for the next input (filling 64 KB per input would
// cost more than the steps themselves).
struct Host {
    const uint8_t* data = nullptr;
    size_t size = 0;
    std::array<uint8_t, 0x10000> written{};
    std::array<bool, 0x10000> dirty{};
    std::vector<uint16_t> touched;
    unsigned events = 0;

    uint8_t at(int32_t address) const
    {
        const size_t a = static_cast<size_t>(address);
        if (dirty[a])
            return written[a];
        return size == 0 ? 0 : data[a % size];
    }
    void put(int32_t address, uint8_t value)
    {
        const size_t a = static_cast<size_t>(address);
        if (!dirty[a]) {
            dirty[a] = true;
            touched.push_back(static_cast<uint16_t>(a));
        }
        written[a] = value;
    }
    void reset(const uint8_t* d, size_t n)
    {
        for (uint16_t a : touched)
            dirty[a] = false;
        touched.clear();
        data = d;
        size = n;
        events = 0;
    }
};

void readMemory(void* user, int32_t address, int16_t* value)
{
    auto* h = static_cast<Host*>(user);
    FUZZ_CHECK(address >= 0 && address <= 0xFFFF);
    FUZZ_CHECK(*value == static_cast<int16_t>(address & 0xFFFF));
    *value = h->at(address);
    ++h->events;
}

void writeMemory(void* user, int32_t address, int16_t value)
{
    auto* h = static_cast<Host*>(user);
    FUZZ_CHECK(address >= 0 && address <= 0xFFFF);
    FUZZ_CHECK(value >= 0 && value <= 0xFF);
    h->put(address, static_cast<uint8_t>(value));
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
    host.reset(data, size);

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
