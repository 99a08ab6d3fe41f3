// Randomized steps: random instruction bytes (weighted towards the prefix
// pages), random registers and memory. Whatever the bytes, every address
// sent to the host lies in $0000-$FFFF, every value written is a byte, the
// registers come back in their documented ranges, and nothing crashes
// (this test also runs under AddressSanitizer and UBSan).
#include "StepHarness.h"

#include <random>

namespace korvextest {
namespace {

struct Checker {
    std::array<uint8_t, 0x10000> mem{};
    size_t events = 0;
    bool addressOutOfRange = false;
    bool valueOutOfRange = false;
};

void checkedRead(void* user, int32_t address, int16_t* value)
{
    auto* c = static_cast<Checker*>(user);
    ++c->events;
    if (address < 0 || address > 0xFFFF || *value != static_cast<int16_t>(address)) {
        c->addressOutOfRange = true;
        return;
    }
    *value = c->mem[static_cast<size_t>(address)];
}

void checkedWrite(void* user, int32_t address, int16_t value)
{
    auto* c = static_cast<Checker*>(user);
    ++c->events;
    if (address < 0 || address > 0xFFFF) {
        c->addressOutOfRange = true;
        return;
    }
    if (value < 0 || value > 255)
        c->valueOutOfRange = true;
    c->mem[static_cast<size_t>(address)] = static_cast<uint8_t>(value);
}

class RandomSteps : public testing::TestWithParam<uint32_t> {};

TEST_P(RandomSteps, StayWithinTheContract)
{
    std::mt19937 rng(GetParam());
    auto byte = [&] { return static_cast<int>(rng() & 0xFF); };
    Checker checker;
    for (auto& m : checker.mem)
        m = static_cast<uint8_t>(byte());
    Korvex cpu;
    cpu.setCallbacks(checkedRead, checkedWrite, &checker);
    constexpr int prefixes[] = {0x18, 0x1A, 0xCD};

    for (int i = 0; i < 50000; ++i) {
        // Registers near the edges of their ranges as often as anywhere else.
        auto word = [&] { return edgeWord(rng); };
        int16_t a = static_cast<int16_t>(rng()), b = static_cast<int16_t>(rng()),
                ccr = static_cast<int16_t>(rng());
        int32_t ix = word(), iy = word(), sp = word();
        int16_t in[5];
        for (auto& v : in)
            v = static_cast<int16_t>(rng());
        if (rng() % 2 == 0)
            in[0] = static_cast<int16_t>(prefixes[rng() % 3]);
        if (rng() % 8 == 0)
            cpu.setPC(static_cast<int32_t>(rng()));
        checker.events = 0;

        cpu.Step(&a, &b, &ix, &iy, &sp, &ccr, in[0], in[1], in[2], in[3], in[4]);

        ASSERT_FALSE(checker.addressOutOfRange) << "step " << i;
        ASSERT_FALSE(checker.valueOutOfRange) << "step " << i;
        ASSERT_LE(checker.events, 9u) << "step " << i;
        ASSERT_TRUE(a >= 0 && a <= 255 && b >= 0 && b <= 255 && ccr >= 0 && ccr <= 255)
            << "step " << i;
        for (int32_t r : {ix, iy, sp}) {
            // Beyond 16 bits by at most ABX/ABY ($FFFF + $FF), a pull past
            // the top, or a push below 0.
            ASSERT_GE(r, -2) << "step " << i;
            ASSERT_LE(r, 0x100FE) << "step " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(KorvexRandom, RandomSteps, testing::Values(1u, 2u, 3u, 20261207u));

} // namespace
} // namespace korvextest
