// What the cycle profile costs Play: the headless loop on a loop-heavy
// program (countdown loop, push/pull, a call and return per round) with the
// profile off (argument 0) and on (argument 1). Compare the items per second
// of the two runs; the profile's sum is checked against the clock counter so
// the measured loop is the counting one.
#include "link/AccessLayer.h"
#include "run/BreakpointTable.h"
#include "run/ExecutionControl.h"

#include <benchmark/benchmark.h>

#include <algorithm>

using namespace zelk;

namespace {

void PlayProfiled(benchmark::State& state)
{
    AccessLayer link;
    BreakpointTable breakpoints;
    breakpoints.append(0x0000);  // never reached: the check runs every step
    ExecutionControl control(link, breakpoints);
    // C000 LDS #$00FF; LDX #0 / C006 loop: INX; LDAA #$10 / C009 inner:
    // DECA; BNE inner / C00C PSHA; PULA; JSR $C100; BRA loop / C100 INCB; RTS
    const uint8_t main[] = {0x8E, 0x00, 0xFF, 0xCE, 0x00, 0x00, 0x08, 0x86, 0x10, 0x4A,
                            0x26, 0xFD, 0x36, 0x32, 0xBD, 0xC1, 0x00, 0x20, 0xF3};
    const uint8_t sub[] = {0x5C, 0x39};
    std::copy(std::begin(main), std::end(main), link.image() + 0xC000);
    std::copy(std::begin(sub), std::end(sub), link.image() + 0xC100);
    link.regs.PC = 0xC000;
    control.profile.setEnabled(state.range(0) != 0);
    RunOptions options;
    options.maxSteps = 100000;
    for (auto _ : state)
        control.Play(options);
    if (control.profile.enabled() && static_cast<uint32_t>(control.profile.totalCycles()) != control.clockCounter)
        state.SkipWithError("profile sum differs from the clock counter");
    benchmark::DoNotOptimize(link.regs.B);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(options.maxSteps));
}
BENCHMARK(PlayProfiled)->Arg(0)->Arg(1);

} // namespace
