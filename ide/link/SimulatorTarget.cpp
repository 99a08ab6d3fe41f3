// The simulator target (see SimulatorTarget.h).
#include "link/SimulatorTarget.h"

#include "code/InstructionSet.h"

#include <cstring>

namespace zelk {

namespace {

// Which opcodes trap while the peripherals are on: TEST and the undefined
// opcodes (illegal-opcode trap), SWI, WAI, STOP and TAP (which may clear X).
struct TrapTables {
    uint8_t none[256] = {};
    uint8_t page1[256] = {};
    uint8_t prefixed[3][256] = {};
    TrapTables()
    {
        for (int op = 0; op < 256; ++op)
            page1[op] = findInstruction(0, static_cast<uint8_t>(op)) ? 0 : 1;
        for (uint8_t op : {0x06, 0x3E, 0x3F, 0xCF})
            page1[op] = 1;
        const uint8_t prefixes[3] = {0x18, 0x1A, 0xCD};
        for (int p = 0; p < 3; ++p) {
            page1[prefixes[p]] = static_cast<uint8_t>(2 + p);
            for (int op = 0; op < 256; ++op)
                prefixed[p][op] = findInstruction(prefixes[p], static_cast<uint8_t>(op)) ? 0 : 1;
        }
    }
};

const TrapTables& trapTables()
{
    static const TrapTables tables;
    return tables;
}

constexpr uint32_t InFresh = 0x6000;
constexpr uint32_t InData = 0x6001;
constexpr uint32_t OutFresh = 0x6002;
constexpr uint32_t OutData = 0x6003;

} // namespace

SimulatorTarget::SimulatorTarget() : mem_(new uint8_t[ImageSize]())
{
    traps_ = trapTables().none;
    trapPages_ = trapTables().prefixed;
    korvex_.setCallbacks(&SimulatorTarget::readMemory, &SimulatorTarget::writeMemory, this);
    routeMemory();
}

// Korvex reads and writes the image itself except where the callbacks do
// more than that: the register block's page while the peripherals are on,
// the I/O unit's page while it is active, and every page while a watch is
// installed (it must hear of each access).
void SimulatorTarget::routeMemory()
{
    if (watch_) {
        korvex_.setDirectMemory(nullptr, nullptr);
        return;
    }
    uint8_t viaCallbacks[256] = {};
    if (chipBase_ != 0xFFFFFFFFu)
        viaCallbacks[chipBase_ >> 8] = 1;
    if (ioActive_)
        viaCallbacks[InFresh >> 8] = 1;
    korvex_.setDirectMemory(mem_.get(), viaCallbacks);
}

void SimulatorTarget::setPeripherals(bool on)
{
    if (!on && chip_.enabled()) {
        chip_.catchUp();
        for (uint8_t i = 0; i < 64; ++i)
            mem_[OnChip::Base + i] = chip_.peek(i);
    }
    chip_.setEnabled(on);
    chipBase_ = on ? static_cast<uint32_t>(OnChip::Base) : 0xFFFFFFFFu;
    traps_ = on ? trapTables().page1 : trapTables().none;
    routeMemory();
}

void SimulatorTarget::readMemory(void* user, int32_t address, int16_t* value)
{
    auto* self = static_cast<SimulatorTarget*>(user);
    const uint32_t a = static_cast<uint32_t>(address) & 0xFFFF;
    if ((a & 0xFFC0) == self->chipBase_) [[unlikely]] {
        *value = self->chip_.cpuRead(static_cast<uint8_t>(a));
        return;
    }
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
    if ((a & 0xFFC0) == self->chipBase_) [[unlikely]] {
        self->chip_.cpuWrite(static_cast<uint8_t>(a), v);
        return;
    }
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
    routeMemory();
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
    if (chipBase_ != 0xFFFFFFFFu) {
        // The register block as the model has it now.
        bool caughtUp = false;
        for (int i = 0; i < count; ++i) {
            const uint32_t at = (a + static_cast<uint32_t>(i)) & 0xFFFF;
            if ((at & 0xFFC0) != chipBase_)
                continue;
            if (!caughtUp) {
                chip_.catchUp();
                caughtUp = true;
            }
            out[i] = chip_.peek(static_cast<uint8_t>(at));
        }
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
        if ((at & 0xFFC0) == chipBase_)
            chip_.hostWrite(static_cast<uint8_t>(at), data[i]);
        else
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
