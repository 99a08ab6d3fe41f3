// The simulated SCI's serial line (see SimSerialLine.h).
#include "terminal/SimSerialLine.h"

namespace zelk {

void SimSerialLine::sciTransmit(uint8_t byte)
{
    output_.push_back(static_cast<char>(byte));
    if (output_.size() - outputStart_ > MaxOutput) {
        ++outputStart_;
        ++dropped_;
        // Compact now and then rather than shifting on every character.
        if (outputStart_ >= MaxOutput) {
            output_.erase(0, outputStart_);
            outputStart_ = 0;
        }
    }
}

bool SimSerialLine::sciReceive(uint8_t& byte, bool& exhausted, bool /*wait*/)
{
    // The user can type at any time: never exhausted, never blocking.
    exhausted = false;
    if (typed_.empty())
        return false;
    byte = typed_.front();
    typed_.pop_front();
    return true;
}

size_t SimSerialLine::type(const uint8_t* bytes, size_t count)
{
    size_t taken = 0;
    while (taken < count && typed_.size() < MaxTyped)
        typed_.push_back(bytes[taken++]);
    if (taken > 0 && chip_ && chip_->enabled())
        chip_->serialInputArrived();
    return taken;
}

std::string SimSerialLine::takeOutput()
{
    std::string out = output_.substr(outputStart_);
    output_.clear();
    outputStart_ = 0;
    return out;
}

void SimSerialLine::clear()
{
    typed_.clear();
    output_.clear();
    outputStart_ = 0;
}

} // namespace zelk
