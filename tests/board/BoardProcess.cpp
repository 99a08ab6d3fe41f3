// Child-process and pty-client helpers for tests that drive zelk-board.
#include "BoardProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

extern char** environ;

namespace zelk::test {

namespace {

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

const std::string Prefix = "zelk-board: ";

} // namespace

std::string BoardProcess::programPath()
{
#ifdef ZELK_BOARD_PATH
    return ZELK_BOARD_PATH;
#else
    return "zelk-board";
#endif
}

BoardProcess::BoardProcess(const std::vector<std::string>& args, int startTimeoutMs)
{
    // stdin is a socket so that writing to a board that has gone reports an
    // error instead of raising SIGPIPE in the test.
    int in[2], out[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, in) != 0 || pipe2(out, O_CLOEXEC) != 0) {
        error_ = std::string("cannot create pipes: ") + std::strerror(errno);
        return;
    }
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, in[1], 0);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int s : {SIGINT, SIGTERM, SIGUSR1, SIGPIPE})
        sigaddset(&defaults, s);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    const std::string program = programPath();
    std::vector<std::string> argvStore;
    argvStore.push_back(program);
    argvStore.insert(argvStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argvStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const int rc = posix_spawn(&pid_, program.c_str(), &fa, &attr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    posix_spawnattr_destroy(&attr);
    close(in[1]);
    close(out[1]);
    stdin_ = in[0];
    stdout_ = out[0];
    if (rc != 0) {
        pid_ = -1;
        error_ = "cannot start " + program + ": " + std::strerror(rc);
        return;
    }
    std::string line;
    if (!readLine(line, startTimeoutMs)) {
        error_ = "no pty line from " + program + (error_.empty() ? "" : ": " + error_);
        return;
    }
    const std::string listening = Prefix + "listening on ";
    if (line.rfind(listening, 0) != 0) {
        error_ = "unexpected first line: " + line;
        return;
    }
    ptyPath_ = line.substr(listening.size());
}

BoardProcess::~BoardProcess()
{
    stop(2000);
    if (stdin_ >= 0)
        close(stdin_);
    if (stdout_ >= 0)
        close(stdout_);
}

bool BoardProcess::readLine(std::string& line, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (const auto nl = pending_.find('\n'); nl != std::string::npos) {
            line = pending_.substr(0, nl);
            pending_.erase(0, nl + 1);
            return true;
        }
        if (stdout_ < 0)
            return false;
        pollfd p{stdout_, POLLIN, 0};
        const int r = poll(&p, 1, msLeft(deadline));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0) {
            error_ = "timed out";
            return false;
        }
        char buf[512];
        const ssize_t n = ::read(stdout_, buf, sizeof buf);
        if (n <= 0) {
            error_ = "the board has exited";
            close(stdout_);
            stdout_ = -1;
            return false;
        }
        pending_.append(buf, static_cast<size_t>(n));
    }
}

std::string BoardProcess::command(const std::string& line, int timeoutMs)
{
    if (stdin_ < 0) {
        error_ = "the board's stdin is closed";
        return {};
    }
    const std::string text = line + "\n";
    if (send(stdin_, text.data(), text.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(text.size())) {
        error_ = std::string("cannot send the command: ") + std::strerror(errno);
        return {};
    }
    std::string answer;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (readLine(answer, msLeft(deadline))) {
        if (answer.rfind(Prefix, 0) == 0)
            return answer.substr(Prefix.size());
    }
    return {};
}

bool BoardProcess::signal(int sig)
{
    return pid_ > 0 && status_ < 0 && kill(pid_, sig) == 0;
}

void BoardProcess::closeStdin()
{
    if (stdin_ >= 0) {
        close(stdin_);
        stdin_ = -1;
    }
}

int BoardProcess::waitExit(int timeoutMs)
{
    if (pid_ <= 0 || status_ >= 0)
        return status_;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int st = 0;
        const pid_t r = waitpid(pid_, &st, WNOHANG);
        if (r == pid_) {
            status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
            return status_;
        }
        if (r < 0 && errno != EINTR)
            return -1;
        if (msLeft(deadline) == 0)
            return -1;
        usleep(2000);
    }
}

int BoardProcess::stop(int timeoutMs)
{
    if (pid_ <= 0 || status_ >= 0)
        return status_;
    if (stdin_ >= 0) {
        static const char quit[] = "quit\n";
        (void)send(stdin_, quit, sizeof quit - 1, MSG_NOSIGNAL);
    }
    if (waitExit(timeoutMs) >= 0)
        return status_;
    kill(pid_, SIGKILL);
    return waitExit(5000);
}

BoardLine::BoardLine(const std::string& path)
{
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0)
        return;
    termios t{};
    if (tcgetattr(fd_, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(fd_, TCSANOW, &t);
    }
}

BoardLine::~BoardLine()
{
    if (fd_ >= 0)
        close(fd_);
}

bool BoardLine::send(std::span<const uint8_t> bytes)
{
    size_t done = 0;
    const auto deadline = Clock::now() + std::chrono::seconds(2);
    while (fd_ >= 0 && done < bytes.size()) {
        const ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        if (msLeft(deadline) == 0)
            return false;
        pollfd p{fd_, POLLOUT, 0};
        poll(&p, 1, 10);
    }
    return fd_ >= 0;
}

std::vector<uint8_t> BoardLine::read(size_t n, int timeoutMs)
{
    std::vector<uint8_t> got;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (fd_ >= 0 && got.size() < n) {
        uint8_t buf[1024];
        const ssize_t r = ::read(fd_, buf, std::min(sizeof buf, n - got.size()));
        if (r > 0) {
            got.insert(got.end(), buf, buf + r);
            continue;
        }
        if (r < 0 && errno != EAGAIN && errno != EINTR)
            break;
        const int left = msLeft(deadline);
        if (left == 0)
            break;
        pollfd p{fd_, POLLIN, 0};
        poll(&p, 1, left);
    }
    return got;
}

std::vector<uint8_t> BoardLine::readFor(int ms)
{
    return read(SIZE_MAX, ms);
}

void BoardLine::discard()
{
    if (fd_ >= 0)
        tcflush(fd_, TCIFLUSH);
}

std::vector<uint8_t> BoardLine::exchange(std::span<const uint8_t> frame, size_t replyLength, int timeoutMs)
{
    discard();
    if (!send(frame))
        return {};
    return read(replyLength, timeoutMs);
}

std::vector<uint8_t> makeFrame(char letter, std::span<const uint8_t> body)
{
    std::vector<uint8_t> f;
    f.push_back(static_cast<uint8_t>(letter));
    unsigned sum = 0;
    for (uint8_t b : body) {
        f.push_back(b);
        sum += b;
    }
    f.push_back(static_cast<uint8_t>(-sum & 0xFF));
    return f;
}

std::vector<uint8_t> makeFrame(char letter, std::initializer_list<uint8_t> body)
{
    return makeFrame(letter, std::span<const uint8_t>(body.begin(), body.size()));
}

} // namespace zelk::test
