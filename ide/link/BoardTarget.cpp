// The board target (see BoardTarget.h).
#include "link/BoardTarget.h"

#include "link/AccessLayer.h"

#include <algorithm>
#include <chrono>

namespace zelk {

namespace {

constexpr const char* CommCaption = "Tarvine - Communication Error";
constexpr const char* NoResponse = "No Response from M68HC11 Board !";
constexpr const char* InvalidData = "Invalid Data from M68HC11 Board !";
// A reset notice that stays the last thing received for this long ends an
// unlimited wait (a reply would have gone on arriving).
constexpr int ResetQuietMs = 150;

// Marks the target busy for the duration of an exchange.
class BusyScope {
public:
    explicit BusyScope(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = old_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& flag_;
    bool old_;
};

} // namespace

BoardTarget::BoardTarget(AccessLayer& link, BytePort& port) : link_(link), port_(port) {}

bool BoardTarget::findBoard()
{
    if (!port_.isOpen()) {
        std::string error;
        const bool ok = port_.open(error);
        if (portOpened)
            portOpened(ok);
        if (!ok) {
            link_.setLinkReady(false);
            if (error.empty())
                error = "The serial port cannot be opened";
            link_.notifier().message(CommCaption, error + " !", MessageIcon::Exclamation);
            return false;
        }
    }
    if (port_.cts()) {
        port_.setThreshold(0);
        return true;
    }
    link_.setLinkReady(false);
    link_.notifier().message(CommCaption, "M68HC11 Board Not Connected !", MessageIcon::Exclamation);
    link_.hooks().BoardStatus();
    return false;
}

void BoardTarget::fail(const char* text)
{
    link_.setLinkReady(false);
    link_.hooks().BoardStatus();
    link_.notifier().message(CommCaption, text, MessageIcon::Exclamation);
    port_.discard();
}

bool BoardTarget::waitUnlimited(int count)
{
    using Clock = std::chrono::steady_clock;
    size_t seen = 0;
    Clock::time_point quietSince = Clock::now();
    for (;;) {
        if (port_.waitFor(count, ResetQuietMs / 3, true))
            return true;
        const std::vector<uint8_t> got = port_.peek();
        if (got.size() != seen) {
            seen = got.size();
            quietSince = Clock::now();
        } else if (board::endsWithResetNotice(got.data(), got.size()) &&
                   Clock::now() - quietSince >= std::chrono::milliseconds(ResetQuietMs)) {
            return false;
        }
    }
}

bool BoardTarget::exchange(const std::vector<uint8_t>& frame, int replyLength, int windowMs, Wait wait,
                           Check check, bool thresholdOff, std::vector<uint8_t>& reply)
{
    BusyScope scope(busy_);
    port_.discard();
    if (thresholdOff)
        port_.setThreshold(0);
    port_.send(frame.data(), frame.size());
    ++counters_.frames;
    counters_.bytesSent += frame.size();

    bool complete = false;
    if (wait == Wait::Unlimited) {
        complete = waitUnlimited(replyLength);
    } else {
        complete = port_.waitFor(replyLength, windowMs, wait == Wait::WindowWithEvents);
    }
    if (!complete) {
        ++counters_.noResponse;
        const bool resetNotice = wait == Wait::Unlimited;
        if (resetNotice) {
            // Keep the notice for the notification handler.
            link_.setLinkReady(false);
            link_.hooks().BoardStatus();
            link_.notifier().message(CommCaption, NoResponse, MessageIcon::Exclamation);
        } else {
            fail(NoResponse);
        }
        port_.setThreshold(NormalThreshold);
        return false;
    }
    std::vector<uint8_t> got = port_.take(replyLength);
    counters_.bytesReceived += got.size();
    const bool good = check == Check::Ack ? (got.size() == 1 && got[0] == board::Ack)
                                          : board::replyChecksumOk(got.data(), got.size());
    if (!good) {
        ++counters_.invalid;
        fail(InvalidData);
        port_.setThreshold(NormalThreshold);
        return false;
    }
    reply = std::move(got);
    port_.setThreshold(NormalThreshold);
    return true;
}

bool BoardTarget::read(int32_t address, uint8_t* out, int count, bool codeWindow)
{
    if (count <= 0)
        return true;
    if (count > board::MaxReadCount)
        return false;
    std::vector<uint8_t> reply;
    if (!exchange(board::readFrame(address & 0xFFFF, count), board::readReplyLength(count),
                  codeWindow ? board::CodeWindowReplyMs : board::ReplyWindowMs, Wait::Window, Check::Data,
                  codeWindow, reply))
        return false;
    std::copy(reply.begin() + 1, reply.begin() + 1 + count, out);
    return true;
}

bool BoardTarget::dataFrame(bool programFrame, int32_t address, const uint8_t* data, int count)
{
    if (count <= 0)
        return true;
    if (count > board::MaxWriteCount)
        return false;
    address &= 0xFFFF;
    std::vector<uint8_t> reply;
    // Writes let window messages run while they wait; programming (one
    // frame per S-record, the download's loop lets them run per line) not.
    return exchange(programFrame ? board::programFrame(address, data, count) : board::writeFrame(address, data, count),
                    board::AckReplyLength, board::ReplyWindowMs,
                    programFrame ? Wait::Window : Wait::WindowWithEvents, Check::Ack, false, reply);
}

bool BoardTarget::write(int32_t address, const uint8_t* data, int count)
{
    return dataFrame(false, address, data, count);
}

bool BoardTarget::program(int32_t address, const uint8_t* data, int count)
{
    return dataFrame(true, address, data, count);
}

bool BoardTarget::erase()
{
    BusyScope scope(busy_);
    const std::vector<uint8_t> frame = board::eraseFrame();
    port_.discard();
    port_.send(frame.data(), frame.size());
    ++counters_.frames;
    counters_.bytesSent += frame.size();
    const bool complete = port_.waitFor(1, board::EraseWindowMs, true);
    if (!complete) {
        ++counters_.noResponse;
        fail(NoResponse);
        port_.setThreshold(NormalThreshold);
        return false;
    }
    const std::vector<uint8_t> got = port_.take(1);
    counters_.bytesReceived += got.size();
    port_.setThreshold(NormalThreshold);
    if (!got.empty() && got[0] == board::Ack)
        return true;
    ++counters_.invalid;
    link_.setLinkReady(false);
    if (!got.empty() && got[0] == board::Nak)
        link_.notifier().message("ZELK Tools", "Erasing Flash failed!", MessageIcon::Exclamation);
    else
        link_.notifier().message(CommCaption, "Invalid data from board !", MessageIcon::Exclamation);
    port_.discard();
    return false;
}

bool BoardTarget::step(CpuRegisters& regs, const uint8_t instr[5], StepKind kind)
{
    std::vector<uint8_t> reply;
    const bool unlimited = kind != StepKind::StepInto;
    if (!exchange(board::stepFrame(regs, instr), board::StepReplyLength, board::ReplyWindowMs,
                  unlimited ? Wait::Unlimited : Wait::Window, Check::Data, true, reply))
        return false;
    board::loadStepReply(regs, reply.data());
    return true;
}

bool BoardTarget::run(const CpuRegisters& regs)
{
    std::vector<uint8_t> reply;
    // The acknowledgement is one byte; the program's own output may follow
    // it at once and stays waiting for the notification handler and tmrComm.
    if (!exchange(board::runFrame(regs), board::AckReplyLength, board::ReplyWindowMs, Wait::Window, Check::Ack,
                  true, reply))
        return false;
    return true;
}

} // namespace zelk
