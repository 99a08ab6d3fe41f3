// zelk-board: a virtual 68HC11 board on a pseudo-terminal. Its monitor
// answers the IDE's request frames (read, write, program, erase, run, step)
// and runs programs on a Korvex CPU; see usageText() in Board.cpp for the
// options and the stdin commands.
//
// This file is the device loop only: it opens the pty, prints its path,
// and moves bytes between the pty, stdin, the signals and the Board core in
// one poll() loop on one thread.
#include "Board.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/signalfd.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

using namespace zelk::board;

namespace {

int64_t monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1'000'000'000LL + ts.tv_nsec;
}

void printLine(const std::string& line)
{
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Opens the master side raw and non-blocking and the slave side, which the
// board keeps open so that the IDE may open and close it at will without the
// master seeing a hang-up.
bool openPty(int& master, int& slave, std::string& path)
{
    master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        return false;
    const char* name = ptsname(master);
    if (!name)
        return false;
    path = name;
    slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0)
        return false;
    termios t{};
    if (tcgetattr(slave, &t) != 0)
        return false;
    cfmakeraw(&t);
    cfsetispeed(&t, B38400);
    cfsetospeed(&t, B38400);
    if (tcsetattr(slave, TCSANOW, &t) != 0)
        return false;
    const int flags = fcntl(master, F_GETFL);
    return flags >= 0 && fcntl(master, F_SETFL, flags | O_NONBLOCK) == 0;
}

} // namespace

int main(int argc, char* argv[])
{
    std::vector<std::string> args(argv + 1, argv + argc);
    BoardOptions options;
    std::string error;
    bool help = false;
    if (!parseOptions(args, options, error, help)) {
        std::fprintf(stderr, "zelk-board: %s\n%s", error.c_str(), usageText());
        return 2;
    }
    if (help) {
        std::fputs(usageText(), stdout);
        return 0;
    }
    Board board(options);
    if (!options.image.empty()) {
        switch (loadImage(board.monitor(), options.image, error)) {
        case ImageLoad::Loaded:
            break;
        case ImageLoad::TooLarge:
            std::fprintf(stderr, "zelk-board: %s\n%s", error.c_str(), usageText());
            return 2;
        case ImageLoad::Failed:
            std::fprintf(stderr, "zelk-board: %s\n", error.c_str());
            return 1;
        }
    }

    std::signal(SIGPIPE, SIG_IGN);
    sigset_t mask;
    sigemptyset(&mask);
    sigaddset(&mask, SIGINT);
    sigaddset(&mask, SIGTERM);
    sigaddset(&mask, SIGUSR1);
    sigprocmask(SIG_BLOCK, &mask, nullptr);
    const int sigfd = signalfd(-1, &mask, SFD_CLOEXEC | SFD_NONBLOCK);
    if (sigfd < 0) {
        std::fprintf(stderr, "zelk-board: signalfd: %s\n", std::strerror(errno));
        return 1;
    }

    int master = -1, slave = -1;
    std::string path;
    if (!openPty(master, slave, path)) {
        std::fprintf(stderr, "zelk-board: cannot open a pseudo-terminal: %s\n", std::strerror(errno));
        return 1;
    }
    printLine("zelk-board: listening on " + path);

    std::string stdinLine;
    bool stdinOpen = true;
    bool stop = false;
    uint8_t buf[4096];
    while (!stop) {
        int64_t now = monotonicNs();
        board.service(now);
        now = monotonicNs();

        // Line output that is due now. A full pty (nobody reading the slave)
        // leaves the rest queued until the master is writable again.
        bool writeBlocked = false;
        for (;;) {
            const auto due = board.lineDue(now);
            if (due.empty())
                break;
            const ssize_t n = write(master, due.data(), due.size());
            if (n <= 0) {
                writeBlocked = n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
                break;
            }
            board.lineWritten(static_cast<size_t>(n), now);
            if (static_cast<size_t>(n) < due.size()) {
                writeBlocked = true;
                break;
            }
        }
        for (const auto& answer : board.takeAnswers())
            printLine(answer);
        if (board.quitRequested() || !stdinOpen)
            break;

        // Wait for the devices, the next paced byte or held reply, a frame
        // gap, or not at all while the CPU has work.
        pollfd fds[3] = {{0, POLLIN, 0}, {master, 0, 0}, {sigfd, POLLIN, 0}};
        if (board.wantsLineInput())
            fds[1].events |= POLLIN;
        if (writeBlocked)
            fds[1].events |= POLLOUT;
        timespec timeout{};
        timespec* tp = &timeout;
        if (!board.busy(now)) {
            // While the pty is full, POLLOUT says when the line can go on.
            const int64_t next = board.nextEventNs(now, !writeBlocked);
            if (next < 0) {
                tp = nullptr;
            } else {
                const int64_t wait = std::max<int64_t>(0, next - now);
                timeout.tv_sec = wait / 1'000'000'000LL;
                timeout.tv_nsec = wait % 1'000'000'000LL;
            }
        }
        if (ppoll(fds, 3, tp, nullptr) < 0 && errno != EINTR) {
            std::fprintf(stderr, "zelk-board: poll: %s\n", std::strerror(errno));
            break;
        }
        now = monotonicNs();

        if (fds[2].revents & POLLIN) {
            signalfd_siginfo si{};
            while (read(sigfd, &si, sizeof si) == static_cast<ssize_t>(sizeof si)) {
                if (si.ssi_signo == SIGUSR1)
                    board.reset(now);
                else
                    stop = true;
            }
        }
        if (fds[1].revents & POLLIN) {
            const ssize_t n = read(master, buf, sizeof buf);
            if (n > 0)
                board.receive(std::span<const uint8_t>(buf, static_cast<size_t>(n)), now);
        }
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            const ssize_t n = read(0, buf, sizeof buf);
            if (n <= 0) {
                stdinOpen = false;
            } else {
                stdinLine.append(reinterpret_cast<const char*>(buf), static_cast<size_t>(n));
                size_t nl;
                while ((nl = stdinLine.find('\n')) != std::string::npos) {
                    board.command(std::string_view(stdinLine).substr(0, nl), now);
                    stdinLine.erase(0, nl + 1);
                }
                // A line that never ends is not kept without bound.
                if (stdinLine.size() > 4096)
                    stdinLine.clear();
            }
        }
    }
    for (const auto& answer : board.takeAnswers(true))
        printLine(answer);
    close(master);
    close(slave);
    return 0;
}
