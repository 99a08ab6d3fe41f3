// The board's monitor program and its hardware: a 64 KB memory (RAM with a
// flash block at $E000-$FFFF), the on-chip SCI as far as programs use it
// over the line, and a Korvex CPU that runs programs with its own PC.
//
// Monitor model:
// - $0000-$0008 is the register save area (A, B, IX, IY, SP big-endian, CCR).
// - A step places its four slot bytes at $0009-$000C, loads the registers and
//   runs from $0009 until PC reaches the return trap $000D (so a JSR in the
//   slot runs the whole subroutine, and a return address overwritten with
//   $000D ends a Step Out there). A step cut by the step limit still replies.
// - A run places its JMP at $0009-$000B and runs freely until reset.
// - W writes RAM only; P programs flash (a bit can only go from 1 to 0) and
//   writes RAM; E erases the flash to $FF. The CPU cannot write the flash.
// - SCI: a write of SCDR ($102F) sends the byte on the line; SCSR ($102E)
//   reads TDRE|TC ($C0) while the transmitter has room, plus RDRF ($20) while
//   a received byte waits; a read of SCDR takes that byte.
#pragma once

#include "Protocol.h"

#include <array>
#include <cstdint>
#include <deque>
#include <span>
#include <vector>

struct KorvexInstance;

namespace zelk::board {

inline constexpr uint16_t FlashStart = 0xE000;
inline constexpr uint16_t SlotAddress = 0x0009;
inline constexpr uint16_t ReturnTrap = 0x000D;
inline constexpr uint16_t SCSR = 0x102E;
inline constexpr uint16_t SCDR = 0x102F;
inline constexpr uint8_t SciTdre = 0x80, SciTc = 0x40, SciRdrf = 0x20;

// Bytes the transmitter holds before TDRE reads clear: the line and the
// program then proceed at the line's pace.
inline constexpr size_t SciTxRoom = 64;
// Received bytes kept for the program; beyond that the board stops reading
// the line until the program takes some (nothing is lost).
inline constexpr size_t SciRxRoom = 4096;

struct Registers {
    uint8_t a = 0, b = 0;
    uint16_t ix = 0, iy = 0, sp = 0;
    uint8_t ccr = 0;
};

// The registers in save-area order from nine bytes, and back.
Registers registersFrom(std::span<const uint8_t, 9> bytes);
std::array<uint8_t, 9> registerBytes(const Registers& r);

class Monitor {
public:
    enum class State { Idle, Stepping, Running };

    explicit Monitor(uint64_t stepLimit = 50'000'000);
    ~Monitor();
    Monitor(const Monitor&) = delete;
    Monitor& operator=(const Monitor&) = delete;

    // Handles a frame whose checksum holds. Returns the reply (empty for a
    // step, whose reply comes from run() when it ends).
    std::vector<uint8_t> handleFrame(FrameKind kind, std::span<const uint8_t> frame);

    // Runs the CPU for up to maxInstructions instructions and maxCycles
    // E-clock cycles while stepping or running; returns what was done.
    struct Slice {
        uint64_t instructions = 0;
        uint64_t cycles = 0;
        bool stepEnded = false;   // stepReply() holds the reply
        bool stepCut = false;     // the step limit ended it
    };
    Slice run(uint64_t maxInstructions, uint64_t maxCycles = UINT64_MAX);

    std::vector<uint8_t> takeStepReply();

    // Stops a step or run and returns to the idle monitor. Memory survives;
    // received bytes not yet taken are dropped.
    void reset();

    State state() const { return state_; }
    // A free run that has reached a branch or jump to itself (the usual end
    // of a program): nothing can change any more until reset, so the board
    // stops spending time on it.
    bool parked() const { return parked_; }

    // Memory as the monitor reads it (no side effects: SCSR shows its
    // current value, SCDR the last received byte).
    uint8_t peek(uint16_t address) const;
    // Loads bytes anywhere, flash included (an image given at start).
    void load(uint16_t address, uint8_t value) { mem_[address] = value; }

    // SCI: bytes for the program, and the program's output since the last
    // take. lineBacklog is what the line still has to send; it decides TDRE.
    void sciReceive(uint8_t byte) { rx_.push_back(byte); }
    size_t sciReceivePending() const { return rx_.size(); }
    std::vector<uint8_t> takeSciOutput();
    void setLineBacklog(size_t n) { lineBacklog_ = n; }

    Registers registers() const { return regs_; }
    uint16_t pc() const;
    uint64_t stepLimit() const { return stepLimit_; }

private:
    static void readHook(void* user, int32_t address, int16_t* value);
    static void writeHook(void* user, int32_t address, int16_t value);
    uint8_t scsr() const;
    uint8_t cpuRead(uint16_t address);
    void cpuWrite(uint16_t address, uint8_t value);
    void saveRegisters();
    void startAt(std::span<const uint8_t> frame, std::span<const uint8_t> slot);

    std::array<uint8_t, 65536> mem_{};
    KorvexInstance* cpu_;
    Registers regs_;
    State state_ = State::Idle;
    bool parked_ = false;
    uint64_t stepLimit_;
    uint64_t stepDone_ = 0;
    std::vector<uint8_t> stepReply_;
    std::deque<uint8_t> rx_;
    std::vector<uint8_t> tx_;
    size_t lineBacklog_ = 0;
};

} // namespace zelk::board
