// Play as the user runs it: the main window (offscreen platform) in simulator
// mode runs a loop-heavy program with the Play command, through the same
// event time slice as the program. Prints
//   - instructions per second of Play with no debugger window open (and,
//     when this build has it, with the CPU register window open), with the
//     step history at its default size (every step recorded) and switched
//     off (Options, history 0: the run keeps its steps in the headless loop
//     between the time slices), and
//   - the Pause latency: from a Pause command posted to the event queue by
//     another thread until the Play loop has stopped (20 runs, random moment).
//
//   play_bench [seconds-per-throughput-run]
#include "shell/frmMain.h"
#include "shell/ViewRegistry.h"

#include <QAction>
#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

// $E000 LDAB #$10 / $E002 DECB / BNE $E002 / INX / STX $20 / BRA $E000:
// 36 instructions and 92 E-clock cycles per outer round (16 inner rounds).
constexpr double kInstructionsPerCycle = 36.0 / 92.0;

void putProgram(zelk::frmMain& m)
{
    const uint8_t code[] = {0xC6, 0x10, 0x5A, 0x26, 0xFD, 0x08, 0xDF, 0x20, 0x20, 0xF6};
    std::copy(std::begin(code), std::end(code), m.access().image() + 0xE000);
    m.access().regs.PC = 0xE000;
}

// Runs Play for the given time; returns instructions per second.
double throughput(zelk::frmMain& m, double seconds)
{
    putProgram(m);
    m.run().clockCounter = 0;
    QTimer::singleShot(int(seconds * 1000), &m, [&m] { m.runCommand("mnuRunPause"); });
    const auto t0 = Clock::now();
    m.runCommand("mnuRunPlay");
    const double s = std::chrono::duration<double>(Clock::now() - t0).count();
    return m.run().clockCounter * kInstructionsPerCycle / s;
}

// One Pause posted from another thread at a random moment; returns the
// milliseconds from posting to the loop's end.
double pauseLatency(zelk::frmMain& m, std::mt19937& rng)
{
    putProgram(m);
    std::uniform_int_distribution<int> delay(100, 400);
    Clock::time_point posted{};
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(delay(rng)));
        posted = Clock::now();
        QMetaObject::invokeMethod(&m, [&m] { m.runCommand("mnuRunPause"); }, Qt::QueuedConnection);
    });
    m.runCommand("mnuRunPlay");
    const auto stopped = Clock::now();
    poster.join();
    return std::chrono::duration<double, std::milli>(stopped - posted).count();
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::max(0.2, std::atof(argv[1])) : 2.0;

    QTemporaryDir dir;
    QSettings qs(dir.filePath("bench.ini"), QSettings::IniFormat);
    qs.setValue("Settings/COMDevice", "/nonexistent/bench-port");
    zelk::SettingsStore store(&qs);
    zelk::frmMain m(&store);
    m.messageHook = [](const QString&, const QString&, zelk::MessageIcon) {};
    m.forceSimulator();
    m.show();
    app.processEvents();

    std::printf("Play, event time slice %u ms\n", m.runOptions().eventEveryMs);
    const size_t historySteps = m.run().history.capacity();
    // The target is judged on the user's default: the step history on.
    double ipsDefault = 0;
    for (const size_t capacity : {historySteps, size_t{0}}) {
        m.run().setHistoryCapacity(capacity);
        std::printf(" step history %zu steps:\n", capacity);
        const double ips = throughput(m, seconds);
        if (capacity == historySteps)
            ipsDefault = ips;
        std::printf("  no debugger window:       %8.2f million instructions/s\n", ips / 1e6);
        if (zelk::ViewRegistry::byMenuItem("mnuViewRegCPU")) {
            m.runCommand("mnuViewRegCPU");
            const double ipsCpu = throughput(m, seconds);
            std::printf("  CPU register window open: %8.2f million instructions/s\n", ipsCpu / 1e6);
            m.closeView("mnuViewRegCPU");
        }
    }

    std::mt19937 rng(11);
    std::vector<double> lat;
    for (int i = 0; i < 20; ++i)
        lat.push_back(pauseLatency(m, rng));
    std::sort(lat.begin(), lat.end());
    double sum = 0;
    for (double l : lat)
        sum += l;
    std::printf("Pause latency over %zu runs: median %.2f ms, mean %.2f ms, max %.2f ms\n", lat.size(),
                lat[lat.size() / 2], sum / lat.size(), lat.back());
    std::printf("Targets: >= 50 million instructions/s (default step history, no debugger window), "
                "Pause within 50 ms: %s\n",
                ipsDefault >= 50e6 && lat.back() <= 50 ? "met" : "NOT met");
    return 0;
}
