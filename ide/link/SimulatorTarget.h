// The simulator target: the 64 KB memory image and the Korvex CPU that runs
// against it. It answers Korvex's memory callbacks from the image, with the
// input-output unit's rules at $6001 and $6003.
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

private:
    static void readMemory(void* user, int32_t address, int16_t* value);
    static void writeMemory(void* user, int32_t address, int16_t value);
    void ioRead(uint32_t address, int16_t* value);
    void ioWrite(uint32_t address, uint8_t value);
    void copyIn(int32_t address, const uint8_t* data, int count);

    std::unique_ptr<uint8_t[]> mem_;
    IoUnit* io_ = nullptr;
    bool ioActive_ = false;
    Korvex korvex_;
};

} // namespace zelk
