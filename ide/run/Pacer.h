// Real-time pacing of a run: the simulated E clock is held to a rate
// (cycles per second, e.g. the E clock times a factor) by telling the run
// how long to wait after it has executed a number of cycles. The pacer
// keeps no clock of its own: the caller passes the time, so the arithmetic
// is testable without waiting.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace zelk {

class Pacer {
public:
    using Clock = std::chrono::steady_clock;

    // A run that falls further behind than this (a modal dialog, a slow
    // refresh) starts counting afresh instead of rushing to catch up.
    static constexpr std::chrono::milliseconds MaxLag{100};

    // cyclesPerSecond <= 0: full speed (wait() always answers zero).
    void start(double cyclesPerSecond, Clock::time_point now);
    bool pacing() const { return rate_ > 0; }
    double rate() const { return rate_; }

    // delta cycles ran since the last call. Returns how long to wait from
    // now so that the cycles run since start() took their time at the rate.
    Clock::duration wait(uint32_t deltaCycles, Clock::time_point now);

    // Cycles counted since the last start or re-anchoring.
    uint64_t cycles() const { return cycles_; }

private:
    double rate_ = 0;
    Clock::time_point anchor_{};
    uint64_t cycles_ = 0;
};

// The E clock's default rate (8 MHz crystal, divided by four).
constexpr uint32_t DefaultEClockHz = 2000000;

// Simulated time of cycles at hz, in seconds with six decimals:
// "0.000617 s". hz = 0 gives an empty text.
std::string simulatedTimeText(uint32_t cycles, uint32_t hz);

// The pacing factors the Options dialog offers (0 = full speed).
inline constexpr double SpeedFactors[] = {0, 0.01, 0.1, 0.5, 1, 2, 10};

} // namespace zelk
