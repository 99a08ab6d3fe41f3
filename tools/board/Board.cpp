// The virtual board's core: frames in, replies and program output out at
// the line's pace, faults injected on the way, stdin commands answered.
#include "Board.h"

#include "link/FileInput.h"
#include "link/SRecord.h"

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace zelk::board {

namespace {

bool parseUnsigned(std::string_view text, uint64_t& value)
{
    if (text.empty())
        return false;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && p == end;
}

bool parseRate(std::string_view text, double& value)
{
    // Plain decimal fractions only ("0", "0.01", "1", ".5").
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string_view::npos ||
        std::count(text.begin(), text.end(), '.') > 1 || text == ".")
        return false;
    double v = 0, scale = 1;
    bool fraction = false;
    for (char c : text) {
        if (c == '.') {
            fraction = true;
            continue;
        }
        if (fraction) {
            scale /= 10;
            v += (c - '0') * scale;
        } else {
            v = v * 10 + (c - '0');
        }
    }
    if (v > 1)
        return false;
    value = v;
    return true;
}

} // namespace

const char* usageText()
{
    return "usage: zelk-board [--baud N] [--image FILE.s19] [--clock-hz N] [--step-limit N]\n"
           "                  [--seed N] [--drop-reply R] [--corrupt-reply R] [--late-reply R]\n"
           "                  [--nak-erase R] [--split-reply R]\n"
           "A virtual 68HC11 board: its monitor answers the IDE's frames on a pseudo-terminal.\n"
           "The first line on stdout names it: \"zelk-board: listening on /dev/pts/N\".\n"
           "  --baud N          line speed the replies are paced to, 10 bits a byte\n"
           "                    (default 38400; 0 sends at once)\n"
           "  --image FILE.s19  load the file's S1 records into memory at start\n"
           "  --clock-hz N      E clock of a free run (default 0: full speed)\n"
           "  --step-limit N    instructions after which a step is cut and answered\n"
           "                    (default 50000000)\n"
           "  --seed N          seed of the fault draws (default 1)\n"
           "  --drop-reply R    probability 0..1 per reply of sending no reply\n"
           "  --corrupt-reply R ... of a reply with a wrong checksum (or not ACK)\n"
           "  --late-reply R    ... of a reply after the IDE's time window\n"
           "  --split-reply R   ... of a reply in two chunks with a 30 ms pause\n"
           "  --nak-erase R     probability per erase of answering NAK (flash kept)\n"
           "Commands on stdin, one a line, each answered by one \"zelk-board: \" line:\n"
           "  quit | reset | fault drop|corrupt|late|split|nak-erase | cts off | cts on | stats\n"
           "\"reset\" (or SIGUSR1) stops a running program and sends \"BBB\" on the line.\n"
           "\"cts off\" stands for a board whose CTS line is low (a pty has none): the board\n"
           "reads and discards everything and answers nothing until \"cts on\".\n"
           "The board exits on \"quit\", end of stdin, SIGINT or SIGTERM.\n";
}

bool parseOptions(const std::vector<std::string>& args, BoardOptions& o, std::string& error, bool& help)
{
    help = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
            hasValue = true;
        }
        if (name == "--help" || name == "-h") {
            help = true;
            return true;
        }
        static const char* const known[] = {"--baud", "--image", "--clock-hz", "--step-limit", "--seed",
                                            "--drop-reply", "--corrupt-reply", "--late-reply",
                                            "--nak-erase", "--split-reply"};
        if (std::find_if(std::begin(known), std::end(known), [&](const char* k) { return name == k; }) ==
            std::end(known)) {
            error = "unknown option '" + args[i] + "'";
            return false;
        }
        if (!hasValue) {
            if (i + 1 >= args.size()) {
                error = "option " + name + " needs a value";
                return false;
            }
            value = args[++i];
        }
        uint64_t n = 0;
        double r = 0;
        if (name == "--image") {
            if (value.empty()) {
                error = "option --image needs a file name";
                return false;
            }
            o.image = value;
        } else if (name == "--drop-reply" || name == "--corrupt-reply" || name == "--late-reply" ||
                   name == "--nak-erase" || name == "--split-reply") {
            if (!parseRate(value, r)) {
                error = "option " + name + " takes a probability from 0 to 1, not '" + value + "'";
                return false;
            }
            (name == "--drop-reply"      ? o.rates.drop
             : name == "--corrupt-reply" ? o.rates.corrupt
             : name == "--late-reply"    ? o.rates.late
             : name == "--nak-erase"     ? o.rates.nakErase
                                         : o.rates.split) = r;
        } else {
            if (!parseUnsigned(value, n)) {
                error = "option " + name + " takes a whole number, not '" + value + "'";
                return false;
            }
            if (name == "--baud") {
                if (n > 10'000'000) {
                    error = "option --baud: " + value + " is beyond any serial line";
                    return false;
                }
                o.baud = static_cast<uint32_t>(n);
            } else if (name == "--clock-hz") {
                if (n > 1'000'000'000) {
                    error = "option --clock-hz: " + value + " is above 1000000000";
                    return false;
                }
                o.clockHz = n;
            } else if (name == "--step-limit") {
                o.stepLimit = n;
            } else {
                o.seed = n;
            }
        }
    }
    return true;
}

ImageLoad loadImage(Monitor& monitor, const std::string& path, std::string& error)
{
    std::string text;
    if (const std::string why = zelk::readFileInput(path, text, MaxImageBytes); !why.empty()) {
        if (why == std::strerror(EFBIG)) {
            error = path + ": larger than 16 MB, not an S-record image";
            return ImageLoad::TooLarge;
        }
        error = "cannot read " + path + ": " + why;
        return ImageLoad::Failed;
    }
    // Lines end in LF, CR LF or CR alone.
    size_t start = 0;
    int lineNo = 0;
    int records = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        ++lineNo;
        const std::string_view line(text.data() + start, end - start);
        zelk::SRecord rec;
        const auto status = zelk::parseS1Record(line, rec);
        if (status == zelk::SRecordStatus::Malformed || status == zelk::SRecordStatus::BadChecksum) {
            error = path + ":" + std::to_string(lineNo) +
                    (status == zelk::SRecordStatus::Malformed ? ": malformed S1 record" : ": S1 record checksum does not hold");
            return ImageLoad::Failed;
        }
        if (status == zelk::SRecordStatus::Valid) {
            for (int i = 0; i < rec.count; ++i)
                monitor.load(static_cast<uint16_t>(rec.address + i), rec.data[static_cast<size_t>(i)]);
            ++records;
        }
        start = end + 1;
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
            ++start;
    }
    if (records == 0) {
        error = path + ": no S1 record";
        return ImageLoad::Failed;
    }
    return ImageLoad::Loaded;
}

Board::Board(const BoardOptions& options)
    : options_(options),
      monitor_(options.stepLimit),
      faults_(options.rates, options.seed),
      byteNs_(options.baud ? static_cast<int64_t>(10'000'000'000LL / options.baud) : 0)
{
}

bool Board::wantsLineInput() const
{
    switch (monitor_.state()) {
    case Monitor::State::Stepping: return false;
    case Monitor::State::Running: return ctsOff_ || monitor_.sciReceivePending() < SciRxRoom;
    case Monitor::State::Idle: break;
    }
    return true;
}

void Board::receive(std::span<const uint8_t> bytes, int64_t nowNs)
{
    stats_.bytesIn += bytes.size();
    if (ctsOff_)
        return;
    feed(bytes, nowNs);
}

void Board::feed(std::span<const uint8_t> bytes, int64_t nowNs)
{
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (monitor_.state() == Monitor::State::Running) {
            monitor_.sciReceive(bytes[i]);
        } else if (monitor_.state() == Monitor::State::Stepping) {
            // The monitor reads the line again once the step has ended.
            held_.insert(held_.end(), bytes.begin() + static_cast<std::ptrdiff_t>(i), bytes.end());
            return;
        } else if (const auto ev = reader_.feed(bytes[i], nowNs); ev != FrameReader::Event::None) {
            handleFrame(ev, nowNs);
        }
    }
}

void Board::handleFrame(FrameReader::Event ev, int64_t nowNs)
{
    ++stats_.frames;
    const FrameKind kind = reader_.kind();
    if (ev == FrameReader::Event::BadChecksum) {
        // A damaged erase frame is not answered: an erase reply of NAK
        // would tell the IDE that erasing failed, which it did not.
        if (kind != FrameKind::Erase)
            sendReply({Nak}, kind, nowNs, faults_.choose(false));
        return;
    }
    if (kind == FrameKind::Erase) {
        const Fault f = faults_.choose(true);
        if (f == Fault::NakErase) {
            ++stats_.faults;
            ++stats_.naks;
            if (!ctsOff_)
                enqueue({Nak}, nowNs);
            return;
        }
        sendReply(monitor_.handleFrame(kind, reader_.frame()), kind, nowNs, f);
        return;
    }
    auto reply = monitor_.handleFrame(kind, reader_.frame());
    if (kind == FrameKind::Run) {
        runStartNs_ = nowNs;
        runCycles_ = 0;
    }
    if (kind == FrameKind::Step) {
        // Most steps are a few instructions: finish them now, so the reply
        // leaves well inside the IDE's window.
        service(nowNs);
        return;
    }
    sendReply(std::move(reply), kind, nowNs, faults_.choose(false));
}

void Board::sendReply(std::vector<uint8_t> reply, FrameKind kind, int64_t nowNs, Fault f)
{
    if (reply.empty() || ctsOff_)
        return;
    if (f != Fault::None)
        ++stats_.faults;
    switch (f) {
    case Fault::Drop:
        return;
    case Fault::Corrupt:
        reply.back() ^= 0x01;
        break;
    default:
        break;
    }
    if (reply.size() == 1) {
        if (reply[0] == Ack)
            ++stats_.acks;
        else if (reply[0] == Nak)
            ++stats_.naks;
    }
    if (f == Fault::Late) {
        enqueue(std::move(reply), nowNs, nowNs + (kind == FrameKind::Erase ? LateEraseNs : LateNs));
    } else if (f == Fault::Split && reply.size() >= 2) {
        const auto half = static_cast<std::ptrdiff_t>(reply.size() / 2);
        enqueue(std::vector<uint8_t>(reply.begin(), reply.begin() + half), nowNs);
        enqueue(std::vector<uint8_t>(reply.begin() + half, reply.end()), nowNs, 0, SplitPauseNs);
    } else {
        enqueue(std::move(reply), nowNs);
    }
}

void Board::enqueue(std::vector<uint8_t> bytes, int64_t nowNs, int64_t notBeforeNs, int64_t pauseBeforeNs)
{
    if (bytes.empty())
        return;
    enqueued_ += bytes.size();
    if (line_.empty()) {
        // An idle line starts at once; it earns no credit for the idle time.
        nextSlotNs_ = std::max(nextSlotNs_, nowNs);
        lastSegmentEndNs_ = std::max(lastSegmentEndNs_, nowNs);
    } else if (notBeforeNs == 0 && pauseBeforeNs == 0 && !line_.back().bytes.empty() &&
               line_.back().pauseBeforeNs == 0 && line_.back().notBeforeNs == 0) {
        auto& back = line_.back().bytes;
        back.insert(back.end(), bytes.begin(), bytes.end());
        return;
    }
    Segment s;
    s.bytes = std::move(bytes);
    s.notBeforeNs = notBeforeNs;
    s.pauseBeforeNs = pauseBeforeNs;
    line_.push_back(std::move(s));
}

void Board::startSegment(int64_t)
{
    Segment& h = line_.front();
    if (h.started)
        return;
    h.started = true;
    h.notBeforeNs = std::max(h.notBeforeNs, lastSegmentEndNs_ + h.pauseBeforeNs);
}

size_t Board::lineBacklog() const
{
    size_t n = 0;
    for (const auto& s : line_)
        n += s.bytes.size() - s.pos;
    return n;
}

std::span<const uint8_t> Board::lineDue(int64_t nowNs)
{
    if (line_.empty())
        return {};
    startSegment(nowNs);
    Segment& h = line_.front();
    if (nowNs < h.notBeforeNs)
        return {};
    const size_t left = h.bytes.size() - h.pos;
    if (byteNs_ == 0)
        return {h.bytes.data() + h.pos, left};
    // A held segment starts its bytes from its own release time. A loop
    // woken late sends the bytes whose time has passed at once, so the line
    // keeps its rate on average; after a long stall (a full pty) it catches
    // up by at most CatchUpNs.
    nextSlotNs_ = std::max({nextSlotNs_, h.notBeforeNs, nowNs - CatchUpNs});
    if (nowNs < nextSlotNs_)
        return {};
    const auto n = static_cast<size_t>((nowNs - nextSlotNs_) / byteNs_ + 1);
    return {h.bytes.data() + h.pos, std::min(n, left)};
}

void Board::lineWritten(size_t n, int64_t nowNs)
{
    stats_.bytesOut += n;
    nextSlotNs_ += static_cast<int64_t>(n) * byteNs_;
    while (n > 0 && !line_.empty()) {
        Segment& h = line_.front();
        const size_t take = std::min(n, h.bytes.size() - h.pos);
        h.pos += take;
        n -= take;
        if (h.pos == h.bytes.size()) {
            // The last byte leaves the line one byte time after it started.
            lastSegmentEndNs_ = std::max(nowNs, nextSlotNs_);
            line_.pop_front();
        }
    }
}

uint64_t Board::cycleBudget(int64_t nowNs) const
{
    if (options_.clockHz == 0)
        return UINT64_MAX;
    const auto elapsed = static_cast<unsigned __int128>(std::max<int64_t>(0, nowNs - runStartNs_));
    const auto due = static_cast<uint64_t>(elapsed * options_.clockHz / 1'000'000'000u);
    return due > runCycles_ ? due - runCycles_ : 0;
}

bool Board::busy(int64_t nowNs) const
{
    switch (monitor_.state()) {
    case Monitor::State::Idle: return false;
    case Monitor::State::Stepping: return true;
    case Monitor::State::Running: break;
    }
    return !monitor_.parked() && cycleBudget(nowNs) > 0;
}

void Board::moveSciOutput(int64_t nowNs)
{
    auto out = monitor_.takeSciOutput();
    if (!out.empty())
        enqueue(std::move(out), nowNs);
}

void Board::service(int64_t nowNs)
{
    reader_.expire(nowNs);
    if (monitor_.state() == Monitor::State::Idle)
        return;
    monitor_.setLineBacklog(lineBacklog());
    uint64_t budget = cycleBudget(nowNs);
    if (options_.clockHz != 0 && budget > options_.clockHz / 20) {
        // Far behind the clock (the process was stopped or starved): drop
        // the lost time instead of racing to catch up.
        runCycles_ += budget - options_.clockHz / 20;
        budget = options_.clockHz / 20;
    }
    if (monitor_.state() == Monitor::State::Stepping)
        budget = UINT64_MAX;
    const auto slice = monitor_.run(SliceInstructions, budget);
    runCycles_ += slice.cycles;
    moveSciOutput(nowNs);
    if (slice.stepEnded) {
        sendReply(monitor_.takeStepReply(), FrameKind::Step, nowNs, faults_.choose(false));
        if (!held_.empty()) {
            std::vector<uint8_t> held;
            held.swap(held_);
            feed(held, nowNs);
        }
    }
}

int64_t Board::nextEventNs(int64_t nowNs, bool withLine) const
{
    int64_t next = -1;
    auto consider = [&](int64_t t) {
        if (t >= 0 && (next < 0 || t < next))
            next = t;
    };
    consider(reader_.deadlineNs());
    if (withLine && !line_.empty()) {
        const Segment& h = line_.front();
        int64_t t = h.started ? h.notBeforeNs : std::max(h.notBeforeNs, lastSegmentEndNs_ + h.pauseBeforeNs);
        if (byteNs_)
            t = std::max(t, nextSlotNs_);
        consider(t);
    }
    if (monitor_.state() == Monitor::State::Running && !monitor_.parked() && options_.clockHz != 0 &&
        cycleBudget(nowNs) == 0) {
        // Next look when about a thousand cycles (or a millisecond) are due.
        const int64_t wait = std::min<int64_t>(1'000'000, static_cast<int64_t>(1'000'000'000'000ULL / options_.clockHz));
        consider(nowNs + std::max<int64_t>(wait, 50'000));
    }
    return next;
}

void Board::reset(int64_t nowNs)
{
    monitor_.reset();
    reader_.clear();
    held_.clear();
    moveSciOutput(nowNs);
    enqueue(std::vector<uint8_t>(std::begin(ResetNotice), std::end(ResetNotice)), nowNs);
}

void Board::command(std::string_view line, int64_t nowNs)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    if (line.empty())
        return;
    std::string word(line.substr(0, line.find_first_of(" \t")));
    std::string_view rest = line.substr(word.size());
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t'))
        rest.remove_prefix(1);
    const std::string arg(rest);
    auto answer = [&](std::string text, uint64_t afterBytes = 0) {
        answers_.push_back({afterBytes, "zelk-board: " + std::move(text)});
    };
    if (word == "quit" && arg.empty()) {
        quit_ = true;
        answer("bye");
    } else if (word == "reset" && arg.empty()) {
        reset(nowNs);
        answer("reset", enqueued_);
    } else if (word == "fault") {
        const Fault f = faultFromName(arg);
        if (f == Fault::None) {
            answer("error: unknown fault '" + arg + "' (drop, corrupt, late, split, nak-erase)");
        } else {
            faults_.arm(f);
            answer(std::string("fault ") + faultName(f) + " armed");
        }
    } else if (word == "cts" && (arg == "off" || arg == "on")) {
        ctsOff_ = arg == "off";
        if (ctsOff_)
            reader_.clear();
        answer("cts " + arg);
    } else if (word == "stats" && arg.empty()) {
        answer("frames=" + std::to_string(stats_.frames) + " acks=" + std::to_string(stats_.acks) +
               " naks=" + std::to_string(stats_.naks) + " faults=" + std::to_string(stats_.faults) +
               " bytes_in=" + std::to_string(stats_.bytesIn) + " bytes_out=" + std::to_string(stats_.bytesOut));
    } else {
        std::string shown(line.substr(0, 80));
        for (char& c : shown)
            if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F)
                c = '?';
        answer("error: unknown command '" + shown + "' (quit, reset, fault KIND, cts off, cts on, stats)");
    }
}

std::vector<std::string> Board::takeAnswers(bool all)
{
    std::vector<std::string> out;
    while (!answers_.empty() && (all || answers_.front().afterBytes <= stats_.bytesOut)) {
        out.push_back(std::move(answers_.front().text));
        answers_.pop_front();
    }
    return out;
}

} // namespace zelk::board
