// Test helpers for the virtual board: BoardProcess starts zelk-board as a
// child process, learns its pty from the first stdout line, sends stdin
// commands and waits for their "zelk-board: " answers, and stops the board
// when destroyed. BoardLine is a raw client end of the board's line, as an
// IDE would open it. Qt-free; link the zelkboard_testsupport library.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <sys/types.h>
#include <vector>

namespace zelk::test {

class BoardProcess {
public:
    // Starts the board with the given arguments (for example {"--baud", "0"})
    // and waits up to startTimeoutMs for its pty line. started() tells
    // whether that worked; error() says why not.
    explicit BoardProcess(const std::vector<std::string>& args = {}, int startTimeoutMs = 5000);
    ~BoardProcess();
    BoardProcess(const BoardProcess&) = delete;
    BoardProcess& operator=(const BoardProcess&) = delete;

    bool started() const { return !ptyPath_.empty(); }
    const std::string& ptyPath() const { return ptyPath_; }
    const std::string& error() const { return error_; }
    pid_t pid() const { return pid_; }

    // Sends one command line ("reset", "fault drop", "cts off", "stats") and
    // returns its answer without the "zelk-board: " prefix; "" when no answer
    // came within timeoutMs or the board has gone (error() says which).
    std::string command(const std::string& line, int timeoutMs = 5000);

    // Sends a signal to the board (SIGUSR1 resets it).
    bool signal(int sig);

    // Closes the board's stdin (which ends it) without a quit command.
    void closeStdin();

    // Waits up to timeoutMs for the board to exit by itself; its exit status
    // (the signal number + 128 when a signal ended it), or -1 while it runs.
    int waitExit(int timeoutMs);

    // Asks the board to quit and waits; kills it after timeoutMs. Returns
    // the exit status as waitExit does.
    int stop(int timeoutMs = 3000);

    // The path of the zelk-board program the tests were built with.
    static std::string programPath();

private:
    bool readLine(std::string& line, int timeoutMs);

    pid_t pid_ = -1;
    int stdin_ = -1;
    int stdout_ = -1;
    int status_ = -1;
    std::string ptyPath_;
    std::string error_;
    std::string pending_;
};

class BoardLine {
public:
    // Opens the pty slave raw; isOpen() tells whether that worked.
    explicit BoardLine(const std::string& path);
    ~BoardLine();
    BoardLine(const BoardLine&) = delete;
    BoardLine& operator=(const BoardLine&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }

    bool send(std::span<const uint8_t> bytes);
    bool send(std::initializer_list<uint8_t> bytes) { return send(std::span<const uint8_t>(bytes.begin(), bytes.size())); }

    // Reads until n bytes have come or timeoutMs has passed since the call.
    std::vector<uint8_t> read(size_t n, int timeoutMs);
    // Everything that arrives within ms.
    std::vector<uint8_t> readFor(int ms);
    // Drops whatever waits.
    void discard();

    // Sends a frame and reads replyLength bytes within timeoutMs.
    std::vector<uint8_t> exchange(std::span<const uint8_t> frame, size_t replyLength, int timeoutMs = 1000);

private:
    int fd_ = -1;
};

// A request frame with its checksum appended: letter, then body.
std::vector<uint8_t> makeFrame(char letter, std::initializer_list<uint8_t> body);
std::vector<uint8_t> makeFrame(char letter, std::span<const uint8_t> body);

} // namespace zelk::test
