// The CPU state of one Korvex step and its memory port: the registers as a
// step sees them, the instruction bytes, the control's own program counter,
// and the host callbacks through which every data byte travels.
#pragma once

#include "korvex.h"

#include <cstdint>

// Everything on the path of one step is forced inline into korvexStep, so
// the compiler sees the whole instruction at once.
#define KORVEX_INLINE [[gnu::always_inline]] inline

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
    // Direct access (korvexSetDirectMemory): the host's 64 KB image, and per
    // 256-byte page whether its accesses still go to the callbacks. Without
    // an image every page does, so one test per byte serves both modes.
    uint8_t* image = nullptr;
    uint8_t viaCallbacks[256];

    MemoryPort() { setAllViaCallbacks(); }

    void setAllViaCallbacks()
    {
        for (uint8_t& p : viaCallbacks)
            p = 1;
    }

    // The CPU's address bus is 16 bits wide: an address formed beyond $FFFF
    // (index + offset up to $100FE, the second byte of a word at $FFFF, a
    // pull past the top) or below 0 (a push at SP = 0) reaches the host as
    // its low 16 bits, as the host's own memory image wraps.
    KORVEX_INLINE static int32_t busAddress(int32_t address) { return address & 0xFFFF; }

    // The value cell starts as the low 16 bits of the address sent, so a host
    // that leaves it alone makes the read return the address's low byte.
    KORVEX_INLINE uint8_t read(int32_t address) const
    {
        const int32_t bus = busAddress(address);
        if (viaCallbacks[bus >> 8] == 0) [[likely]]
            return image[bus];
        int16_t cell = static_cast<int16_t>(bus);
        readFn(user, bus, &cell);
        return static_cast<uint8_t>(cell);
    }

    KORVEX_INLINE void write(int32_t address, uint8_t value) const
    {
        const int32_t bus = busAddress(address);
        if (viaCallbacks[bus >> 8] == 0) [[likely]] {
            image[bus] = value;
            return;
        }
        writeFn(user, bus, static_cast<int16_t>(value));
    }
};

// Registers of one step, as references to wherever the caller keeps them,
// so an instruction touches only the registers it uses. korvexStep binds
// them to the host's own int16_t/int32_t variables (reduced to 8 and 16 bits
// beforehand; IX, IY and SP leave unreduced, the host keeps their low 16
// bits); korvexExecute binds them to the fields of a KorvexRegisters record,
// whose types reduce every result as it is stored. D has no storage of its
// own: it is always A:B.
template <typename Byte, typename Word>
struct BasicCpu {
    Byte& a;
    Byte& b;
    Byte& ccr;
    Word& ix;
    Word& iy;
    Word& sp;
    // The program counter of the step. Kept unsigned so that a host that
    // never sets Korvex's own can step forever without overflow; it is
    // handed out as the same 32 bits (korvexStep) or its low 16 bits
    // (korvexExecute).
    uint32_t pc;
    const uint8_t* code; // the instruction bytes, code[0] the opcode
    const MemoryPort& port;

    KORVEX_INLINE BasicCpu(Byte& a_, Byte& b_, Byte& ccr_, Word& ix_, Word& iy_, Word& sp_,
                           const MemoryPort& port_, uint32_t pc_, const uint8_t* code_)
        : a(a_), b(b_), ccr(ccr_), ix(ix_), iy(iy_), sp(sp_), pc(pc_), code(code_), port(port_)
    {
    }

    // Byte i of the instruction, counted from 1 (byte 1 is the opcode).
    KORVEX_INLINE uint8_t in(int i) const { return code[i - 1]; }

    KORVEX_INLINE uint16_t d() const { return static_cast<uint16_t>(a << 8 | b); }
    KORVEX_INLINE void setD(uint16_t v)
    {
        a = static_cast<Byte>(v >> 8);
        b = static_cast<Byte>(v & 0xFF);
    }

    KORVEX_INLINE uint8_t read(int32_t address) const { return port.read(address); }
    KORVEX_INLINE void write(int32_t address, uint8_t value) const { port.write(address, value); }
};

// korvexStep's view of the registers: the host's variables.
using StepCpu = BasicCpu<int16_t, int32_t>;
// korvexExecute's: the fields of a KorvexRegisters record.
using RecordCpu = BasicCpu<uint8_t, uint16_t>;

} // namespace korvex
