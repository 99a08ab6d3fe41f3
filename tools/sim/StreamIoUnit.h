// The input-output unit of the headless runner: the program's input byte
// comes from a stream (stdin), its output byte goes to another (stdout).
// Input is taken lazily, one byte when the program looks at $6000 or $6001
// and no input is pending, so an interactive program sees each byte as the
// user types it and the runner never reads ahead.
#pragma once

#include "link/IoUnit.h"
#include "link/SimulatorTarget.h"

#include <cstdio>

namespace zelk {

class StreamIoUnit final : public IoUnit {
public:
    StreamIoUnit(SimulatorTarget& sim, std::FILE* in, std::FILE* out) : sim_(sim), in_(in), out_(out) {}

    void setInFresh(uint8_t) override {}
    void setInDataRegister(uint8_t) override {}
    void setOutFresh(uint8_t) override {}
    void setOutDataRegister(uint8_t value) override;
    void beforeRead(int32_t address) override;

    bool inputExhausted() const { return eof_; }

private:
    SimulatorTarget& sim_;
    std::FILE* in_;
    std::FILE* out_;
    bool eof_ = false;
};

} // namespace zelk
