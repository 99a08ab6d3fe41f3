// Real-time pacing (see Pacer.h).
#include "run/Pacer.h"

#include <cstdio>

namespace zelk {

void Pacer::start(double cyclesPerSecond, Clock::time_point now)
{
    rate_ = cyclesPerSecond > 0 ? cyclesPerSecond : 0;
    anchor_ = now;
    cycles_ = 0;
}

Pacer::Clock::duration Pacer::wait(uint32_t deltaCycles, Clock::time_point now)
{
    if (rate_ <= 0)
        return Clock::duration::zero();
    cycles_ += deltaCycles;
    const auto due = anchor_ + std::chrono::duration_cast<Clock::duration>(
                                   std::chrono::duration<double>(static_cast<double>(cycles_) / rate_));
    if (due >= now)
        return due - now;
    if (now - due > MaxLag) {
        anchor_ = now;
        cycles_ = 0;
    }
    return Clock::duration::zero();
}

std::string simulatedTimeText(uint32_t cycles, uint32_t hz)
{
    if (hz == 0)
        return {};
    char text[32];
    std::snprintf(text, sizeof text, "%.6f s", static_cast<double>(cycles) / hz);
    return text;
}

} // namespace zelk
