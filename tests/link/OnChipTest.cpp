// The on-chip peripheral model on its own: each peripheral set up through
// its registers as a program would, clocked by E cycles, with the flags,
// counters and pins the register descriptions give.
#include "link/chip/OnChip.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace zelk {
namespace {

using namespace chipreg;

// A serial line that records what is sent and hands out queued input.
class QueueHost : public OnChip::Host {
public:
    void sciTransmit(uint8_t byte) override { sent.push_back(byte); }
    bool sciReceive(uint8_t& byte, bool& exhausted, bool) override
    {
        if (input.empty()) {
            exhausted = ended;
            return false;
        }
        byte = input.front();
        input.pop_front();
        return true;
    }
    std::vector<uint8_t> sent;
    std::deque<uint8_t> input;
    bool ended = false;
};

class OnChipTest : public ::testing::Test {
protected:
    OnChipTest() { chip.setEnabled(true); }
    void run(uint64_t cycles)
    {
        chip.advance(static_cast<uint32_t>(cycles));
        chip.catchUp();
    }
    void write16(uint8_t offset, uint16_t v)
    {
        chip.cpuWrite(offset, static_cast<uint8_t>(v >> 8));
        chip.cpuWrite(offset + 1, static_cast<uint8_t>(v));
    }
    OnChip chip;
};

TEST_F(OnChipTest, ResetValues)
{
    struct Case {
        uint8_t offset, value;
    } cases[] = {{TOC1, 0xFF}, {TOC1 + 1, 0xFF}, {TI4O5, 0xFF}, {SCSR, 0xC0}, {CONFIG, 0x0C},
                 {INIT, 0x01}, {TFLG1, 0x00}, {TFLG2, 0x00}, {TCNT, 0x00}, {ADCTL, 0x00}};
    for (const Case& c : cases)
        EXPECT_EQ(chip.peek(c.offset), c.value) << "offset " << int(c.offset);
    EXPECT_EQ(chip.pending(0x00), IrqSource::None);
}

TEST_F(OnChipTest, TcntCountsAtThePrescaledRate)
{
    struct Case {
        uint8_t pr;
        uint64_t when;  // cycle of the TMSK2 write
        uint64_t cycles;
        uint16_t tcnt;
    } cases[] = {
        {0, 0, 1000, 1000}, {1, 0, 1000, 250},  {2, 0, 1000, 125},
        {3, 0, 1000, 62},   {3, 40, 1000, 40 + 1000 / 16},  // in the first 64 cycles: TCNT goes on from 40
        {3, 64, 1000, 1064},                               // too late: the prescaler stays 1
        {0, 0, 70000, 70000 - 65536},
    };
    for (const Case& c : cases) {
        OnChip t;
        t.setEnabled(true);
        t.advance(static_cast<uint32_t>(c.when));
        t.cpuWrite(TMSK2, c.pr);
        t.advance(static_cast<uint32_t>(c.cycles));
        t.catchUp();
        EXPECT_EQ(t.tcnt(), c.tcnt) << "PR " << int(c.pr) << " written at " << c.when;
        EXPECT_EQ(t.peek(TCNT) << 8 | t.peek(TCNT + 1), c.tcnt);
    }
}

TEST_F(OnChipTest, OverflowSetsTofAndWritingOneClearsIt)
{
    run(65535);
    EXPECT_EQ(chip.peek(TFLG2) & 0x80, 0);
    run(1);
    EXPECT_EQ(chip.peek(TFLG2) & 0x80, 0x80);
    chip.cpuWrite(TFLG2, 0x00);  // writing 0 leaves it
    EXPECT_EQ(chip.peek(TFLG2) & 0x80, 0x80);
    chip.cpuWrite(TFLG2, 0x80);
    EXPECT_EQ(chip.peek(TFLG2) & 0x80, 0);
    run(65536);
    EXPECT_EQ(chip.peek(TFLG2) & 0x80, 0x80) << "every wrap sets it again";
}

TEST_F(OnChipTest, OutputComparesSetFlagsAndDrivePortA)
{
    struct Case {
        uint8_t reg;      // TOCx
        uint8_t tctl1;
        uint8_t flag;     // TFLG1 bit
        uint8_t pin;      // PORTA bit
        uint8_t latched;  // PORTA written before
        uint8_t after;    // the pin after the match
    } cases[] = {
        {TOC2, 0x40, 0x40, 0x40, 0x00, 0x40},  // OC2 toggle
        {TOC2, 0x80, 0x40, 0x40, 0x40, 0x00},  // OC2 clear
        {TOC3, 0x30, 0x20, 0x20, 0x00, 0x20},  // OC3 set
        {TOC4, 0x04, 0x10, 0x10, 0x00, 0x10},  // OC4 toggle
        {TI4O5, 0x03, 0x08, 0x08, 0x00, 0x08}, // OC5 set on PA3
        {TOC3, 0x00, 0x20, 0x20, 0x20, 0x20},  // disconnected: the pin keeps the latch
    };
    for (const Case& c : cases) {
        OnChip t;
        t.setEnabled(true);
        t.cpuWrite(PACTL, 0x08);  // PA3 an output
        t.cpuWrite(PORTA, c.latched);
        t.cpuWrite(TCTL1, c.tctl1);
        t.cpuWrite(c.reg, 0x01);
        t.cpuWrite(c.reg + 1, 0x00);  // match at TCNT = $0100
        t.advance(255);
        t.catchUp();
        EXPECT_EQ(t.peek(TFLG1), 0) << "one cycle early, reg " << int(c.reg);
        t.advance(1);
        t.catchUp();
        EXPECT_EQ(t.peek(TFLG1), c.flag) << "reg " << int(c.reg);
        EXPECT_EQ(t.peek(PORTA) & c.pin, c.after) << "reg " << int(c.reg) << " TCTL1 " << int(c.tctl1);
    }
}

TEST_F(OnChipTest, ToggleRepeatsEveryTimerPeriod)
{
    chip.cpuWrite(TCTL1, 0x40);
    write16(TOC2, 1000);
    run(1000);
    EXPECT_EQ(chip.peek(PORTA) & 0x40, 0x40);
    run(65536);
    EXPECT_EQ(chip.peek(PORTA) & 0x40, 0x00);
    // A new compare value 500 cycles ahead, as an interrupt routine does.
    write16(TOC2, static_cast<uint16_t>(chip.tcnt() + 500));
    run(499);
    EXPECT_EQ(chip.peek(PORTA) & 0x40, 0x00);
    run(1);
    EXPECT_EQ(chip.peek(PORTA) & 0x40, 0x40);
}

TEST_F(OnChipTest, Oc1DrivesTheMaskedPinsAndWinsOverOc2)
{
    chip.cpuWrite(PACTL, 0x80);  // PA7 an output
    chip.cpuWrite(OC1M, 0xC0);   // PA7 and PA6
    chip.cpuWrite(OC1D, 0x80);   // PA7 high, PA6 low
    chip.cpuWrite(TCTL1, 0xC0);  // OC2 would set PA6
    write16(TOC1, 50);
    write16(TOC2, 50);
    run(50);
    EXPECT_EQ(chip.peek(TFLG1), 0xC0);
    EXPECT_EQ(chip.peek(PORTA) & 0xC0, 0x80);
}

TEST_F(OnChipTest, CforcForcesThePinActionWithoutAFlag)
{
    chip.cpuWrite(TCTL1, 0x10);  // OC3 toggle
    chip.cpuWrite(CFORC, 0x20);  // FOC3
    EXPECT_EQ(chip.peek(PORTA) & 0x20, 0x20);
    EXPECT_EQ(chip.peek(TFLG1), 0);
    EXPECT_EQ(chip.peek(CFORC), 0);
}

TEST_F(OnChipTest, Tflg1ClearsOnlyTheBitsWrittenAsOnes)
{
    write16(TOC1, 10);
    write16(TOC2, 10);
    write16(TOC3, 10);
    run(10);
    ASSERT_EQ(chip.peek(TFLG1), 0xE0);
    chip.cpuWrite(TFLG1, 0x40);
    EXPECT_EQ(chip.peek(TFLG1), 0xA0);
    // BSET-style read-modify-write writes every set flag back: all clear.
    chip.cpuWrite(TFLG1, static_cast<uint8_t>(chip.cpuRead(TFLG1) | 0x01));
    EXPECT_EQ(chip.peek(TFLG1), 0x00);
}

TEST_F(OnChipTest, InputCapturesFollowTheConfiguredEdges)
{
    struct Case {
        int bit;        // PA pin
        uint8_t tctl2;
        bool rise;      // the change the user makes (from the other level)
        uint8_t reg, flag;
        bool captures;
    } cases[] = {
        {2, 0x10, true, TIC1, 0x04, true},   // IC1 rising
        {2, 0x10, false, TIC1, 0x04, false}, // IC1 rising only: a fall is ignored
        {2, 0x20, false, TIC1, 0x04, true},  // IC1 falling
        {1, 0x0C, true, TIC2, 0x02, true},   // IC2 any edge
        {1, 0x0C, false, TIC2, 0x02, true},
        {0, 0x01, true, TIC3, 0x01, true},   // IC3 rising
        {0, 0x00, true, TIC3, 0x01, false},  // IC3 disabled
    };
    for (const Case& c : cases) {
        OnChip t;
        t.setEnabled(true);
        t.cpuWrite(TCTL2, c.tctl2);
        if (!c.rise) {
            t.setPin(ChipPort::A, c.bit, true);
            t.cpuWrite(TFLG1, 0xFF);
        }
        t.advance(1234);
        t.setPin(ChipPort::A, c.bit, c.rise);
        EXPECT_EQ(t.peek(TFLG1) & c.flag, c.captures ? c.flag : 0) << "PA" << c.bit << " TCTL2 " << int(c.tctl2);
        if (c.captures) {
            EXPECT_EQ(t.peek(c.reg) << 8 | t.peek(c.reg + 1), 1234);
        }
        EXPECT_EQ(t.pin(ChipPort::A, c.bit), c.rise);
    }
}

TEST_F(OnChipTest, Ic4CapturesOnPa3WhenSelected)
{
    chip.cpuWrite(PACTL, 0x04);  // I4/O5: TI4O5 is input capture 4
    chip.cpuWrite(TCTL2, 0x40);  // EDG4A: rising
    run(77);
    chip.setPin(ChipPort::A, 3, true);
    EXPECT_EQ(chip.peek(TFLG1) & 0x08, 0x08);
    EXPECT_EQ(chip.peek(TI4O5) << 8 | chip.peek(TI4O5 + 1), 77);
}

TEST_F(OnChipTest, OutputsCannotBeDrivenByTheUser)
{
    chip.setPin(ChipPort::A, 5, true);  // PA5 is OC3's output
    EXPECT_FALSE(chip.pin(ChipPort::A, 5));
    chip.setPin(ChipPort::B, 0, true);
    EXPECT_EQ(chip.pins(ChipPort::B), 0);
    chip.setPin(ChipPort::A, 9, true);  // no such pin
    EXPECT_EQ(chip.pins(ChipPort::A), 0);
}

TEST_F(OnChipTest, RealTimeInterruptPeriodFollowsRtr)
{
    for (uint8_t rtr = 0; rtr < 4; ++rtr) {
        OnChip t;
        t.setEnabled(true);
        t.cpuWrite(PACTL, rtr);
        const uint64_t period = 8192ull << rtr;
        t.advance(static_cast<uint32_t>(period - 1));
        t.catchUp();
        EXPECT_EQ(t.peek(TFLG2) & 0x40, 0) << "RTR " << int(rtr);
        t.advance(1);
        t.catchUp();
        EXPECT_EQ(t.peek(TFLG2) & 0x40, 0x40) << "RTR " << int(rtr);
    }
}

TEST_F(OnChipTest, PulseAccumulatorCountsEventsAndOverflows)
{
    struct Case {
        uint8_t pactl;
        bool edgeUp;  // the edge applied
        int counts;   // per full pulse (up and down)
    } cases[] = {
        {0x40, true, 1},  // event mode, falling edges: one per pulse
        {0x50, true, 1},  // rising edges
        {0x00, true, 0},  // disabled
    };
    for (const Case& c : cases) {
        OnChip t;
        t.setEnabled(true);
        t.cpuWrite(PACTL, c.pactl);
        for (int i = 0; i < 3; ++i) {
            t.setPin(ChipPort::A, 7, true);
            t.setPin(ChipPort::A, 7, false);
        }
        EXPECT_EQ(t.peek(PACNT), 3 * c.counts) << "PACTL " << int(c.pactl);
        EXPECT_EQ(t.peek(TFLG2) & 0x10, c.counts ? 0x10 : 0);
    }
    chip.cpuWrite(PACTL, 0x50);
    chip.cpuWrite(PACNT, 0xFF);
    chip.setPin(ChipPort::A, 7, true);
    EXPECT_EQ(chip.peek(PACNT), 0);
    EXPECT_EQ(chip.peek(TFLG2) & 0x20, 0x20) << "PAOVF on $FF to $00";
}

TEST_F(OnChipTest, GatedModeCountsEvery64CyclesWhileTheGateIsOpen)
{
    chip.cpuWrite(PACTL, 0x60);  // enabled, gated, PAI high counts
    run(640);
    EXPECT_EQ(chip.peek(PACNT), 0) << "gate closed";
    chip.setPin(ChipPort::A, 7, true);
    run(640);
    EXPECT_EQ(chip.peek(PACNT), 10);
    chip.setPin(ChipPort::A, 7, false);
    EXPECT_EQ(chip.peek(TFLG2) & 0x10, 0x10) << "PAIF at the gate's end";
    run(640);
    EXPECT_EQ(chip.peek(PACNT), 10);
}

TEST_F(OnChipTest, SciBitTimeFromBaud)
{
    struct Case {
        uint8_t baud;
        uint32_t bitCycles;
    } cases[] = {{0x30, 208}, {0x31, 416}, {0x00, 16}, {0x22, 256}, {0x13, 384}};
    for (const Case& c : cases) {
        chip.cpuWrite(BAUD, c.baud);
        EXPECT_EQ(chip.sciBitCycles(), c.bitCycles) << "BAUD " << int(c.baud);
    }
}

TEST_F(OnChipTest, TransmitterTimingAndFlags)
{
    QueueHost host;
    chip.setHost(&host);
    chip.cpuWrite(BAUD, 0x30);   // 2080 cycles a character
    chip.cpuWrite(SCCR2, 0x08);  // TE
    ASSERT_EQ(chip.cpuRead(SCSR) & 0xC0, 0xC0);
    chip.cpuWrite(SCDR, 'A');
    EXPECT_EQ(host.sent, std::vector<uint8_t>{'A'}) << "an idle shifter takes it at once";
    EXPECT_EQ(chip.peek(SCSR) & 0xC0, 0x80) << "TDRE again, TC clear while shifting";
    ASSERT_EQ(chip.cpuRead(SCSR) & 0x80, 0x80);
    chip.cpuWrite(SCDR, 'B');
    EXPECT_EQ(chip.peek(SCSR) & 0x80, 0x00) << "TDRE cleared by the SCSR read and SCDR write";
    run(2079);
    EXPECT_EQ(host.sent.size(), 1u);
    run(1);
    EXPECT_EQ(host.sent, (std::vector<uint8_t>{'A', 'B'}));
    EXPECT_EQ(chip.peek(SCSR) & 0xC0, 0x80);
    run(2080);
    EXPECT_EQ(chip.peek(SCSR) & 0xC0, 0xC0) << "TC once the last character is out";
}

TEST_F(OnChipTest, WritingScdrWithoutReadingScsrLeavesTdre)
{
    QueueHost host;
    chip.setHost(&host);
    chip.cpuWrite(SCCR2, 0x08);
    chip.cpuWrite(SCDR, 'x');  // shifter takes it
    chip.cpuWrite(SCDR, 'y');  // waits in the data register
    EXPECT_EQ(chip.peek(SCSR) & 0x80, 0x80) << "no SCSR read first: TDRE is not cleared";
    uint8_t unsent = 0;
    EXPECT_TRUE(chip.takeUnsentByte(unsent));
    EXPECT_EQ(unsent, 'y');
}

TEST_F(OnChipTest, TransmitterOffSendsNothing)
{
    QueueHost host;
    chip.setHost(&host);
    chip.cpuWrite(SCDR, 'A');
    run(100000);
    EXPECT_TRUE(host.sent.empty());
}

TEST_F(OnChipTest, ReceiverFlagsAndClearingSequence)
{
    QueueHost host;
    chip.setHost(&host);
    chip.cpuWrite(BAUD, 0x30);
    chip.cpuWrite(SCCR2, 0x04);  // RE
    host.input = {'h', 'i'};
    chip.serialInputArrived();
    run(2079);
    EXPECT_EQ(chip.peek(SCSR) & 0x20, 0);
    run(1);
    EXPECT_EQ(chip.peek(SCSR) & 0x20, 0x20);
    EXPECT_EQ(chip.cpuRead(SCDR), 'h');
    EXPECT_EQ(chip.peek(SCSR) & 0x20, 0x20) << "SCDR read without the SCSR read first";
    chip.cpuRead(SCSR);
    EXPECT_EQ(chip.cpuRead(SCDR), 'h');
    EXPECT_EQ(chip.peek(SCSR) & 0x20, 0x00);
    run(2080);
    EXPECT_EQ(chip.peek(SCSR) & 0x20, 0x20) << "the next character, one character time later";
    chip.cpuRead(SCSR);
    EXPECT_EQ(chip.cpuRead(SCDR), 'i');
}

TEST_F(OnChipTest, UnpacedReceiverOverruns)
{
    QueueHost host;
    chip.setHost(&host);
    chip.s.rxPaced = false;
    chip.cpuWrite(SCCR2, 0x04);
    host.input = {'1', '2', '3'};
    chip.serialInputArrived();
    run(3 * 160 * 10);  // BAUD 0: 160 cycles a character
    EXPECT_EQ(chip.peek(SCSR) & 0x28, 0x28) << "RDRF and OR";
    chip.cpuRead(SCSR);
    EXPECT_EQ(chip.cpuRead(SCDR), '1') << "the overrunning characters are lost";
    EXPECT_EQ(chip.peek(SCSR) & 0x28, 0x00);
}

TEST_F(OnChipTest, AnalogConversions)
{
    struct Case {
        uint8_t option, adctl;
        uint32_t cycles;
        bool done;
        uint8_t adr[4];
    } cases[] = {
        {0x80, 0x03, 128, true, {30, 30, 30, 30}},     // one channel four times
        {0x80, 0x03, 127, false, {0, 0, 0, 0}},         // not yet
        {0x80, 0x14, 128, true, {40, 50, 60, 70}},     // MULT: PE4-PE7
        {0x80, 0x10, 128, true, {0, 10, 20, 30}},      // MULT: PE0-PE3
        {0x00, 0x03, 1000, false, {0, 0, 0, 0}},        // ADPU off: no conversion
        {0x80, 0x0C, 128, true, {0xFF, 0xFF, 0xFF, 0xFF}}, // VRH test channel
    };
    for (const Case& c : cases) {
        OnChip t;
        t.setEnabled(true);
        for (int ch = 0; ch < 8; ++ch)
            t.setAnalog(ch, static_cast<uint8_t>(ch * 10));
        t.cpuWrite(OPTION, c.option);
        t.cpuWrite(ADCTL, c.adctl);
        t.advance(c.cycles);
        t.catchUp();
        EXPECT_EQ(t.peek(ADCTL) & 0x80, c.done ? 0x80 : 0) << "ADCTL " << int(c.adctl);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(t.peek(static_cast<uint8_t>(ADR1 + i)), c.adr[i]) << "ADCTL " << int(c.adctl) << " ADR" << i + 1;
    }
}

TEST_F(OnChipTest, ScanModeFollowsTheChannel)
{
    chip.cpuWrite(OPTION, 0x80);
    chip.setAnalog(2, 0x11);
    chip.cpuWrite(ADCTL, 0x22);  // SCAN, channel 2
    run(128);
    EXPECT_EQ(chip.peek(ADR1), 0x11);
    chip.setAnalog(2, 0x99);
    run(128);
    EXPECT_EQ(chip.peek(ADR1 + 3), 0x99);
    // A new ADCTL write clears CCF and starts again.
    chip.cpuWrite(ADCTL, 0x02);
    EXPECT_EQ(chip.peek(ADCTL) & 0x80, 0);
}

TEST_F(OnChipTest, PortsAsPins)
{
    chip.cpuWrite(DDRC, 0x0F);
    chip.cpuWrite(PORTC, 0xA5);
    chip.setPin(ChipPort::C, 7, true);
    chip.setPin(ChipPort::C, 0, false);  // an output: ignored
    EXPECT_EQ(chip.peek(PORTC), 0x85) << "outputs from the latch, inputs from the pins";
    chip.cpuWrite(DDRD, 0x01);
    chip.cpuWrite(PORTD, 0xFF);
    chip.setPin(ChipPort::D, 5, true);
    EXPECT_EQ(chip.peek(PORTD), 0x21);
    chip.cpuWrite(PORTB, 0x5A);
    EXPECT_EQ(chip.peek(PORTB), 0x5A);
    chip.setAnalog(1, 0x80);
    chip.setAnalog(2, 0x7F);
    EXPECT_EQ(chip.peek(PORTE), 0x02) << "PORTE reads the analog inputs as levels";
    chip.cpuWrite(PORTE, 0xFF);
    EXPECT_EQ(chip.peek(PORTE), 0x02);
}

TEST_F(OnChipTest, PriorityAndMasks)
{
    struct Case {
        uint8_t tmsk1, tflg1, tmsk2, tflg2, hprio, ccr;
        bool irq, xirq;
        IrqSource expect;
    } cases[] = {
        {0xFF, 0xFF, 0xF0, 0xF0, 0x05, 0x00, true, false, IrqSource::Irq},
        {0xFF, 0xFF, 0xF0, 0xF0, 0x05, 0x00, false, false, IrqSource::RealTime},
        {0xFF, 0xFF, 0x80, 0xF0, 0x05, 0x00, false, false, IrqSource::IC1},
        {0x80, 0xFF, 0x80, 0xF0, 0x05, 0x00, false, false, IrqSource::OC1},
        {0x08, 0xFF, 0x80, 0xF0, 0x05, 0x00, false, false, IrqSource::I4O5},
        {0x00, 0xFF, 0x80, 0xF0, 0x05, 0x00, false, false, IrqSource::TimerOverflow},
        {0x00, 0xFF, 0x30, 0xF0, 0x05, 0x00, false, false, IrqSource::PulseOverflow},
        {0x00, 0xFF, 0x10, 0xF0, 0x05, 0x00, false, false, IrqSource::PulseEdge},
        {0xFF, 0xFF, 0xF0, 0xF0, 0x00, 0x00, true, false, IrqSource::TimerOverflow},  // PSEL promotes TOF
        {0xFF, 0xFF, 0xF0, 0xF0, 0x0C, 0x00, true, false, IrqSource::OC2},            // ... or OC2
        {0xFF, 0xFF, 0xF0, 0xF0, 0x05, 0x10, true, false, IrqSource::None},           // I masks them
        {0xFF, 0xFF, 0xF0, 0xF0, 0x05, 0x10, true, true, IrqSource::Xirq},            // not XIRQ
        {0x00, 0x00, 0x00, 0x00, 0x05, 0x40, false, true, IrqSource::None},           // X masks XIRQ
        {0x00, 0xFF, 0x00, 0xF0, 0x05, 0x00, false, false, IrqSource::None},          // flags without enables
    };
    for (const Case& c : cases) {
        OnChip t;
        t.setEnabled(true);
        t.s.reg[TMSK1] = c.tmsk1;
        t.s.reg[TFLG1] = c.tflg1;
        t.s.reg[TMSK2] = c.tmsk2;
        t.s.reg[TFLG2] = c.tflg2;
        t.s.reg[HPRIO] = c.hprio;
        if (c.irq)
            t.pulseIrq();
        if (c.xirq)
            t.pulseXirq();
        EXPECT_EQ(t.pending(c.ccr), c.expect) << "TMSK1 " << int(c.tmsk1) << " TMSK2 " << int(c.tmsk2) << " HPRIO "
                                              << int(c.hprio) << " CCR " << int(c.ccr);
    }
}

TEST_F(OnChipTest, SciRequestsItsInterrupt)
{
    QueueHost host;
    chip.setHost(&host);
    chip.cpuWrite(SCCR2, 0x88);  // TIE, TE: TDRE is set at reset
    EXPECT_EQ(chip.pending(0), IrqSource::Sci);
    chip.cpuWrite(SCCR2, 0x08);
    EXPECT_EQ(chip.pending(0), IrqSource::None);
}

TEST_F(OnChipTest, VectorTable)
{
    struct Case {
        IrqSource source;
        uint16_t vector;
    } cases[] = {{IrqSource::Sci, 0xFFD6},          {IrqSource::Spi, 0xFFD8},        {IrqSource::PulseEdge, 0xFFDA},
                 {IrqSource::PulseOverflow, 0xFFDC}, {IrqSource::TimerOverflow, 0xFFDE}, {IrqSource::I4O5, 0xFFE0},
                 {IrqSource::OC4, 0xFFE2},          {IrqSource::OC3, 0xFFE4},        {IrqSource::OC2, 0xFFE6},
                 {IrqSource::OC1, 0xFFE8},          {IrqSource::IC3, 0xFFEA},        {IrqSource::IC2, 0xFFEC},
                 {IrqSource::IC1, 0xFFEE},          {IrqSource::RealTime, 0xFFF0},   {IrqSource::Irq, 0xFFF2},
                 {IrqSource::Xirq, 0xFFF4},         {IrqSource::CopFailure, 0xFFFA}};
    for (const Case& c : cases)
        EXPECT_EQ(vectorOf(c.source), c.vector) << int(c.source);
}

TEST_F(OnChipTest, CopWatchdog)
{
    run(1u << 20);
    EXPECT_EQ(chip.pending(0x50), IrqSource::None) << "NOCOP set at reset: the watchdog is off";
    OnChip t;
    t.setEnabled(true);
    t.hostWrite(CONFIG, 0x08);  // NOCOP clear
    t.cpuWrite(CONFIG, 0x0C);   // the program cannot change CONFIG
    EXPECT_EQ(t.peek(CONFIG), 0x08);
    t.advance((1u << 15) - 10);
    t.catchUp();
    t.cpuWrite(COPRST, 0x55);
    t.cpuWrite(COPRST, 0xAA);  // serviced in time
    t.advance(100);
    t.catchUp();
    EXPECT_EQ(t.pending(0x50), IrqSource::None);
    t.advance(1u << 15);
    t.catchUp();
    EXPECT_EQ(t.pending(0x50), IrqSource::CopFailure) << "not serviced: a COP reset, whatever the mask";
}

TEST_F(OnChipTest, ProtectedBitsChangeOnlyEarly)
{
    chip.advance(10);
    chip.cpuWrite(OPTION, 0x23);  // IRQE, CR = 3, DLY cleared
    EXPECT_EQ(chip.peek(OPTION), 0x23);
    chip.advance(100);
    chip.cpuWrite(OPTION, 0x90);  // ADPU may change, the others not
    EXPECT_EQ(chip.peek(OPTION), 0xA3);
    chip.cpuWrite(INIT, 0x22);
    EXPECT_EQ(chip.peek(INIT), 0x01);
}

TEST_F(OnChipTest, SaveAndRestoreTheWholeState)
{
    chip.cpuWrite(TCTL1, 0x40);
    write16(TOC2, 300);
    run(200);
    const OnChipState saved = chip.save();
    run(200);
    const uint16_t later = chip.tcnt();
    const uint8_t pinsLater = chip.pins(ChipPort::A);
    chip.restore(saved);
    EXPECT_EQ(chip.tcnt(), 200);
    EXPECT_EQ(chip.peek(TFLG1), 0);
    run(200);
    EXPECT_EQ(chip.tcnt(), later);
    EXPECT_EQ(chip.pins(ChipPort::A), pinsLater);
}

TEST_F(OnChipTest, OffTheChipHasNoEvents)
{
    OnChip t;
    EXPECT_FALSE(t.enabled());
    t.advance(1000000);
    EXPECT_FALSE(t.due());
    EXPECT_EQ(t.pending(0), IrqSource::None);
}

} // namespace
} // namespace zelk
