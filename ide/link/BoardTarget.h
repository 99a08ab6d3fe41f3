// The board target: every access operation and step as one request/reply
// exchange with the monitor program over a BytePort. It reports each failure
// itself (message box through the access layer's notifier, link-ready false,
// BoardStatus) exactly once, and a failed exchange changes no destination.
//
// An exchange: discard waiting input, send the frame, wait for the whole
// reply within the operation's window (sleeping on the line), check it:
//   no complete reply -> "No Response from M68HC11 Board !"
//   bad checksum / no ACK -> "Invalid Data from M68HC11 Board !"
// under "Tarvine - Communication Error"; then the receive threshold goes
// back to 6. The erase has its own messages (NAK: "Erasing Flash failed!").
//
// Step Over and Step Out wait without a time limit while window messages
// run. Should the board announce a reset ("BBB") instead of answering, the
// wait gives up (the step fails with "No Response ...") and the notice is
// left waiting for the port's notification handler, so a board that never
// returns from the subroutine does not hang the IDE for good once reset.
#pragma once

#include "link/BoardProtocol.h"
#include "link/BytePort.h"
#include "link/Target.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zelk {

class AccessLayer;

// Counts kept for the record (tests and benchmarks read them).
struct BoardCounters {
    uint64_t frames = 0;       // request frames sent
    uint64_t noResponse = 0;   // exchanges without a complete reply
    uint64_t invalid = 0;      // bad checksum, no ACK, unexpected erase reply
    uint64_t bytesSent = 0;
    uint64_t bytesReceived = 0;
};

class BoardTarget final : public Target {
public:
    static constexpr int NormalThreshold = 6;

    BoardTarget(AccessLayer& link, BytePort& port);

    TargetMode mode() const override { return TargetMode::Board; }
    // FindBoard: opens the port when closed (failure: the error's text and
    // " !"), then asks CTS ("M68HC11 Board Not Connected !" when low).
    bool findBoard() override;
    bool read(int32_t address, uint8_t* out, int count, bool codeWindow) override;
    bool write(int32_t address, const uint8_t* data, int count) override;
    bool program(int32_t address, const uint8_t* data, int count) override;
    bool erase() override;
    // The first four bytes of instr go into the slot.
    bool step(CpuRegisters& regs, const uint8_t instr[5], StepKind kind) override;
    bool run(const CpuRegisters& regs) override;

    // An exchange is in progress: the port's notification handler must not
    // take the bytes it waits for.
    bool busy() const { return busy_; }
    BytePort& port() { return port_; }
    const BoardCounters& counters() const { return counters_; }

    // Called when the port cannot be opened (the window shows the port error
    // in the status bar); ok = true after a successful open.
    std::function<void(bool ok)> portOpened;

private:
    enum class Wait { Window, WindowWithEvents, Unlimited };
    enum class Check { Data, Ack };
    // One exchange; reply receives the checked reply. Reports failures.
    bool exchange(const std::vector<uint8_t>& frame, int replyLength, int windowMs, Wait wait, Check check,
                  bool thresholdOff, std::vector<uint8_t>& reply);
    bool waitUnlimited(int count);
    void fail(const char* text);
    bool dataFrame(bool programFrame, int32_t address, const uint8_t* data, int count);

    AccessLayer& link_;
    BytePort& port_;
    bool busy_ = false;
    BoardCounters counters_;
};

} // namespace zelk
