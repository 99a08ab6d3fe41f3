// The monitor's side of the serial protocol: frame lengths, the
// two's-complement checksum and an incremental frame reader.
//
// Request frames start with an ASCII command letter; the bytes after the
// letter, checksum included, add up to 0 modulo 256:
//   "R" ah al n chk                       read n bytes (n = 0 means 256)
//   "W" ah al n data[n] chk               write RAM (n = 0 means 256)
//   "P" ah al n data[n] chk               program flash (n = 0 means 256)
//   "E" "E" "E" $76                       erase the flash
//   "X" A B IXh IXl IYh IYl SPh SPl CCR $7E PCh PCl chk    run freely
//   "S" A B IXh IXl IYh IYl SPh SPl CCR slot[4] chk         one step
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zelk::board {

inline constexpr uint8_t Ack = 0x06;
inline constexpr uint8_t Nak = 0x15;

// Bytes of the reset notice the board sends after a reset.
inline constexpr uint8_t ResetNotice[3] = {'B', 'B', 'B'};

enum class FrameKind : uint8_t { Read, Write, Program, Erase, Run, Step };

// The kind a command letter starts, or false for any other byte.
bool frameKindOf(uint8_t letter, FrameKind& kind);

// A byte count as frames carry it: 0 stands for 256.
constexpr int countOf(uint8_t n) { return n == 0 ? 256 : n; }

// The checksum byte for the bytes between the letter and the checksum.
uint8_t checksumOf(std::span<const uint8_t> body);

// True when the bytes after the first one add up to 0 modulo 256 (the rule
// for a whole frame and for a whole reply alike).
bool checksumHolds(std::span<const uint8_t> frameOrReply);

// Appends the checksum of frame[1..] to frame.
void appendChecksum(std::vector<uint8_t>& frame);

// Reads frames from the line byte by byte. Between frames every byte that is
// not a command letter is skipped, so the reader finds the next frame after
// noise. A frame that stops arriving mid-way (no byte for gapNs) is dropped,
// so that the next frame is read cleanly.
class FrameReader {
public:
    enum class Event { None, Frame, BadChecksum };

    explicit FrameReader(int64_t gapNs = 50'000'000) : gapNs_(gapNs) {}

    // Feeds one byte received at nowNs. Frame or BadChecksum report a
    // complete frame, available through frame() until the next feed.
    Event feed(uint8_t byte, int64_t nowNs);

    // Drops a partial frame whose last byte is older than the gap; true when
    // one was dropped.
    bool expire(int64_t nowNs);

    // Time at which a partial frame will be dropped, or -1 when none waits.
    int64_t deadlineNs() const { return buffer_.empty() ? -1 : lastNs_ + gapNs_; }

    const std::vector<uint8_t>& frame() const { return frame_; }
    FrameKind kind() const { return kind_; }
    bool partial() const { return !buffer_.empty(); }
    uint64_t skippedBytes() const { return skipped_; }
    uint64_t droppedFrames() const { return dropped_; }
    void clear() { buffer_.clear(); }

private:
    size_t expectedLength() const;

    int64_t gapNs_;
    int64_t lastNs_ = 0;
    FrameKind kind_ = FrameKind::Read;
    std::vector<uint8_t> buffer_;
    std::vector<uint8_t> frame_;
    uint64_t skipped_ = 0;
    uint64_t dropped_ = 0;
};

} // namespace zelk::board
