// Steps a representative 68HC11 instruction mix through the Korvex C
// interface, as the IDE does: registers in the host's variables, every data
// byte answered from a 64 KB memory image. items_per_second is simulated
// instructions per second.
#include "korvex.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <vector>

namespace {

struct Image {
    std::array<uint8_t, 0x10000> mem{};
};

void readImage(void* user, int32_t address, int16_t* value)
{
    *value = static_cast<Image*>(user)->mem[static_cast<uint16_t>(address)];
}

void writeImage(void* user, int32_t address, int16_t value)
{
    static_cast<Image*>(user)->mem[static_cast<uint16_t>(address)] = static_cast<uint8_t>(value);
}

struct Instr {
    int16_t b[5];
};

// Loads and stores in direct, extended and indexed modes, 8- and 16-bit ALU
// operations, read-modify-write, branches and call/return pairs. The mix
// leaves SP, IX and IY where it found them, so it can repeat forever.
const std::vector<Instr> mix = {
    {{0x86, 0x12, 1, 1, 1}},       // LDAA #$12
    {{0xD6, 0x40, 1, 1, 1}},       // LDAB $40
    {{0x97, 0x41, 1, 1, 1}},       // STAA $41
    {{0xB6, 0x20, 0x00, 1, 1}},    // LDAA $2000
    {{0xF7, 0x20, 0x01, 1, 1}},    // STAB $2001
    {{0xA6, 0x05, 1, 1, 1}},       // LDAA 5,X
    {{0xA7, 0x06, 1, 1, 1}},       // STAA 6,X
    {{0x18, 0xE6, 0x02, 1, 1}},    // LDAB 2,Y
    {{0x8B, 0x05, 1, 1, 1}},       // ADDA #$05
    {{0xD0, 0x42, 1, 1, 1}},       // SUBB $42
    {{0x84, 0xF0, 1, 1, 1}},       // ANDA #$F0
    {{0xEA, 0x03, 1, 1, 1}},       // ORAB 3,X
    {{0xB8, 0x20, 0x02, 1, 1}},    // EORA $2002
    {{0x81, 0x10, 1, 1, 1}},       // CMPA #$10
    {{0x26, 0x02, 1, 1, 1}},       // BNE *+4
    {{0xDC, 0x50, 1, 1, 1}},       // LDD $50
    {{0xC3, 0x01, 0x01, 1, 1}},    // ADDD #$0101
    {{0xFD, 0x20, 0x10, 1, 1}},    // STD $2010
    {{0x9C, 0x54, 1, 1, 1}},       // CPX $54
    {{0x27, 0x04, 1, 1, 1}},       // BEQ *+6
    {{0x08, 1, 1, 1, 1}},          // INX
    {{0x09, 1, 1, 1, 1}},          // DEX
    {{0x48, 1, 1, 1, 1}},          // ASLA
    {{0x56, 1, 1, 1, 1}},          // RORB
    {{0x7C, 0x20, 0x20, 1, 1}},    // INC $2020
    {{0x6F, 0x07, 1, 1, 1}},       // CLR 7,X
    {{0xBD, 0x30, 0x00, 1, 1}},    // JSR $3000
    {{0x36, 1, 1, 1, 1}},          // PSHA
    {{0x32, 1, 1, 1, 1}},          // PULA
    {{0x39, 1, 1, 1, 1}},          // RTS
    {{0x8D, 0x10, 1, 1, 1}},       // BSR *+18
    {{0x39, 1, 1, 1, 1}},          // RTS
    {{0x18, 0x08, 1, 1, 1}},       // INY
    {{0x18, 0x09, 1, 1, 1}},       // DEY
    {{0x1A, 0x83, 0x12, 0x34, 1}}, // CPD #$1234
    {{0x20, 0xF0, 1, 1, 1}},       // BRA *-14
};

void BM_KorvexStep(benchmark::State& state)
{
    Image image;
    for (size_t i = 0; i < image.mem.size(); ++i)
        image.mem[i] = static_cast<uint8_t>(i * 7);
    KorvexInstance* k = korvexCreate();
    korvexSetCallbacks(k, readImage, writeImage, &image);
    korvexSetPC(k, 0xC000);
    int16_t a = 0, b = 0, ccr = 0;
    int32_t ix = 0x1000, iy = 0x1800, sp = 0x00FF;
    const Instr* const begin = mix.data();
    const Instr* const end = begin + mix.size();
    for (auto _ : state) {
        for (const Instr* in = begin; in != end; ++in)
            korvexStep(k, &a, &b, &ix, &iy, &sp, &ccr, in->b[0], in->b[1], in->b[2], in->b[3],
                       in->b[4]);
        benchmark::DoNotOptimize(a);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(mix.size()));
    korvexDestroy(k);
}
BENCHMARK(BM_KorvexStep);

// The fixed cost of one call through the interface: NOP only.
void BM_KorvexStepNop(benchmark::State& state)
{
    KorvexInstance* k = korvexCreate();
    int16_t a = 0, b = 0, ccr = 0;
    int32_t ix = 0, iy = 0, sp = 0x00FF;
    for (auto _ : state) {
        for (int i = 0; i < 32; ++i)
            korvexStep(k, &a, &b, &ix, &iy, &sp, &ccr, 0x01, 1, 1, 1, 1);
        benchmark::DoNotOptimize(a);
    }
    state.SetItemsProcessed(state.iterations() * 32);
    korvexDestroy(k);
}
BENCHMARK(BM_KorvexStepNop);

// The same mix through korvexExecute: the registers stay in one record
// from step to step, the instruction bytes are read where they lie.
void BM_KorvexExecute(benchmark::State& state)
{
    Image image;
    for (size_t i = 0; i < image.mem.size(); ++i)
        image.mem[i] = static_cast<uint8_t>(i * 7);
    KorvexInstance* k = korvexCreate();
    korvexSetCallbacks(k, readImage, writeImage, &image);
    std::vector<std::array<uint8_t, 5>> code;
    for (const Instr& in : mix) {
        std::array<uint8_t, 5> bytes{};
        for (int i = 0; i < 5; ++i)
            bytes[static_cast<size_t>(i)] = static_cast<uint8_t>(in.b[i]);
        code.push_back(bytes);
    }
    KorvexRegisters r{0, 0, 0, 0x1000, 0x1800, 0x00FF, 0xC000};
    for (auto _ : state) {
        for (const auto& bytes : code)
            korvexExecute(k, &r, bytes.data());
        benchmark::DoNotOptimize(r);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(mix.size()));
    korvexDestroy(k);
}
BENCHMARK(BM_KorvexExecute);

void BM_KorvexExecuteNop(benchmark::State& state)
{
    KorvexInstance* k = korvexCreate();
    KorvexRegisters r{0, 0, 0, 0, 0, 0x00FF, 0};
    const uint8_t nop[] = {0x01};
    for (auto _ : state) {
        for (int i = 0; i < 32; ++i)
            korvexExecute(k, &r, nop);
        benchmark::DoNotOptimize(r);
    }
    state.SetItemsProcessed(state.iterations() * 32);
    korvexDestroy(k);
}
BENCHMARK(BM_KorvexExecuteNop);

} // namespace

BENCHMARK_MAIN();
