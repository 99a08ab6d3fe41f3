// The serial terminal keeping up with a program that writes without pause
// at 38400 baud: 3 840 bytes/s arrive in blocks every 50 ms (the
// communication timer's tick) for a simulated minute. Each block goes to the
// open window's Display, and the window is repainted, as the event loop
// would between ticks. Prints, for ASCII text and for the Hex dump, the
// processing time of the minute (it must stay far below 60 s), the slowest
// block against the 50 ms tick, and the lines kept (capped).
//
//   terminal_bench [simulated-seconds]
#include "BenchMainWindow.h"

#include "terminal/ui/TerminalView.h"
#include "terminal/ui/frmSerial.h"

#include <QAction>
#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

using Clock = std::chrono::steady_clock;

namespace {

constexpr int kBytesPerSecond = 3840;
constexpr int kTickMs = 50;
constexpr int kBlock = kBytesPerSecond * kTickMs / 1000;  // 192

struct Result {
    double seconds = 0;
    double worstMs = 0;
    size_t lines = 0;
};

Result feed(zelk::frmSerial& w, int simulatedSeconds)
{
    // Short numbered lines, so that the minute holds more lines than the cap.
    std::string stream;
    for (int n = 0; stream.size() < size_t(kBytesPerSecond) * simulatedSeconds; ++n)
        stream += "line " + std::to_string(n) + " ok\r\n";
    Result r;
    const auto t0 = Clock::now();
    for (size_t at = 0; at + kBlock <= stream.size(); at += kBlock) {
        const auto b0 = Clock::now();
        w.Display(QByteArray(stream.data() + at, kBlock));
        w.view()->viewport()->repaint();
        QCoreApplication::processEvents();
        r.worstMs = std::max(r.worstMs, std::chrono::duration<double, std::milli>(Clock::now() - b0).count());
    }
    r.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    r.lines = w.model().lineCount();
    return r;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;

    BenchMainWindow bw(1200, 900);
    zelk::frmMain& m = *bw.main;
    app.processEvents();
    m.runCommand("mnuViewSerialTerminal");
    auto* w = qobject_cast<zelk::frmSerial*>(m.viewWidget("mnuViewSerialTerminal"));
    if (!w) {
        std::printf("no serial terminal window in this build\n");
        return 1;
    }
    app.processEvents();

    std::printf("Serial terminal at %d bytes/s, blocks of %d bytes every %d ms, %d simulated s\n",
                kBytesPerSecond, kBlock, kTickMs, seconds);
    bool met = true;
    for (const char* mode : {"mnuPopupSerialAscii", "mnuPopupSerialHex"}) {
        zelk::frmSerial::popupItem(m, mode)->trigger();
        const Result r = feed(*w, seconds);
        std::printf("  %-5s: %6.2f s for the %d s (%.1f%% of real time), slowest block %.2f ms, %zu lines kept\n",
                    mode + 14, r.seconds, seconds, 100.0 * r.seconds / seconds, r.worstMs, r.lines);
        met = met && r.seconds < 0.25 * seconds && r.worstMs < kTickMs && r.lines <= w->model().maxLines();
    }
    std::printf("Target: well inside real time (< 25%%), every block within the %d ms tick, lines capped at %zu: %s\n",
                kTickMs, w->model().maxLines(), met ? "met" : "NOT met");
    return 0;
}
