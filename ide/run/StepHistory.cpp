// The step history (see StepHistory.h).
#include "run/StepHistory.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zelk {

namespace {

uint8_t packFlags(const CpuRegisters& r)
{
    return static_cast<uint8_t>(r.C | r.V << 1 | r.Z << 2 | r.N << 3 | r.I << 4 | r.H << 5 | r.X << 6 | r.S << 7);
}

void unpackFlags(CpuRegisters& r, uint8_t f)
{
    r.C = f & 0x01; r.V = f & 0x02; r.Z = f & 0x04; r.N = f & 0x08;
    r.I = f & 0x10; r.H = f & 0x20; r.X = f & 0x40; r.S = f & 0x80;
}

} // namespace

StepHistory::StepHistory(size_t capacity) : capacity_(std::min(capacity, MaxCapacity)) {}

void StepHistory::setCapacity(size_t capacity)
{
    capacity = std::min(capacity, MaxCapacity);
    if (capacity == capacity_)
        return;
    open_ = false;
    while (count_ > capacity)
        dropOldest();
    // Re-lay the ring with the kept records oldest first.
    std::vector<Record> kept;
    std::vector<uint8_t> keptWrites;
    kept.reserve(count_);
    keptWrites.reserve(count_);
    for (size_t i = 0, at = head_; i < count_; ++i, at = after(at)) {
        kept.push_back(records_[at]);
        keptWrites.push_back(writesPer_[at]);
    }
    records_ = std::move(kept);
    writesPer_ = std::move(keptWrites);
    head_ = 0;
    newest_ = count_ ? count_ - 1 : 0;
    capacity_ = capacity;
}

void StepHistory::record(const CpuRegisters& regs, uint32_t clock, const uint8_t* image)
{
    if (count_ == capacity_)
        dropOldest();
    size_t slot;
    if (count_ == 0) {
        slot = head_;
        if (records_.empty()) {
            records_.emplace_back();
            writesPer_.push_back(0);
        }
    } else {
        slot = newest_ + 1;
        if (slot == records_.size()) {
            if (records_.size() < capacity_) {
                records_.emplace_back();  // still growing: head_ is 0
                writesPer_.push_back(0);
            }
            else
                slot = 0;
        }
    }
    Record r;
    r.pc = static_cast<uint16_t>(regs.PC);
    r.ix = static_cast<uint16_t>(regs.IX);
    r.iy = static_cast<uint16_t>(regs.IY);
    r.sp = static_cast<uint16_t>(regs.SP);
    r.a = regs.A;
    r.b = regs.B;
    r.ccr = regs.CCR;
    r.flags = packFlags(regs);
    r.clock = clock;
#if defined(__SSE2__)
    // Written past the cache: the ring is far larger than it, and a record
    // is read again only if the user steps back.
    __m128i bits;
    std::memcpy(&bits, &r, sizeof r);
    _mm_stream_si128(reinterpret_cast<__m128i*>(&records_[slot]), bits);
#else
    records_[slot] = r;
#endif
    writesPer_[slot] = 0;
    newest_ = slot;
    ++count_;
    open_ = true;
    uint8_t area[9];
    regs.storeSaveArea(area);
    if (std::memcmp(area, image, 9) != 0)
        for (uint32_t a = 0; a < 9; ++a)
            noteWrite(a, image[a]);
}

void StepHistory::cancel()
{
    if (!open_ || count_ == 0)
        return;
    open_ = false;
    writeCount_ -= writesPer_[newest_];
    --count_;
    newest_ = count_ ? before(newest_) : head_;
}

void StepHistory::dropOldest()
{
    if (count_ == 0)
        return;
    const uint8_t writes = writesPer_[head_];
    if (!writes_.empty())
        writeHead_ = (writeHead_ + writes) & (writes_.size() - 1);
    writeCount_ -= writes;
    --count_;
    if (count_ == 0)
        newest_ = head_ = 0;
    else
        head_ = after(head_);
    ++dropped_;
}

void StepHistory::growWrites()
{
    std::vector<Write> bigger(std::max<size_t>(writes_.size() * 2, 1024));
    for (size_t i = 0; i < writeCount_; ++i)
        bigger[i] = writes_[(writeHead_ + i) & (writes_.size() - 1)];
    writes_ = std::move(bigger);
    writeHead_ = 0;
}

int32_t StepHistory::newestPC() const
{
    return count_ ? records_[newest_].pc : -1;
}

bool StepHistory::undo(CpuRegisters& regs, uint32_t& clock, uint8_t* image)
{
    open_ = false;
    if (count_ == 0)
        return false;
    const Record& r = records_[newest_];
    regs.PC = r.pc;
    regs.IX = r.ix;
    regs.IY = r.iy;
    regs.SP = r.sp;
    regs.A = r.a;
    regs.B = r.b;
    regs.CCR = r.ccr;
    unpackFlags(regs, r.flags);
    clock = r.clock;
    regs.storeSaveArea(image);
    for (uint8_t i = 0, n = writesPer_[newest_]; i < n; ++i) {
        const Write& w = writes_[(writeHead_ + writeCount_ - 1) & (writes_.size() - 1)];
        image[w.address] = w.old;
        --writeCount_;
    }
    --count_;
    if (count_ == 0) {
        // Empty: start again at the front while the ring has not wrapped.
        if (records_.size() < capacity_)
            head_ = 0;
        newest_ = head_;
    } else {
        newest_ = before(newest_);
    }
    return true;
}

void StepHistory::clear()
{
    open_ = false;
    records_.clear();
    records_.shrink_to_fit();
    writesPer_.clear();
    writesPer_.shrink_to_fit();
    writes_.clear();
    writes_.shrink_to_fit();
    head_ = newest_ = count_ = writeHead_ = writeCount_ = 0;
    dropped_ = 0;
}

size_t StepHistory::memoryBytes() const
{
    return records_.capacity() * sizeof(Record) + writesPer_.capacity() + writes_.capacity() * sizeof(Write);
}

} // namespace zelk
