// Play's cost of the debugging aids, and the pacer's accuracy.
//
//   rundebug_bench [seconds-per-run]
//
// Every run goes through Play's window-side loop (a ViewHooks whose
// processEvents stops the run once the time is up), on the loop-heavy
// program $E000 LDAB #$10 / DECB / BNE / INX / STX $20 / BRA $E000, which
// writes two bytes every 36 instructions. Prints instructions per second
// and the ratio to the plain run for: plain, data breakpoints set and never
// hit, the step history on (one million steps), both; then the achieved
// E-clock rate of paced runs against their target over one second each.
// The last two variants run with the on-chip peripherals on (the timer
// free-running, no interrupt enabled).
#include "link/AccessLayer.h"
#include "run/BreakpointTable.h"
#include "run/ExecutionControl.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

using Clock = std::chrono::steady_clock;
using namespace zelk;

namespace {

constexpr double kInstructionsPerCycle = 36.0 / 92.0;

class TimedHooks : public ViewHooks {
public:
    ExecutionControl* control = nullptr;
    Clock::time_point until{};
    void processEvents() override
    {
        if (Clock::now() >= until)
            control->Pause();
    }
};

struct Core {
    Core() : link(nullptr, &hooks), control(link, breakpoints)
    {
        hooks.control = &control;
        const uint8_t code[] = {0xC6, 0x10, 0x5A, 0x26, 0xFD, 0x08, 0xDF, 0x20, 0x20, 0xF6};
        std::copy(std::begin(code), std::end(code), link.image() + 0xE000);
    }
    // Plays for seconds; returns E-clock cycles per second.
    double play(double seconds)
    {
        link.regs.PC = 0xE000;
        control.clockCounter = 0;
        const auto t0 = Clock::now();
        hooks.until = t0 + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
        control.Play();
        const double s = std::chrono::duration<double>(Clock::now() - t0).count();
        return control.clockCounter / s;
    }
    TimedHooks hooks;
    AccessLayer link;
    BreakpointTable breakpoints;
    ExecutionControl control;
};

} // namespace

int main(int argc, char* argv[])
{
    const double seconds = argc > 1 ? std::max(0.2, std::atof(argv[1])) : 2.0;

    struct Variant {
        const char* name;
        bool dataBreakpoints;
        size_t history;
        bool peripherals = false;
    };
    const Variant variants[] = {
        {"plain", false, 0},
        {"data breakpoints set, none hit", true, 0},
        {"step history on (1,000,000 steps)", false, StepHistory::DefaultCapacity},
        {"data breakpoints and history", true, StepHistory::DefaultCapacity},
        {"peripherals on", false, 0, true},
        {"peripherals and history on", false, StepHistory::DefaultCapacity, true},
    };
    // A second argument runs only the variant of that number (for profiling).
    const int only = argc > 2 ? std::atoi(argv[2]) : -1;
    double plain = 0;
    int index = 0;
    std::printf("Play through the window-side loop, %.1f s per run\n", seconds);
    for (const Variant& v : variants) {
        if (only >= 0 && index++ != only)
            continue;
        Core core;
        if (v.dataBreakpoints) {
            core.control.dataBreakpoints.add(0x1000, 0x10FF, DataAccess::Access);
            core.control.dataBreakpoints.add(0x0040, 0x0040, DataAccess::Write);
            core.control.dataBreakpoints.add(0x8000, 0x8000, DataAccess::Read);
        }
        core.control.setHistoryCapacity(v.history);
        core.link.simulator().setPeripherals(v.peripherals);
        core.play(0.2);  // warm-up (the history's first fill)
        const double ips = core.play(seconds) * kInstructionsPerCycle;
        if (plain == 0)
            plain = ips;
        std::printf("  %-38s %8.2f M instructions/s  %5.1f %% of plain\n", v.name, ips / 1e6, 100 * ips / plain);
    }

    if (only >= 0)
        return 0;
    std::printf("Paced Play, one second each: achieved E-clock rate against the target\n");
    const double rates[] = {2e6 * 0.1, 2e6 * 0.5, 2e6, 2e6 * 2, 2e6 * 10};
    for (double rate : rates) {
        Core core;
        core.control.pacedRate = rate;
        const double achieved = core.play(1.0);
        std::printf("  target %10.0f Hz  achieved %10.0f Hz  error %+6.2f %%\n", rate, achieved,
                    100 * (achieved - rate) / rate);
    }
    return 0;
}
