// The simulator target (see SimulatorTarget.h).
#include "link/SimulatorTarget.h"

#include <cstring>

namespace zelk {

namespace {

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

void SimulatorTarget::readMemoryWatched(void* user, int32_t address, int16_t* value)
{
    auto* self = static_cast<SimulatorTarget*>(user);
    if (self->armed_)
        self->watch_->programRead(static_cast<uint32_t>(address) & 0xFFFF);
    readMemory(user, address, value);
}

void SimulatorTarget::writeMemoryWatched(void* user, int32_t address, int16_t value)
{
    auto* self = static_cast<SimulatorTarget*>(user);
    if (self->armed_) {
        const uint32_t a = static_cast<uint32_t>(address) & 0xFFFF;
        self->watch_->programWrite(a, self->mem_[a]);
    }
    writeMemory(user, address, value);
}

void SimulatorTarget::installWatch(MemoryWatch* watch)
{
    watch_ = watch;
    armed_ = false;
    if (watch)
        korvex_.setCallbacks(&SimulatorTarget::readMemoryWatched, &SimulatorTarget::writeMemoryWatched, this);
    else
        korvex_.setCallbacks(&SimulatorTarget::readMemory, &SimulatorTarget::writeMemory, this);
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
    if (armed_) [[unlikely]]
        watch_->store(a, mem_[a]);
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
    for (int i = 0; i < count; ++i) {
        const uint32_t at = (a + static_cast<uint32_t>(i)) & 0xFFFF;
        if (armed_) [[unlikely]]
            watch_->store(at, mem_[at]);
        mem_[at] = data[i];
    }
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
    execute(regs, instr);
    return true;
}

} // namespace zelk
