// The watch window and the main window's Add, Edit and Remove Watch commands.
#include "views/ui/frmWatch.h"

#include "editor/ui/ProgramSymbols.h"
#include "shell/Settings.h"
#include "shell/ViewRegistry.h"
#include "shell/frmMain.h"
#include "views/ui/AutoRefresh.h"
#include "views/ui/DialogShared.h"
#include "views/ui/ValueListView.h"
#include "views/ui/ViewPopupMenu.h"

#include <algorithm>

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace zelk {

WatchList& programWatches()
{
    static WatchList list;
    return list;
}

namespace {

void openEnterValue(QWidget* owner, DialogFields& f)
{
    int32_t value = 0;
    f.DialogOK = EnterValue(owner, QString::fromStdString(f.DialogName), QString::fromStdString(f.DialogText),
                            f.DialogIsWord, value, WatchView::HelpEnterValueWatch);
    f.DialogValue = value;
}

void openWatchAddress(QWidget* owner, DialogFields& f)
{
    int32_t address = 0;
    QString name;
    bool isWord = f.DialogIsWord;
    // A new watch starts with an empty text; an edit with the row text.
    const int help = f.DialogText.empty() ? WatchView::HelpAddWatch : WatchView::HelpEditWatch;
    f.DialogOK = WatchAddress(owner, QString::fromStdString(f.DialogText), address, name, isWord, help);
    if (f.DialogOK) {
        f.DialogValue = address;
        f.DialogName = name.toStdString();
        f.DialogIsWord = isWord;
    }
}

} // namespace

std::function<void(QWidget*, DialogFields&)> WatchDialogs::enterValue = openEnterValue;
std::function<void(QWidget*, DialogFields&)> WatchDialogs::watchAddress = openWatchAddress;

namespace {

// The watch column is 780 twips wide.
constexpr int kWatchColumnTwips = 780;

QString qs(const std::string& s) { return QString::fromStdString(s); }

} // namespace

frmWatch::frmWatch(frmMain& m, QWidget* parent) : QWidget(parent), main_(m)
{
    setObjectName(QStringLiteral("frmWatch"));
    setWindowTitle(QStringLiteral("Watch Window"));
    setProperty("helpContext", WatchView::HelpEnterValue);
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    ListView = new ValueListView;
    ListView->onPopup = [this](int row, const QPoint& globalPos) {
        QMenu* menu = buildPopup(row);
        QTimer* t = frmMain::instance() ? frmMain::instance()->tmrRefresh() : nullptr;
        if (t)
            t->stop();
        menu->exec(globalPos);
        if (t && autoRefreshOn())
            t->start();
    };
    ListView->onEnter = [this] { mnuEnter(); };
    ListView->setColumnWidth(0, twipsToPixels(kWatchColumnTwips));
    ListView->setColumnWidth(1, 0);
    lay->addWidget(ListView);
    resize(200, 160);

    rebuildRows();
    mnuRefresh();

    connect(m.mdiArea(), &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
        // A null subwindow means the main window lost the focus: no change.
        if (sub)
            activated(sub->widget() == this);
    });
}

frmWatch::~frmWatch()
{
    // Edit Watch works on the window's selection: not without the window.
    main_.setCommandEnabled(QStringLiteral("mnuDebugEditWatch"), false);
}

void frmWatch::activated(bool on)
{
    const bool wasActive = active_;
    active_ = on;
    main_.setCommandEnabled(QStringLiteral("mnuDebugEditWatch"), on && !programWatches().empty());
    followActivation(main_, this, on, wasActive, [this] { return active_ && view_.autoRefreshOn(); });
}

void frmWatch::rebuildRows()
{
    ListView->clear();
    for (int i = 0; i < programWatches().WatchCount(); ++i)
        addRow();
}

void frmWatch::addRow()
{
    const int i = ListView->topLevelItemCount();
    auto* it = new QTreeWidgetItem(ListView);
    if (programWatches().valid(i))
        it->setText(0, qs(programWatches().rowText(i)));
    fitWatchColumn();
}

void frmWatch::fitWatchColumn() { fitNameColumn(ListView, twipsToPixels(kWatchColumnTwips)); }

void frmWatch::removeRow(int k)
{
    if (k >= 0 && k < ListView->topLevelItemCount())
        delete ListView->takeTopLevelItem(k);
    fitWatchColumn();
}

int frmWatch::selectedRow() const { return ListView->selectedRow(); }
void frmWatch::selectRow(int row) { ListView->selectRow(row); }
int frmWatch::valueColumnWidth() const { return ListView->valueColumnWidth(); }

void frmWatch::mnuRefresh()
{
    WatchList& list = programWatches();
    if (list.empty())
        return;
    // The shared timer belongs to the active window: a refresh of this one
    // from the refresh cycle leaves another window's auto refresh running.
    QTimer* t = active_ ? main_.tmrRefresh() : nullptr;
    if (t)
        t->stop();
    const bool wasAuto = view_.autoRefreshOn();
    AccessPort port(main_.access());
    if (view_.accessed(list.refresh(port)))
        Redraw();
    else
        ClearScreen();
    if (t && view_.autoRefreshOn())
        t->start();
    else if (wasAuto && !view_.autoRefreshOn())
        main_.tmrRefresh()->stop();  // the failure ended this window's auto refresh
}

void frmWatch::Redraw()
{
    const WatchList& list = programWatches();
    const QFontMetrics fm(ListView->font());
    int width = 0;
    for (int i = 0; i < list.WatchCount(); ++i) {
        QTreeWidgetItem* it = ListView->topLevelItem(i);
        if (!it)
            it = new QTreeWidgetItem(ListView);
        const QString row = qs(list.rowText(i));
        const QString value = qs(list.valueText(i));
        if (it->text(0) != row)
            it->setText(0, row);
        if (it->text(1) != value)
            it->setText(1, value);
        width = std::max(width, fm.horizontalAdvance(value));
    }
    fitWatchColumn();
    ListView->setColumnWidth(1, width + fm.horizontalAdvance(QLatin1Char(' ')) * 2);
}

void frmWatch::ClearScreen()
{
    const WatchList& list = programWatches();
    for (int i = 0; i < list.WatchCount(); ++i) {
        QTreeWidgetItem* it = ListView->topLevelItem(i);
        if (!it)
            it = new QTreeWidgetItem(ListView);
        it->setText(0, qs(list.rowText(i)));
        it->setText(1, QString());
    }
    fitWatchColumn();
    ListView->setColumnWidth(1, 0);
}

void frmWatch::setFormat(char format)
{
    const int i = selectedRow();
    if (!programWatches().valid(i))
        return;
    programWatches().setFormat(i, format);
    Redraw();
}

void frmWatch::mnuViewHex() { setFormat('$'); }
void frmWatch::mnuViewBin() { setFormat('%'); }
void frmWatch::mnuViewDec() { setFormat(' '); }

void frmWatch::mnuEnter()
{
    WatchList& list = programWatches();
    const int i = selectedRow();
    // Without data (a failed read) there is no value to edit.
    if (list.empty() || !list.valid(i) || valueColumnWidth() == 0)
        return;
    main_.tmrRefresh()->stop();
    DialogFields f;
    f.DialogName = list.rowText(i);
    QTreeWidgetItem* it = ListView->topLevelItem(i);
    f.DialogText = it ? it->text(1).toStdString() : std::string();
    f.DialogIsWord = list[i].WatchIsWord;
    WatchDialogs::enterValue(this, f);
    if (f.DialogOK) {
        AccessPort port(main_.access());
        // The refresh cycle re-reads this window with the others.
        if (view_.accessed(list.writeValue(i, f.DialogValue, port)))
            main_.Refresh();
        else
            ClearScreen();
    }
    if (view_.autoRefreshOn())
        main_.tmrRefresh()->start();
}

void frmWatch::mnuAutoRefresh()
{
    if (view_.toggleAutoRefresh())
        main_.tmrRefresh()->start();
    else
        main_.tmrRefresh()->stop();
}

QMenu* frmWatch::buildPopup(int hitRow)
{
    delete popup_;
    const bool hasData = valueColumnWidth() > 0;
    const ViewPopupState s = view_.popupState(programWatches(), hitRow, hasData, selectedRow());
    if (s.selectRow >= 0)
        selectRow(s.selectRow);
    ViewPopupHandlers h = viewPopupHandlers(this);
    h.addWatch = [this] { AddWatch(main_); };
    h.editWatch = [this] { EditWatch(main_); };
    h.removeWatch = [this] { RemoveWatch(main_); };
    popup_ = buildViewPopup(this, s, h);
    // Data breakpoints on the watched byte or word.
    const int row = s.selectRow >= 0 ? s.selectRow : selectedRow();
    const WatchList& list = programWatches();
    if (list.valid(row))
        main_.addDataBreakpointMenu(popup_, list[row].WatchAddress,
                                    std::min(0xFFFF, list[row].WatchAddress + (list[row].WatchIsWord ? 1 : 0)));
    else
        main_.addDataBreakpointMenu(popup_, -1, -1);
    return popup_;
}

// ---- The main window's watch commands --------------------------------------------

namespace {

frmWatch* openWatchWindow(frmMain& m)
{
    return dynamic_cast<frmWatch*>(m.viewWidget(QStringLiteral("mnuViewWatch")));
}

void focusWatchWindow(frmMain& m)
{
    if (QWidget* w = m.viewWidget(QStringLiteral("mnuViewWatch")))
        if (auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget()))
            if (m.mdiArea()->activeSubWindow() != sub)
                m.mdiArea()->setActiveSubWindow(sub);
}

} // namespace

void AddWatch(frmMain& m)
{
    WatchList& list = programWatches();
    if (list.full()) {
        m.message(WatchList::FullCaption, WatchList::fullMessage(), MessageIcon::Exclamation);
        return;
    }
    DialogFields f;
    f.DialogIsWord = false;
    WatchDialogs::watchAddress(&m, f);
    if (!f.DialogOK)
        return;
    const int index = list.add(f.DialogValue, f.DialogName, f.DialogIsWord);
    if (index < 0)
        return;
    if (frmWatch* w = m.isShown(QStringLiteral("mnuViewWatch")) ? openWatchWindow(m) : nullptr) {
        focusWatchWindow(m);
        w->addRow();
        w->mnuRefresh();
        m.setCommandEnabled(QStringLiteral("mnuDebugEditWatch"), true);
    } else {
        m.openView(QStringLiteral("mnuViewWatch"));
    }
    if (frmWatch* w = openWatchWindow(m))
        w->selectRow(list.WatchCount() - 1);
}

void EditWatch(frmMain& m)
{
    frmWatch* w = openWatchWindow(m);
    WatchList& list = programWatches();
    const int i = w ? w->selectedRow() : -1;
    if (!list.valid(i))
        return;
    DialogFields f;
    f.DialogText = list.editText(i);
    f.DialogIsWord = list[i].WatchIsWord;
    WatchDialogs::watchAddress(w, f);
    if (!f.DialogOK)
        return;
    list.edit(i, f.DialogValue, f.DialogName, f.DialogIsWord);
    w->mnuRefresh();
}

void RemoveWatch(frmMain& m)
{
    frmWatch* w = openWatchWindow(m);
    WatchList& list = programWatches();
    const int k = w ? w->selectedRow() : -1;
    if (!list.remove(k))
        return;
    w->removeRow(k);
    if (list.empty())
        m.setCommandEnabled(QStringLiteral("mnuDebugEditWatch"), false);
    w->mnuRefresh();
}

ZELK_REGISTER_VIEW(frmWatch, "mnuViewWatch", "Watch", [](frmMain& m) -> QWidget* { return new frmWatch(m); });

ZELK_REGISTER_EXTENSION(watchCommands, [](frmMain& m) {
    m.setCommand(QStringLiteral("mnuDebugAddWatch"), [&m] { AddWatch(m); });
    m.setCommand(QStringLiteral("mnuDebugEditWatch"), [&m] { EditWatch(m); });
});

} // namespace zelk
