// The disassembler window: paging, marks, breakpoints and the Debug commands
// that act on it.
#include "code/ui/frmDisAsm.h"

#include "code/Decoder.h"
#include "code/Prediction.h"
#include "editor/SymbolTable.h"
#include "link/Conversions.h"
#include "shell/ViewRegistry.h"
#include "shell/frmMain.h"
#include "views/ui/DialogShared.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScrollBar>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>

namespace zelk {

namespace {

// The 16-bit distance from `from` up to `to`, wrapping at $FFFF.
int32_t distance(int32_t from, int32_t to) { return (to - from) & 0xFFFF; }

// Reads a BRSET/BRCLR operand for the branch marker through the access layer.
class MarkerOperandReader final : public OperandReader {
public:
    explicit MarkerOperandReader(AccessLayer& link) : link_(link) {}
    bool readOperandByte(int32_t address, uint8_t& value) override
    {
        link_.InByte(address & 0xFFFF, value);
        return link_.linkReady();
    }

private:
    AccessLayer& link_;
};

QElapsedTimer& clock()
{
    static QElapsedTimer t;
    if (!t.isValid())
        t.start();
    return t;
}

// The widget of the active child window when it offers method (by its
// signature, "toggleBreakpointAtCaret()"), else null.
QWidget* activeChildWith(frmMain& m, const char* method)
{
    QMdiSubWindow* sub = m.mdiArea()->currentSubWindow();
    QWidget* w = sub ? sub->widget() : nullptr;
    return w && w->metaObject()->indexOfMethod(method) >= 0 ? w : nullptr;
}

frmDisAsm* disasmOf(frmMain& m)
{
    return dynamic_cast<frmDisAsm*>(m.viewWidget(QStringLiteral("mnuViewDisassembler")));
}

} // namespace

frmDisAsm::frmDisAsm(frmMain& main, QWidget* parent) : QWidget(parent), main_(main)
{
    setObjectName(QStringLiteral("frmDisAsm"));
    setWindowTitle(QStringLiteral("Disassembler"));
    setProperty("helpContext", 39);
    view_ = new RowView;
    view_->setObjectName(QStringLiteral("rows"));
    hsb_ = new QScrollBar(Qt::Horizontal);
    hsb_->setObjectName(QStringLiteral("hsbScroll"));
    hsb_->setRange(0, 0);
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    lay->addWidget(view_, 1);
    lay->addWidget(hsb_);
    setFocusProxy(view_);
    resize(420, 400);

    connect(hsb_, &QScrollBar::valueChanged, view_, &RowView::setScroll);
    connect(view_, &RowView::resized, this, [this] {
        updateVisibleRows();
        updateScrollRange();
    });
    connect(view_, &RowView::rowClicked, this, [this](int row) {
        if (shown_)
            SetCurRow(row);
    });
    connect(view_, &RowView::rowDoubleClicked, this, [this](int row) {
        if (shown_)
            toggleRow(row);
    });
    connect(view_, &RowView::rowRightPressed, this, &frmDisAsm::popupAt);
    // Breakpoints set elsewhere (the editor's margin) colour their rows.
    connect(&main_, &frmMain::breakpointsChanged, this, [this] {
        if (shown_)
            applyRows();
    });
    connect(view_, &RowView::keyPressed, this, [this](int key, Qt::KeyboardModifiers) { onKey(key); });
    connect(main_.mdiArea(), &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) {
        if (w && w == subWindow())
            activated();
        else if (active_)
            deactivated();
    });
    ClearScreen();
}

QMdiSubWindow* frmDisAsm::subWindow() const { return qobject_cast<QMdiSubWindow*>(parentWidget()); }

bool frmDisAsm::isActiveChild() const
{
    QMdiSubWindow* sub = subWindow();
    return sub && main_.mdiArea()->activeSubWindow() == sub;
}

bool frmDisAsm::codeOn() const
{
    QAction* a = main_.menuItem(QStringLiteral("mnuDebugCodeOn"));
    return a && a->isChecked();
}

bool frmDisAsm::includeSymbols() const
{
    QAction* a = main_.menuItem(QStringLiteral("mnuDebugIncludeSym"));
    return a && a->isChecked();
}

void frmDisAsm::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (loaded_)
        return;
    // Load: the window is in its MDI frame now; show the page at the PC.
    loaded_ = true;
    updateVisibleRows();
    ClearScreen();
    mnuGoToPCAddress();
    if (isActiveChild())
        activated();
}

void frmDisAsm::closeEvent(QCloseEvent* e)
{
    if (active_)
        deactivated();
    QWidget::closeEvent(e);
}

// ---- Drawing -----------------------------------------------------------------------

void frmDisAsm::ClearScreen()
{
    shown_ = false;
    currentRow_ = 0;
    highlight_ = false;
    for (int r = 1; r <= RowView::MaxRows; ++r) {
        texts_[static_cast<size_t>(r - 1)].clear();
        view_->setRow(r, QString(), RowView::Colour::Plain, false);
    }
    hsb_->setValue(0);
    updateScrollRange();
}

void frmDisAsm::ClearMarks()
{
    boldPC_ = false;
    highlight_ = false;
    applyRows();
}

bool frmDisAsm::isBreakpoint(int32_t address) const { return main_.breakpoints().contains(address); }

void frmDisAsm::applyRows()
{
    if (!shown_)
        return;
    for (int r = 1; r <= RowView::MaxRows; ++r) {
        const PageRow& row = rows_[static_cast<size_t>(r - 1)];
        const bool bp = isBreakpoint(row.address);
        const bool cur = highlight_ && r == currentRow_;
        RowView::Colour c = RowView::Colour::Plain;
        if (cur)
            c = bp ? RowView::Colour::CurrentBreakpoint : RowView::Colour::Current;
        else if (bp)
            c = RowView::Colour::Breakpoint;
        view_->setRow(r, texts_[static_cast<size_t>(r - 1)], c, boldPC_ && row.address == pagePC_);
    }
}

void frmDisAsm::DisAsmPage()
{
    AccessLayer& link = main_.access();
    const CodeWindow& w = link.codeWindow;
    const int32_t pc = link.regs.PC & 0xFFFF;
    const bool withCode = codeOn();
    const CycleProfile& profile = main_.run().profile;

    // The program-counter row's branch marker.
    QChar marker = QLatin1Char(' ');
    {
        int32_t at = pc, next = 0;
        bool taken = false, isCall = false, isReturn = false;
        MarkerOperandReader reader(link);
        if (distance(w.base, pc) < CodeWindow::Size &&
            PredictNext(w, link.regs, link.stackBuffer.data(), &reader, at, false, next, taken, isCall, isReturn) &&
            taken && !isCall && !isReturn)
            marker = next > pc ? QLatin1Char('+') : next < pc ? QLatin1Char('-') : QChar(0x00B1);
    }

    // Which row starts at each byte offset of the window (for the symbols).
    std::array<uint8_t, CodeWindow::Size> rowAtOffset{};
    std::array<const SymbolEntry*, RowView::MaxRows> source{};
    std::array<std::string, RowView::MaxRows> decoded;

    int32_t a = pageTop_ & 0xFFFF;
    for (int r = 0; r < RowView::MaxRows; ++r) {
        int32_t at = a;
        int16_t length = 1;
        DisassembleOne(w, at, length, decoded[static_cast<size_t>(r)]);
        rows_[static_cast<size_t>(r)] = {a, length};
        const int32_t off = distance(w.base, a);
        if (off < CodeWindow::Size)
            rowAtOffset[static_cast<size_t>(off)] = static_cast<uint8_t>(r + 1);
        a = (a + length) & 0xFFFF;
    }

    if (includeSymbols()) {
        // One pass over the table; in table order, so the last match wins.
        for (const SymbolEntry& e : sharedSymbols()) {
            const int32_t off = distance(w.base, e.Value & 0xFFFF);
            if (off >= CodeWindow::Size || !rowAtOffset[static_cast<size_t>(off)])
                continue;
            const int r = rowAtOffset[static_cast<size_t>(off)] - 1;
            const PageRow& row = rows_[static_cast<size_t>(r)];
            if (e.CodeLength != row.length || e.CodeLength < 1 || e.CodeLength > 5)
                continue;
            bool same = true;
            for (int i = 0; i < e.CodeLength && same; ++i)
                same = e.Code[static_cast<size_t>(i)] == w.at((row.address + i) & 0xFFFF);
            if (same)
                source[static_cast<size_t>(r)] = &e;
        }
    }

    for (int r = 0; r < RowView::MaxRows; ++r) {
        const PageRow& row = rows_[static_cast<size_t>(r)];
        QString line = QStringLiteral(" $%1: ").arg(row.address, 4, 16, QLatin1Char('0')).toUpper();
        if (withCode) {
            for (int i = 0; i < 5; ++i) {
                if (i < row.length)
                    line += QStringLiteral("%1 ").arg(w.at((row.address + i) & 0xFFFF), 2, 16, QLatin1Char('0')).toUpper();
                else
                    line += QStringLiteral("   ");
            }
        }
        if (profile.enabled()) {
            // The cycle profile's column: times executed and cycles taken,
            // blank for an instruction that never ran, so the hot rows stand out.
            if (profile.executed(row.address) == 0)
                line += QString(19, QLatin1Char(' '));
            else
                line += QStringLiteral("%1 %2 ")
                            .arg(profile.executed(row.address), 8)
                            .arg(profile.cycles(row.address), 9);
        }
        line += row.address == pc ? marker : QLatin1Char(' ');
        line += QLatin1Char(' ');
        if (const SymbolEntry* e = source[static_cast<size_t>(r)])
            line += QString::fromStdString(ExpandTabs(e->Source));
        else
            line += QString::fromStdString(decoded[static_cast<size_t>(r)]);
        texts_[static_cast<size_t>(r)] = line;
    }
    pagePC_ = pc;
    boldPC_ = true;
    shown_ = true;
    applyRows();
    updateScrollRange();
}

void frmDisAsm::PageRedraw()
{
    if (currentRow_ == 0)
        return;
    DisAsmPage();
    SetCurRow(currentRow_);
}

void frmDisAsm::SetCurRow(int row)
{
    currentRow_ = std::clamp(row, 0, visibleRows_);
    highlight_ = currentRow_ > 0 && isActiveChild();
    applyRows();
}

bool frmDisAsm::showPageAt(int32_t address)
{
    AccessLayer& link = main_.access();
    busy_ = true;
    link.codeWindow.base = address & 0xFFFF;
    link.InProgram();
    busy_ = false;
    if (!link.linkReady()) {
        ClearScreen();
        return false;
    }
    pageTop_ = address & 0xFFFF;
    DisAsmPage();
    return true;
}

void frmDisAsm::updateVisibleRows()
{
    visibleRows_ = view_->visibleRows();
    if (currentRow_ > visibleRows_)
        SetCurRow(visibleRows_);
}

void frmDisAsm::updateScrollRange()
{
    const int max = std::max(0, view_->longestText() - view_->visibleColumns() + 1);
    if (hsb_->maximum() != max)
        hsb_->setRange(0, max);
    hsb_->setPageStep(std::max(1, view_->visibleColumns()));
}

// ---- Commands ----------------------------------------------------------------------

void frmDisAsm::Menus() { main_.Menus(); }

void frmDisAsm::ReadProgramPC()
{
    AccessLayer& link = main_.access();
    link.InBytes(link.regs.PC & 0xFFFF, programBytes_, 5);
}

void frmDisAsm::mnuGoToPCAddress()
{
    AccessLayer& link = main_.access();
    link.InCPU();
    registerReadAt_ = clock().elapsed();
    const int32_t pc = link.regs.PC & 0xFFFF;
    if (link.linkReady())
        ReadProgramPC();
    if (shown_) {
        for (int r = 1; r <= visibleRows_; ++r)
            if (rows_[static_cast<size_t>(r - 1)].address == pc) {
                currentRow_ = r;
                PageRedraw();
                return;
            }
    }
    const bool ok = showPageAt(pc);
    Menus();
    if (ok)
        SetCurRow(1);
}

void frmDisAsm::mnuRefresh()
{
    if (!shown_)
        return;
    AccessLayer& link = main_.access();
    link.InCPU();
    registerReadAt_ = clock().elapsed();
    if (link.linkReady())
        ReadProgramPC();
    // The board's monitor needs a moment between the register read and the
    // next request; the simulator answers at once.
    if (!link.simulatorMode())
        while (clock().elapsed() - registerReadAt_ < 10)
            QThread::msleep(1);
    busy_ = true;
    link.InProgram();
    busy_ = false;
    Menus();
    if (!link.linkReady()) {
        ClearScreen();
        return;
    }
    if (currentRow_ > 0) {
        DisAsmPage();
        SetCurRow(currentRow_);
    } else {
        pageTop_ = link.codeWindow.base;
        DisAsmPage();
        SetCurRow(1);
    }
}

void frmDisAsm::mnuSetNewPC()
{
    if (currentRow_ == 0 || !shown_)
        return;
    main_.run().SetNewPC(rowAddress(currentRow_));
}

void frmDisAsm::goToAddress(int32_t address)
{
    if (showPageAt(address))
        SetCurRow(1);
    Menus();
}

void frmDisAsm::mnuGoToAddress()
{
    int32_t address = 0;
    if (GoToAddress(this, address, 191))
        goToAddress(address & 0xFFFF);
}

int frmDisAsm::cursorAddress() const
{
    if (!shown_ || currentRow_ == 0)
        return -1;
    return rowAddress(currentRow_);
}

// ---- Breakpoints ---------------------------------------------------------------------

void frmDisAsm::toggleRow(int row)
{
    if (row == 0 || !shown_)
        return;
    const BreakpointTable::Toggle t = main_.breakpoints().toggle(rowAddress(row), main_);
    // An added breakpoint's row is red, and current (magenta while the
    // window is active); a removed one's row is the current row again.
    if (t == BreakpointTable::Toggle::Refused)
        applyRows();
    else
        SetCurRow(row);
    main_.setCommandEnabled(QStringLiteral("mnuDebugClearAllBreakpoints"), main_.breakpoints().count() > 0);
    if (t != BreakpointTable::Toggle::Refused)
        emit main_.breakpointsChanged();
}

void frmDisAsm::mnuToggleBreakpoint() { toggleRow(currentRow_); }

void frmDisAsm::mnuClearAllBreakpoints()
{
    main_.breakpoints().clear();
    applyRows();
    main_.setCommandEnabled(QStringLiteral("mnuDebugClearAllBreakpoints"), false);
    emit main_.breakpointsChanged();
}

// ---- Keyboard ----------------------------------------------------------------------

void frmDisAsm::onKey(int key)
{
    switch (key) {
    case Qt::Key_Up: keyUp(); break;
    case Qt::Key_Down: keyDown(); break;
    case Qt::Key_PageUp: keyPageUp(); break;
    case Qt::Key_PageDown: keyPageDown(); break;
    default: break;
    }
}

void frmDisAsm::keyUp()
{
    if (currentRow_ == 0 || busy_ || !shown_)
        return;
    if (currentRow_ > 1) {
        SetCurRow(currentRow_ - 1);
        return;
    }
    AccessLayer& link = main_.access();
    const int32_t first = rowAddress(1);
    busy_ = true;
    link.codeWindow.base = (first - 5) & 0xFFFF;
    link.InProgram();
    busy_ = false;
    if (!link.linkReady()) {
        ClearScreen();
        return;
    }
    // The longest instruction that ends exactly at the old first row.
    int32_t start = (first - 1) & 0xFFFF;
    for (int back = 5; back >= 2; --back) {
        const int32_t s = (first - back) & 0xFFFF;
        if (instructionLength(link.codeWindow, s) == back) {
            start = s;
            break;
        }
    }
    if (showPageAt(start))
        SetCurRow(1);
}

void frmDisAsm::keyDown()
{
    if (currentRow_ == 0 || busy_ || !shown_)
        return;
    if (currentRow_ < visibleRows_) {
        SetCurRow(currentRow_ + 1);
        return;
    }
    const int keep = currentRow_;
    if (showPageAt(rowAddress(2)))
        SetCurRow(keep);
}

void frmDisAsm::keyPageDown()
{
    if (currentRow_ == 0 || busy_ || !shown_)
        return;
    const int keep = currentRow_;
    if (showPageAt(rowAddress(visibleRows_)))
        SetCurRow(keep);
}

void frmDisAsm::keyPageUp()
{
    if (currentRow_ == 0 || busy_ || !shown_)
        return;
    AccessLayer& link = main_.access();
    const int32_t first = rowAddress(1);
    const int32_t base = (rowAddress(visibleRows_) - 250) & 0xFFFF;
    busy_ = true;
    link.codeWindow.base = base;
    link.InProgram();
    busy_ = false;
    if (!link.linkReady()) {
        ClearScreen();
        return;
    }
    const CodeWindow& w = link.codeWindow;
    const int32_t target = distance(base, first);  // offset of the old first row
    // Decode forward from base + s until reaching or passing the old first
    // row; the first s that lands on it exactly gives the instruction run.
    int s = 0, n = 0;
    for (; s <= 4; ++s) {
        int32_t off = s;
        int count = 0;
        while (off < target) {
            off += instructionLength(w, (base + off) & 0xFFFF);
            ++count;
        }
        n = count;
        if (off == target)
            break;
    }
    s = std::min(s, 4);
    // Skip instructions until visibleRows - 1 of them remain before the old
    // first row, which then becomes the last visible row.
    int32_t off = s;
    for (int remaining = n; remaining > visibleRows_ - 1; --remaining)
        off += instructionLength(w, (base + off) & 0xFFFF);
    const int keep = currentRow_;
    if (showPageAt((base + off) & 0xFFFF))
        SetCurRow(keep);
}

// ---- Mouse and activation -------------------------------------------------------------

void frmDisAsm::popupAt(int row, const QPoint& globalPos)
{
    if (!shown_)
        return;
    SetCurRow(row);
    QMenu* debug = main_.menu(QStringLiteral("mnuDebug"));
    if (!debug)
        return;
    // The Debug menu serves as the pop-up: without the watch entries and
    // their separator, with "Refresh Window".
    const char* const hidden[] = {"mnuDebugAddWatch", "mnuDebugEditWatch", "mnuDebugBar1"};
    std::vector<std::pair<QAction*, bool>> restore;
    for (const char* n : hidden)
        if (QAction* a = main_.menuItem(QString::fromLatin1(n))) {
            restore.emplace_back(a, a->isVisible());
            a->setVisible(false);
        }
    QAction* refresh = main_.menuItem(QStringLiteral("mnuDebugRefresh"));
    if (refresh) {
        restore.emplace_back(refresh, refresh->isVisible());
        refresh->setVisible(true);
        refresh->setEnabled(true);
    }
    debug->exec(globalPos);
    for (auto [a, visible] : restore)
        a->setVisible(visible);
}

void frmDisAsm::activated()
{
    active_ = true;
    Menus();
    if (!(QApplication::mouseButtons() & Qt::LeftButton))
        SetCurRow(currentRow_);
}

void frmDisAsm::deactivated()
{
    active_ = false;
    highlight_ = false;
    applyRows();
    for (const char* n : {"mnuDebugCodeOn", "mnuDebugIncludeSym", "mnuDebugToggleBreakpoint", "mnuDebugSetNewPC",
                          "mnuDebugGetResVec", "mnuDebugGoToPCAddress", "mnuDebugGoToAddress",
                          "mnuDebugClearAllBreakpoints"})
        main_.setCommandEnabled(QString::fromLatin1(n), false);
    // Toggle Breakpoint stays for an editor of the assembled source that
    // became the active child.
    bool editorToggles = false;
    if (QWidget* w = activeChildWith(main_, "canToggleBreakpointAtCaret()"))
        QMetaObject::invokeMethod(w, "canToggleBreakpointAtCaret", Q_RETURN_ARG(bool, editorToggles));
    if (editorToggles)
        main_.setCommandEnabled(QStringLiteral("mnuDebugToggleBreakpoint"), true);
}

// ---- Registration ------------------------------------------------------------------------

ZELK_REGISTER_VIEW(frmDisAsm, "mnuViewDisassembler", "DisAsm",
                   [](frmMain& m) -> QWidget* { return new frmDisAsm(m); });

// The Debug commands that act on the disassembler window. Code On, Include
// Symbols, Go To PC Address and Refresh Window keep what the main window
// does for them (the setting follows the check mark; the open window
// redraws or re-reads).
ZELK_REGISTER_EXTENSION(disasmCommands, [](frmMain& m) {
    frmMain* main = &m;
    m.setCommand(QStringLiteral("mnuDebugSetNewPC"), [main] {
        if (frmDisAsm* d = disasmOf(*main))
            d->mnuSetNewPC();
    });
    m.setCommand(QStringLiteral("mnuDebugToggleBreakpoint"), [main] {
        // An active editor of the assembled source toggles at its caret line.
        if (QWidget* w = activeChildWith(*main, "toggleBreakpointAtCaret()")) {
            QMetaObject::invokeMethod(w, "toggleBreakpointAtCaret");
            return;
        }
        if (frmDisAsm* d = disasmOf(*main))
            d->mnuToggleBreakpoint();
    });
    m.setCommand(QStringLiteral("mnuDebugClearAllBreakpoints"), [main] {
        if (frmDisAsm* d = disasmOf(*main)) {
            d->mnuClearAllBreakpoints();
        } else {
            main->breakpoints().clear();
            main->setCommandEnabled(QStringLiteral("mnuDebugClearAllBreakpoints"), false);
            emit main->breakpointsChanged();
        }
    });
    m.setCommand(QStringLiteral("mnuDebugGoToAddress"), [main] {
        if (frmDisAsm* d = disasmOf(*main))
            d->mnuGoToAddress();
    });
    m.setCommand(QStringLiteral("mnuDebugGoToPCAddress"), [main] { main->GoToPCAddress(); });
    m.setCommand(QStringLiteral("mnuDebugRefresh"), [main] {
        if (DebugView* d = main->view(QStringLiteral("mnuViewDisassembler")))
            d->mnuRefresh();
    });
    m.setCommand(QStringLiteral("mnuDebugCodeOn"), [main] {
        main->settings().codeOn = main->menuItem(QStringLiteral("mnuDebugCodeOn"))->isChecked();
        if (DebugView* d = main->view(QStringLiteral("mnuViewDisassembler")))
            d->Redraw();
    });
    m.setCommand(QStringLiteral("mnuDebugIncludeSym"), [main] {
        main->settings().includeSym = main->menuItem(QStringLiteral("mnuDebugIncludeSym"))->isChecked();
        if (DebugView* d = main->view(QStringLiteral("mnuViewDisassembler")))
            d->Redraw();
    });
});

} // namespace zelk
