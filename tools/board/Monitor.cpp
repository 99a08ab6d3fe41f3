// The virtual board's monitor: frame handling, memory rules, the SCI model
// and the CPU loop for steps and free runs.
#include "Monitor.h"

#include "code/OpcodeFacts.h"
#include "korvex.h"

namespace zelk::board {

namespace {

bool branchTaken(uint8_t opcode, int16_t ccr)
{
    // The CCR's low nibble is C + 2V + 4Z + 8N, the index the table uses.
    return (branchConditions[opcode & 15] >> (ccr & 0x0F)) & 1;
}

} // namespace

Registers registersFrom(std::span<const uint8_t, 9> b)
{
    Registers r;
    r.a = b[0];
    r.b = b[1];
    r.ix = static_cast<uint16_t>(b[2] << 8 | b[3]);
    r.iy = static_cast<uint16_t>(b[4] << 8 | b[5]);
    r.sp = static_cast<uint16_t>(b[6] << 8 | b[7]);
    r.ccr = b[8];
    return r;
}

std::array<uint8_t, 9> registerBytes(const Registers& r)
{
    return {r.a,
            r.b,
            static_cast<uint8_t>(r.ix >> 8),
            static_cast<uint8_t>(r.ix),
            static_cast<uint8_t>(r.iy >> 8),
            static_cast<uint8_t>(r.iy),
            static_cast<uint8_t>(r.sp >> 8),
            static_cast<uint8_t>(r.sp),
            r.ccr};
}

Monitor::Monitor(uint64_t stepLimit) : cpu_(korvexCreate()), stepLimit_(stepLimit)
{
    // Erased flash reads $FF; RAM starts cleared.
    for (uint32_t a = FlashStart; a <= 0xFFFF; ++a)
        mem_[a] = 0xFF;
    korvexSetCallbacks(cpu_, &Monitor::readHook, &Monitor::writeHook, this);
}

Monitor::~Monitor() { korvexDestroy(cpu_); }

uint16_t Monitor::pc() const { return static_cast<uint16_t>(korvexGetPC(cpu_)); }

uint8_t Monitor::scsr() const
{
    uint8_t v = 0;
    if (lineBacklog_ + tx_.size() < SciTxRoom)
        v |= SciTdre | SciTc;
    if (!rx_.empty())
        v |= SciRdrf;
    return v;
}

uint8_t Monitor::peek(uint16_t address) const
{
    return address == SCSR ? scsr() : mem_[address];
}

uint8_t Monitor::cpuRead(uint16_t address)
{
    if (address == SCSR)
        return scsr();
    if (address == SCDR && !rx_.empty()) {
        mem_[SCDR] = rx_.front();
        rx_.pop_front();
    }
    return mem_[address];
}

void Monitor::cpuWrite(uint16_t address, uint8_t value)
{
    if (address >= FlashStart || address == SCSR)
        return;  // flash is written only by the programming frame; SCSR is read-only
    if (address == SCDR) {
        // A byte written while the transmitter is full overruns, as on the
        // chip: it is lost rather than held without bound.
        if (lineBacklog_ + tx_.size() < SciTxRoom * 4)
            tx_.push_back(value);
        return;
    }
    mem_[address] = value;
}

void Monitor::readHook(void* user, int32_t address, int16_t* value)
{
    *value = static_cast<Monitor*>(user)->cpuRead(static_cast<uint16_t>(address));
}

void Monitor::writeHook(void* user, int32_t address, int16_t value)
{
    static_cast<Monitor*>(user)->cpuWrite(static_cast<uint16_t>(address), static_cast<uint8_t>(value));
}

std::vector<uint8_t> Monitor::takeSciOutput()
{
    std::vector<uint8_t> out;
    out.swap(tx_);
    return out;
}

void Monitor::saveRegisters()
{
    const auto bytes = registerBytes(regs_);
    for (size_t i = 0; i < bytes.size(); ++i)
        mem_[i] = bytes[i];
}

void Monitor::startAt(std::span<const uint8_t> frame, std::span<const uint8_t> slot)
{
    regs_ = registersFrom(frame.subspan<1, 9>());
    saveRegisters();
    for (size_t i = 0; i < slot.size(); ++i)
        mem_[SlotAddress + i] = slot[i];
    korvexSetPC(cpu_, SlotAddress);
    stepDone_ = 0;
    parked_ = false;
}

std::vector<uint8_t> Monitor::handleFrame(FrameKind kind, std::span<const uint8_t> f)
{
    if (state_ != State::Idle)
        return {};
    const uint16_t address = f.size() >= 3 ? static_cast<uint16_t>(f[1] << 8 | f[2]) : 0;
    switch (kind) {
    case FrameKind::Read: {
        const int n = countOf(f[3]);
        std::vector<uint8_t> reply;
        reply.reserve(static_cast<size_t>(n) + 2);
        reply.push_back('r');
        for (int i = 0; i < n; ++i)
            reply.push_back(peek(static_cast<uint16_t>(address + i)));
        appendChecksum(reply);
        return reply;
    }
    case FrameKind::Write: {
        const int n = countOf(f[3]);
        for (int i = 0; i < n; ++i) {
            const uint16_t a = static_cast<uint16_t>(address + i);
            if (a < FlashStart)
                mem_[a] = f[4 + static_cast<size_t>(i)];
        }
        return {Ack};
    }
    case FrameKind::Program: {
        const int n = countOf(f[3]);
        for (int i = 0; i < n; ++i) {
            const uint16_t a = static_cast<uint16_t>(address + i);
            const uint8_t v = f[4 + static_cast<size_t>(i)];
            mem_[a] = a >= FlashStart ? static_cast<uint8_t>(mem_[a] & v) : v;
        }
        return {Ack};
    }
    case FrameKind::Erase:
        for (uint32_t a = FlashStart; a <= 0xFFFF; ++a)
            mem_[a] = 0xFF;
        return {Ack};
    case FrameKind::Run:
        startAt(f, f.subspan(10, 3));
        state_ = State::Running;
        return {Ack};
    case FrameKind::Step:
        startAt(f, f.subspan(10, 4));
        state_ = State::Stepping;
        return {};
    }
    return {};
}

Monitor::Slice Monitor::run(uint64_t maxInstructions, uint64_t maxCycles)
{
    Slice s;
    if (state_ == State::Idle || parked_)
        return s;
    int16_t a = regs_.a, b = regs_.b, ccr = regs_.ccr;
    int32_t ix = regs_.ix, iy = regs_.iy, sp = regs_.sp;
    const bool stepping = state_ == State::Stepping;
    while (s.instructions < maxInstructions && s.cycles < maxCycles) {
        const uint16_t pc = static_cast<uint16_t>(korvexGetPC(cpu_));
        if (stepping && (pc == ReturnTrap || stepDone_ >= stepLimit_)) {
            s.stepEnded = true;
            s.stepCut = pc != ReturnTrap;
            break;
        }
        uint8_t in[5];
        for (int i = 0; i < 5; ++i)
            in[i] = mem_[static_cast<uint16_t>(pc + i)];
        // A taken branch to itself (BRA *, or BEQ * with Z set) or JMP * in
        // a free run: no interrupts are modelled and the flags cannot
        // change, so the program can never leave it.
        if (!stepping && ((in[0] >= 0x20 && in[0] <= 0x2F && in[1] == 0xFE && branchTaken(in[0], ccr)) ||
                          (in[0] == 0x7E && in[1] == static_cast<uint8_t>(pc >> 8) && in[2] == static_cast<uint8_t>(pc)))) {
            parked_ = true;
            break;
        }
        const uint8_t page = prefixPage[in[0]];
        const OpcodeFacts& facts = page ? opcodeFacts[page][in[1]] : opcodeFacts[0][in[0]];
        s.cycles += facts.cycles ? facts.cycles : 2;
        korvexStep(cpu_, &a, &b, &ix, &iy, &sp, &ccr, in[0], in[1], in[2], in[3], in[4]);
        korvexSetPC(cpu_, korvexGetPC(cpu_) & 0xFFFF);
        ++s.instructions;
        ++stepDone_;
    }
    regs_.a = static_cast<uint8_t>(a);
    regs_.b = static_cast<uint8_t>(b);
    regs_.ccr = static_cast<uint8_t>(ccr);
    regs_.ix = static_cast<uint16_t>(ix);
    regs_.iy = static_cast<uint16_t>(iy);
    regs_.sp = static_cast<uint16_t>(sp);
    if (stepping && !s.stepEnded) {
        const uint16_t pc = static_cast<uint16_t>(korvexGetPC(cpu_));
        if (pc == ReturnTrap || stepDone_ >= stepLimit_) {
            s.stepEnded = true;
            s.stepCut = pc != ReturnTrap;
        }
    }
    if (s.stepEnded) {
        saveRegisters();
        stepReply_.clear();
        stepReply_.push_back('s');
        for (uint8_t v : registerBytes(regs_))
            stepReply_.push_back(v);
        appendChecksum(stepReply_);
        state_ = State::Idle;
    }
    return s;
}

std::vector<uint8_t> Monitor::takeStepReply()
{
    std::vector<uint8_t> r;
    r.swap(stepReply_);
    return r;
}

void Monitor::reset()
{
    state_ = State::Idle;
    parked_ = false;
    stepReply_.clear();
    rx_.clear();
    stepDone_ = 0;
}

} // namespace zelk::board
