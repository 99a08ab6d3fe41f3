// Faults the virtual board injects into its replies, for testing the IDE's
// handling of a bad line: each kind has a rate (probability per reply) and
// can be armed once from stdin to hit the next reply.
#pragma once

#include <cstdint>
#include <deque>
#include <random>
#include <string_view>

namespace zelk::board {

enum class Fault : uint8_t {
    None,
    Drop,      // no reply at all
    Corrupt,   // the reply's last byte (checksum or ACK) has bit 0 flipped
    Late,      // the reply comes after the IDE's time window
    Split,     // the reply comes in two chunks with a pause between them
    NakErase,  // an erase is answered NAK and leaves the flash as it was
};

// "drop", "corrupt", "late", "split", "nak-erase" -> the fault; None otherwise.
Fault faultFromName(std::string_view name);
const char* faultName(Fault f);

struct FaultRates {
    double drop = 0, corrupt = 0, late = 0, split = 0, nakErase = 0;
};

class FaultPlan {
public:
    explicit FaultPlan(FaultRates rates = {}, uint64_t seed = 1) : rates_(rates), rng_(seed) {}

    // Arms a one-shot fault for the next reply (NakErase: the next erase).
    void arm(Fault f);

    // The fault for the reply about to be sent. Armed faults come first, in
    // the order armed; then each rate is drawn.
    Fault choose(bool isEraseReply);

    size_t armed() const { return armed_.size(); }

private:
    bool draw(double rate);

    FaultRates rates_;
    std::mt19937_64 rng_;
    std::deque<Fault> armed_;
};

} // namespace zelk::board
