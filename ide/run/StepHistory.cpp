// The step history (see StepHistory.h).
#include "run/StepHistory.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace zelk {


StepHistory::StepHistory(size_t capacity) : capacity_(std::min(capacity, MaxCapacity)) {}

void StepHistory::setCapacity(size_t capacity)
{
    capacity = std::min(capacity, MaxCapacity);
    if (capacity == capacity_)
        return;
    if (open_)
        cancel();
    while (count_ > capacity)
        dropOldest();
    capacity_ = capacity;
    if (capacity_ == 0)
        clear();
}

void StepHistory::grow()
{
    std::vector<uint8_t> bigger(std::max<size_t>(buf_.size() * 2, 4096));
    const size_t om = buf_.size() - 1, nm = bigger.size() - 1;
    for (uint64_t p = start_; p < pos_; ++p)
        bigger[p & nm] = buf_[p & om];
    buf_ = std::move(bigger);
}

void StepHistory::noteChip(const OnChipState& state)
{
    if (!open_ || chipNoted_)
        return;
    chips_.push_back(state);
    chipNoted_ = true;
}

void StepHistory::cancel()
{
    if (!open_)
        return;
    open_ = false;
    if (chipNoted_)
        chips_.pop_back();
    pos_ = end_;
}

StepHistory::Parsed StepHistory::parseNewest() const
{
    Parsed p;
    uint64_t q = end_;
    p.header = at(--q);
    if (p.header & HasExt)
        p.ext = at(--q);
    uint8_t accesses = 0;
    if (p.ext & HasAccesses)
        accesses = at(--q);
    uint8_t writes = 0;
    if (p.header & HasWrites)
        writes = at(--q);
    auto word32 = [this](uint64_t from) {
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = v << 8 | at(from + static_cast<uint64_t>(i));
        return v;
    };
    if (p.ext & AbsoluteClock) {
        q -= 8;
        p.clockBefore = word32(q);
        p.previousEnd = word32(q + 4);
    }
    if (p.ext & LongCycles) {
        q -= 4;
        p.cycles = word32(q);
    } else {
        p.cycles = at(--q);
    }
    q -= 2;
    p.pc = static_cast<uint16_t>(at(q) | at(q + 1) << 8);
    const int regBytes = !!(p.header & HasA) + !!(p.header & HasB) + 2 * !!(p.header & HasIX) +
                         2 * !!(p.header & HasIY) + 2 * !!(p.header & HasSP) + 2 * !!(p.header & HasCCR);
    q -= static_cast<uint64_t>(regBytes);
    p.regsAt = q;
    q -= 3u * accesses;
    p.writesEnd = q;
    p.start = q - 3u * writes - 1;
    return p;
}

void StepHistory::dropOldest()
{
    if (count_ == 0)
        return;
    const uint8_t length = at(start_);
    if (!chips_.empty()) [[unlikely]] {
        const uint8_t header = at(start_ + length - 1);
        if ((header & HasExt) && (at(start_ + length - 2) & ChipSnapshot))
            chips_.pop_front();
    }
    start_ += length;
    --count_;
    ++dropped_;
}

int32_t StepHistory::newestPC() const
{
    return count_ ? parseNewest().pc : -1;
}

bool StepHistory::undo(CpuRegisters& regs, uint32_t& clock, uint8_t* image, OnChip* chip)
{
    if (open_)
        cancel();
    if (count_ == 0)
        return false;
    const Parsed p = parseNewest();
    uint64_t q = p.regsAt;
    if (p.header & HasA)
        regs.A = at(q++);
    if (p.header & HasB)
        regs.B = at(q++);
    if (p.header & HasIX) {
        regs.IX = at(q) | at(q + 1) << 8;
        q += 2;
    }
    if (p.header & HasIY) {
        regs.IY = at(q) | at(q + 1) << 8;
        q += 2;
    }
    if (p.header & HasSP) {
        regs.SP = at(q) | at(q + 1) << 8;
        q += 2;
    }
    if (p.header & HasCCR) {
        regs.CCR = at(q);
        history_detail::unpackFlags(regs, at(q + 1));
    }
    regs.PC = p.pc;
    if (p.ext & AbsoluteClock) {
        clock = p.clockBefore;
        lastEnd_ = p.previousEnd;
    } else {
        clock = lastEnd_ - p.cycles;
        lastEnd_ = clock;
    }
    if (chip && chip->enabled()) {
        // The peripherals' time goes back by the step's cycles; a step in
        // which they took part gets their whole state back.
        const uint64_t now = chip->s.now >= p.cycles ? chip->s.now - p.cycles : 0;
        if (p.ext & ChipSnapshot) {
            OnChipState state = chips_.back();
            state.now = now;
            chip->restore(state);
        } else {
            chip->s.now = now;
        }
    }
    if (p.ext & ChipSnapshot)
        chips_.pop_back();
    regs.storeSaveArea(image);
    const size_t m = buf_.size() - 1;
    for (uint64_t w = p.writesEnd; w > p.start + 1;) {
        w -= 3;
        image[buf_[w & m] | buf_[(w + 1) & m] << 8] = buf_[(w + 2) & m];
    }
    end_ = pos_ = p.start;
    --count_;
    return true;
}

void StepHistory::clear()
{
    open_ = false;
    buf_.clear();
    buf_.shrink_to_fit();
    chips_.clear();
    start_ = end_ = pos_ = 0;
    count_ = 0;
    dropped_ = 0;
}

std::vector<uint8_t> StepHistory::recordBytes() const
{
    std::vector<uint8_t> bytes;
    bytes.reserve(end_ - start_);
    for (uint64_t p = start_; p < end_; ++p)
        bytes.push_back(at(p));
    return bytes;
}

size_t StepHistory::memoryBytes() const
{
    return buf_.capacity() + chips_.size() * sizeof(OnChipState);
}

} // namespace zelk
