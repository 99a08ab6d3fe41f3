// Step Into from the command to the last open window repainted, with the
// disassembler, stack and (when this build has one) CPU register windows
// open, on the offscreen platform; plus the disassembler's Page Down and
// Down keys, each with its repaint. A loop program keeps PC moving over one
// page and across a page boundary now and then.
#include "BenchMainWindow.h"

#include "code/ui/frmDisAsm.h"
#include "code/ui/frmStack.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <benchmark/benchmark.h>

#include <memory>

using namespace zelk;

namespace {

struct Setup : BenchMainWindow {
    bool cpuWindow = false;

    Setup() : BenchMainWindow(1280, 960)
    {
        uint8_t* img = main->access().image();
        // $C000: LDX #$0040 / loop: PSHA / PULA / INCA / LDAB #$01 / ABA /
        // DEX / BNE loop / BRA $C000 ... then 60 NOPs and a JMP back, so the
        // PC leaves the first page too.
        const uint8_t prog[] = {0xCE, 0x00, 0x40, 0x36, 0x32, 0x4C, 0xC6, 0x01,
                                0x1B, 0x09, 0x26, 0xF7, 0x7E, 0xC1, 0x00};
        for (size_t i = 0; i < sizeof prog; ++i)
            img[0xC000 + i] = prog[i];
        for (int i = 0; i < 60; ++i)
            img[0xC100 + i] = 0x01;
        const uint8_t back[] = {0x7E, 0xC0, 0x00};
        for (size_t i = 0; i < sizeof back; ++i)
            img[0xC100 + 60 + i] = back[i];
        auto& r = main->access().regs;
        r.PC = 0xC000;
        r.SP = 0x00FF;
        img[6] = 0x00;
        img[7] = 0xFF;
        main->openView("mnuViewStack");
        cpuWindow = main->openView("mnuViewRegCPU") != nullptr;
        main->openView("mnuViewDisassembler");
        main->arrangeDebugger();
        QCoreApplication::processEvents();
    }
};

Setup& setup()
{
    static Setup s;
    return s;
}

// Runs the command and lets every pending paint happen.
void stepAndPaint(frmMain& m)
{
    m.runCommand("mnuRunStepInto");
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

void BM_StepIntoWithWindows(benchmark::State& state)
{
    Setup& s = setup();
    frmMain& m = *s.main;
    auto* d = qobject_cast<frmDisAsm*>(m.viewWidget("mnuViewDisassembler"));
    const uint64_t painted = d ? d->rowView()->rowPaints() : 0;
    for (auto _ : state)
        stepAndPaint(m);
    // Rows of the disassembler painted per step (shows that painting happens).
    if (d)
        state.counters["disasmRowsPainted"] = benchmark::Counter(double(d->rowView()->rowPaints() - painted),
                                                                 benchmark::Counter::kAvgIterations);
    state.SetLabel(s.cpuWindow ? "disassembler+stack+CPU" : "disassembler+stack (no CPU window in this build)");
}
BENCHMARK(BM_StepIntoWithWindows)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_StepIntoNoWindows(benchmark::State& state)
{
    Setup& s = setup();
    frmMain& m = *s.main;
    m.closeView("mnuViewDisassembler");
    m.closeView("mnuViewStack");
    m.closeView("mnuViewRegCPU");
    QCoreApplication::processEvents();
    for (auto _ : state)
        stepAndPaint(m);
    m.openView("mnuViewStack");
    if (s.cpuWindow)
        m.openView("mnuViewRegCPU");
    m.openView("mnuViewDisassembler");
    QCoreApplication::processEvents();
}
BENCHMARK(BM_StepIntoNoWindows)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_DisAsmKey(benchmark::State& state, int key)
{
    Setup& s = setup();
    auto* d = qobject_cast<frmDisAsm*>(s.main->viewWidget("mnuViewDisassembler"));
    if (!d) {
        state.SkipWithError("no disassembler window");
        return;
    }
    d->goToAddress(0x0000);
    for (auto _ : state) {
        if (key == Qt::Key_PageDown)
            d->keyPageDown();
        else if (key == Qt::Key_PageUp)
            d->keyPageUp();
        else
            d->keyDown();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}
BENCHMARK_CAPTURE(BM_DisAsmKey, PageDown, int(Qt::Key_PageDown))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DisAsmKey, PageUp, int(Qt::Key_PageUp))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DisAsmKey, Down, int(Qt::Key_Down))->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
