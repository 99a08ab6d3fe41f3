// What the open Input-Output Unit window costs Play. The program counts in
// A and writes it to the output register $6003 once every 100 instructions;
// Play runs it in the main window (offscreen) with the unit's window closed
// (the unit inactive: plain memory) and open with the LEDs powered (every
// write updates the unit; the window redraws when window messages run).
// Runs alternate closed/open to even out the machine's drift; prints the
// median instructions per second of each and the cost of the open window.
//
//   ioplay_bench [seconds-per-run] [runs-each]
#include "BenchMainWindow.h"

#include "terminal/ui/frmIOBOard.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

// $E000 INCA / STAA $6003 / LDAB #48 / DECB / BNE -3 / BRA $E000:
// 1 + 1 + 1 + 48 x 2 + 1 = 100 instructions per output, 2 + 4 + 2 + 48 x 5 + 3 = 251 cycles.
constexpr double kInstructionsPerCycle = 100.0 / 251.0;

void putProgram(zelk::frmMain& m)
{
    const uint8_t code[] = {0x4C, 0xB7, 0x60, 0x03, 0xC6, 0x30, 0x5A, 0x26, 0xFD, 0x20, 0xF5};
    std::copy(std::begin(code), std::end(code), m.access().image() + 0xE000);
    m.access().regs.PC = 0xE000;
}

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

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::max(0.2, std::atof(argv[1])) : 2.0;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

    BenchMainWindow bw(1200, 900);
    zelk::frmMain& m = *bw.main;
    app.processEvents();

    std::vector<double> closed, open;
    uint8_t lastOut = 0;
    bool shown = false;
    for (int i = 0; i < runs; ++i) {
        closed.push_back(throughput(m, seconds));
        m.runCommand("mnuViewIOunit");
        auto* w = qobject_cast<zelk::frmIOBOard*>(m.viewWidget("mnuViewIOunit"));
        if (!w) {
            std::printf("no I/O unit window in this build\n");
            return 1;
        }
        if (!w->CheckLEDPower()->isChecked())
            w->CheckLEDPower()->click();
        app.processEvents();
        open.push_back(throughput(m, seconds));
        app.processEvents();
        lastOut = zelk::frmIOBOard::unit(m).outByte();
        shown = w->TextOutBinary()->text().toStdString() == zelk::byteToBits(lastOut);
        m.closeView("mnuViewIOunit");
        app.processEvents();
    }
    const double c = median(closed), o = median(open);
    const double cost = 100.0 * (c - o) / c;
    std::printf("Play writing $6003 every 100 instructions, %d runs of %.1f s each way\n", runs, seconds);
    std::printf("  I/O unit window closed: %8.2f million instructions/s\n", c / 1e6);
    std::printf("  I/O unit window open:   %8.2f million instructions/s (window shows the last byte: %s)\n", o / 1e6,
                shown ? "yes" : "NO");
    std::printf("  cost of the open window: %.1f%%\n", cost);
    std::printf("Target: < 10%%: %s\n", cost < 10 && shown ? "met" : "NOT met");
    return 0;
}
