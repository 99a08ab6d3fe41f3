// What the user waits for when searching a large source, on the offscreen
// platform (set QT_QPA_PLATFORM to measure another). The source has 200 000
// lines; every twentieth names the label COUNTER, 10 000 occurrences in all.
//  - FindNextDown / FindNextUp: one Find Next (F3's command) in a shown
//    editor, from one occurrence to the next, the selection moved and shown;
//  - ReplaceAll: Replace All of the 10 000 occurrences, from the command to
//    the repainted editor (the undo that restores the text is not timed);
//  - UndoReplaceAll: the one undo step that takes a Replace All back;
//  - PlanReplaceAll: the search rules alone (no editor) on the same text.
#include "BenchMainWindow.h"
#include "QtBenchmarkMain.h"

#include "editor/TextSearch.h"
#include "editor/ui/SourceEdit.h"
#include "editor/ui/frmEditor.h"
#include "editor/ui/frmReplace.h"

#include <QApplication>
#include <QComboBox>
#include <QMdiArea>
#include <QRadioButton>
#include <QTextCursor>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

using namespace zelk;

namespace {

constexpr int kLines = 200000;
constexpr int kEvery = 20;

QString bigSource()
{
    QString s;
    s.reserve(kLines * 24);
    for (int i = 0; i < kLines; ++i) {
        if (i % kEvery == 0)
            s += QStringLiteral("L%1\tLDAA\tCOUNTER\n").arg(i);
        else
            s += QStringLiteral("\tADDA\t#%1\n").arg(i % 200);
    }
    return s;
}

struct Session : BenchMainWindow {
    frmEditor* editor = nullptr;
    frmReplace* dialog = nullptr;

    Session() : BenchMainWindow(1400, 900)
    {
        editor = NewEditor(*main);
        editor->setContent(bigSource());
        dialog = frmReplace::of(*main);
        dialog->cbWhat->setEditText(QStringLiteral("COUNTER"));
        dialog->cbWith->setEditText(QStringLiteral("TOTAL"));
        dialog->AddItem();
        QApplication::processEvents();
    }
    ~Session()
    {
        editor->setTextChanged(false);
        main->mdiArea()->closeAllSubWindows();
        QApplication::processEvents();
    }
    void caretAt(int pos)
    {
        QTextCursor c = editor->Text->textCursor();
        c.setPosition(pos);
        editor->Text->setTextCursor(c);
    }
};

// Built once for all the benchmarks; gone before the application is.
std::unique_ptr<Session> g_session;

Session& session()
{
    if (!g_session)
        g_session = std::make_unique<Session>();
    return *g_session;
}

void findNext(benchmark::State& state, bool down)
{
    Session& s = session();
    s.dialog->optDown->setChecked(down);
    s.dialog->optUp->setChecked(!down);
    const int end = int(s.editor->Text->toPlainText().size());
    s.caretAt(down ? 0 : end);
    int found = 0;
    for (auto _ : state) {
        if (!s.dialog->FindStr(down, false, true))
            s.caretAt(down ? 0 : end);
        else
            ++found;
        QApplication::processEvents();
    }
    state.counters["found"] = found;
    s.dialog->optDown->setChecked(true);
}

void FindNextDown(benchmark::State& state) { findNext(state, true); }
void FindNextUp(benchmark::State& state) { findNext(state, false); }

void ReplaceAll(benchmark::State& state)
{
    Session& s = session();
    for (auto _ : state) {
        s.caretAt(0);
        s.dialog->cmdReplaceAllClick();
        QApplication::processEvents();
        state.PauseTiming();
        s.editor->undoStep();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["lines"] = s.editor->Text->document()->blockCount();
}

void UndoReplaceAll(benchmark::State& state)
{
    Session& s = session();
    for (auto _ : state) {
        state.PauseTiming();
        s.caretAt(0);
        s.dialog->cmdReplaceAllClick();
        QApplication::processEvents();
        state.ResumeTiming();
        s.editor->undoStep();
        QApplication::processEvents();
    }
}

void PlanReplaceAll(benchmark::State& state)
{
    const QString text = bigSource();
    const std::u16string_view t(QStringView(text).utf16(), std::size_t(text.size()));
    static const CaseFold fold;
    const SearchPattern what(u"counter", false, fold);
    std::size_t count = 0;
    for (auto _ : state) {
        const ReplaceAllPlan plan = planReplaceAll(t, u"counter", what, 5, {0, 0}, true);
        count = plan.count();
        benchmark::DoNotOptimize(plan.at.data());
    }
    state.counters["replaced"] = double(count);
}

} // namespace

BENCHMARK(FindNextDown)->Unit(benchmark::kMillisecond);
BENCHMARK(FindNextUp)->Unit(benchmark::kMillisecond);
BENCHMARK(ReplaceAll)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(UndoReplaceAll)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(PlanReplaceAll)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runQtBenchmarks(argc, argv, [] { g_session.reset(); });
}
