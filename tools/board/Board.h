// The virtual board without its devices: frame reader, monitor, fault
// injection, the paced line output and the stdin commands, all driven by
// the caller with times in nanoseconds (a monotonic clock). The program's
// poll loop (main.cpp) only moves bytes between this and the pty, stdin and
// signals, which keeps everything here testable without a terminal.
#pragma once

#include "FaultPlan.h"
#include "Monitor.h"
#include "Protocol.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zelk::board {

struct BoardOptions {
    uint32_t baud = 38400;           // 0: send at once
    uint64_t clockHz = 0;            // E clock of a free run; 0: full speed
    uint64_t stepLimit = 50'000'000; // instructions before a step is cut
    uint64_t seed = 1;               // fault draws
    FaultRates rates;
    std::string image;               // S-record file loaded at start
};

// Parses the command line. Returns false with error set on bad usage; help
// is set for --help (then nothing else is parsed).
bool parseOptions(const std::vector<std::string>& args, BoardOptions& options, std::string& error, bool& help);
const char* usageText();

// The largest image file read: far beyond any S-record file for a 64 KB
// target, and an endless input (/dev/zero, a pipe) stops there.
inline constexpr size_t MaxImageBytes = size_t(16) * 1024 * 1024;

enum class ImageLoad {
    Loaded,
    TooLarge, // longer than MaxImageBytes: refused like a bad argument
    Failed,   // cannot be read, or holds a bad record (or none)
};

// Loads the S1 records of an S-record file into memory (flash included).
// Anything but Loaded comes with error set.
ImageLoad loadImage(Monitor& monitor, const std::string& path, std::string& error);

struct BoardStats {
    uint64_t frames = 0, acks = 0, naks = 0, faults = 0, bytesIn = 0, bytesOut = 0;
};

class Board {
public:
    // Pause between the two chunks of a split reply.
    static constexpr int64_t SplitPauseNs = 30'000'000;
    // Delay of a late reply: past the IDE's window (100 ms, 200 ms for the
    // code window, 3 s for an erase).
    static constexpr int64_t LateNs = 250'000'000;
    static constexpr int64_t LateEraseNs = 3'150'000'000;
    // How far a paced line that fell behind may catch up with a burst.
    static constexpr int64_t CatchUpNs = 20'000'000;
    // Instructions per slice of CPU work between two looks at the devices.
    static constexpr uint64_t SliceInstructions = 100'000;

    explicit Board(const BoardOptions& options);

    Monitor& monitor() { return monitor_; }
    const BoardOptions& options() const { return options_; }

    // Bytes from the line. While a program runs they go to its SCI receiver.
    void receive(std::span<const uint8_t> bytes, int64_t nowNs);
    // Whether the line should be read now: not during a step (the monitor is
    // busy), and during a free run only while the SCI receiver has room.
    bool wantsLineInput() const;

    // Drops a cut-off frame, runs a slice of CPU work and moves program
    // output to the line.
    void service(int64_t nowNs);
    // CPU work is waiting that may run at once.
    bool busy(int64_t nowNs) const;

    // The bytes the line may send now, and how many of them were sent.
    std::span<const uint8_t> lineDue(int64_t nowNs);
    void lineWritten(size_t n, int64_t nowNs);
    size_t lineBacklog() const;

    // The earliest time something is due (a paced or held byte, a frame
    // gap, the paced clock), or -1 when nothing is. withLine false leaves
    // the line output out (the caller waits for the pty to take bytes).
    int64_t nextEventNs(int64_t nowNs, bool withLine = true) const;

    // One stdin command line; its answer line comes from takeAnswers once
    // it has taken effect (a reset: once "BBB" has gone out on the line).
    void command(std::string_view line, int64_t nowNs);
    // The reset of SIGUSR1: as the reset command, without an answer line.
    void reset(int64_t nowNs);
    // Answer lines ready to print ("zelk-board: ..."); all of them, ready or
    // not, when everything is to be flushed (at exit).
    std::vector<std::string> takeAnswers(bool all = false);
    bool quitRequested() const { return quit_; }
    bool ctsOff() const { return ctsOff_; }
    BoardStats stats() const { return stats_; }
    // E-clock cycles of the current free run so far.
    uint64_t runCycles() const { return runCycles_; }

private:
    struct Segment {
        std::vector<uint8_t> bytes;
        size_t pos = 0;
        int64_t notBeforeNs = 0;
        int64_t pauseBeforeNs = 0;  // after the previous segment has gone out
        bool started = false;
    };

    void handleFrame(FrameReader::Event ev, int64_t nowNs);
    void feed(std::span<const uint8_t> bytes, int64_t nowNs);
    void sendReply(std::vector<uint8_t> reply, FrameKind kind, int64_t nowNs, Fault fault);
    void enqueue(std::vector<uint8_t> bytes, int64_t nowNs, int64_t notBeforeNs = 0, int64_t pauseBeforeNs = 0);
    void startSegment(int64_t nowNs);
    void moveSciOutput(int64_t nowNs);
    uint64_t cycleBudget(int64_t nowNs) const;

    BoardOptions options_;
    Monitor monitor_;
    FrameReader reader_;
    FaultPlan faults_;
    BoardStats stats_;
    std::deque<Segment> line_;
    std::vector<uint8_t> held_;  // bytes that came with a step frame, read when it ends
    int64_t byteNs_;
    int64_t nextSlotNs_ = 0;
    int64_t lastSegmentEndNs_ = 0;
    uint64_t enqueued_ = 0;
    bool ctsOff_ = false;
    bool quit_ = false;
    // Free run paced to the E clock: cycles run since runStartNs_.
    int64_t runStartNs_ = 0;
    uint64_t runCycles_ = 0;
    struct Answer {
        uint64_t afterBytes;  // printed once this many line bytes have gone out
        std::string text;
    };
    std::deque<Answer> answers_;
};

} // namespace zelk::board
