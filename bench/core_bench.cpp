// Throughput of the IDE core in simulator mode, no views attached:
//  - Step Into per instruction on a loop-heavy program (inner countdown loop,
//    push/pull, a subroutine call and return per outer round), both as
//    single StepInto() calls and inside Play;
//  - the download of a full 8 KB program as 256 S1 records of 32 bytes.
#include "link/AccessLayer.h"
#include "link/SRecordLoader.h"
#include "run/BreakpointTable.h"
#include "run/ExecutionControl.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

using namespace zelk;

namespace {

void loadLoopProgram(AccessLayer& link)
{
    // C000 LDS #$00FF; LDX #0
    // C006 loop: INX; LDAA #$10
    // C009 inner: DECA; BNE inner
    // C00C PSHA; PULA; JSR $C100; BRA loop
    // C100 INCB; RTS
    const uint8_t main[] = {0x8E, 0x00, 0xFF, 0xCE, 0x00, 0x00, 0x08, 0x86, 0x10, 0x4A,
                            0x26, 0xFD, 0x36, 0x32, 0xBD, 0xC1, 0x00, 0x20, 0xF3};
    const uint8_t sub[] = {0x5C, 0x39};
    std::copy(std::begin(main), std::end(main), link.image() + 0xC000);
    std::copy(std::begin(sub), std::end(sub), link.image() + 0xC100);
    link.regs.PC = 0xC000;
}

void StepIntoLoop(benchmark::State& state)
{
    AccessLayer link;
    BreakpointTable breakpoints;
    ExecutionControl control(link, breakpoints);
    loadLoopProgram(link);
    constexpr int Steps = 10000;
    for (auto _ : state) {
        for (int i = 0; i < Steps; ++i)
            control.StepInto();
    }
    benchmark::DoNotOptimize(link.regs.B);
    state.SetItemsProcessed(state.iterations() * Steps);
}
BENCHMARK(StepIntoLoop);

void PlayLoop(benchmark::State& state)
{
    AccessLayer link;
    BreakpointTable breakpoints;
    breakpoints.append(0x0000);  // never reached: the check runs every step
    ExecutionControl control(link, breakpoints);
    loadLoopProgram(link);
    RunOptions options;
    options.maxSteps = 100000;
    for (auto _ : state)
        control.Play(options);
    benchmark::DoNotOptimize(link.regs.B);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(options.maxSteps));
}
BENCHMARK(PlayLoop);

std::string eightKilobyteProgram()
{
    std::string text = "S00600004844521B\n";
    char hex[16];
    for (int address = 0xE000; address < 0x10000; address += 32) {
        unsigned sum = 35 + (address >> 8) + (address & 0xFF);
        std::snprintf(hex, sizeof hex, "S123%04X", address);
        text += hex;
        for (int i = 0; i < 32; ++i) {
            const unsigned b = (address + i * 7) & 0xFF;
            sum += b;
            std::snprintf(hex, sizeof hex, "%02X", b);
            text += hex;
        }
        std::snprintf(hex, sizeof hex, "%02X\n", ~sum & 0xFF);
        text += hex;
    }
    return text + "S9030000FC\n";
}

void DownloadText8K(benchmark::State& state)
{
    AccessLayer link;
    const std::string text = eightKilobyteProgram();
    for (auto _ : state) {
        const DownloadResult r = DownloadText(link, text);
        if (r.bytes != 8192)
            state.SkipWithError("download incomplete");
    }
    state.SetBytesProcessed(state.iterations() * 8192);
}
BENCHMARK(DownloadText8K)->Unit(benchmark::kMicrosecond);

void DownloadFile8K(benchmark::State& state)
{
    AccessLayer link;
    const auto path = std::filesystem::temp_directory_path() / "zelk_core_bench.s19";
    std::ofstream(path) << eightKilobyteProgram();
    for (auto _ : state) {
        const DownloadResult r = DownloadFile(link, path.string());
        if (r.bytes != 8192)
            state.SkipWithError("download incomplete");
    }
    std::filesystem::remove(path);
    state.SetBytesProcessed(state.iterations() * 8192);
}
BENCHMARK(DownloadFile8K)->Unit(benchmark::kMicrosecond);

} // namespace
