// The CPU state of one Korvex step and its memory port: the registers as a
// step sees them, the instruction bytes, the control's own program counter,
// and the host callbacks through which every data byte travels.
#pragma once

#include "korvex.h"

#include <cstdint>

namespace korvex {

// Condition code register bits.
enum : uint8_t {
    FlagC = 0x01,
    FlagV = 0x02,
    FlagZ = 0x04,
    FlagN = 0x08,
    FlagI = 0x10,
    FlagH = 0x20,
    FlagX = 0x40,
    FlagS = 0x80,
};

// The host side of the memory port. Null callbacks are replaced by these two
// on registration, so the per-byte path never tests for null.
inline void readNothing(void*, int32_t, int16_t*) {}
inline void writeNothing(void*, int32_t, int16_t) {}

struct MemoryPort {
    KorvexReadMemory readFn = readNothing;
    KorvexWriteMemory writeFn = writeNothing;
    void* user = nullptr;

    // Addresses are formed without wrap-around (index + offset up to $100FE,
    // SP - 1 down to -1); anything outside $0000-$FFFF reaches the host as 0.
    static int32_t busAddress(int32_t address)
    {
        return static_cast<uint32_t>(address) > 0xFFFFu ? 0 : address;
    }

    // The value cell starts as the low 16 bits of the address sent, so a host
    // that leaves it alone makes the read return the address's low byte.
    uint8_t read(int32_t address) const
    {
        const int32_t bus = busAddress(address);
        int16_t cell = static_cast<int16_t>(bus);
        readFn(user, bus, &cell);
        return static_cast<uint8_t>(cell);
    }

    void write(int32_t address, uint8_t value) const
    {
        writeFn(user, busAddress(address), static_cast<int16_t>(value));
    }
};

// Registers of one step. A, B and CCR are bytes; IX, IY and SP enter as
// 16-bit values and leave unreduced (the host keeps their low 16 bits).
// D has no storage of its own: it is always A:B.
struct Cpu {
    uint8_t a = 0;
    uint8_t b = 0;
    uint8_t ccr = 0;
    int32_t ix = 0;
    int32_t iy = 0;
    int32_t sp = 0;
    // The control's own program counter. Kept unsigned so that a host that
    // never sets it can step forever without overflow; it is handed out as
    // the same 32 bits.
    uint32_t pc = 0;
    uint8_t in[6] = {}; // in[1..5]: the instruction bytes, in[1] the opcode
    MemoryPort port;

    uint16_t d() const { return static_cast<uint16_t>(a << 8 | b); }
    void setD(uint16_t v)
    {
        a = static_cast<uint8_t>(v >> 8);
        b = static_cast<uint8_t>(v);
    }

    uint8_t read(int32_t address) const { return port.read(address); }
    void write(int32_t address, uint8_t value) const { port.write(address, value); }
};

} // namespace korvex
