// The serial line between the simulated SCI and the serial terminal in
// simulator mode. What the program's SCI transmits is kept for the terminal
// to take (the window collects it when window messages run, so a running
// program pays one append per character); what the user types in the
// terminal waits here until the receiver takes it, one character at a time
// as the program reads them. A line that nobody drains keeps only its
// newest MaxOutput characters, and at most MaxTyped typed characters wait,
// so neither side grows without bound. The user may always type more
// later: the receiver's source is never exhausted.
#pragma once

#include "link/chip/OnChip.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

namespace zelk {

class SimSerialLine final : public OnChip::Host {
public:
    static constexpr size_t MaxOutput = 64 * 1024;
    static constexpr size_t MaxTyped = 4096;

    // chip: told when typed characters arrive (may be null).
    explicit SimSerialLine(OnChip* chip = nullptr) : chip_(chip) {}

    void sciTransmit(uint8_t byte) override;
    bool sciReceive(uint8_t& byte, bool& exhausted, bool wait) override;

    // Characters typed in the terminal for the receiver; returns how many
    // were taken (none beyond MaxTyped waiting).
    size_t type(const uint8_t* bytes, size_t count);
    size_t typedWaiting() const { return typed_.size(); }

    // The characters transmitted since the last call, oldest first.
    std::string takeOutput();
    bool hasOutput() const { return output_.size() > outputStart_; }
    // Transmitted characters dropped because nobody took them in time.
    uint64_t droppedOutput() const { return dropped_; }

    // Forgets both directions (the chip's reset).
    void clear();

private:
    OnChip* chip_;
    std::deque<uint8_t> typed_;
    std::string output_;
    size_t outputStart_ = 0;  // output_ before this is already dropped
    uint64_t dropped_ = 0;
};

} // namespace zelk
