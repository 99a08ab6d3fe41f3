// Latency of the debugger windows as the user meets it, on the offscreen
// platform (set QT_QPA_PLATFORM to measure another):
//  - StepIntoRepaint: Step Into from the Run menu command until the changed
//    windows have repainted (pending paint events processed), with the nine
//    register windows and the memory window open, on a loop that writes the
//    ports, the timer compare, the pulse accumulator and the PIA every pass;
//  - StepIntoFullRepaint: the same, but every window repaints in full;
//  - StepIntoWithCodeViews: the same as the first, with the disassembler,
//    stack and watch windows open too (when this build has them);
//  - MemoryPageDown: one Page Down in the memory window, repainted;
//  - MemoryPageDownNoPaint: the same without painting (reading the page and
//    rewriting the cells only);
//  - MemorySweep: paging from $0000 to the end of memory, repainted per page.
#include "BenchMainWindow.h"
#include "QtBenchmarkMain.h"

#include "shell/ViewRegistry.h"
#include "shell/frmMain.h"
#include "views/RegisterCatalogue.h"
#include "views/ui/frmMemory.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableWidget>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

using namespace zelk;

namespace {

// START LDS #$00FF / LDAA #$FF / STAA DDRC / CLRA
// LOOP  INCA / STAA PORTB / STAA PORTC / STAA $1804 / LDD TCNT / ADDD #100
//       STD TCNT / STD TOC1 / LDX #$1000 / INC $27,X / BRA LOOP
const uint8_t kProgram[] = {
    0x8E, 0x00, 0xFF, 0x86, 0xFF, 0xB7, 0x10, 0x07, 0x4F,              // E000
    0x4C, 0xB7, 0x10, 0x04, 0xB7, 0x10, 0x03, 0xB7, 0x18, 0x04,        // E009 LOOP
    0xFC, 0x10, 0x0E, 0xC3, 0x00, 0x64, 0xFD, 0x10, 0x0E, 0xFD, 0x10, 0x16,
    0xCE, 0x10, 0x00, 0x6C, 0x27, 0x20, 0xE0,
};

struct Session : BenchMainWindow {
    frmMemory* memory = nullptr;

    explicit Session(bool codeViews) : BenchMainWindow(1600, 1000)
    {
        std::copy(std::begin(kProgram), std::end(kProgram), main->access().image() + 0xE000);
        main->access().regs.PC = 0xE000;
        for (const RegisterWindowInfo& w : registerWindows())
            main->openView(QString::fromUtf8(w.viewMenuItem.data(), qsizetype(w.viewMenuItem.size())));
        frmMemory::memoryAddress = [](QWidget*, DialogFields& f) {
            f.DialogAddress = 0x1000;
            f.DialogOK = true;
        };
        main->runCommand(QStringLiteral("mnuViewMemory"));
        memory = qobject_cast<frmMemory*>(main->viewWidget(QStringLiteral("mnuViewMemory")));
        if (codeViews)
            for (const char* v : {"mnuViewDisassembler", "mnuViewStack", "mnuViewWatch"})
                if (ViewRegistry::byMenuItem(QString::fromLatin1(v)))
                    main->openView(QString::fromLatin1(v));
        main->mdiArea()->tileSubWindows();
        QApplication::processEvents();
    }

    ~Session()
    {
        // The windows go before the main window, as when the user closes them.
        main->mdiArea()->closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

void stepInto(benchmark::State& state, bool codeViews, bool fullRepaint)
{
    Session s(codeViews);
    if (!s.memory) {
        state.SkipWithError("no memory window");
        return;
    }
    for (auto _ : state) {
        s.main->runCommand(QStringLiteral("mnuRunStepInto"));
        if (fullRepaint)
            s.main->repaint();
        QApplication::processEvents();
    }
    state.counters["windows"] = double(s.main->mdiArea()->subWindowList().size());
    state.counters["PC"] = double(s.main->access().regs.PC);
}

void StepIntoRepaint(benchmark::State& state) { stepInto(state, false, false); }
void StepIntoFullRepaint(benchmark::State& state) { stepInto(state, false, true); }
void StepIntoWithCodeViews(benchmark::State& state) { stepInto(state, true, false); }

// One Page Down per iteration, back to the top at the end of memory; with
// `paint` each page is repainted, without it the paints wait until the end.
void memoryPageDown(benchmark::State& state, bool paint)
{
    Session s(false);
    if (!s.memory || s.memory->LineCount() == 0) {
        state.SkipWithError("no memory lines");
        return;
    }
    const int32_t last = 0x10000 - s.memory->LineCount() * 16;
    for (auto _ : state) {
        if (s.memory->displayAddress() >= last)
            s.memory->showPage(0, 0, 2);
        s.memory->moveCursor(MemoryMove::PageDown);
        if (paint)
            QApplication::processEvents();
    }
    if (paint)
        state.counters["lines"] = s.memory->LineCount();
    else
        QApplication::processEvents();
}

void MemoryPageDown(benchmark::State& state) { memoryPageDown(state, true); }
void MemoryPageDownNoPaint(benchmark::State& state) { memoryPageDown(state, false); }

void MemorySweep(benchmark::State& state)
{
    Session s(false);
    if (!s.memory || s.memory->LineCount() == 0) {
        state.SkipWithError("no memory lines");
        return;
    }
    const int32_t last = 0x10000 - s.memory->LineCount() * 16;
    int pages = 0;
    for (auto _ : state) {
        s.memory->showPage(0, 0, 2);
        pages = 1;
        while (s.memory->displayAddress() < last) {
            s.memory->moveCursor(MemoryMove::PageDown);
            QApplication::processEvents();
            ++pages;
        }
    }
    state.counters["pages"] = pages;
    state.counters["lines"] = s.memory->LineCount();
}

} // namespace

BENCHMARK(StepIntoRepaint)->Unit(benchmark::kMicrosecond);
BENCHMARK(StepIntoFullRepaint)->Unit(benchmark::kMicrosecond);
BENCHMARK(StepIntoWithCodeViews)->Unit(benchmark::kMicrosecond);
BENCHMARK(MemoryPageDown)->Unit(benchmark::kMicrosecond);
BENCHMARK(MemoryPageDownNoPaint)->Unit(benchmark::kMicrosecond);
BENCHMARK(MemorySweep)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return runQtBenchmarks(argc, argv); }
