// The pacer's arithmetic with a made-up clock: the wait that keeps a run at
// its rate, falling behind a little and a lot, full speed; and the
// simulated-time text.
#include "run/Pacer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

using namespace zelk;
using namespace std::chrono;

namespace {

TEST(Pacer, WaitsForTheCyclesToTakeTheirTime)
{
    struct Round {
        uint32_t cycles;        // ran since the last call
        microseconds elapsed;   // since start()
        microseconds expected;  // the wait
    };
    struct Case {
        const char* name;
        double rate;
        std::vector<Round> rounds;
    };
    const std::vector<Case> cases = {
        {"2 MHz, ahead", 2e6, {{2000, 0us, 1000us}, {2000, 500us, 1500us}, {2000, 3000us, 0us}}},
        {"2 MHz, a little behind, then caught up", 2e6, {{2000, 1500us, 0us}, {2000, 1500us, 500us}}},
        {"a tenth of 2 MHz", 2e5, {{200, 0us, 1000us}, {200000, 1000us, 1000000us}}},
        {"far behind starts afresh", 2e6, {{2000, 200000us, 0us}, {2000, 200000us, 1000us}}},
        {"full speed", 0, {{2000000, 0us, 0us}, {2000000, 10us, 0us}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Pacer pacer;
        const Pacer::Clock::time_point t0{};
        pacer.start(c.rate, t0);
        EXPECT_EQ(pacer.pacing(), c.rate > 0);
        int round = 0;
        for (const Round& r : c.rounds) {
            const auto wait = pacer.wait(r.cycles, t0 + r.elapsed);
            EXPECT_NEAR(duration_cast<nanoseconds>(wait).count(), duration_cast<nanoseconds>(r.expected).count(),
                        1000)
                << "round " << round++;
        }
    }
}

TEST(Pacer, NoDriftOverManySmallRounds)
{
    // 10000 rounds of 200 cycles at 2 MHz, each waited out exactly: one second.
    Pacer pacer;
    Pacer::Clock::time_point now{};
    pacer.start(2e6, now);
    for (int i = 0; i < 10000; ++i)
        now += pacer.wait(200, now);
    EXPECT_NEAR(duration<double>(now.time_since_epoch()).count(), 1.0, 1e-6);
}

TEST(Pacer, SimulatedTimeText)
{
    struct Case {
        uint32_t cycles, hz;
        const char* text;
    };
    const Case cases[] = {
        {0, 2000000, "0.000000 s"},
        {1234, 2000000, "0.000617 s"},
        {2000000, 2000000, "1.000000 s"},
        {4000000000u, 2000000, "2000.000000 s"},
        {3000000, 1000000, "3.000000 s"},
        {100, 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(simulatedTimeText(c.cycles, c.hz), c.text) << c.cycles << " at " << c.hz;
}

} // namespace
