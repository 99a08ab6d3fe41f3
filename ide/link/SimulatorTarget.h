// The simulator target: the 64 KB memory image and the Korvex CPU that runs
// against it. It answers Korvex's memory callbacks from the image, with the
// input-output unit's rules at $6001 and $6003.
#pragma once

#include "link/IoUnit.h"
#include "link/Target.h"

#include "Korvex.hpp"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace zelk {

namespace detail {
// The eight CCR flags of CpuRegisters for every CCR value, so that a step
// stores them in one 8-byte copy instead of eight shifts and masks.
struct FlagTable {
    std::array<std::array<bool, 8>, 256> flags{};
    constexpr FlagTable()
    {
        for (int v = 0; v < 256; ++v)
            for (int bit = 0; bit < 8; ++bit)
                flags[static_cast<size_t>(v)][static_cast<size_t>(bit)] = (v >> bit) & 1;
    }
};
inline constexpr FlagTable flagTable;
static_assert(offsetof(CpuRegisters, S) - offsetof(CpuRegisters, C) == 7,
              "the CCR flags of CpuRegisters must be eight adjacent booleans, C first");
} // namespace detail

// Hears of the program's memory accesses while a step is watched (data
// breakpoints, the step history). programRead and programWrite come from
// the instruction Korvex executes, before the access; store from any other
// write into the image during the step (a call's return address, the save
// area's SP, the I/O unit's flags), also before it.
class MemoryWatch {
public:
    virtual ~MemoryWatch() = default;
    virtual void programRead(uint32_t address) = 0;
    virtual void programWrite(uint32_t address, uint8_t old) = 0;
    virtual void store(uint32_t address, uint8_t old) = 0;
};

class SimulatorTarget final : public Target {
public:
    static constexpr int32_t ImageSize = 0x10000;

    SimulatorTarget();
    SimulatorTarget(const SimulatorTarget&) = delete;
    SimulatorTarget& operator=(const SimulatorTarget&) = delete;

    TargetMode mode() const override { return TargetMode::Simulator; }
    bool findBoard() override { return true; }
    bool read(int32_t address, uint8_t* out, int count, bool codeWindow) override;
    bool write(int32_t address, const uint8_t* data, int count) override;
    bool program(int32_t address, const uint8_t* data, int count) override;
    bool erase() override;
    bool step(CpuRegisters& regs, const uint8_t instr[5], StepKind kind) override;

    // step() without the virtual call, for run control's hot path: Korvex
    // executes instr with regs, the results go back into regs (IX, IY, SP
    // reduced to 16 bits, the flags unpacked) and into the register save
    // area $0000-$0008.
    void execute(CpuRegisters& regs, const uint8_t instr[5])
    {
        int16_t a = regs.A, b = regs.B, ccr = regs.CCR;
        int32_t ix = regs.IX, iy = regs.IY, sp = regs.SP;
        korvex_.Step(&a, &b, &ix, &iy, &sp, &ccr, instr[0], instr[1], instr[2], instr[3], instr[4]);
        ix &= 0xFFFF;
        iy &= 0xFFFF;
        sp &= 0xFFFF;
        storeResults(regs, a, b, ccr, ix, iy, sp);
        storeSaveArea(mem_.get(), a, b, ix, iy, sp, ccr);
    }

    // What Korvex handed back (IX, IY, SP already reduced to 16 bits) into
    // the register record, the flags unpacked.
    static void storeResults(CpuRegisters& regs, int16_t a, int16_t b, int16_t ccr, int32_t ix, int32_t iy,
                             int32_t sp)
    {
        regs.A = static_cast<uint8_t>(a);
        regs.B = static_cast<uint8_t>(b);
        regs.IX = ix;
        regs.IY = iy;
        regs.SP = sp;
        regs.CCR = static_cast<uint8_t>(ccr);
        std::memcpy(&regs.C, detail::flagTable.flags[regs.CCR].data(), 8);
    }

    // The register save area $0000-$0008: A, B, IX, IY, SP big-endian, CCR
    // (IX, IY, SP reduced to 16 bits).
    static void storeSaveArea(uint8_t* m, int16_t a, int16_t b, int32_t ix, int32_t iy, int32_t sp, int16_t ccr)
    {
        if constexpr (std::endian::native == std::endian::little) {
            const uint64_t packed = uint64_t(static_cast<uint8_t>(a)) | uint64_t(static_cast<uint8_t>(b)) << 8
                                  | uint64_t(__builtin_bswap16(static_cast<uint16_t>(ix))) << 16
                                  | uint64_t(__builtin_bswap16(static_cast<uint16_t>(iy))) << 32
                                  | uint64_t(__builtin_bswap16(static_cast<uint16_t>(sp))) << 48;
            std::memcpy(m, &packed, 8);
        } else {
            m[0] = static_cast<uint8_t>(a);
            m[1] = static_cast<uint8_t>(b);
            m[2] = static_cast<uint8_t>(ix >> 8);
            m[3] = static_cast<uint8_t>(ix);
            m[4] = static_cast<uint8_t>(iy >> 8);
            m[5] = static_cast<uint8_t>(iy);
            m[6] = static_cast<uint8_t>(sp >> 8);
            m[7] = static_cast<uint8_t>(sp);
        }
        m[8] = static_cast<uint8_t>(ccr);
    }

    // The memory image, $0000-$FFFF, initially all zero.
    uint8_t* image() { return mem_.get(); }
    const uint8_t* image() const { return mem_.get(); }
    uint8_t peek(int32_t address) const { return mem_[static_cast<uint32_t>(address) & 0xFFFF]; }
    void poke(int32_t address, uint8_t value);

    // The input-output unit. While active (its View item is checked), the
    // program's read of $6001 clears $6000 and its write of $6003 sets $6002
    // and shows the byte (see IoUnit).
    void setIoUnit(IoUnit* unit) { io_ = unit; }
    IoUnit* ioUnit() const { return io_; }
    void setIoActive(bool active) { ioActive_ = active; }
    bool ioActive() const { return ioActive_; }

    Korvex& korvex() { return korvex_; }

    // A watch (null: none) gets Korvex's second pair of callbacks, which
    // tell it of every access while armed; without one the plain pair runs
    // with no check at all.
    void setWatch(MemoryWatch* watch)
    {
        if (watch != watch_)
            installWatch(watch);
    }
    MemoryWatch* watch() const { return watch_; }
    void armWatch(bool armed) { armed_ = armed && watch_; }
    bool watchArmed() const { return armed_; }

private:
    static void readMemory(void* user, int32_t address, int16_t* value);
    static void writeMemory(void* user, int32_t address, int16_t value);
    void installWatch(MemoryWatch* watch);
    static void readMemoryWatched(void* user, int32_t address, int16_t* value);
    static void writeMemoryWatched(void* user, int32_t address, int16_t value);
    void ioRead(uint32_t address, int16_t* value);
    void ioWrite(uint32_t address, uint8_t value);
    void copyIn(int32_t address, const uint8_t* data, int count);

    std::unique_ptr<uint8_t[]> mem_;
    IoUnit* io_ = nullptr;
    bool ioActive_ = false;
    MemoryWatch* watch_ = nullptr;
    bool armed_ = false;
    Korvex korvex_;
};

} // namespace zelk
