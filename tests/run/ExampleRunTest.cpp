// The timer interrupt example in the IDE's core, as Play runs it with the
// windows attached: assembled from examples/, loaded by the download's
// Programm, the I/O unit shown. The LEDs blink eight times on the
// compare interrupt and pin PA6 follows the compare's own toggling.
#include "RunTestSupport.h"

#include "Assembler.h"
#include "link/chip/OnChip.h"

#include <fstream>
#include <sstream>

namespace zelk::test {
namespace {

TEST(ExampleRun, TimerBlinkInTheIdeCore)
{
    std::ifstream in(ZELK_EXAMPLES_DIR "/timer_blink.asm", std::ios::binary);
    ASSERT_TRUE(in) << "examples/timer_blink.asm";
    std::ostringstream source;
    source << in.rdbuf();
    const as11::AssemblyResult program = as11::assemble(source.str());
    ASSERT_TRUE(program.ok()) << program.errorText();

    RecordingNotifier notifier;
    CountingHooks hooks;
    AccessLayer link(&notifier, &hooks);
    BreakpointTable breakpoints;
    ExecutionControl control(link, breakpoints);
    LoggingIoUnit leds;
    link.setIoUnit(&leds);
    link.setIoActive(true);
    link.simulator().setPeripherals(true);
    for (const auto& segment : program.segments)
        link.Programm(segment.address, segment.bytes.data(), static_cast<int32_t>(segment.bytes.size()));
    control.GetResetVector();

    // PA6 seen after each blink: the compare toggles it with the LEDs.
    std::vector<bool> pa6;
    std::vector<std::string> shown;
    RunOptions options;
    options.maxSteps = 100000;
    options.beforeStep = [&] {
        if (leds.log.size() != shown.size()) {
            shown = leds.log;
            pa6.push_back(link.simulator().chip().pin(ChipPort::A, 6));
        }
    };
    // A breakpoint on the final loop ends the run, as a user would set it.
    const as11::Symbol* done = program.symbols.find("DONE");
    ASSERT_NE(done, nullptr);
    breakpoints.append(done->value);
    EXPECT_EQ(control.Play(options), StopReason::Breakpoint);

    std::vector<std::string> blinks;
    for (const std::string& entry : leds.log)
        if (entry.rfind("OutData", 0) == 0)
            blinks.push_back(entry);
    ASSERT_EQ(blinks.size(), 8u);
    for (size_t i = 0; i < blinks.size(); ++i)
        EXPECT_EQ(blinks[i], i % 2 ? "OutData 0" : "OutData 255") << i;
    ASSERT_FALSE(pa6.empty());
    for (size_t i = 1; i < pa6.size(); ++i)
        EXPECT_NE(pa6[i], pa6[i - 1]) << "PA6 toggles at every compare";
    // Eight periods of 20,000 E cycles, and little more.
    EXPECT_GE(control.clockCounter, 8u * 20000);
    EXPECT_LT(control.clockCounter, 9u * 20000);
    EXPECT_EQ(link.regs.PC, done->value);
    EXPECT_EQ(link.regs.SP, 0x00FF) << "every entry returned";
}

} // namespace
} // namespace zelk::test
