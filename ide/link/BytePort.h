// The serial line as the board target sees it: open, the CTS line, the bytes
// received so far, send, take, a wait for a given count, and the receive
// threshold at which the port notifies the IDE of received data. The Qt side
// implements it over QSerialPort; tests use an in-process fake.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zelk {

class BytePort {
public:
    virtual ~BytePort() = default;

    virtual bool isOpen() const = 0;
    // Opens the port; on failure errorText is the system's description of
    // the error (without a final " !").
    virtual bool open(std::string& errorText) = 0;
    // The CTS line is asserted: a board is attached. A port that cannot
    // report its modem lines (a pseudo-terminal) counts as asserted.
    virtual bool cts() = 0;

    // Received bytes not yet taken; discard() drops them all.
    virtual int waiting() = 0;
    virtual void discard() = 0;
    virtual void send(const uint8_t* data, size_t n) = 0;
    // Takes count bytes (at most what waits), or every waiting byte when
    // count is 0.
    virtual std::vector<uint8_t> take(int count) = 0;
    // The waiting bytes, left waiting.
    virtual std::vector<uint8_t> peek() = 0;
    // Returns once at least count bytes wait (true) or ms milliseconds have
    // passed (false; ms < 0: no limit). letEvents: pending window messages
    // run meanwhile. Must sleep on the line, not spin.
    virtual bool waitFor(int count, int ms, bool letEvents) = 0;

    // Received-byte count at which the port notifies the IDE (0 = never).
    virtual void setThreshold(int count) = 0;
    virtual int threshold() const = 0;
};

} // namespace zelk
