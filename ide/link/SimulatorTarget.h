// The simulator target: the 64 KB memory image and the Korvex CPU that runs
// against it. It answers Korvex's memory callbacks from the image, with the
// input-output unit's rules at $6001 and $6003, and, while the on-chip
// peripherals are simulated, from the peripheral model at $1000-$103F (the
// program's accesses through Korvex's callbacks, the views' through read and
// write; the image's own 64 bytes there are then left alone).
#pragma once

#include "link/IoUnit.h"
#include "link/Target.h"
#include "link/chip/OnChip.h"

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
    // executes the instruction whose bytes code holds (code[0] the opcode,
    // as many bytes as the instruction has) with regs; the results go back
    // into regs (the flags unpacked) and into the register save area
    // $0000-$0008.
    void execute(CpuRegisters& regs, const uint8_t* code)
    {
        KorvexRegisters r = record(regs);
        korvex_.execute(r, code);
        storeResults(regs, r);
        storeSaveArea(mem_.get(), r);
    }

    // Korvex's register record for regs (its PC field holds regs.PC).
    static KorvexRegisters record(const CpuRegisters& regs)
    {
        return KorvexRegisters{regs.A, regs.B, regs.CCR, static_cast<uint16_t>(regs.IX),
                               static_cast<uint16_t>(regs.IY), static_cast<uint16_t>(regs.SP),
                               static_cast<uint16_t>(regs.PC)};
    }

    // What Korvex handed back into the register record, the flags unpacked
    // (PC is the caller's).
    static void storeResults(CpuRegisters& regs, const KorvexRegisters& r)
    {
        regs.A = r.a;
        regs.B = r.b;
        regs.IX = r.ix;
        regs.IY = r.iy;
        regs.SP = r.sp;
        regs.CCR = r.ccr;
        std::memcpy(&regs.C, detail::flagTable.flags[regs.CCR].data(), 8);
    }

    // The register save area $0000-$0008: A, B, IX, IY, SP big-endian, CCR.
    static void storeSaveArea(uint8_t* m, const KorvexRegisters& r)
    {
        if constexpr (std::endian::native == std::endian::little) {
            const uint64_t packed = uint64_t(r.a) | uint64_t(r.b) << 8 | uint64_t(__builtin_bswap16(r.ix)) << 16 |
                                    uint64_t(__builtin_bswap16(r.iy)) << 32 | uint64_t(__builtin_bswap16(r.sp)) << 48;
            std::memcpy(m, &packed, 8);
        } else {
            m[0] = r.a;
            m[1] = r.b;
            m[2] = static_cast<uint8_t>(r.ix >> 8);
            m[3] = static_cast<uint8_t>(r.ix);
            m[4] = static_cast<uint8_t>(r.iy >> 8);
            m[5] = static_cast<uint8_t>(r.iy);
            m[6] = static_cast<uint8_t>(r.sp >> 8);
            m[7] = static_cast<uint8_t>(r.sp);
        }
        m[8] = r.ccr;
    }

    // Whether Korvex may read the instruction at pc straight from the image:
    // its five bytes do not wrap past $FFFF, and none lies in $6000-$6003,
    // where a data read of the same instruction can change the image (the
    // I/O unit) before Korvex reads its last bytes.
    static bool codeInPlace(int32_t pc)
    {
        return pc <= 0xFFFB && static_cast<uint32_t>(pc - 0x5FFC) >= 8;
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
    void setIoActive(bool active)
    {
        ioActive_ = active;
        routeMemory();
    }
    bool ioActive() const { return ioActive_; }

    Korvex& korvex() { return korvex_; }

    // ---- On-chip peripherals (off until switched on) -----------------------
    // On: the register block is the peripheral model's and the CPU's traps
    // (SWI, WAI, STOP, the illegal opcodes) are run control's. Switching on
    // resets the model; switching off leaves its 64 register bytes in the
    // image as plain memory.
    void setPeripherals(bool on);
    bool peripherals() const { return chip_.enabled(); }
    // Per page-1 opcode, what trapsAt looks at: 0 for one Korvex executes.
    const uint8_t* trapTable() const { return traps_; }
    OnChip& chip() { return chip_; }
    // Whether the instruction at pc is one that run control handles itself
    // while the peripherals are simulated (TEST, TAP, WAI, SWI, STOP and
    // every undefined opcode); always false while they are not.
    bool trapsAt(int32_t pc) const
    {
        const uint8_t opcode = mem_[static_cast<uint32_t>(pc) & 0xFFFF];
        const uint8_t kind = traps_[opcode];
        if (kind == 0) [[likely]]
            return false;
        if (kind == 1)
            return true;
        return trapPages_[kind - 2][mem_[static_cast<uint32_t>(pc + 1) & 0xFFFF]] != 0;
    }
    // The program's read of a register-block byte (address in $1000-$103F
    // while the peripherals are on), for run control's own operand reads.
    bool chipAddress(int32_t address) const { return (static_cast<uint32_t>(address) & 0xFFC0) == chipBase_; }
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
    void routeMemory();
    static void readMemoryWatched(void* user, int32_t address, int16_t* value);
    static void writeMemoryWatched(void* user, int32_t address, int16_t value);
    void ioRead(uint32_t address, int16_t* value);
    void ioWrite(uint32_t address, uint8_t value);
    void copyIn(int32_t address, const uint8_t* data, int count);

    std::unique_ptr<uint8_t[]> mem_;
    IoUnit* io_ = nullptr;
    bool ioActive_ = false;
    OnChip chip_;
    // $1000 while the peripherals are on, else an address no access has.
    uint32_t chipBase_ = 0xFFFFFFFF;
    // Per page-1 opcode: 0 plain, 1 trap, 2.. a prefix whose page (in
    // trapPages_) says. All zero while the peripherals are off.
    const uint8_t* traps_;
    const uint8_t (*trapPages_)[256];
    MemoryWatch* watch_ = nullptr;
    bool armed_ = false;
    Korvex korvex_;
};

} // namespace zelk
