// The step history behind Step Back and Run Back: a bounded ring of compact
// records, one per executed step, that hold only what the step changed: the
// old PC and the step's cycles always, the old value of each other register
// (A, B, IX, IY, SP, CCR with the eight flags as the record held them) only
// when the step changed it, the old value of every memory byte it wrote, and,
// when the on-chip peripherals took part (an event fell due, a trap or an
// interrupt entry, an access to their registers), a snapshot of their state.
// Otherwise their time simply goes back by the step's cycles. Undoing the
// newest record restores the registers, the counter and the save area, then
// puts the bytes back newest first, so the machine is exactly as it was
// before the step. When the ring is full the oldest record is dropped.
#pragma once

#include "link/CpuRegisters.h"
#include "link/chip/OnChip.h"

#include <bit>
#include <cstddef>
#include <cstring>
#include <cstdint>
#include <deque>
#include <vector>

namespace zelk {

// The registers of one step as its record keeps them: the eight flags one
// per byte, C first, as CpuRegisters holds them (they may disagree with CCR).
struct StepRegs {
    int32_t ix = 0, iy = 0, sp = 0, pc = 0;
    uint64_t flags = 0;
    uint8_t a = 0, b = 0, ccr = 0;
};

namespace history_detail {


inline void unpackFlags(CpuRegisters& r, uint8_t f)
{
    r.C = f & 0x01; r.V = f & 0x02; r.Z = f & 0x04; r.N = f & 0x08;
    r.I = f & 0x10; r.H = f & 0x20; r.X = f & 0x40; r.S = f & 0x80;
}

// The eight flags as one word, to compare them in one go.
inline uint64_t flagBits(const CpuRegisters& r)
{
    uint64_t bits;
    std::memcpy(&bits, &r.C, 8);
    return bits;
}

// The eight flags of flagBits as one byte, C in bit 0 to S in bit 7 (as
// CCR holds them).
inline uint8_t packFlags(uint64_t bits)
{
    uint8_t f[8];
    std::memcpy(f, &bits, 8);
    return static_cast<uint8_t>(f[0] | f[1] << 1 | f[2] << 2 | f[3] << 3 | f[4] << 4 | f[5] << 5 | f[6] << 6 |
                                f[7] << 7);
}

inline StepRegs stepRegs(const CpuRegisters& r)
{
    return StepRegs{r.IX, r.IY, r.SP, r.PC, flagBits(r), r.A, r.B, r.CCR};
}

// Whether the save area $0000-$0008 holds the registers' image already (as
// after every simulated step).
inline bool saveAreaMatches(const StepRegs& r, const uint8_t* image)
{
    if constexpr (std::endian::native == std::endian::little) {
        const uint64_t packed = uint64_t(r.a) | uint64_t(r.b) << 8 |
                                uint64_t(__builtin_bswap16(static_cast<uint16_t>(r.ix))) << 16 |
                                uint64_t(__builtin_bswap16(static_cast<uint16_t>(r.iy))) << 32 |
                                uint64_t(__builtin_bswap16(static_cast<uint16_t>(r.sp))) << 48;
        uint64_t held;
        std::memcpy(&held, image, 8);
        return held == packed && image[8] == r.ccr;
    } else {
        const uint8_t area[9] = {r.a, r.b, static_cast<uint8_t>(r.ix >> 8), static_cast<uint8_t>(r.ix),
                                 static_cast<uint8_t>(r.iy >> 8), static_cast<uint8_t>(r.iy),
                                 static_cast<uint8_t>(r.sp >> 8), static_cast<uint8_t>(r.sp), r.ccr};
        return std::memcmp(area, image, 9) == 0;
    }
}

} // namespace history_detail

class StepHistory {
public:
    static constexpr size_t DefaultCapacity = 1000000;
    static constexpr size_t MaxCapacity = 100000000;

    explicit StepHistory(size_t capacity = DefaultCapacity);

    // At most capacity records are kept (0 = the history is off: begin()
    // records nothing). A smaller capacity drops the oldest records.
    void setCapacity(size_t capacity);
    size_t capacity() const { return capacity_; }
    bool enabled() const { return capacity_ != 0; }

    size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    // Records dropped from the old end since the last clear().
    uint64_t dropped() const { return dropped_; }

    // Opens the record of the next step: the state before it. image is the
    // 64 KB image (its save area $0000-$0008 is kept when it differs from
    // the registers' image, which a simulated step rewrites).
    [[gnu::always_inline]] void begin(const CpuRegisters& regs, uint32_t clock, const uint8_t* image)
    {
        begin(history_detail::stepRegs(regs), clock, image);
    }
    // The same for registers held as a step record (the run loop's own).
    [[gnu::always_inline]] void begin(const StepRegs& regs, uint32_t clock, const uint8_t* image)
    {
        if (capacity_ == 0) {
            open_ = false;
            return;
        }
        record(regs, clock, image);
    }
    // The step is about to store into address, which holds old now.
    void noteWrite(uint32_t address, uint8_t old)
    {
        if (!open_ || writes_ == MaxWrites) [[unlikely]]
            return;
        if (pos_ - start_ + 3 + Reserve > buf_.size()) [[unlikely]]
            grow();
        const size_t m = buf_.size() - 1;
        buf_[pos_ & m] = static_cast<uint8_t>(address);
        buf_[(pos_ + 1) & m] = static_cast<uint8_t>(address >> 8);
        buf_[(pos_ + 2) & m] = old;
        pos_ += 3;
        ++writes_;
    }
    // The step reads (write false) or writes address as the program's data
    // access (what data breakpoints see); Run Back checks them.
    void noteAccess(uint32_t address, bool write)
    {
        if (!open_ || accessCount_ == MaxAccesses) [[unlikely]]
            return;
        accesses_[accessCount_++] = static_cast<uint16_t>(address) | (write ? 0x10000u : 0u);
    }
    // The peripherals' state before they change in the open step (only the
    // first call of a step keeps it).
    bool wantsChip() const { return open_ && !chipNoted_; }
    void noteChip(const OnChipState& state);
    // Closes the open record with the state after the step (later writes
    // are not the step's).
    [[gnu::always_inline]] void end(const CpuRegisters& regs, uint32_t clock)
    {
        if (open_)
            close(history_detail::stepRegs(regs), clock);
    }
    [[gnu::always_inline]] void end(const StepRegs& regs, uint32_t clock)
    {
        if (open_)
            close(regs, clock);
    }
    // Drops the open record again (the step did not happen).
    void cancel();

    // PC of the newest record (the instruction Step Back would undo).
    int32_t newestPC() const;
    // Undoes the newest record into regs, clock, image and (while they are
    // on) the peripherals; false when the history is empty.
    bool undo(CpuRegisters& regs, uint32_t& clock, uint8_t* image, OnChip* chip = nullptr);
    // The addresses the newest record's step wrote, newest first (the save
    // area's bytes kept by begin() included).
    // The data accesses of the newest record's step in the order noted:
    // f(address, write).
    template <class F>
    void forNewestAccesses(F f) const
    {
        if (count_ == 0)
            return;
        const Parsed p = parseNewest();
        for (uint64_t q = p.writesEnd; q < p.regsAt; q += 3) {
            const uint32_t a = at(q) | at(q + 1) << 8;
            f(a, (at(q + 2) & 1) != 0);
        }
    }
    void clear();

    // Memory in use by the records and the snapshots, in bytes.
    size_t memoryBytes() const;
    // The closed records' bytes, oldest first, and the peripherals'
    // snapshots they hold: what two runs that recorded alike share.
    std::vector<uint8_t> recordBytes() const;
    const std::deque<OnChipState>& chipSnapshots() const { return chips_; }

private:
    // Record layout, in writing order: a length byte; the writes (address
    // low, high, old value); the data accesses (address low, high, 1 for a
    // write, 0 for a read); the old values of the changed registers (A, B,
    // IX, IY, SP, CCR + flags); the old PC; the cycles (one byte, or four);
    // when the counter was changed from outside since the last step, its
    // value before this step and after the previous one; the number of
    // writes; the number of accesses; an extension byte; the header byte,
    // read first by undo.
    enum Header : uint8_t {
        HasA = 0x01, HasB = 0x02, HasIX = 0x04, HasIY = 0x08, HasSP = 0x10, HasCCR = 0x20, HasWrites = 0x40,
        HasExt = 0x80
    };
    enum Ext : uint8_t { LongCycles = 0x01, AbsoluteClock = 0x02, ChipSnapshot = 0x04, HasAccesses = 0x08 };
    // A record is at most this long (without its writes), so begin() makes
    // sure of this much room.
    static constexpr uint8_t MaxAccesses = 16;
    static constexpr size_t Reserve = 48 + 3 * MaxAccesses;
    static constexpr uint8_t MaxWrites = 40;

    struct Parsed {
        uint64_t start = 0;      // the length byte
        uint64_t writesEnd = 0;  // one past the last write
        uint8_t header = 0, ext = 0;
        uint32_t cycles = 0, clockBefore = 0, previousEnd = 0;
        uint16_t pc = 0;
        uint64_t regsAt = 0;     // the first register byte
    };
    Parsed parseNewest() const;
    void record(const StepRegs& regs, uint32_t clock, const uint8_t* image);
    void close(const StepRegs& regs, uint32_t clock);
    uint8_t at(uint64_t p) const { return buf_[p & (buf_.size() - 1)]; }
    void dropOldest();
    void grow();

    size_t capacity_;
    // Byte ring of the records (a power of two in size): start_ is the
    // oldest record's first byte, end_ one past the newest closed one, pos_
    // the open record's writing position. Positions only grow.
    std::vector<uint8_t> buf_;
    uint64_t start_ = 0, end_ = 0, pos_ = 0;
    size_t count_ = 0;
    std::deque<OnChipState> chips_;  // one per record with ChipSnapshot, oldest first
    // The open record's state before the step.
    StepRegs before_;
    uint32_t clockBefore_ = 0;
    uint8_t writes_ = 0;
    uint8_t accessCount_ = 0;
    uint32_t accesses_[MaxAccesses];  // address, bit 16 set for a write
    bool chipNoted_ = false;
    bool absolute_ = false;
    // The counter after the newest record's step.
    uint32_t lastEnd_ = 0;
    bool open_ = false;
    uint64_t dropped_ = 0;
};

// Every step passes here twice: kept inline in the run loop.
[[gnu::always_inline]] inline void StepHistory::record(const StepRegs& regs, uint32_t clock, const uint8_t* image)
{
    if (open_)
        cancel();
    if (count_ == capacity_) {
        if (chips_.empty()) [[likely]] {
            // The oldest record goes: its length byte says how far.
            start_ += buf_[start_ & (buf_.size() - 1)];
            --count_;
            ++dropped_;
        } else {
            dropOldest();
        }
    }
    if (buf_.empty() || end_ - start_ + Reserve > buf_.size())
        grow();
    // The length byte at end_ is set by close().
    pos_ = end_ + 1;
    before_ = regs;
    clockBefore_ = clock;
    writes_ = 0;
    accessCount_ = 0;
    chipNoted_ = false;
    absolute_ = count_ == 0 || clock != lastEnd_;
    open_ = true;
    if (!history_detail::saveAreaMatches(regs, image)) [[unlikely]]
        for (uint32_t a = 0; a < 9; ++a)
            noteWrite(a, image[a]);
}

[[gnu::always_inline]] inline void StepHistory::close(const StepRegs& regs, uint32_t clock)
{
    // Locals throughout: stores through the byte buffer could alias every
    // member otherwise.
    uint8_t* const buf = buf_.data();
    const size_t m = buf_.size() - 1;
    uint64_t p = pos_;
    auto put = [buf, m, &p](uint32_t v) { buf[p++ & m] = static_cast<uint8_t>(v); };
    const StepRegs& b = before_;
    uint32_t header = 0, ext = 0;
    for (uint32_t i = 0; i < accessCount_; ++i) {
        put(accesses_[i]);
        put(accesses_[i] >> 8);
        put(accesses_[i] >> 16);
    }
    if (b.a != regs.a) {
        header |= HasA;
        put(b.a);
    }
    if (b.b != regs.b) {
        header |= HasB;
        put(b.b);
    }
    if (b.ix != regs.ix) {
        header |= HasIX;
        put(static_cast<uint32_t>(b.ix));
        put(static_cast<uint32_t>(b.ix) >> 8);
    }
    if (b.iy != regs.iy) {
        header |= HasIY;
        put(static_cast<uint32_t>(b.iy));
        put(static_cast<uint32_t>(b.iy) >> 8);
    }
    if (b.sp != regs.sp) {
        header |= HasSP;
        put(static_cast<uint32_t>(b.sp));
        put(static_cast<uint32_t>(b.sp) >> 8);
    }
    if (b.ccr != regs.ccr || b.flags != regs.flags) {
        header |= HasCCR;
        put(b.ccr);
        put(history_detail::packFlags(b.flags));
    }
    put(static_cast<uint32_t>(b.pc));
    put(static_cast<uint32_t>(b.pc) >> 8);
    const uint32_t cycles = clock - clockBefore_;
    if (cycles < 0x100) [[likely]] {
        put(cycles);
    } else {
        ext |= LongCycles;
        for (int i = 0; i < 4; ++i)
            put(cycles >> (8 * i));
    }
    if (absolute_) [[unlikely]] {
        ext |= AbsoluteClock;
        for (int i = 0; i < 4; ++i)
            put(clockBefore_ >> (8 * i));
        for (int i = 0; i < 4; ++i)
            put(lastEnd_ >> (8 * i));
    }
    if (writes_) {
        header |= HasWrites;
        put(writes_);
    }
    if (accessCount_) {
        ext |= HasAccesses;
        put(accessCount_);
    }
    if (chipNoted_) [[unlikely]]
        ext |= ChipSnapshot;
    if (ext) {
        header |= HasExt;
        put(ext);
    }
    put(header);
    const uint64_t recordStart = end_;
    buf[recordStart & m] = static_cast<uint8_t>(p - recordStart);
    pos_ = end_ = p;
    ++count_;
    lastEnd_ = clock;
    open_ = false;
}

} // namespace zelk
