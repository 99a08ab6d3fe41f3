// The runner's serial line: what the program's SCI transmits goes to a
// stream (stdout), what it receives comes from another (stdin). Input is
// taken only when it is already there, or when the program can do nothing
// but wait for it (then the runner blocks until it comes), so an interactive
// program shows its prompt before it asks and the runner never reads ahead
// of the program.
#pragma once

#include "link/chip/OnChip.h"

#include <cstdio>

namespace zelk {

class StreamSerial final : public OnChip::Host {
public:
    StreamSerial(std::FILE* in, std::FILE* out) : in_(in), out_(out) {}

    void sciTransmit(uint8_t byte) override;
    bool sciReceive(uint8_t& byte, bool& exhausted, bool wait) override;

private:
    std::FILE* in_;
    std::FILE* out_;
    bool eof_ = false;
};

} // namespace zelk
