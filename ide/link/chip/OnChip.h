// The on-chip peripherals of the 68HC11 in simulator mode: the 64 register
// bytes at $1000-$103F with the free-running timer (prescaler, overflow,
// output compares OC1-OC5 with their port A pin actions, input captures
// IC1-IC3 and IC4 on pin changes), the real-time interrupt, the pulse
// accumulator, the SCI, the A/D converter, ports A-E as pins, the IRQ and
// XIRQ inputs and the COP watchdog, plus the interrupt priority logic.
//
// Time is the E-clock cycle count `now` that run control advances by each
// instruction's cycles. Nothing is clocked per cycle: TCNT is derived from
// `now`, and every future happening (an overflow, a compare match, a
// character shifted out ...) has its cycle in `at[]`; `nextEvent` is the
// earliest of them, or 0 while an interrupt is requested or the CPU waits,
// so run control's per-instruction cost is the one compare now >= nextEvent.
// Any register access first catches up with the events that are due.
//
// The whole state is the trivially copyable struct OnChipState: save() and
// restore() copy it, so a history of steps may snapshot it with the CPU
// registers and the memory image. The host connection (serial sink and
// source) is not part of it.
//
// Two kinds of access: cpuRead/cpuWrite are the program's (they clear flags
// by the manual's sequences: SCSR read then SCDR access, 1s written to
// TFLG1/TFLG2, the A/D conversion start on an ADCTL write); peek is the
// views' look, which changes nothing; hostWrite is a write from the views
// (acts as the program's, and may also change CONFIG, which a program
// cannot).
#pragma once

#include <cstdint>
#include <type_traits>

namespace zelk {

// Register offsets in the block at $1000.
namespace chipreg {
constexpr uint8_t PORTA = 0x00, PIOC = 0x02, PORTC = 0x03, PORTB = 0x04, PORTCL = 0x05, DDRC = 0x07,
                  PORTD = 0x08, DDRD = 0x09, PORTE = 0x0A, CFORC = 0x0B, OC1M = 0x0C, OC1D = 0x0D,
                  TCNT = 0x0E, TIC1 = 0x10, TIC2 = 0x12, TIC3 = 0x14, TOC1 = 0x16, TOC2 = 0x18, TOC3 = 0x1A,
                  TOC4 = 0x1C, TI4O5 = 0x1E, TCTL1 = 0x20, TCTL2 = 0x21, TMSK1 = 0x22, TFLG1 = 0x23,
                  TMSK2 = 0x24, TFLG2 = 0x25, PACTL = 0x26, PACNT = 0x27, SPCR = 0x28, SPSR = 0x29,
                  SPDR = 0x2A, BAUD = 0x2B, SCCR1 = 0x2C, SCCR2 = 0x2D, SCSR = 0x2E, SCDR = 0x2F,
                  ADCTL = 0x30, ADR1 = 0x31, OPTION = 0x39, COPRST = 0x3A, PPROG = 0x3B, HPRIO = 0x3C,
                  INIT = 0x3D, TEST1 = 0x3E, CONFIG = 0x3F;
}

// Interrupt sources in their fixed priority order (highest first; HPRIO's
// PSEL bits may promote one of the I-bit sources above the others).
enum class IrqSource : uint8_t {
    None,
    CopFailure,  // $FFFA (a reset)
    Xirq,        // $FFF4, masked by X
    Irq,         // $FFF2, the I-bit sources from here on
    RealTime,    // $FFF0
    IC1, IC2, IC3,        // $FFEE, $FFEC, $FFEA
    OC1, OC2, OC3, OC4,   // $FFE8, $FFE6, $FFE4, $FFE2
    I4O5,                 // $FFE0
    TimerOverflow,        // $FFDE
    PulseOverflow,        // $FFDC
    PulseEdge,            // $FFDA
    Spi,                  // $FFD8
    Sci,                  // $FFD6
};

// The vector address of a source ($FFFA for the COP, 0 for None).
uint16_t vectorOf(IrqSource source);

// Vectors of the CPU's own traps.
constexpr uint16_t VectorSwi = 0xFFF6, VectorIllegal = 0xFFF8, VectorReset = 0xFFFE;

// E cycles of an interrupt entry (nine bytes stacked, vector fetched).
constexpr uint32_t InterruptEntryCycles = 12;

enum class CpuMode : uint8_t { Running, Waiting, Stopped };

// Ports whose pins the user can drive (A: PA0-PA2, PA7 and PA3 as inputs;
// C and D: the bits their direction registers make inputs).
enum class ChipPort : uint8_t { A, B, C, D, E };

struct OnChipState {
    enum Event : uint8_t { Overflow, OC2, OC3, OC4, OC5, OC1, RealTime, SciTx, SciRx, AdDone, Cop, PulseTick, EventCount };

    uint64_t now = 0;        // E cycles since the chip's reset
    uint64_t nextEvent = 0;  // earliest at[], or 0 (see the header comment)
    uint64_t at[EventCount] = {};
    uint64_t tcntOrigin = 0; // the cycle at which TCNT was (or would have been) 0
    uint8_t reg[64] = {};    // the register bytes as stored (TCNT excepted)
    uint8_t analog[8] = {};  // A/D channel inputs (PE0-PE7), 0..255
    uint8_t pinA = 0, pinC = 0, pinD = 0; // input pin levels
    uint8_t latchA = 0;      // port A output latch (PA3-PA7)
    // SCI: transmit data register, its fullness, the byte being received.
    uint8_t tdr = 0, rdr = 0, rxByte = 0;
    bool tdrFull = false, txBusy = false, rxBusy = false;
    uint8_t scsrSeen = 0;    // SCSR flags the program has read (first half of a clearing sequence)
    bool rxExhausted = false;// the serial source said it has nothing more, ever
    // Paced: the next character arrives only after the program took the
    // last (no overrun from a fast sender); unpaced, one follows another.
    bool rxPaced = true;
    bool copFired = false;
    bool adScan = false;     // ADCTL SCAN: conversions go on
    uint8_t copArmed = 0;    // $55 written to COPRST
    bool irqLatch = false, xirqLatch = false;
    CpuMode cpu = CpuMode::Running;
};
static_assert(std::is_trivially_copyable_v<OnChipState>, "the chip state must stay a plain copyable struct");

class OnChip {
public:
    static constexpr uint64_t Never = UINT64_MAX;
    static constexpr int32_t Base = 0x1000;

    // What the chip reaches outside: SCI characters both ways.
    class Host {
    public:
        virtual ~Host() = default;
        // A character the transmitter starts to send.
        virtual void sciTransmit(uint8_t byte) = 0;
        // The next character for the receiver, if one is there; exhausted is
        // set when none will ever come (end of input). wait: the program can
        // do nothing but wait for it, so a host may block until it comes.
        virtual bool sciReceive(uint8_t& byte, bool& exhausted, bool wait) = 0;
    };

    OnChip() { reset(); }

    // Off: nextEvent never comes and the block is plain memory for the
    // simulator target. Turning it on resets the chip.
    void setEnabled(bool on);
    bool enabled() const { return enabled_; }
    void setHost(Host* host) { host_ = host; }

    // Registers to their reset values, time 0, the CPU running.
    void reset();

    // ---- Time ------------------------------------------------------------
    void advance(uint32_t cycles) { s.now += cycles; }
    bool due() const { return s.now >= s.nextEvent; }
    // Handles every event up to now and recomputes nextEvent.
    void catchUp();
    // The cycle of the earliest pending event (Never without one).
    uint64_t earliestEvent() const;

    // ---- Register access (offset 0..63 in the block) ----------------------
    uint8_t cpuRead(uint8_t offset);
    void cpuWrite(uint8_t offset, uint8_t value);
    uint8_t peek(uint8_t offset) const;
    void hostWrite(uint8_t offset, uint8_t value);
    uint16_t tcnt() const;

    // ---- Pins and inputs the user drives -----------------------------------
    void setPin(ChipPort port, int bit, bool high);
    bool pin(ChipPort port, int bit) const;
    uint8_t pins(ChipPort port) const;  // the levels on the port's pins
    // Bits of a port the user may drive (inputs).
    uint8_t inputMask(ChipPort port) const;
    void setAnalog(int channel, uint8_t value);
    uint8_t analog(int channel) const { return s.analog[channel & 7]; }
    // The IRQ and XIRQ buttons: the request holds until its interrupt is
    // taken (or, for STOP, until it wakes the CPU).
    void pulseIrq();
    void pulseXirq();
    // New serial input may be there (the terminal got a key).
    void serialInputArrived();
    // The bytes written to SCDR but not yet started (a run ending now).
    bool takeUnsentByte(uint8_t& byte);

    // ---- Interrupts ----------------------------------------------------------
    // The highest-priority source that may enter with this CCR (X masks
    // XIRQ, I the others); None if there is none.
    IrqSource pending(uint8_t ccr) const;
    // Run control entered source's interrupt: one-shot requests are taken.
    void acknowledge(IrqSource source);
    // Whether anything can ever make an interrupt enter with this CCR
    // (an enabled source that fires on its own, or one already requested);
    // a headless run stops instead of waiting for nothing.
    bool wakeable(uint8_t ccr);
    // Whether the bits of mask in the register at offset can still change by
    // themselves (a program polling them in a loop to itself); may block
    // for serial input the program waits for.
    bool registerMayChange(uint8_t offset, uint8_t mask);
    // The first 64 cycles after reset, when the protected bits can change.
    bool inProtectedWindow() const { return s.now < 64; }
    // SCI bit time in E cycles (16 x prescaler x rate divider).
    uint32_t sciBitCycles() const;

    OnChipState save() const { return s; }
    void restore(const OnChipState& state);

    OnChipState s;

private:
    void schedule();
    void fire(int event);
    void compareAction(int oc);
    void startTransmit(uint64_t t);
    void askReceiver(bool wait);
    void convert();
    void scheduleTimer();
    void schedulePulse();
    bool gateActive() const;
    uint8_t readPortA() const;
    void setPortABits(uint8_t mask, uint8_t values);
    void capture(int ic);
    void pulseEdge(bool rising, bool falling);
    uint64_t nextTickAt(uint16_t value) const;
    uint32_t prescale() const;
    uint32_t charCycles() const;
    bool requested() const;

    Host* host_ = nullptr;
    bool enabled_ = false;
};

} // namespace zelk
