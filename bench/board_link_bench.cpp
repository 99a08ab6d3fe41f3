// The board link's own speed, measured against zelk-board at 38400 baud:
//  - programming: one program frame per record, records of 16, 32 and 252
//    data bytes; bytes/s next to the protocol's bound for the record size,
//    data / (frame bytes + reply byte) x baud / 10. zelk-board paces only
//    its replies (a pseudo-terminal carries the IDE's frames at once), so
//    the bench also times the IDE's own gap between a reply's arrival and
//    the next frame, and gives the rate a line paced both ways would reach
//    with that gap: data / ((frame + reply) x 10 / baud + gap);
//  - a full 8 KB download (erase, 32-byte records, reset vector);
//  - the CPU time (user + system) the IDE uses while a silent board lets a
//    100 ms reply window pass.
//
//   board_link_bench [--baud N]
#include "BoardProcess.h"

#include "link/AccessLayer.h"
#include "link/BoardTarget.h"
#include "Assembler.h"
#include "link/SRecordLoader.h"
#include "link/ui/SerialBytePort.h"

#include <QCoreApplication>
#include <QSerialPort>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace zelk;
using Clock = std::chrono::steady_clock;

namespace {

struct PrintingNotifier : Notifier {
    int count = 0;
    void message(std::string caption, std::string text, MessageIcon) override
    {
        ++count;
        std::printf("  message: %s | %s\n", caption.c_str(), text.c_str());
    }
};

// Passes everything to the real line and times the IDE's side: from a wait
// that returned with the reply to the next send.
class TimingPort final : public BytePort {
public:
    explicit TimingPort(BytePort& line) : line_(line) {}
    bool isOpen() const override { return line_.isOpen(); }
    bool open(std::string& e) override { return line_.open(e); }
    bool cts() override { return line_.cts(); }
    int waiting() override { return line_.waiting(); }
    void discard() override { line_.discard(); }
    void send(const uint8_t* d, size_t n) override
    {
        if (replied_) {
            gap += Clock::now() - lastReply_;
            ++gaps;
            replied_ = false;
        }
        line_.send(d, n);
    }
    std::vector<uint8_t> take(int n) override { return line_.take(n); }
    std::vector<uint8_t> peek() override { return line_.peek(); }
    bool waitFor(int count, int ms, bool ev) override
    {
        const bool ok = line_.waitFor(count, ms, ev);
        if (ok) {
            lastReply_ = Clock::now();
            replied_ = true;
        }
        return ok;
    }
    void setThreshold(int n) override { line_.setThreshold(n); }
    int threshold() const override { return line_.threshold(); }
    void reset()
    {
        gap = {};
        gaps = 0;
        replied_ = false;
    }

    Clock::duration gap{};
    int gaps = 0;

private:
    BytePort& line_;
    Clock::time_point lastReply_;
    bool replied_ = false;
};

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

// S-records of data at base, as the assembler writes them.
std::string s19Of(int32_t base, const std::vector<uint8_t>& data, int perRecord)
{
    return as11::formatSRecords({as11::Segment{static_cast<uint16_t>(base), data}}, static_cast<uint16_t>(base),
                                "test", static_cast<size_t>(perRecord));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int baud = 38400;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--baud") == 0)
            baud = std::atoi(argv[i + 1]);

    test::BoardProcess board({"--baud", std::to_string(baud)});
    if (!board.started()) {
        std::fprintf(stderr, "board_link_bench: %s\n", board.error().c_str());
        return 1;
    }
    QSerialPort serial;
    serial.setPortName(QString::fromStdString(board.ptyPath()));
    SerialBytePort port(serial);
    port.setBaudRate(baud);
    std::string error;
    if (!port.open(error)) {
        std::fprintf(stderr, "board_link_bench: %s\n", error.c_str());
        return 1;
    }
    PrintingNotifier notes;
    AccessLayer link(&notes);
    TimingPort timing(port);
    BoardTarget target(link, timing);
    link.setBoard(&target);
    link.setMode(TargetMode::Board);
    link.setLinkReady(true);

    std::printf("board link at %d baud on %s\n", baud, board.ptyPath().c_str());
    link.FlashErase();

    // Programming speed by record size.
    for (int n : {16, 32, 252}) {
        std::vector<uint8_t> data(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            data[static_cast<size_t>(i)] = static_cast<uint8_t>(i * 7);
        const int records = std::max(8, 4096 / n);
        link.FlashErase();
        timing.reset();
        const auto t0 = Clock::now();
        for (int r = 0; r < records; ++r)
            link.Programm(0xE000 + (r * n) % 0x1F00, data.data(), n);
        const double s = seconds(t0, Clock::now());
        const double rate = records * n / s;
        const double lineTime = (n + 5 + 1) * 10.0 / baud;
        const double bound = n / lineTime;
        const double gap = std::chrono::duration<double>(timing.gap).count() / std::max(1, timing.gaps);
        const double paced = n / (lineTime + gap);
        std::printf("  program %3d-byte records: %8.0f bytes/s here; bound %6.0f bytes/s; IDE gap %6.1f us per "
                    "frame -> %6.0f bytes/s on a line paced both ways, %5.1f%% of the bound\n",
                    n, rate, bound, gap * 1e6, paced, 100.0 * paced / bound);
    }

    // A full 8 KB download as the Download command does it.
    {
        std::vector<uint8_t> flash(0x2000);
        for (size_t i = 0; i < flash.size(); ++i)
            flash[i] = static_cast<uint8_t>(i * 13 + 5);
        const std::string text = s19Of(0xE000, flash, 32);
        const uint64_t f0 = target.counters().frames;
        const auto t0 = Clock::now();
        const DownloadResult r = DownloadText(link, text);
        const double s = seconds(t0, Clock::now());
        std::vector<uint8_t> back;
        link.InBytes(0xE000, back, 0x2000);
        int mismatched = 0;
        for (size_t i = 0; i < flash.size() && i < back.size(); ++i)
            mismatched += back[i] != flash[i];
        std::printf("  8 KB download (32-byte records, erase included): %.2f s, %.0f bytes/s, %llu frames, "
                    "%d bytes mismatched, ok=%d\n",
                    s, r.bytes / s, static_cast<unsigned long long>(target.counters().frames - f0), mismatched,
                    r.downloadOK);
    }

    // CPU time while a silent board lets the 100 ms window pass.
    board.command("cts off");
    const int rounds = 10;
    const double c0 = cpuSeconds();
    const auto t0 = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        uint8_t v = 0;
        link.setLinkReady(true);
        link.InByte(0x0000, v);
    }
    const double wall = seconds(t0, Clock::now()) / rounds;
    const double cpu = (cpuSeconds() - c0) / rounds;
    std::printf("  silent board: %.1f ms per failed read, CPU %.2f ms of it (%.1f%%)\n", wall * 1e3, cpu * 1e3,
                100.0 * cpu / wall);
    board.command("cts on");
    std::printf("  frames %llu, no response %llu, invalid %llu\n",
                static_cast<unsigned long long>(target.counters().frames),
                static_cast<unsigned long long>(target.counters().noResponse),
                static_cast<unsigned long long>(target.counters().invalid));
    return 0;
}
