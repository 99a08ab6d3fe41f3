// The cost of simulating the on-chip peripherals on the run path: each
// measurement is taken with them off and on, in interleaved runs (the
// machine's speed drifts), and the median of each is printed in millions of
// 68HC11 instructions per second:
//  - Play without views (the headless loop zelk-sim uses) on a loop of
//    LDAB/DECB/BNE/INX/STX/BRA;
//  - Play with view hooks attached (the IDE's loop, no window open);
//  - Step Into called one by one;
//  - Play on a program whose timer overflow interrupt runs every 65,536
//    cycles (on only: off it never enters);
//  - zelk-sim as a process on loop100m.s19, bounded by --max-steps.
//
//   periph_bench [--runs N] [--steps N]
#include "link/AccessLayer.h"
#include "link/ViewHooks.h"
#include "run/BreakpointTable.h"
#include "run/ExecutionControl.h"

#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;
using namespace zelk;

namespace {

enum class Road { Headless, Hooks, StepInto };

// $E000 LDAB #$10 / DECB / BNE / INX / STX $20 / BRA $E000.
const uint8_t loopCode[] = {0xC6, 0x10, 0x5A, 0x26, 0xFD, 0x08, 0xDF, 0x20, 0x20, 0xF6};
// TOI on, CLI, then the loop above; the routine clears TOF and returns.
const uint8_t tickCode[] = {0x86, 0x80, 0xB7, 0x10, 0x24, 0x0E, 0xC6, 0x10, 0x5A,
                            0x26, 0xFD, 0x08, 0xDF, 0x20, 0x20, 0xF6};
const uint8_t tickRoutine[] = {0x86, 0x80, 0xB7, 0x10, 0x25, 0x3B};

class QuietHooks final : public ViewHooks {};

double millionsPerSecond(uint64_t steps, Clock::time_point t0)
{
    return steps / std::chrono::duration<double>(Clock::now() - t0).count() / 1e6;
}

double runCore(Road road, bool peripherals, bool ticks, uint64_t steps)
{
    QuietHooks hooks;
    AccessLayer link(nullptr, road == Road::Hooks ? &hooks : nullptr);
    BreakpointTable breakpoints;
    ExecutionControl control(link, breakpoints);
    link.simulator().setPeripherals(peripherals);
    uint8_t* image = link.image();
    if (ticks) {
        std::copy(std::begin(tickCode), std::end(tickCode), image + 0xE000);
        image[0xE000 + sizeof tickCode - 1] = 0xF8;  // BRA back to the LDAB at $E006
        std::copy(std::begin(tickRoutine), std::end(tickRoutine), image + 0xD000);
        image[0xFFDE] = 0xD0;
        image[0xFFDF] = 0x00;
    } else {
        std::copy(std::begin(loopCode), std::end(loopCode), image + 0xE000);
    }
    link.regs.PC = 0xE000;
    link.regs.SP = 0x00FF;
    const auto t0 = Clock::now();
    if (road == Road::StepInto) {
        for (uint64_t i = 0; i < steps; ++i)
            control.StepInto();
    } else {
        RunOptions options;
        options.maxSteps = steps;
        control.Play(options);
    }
    return millionsPerSecond(steps, t0);
}

double runSim(bool peripherals, uint64_t steps)
{
    const std::string cmd = std::string(ZELK_SIM_PATH) + " --max-steps " + std::to_string(steps) +
                            (peripherals ? "" : " --no-peripherals") + " " LOOP_S19 " </dev/null >/dev/null 2>&1";
    const auto t0 = Clock::now();
    const int raw = std::system(cmd.c_str());
    if (!WIFEXITED(raw) || WEXITSTATUS(raw) != 0)
        return 0;
    return millionsPerSecond(steps, t0);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 3;
    uint64_t steps = 30'000'000;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (a == "--steps" && i + 1 < argc)
            steps = std::max<uint64_t>(100000, std::strtoull(argv[++i], nullptr, 10));
        else {
            std::fprintf(stderr, "usage: periph_bench [--runs N] [--steps N]\n");
            return 2;
        }
    }
    struct Line {
        const char* name;
        std::vector<double> off, on;
    } lines[] = {{"Play, headless", {}, {}}, {"Play, view hooks", {}, {}}, {"Step Into", {}, {}},
                 {"Play, timer interrupt", {}, {}}, {"zelk-sim process", {}, {}}};
    for (int r = 0; r < runs; ++r) {
        for (bool on : {false, true}) {
            auto side = [&](Line& l) -> std::vector<double>& { return on ? l.on : l.off; };
            side(lines[0]).push_back(runCore(Road::Headless, on, false, steps));
            side(lines[1]).push_back(runCore(Road::Hooks, on, false, steps));
            side(lines[2]).push_back(runCore(Road::StepInto, on, false, steps / 4));
            if (on)
                lines[3].on.push_back(runCore(Road::Headless, true, true, steps));
            side(lines[4]).push_back(runSim(on, steps));
        }
    }
    std::printf("%-24s %12s %12s   (M instructions/s, median of %d)\n", "", "off", "on", runs);
    for (const Line& l : lines) {
        if (l.off.empty())
            std::printf("%-24s %12s %12.1f\n", l.name, "-", median(l.on));
        else
            std::printf("%-24s %12.1f %12.1f\n", l.name, median(l.off), median(l.on));
    }
    return 0;
}
