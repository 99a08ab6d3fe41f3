// The on-chip peripherals (see OnChip.h).
#include "link/chip/OnChip.h"

namespace zelk {

using namespace chipreg;

namespace {

// TFLG1 / TMSK1 bits.
constexpr uint8_t OC1F = 0x80, OC2F = 0x40, OC3F = 0x20, OC4F = 0x10, I4O5F = 0x08, IC1F = 0x04, IC2F = 0x02,
                  IC3F = 0x01;
// TFLG2 / TMSK2 bits.
constexpr uint8_t TOF = 0x80, RTIF = 0x40, PAOVF = 0x20, PAIF = 0x10;
// PACTL bits.
constexpr uint8_t DDRA7 = 0x80, PAEN = 0x40, PAMOD = 0x20, PEDGE = 0x10, DDRA3 = 0x08, I4O5 = 0x04;
// SCCR2 and SCSR bits.
constexpr uint8_t TIE = 0x80, TCIE = 0x40, RIE = 0x20, ILIE = 0x10, TE = 0x08, RE = 0x04;
constexpr uint8_t TDRE = 0x80, TC = 0x40, RDRF = 0x20, IDLE = 0x10, OR = 0x08, NF = 0x04, FE = 0x02;
constexpr uint8_t RxFlags = RDRF | IDLE | OR | NF | FE;
// ADCTL, OPTION, CONFIG bits.
constexpr uint8_t CCF = 0x80, SCAN = 0x20, MULT = 0x10;
constexpr uint8_t ADPU = 0x80, IRQE = 0x20, DLY = 0x10, CR = 0x03;
constexpr uint8_t NOCOP = 0x04;
// CCR mask bits.
constexpr uint8_t CcrX = 0x40, CcrI = 0x10;

constexpr uint32_t ConversionCycles = 128;  // four conversions of 32 E cycles

// TFLG1 flag of output compare n (1..5).
constexpr uint8_t ocFlag(int n) { return static_cast<uint8_t>(0x80 >> (n - 1)); }

} // namespace

uint16_t vectorOf(IrqSource source)
{
    switch (source) {
    case IrqSource::None: return 0;
    case IrqSource::CopFailure: return 0xFFFA;
    case IrqSource::Xirq: return 0xFFF4;
    case IrqSource::Irq: return 0xFFF2;
    case IrqSource::RealTime: return 0xFFF0;
    case IrqSource::IC1: return 0xFFEE;
    case IrqSource::IC2: return 0xFFEC;
    case IrqSource::IC3: return 0xFFEA;
    case IrqSource::OC1: return 0xFFE8;
    case IrqSource::OC2: return 0xFFE6;
    case IrqSource::OC3: return 0xFFE4;
    case IrqSource::OC4: return 0xFFE2;
    case IrqSource::I4O5: return 0xFFE0;
    case IrqSource::TimerOverflow: return 0xFFDE;
    case IrqSource::PulseOverflow: return 0xFFDC;
    case IrqSource::PulseEdge: return 0xFFDA;
    case IrqSource::Spi: return 0xFFD8;
    case IrqSource::Sci: return 0xFFD6;
    }
    return 0;
}

void OnChip::setEnabled(bool on)
{
    enabled_ = on;
    reset();
}

void OnChip::reset()
{
    const bool paced = s.rxPaced;
    s = OnChipState{};
    s.rxPaced = paced;
    for (uint64_t& t : s.at)
        t = Never;
    uint8_t* r = s.reg;
    for (uint8_t oc = TOC1; oc <= TI4O5 + 1; ++oc)
        r[oc] = 0xFF;  // the compare registers reset to $FFFF
    r[PIOC] = 0x03;
    r[SCSR] = TDRE | TC;
    r[OPTION] = DLY;
    r[HPRIO] = 0x05;   // PSEL: the fixed order, IRQ first
    r[INIT] = 0x01;    // RAM at $0000, registers at $1000
    r[CONFIG] = 0x0C;  // COP off, ROM on
    scheduleTimer();
    s.at[OnChipState::RealTime] = 8192;
    schedule();
}

void OnChip::restore(const OnChipState& state)
{
    s = state;
    schedule();
}

// ---- Time ---------------------------------------------------------------

uint32_t OnChip::prescale() const
{
    static constexpr uint32_t factor[4] = {1, 4, 8, 16};
    return factor[s.reg[TMSK2] & 0x03];
}

uint16_t OnChip::tcnt() const
{
    return static_cast<uint16_t>((s.now - s.tcntOrigin) / prescale());
}

// The cycle of the next timer tick after now at which TCNT becomes value.
uint64_t OnChip::nextTickAt(uint16_t value) const
{
    const uint32_t ps = prescale();
    const uint64_t c = (s.now - s.tcntOrigin) / ps;
    const uint64_t k = c + ((static_cast<uint64_t>(value) - c - 1) & 0xFFFF) + 1;
    return s.tcntOrigin + k * ps;
}

void OnChip::scheduleTimer()
{
    s.at[OnChipState::Overflow] = nextTickAt(0);
    static constexpr uint8_t reg[5] = {TOC1, TOC2, TOC3, TOC4, TI4O5};
    static constexpr int event[5] = {OnChipState::OC1, OnChipState::OC2, OnChipState::OC3, OnChipState::OC4,
                                     OnChipState::OC5};
    for (int i = 0; i < 5; ++i) {
        const uint16_t v = static_cast<uint16_t>(s.reg[reg[i]] << 8 | s.reg[reg[i] + 1]);
        s.at[event[i]] = nextTickAt(v);
    }
    if (s.reg[PACTL] & I4O5)
        s.at[OnChipState::OC5] = Never;  // TI4O5 captures instead
}

uint64_t OnChip::earliestEvent() const
{
    uint64_t t = Never;
    for (uint64_t a : s.at)
        if (a < t)
            t = a;
    return t;
}

bool OnChip::requested() const
{
    const uint8_t* r = s.reg;
    if ((r[TFLG1] & r[TMSK1]) || (r[TFLG2] & r[TMSK2] & 0xF0) || s.irqLatch || s.xirqLatch || s.copFired)
        return true;
    const uint8_t sc = r[SCCR2], sr = r[SCSR];
    return ((sc & TIE) && (sr & TDRE)) || ((sc & TCIE) && (sr & TC)) || ((sc & RIE) && (sr & (RDRF | OR))) ||
           ((sc & ILIE) && (sr & IDLE));
}

void OnChip::schedule()
{
    if (!enabled_) {
        s.nextEvent = Never;
        return;
    }
    if (s.cpu != CpuMode::Running || requested()) {
        s.nextEvent = 0;
        return;
    }
    s.nextEvent = earliestEvent();
}

void OnChip::catchUp()
{
    if (!enabled_)
        return;
    for (;;) {
        int e = -1;
        uint64_t t = Never;
        // Ties go to the lower index: OC1 (after OC2-OC5) has the last word
        // on a pin they share.
        for (int i = 0; i < OnChipState::EventCount; ++i) {
            if (s.at[i] < t) {
                t = s.at[i];
                e = i;
            }
        }
        if (e < 0 || t > s.now)
            break;
        fire(e);
    }
    schedule();
}

void OnChip::fire(int event)
{
    if (event < 0 || event >= OnChipState::EventCount)
        return;
    const uint64_t t = s.at[event];
    const uint64_t period = 65536ull * prescale();
    switch (event) {
    case OnChipState::Overflow:
        s.reg[TFLG2] |= TOF;
        s.at[event] = t + period;
        break;
    case OnChipState::OC1:
    case OnChipState::OC2:
    case OnChipState::OC3:
    case OnChipState::OC4:
    case OnChipState::OC5: {
        const int n = event == OnChipState::OC1 ? 1 : event - OnChipState::OC2 + 2;
        s.reg[TFLG1] |= ocFlag(n);
        compareAction(n);
        s.at[event] = t + period;
        break;
    }
    case OnChipState::RealTime:
        s.reg[TFLG2] |= RTIF;
        s.at[event] = t + (8192ull << (s.reg[PACTL] & 0x03));
        break;
    case OnChipState::SciTx:
        s.txBusy = false;
        s.at[event] = Never;
        if (s.tdrFull)
            startTransmit(t);
        else
            s.reg[SCSR] |= TC;
        break;
    case OnChipState::SciRx:
        s.rxBusy = false;
        s.at[event] = Never;
        if (s.reg[SCSR] & RDRF) {
            s.reg[SCSR] |= OR;  // the new character is lost
        } else {
            s.rdr = s.rxByte;
            s.reg[SCSR] |= RDRF;
        }
        if (!s.rxPaced) {
            // The next character follows right behind this one.
            askReceiver(false);
            if (s.rxBusy)
                s.at[event] = t + charCycles();
        }
        break;
    case OnChipState::AdDone:
        convert();
        s.reg[ADCTL] |= CCF;
        s.at[event] = Never;  // scanning goes on: results are read live from here
        break;
    case OnChipState::Cop:
        s.copFired = true;
        s.at[event] = Never;
        break;
    case OnChipState::PulseTick: {
        // Gated time accumulation: one count per 64 E cycles.
        if (++s.reg[PACNT] == 0)
            s.reg[TFLG2] |= PAOVF;
        s.at[event] = t + 64;
        break;
    }
    default:
        break;
    }
}

// ---- Output compares and port A -----------------------------------------

void OnChip::setPortABits(uint8_t mask, uint8_t values)
{
    const uint8_t before = readPortA();
    s.latchA = static_cast<uint8_t>((s.latchA & ~mask) | (values & mask));
    const uint8_t after = readPortA();
    // PA7 driven as an output still feeds the pulse accumulator.
    if ((before ^ after) & 0x80)
        pulseEdge(after & 0x80, !(after & 0x80));
}

void OnChip::compareAction(int oc)
{
    if (oc == 1) {
        setPortABits(s.reg[OC1M] & 0xF8, s.reg[OC1D]);
        return;
    }
    const uint8_t bit = static_cast<uint8_t>(0x40 >> (oc - 2));  // OC2 PA6 ... OC5 PA3
    const int mode = s.reg[TCTL1] >> (2 * (5 - oc)) & 3;
    switch (mode) {
    case 1: setPortABits(bit, static_cast<uint8_t>(~s.latchA)); break;
    case 2: setPortABits(bit, 0); break;
    case 3: setPortABits(bit, 0xFF); break;
    default: break;
    }
}

uint8_t OnChip::readPortA() const
{
    const uint8_t ctl = s.reg[PACTL];
    uint8_t outputs = 0x70;  // PA4-PA6 are always outputs
    if (ctl & DDRA3)
        outputs |= 0x08;
    if (ctl & DDRA7)
        outputs |= 0x80;
    return static_cast<uint8_t>((s.latchA & outputs) | (s.pinA & ~outputs));
}

uint8_t OnChip::inputMask(ChipPort port) const
{
    switch (port) {
    case ChipPort::A: {
        uint8_t in = 0x07;
        if (!(s.reg[PACTL] & DDRA3))
            in |= 0x08;
        if (!(s.reg[PACTL] & DDRA7))
            in |= 0x80;
        return in;
    }
    case ChipPort::B: return 0;
    case ChipPort::C: return static_cast<uint8_t>(~s.reg[DDRC]);
    case ChipPort::D: return static_cast<uint8_t>(~s.reg[DDRD] & 0x3F);
    case ChipPort::E: return 0;  // analog inputs: see setAnalog
    }
    return 0;
}

uint8_t OnChip::pins(ChipPort port) const
{
    switch (port) {
    case ChipPort::A: return readPortA();
    case ChipPort::B: return s.reg[PORTB];
    case ChipPort::C: return static_cast<uint8_t>((s.reg[PORTC] & s.reg[DDRC]) | (s.pinC & ~s.reg[DDRC]));
    case ChipPort::D:
        return static_cast<uint8_t>(((s.reg[PORTD] & s.reg[DDRD]) | (s.pinD & ~s.reg[DDRD])) & 0x3F);
    case ChipPort::E: {
        uint8_t v = 0;
        for (int i = 0; i < 8; ++i)
            if (s.analog[i] >= 0x80)
                v |= static_cast<uint8_t>(1 << i);
        return v;
    }
    }
    return 0;
}

bool OnChip::pin(ChipPort port, int bit) const
{
    return (pins(port) >> (bit & 7)) & 1;
}

void OnChip::setPin(ChipPort port, int bit, bool high)
{
    if (bit < 0 || bit > 7 || !(inputMask(port) & (1 << bit)))
        return;  // an output or no pin: the chip drives it, not the user
    catchUp();
    const uint8_t m = static_cast<uint8_t>(1 << bit);
    uint8_t* level = port == ChipPort::A ? &s.pinA : port == ChipPort::C ? &s.pinC : &s.pinD;
    const bool was = *level & m;
    if (was == high)
        return;
    *level = static_cast<uint8_t>(high ? *level | m : *level & ~m);
    if (port == ChipPort::A) {
        // PA2 IC1, PA1 IC2, PA0 IC3, PA3 IC4 (with I4/O5 set).
        static constexpr int icOfBit[4] = {3, 2, 1, 4};
        if (bit <= 3) {
            const int ic = icOfBit[bit];
            if (ic != 4 || (s.reg[PACTL] & I4O5)) {
                // TCTL2: EDG4 bits 7-6, EDG1 5-4, EDG2 3-2, EDG3 1-0; 01 rising, 10 falling, 11 both.
                const int shift = ic == 4 ? 6 : 2 * (3 - ic);
                const int edges = s.reg[TCTL2] >> shift & 3;
                if ((high && (edges & 1)) || (!high && (edges & 2)))
                    capture(ic);
            }
        } else if (bit == 7) {
            pulseEdge(high, !high);
        }
    }
    schedule();
}

void OnChip::capture(int ic)
{
    const uint16_t count = tcnt();
    const uint8_t reg = ic == 4 ? TI4O5 : static_cast<uint8_t>(TIC1 + 2 * (ic - 1));
    s.reg[reg] = static_cast<uint8_t>(count >> 8);
    s.reg[reg + 1] = static_cast<uint8_t>(count);
    s.reg[TFLG1] |= ic == 4 ? I4O5F : static_cast<uint8_t>(IC1F >> (ic - 1));
}

bool OnChip::gateActive() const
{
    const bool high = readPortA() & 0x80;
    return (s.reg[PACTL] & PEDGE) ? !high : high;
}

void OnChip::pulseEdge(bool rising, bool falling)
{
    const uint8_t ctl = s.reg[PACTL];
    if (!(ctl & PAEN))
        return;
    const bool wantRising = ctl & PEDGE;
    if (!(ctl & PAMOD)) {
        // Event counting: every active edge counts and sets PAIF.
        if ((wantRising && rising) || (!wantRising && falling)) {
            if (++s.reg[PACNT] == 0)
                s.reg[TFLG2] |= PAOVF;
            s.reg[TFLG2] |= PAIF;
        }
        return;
    }
    // Gated: PAIF on the gate's trailing edge (falling when high enables).
    if ((!wantRising && falling) || (wantRising && rising))
        s.reg[TFLG2] |= PAIF;
    schedulePulse();
}

void OnChip::schedulePulse()
{
    const uint8_t ctl = s.reg[PACTL];
    if ((ctl & PAEN) && (ctl & PAMOD) && gateActive()) {
        if (s.at[OnChipState::PulseTick] == Never)
            s.at[OnChipState::PulseTick] = (s.now / 64 + 1) * 64;
    } else {
        s.at[OnChipState::PulseTick] = Never;
    }
}

// ---- SCI ----------------------------------------------------------------

uint32_t OnChip::sciBitCycles() const
{
    static constexpr uint32_t prescaler[4] = {1, 3, 4, 13};
    const uint8_t baud = s.reg[BAUD];
    return 16u * prescaler[baud >> 4 & 3] * (1u << (baud & 7));
}

uint32_t OnChip::charCycles() const
{
    const uint32_t bits = (s.reg[SCCR1] & 0x10) ? 11 : 10;  // start, 8 or 9 data, stop
    return bits * sciBitCycles();
}

void OnChip::startTransmit(uint64_t t)
{
    const uint8_t byte = s.tdr;
    s.tdrFull = false;
    s.txBusy = true;
    s.reg[SCSR] |= TDRE;
    s.at[OnChipState::SciTx] = t + charCycles();
    if (host_)
        host_->sciTransmit(byte);
}

void OnChip::askReceiver(bool wait)
{
    if (!(s.reg[SCCR2] & RE) || s.rxBusy || s.rxExhausted || !host_)
        return;
    if (s.rxPaced && (s.reg[SCSR] & RDRF))
        return;
    uint8_t byte = 0;
    bool exhausted = false;
    if (host_->sciReceive(byte, exhausted, wait)) {
        s.rxByte = byte;
        s.rxBusy = true;
        s.at[OnChipState::SciRx] = s.now + charCycles();
    } else if (exhausted) {
        s.rxExhausted = true;
    }
}

void OnChip::serialInputArrived()
{
    s.rxExhausted = false;
    catchUp();
    askReceiver(false);
    schedule();
}

bool OnChip::takeUnsentByte(uint8_t& byte)
{
    if (!s.tdrFull)
        return false;
    byte = s.tdr;
    s.tdrFull = false;
    return true;
}

// ---- A/D ------------------------------------------------------------------

void OnChip::convert()
{
    const uint8_t ctl = s.reg[ADCTL];
    for (int i = 0; i < 4; ++i) {
        int channel = (ctl & MULT) ? ((ctl & 0x0C) + i) : (ctl & 0x0F);
        // Channels 8-15 are the internal test inputs: VRH ($FF) at 12,
        // VRL and the rest $00.
        uint8_t value = channel < 8 ? s.analog[channel] : channel == 12 ? 0xFF : 0x00;
        s.reg[ADR1 + i] = value;
    }
}

void OnChip::setAnalog(int channel, uint8_t value)
{
    if (channel < 0 || channel > 7)
        return;
    s.analog[channel] = value;
}

// ---- Register access --------------------------------------------------------

uint8_t OnChip::peek(uint8_t offset) const
{
    offset &= 0x3F;
    const uint8_t* r = s.reg;
    switch (offset) {
    case PORTA: return readPortA();
    case PORTC:
    case PORTCL: return pins(ChipPort::C);
    case PORTD: return pins(ChipPort::D);
    case PORTE: return pins(ChipPort::E);
    case CFORC: return 0;
    case TCNT: return static_cast<uint8_t>(tcnt() >> 8);
    case TCNT + 1: return static_cast<uint8_t>(tcnt());
    case SCDR: return s.rdr;
    default: break;
    }
    if (offset >= ADR1 && offset < ADR1 + 4 && s.adScan && (r[ADCTL] & CCF)) {
        // Scanning: the latest conversion is the channel as it is now.
        const uint8_t ctl = r[ADCTL];
        const int i = offset - ADR1;
        const int channel = (ctl & MULT) ? ((ctl & 0x0C) + i) : (ctl & 0x0F);
        return channel < 8 ? s.analog[channel] : channel == 12 ? 0xFF : 0x00;
    }
    return r[offset];
}

uint8_t OnChip::cpuRead(uint8_t offset)
{
    offset &= 0x3F;
    if (due())
        catchUp();
    if (offset == SCSR) {
        if (!(s.reg[SCSR] & RDRF))
            askReceiver(false);
        s.scsrSeen = s.reg[SCSR];
        return s.reg[SCSR];
    }
    if (offset == SCDR) {
        const uint8_t value = s.rdr;
        const uint8_t clear = s.scsrSeen & RxFlags;
        if (clear) {
            s.reg[SCSR] &= static_cast<uint8_t>(~clear);
            s.scsrSeen &= static_cast<uint8_t>(~clear);
            askReceiver(false);
            schedule();
        }
        return value;
    }
    return peek(offset);
}

void OnChip::hostWrite(uint8_t offset, uint8_t value)
{
    offset &= 0x3F;
    if (offset == CONFIG) {
        catchUp();
        s.reg[CONFIG] = value;
        // NOCOP clear starts the watchdog.
        s.at[OnChipState::Cop] =
            (value & NOCOP) ? Never : s.now + (uint64_t{1} << (15 + 2 * (s.reg[OPTION] & CR)));
        schedule();
        return;
    }
    cpuWrite(offset, value);
}

void OnChip::cpuWrite(uint8_t offset, uint8_t value)
{
    offset &= 0x3F;
    if (due())
        catchUp();
    uint8_t* r = s.reg;
    const bool early = inProtectedWindow();
    switch (offset) {
    case PORTA: {
        // Pins with an OC2-OC5 action follow the timer, not the program.
        uint8_t timerOwned = 0;
        for (int oc = 2; oc <= 5; ++oc)
            if (r[TCTL1] >> (2 * (5 - oc)) & 3)
                timerOwned |= static_cast<uint8_t>(0x40 >> (oc - 2));
        setPortABits(static_cast<uint8_t>(0xF8 & ~timerOwned), value);
        break;
    }
    case PORTE:
    case TCNT:
    case TCNT + 1:
    case TIC1: case TIC1 + 1: case TIC2: case TIC2 + 1: case TIC3: case TIC3 + 1:
    case SPSR:
    case SCSR:
    case ADR1: case ADR1 + 1: case ADR1 + 2: case ADR1 + 3:
    case CONFIG:
        break;  // read-only for the program
    case CFORC:
        // Forced compares: the pin actions, no flags.
        for (int oc = 1; oc <= 5; ++oc)
            if (value & ocFlag(oc))
                compareAction(oc);
        break;
    case TOC1: case TOC1 + 1: case TOC2: case TOC2 + 1: case TOC3: case TOC3 + 1:
    case TOC4: case TOC4 + 1: case TI4O5: case TI4O5 + 1:
        if (offset >= TI4O5 && (r[PACTL] & I4O5))
            break;  // TI4O5 holds captures
        r[offset] = value;
        scheduleTimer();
        break;
    case TFLG1:
        r[TFLG1] &= static_cast<uint8_t>(~value);
        break;
    case TFLG2:
        r[TFLG2] &= static_cast<uint8_t>(~(value & 0xF0));
        break;
    case TMSK2: {
        uint8_t v = static_cast<uint8_t>((value & 0xF0) | (r[TMSK2] & 0x03));
        if (early && (value & 0x03) != (r[TMSK2] & 0x03)) {
            // The prescaler changes only in the first 64 cycles; TCNT goes
            // on from where it stands.
            const uint64_t count = (s.now - s.tcntOrigin) / prescale();
            v = static_cast<uint8_t>((value & 0xF3));
            r[TMSK2] = v;
            s.tcntOrigin = s.now - count * prescale();
            scheduleTimer();
        }
        r[TMSK2] = v;
        break;
    }
    case PACTL: {
        const uint8_t old = r[PACTL];
        r[PACTL] = value;
        if ((old ^ value) & 0x03) {
            const uint64_t period = 8192ull << (value & 0x03);
            s.at[OnChipState::RealTime] = (s.now / period + 1) * period;
        }
        if ((old ^ value) & I4O5)
            scheduleTimer();
        schedulePulse();
        break;
    }
    case SCDR:
        if (s.scsrSeen & (TDRE | TC)) {
            r[SCSR] &= static_cast<uint8_t>(~(s.scsrSeen & (TDRE | TC)));
            s.scsrSeen &= static_cast<uint8_t>(~(TDRE | TC));
        }
        if (r[SCCR2] & TE) {
            s.tdr = value;
            s.tdrFull = true;
            r[SCSR] &= static_cast<uint8_t>(~TC);
            if (!s.txBusy)
                startTransmit(s.now);
        }
        break;
    case SCCR2:
        r[SCCR2] = value;
        break;
    case ADCTL:
        r[ADCTL] = static_cast<uint8_t>(value & 0x3F);  // CCF cleared: a new conversion starts
        s.adScan = value & SCAN;
        s.at[OnChipState::AdDone] = (r[OPTION] & ADPU) ? s.now + ConversionCycles : Never;
        break;
    case OPTION: {
        const uint8_t protectedBits = IRQE | DLY | CR;
        r[OPTION] = early ? value : static_cast<uint8_t>((value & ~protectedBits) | (r[OPTION] & protectedBits));
        break;
    }
    case COPRST:
        if (value == 0x55) {
            s.copArmed = 1;
        } else if (value == 0xAA && s.copArmed) {
            s.copArmed = 0;
            if (!(r[CONFIG] & NOCOP))
                s.at[OnChipState::Cop] = s.now + (uint64_t{1} << (15 + 2 * (r[OPTION] & CR)));
        } else {
            s.copArmed = 0;
        }
        break;
    case INIT:
        if (early)
            r[INIT] = value;
        break;
    default:
        r[offset] = value;
        break;
    }
    schedule();
}

// ---- Interrupts ---------------------------------------------------------------

void OnChip::pulseIrq()
{
    s.irqLatch = true;
    schedule();
}

void OnChip::pulseXirq()
{
    s.xirqLatch = true;
    schedule();
}

IrqSource OnChip::pending(uint8_t ccr) const
{
    if (!enabled_)
        return IrqSource::None;
    if (s.copFired)
        return IrqSource::CopFailure;
    if (s.xirqLatch && !(ccr & CcrX))
        return IrqSource::Xirq;
    if (ccr & CcrI)
        return IrqSource::None;
    const uint8_t* r = s.reg;
    const uint8_t t1 = r[TFLG1] & r[TMSK1], t2 = r[TFLG2] & r[TMSK2] & 0xF0;
    const uint8_t sc = r[SCCR2], sr = r[SCSR];
    const bool sci = ((sc & TIE) && (sr & TDRE)) || ((sc & TCIE) && (sr & TC)) ||
                     ((sc & RIE) && (sr & (RDRF | OR))) || ((sc & ILIE) && (sr & IDLE));
    auto isRequested = [&](IrqSource src) {
        switch (src) {
        case IrqSource::Irq: return s.irqLatch;
        case IrqSource::RealTime: return (t2 & RTIF) != 0;
        case IrqSource::IC1: return (t1 & IC1F) != 0;
        case IrqSource::IC2: return (t1 & IC2F) != 0;
        case IrqSource::IC3: return (t1 & IC3F) != 0;
        case IrqSource::OC1: return (t1 & OC1F) != 0;
        case IrqSource::OC2: return (t1 & OC2F) != 0;
        case IrqSource::OC3: return (t1 & OC3F) != 0;
        case IrqSource::OC4: return (t1 & OC4F) != 0;
        case IrqSource::I4O5: return (t1 & I4O5F) != 0;
        case IrqSource::TimerOverflow: return (t2 & TOF) != 0;
        case IrqSource::PulseOverflow: return (t2 & PAOVF) != 0;
        case IrqSource::PulseEdge: return (t2 & PAIF) != 0;
        case IrqSource::Sci: return sci;
        default: return false;
        }
    };
    // HPRIO's PSEL promotes one source above the fixed order.
    static constexpr IrqSource promoted[16] = {
        IrqSource::TimerOverflow, IrqSource::PulseOverflow, IrqSource::PulseEdge, IrqSource::Spi,
        IrqSource::Sci,           IrqSource::Irq,           IrqSource::Irq,       IrqSource::RealTime,
        IrqSource::IC1,           IrqSource::IC2,           IrqSource::IC3,       IrqSource::OC1,
        IrqSource::OC2,           IrqSource::OC3,           IrqSource::OC4,       IrqSource::I4O5};
    const IrqSource first = promoted[r[HPRIO] & 0x0F];
    if (isRequested(first))
        return first;
    for (int i = static_cast<int>(IrqSource::Irq); i <= static_cast<int>(IrqSource::Sci); ++i) {
        const auto src = static_cast<IrqSource>(i);
        if (isRequested(src))
            return src;
    }
    return IrqSource::None;
}

void OnChip::acknowledge(IrqSource source)
{
    if (source == IrqSource::Irq)
        s.irqLatch = false;
    else if (source == IrqSource::Xirq)
        s.xirqLatch = false;
    else if (source == IrqSource::CopFailure)
        s.copFired = false;
    schedule();
}

bool OnChip::wakeable(uint8_t ccr)
{
    if (!enabled_)
        return false;
    catchUp();
    if (!(s.reg[CONFIG] & NOCOP))
        return true;  // the watchdog will reset the chip
    if (pending(ccr) != IrqSource::None)
        return true;
    if (ccr & CcrI)
        return false;
    const uint8_t* r = s.reg;
    if (r[TMSK2] & (TOF | RTIF))
        return true;
    uint8_t compares = r[TMSK1] & (OC1F | OC2F | OC3F | OC4F);
    if (!(r[PACTL] & I4O5))
        compares |= r[TMSK1] & I4O5F;
    if (compares)
        return true;
    if ((r[TMSK2] & PAOVF) && s.at[OnChipState::PulseTick] != Never)
        return true;
    const uint8_t sc = r[SCCR2];
    if ((sc & (TIE | TCIE)) && (s.txBusy || s.tdrFull))
        return true;
    if ((sc & RIE) && (sc & RE)) {
        if (!s.rxBusy)
            askReceiver(true);
        schedule();
        if (s.rxBusy)
            return true;
    }
    return false;
}

bool OnChip::registerMayChange(uint8_t offset, uint8_t mask)
{
    if (!enabled_)
        return false;
    catchUp();
    offset &= 0x3F;
    if (offset == SCSR) {
        bool may = false;
        if (mask & (TDRE | TC))
            may = s.txBusy || s.tdrFull;
        if (mask & RxFlags) {
            if (!s.rxBusy)
                askReceiver(true);
            schedule();
            may = may || s.rxBusy;
        }
        return may;
    }
    if (offset == ADCTL)
        return (mask & CCF) && s.at[OnChipState::AdDone] != Never;
    // Timer flags and counters move with time; pins with the user.
    return true;
}

} // namespace zelk
