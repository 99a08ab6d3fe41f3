// The simulated SCI's line to the serial terminal: what the SCI sends
// waits for the terminal, bounded; what the user types reaches the receiver
// one character at a time, bounded, and never ends the input.
#include "terminal/SimSerialLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zelk {
namespace {

using namespace chipreg;

constexpr uint32_t CharCycles = 2080;  // BAUD $30: ten bits of 208 E cycles

class SimSerialLineTest : public ::testing::Test {
protected:
    SimSerialLineTest() : line(&chip)
    {
        chip.setEnabled(true);
        chip.setHost(&line);
        chip.cpuWrite(BAUD, 0x30);
    }
    void run(uint64_t cycles)
    {
        chip.advance(static_cast<uint32_t>(cycles));
        chip.catchUp();
    }
    // The program's receive: wait for RDRF (SCSR read), then SCDR.
    int receive(uint64_t maxCycles)
    {
        for (uint64_t t = 0; t <= maxCycles; t += 16) {
            if (chip.cpuRead(SCSR) & 0x20)
                return chip.cpuRead(SCDR);
            run(16);
        }
        return -1;
    }
    OnChip chip;
    SimSerialLine line;
};

TEST_F(SimSerialLineTest, TransmittedCharactersWaitForTheTerminalInOrder)
{
    chip.cpuWrite(SCCR2, 0x08);  // TE
    const std::string text("Hi\r\n\x00\xFF", 6);
    for (char c : text) {
        while (!(chip.cpuRead(SCSR) & 0x80))
            run(16);
        chip.cpuWrite(SCDR, static_cast<uint8_t>(c));
    }
    run(3 * CharCycles);
    EXPECT_TRUE(line.hasOutput());
    EXPECT_EQ(line.takeOutput(), text);
    EXPECT_FALSE(line.hasOutput());
    EXPECT_EQ(line.takeOutput(), "") << "taken once";
}

TEST_F(SimSerialLineTest, UndrainedOutputKeepsTheNewestCharacters)
{
    struct Case {
        size_t sent;
        uint64_t dropped;
    } cases[] = {{10, 0}, {SimSerialLine::MaxOutput, 0}, {SimSerialLine::MaxOutput + 1, 1},
                 {3 * SimSerialLine::MaxOutput + 7, 2 * SimSerialLine::MaxOutput + 7}};
    for (const Case& c : cases) {
        SimSerialLine l;
        for (size_t i = 0; i < c.sent; ++i)
            l.sciTransmit(static_cast<uint8_t>(i % 251));
        const std::string out = l.takeOutput();
        ASSERT_EQ(out.size(), std::min(c.sent, SimSerialLine::MaxOutput)) << c.sent;
        EXPECT_EQ(l.droppedOutput(), c.dropped) << c.sent;
        // The last character sent is the last one kept, the others before it in order.
        for (size_t k = 0; k < out.size(); k += 997) {
            const size_t i = c.sent - out.size() + k;
            EXPECT_EQ(static_cast<uint8_t>(out[k]), static_cast<uint8_t>(i % 251)) << c.sent << " at " << k;
        }
        EXPECT_EQ(static_cast<uint8_t>(out.back()), static_cast<uint8_t>((c.sent - 1) % 251));
    }
}

TEST_F(SimSerialLineTest, TypedCharactersReachTheReceiverOneByOne)
{
    chip.cpuWrite(SCCR2, 0x04);  // RE
    const uint8_t typed[] = {'a', 13, 10, 0xE9};
    ASSERT_EQ(line.type(typed, sizeof typed), sizeof typed);
    for (uint8_t want : typed)
        EXPECT_EQ(receive(2 * CharCycles), want);
    EXPECT_EQ(receive(4 * CharCycles), -1) << "nothing more typed";
    // Typing later still reaches the program: the input never ends.
    const uint8_t more = 'z';
    line.type(&more, 1);
    EXPECT_EQ(receive(2 * CharCycles), 'z');
}

TEST_F(SimSerialLineTest, ReceiveInterruptFollowsTheKey)
{
    chip.cpuWrite(SCCR2, 0x24);  // RIE, RE
    run(10 * CharCycles);
    EXPECT_EQ(chip.pending(0), IrqSource::None) << "no key yet";
    const uint8_t key = 'k';
    line.type(&key, 1);
    run(CharCycles - 1);
    EXPECT_EQ(chip.pending(0), IrqSource::None) << "still arriving";
    run(16);
    EXPECT_EQ(chip.pending(0), IrqSource::Sci);
    EXPECT_EQ(chip.pending(0x10), IrqSource::None) << "masked by I";
    EXPECT_TRUE(chip.wakeable(0)) << "a WAI can end on it";
}

TEST_F(SimSerialLineTest, TypingIsBoundedAndNeverEndsTheInput)
{
    std::vector<uint8_t> many(SimSerialLine::MaxTyped + 100, 'x');
    EXPECT_EQ(line.type(many.data(), many.size()), SimSerialLine::MaxTyped) << "receiver off: all wait, bounded";
    EXPECT_EQ(line.type(many.data(), 1), 0u) << "a full line takes nothing";
    uint8_t b = 0;
    bool exhausted = true;
    EXPECT_TRUE(line.sciReceive(b, exhausted, true));
    EXPECT_FALSE(exhausted);
    EXPECT_EQ(line.typedWaiting(), SimSerialLine::MaxTyped - 1);
    line.clear();
    exhausted = true;
    EXPECT_FALSE(line.sciReceive(b, exhausted, true)) << "cleared: nothing waits";
    EXPECT_FALSE(exhausted) << "the user may still type";
}

TEST_F(SimSerialLineTest, ClearForgetsBothDirections)
{
    line.sciTransmit('o');
    const uint8_t key = 'i';
    line.type(&key, 1);
    line.clear();
    EXPECT_FALSE(line.hasOutput());
    EXPECT_EQ(line.typedWaiting(), 0u);
}

} // namespace
} // namespace zelk
