// Soak run: the main window (offscreen platform) in simulator mode with every
// debugger window of the View menu open plays a loop-heavy program (memory
// through X, the stack, a subroutine, the I/O unit's output register) for a
// given number of instructions, in rounds of Play bounded by a step count.
// After every round the windows refresh as after any stop. Prints the
// resident memory (VmRSS) after the first round and at the end, and its
// largest value, so a leak per instruction or per refresh shows as growth.
//
//   soak [instructions, default 1000000000] [instructions per round, default 50000000]
#include "Assembler.h"
#include "shell/ViewRegistry.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

const char* program = R"(
SUM     EQU     $0040
BUF     EQU     $0050
        ORG     $E000
START   LDS     #$00FF
AGAIN   LDX     #BUF
        LDAB    #16
INNER   LDAA    0,X
        ADDA    #3
        STAA    0,X
        STAA    $6003
        INX
        PSHB
        JSR     WORK
        PULB
        DECB
        BNE     INNER
        BRA     AGAIN
WORK    LDD     SUM
        ADDD    #1
        STD     SUM
        BITA    #$80
        BEQ     DONE
        CLR     SUM
DONE    RTS
        ORG     $FFFE
        FDB     START
)";

long residentKb()
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const unsigned long long total = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000000ull;
    unsigned long long round = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 50000000ull;
    if (total == 0 || round == 0) {
        std::fprintf(stderr, "soak: the instruction counts must be whole numbers above 0\n");
        return 2;
    }
    round = std::min(round, total);

    const zelk::as11::AssemblyResult code = zelk::as11::assemble(program);
    if (!code.ok()) {
        std::fprintf(stderr, "soak: the program does not assemble: %s\n", code.errorText().c_str());
        return 1;
    }

    QTemporaryDir dir;
    QSettings qs(dir.filePath("soak.ini"), QSettings::IniFormat);
    qs.setValue("Settings/COMDevice", "/nonexistent/soak-port");
    zelk::SettingsStore store(&qs);
    zelk::frmMain m(&store);
    int messages = 0;
    m.messageHook = [&messages](const QString& caption, const QString& text, zelk::MessageIcon) {
        if (++messages <= 5)
            std::fprintf(stderr, "soak: message %s: %s\n", qPrintable(caption), qPrintable(text));
    };
    m.forceSimulator();
    m.show();
    app.processEvents();

    for (const zelk::as11::Segment& s : code.segments)
        std::copy(s.bytes.begin(), s.bytes.end(), m.access().image() + s.address);
    m.access().regs.PC = 0xE000;

    int windows = 0;
    for (const zelk::ViewInfo& v : zelk::ViewRegistry::all())
        if (m.openView(v.menuItem))
            ++windows;
    app.processEvents();

    std::printf("soak: %d windows open, %llu instructions in rounds of %llu\n", windows, total, round);
    const long startKb = residentKb();
    std::printf("soak: resident memory before Play: %ld kB\n", startKb);
    std::fflush(stdout);

    const auto t0 = std::chrono::steady_clock::now();
    unsigned long long done = 0;
    long firstKb = -1, peakKb = startKb;
    int rounds = 0;
    while (done < total) {
        const unsigned long long n = std::min(round, total - done);
        m.runOptions().maxSteps = n;
        m.runCommand("mnuRunPlay");
        // The windows refresh as after any stop; let them paint.
        app.processEvents();
        done += n;
        ++rounds;
        const long kb = residentKb();
        peakKb = std::max(peakKb, kb);
        if (firstKb < 0)
            firstKb = kb;
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        std::printf("soak: round %3d  %12llu instructions  %8.1f s  resident %ld kB\n", rounds, done, s, kb);
        std::fflush(stdout);
    }
    const long endKb = residentKb();
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("soak: %llu instructions in %.1f s (%.2f million/s), PC $%04X\n", done, s, done / s / 1e6,
                unsigned(m.access().regs.PC));
    std::printf("soak: resident memory after round 1: %ld kB, at the end: %ld kB, largest: %ld kB, growth %ld kB\n",
                firstKb, endKb, peakKb, endKb - firstKb);
    for (const zelk::ViewInfo& v : zelk::ViewRegistry::all())
        m.closeView(v.menuItem);
    app.processEvents();
    return messages == 0 ? 0 : 1;
}
