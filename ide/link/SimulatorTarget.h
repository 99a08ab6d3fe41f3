// The simulator target: the 64 KB memory image and the Korvex CPU that runs
// against it. It answers Korvex's memory callbacks from the image, with the
// input-output unit's rules at $6001 and $6003, and it notices writes that
// change the bytes run control is decoding from (see watchCodeWindow).
#pragma once

#include "link/IoUnit.h"
#include "link/Target.h"

#include "Korvex.hpp"

#include <cstdint>
#include <memory>

namespace zelk {

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

    // The memory image, $0000-$FFFF, initially all zero. Writes made through
    // this pointer are not seen by watchCodeWindow: use poke() for those.
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

    // Run control decodes from a 256-byte copy of the image. watchCodeWindow
    // names the copy's base and clears the dirty mark; any later write into
    // base..base+255 (by the program, a view or a download) sets it again.
    void watchCodeWindow(int32_t base);
    bool codeWindowDirty() const { return !watchIntact_; }
    // The flag behind codeWindowDirty(), inverted, for a caller that tests
    // it every step: true while the watched bytes are unchanged.
    const bool* codeWindowIntactFlag() const { return &watchIntact_; }

    Korvex& korvex() { return korvex_; }

private:
    static void readMemory(void* user, int32_t address, int16_t* value);
    static void writeMemory(void* user, int32_t address, int16_t value);
    void ioRead(uint32_t address, int16_t* value);
    void ioWrite(uint32_t address, uint8_t value);
    void touched(uint32_t address, int count)
    {
        if (((address - watchBase_) & 0xFFFF) < 256 || ((watchBase_ - address) & 0xFFFF) < static_cast<uint32_t>(count))
            watchIntact_ = false;
    }
    void copyIn(int32_t address, const uint8_t* data, int count);

    std::unique_ptr<uint8_t[]> mem_;
    IoUnit* io_ = nullptr;
    bool ioActive_ = false;
    uint32_t watchBase_ = 0;
    bool watchIntact_ = false;
    bool watchSaveArea_ = true;  // the watched copy overlaps $0000-$0008
    Korvex korvex_;
};

} // namespace zelk
