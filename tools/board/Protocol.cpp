// Frame checksum and the incremental frame reader of the virtual board.
#include "Protocol.h"

namespace zelk::board {

bool frameKindOf(uint8_t letter, FrameKind& kind)
{
    switch (letter) {
    case 'R': kind = FrameKind::Read; return true;
    case 'W': kind = FrameKind::Write; return true;
    case 'P': kind = FrameKind::Program; return true;
    case 'E': kind = FrameKind::Erase; return true;
    case 'X': kind = FrameKind::Run; return true;
    case 'S': kind = FrameKind::Step; return true;
    default: return false;
    }
}

uint8_t checksumOf(std::span<const uint8_t> body)
{
    unsigned sum = 0;
    for (uint8_t b : body)
        sum += b;
    return static_cast<uint8_t>(-sum & 0xFF);
}

bool checksumHolds(std::span<const uint8_t> frameOrReply)
{
    if (frameOrReply.size() < 2)
        return false;
    unsigned sum = 0;
    for (size_t i = 1; i < frameOrReply.size(); ++i)
        sum += frameOrReply[i];
    return (sum & 0xFF) == 0;
}

void appendChecksum(std::vector<uint8_t>& frame)
{
    if (frame.empty())
        return;
    frame.push_back(checksumOf(std::span<const uint8_t>(frame).subspan(1)));
}

size_t FrameReader::expectedLength() const
{
    switch (kind_) {
    case FrameKind::Read: return 5;
    case FrameKind::Erase: return 4;
    case FrameKind::Run: return 14;
    case FrameKind::Step: return 15;
    case FrameKind::Write:
    case FrameKind::Program:
        // The count is the fourth byte; until it has arrived the header
        // length is all that is known.
        return buffer_.size() < 4 ? 4 : 5 + static_cast<size_t>(countOf(buffer_[3]));
    }
    return 1;
}

bool FrameReader::expire(int64_t nowNs)
{
    if (buffer_.empty() || nowNs - lastNs_ < gapNs_)
        return false;
    buffer_.clear();
    ++dropped_;
    return true;
}

FrameReader::Event FrameReader::feed(uint8_t byte, int64_t nowNs)
{
    expire(nowNs);
    lastNs_ = nowNs;
    if (buffer_.empty()) {
        if (!frameKindOf(byte, kind_)) {
            ++skipped_;
            return Event::None;
        }
    }
    buffer_.push_back(byte);
    if (buffer_.size() < expectedLength())
        return Event::None;
    frame_.swap(buffer_);
    buffer_.clear();
    return checksumHolds(frame_) ? Event::Frame : Event::BadChecksum;
}

} // namespace zelk::board
