// The simulator target (see SimulatorTarget.h).
#include "link/SimulatorTarget.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstring>

namespace zelk {

namespace {

// The eight CCR flags of CpuRegisters for every CCR value, so that a step
// stores them in one 8-byte copy instead of eight shifts and masks.
struct FlagTable {
    std::array<std::array<bool, 8>, 256> flags{};
    constexpr FlagTable()
    {
        for (int v = 0; v < 256; ++v)
            for (int bit = 0; bit < 8; ++bit)
                flags[v][bit] = (v >> bit) & 1;
    }
};
constexpr FlagTable flagTable;

static_assert(offsetof(CpuRegisters, S) - offsetof(CpuRegisters, C) == 7,
              "the CCR flags of CpuRegisters must be eight adjacent booleans, C first");

constexpr uint32_t InFresh = 0x6000;
constexpr uint32_t InData = 0x6001;
constexpr uint32_t OutFresh = 0x6002;
constexpr uint32_t OutData = 0x6003;

} // namespace

SimulatorTarget::SimulatorTarget() : mem_(new uint8_t[ImageSize]())
{
    korvex_.setCallbacks(&SimulatorTarget::readMemory, &SimulatorTarget::writeMemory, this);
}

void SimulatorTarget::readMemory(void* user, int32_t address, int16_t* value)
{
    auto* self = static_cast<SimulatorTarget*>(user);
    const uint32_t a = static_cast<uint32_t>(address) & 0xFFFF;
    if ((a & 0xFFFC) == 0x6000 && self->ioActive_) [[unlikely]] {
        self->ioRead(a, value);
        return;
    }
    *value = self->mem_[a];
}

void SimulatorTarget::writeMemory(void* user, int32_t address, int16_t value)
{
    auto* self = static_cast<SimulatorTarget*>(user);
    const uint32_t a = static_cast<uint32_t>(address) & 0xFFFF;
    const uint8_t v = static_cast<uint8_t>(value);
    self->mem_[a] = v;
    if (a == OutData && self->ioActive_) [[unlikely]]
        self->ioWrite(a, v);
}

void SimulatorTarget::ioRead(uint32_t address, int16_t* value)
{
    if (io_ && address <= InData)
        io_->beforeRead(static_cast<int32_t>(address));
    *value = mem_[address];
    if (address == InData) {
        // Reading the input register consumes the fresh input.
        poke(InFresh, 0);
        if (io_)
            io_->setInFresh(0);
    }
}

void SimulatorTarget::ioWrite(uint32_t /*address*/, uint8_t value)
{
    poke(OutFresh, 1);
    if (io_) {
        io_->setOutDataRegister(value);
        io_->setOutFresh(1);
    }
}

void SimulatorTarget::poke(int32_t address, uint8_t value)
{
    const uint32_t a = static_cast<uint32_t>(address) & 0xFFFF;
    mem_[a] = value;
}

bool SimulatorTarget::read(int32_t address, uint8_t* out, int count, bool /*codeWindow*/)
{
    const uint32_t a = static_cast<uint32_t>(address) & 0xFFFF;
    if (count <= 0)
        return true;
    if (a + static_cast<uint32_t>(count) <= ImageSize) {
        std::memcpy(out, mem_.get() + a, static_cast<size_t>(count));
    } else {
        for (int i = 0; i < count; ++i)
            out[i] = mem_[(a + static_cast<uint32_t>(i)) & 0xFFFF];
    }
    return true;
}

void SimulatorTarget::copyIn(int32_t address, const uint8_t* data, int count)
{
    const uint32_t a = static_cast<uint32_t>(address) & 0xFFFF;
    if (count <= 0)
        return;
    for (int i = 0; i < count; ++i)
        mem_[(a + static_cast<uint32_t>(i)) & 0xFFFF] = data[i];
}

bool SimulatorTarget::write(int32_t address, const uint8_t* data, int count)
{
    copyIn(address, data, count);
    return true;
}

bool SimulatorTarget::program(int32_t address, const uint8_t* data, int count)
{
    copyIn(address, data, count);
    return true;
}

bool SimulatorTarget::erase()
{
    std::memset(mem_.get() + 0xE000, 0xFF, 0x2000);
    return true;
}

bool SimulatorTarget::step(CpuRegisters& regs, const uint8_t instr[5], StepKind /*kind*/)
{
    int16_t a = regs.A, b = regs.B, ccr = regs.CCR;
    int32_t ix = regs.IX, iy = regs.IY, sp = regs.SP;
    korvex_.Step(&a, &b, &ix, &iy, &sp, &ccr, instr[0], instr[1], instr[2], instr[3], instr[4]);

    regs.A = static_cast<uint8_t>(a);
    regs.B = static_cast<uint8_t>(b);
    regs.IX = ix & 0xFFFF;
    regs.IY = iy & 0xFFFF;
    regs.SP = sp & 0xFFFF;
    regs.CCR = static_cast<uint8_t>(ccr);
    std::memcpy(&regs.C, flagTable.flags[regs.CCR].data(), 8);

    // Register save area $0000-$0008: A, B, IX, IY, SP big-endian, CCR.
    uint8_t* m = mem_.get();
    if constexpr (std::endian::native == std::endian::little) {
        const uint64_t packed = uint64_t(regs.A) | uint64_t(regs.B) << 8
                              | uint64_t(__builtin_bswap16(static_cast<uint16_t>(regs.IX))) << 16
                              | uint64_t(__builtin_bswap16(static_cast<uint16_t>(regs.IY))) << 32
                              | uint64_t(__builtin_bswap16(static_cast<uint16_t>(regs.SP))) << 48;
        std::memcpy(m, &packed, 8);
        m[8] = regs.CCR;
    } else {
        regs.storeSaveArea(m);
    }
    return true;
}

} // namespace zelk
