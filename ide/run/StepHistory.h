// The step history behind Step Back and Run Back: a bounded ring of the
// state before each executed instruction (registers with PC and the eight
// flags as the record held them, the clock counter, the register save area)
// and the old value of every memory byte the instruction wrote. Undoing the
// newest record restores the registers, the counter and the save area, then
// puts the bytes back newest first, so the machine is exactly as it was
// before the step. When the ring is full the oldest record (and its bytes) is dropped.
#pragma once

#include "link/CpuRegisters.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zelk {

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
    // 64 KB image (its save area $0000-$0008 is kept).
    void begin(const CpuRegisters& regs, uint32_t clock, const uint8_t* image)
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
        if (!open_)
            return;
        if (writeCount_ == writes_.size())
            growWrites();
        writes_[(writeHead_ + writeCount_) & (writes_.size() - 1)] = Write{static_cast<uint16_t>(address), old};
        ++writeCount_;
        ++writesPer_[newest_];
    }
    // Closes the open record (later writes are not the step's).
    void end() { open_ = false; }
    // Drops the open record again (the step did not happen).
    void cancel();

    // PC of the newest record (the instruction Step Back would undo).
    int32_t newestPC() const;
    // Undoes the newest record into regs, clock and image; false when the
    // history is empty.
    bool undo(CpuRegisters& regs, uint32_t& clock, uint8_t* image);
    void clear();

    // Memory in use by the records and the write log, in bytes.
    size_t memoryBytes() const;

private:
    // Sixteen bytes: a million records stream through the cache, so
    // their size is most of the history's cost. The save area is not kept
    // here: it is the registers' image after a simulated step, and when it
    // differs its nine bytes go into the write log as the step's first.
    struct alignas(16) Record {
        uint16_t pc, ix, iy, sp;
        uint8_t a, b, ccr, flags;
        uint32_t clock;
    };
    static_assert(sizeof(Record) == 16);
    struct Write {
        uint16_t address;
        uint8_t old;
    };

    // The slot after i in the ring.
    size_t after(size_t i) const { return i + 1 == records_.size() ? 0 : i + 1; }
    size_t before(size_t i) const { return i == 0 ? records_.size() - 1 : i - 1; }
    void record(const CpuRegisters& regs, uint32_t clock, const uint8_t* image);
    void dropOldest();
    void growWrites();

    size_t capacity_;
    // Ring of records: head_ is the oldest, newest_ the newest, count_ used.
    // It grows up to the capacity before it wraps, so while it is smaller
    // than the capacity head_ is 0.
    std::vector<Record> records_;
    std::vector<uint8_t> writesPer_;  // beside records_: its writes' count
    size_t head_ = 0, newest_ = 0, count_ = 0;
    // Ring of the records' writes, oldest first; its size is a power of two.
    std::vector<Write> writes_;
    size_t writeHead_ = 0, writeCount_ = 0;
    bool open_ = false;
    uint64_t dropped_ = 0;
};

} // namespace zelk
