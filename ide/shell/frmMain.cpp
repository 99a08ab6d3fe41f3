// The main window: building the menus, toolbar and status bar, start-up and
// shutdown, command dispatch, the View windows and the refresh cycle.
#include "shell/frmMain.h"

#include "editor/ProgramFiles.h"
#include "link/SRecordLoader.h"
#include "shell/HelpViewer.h"
#include "shell/MenuTable.h"
#include "shell/ViewRegistry.h"
#include "shell/WindowLayout.h"
#include "shell/frmAbout.h"
#include "shell/frmBreakpoints.h"
#include "shell/frmOptions.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QSerialPort>
#include <QSerialPortInfo>

#include "link/BoardProtocol.h"
#include "link/BoardTarget.h"
#include "link/ui/SerialBytePort.h"
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <iterator>

namespace zelk {

namespace {

frmMain* g_main = nullptr;

// Status bar panels: design text and width in twips.
struct PanelDef {
    const char* text;
    int twips;
};
constexpr PanelDef kPanels[7] = {
    {"HC11 Board:", 5292}, {"Program: <None>", 4233}, {"Symbols: <None>", 4233},
    {"Clock:", 2646},      {"", 2540},                {"Col.", 1482},
    {"INS", 741},
};

const QString kPortError = QStringLiteral("HC11 Board: Communication Port Error !");
const char* const kNoBoardDataBreak =
    "The board's monitor cannot watch the bus: data breakpoints work in simulator mode.";
const char* const kNoBoardHistory =
    "The board's monitor keeps no history: Step Back works in simulator mode.";

// The View items of the debugger windows in the refresh cycle's terms.
const char* const kRegBlockWindows[] = {
    // RefreshRun redraws these in this order.
    "mnuViewRegAD", "mnuViewRegOther", "mnuViewRegPulseAcc", "mnuViewRegPorts",
    "mnuViewRegSCI", "mnuViewRegSPI", "mnuViewRegTimer",
};

// Windows disabled while execution runs, in FreezeDisplay's order.
const char* const kFrozenWindows[] = {
    "mnuViewRegCPU", "mnuViewRegPorts", "mnuViewRegTimer", "mnuViewRegSCI", "mnuViewRegSPI",
    "mnuViewRegPulseAcc", "mnuViewRegAD", "mnuViewRegOther", "mnuViewRegPIA",
    "mnuViewDisassembler", "mnuViewStack", "mnuViewWatch", "mnuViewMemory",
};

// View items FreezeDisplay disables and ThawDisplay enables again.
const char* const kFrozenViewItems[] = {
    "mnuViewMemory", "mnuViewRegCPU", "mnuViewRegBlock", "mnuViewRegPIA",
    "mnuViewStack", "mnuViewWatch", "mnuViewDisassembler",
};

// The register-block items that the target mode switches (with IO unit).
// In simulator mode the first seven show the on-chip peripherals while they
// are simulated; the PIA is the board's only.
const char* const kBoardOnlyItems[] = {
    "mnuViewRegPorts", "mnuViewRegTimer", "mnuViewRegPulseAcc", "mnuViewRegSCI",
    "mnuViewRegSPI", "mnuViewRegAD", "mnuViewRegOther", "mnuViewRegPIA",
};

const char* const kNoBoardPins =
    "The board's pins are its own: the On-chip pins window drives the simulator's.";
const char* const kNoPeripheralPins =
    "Switch on \"Simulate on-chip peripherals\" in Options to drive the pins.";

// Run menu commands that must not start while a Play or Animate loop runs
// (the loop lets window messages run, so their shortcuts would arrive).
bool isRunCommand(const QString& n)
{
    return n == "mnuRunRun" || n == "mnuRunPlay" || n == "mnuRunAnimate" || n == "mnuRunStepInto" ||
           n == "mnuRunStepOver" || n == "mnuRunStepOut" || n == "mnuRunRunTo" ||
           n == "mnuDebugGetResVec" || n == "mnuDebugSetNewPC" || n == "mnuFileDownload" ||
           n == "mnuRunStepBack" || n == "mnuRunRunBack";
}

WindowState stateOf(const QWidget* w)
{
    if (w->isMinimized())
        return WindowState::Minimized;
    if (w->isMaximized())
        return WindowState::Maximized;
    return WindowState::Normal;
}

QMessageBox::Icon qtIcon(MessageIcon i)
{
    switch (i) {
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

} // namespace

frmMain* frmMain::instance() { return g_main; }

frmMain::frmMain(SettingsStore* store, QWidget* parent) : QMainWindow(parent)
{
    g_main = this;
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("ZELK Tools"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/zelk.svg")));
    if (!store)
        ownStore_ = std::make_unique<SettingsStore>();
    store_ = store ? store : ownStore_.get();

    access_ = std::make_unique<AccessLayer>(this, this);
    run_ = std::make_unique<ExecutionControl>(*access_, breakpoints_);
    // Play lets window messages run every few milliseconds rather than after
    // every instruction: Pause then acts within that slice, while the
    // simulator keeps most of the time.
    runOptions_.eventEverySteps = 1u << 20;
    runOptions_.eventEveryMs = 5;

    mdi_ = new QMdiArea;
    mdi_->setObjectName(QStringLiteral("mdiArea"));
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setBackground(QColor(0x80, 0x80, 0x80));
    setCentralWidget(mdi_);

    buildMenus();
    buildToolbar();
    buildStatusBar();

    comm_ = new QSerialPort(this);
    comm_->setObjectName(QStringLiteral("MSComm"));
    serial_ = std::make_unique<SerialBytePort>(*comm_);
    board_ = std::make_unique<BoardTarget>(*access_, *serial_);
    board_->portOpened = [this](bool ok) {
        portError_ = !ok;
        if (!ok)
            setPanelText(1, kPortError);
    };
    access_->setBoard(board_.get());
    connect(serial_.get(), &SerialBytePort::receivedData, this, &frmMain::MSCommOnComm);
    tmrComm_ = new QTimer(this);
    tmrComm_->setObjectName(QStringLiteral("tmrComm"));
    tmrComm_->setInterval(50);
    connect(tmrComm_, &QTimer::timeout, this, &frmMain::tmrCommTick);
    tmrRefresh_ = new QTimer(this);
    tmrRefresh_->setObjectName(QStringLiteral("tmrRefresh"));
    tmrRefresh_->setInterval(100);
    connect(tmrRefresh_, &QTimer::timeout, this, &frmMain::tmrRefreshTick);

    connectCommands();

    // Start-up, in order: settings, program directory, toolbar size, port,
    // clock counter.
    restoreSettings();
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    tbToolbar_->setIconSize(QSize(16, 16));
    run_->stopFlag = true;
    openPort();
    run_->resetClock();
    ClockCountUpdate();
    tmrComm_->start();

    qApp->installEventFilter(this);
    // The extensions (the serial terminal's popup with the stored display
    // mode among them) attach themselves.
    for (const auto& ext : ViewRegistry::extensions())
        ext(*this);
}

frmMain::~frmMain()
{
    qApp->removeEventFilter(this);
    access_->setBoard(nullptr);
    // The MDI children outlive this part of the destruction (the widget base
    // deletes them later): cut their ties to members that are about to go.
    for (QMdiSubWindow* sub : placements_.keys()) {
        sub->removeEventFilter(this);
        disconnect(sub, nullptr, this, nullptr);
    }
    placements_.clear();
    // Take the list first: deleting a window must not change the container
    // being walked, whatever its handlers do.
    const auto subs = views_.values();
    views_.clear();
    for (const auto& sub : subs)
        if (sub)
            delete sub;
    if (g_main == this)
        g_main = nullptr;
}

// ---- Building ------------------------------------------------------------------

void frmMain::buildMenus()
{
    QMenu* current = nullptr;
    QMenu* sub = nullptr;
    for (const MenuItemDef& d : menuTable()) {
        const QString name = QString::fromLatin1(d.name);
        if (d.level == 0) {
            current = menuBar()->addMenu(QString::fromLatin1(d.caption));
            current->setObjectName(name);
            current->menuAction()->setObjectName(name);
            menus_.insert(name, current);
            items_.insert(name, current->menuAction());
            sub = nullptr;
            continue;
        }
        QMenu* into = d.level == 2 ? sub : current;
        if (!into)
            continue;
        QAction* a = nullptr;
        if (!d.caption) {
            a = into->addSeparator();
        } else if (d.submenu) {
            sub = into->addMenu(QString::fromLatin1(d.caption));
            sub->setObjectName(name);
            a = sub->menuAction();
            menus_.insert(name, sub);
        } else {
            a = into->addAction(QString::fromLatin1(d.caption));
            if (*d.shortcut)
                a->setShortcut(QKeySequence(QString::fromLatin1(d.shortcut)));
            a->setCheckable(d.checkable);
            a->setChecked(d.checked);
            connect(a, &QAction::triggered, this, [this, name] { runCommand(name); });
        }
        a->setObjectName(name);
        a->setEnabled(!d.disabled);
        a->setVisible(!d.hidden);
        if (d.help)
            a->setProperty("helpContext", d.help);
        items_.insert(name, a);
    }
    connect(menus_.value("mnuWindow"), &QMenu::aboutToShow, this, &frmMain::updateWindowMenu);
    menus_.value("mnuView")->setToolTipsVisible(true);
    cpuItem_ = items_.value("mnuViewRegCPU");
}

void frmMain::buildToolbar()
{
    tbToolbar_ = addToolBar(QStringLiteral("Toolbar"));
    tbToolbar_->setObjectName(QStringLiteral("tbToolbar"));
    tbToolbar_->setMovable(false);
    tbToolbar_->setIconSize(QSize(16, 16));
    for (const ToolButtonDef& d : toolbarTable()) {
        if (!d.text) {
            tbToolbar_->addSeparator();
            continue;
        }
        const QString text = QString::fromLatin1(d.text);
        QAction* a = tbToolbar_->addAction(QIcon(QString::fromLatin1(d.icon)), text);
        a->setObjectName(QStringLiteral("tb") + QString(text).remove(' '));
        a->setToolTip(text);
        // The button starts as its menu item does.
        const QString item = QString::fromLatin1(d.menuItem);
        if (!item.isEmpty()) {
            if (QAction* m = items_.value(item)) {
                a->setEnabled(m->isEnabled());
                a->setProperty("helpContext", m->property("helpContext"));
            }
        } else if (text == "Print") {
            a->setEnabled(false);  // until an editor is active
        }
        a->setProperty("menuItem", item);
        connect(a, &QAction::triggered, this, [this, text, item] {
            // A button whose command has a handler of its own ("Print",
            // "Assemble") runs it; the others run their menu item's command.
            if (commands_.contains(text) || item.isEmpty())
                runCommand(text);
            else
                runCommand(item);
        });
        if (QWidget* w = tbToolbar_->widgetForAction(a))
            w->setFixedSize(24, 22);
        buttons_.insert(text, a);
    }
}

void frmMain::buildStatusBar()
{
    QStatusBar* sb = statusBar();
    sb->setObjectName(QStringLiteral("sbStatusBar"));
    for (int i = 0; i < 7; ++i) {
        auto* l = new QLabel(QString::fromLatin1(kPanels[i].text));
        l->setObjectName(QStringLiteral("sbPanel%1").arg(i + 1));
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setMinimumWidth(8);
        // Widths in the design ratio; the bar shares the window's width.
        l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        sb->addWidget(l, kPanels[i].twips);
        panels_[i] = l;
    }
    // The clock counter as simulated time at the E clock, beside the clock panel.
    sbTime_ = new QLabel;
    sbTime_->setObjectName(QStringLiteral("sbTime"));
    sbTime_->setFrameShape(QFrame::Panel);
    sbTime_->setFrameShadow(QFrame::Sunken);
    sbTime_->setToolTip(QStringLiteral("Simulated time: the clock counter at the E clock of the Options"));
    sbTime_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    sbTime_->hide();
    sb->insertWidget(4, sbTime_, 2000);
    // Shown while Step Back has gone into the past.
    sbPast_ = new QLabel;
    sbPast_->setObjectName(QStringLiteral("sbPast"));
    sbPast_->setFrameShape(QFrame::Panel);
    sbPast_->setFrameShadow(QFrame::Sunken);
    sbPast_->setStyleSheet(QStringLiteral("QLabel { background: #ffd75e; color: black; padding: 0 4px; }"));
    sbPast_->setToolTip(QStringLiteral("The windows show an earlier state: the next step forward continues from "
                                       "here and drops the steps undone."));
    sbPast_->hide();
    sb->addPermanentWidget(sbPast_);
    // Passing messages get a place of their own: the bar's temporary
    // message would cover all seven panels.
    sbMessage_ = new QLabel;
    sbMessage_->setObjectName(QStringLiteral("sbMessage"));
    sbMessage_->setFrameShape(QFrame::Panel);
    sbMessage_->setFrameShadow(QFrame::Sunken);
    sbMessage_->hide();
    sb->addWidget(sbMessage_);
    sayTimer_ = new QTimer(this);
    sayTimer_->setSingleShot(true);
    connect(sayTimer_, &QTimer::timeout, this, [this] {
        sbMessage_->hide();
        sbMessage_->clear();
    });
}

void frmMain::connectCommands()
{
    auto& c = commands_;
    c.insert("mnuFileExit", [this] { close(); });
    c.insert("mnuFileDownload", [this] {
        // The download dialog belongs to its own module; without it, load an
        // S-record file straight into the target.
        const QString f = QFileDialog::getOpenFileName(this, QStringLiteral("Download"), QString(),
                                                       QStringLiteral("S-Record Files (*.s19);;All Files (*)"));
        if (!f.isEmpty())
            loadS19(f);
    });
    c.insert("mnuViewToolbar", [this] {
        QAction* a = items_.value("mnuViewToolbar");
        settings_.toolbar = a->isChecked();
        tbToolbar_->setVisible(settings_.toolbar);
    });
    c.insert("mnuViewStatusBar", [this] {
        QAction* a = items_.value("mnuViewStatusBar");
        settings_.statusBar = a->isChecked();
        statusBar()->setVisible(settings_.statusBar);
    });
    c.insert("mnuViewOptions", [this] { mnuViewOptionsClick(); });

    // Debug menu: the run-control commands; the disassembler's own commands
    // (Toggle Breakpoint, Set New PC, Go To ...) are attached by that window.
    c.insert("mnuDebugCodeOn", [this] {
        settings_.codeOn = items_.value("mnuDebugCodeOn")->isChecked();
        if (DebugView* d = view("mnuViewDisassembler"))
            d->Redraw();
    });
    c.insert("mnuDebugIncludeSym", [this] {
        settings_.includeSym = items_.value("mnuDebugIncludeSym")->isChecked();
        if (DebugView* d = view("mnuViewDisassembler"))
            d->Redraw();
    });
    c.insert("mnuDebugGetResVec", [this] {
        // The simulated chip comes out of reset with the program.
        resetPeripherals();
        run_->GetResetVector();
    });
    c.insert("mnuDebugResetCounter", [this] { run_->ResetCounter(); });
    c.insert("mnuDebugGoToPCAddress", [this] { GoToPCAddress(); });
    c.insert("mnuDebugRefresh", [this] {
        if (DebugView* d = view("mnuViewDisassembler"))
            d->mnuRefresh();
    });

    // Run menu.
    c.insert("mnuRunRun", [this] { RunHC11(); });
    c.insert("mnuRunPlay", [this] {
        run_->Play(runOptions_);
        reportStop();
    });
    c.insert("mnuRunAnimate", [this] {
        run_->Animate(runOptions_);
        reportStop();
    });
    c.insert("mnuRunPause", [this] { run_->Pause(); });
    c.insert("mnuRunStepInto", [this] {
        run_->StepInto();
        if (run_->dataHitPending())
            say(QString::fromStdString(hitMessage(run_->lastDataHit())));
    });
    c.insert("mnuRunStepOver", [this] {
        run_->StepOver(runOptions_);
        reportStop();
    });
    c.insert("mnuRunStepOut", [this] {
        run_->StepOut(runOptions_);
        reportStop();
    });
    c.insert("mnuRunStepBack", [this] {
        if (!run_->StepBack())
            say(QStringLiteral("Nothing to step back: no step is recorded."));
    });
    c.insert("mnuRunRunBack", [this] {
        if (run_->RunBack(runOptions_) == StopReason::HistoryStart)
            say(QStringLiteral("Run Back reached the oldest recorded step."));
    });
    c.insert("mnuDebugBreakpoints", [this] { openBreakpoints(); });
    c.insert("mnuRunRunTo", [this] {
        DebugView* d = view("mnuViewDisassembler");
        const int address = d ? d->cursorAddress() : -1;
        if (address < 0) {
            say(QStringLiteral("Run To Cursor runs to the current row of the Disassembler window."));
            return;
        }
        run_->RunToCursor(address, runOptions_);
        reportStop();
    });

    // Window menu.
    c.insert("mnuWindowArrangeDebugger", [this] { arrangeDebugger(); });
    c.insert("mnuWindowCascade", [this] { cascadeEditors(); });
    c.insert("mnuWindowTileHorizontal", [this] { tileEditors(true); });
    c.insert("mnuWindowTileVertical", [this] { tileEditors(false); });

    // Help menu and the About button.
    c.insert("mnuHelpVeskHelp", [this] { showHelp(0); });
    c.insert("mnuHelpUsingHelp", [this] { showHelp(70); });
    c.insert("mnuHelpHC11Symbols", [this] { showHelp(999); });
    c.insert("mnuHelpAboutVesk", [this] { frmAbout(this).exec(); });
    c.insert("About Vesk", [this] { frmAbout(this).exec(); });
}

// ---- Commands ------------------------------------------------------------------

QAction* frmMain::menuItem(const QString& name) const { return items_.value(name); }
QMenu* frmMain::menu(const QString& name) const { return menus_.value(name); }
QAction* frmMain::toolButton(const QString& text) const { return buttons_.value(text); }

void frmMain::setCommandEnabled(const QString& name, bool on)
{
    if (QAction* a = items_.value(name))
        a->setEnabled(on);
    for (QAction* b : buttons_)
        if (b->property("menuItem").toString() == name)
            b->setEnabled(on);
}

void frmMain::setCommand(const QString& name, std::function<void()> fn)
{
    commands_.insert(name, std::move(fn));
}

void frmMain::runCommand(const QString& name)
{
    // While Play or Animate runs only Pause and the commands that do not
    // touch the target may start (the loop is waiting in processEvents).
    if (running() && isRunCommand(name))
        return;
    if (auto it = commands_.find(name); it != commands_.end()) {
        (*it)();
        return;
    }
    if (name.startsWith(QStringLiteral("mnuView")) && items_.value(name) &&
        items_.value(name)->isCheckable()) {
        toggleView(name);
        return;
    }
    QString caption = name;
    if (QAction* a = items_.value(name))
        caption = a->text().remove('&').remove(QStringLiteral(" ..."));
    else if (QAction* b = buttons_.value(name))
        caption = b->text();
    say(QStringLiteral("\"%1\" is not available in this build.").arg(caption));
}

bool frmMain::running() const { return run_->playRunning || run_->animateRunning; }

// ---- Windows -------------------------------------------------------------------

bool frmMain::isShown(const QString& name) const
{
    QAction* a = items_.value(name);
    return a && a->isChecked();
}

QWidget* frmMain::viewWidget(const QString& name) const
{
    QMdiSubWindow* sub = viewWindow(name);
    return sub ? sub->widget() : nullptr;
}

DebugView* frmMain::view(const QString& name) const
{
    return dynamic_cast<DebugView*>(viewWidget(name));
}

QRect frmMain::clientRectPx() const
{
    QSize s = mdi_->viewport()->size();
    if (s.width() < 100 || s.height() < 100)  // not laid out yet
        s = size() - QSize(8, 100);
    return QRect(QPoint(0, 0), s);
}

QWidget* frmMain::openView(const QString& name)
{
    if (QWidget* w = viewWidget(name))
        return w;
    const ViewInfo* info = ViewRegistry::byMenuItem(name);
    QAction* item = items_.value(name);
    if (!info) {
        if (item)
            item->setChecked(false);
        const QString caption = item ? item->text().remove('&') : name;
        say(QStringLiteral("The %1 window is not available in this build.").arg(caption));
        return nullptr;
    }
    QWidget* w = info->create(*this);
    if (!w)
        return nullptr;
    if (w->objectName().isEmpty())
        w->setObjectName(info->window);
    auto* sub = mdi_->addSubWindow(w);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setObjectName(info->window + QStringLiteral("Sub"));
    sub->setProperty("zelkPrefix", info->prefix);

    const QRect client = clientRectPx();
    QRect def;
    if (info->defaultRect) {
        def = info->defaultRect(client.width(), client.height());
    } else {
        TwipsRect t = defaultPlacementTwips(info->prefix, pixelsToTwips(client.width()),
                                            pixelsToTwips(client.height()));
        def = QRect(twipsToPixels(t.left), twipsToPixels(t.top), std::max(60, twipsToPixels(t.width)),
                    std::max(40, twipsToPixels(t.height)));
    }
    Placement p = store_->placement(info->prefix, def);
    p.rect = pulledInto(p.rect, client);  // a placement left far outside comes back in
    sub->setGeometry(p.rect);
    placements_.insert(sub, Placement{WindowState::Normal, p.rect});
    if (p.state == WindowState::Maximized)
        sub->showMaximized();
    else if (p.state == WindowState::Minimized)
        sub->showMinimized();
    else
        sub->show();
    placements_[sub].state = p.state;
    sub->installEventFilter(this);

    views_.insert(name, sub);
    if (item)
        item->setChecked(true);
    const QString prefix = info->prefix;
    // Runs from ~QWidget, when the window is no longer a QMdiSubWindow: the
    // entry is compared as the QWidget it still is.
    QWidget* const window = sub;
    connect(sub, &QObject::destroyed, this, [this, name, sub, window, prefix] {
        if (views_.value(name) == window)
            views_.remove(name);
        // Save the placement the window had as it went away.
        if (placements_.contains(sub)) {
            store_->savePlacement(prefix, placements_.value(sub));
            placements_.remove(sub);
        }
        if (QAction* a = items_.value(name))
            a->setChecked(false);
        if (name == "mnuViewIOunit")
            access_->setIoActive(false);
    });
    if (name == "mnuViewIOunit")
        access_->setIoActive(true);
    return w;
}

QMdiSubWindow* frmMain::viewWindow(const QString& name) const
{
    return static_cast<QMdiSubWindow*>(views_.value(name).data());
}

void frmMain::closeView(const QString& name)
{
    QMdiSubWindow* sub = viewWindow(name);
    if (sub && !sub->close())
        return;  // the window refused
    if (QAction* a = items_.value(name))
        a->setChecked(false);
}

void frmMain::toggleView(const QString& name)
{
    // The triggered item has already inverted its mark: checked now means
    // it was unchecked, so the window opens.
    QAction* a = items_.value(name);
    if (QMdiSubWindow* sub = viewWindow(name)) {
        closeView(name);
        if (a)
            a->setChecked(sub->isVisible());
    } else {
        openView(name);
    }
}

QMdiSubWindow* frmMain::addChild(QWidget* w)
{
    auto* sub = mdi_->addSubWindow(w);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    return sub;
}

QList<QMdiSubWindow*> frmMain::editors() const
{
    QList<QMdiSubWindow*> out;
    for (QMdiSubWindow* s : mdi_->subWindowList(QMdiArea::CreationOrder))
        if (s->widget() && s->widget()->objectName() == QLatin1String("frmEditor"))
            out.append(s);
    return out;
}

void frmMain::updateWindowMenu()
{
    const bool any = !editors().isEmpty();
    for (const char* n : {"mnuWindowCascade", "mnuWindowTileHorizontal", "mnuWindowTileVertical"})
        items_.value(n)->setEnabled(any);
    items_.value("mnuWindowArrangeDebugger")->setEnabled(true);
}

void frmMain::arrangeDebugger()
{
    for (QMdiSubWindow* s : mdi_->subWindowList())
        if (s->isMaximized() || s->isMinimized())
            s->showNormal();
    const QRect client = clientRectPx();
    for (const DebuggerSlot& slot : arrangeDebuggerSlots(client.width(), client.height())) {
        if (QMdiSubWindow* sub = viewWindow(slot.menuItem)) {
            moveWindow(sub, slot.rect);
            sub->raise();
        } else {
            saveLayout(*store_, slot.prefix, slot.rect);
        }
    }
}

void frmMain::cascadeEditors()
{
    const auto eds = editors();
    const QRect client = clientRectPx();
    const auto rects = cascadeRects(eds.size(), client.width(), client.height());
    for (int i = 0; i < eds.size(); ++i) {
        moveWindow(eds[i], rects[i]);
        eds[i]->raise();
    }
}

void frmMain::tileEditors(bool horizontal)
{
    const auto eds = editors();
    const QRect client = clientRectPx();
    const auto rects = tileRects(eds.size(), client.width(), client.height(), horizontal);
    for (int i = 0; i < eds.size(); ++i)
        moveWindow(eds[i], rects[i]);
    for (QMdiSubWindow* e : eds)
        e->raise();
}

// ---- Status bar ----------------------------------------------------------------

QLabel* frmMain::panel(int n) const { return n >= 1 && n <= 7 ? panels_[n - 1] : nullptr; }

void frmMain::setPanelText(int n, const QString& text)
{
    if (QLabel* l = panel(n); l && l->text() != text)
        l->setText(text);
}

void frmMain::say(const QString& text)
{
    sbMessage_->setText(text);
    sbMessage_->setToolTip(text);
    sbMessage_->setVisible(!text.isEmpty());
    sayTimer_->start(4000);
}

QString frmMain::passingMessage() const { return sbMessage_->text(); }

// ---- Settings ------------------------------------------------------------------

void frmMain::restoreSettings()
{
    settings_ = store_->load();
    storedSimEnabled_ = settings_.simEnabled;

    QRect screen(0, 0, 1024, 768);
    if (QScreen* s = QGuiApplication::primaryScreen())
        screen = s->availableGeometry();
    Placement p = store_->placement(QStringLiteral("Main"), screen, WindowState::Maximized);
    setGeometry(pulledOnScreen(p.rect));
    initialState_ = p.state;

    items_.value("mnuViewToolbar")->setChecked(settings_.toolbar);
    tbToolbar_->setVisible(settings_.toolbar);
    items_.value("mnuViewStatusBar")->setChecked(settings_.statusBar);
    statusBar()->setVisible(settings_.statusBar);
    items_.value("mnuDebugCodeOn")->setChecked(settings_.codeOn);
    items_.value("mnuDebugIncludeSym")->setChecked(settings_.includeSym);

    access_->setMode(settings_.simEnabled ? TargetMode::Simulator : TargetMode::Board);
    applyRunSettings();
    applyPeripheralSetting();
}

void frmMain::applyPeripheralSetting()
{
    SimulatorTarget& sim = access_->simulator();
    // Switching on resets the model: only a change of the setting does it.
    if (sim.peripherals() != settings_.simulatePeripherals) {
        sim.setPeripherals(settings_.simulatePeripherals);
        emit peripheralsReset();
        // Open views show the block as it now is (the chip's or memory).
        if (access_->simulatorMode() && access_->linkReady())
            RefreshRun();
    }
    updatePinsItem();
}

void frmMain::resetPeripherals()
{
    if (!access_->simulatorMode() || !access_->simulator().peripherals())
        return;
    OnChip& chip = access_->simulator().chip();
    // What lies outside the chip (the levels the user gave its input pins
    // and analog inputs) stays as it was.
    const OnChipState before = chip.save();
    chip.reset();
    std::copy(std::begin(before.analog), std::end(before.analog), std::begin(chip.s.analog));
    chip.s.pinA = before.pinA;
    chip.s.pinC = before.pinC;
    chip.s.pinD = before.pinD;
    emit peripheralsReset();
}

void frmMain::updatePinsItem()
{
    QAction* pins = items_.value("mnuViewPins");
    if (!pins)
        return;
    const bool sim = access_->simulatorMode();
    const bool on = sim && access_->simulator().peripherals();
    pins->setEnabled(on);
    pins->setToolTip(on ? QString() : QString::fromLatin1(sim ? kNoPeripheralPins : kNoBoardPins));
    // An open pins window follows the mode (its controls act only while on).
    if (DebugView* v = isShown(QStringLiteral("mnuViewPins")) ? view(QStringLiteral("mnuViewPins")) : nullptr)
        v->Redraw();
}

void frmMain::saveSettings()
{
    // The position only when the window is normal; the state always.
    const WindowState st = stateOf(this);
    if (st == WindowState::Normal)
        store_->savePlacement(QStringLiteral("Main"), Placement{st, geometry()});
    else
        store_->saveState(QStringLiteral("Main"), st);
    settings_.toolbar = items_.value("mnuViewToolbar")->isChecked();
    settings_.statusBar = items_.value("mnuViewStatusBar")->isChecked();
    settings_.codeOn = items_.value("mnuDebugCodeOn")->isChecked();
    settings_.includeSym = items_.value("mnuDebugIncludeSym")->isChecked();
    if (auto* hex = findChild<QAction*>(QStringLiteral("mnuPopupSerialHex")))
        settings_.hexTerminal = hex->isChecked();
    AppSettings out = settings_;
    if (forceSimulator_ || forceBoard_)
        out.simEnabled = storedSimEnabled_;  // the command line's mode was for this run only
    store_->save(out);
    store_->sync();
}

void frmMain::forceSimulator()
{
    forceSimulator_ = true;
    forceBoard_ = false;
    settings_.simEnabled = true;
    access_->setMode(TargetMode::Simulator);
    BoardStatus();
    updatePinsItem();
    if (!ViewRegistry::byMenuItem(QStringLiteral("mnuViewDisassembler")))
        Menus();
}

void frmMain::forceBoard()
{
    forceBoard_ = true;
    forceSimulator_ = false;
    settings_.simEnabled = false;
    access_->setMode(TargetMode::Board);
    access_->setLinkReady(comm_->isOpen());
    BoardStatus();
    updatePinsItem();
    if (!ViewRegistry::byMenuItem(QStringLiteral("mnuViewDisassembler")))
        Menus();
}

void frmMain::usePortDevice(const QString& device)
{
    portOverride_ = device;
    reopenPort();
}

void frmMain::showAsStored()
{
    if (initialState_ == WindowState::Maximized)
        showMaximized();
    else
        show();  // a window stored minimized opens normal: it would be lost otherwise
}

// ---- Serial port ---------------------------------------------------------------

QString frmMain::portDevice(int n)
{
    QStringList devices;
    for (const QSerialPortInfo& i : QSerialPortInfo::availablePorts())
        devices << i.systemLocation();
    devices.sort();
    if (n >= 1 && n <= devices.size())
        return devices[n - 1];
    return QStringLiteral("/dev/ttyS%1").arg(std::max(0, n - 1));
}

QString frmMain::currentPortDevice() const
{
    if (!portOverride_.isEmpty())
        return portOverride_;
    return settings_.comDevice.isEmpty() ? portDevice(settings_.comPort) : settings_.comDevice;
}

void frmMain::openPort()
{
    // Speed and framing are fixed here, when the port opens.
    comm_->setPortName(currentPortDevice());
    serial_->setBaudRate(settings_.baudRate);
    serial_->setThreshold(BoardTarget::NormalThreshold);
    commSeen_ = 0;
    std::string error;
    if (!serial_->open(error)) {
        portError_ = true;
        if (!settings_.simEnabled)
            access_->setLinkReady(false);
        setPanelText(1, kPortError);
        return;
    }
    portError_ = false;
    access_->setLinkReady(true);
    ctsSeen_ = serial_->cts();
    BoardStatus();
}

void frmMain::reopenPort()
{
    if (comm_->isOpen())
        comm_->close();
    openPort();
}

void frmMain::applyModeToViewMenu()
{
    modeApplied_ = true;
    const bool sim = settings_.simEnabled;
    // The simulated chip's register block is there to look at while it is
    // simulated; the PIA never is.
    const bool chip = sim && access_->simulator().peripherals();
    for (const char* n : kBoardOnlyItems)
        items_.value(n)->setEnabled(!sim || (chip && QLatin1String(n) != QLatin1String("mnuViewRegPIA")));
    items_.value("mnuViewIOunit")->setEnabled(sim);
    updatePinsItem();
}

void frmMain::mnuViewOptionsClick()
{
    frmOptions dlg(settings_, this);
    if (dlg.exec() == QDialog::Accepted) {
        const AppSettings a = dlg.result();
        settings_.screenFont = a.screenFont;
        settings_.printFont = a.printFont;
        settings_.simEnabled = a.simEnabled;
        settings_.historySteps = a.historySteps;
        settings_.eClockHz = a.eClockHz;
        settings_.speedPercent = a.speedPercent;
        settings_.simulatePeripherals = a.simulatePeripherals;
        applyRunSettings();
        storedSimEnabled_ = a.simEnabled;
        forceSimulator_ = false;
        access_->setMode(a.simEnabled ? TargetMode::Simulator : TargetMode::Board);
        applyPeripheralSetting();
        const QFont editorFont = toQFont(settings_.screenFont);
        for (QMdiSubWindow* e : editors())
            e->widget()->setFont(editorFont);
        settings_.comPort = a.comPort;
        settings_.comDevice = a.comDevice;
        portOverride_.clear();  // the user chose a port: the command line's is over
        reopenPort();
        if (!ViewRegistry::byMenuItem(QStringLiteral("mnuViewDisassembler")))
            Menus();
    }
    applyModeToViewMenu();
}

// ---- Files ---------------------------------------------------------------------

bool frmMain::loadS19(const QString& path)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const DownloadResult r = DownloadFile(*access_, QFile::encodeName(path).toStdString());
    QApplication::restoreOverrideCursor();
    reportSkippedRecords(*access_, r);
    if (!r.downloadOK)
        return false;
    setPanelText(2, QStringLiteral("Program: ") + QFileInfo(path).fileName());
    resetPeripherals();  // the program starts from its reset vector, the chip from its reset
    breakpoints_.clear();
    access_->InCPU();
    Refresh();
    // Without a disassembler in this build nothing else would enable the
    // run commands: the main window applies the command rule itself.
    if (!ViewRegistry::byMenuItem(QStringLiteral("mnuViewDisassembler")))
        Menus();
    return true;
}

void frmMain::openFile(const QString& path)
{
    const QFileInfo fi(path);
    if (fi.suffix().compare(QLatin1String("s19"), Qt::CaseInsensitive) == 0) {
        // A program named on the command line goes into the simulator's
        // image, whichever target is chosen (a board is downloaded to with
        // File > Download).
        const TargetMode mode = access_->mode();
        const bool ready = access_->linkReady();
        access_->setMode(TargetMode::Simulator);
        loadS19(fi.absoluteFilePath());
        if (mode != TargetMode::Simulator) {
            access_->setMode(mode);
            access_->setLinkReady(ready);
            BoardStatus();
        }
        return;
    }
    if (sourceOpener_ && sourceOpener_(fi.absoluteFilePath()))
        return;
    // No editor to open the source in: run its assembled program instead.
    const QString s19 = fi.absolutePath() + '/' + fi.completeBaseName() + QStringLiteral(".s19");
    if (QFileInfo::exists(s19))
        loadS19(s19);
    else
        say(QStringLiteral("%1: no editor in this build and no %2 beside it.")
                .arg(fi.fileName(), QFileInfo(s19).fileName()));
}

// ---- Help ----------------------------------------------------------------------

QString frmMain::helpFile() const
{
    if (!helpFile_.isEmpty())
        return helpFile_;
    // Beside the program (the build tree), else in an installed tree's data folder.
    const QByteArray appDir = QFile::encodeName(QCoreApplication::applicationDirPath());
    const std::filesystem::path found = findProgramFile(appDir.toStdString(), "ZELK.html");
    return QFile::decodeName(QByteArray::fromStdString(found.string()));
}

HelpViewer* frmMain::helpViewer() const { return help_; }

void frmMain::showHelp(int context)
{
    if (!help_)
        help_ = new HelpViewer(helpFile(), this);
    help_->setFile(helpFile());
    help_->showTopic(context);
}

void frmMain::SetRegistersHelp()
{
    const std::pair<const char*, int> ids[] = {
        {"mnuPopupViewEnter", 95}, {"mnuPopupViewHex", 96}, {"mnuPopupViewBin", 97},
        {"mnuPopupViewDec", 98},   {"mnuPopupViewAutoRefresh", 99},
    };
    for (auto [name, ctx] : ids)
        for (QAction* a : findChildren<QAction*>(QString::fromLatin1(name)))
            a->setProperty("helpContext", ctx);
}

int frmMain::helpContextOfFocus() const
{
    if (auto* m = qobject_cast<QMenu*>(QApplication::activePopupWidget()))
        if (QAction* a = m->activeAction())
            return a->property("helpContext").toInt();
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
        if (int c = w->property("helpContext").toInt())
            return c;
    return 0;
}

// ---- The refresh cycle -----------------------------------------------------------

void frmMain::Refresh()
{
    if (DebugView* d = isShown("mnuViewDisassembler") ? view("mnuViewDisassembler") : nullptr) {
        d->mnuRefresh();
        d->mnuGoToPCAddress();
    }
    if (access_->linkReady())
        RefreshRun();
    emit programCounterShown();
}

void frmMain::RefreshRun()
{
    auto shown = [this](const char* n) { return isShown(QString::fromLatin1(n)) ? view(n) : nullptr; };
    for (const char* n : {"mnuViewRegCPU", "mnuViewStack", "mnuViewWatch"}) {
        if (DebugView* v = shown(n))
            v->mnuRefresh();
        if (!access_->linkReady())
            return;
    }
    bool anyBlock = false;
    for (const char* n : kRegBlockWindows)
        anyBlock = anyBlock || isShown(QString::fromLatin1(n));
    if (anyBlock) {
        access_->fillRegisterImage();
        if (!access_->linkReady())
            return;
        for (const char* n : kRegBlockWindows)
            if (DebugView* v = shown(n))
                v->Redraw();
    }
    if (DebugView* v = shown("mnuViewRegPIA"))
        v->mnuRefresh();
}

void frmMain::FreezeDisplay()
{
    setCommandEnabled("mnuRunPause", true);
    for (const char* n : {"mnuDebugAddWatch", "mnuFileDownload", "mnuRunRun", "mnuRunPlay", "mnuRunAnimate"})
        setCommandEnabled(n, false);
    for (const char* n : kFrozenViewItems)
        items_.value(n)->setEnabled(false);
    items_.value("mnuViewIOunit")->setEnabled(false);
    for (const char* n : kFrozenWindows) {
        if (!isShown(n))
            continue;
        if (QWidget* w = viewWidget(n)) {
            if (QString(n) == "mnuViewDisassembler" || QString(n) == "mnuViewStack")
                if (DebugView* d = view(n))
                    d->ClearMarks();
            w->setEnabled(false);
        }
    }
}

void frmMain::ThawDisplay()
{
    setCommandEnabled("mnuRunPause", !run_->stopFlag);
    setCommandEnabled("mnuDebugAddWatch", true);
    setCommandEnabled("mnuFileDownload", true);
    for (const char* n : kFrozenViewItems)
        items_.value(n)->setEnabled(true);
    items_.value("mnuViewIOunit")->setEnabled(access_->simulatorMode());
    if (modeApplied_)
        applyModeToViewMenu();
    updatePinsItem();
    for (const char* n : kFrozenWindows)
        if (QWidget* w = isShown(n) ? viewWidget(n) : nullptr)
            w->setEnabled(true);
    if (isShown("mnuViewDisassembler") && run_->stopFlag) {
        setCommandEnabled("mnuRunRun", !access_->simulatorMode());
        setCommandEnabled("mnuRunPlay", true);
        setCommandEnabled("mnuRunAnimate", true);
        if (QMdiSubWindow* sub = viewWindow("mnuViewDisassembler")) {
            sub->widget()->setEnabled(true);
            mdi_->setActiveSubWindow(sub);
        }
        if (DebugView* d = view("mnuViewDisassembler"))
            d->mnuGoToPCAddress();
    } else if (!ViewRegistry::byMenuItem(QStringLiteral("mnuViewDisassembler")) && run_->stopFlag) {
        Menus();
    }
}

void frmMain::Menus()
{
    static const char* const stepping[] = {"mnuRunPlay", "mnuRunAnimate", "mnuRunStepInto",
                                           "mnuRunStepOver", "mnuRunRunTo", "mnuRunStepOut"};
    static const char* const debug[] = {"mnuDebugCodeOn", "mnuDebugIncludeSym", "mnuDebugToggleBreakpoint",
                                        "mnuDebugSetNewPC", "mnuDebugGetResVec", "mnuDebugGoToPCAddress",
                                        "mnuDebugGoToAddress"};
    if (access_->linkReady() && !access_->boardRunning) {
        setCommandEnabled("mnuRunRun", !access_->simulatorMode() && run_->stopFlag);
        for (const char* n : stepping)
            setCommandEnabled(n, run_->stopFlag);
        for (const char* n : debug)
            setCommandEnabled(n, true);
        setCommandEnabled("mnuDebugClearAllBreakpoints", breakpoints_.count() >= 1);
        updateHistoryState();
    } else {
        setCommandEnabled("mnuRunRun", false);
        setCommandEnabled("mnuRunPause", false);
        for (const char* n : stepping)
            setCommandEnabled(n, false);
        for (const char* n : debug)
            setCommandEnabled(n, false);
        setCommandEnabled("mnuDebugClearAllBreakpoints", false);
        updateHistoryState();
    }
}

void frmMain::BoardStatus()
{
    QString text;
    if (access_->simulatorMode()) {
        text = QStringLiteral("Simulator mode");
        setCommandEnabled("mnuRunRun", false);
    } else if (portError_ && !comm_->isOpen()) {
        text = kPortError;
    } else {
        // A closed port has no CTS line: no board.
        const bool cts = serial_->cts();
        if (!cts)
            text = QStringLiteral("HC11 Board: Not Connected !");
        else if (access_->boardRunning)
            text = QStringLiteral("HC11 Board: Running ...");
        else if (access_->linkReady())
            text = QStringLiteral("HC11 Board: Ready") + QString::fromStdString(access_->statusSuffix);
        else
            text = QStringLiteral("HC11 Board: Not Responding !");
    }
    setPanelText(1, text);
}

void frmMain::ClockCountUpdate()
{
    // Play reports the counter after every instruction, but the panel can
    // only be seen when window messages run: it is written then (and when
    // the run stops), not thousands of times in between.
    if (run_->playRunning) {
        clockPending_ = true;
        return;
    }
    clockPending_ = false;
    setPanelText(4, QString::fromStdString(run_->ClockText()));
    updateHistoryState();
}

void frmMain::updateHistoryState()
{
    const bool sim = access_->simulatorMode();
    if (sbTime_) {
        sbTime_->setVisible(sim);
        sbTime_->setText(QString::fromStdString(
            simulatedTimeText(run_->clockCounter, static_cast<uint32_t>(settings_.eClockHz))));
    }
    const bool idle = run_->stopFlag && access_->linkReady() && !access_->boardRunning;
    for (const char* n : {"mnuRunStepBack", "mnuRunRunBack"}) {
        setCommandEnabled(n, idle && run_->canStepBack());
        if (QAction* a = items_.value(n))
            a->setToolTip(sim ? a->text().remove('&') : QString::fromLatin1(kNoBoardHistory));
    }
    if (sbPast_) {
        const uint64_t back = run_->stepsBack();
        sbPast_->setVisible(sim && back > 0);
        sbPast_->setText(back == 1 ? QStringLiteral("In the past: 1 step back")
                                   : QStringLiteral("In the past: %1 steps back").arg(back));
    }
}

void frmMain::reportStop()
{
    if (run_->lastStop() == StopReason::DataBreakpoint)
        say(QString::fromStdString(hitMessage(run_->lastDataHit())));
}

void frmMain::applyRunSettings()
{
    run_->setHistoryCapacity(static_cast<size_t>(std::max(0, settings_.historySteps)));
    run_->pacedRate = settings_.speedPercent > 0 ? settings_.eClockHz * (settings_.speedPercent / 100.0) : 0;
}

void frmMain::setDataBreakpoint(int32_t first, int32_t last, int kind)
{
    DataBreakpointTable& t = run_->dataBreakpoints;
    const int i = t.indexOf(first, last);
    if (i >= 0)
        t.removeAt(i);
    if (kind == 0)
        return;
    if (t.add(first, last, static_cast<DataAccess>(kind)) == DataBreakpointTable::AddResult::Full)
        message("Tarvine - Breakpoint Error", "  Can't Set Data Breakpoint !\n (Max. Data Breakpoints = 32)",
                MessageIcon::Exclamation);
}

void frmMain::addDataBreakpointMenu(QMenu* menu, int32_t first, int32_t last)
{
    menu->setToolTipsVisible(true);
    menu->addSeparator();
    QMenu* sub = menu->addMenu(QStringLiteral("Data &Breakpoint"));
    sub->setObjectName(QStringLiteral("mnuPopupDataBreakpoint"));
    sub->menuAction()->setObjectName(QStringLiteral("mnuPopupDataBreakpoint"));
    const bool sim = access_->simulatorMode();
    sub->menuAction()->setEnabled(sim && first >= 0 && last >= first);
    if (!sim)
        sub->menuAction()->setToolTip(QString::fromLatin1(kNoBoardDataBreak));
    if (first < 0 || last < first)
        return;
    auto hex4 = [](int32_t v) { return QStringLiteral("$%1").arg(v & 0xFFFF, 4, 16, QLatin1Char('0')).toUpper(); };
    const QString where = first == last ? hex4(first) : hex4(first) + QLatin1Char('-') + hex4(last);
    const int set = run_->dataBreakpoints.indexOf(first, last);
    const int kindSet = set >= 0 ? static_cast<int>(run_->dataBreakpoints.at(set).kind) : 0;
    struct Choice {
        const char* name;
        const char* text;
        DataAccess kind;
    };
    const Choice choices[] = {
        {"mnuPopupDataBreakRead", "Break on &Read of ", DataAccess::Read},
        {"mnuPopupDataBreakWrite", "Break on &Write to ", DataAccess::Write},
        {"mnuPopupDataBreakAccess", "Break on &Access to ", DataAccess::Access},
    };
    for (const Choice& c : choices) {
        QAction* a = sub->addAction(QString::fromLatin1(c.text) + where);
        a->setObjectName(QString::fromLatin1(c.name));
        a->setCheckable(true);
        a->setChecked(kindSet == static_cast<int>(c.kind));
        const int kind = static_cast<int>(c.kind);
        connect(a, &QAction::triggered, this, [this, first, last, kind] { setDataBreakpoint(first, last, kind); });
    }
    sub->addSeparator();
    QAction* rm = sub->addAction(QStringLiteral("Re&move Data Breakpoint"));
    rm->setObjectName(QStringLiteral("mnuPopupDataBreakRemove"));
    rm->setEnabled(set >= 0);
    connect(rm, &QAction::triggered, this, [this, first, last] { setDataBreakpoint(first, last, 0); });
}

void frmMain::openBreakpoints()
{
    frmBreakpoints dlg(breakpoints_, run_->dataBreakpoints, access_->simulatorMode(), [this] {
        if (DebugView* d = isShown("mnuViewDisassembler") ? view("mnuViewDisassembler") : nullptr)
            d->mnuRefresh();
        Menus();
    }, this);
    dlg.exec();
}

// ---- Hooks the core calls --------------------------------------------------------

void frmMain::RefreshCpuWindow()
{
    // Called after every instruction of Play. The window can only be seen
    // to change when window messages run, so it re-reads the registers then
    // (each time slice, and when the run stops) rather than after every
    // instruction: what the user sees is the same, at a fraction of the cost.
    if (cpuItem_->isChecked())
        cpuPending_ = true;
}

void frmMain::flushCpuWindow()
{
    if (!cpuPending_)
        return;
    cpuPending_ = false;
    if (cpuItem_->isChecked())
        if (DebugView* v = view(QStringLiteral("mnuViewRegCPU")))
            v->mnuRefresh();
}

void frmMain::RedrawCpuWindow()
{
    if (DebugView* v = isShown("mnuViewRegCPU") ? view("mnuViewRegCPU") : nullptr)
        v->Redraw();
}

void frmMain::GoToPCAddress()
{
    if (DebugView* d = isShown("mnuViewDisassembler") ? view("mnuViewDisassembler") : nullptr)
        d->mnuGoToPCAddress();
    emit programCounterShown();
}

void frmMain::processEvents()
{
    if (clockPending_) {
        clockPending_ = false;
        setPanelText(4, QString::fromStdString(run_->ClockText()));
        if (sbTime_)
            sbTime_->setText(QString::fromStdString(
                simulatedTimeText(run_->clockCounter, static_cast<uint32_t>(settings_.eClockHz))));
    }
    flushCpuWindow();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void frmMain::runStarted(RunKind)
{
    setCommandEnabled("mnuRunPause", true);
    GoToPCAddress();
    tmrCommWasActive_ = tmrComm_->isActive();
    tmrRefreshWasActive_ = tmrRefresh_->isActive();
    tmrComm_->stop();
    tmrRefresh_->stop();
    FreezeDisplay();
}

void frmMain::runStopped(RunKind)
{
    if (QMdiSubWindow* sub = isShown("mnuViewDisassembler") ? viewWindow("mnuViewDisassembler") : nullptr) {
        flushCpuWindow();
        mdi_->setActiveSubWindow(sub);
        GoToPCAddress();
    } else if (access_->linkReady()) {
        // Without a disassembler nothing else re-reads the target after a
        // run: bring every open window up to date (the CPU window included)
        // so none shows stale values.
        cpuPending_ = false;
        RefreshRun();
        emit programCounterShown();
    } else {
        flushCpuWindow();
    }
    ThawDisplay();
    setCommandEnabled("mnuRunPause", false);
    ClockCountUpdate();
    if (tmrCommWasActive_)
        tmrComm_->start();
    if (tmrRefreshWasActive_)
        tmrRefresh_->start();
    if (closeAfterRun_)
        QTimer::singleShot(0, this, &QWidget::close);
}

void frmMain::message(std::string caption, std::string text, MessageIcon icon)
{
    QString t = QString::fromStdString(text);
    t.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    if (messageHook) {
        messageHook(QString::fromStdString(caption), t, icon);
        return;
    }
    QMessageBox box(qtIcon(icon), QString::fromStdString(caption), t, QMessageBox::Ok, this);
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    QApplication::restoreOverrideCursor();
}

void frmMain::RunHC11()
{
    run_->RunHC11();
    BoardStatus();
    if (!ViewRegistry::byMenuItem(QStringLiteral("mnuViewDisassembler")))
        Menus();
}

// ---- The board's port -----------------------------------------------------------

void frmMain::MSCommOnComm()
{
    // An exchange waiting for its reply owns the received bytes.
    if (board_->busy() || !comm_->isOpen())
        return;
    if (serial_->threshold() <= 0 || comm_->bytesAvailable() < serial_->threshold())
        return;
    receivedBlock(comm_->readAll());
    run_->resetClock();
    ClockCountUpdate();
}

void frmMain::receivedBlock(QByteArray bytes)
{
    commSeen_ = 0;
    if (!access_->simulatorMode() &&
        board::endsWithResetNotice(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                   static_cast<size_t>(bytes.size()))) {
        bytes.chop(3);
        boardResetNotice();
    }
    if (!bytes.isEmpty() && isShown("mnuViewSerialTerminal"))
        emit serialTerminalData(bytes);
}

void frmMain::boardResetNotice()
{
    access_->setLinkReady(true);
    access_->InResetVector(access_->regs.PC);
    ThawDisplay();
    access_->statusSuffix.clear();
    BoardStatus();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    access_->boardRunning = false;
    RefreshRun();
    access_->statusSuffix = " (Reset)";
    BoardStatus();
    // The Run and Debug commands follow the link again (the disassembler's
    // rule, as after Run).
    Menus();
    GoToPCAddress();
}

void frmMain::tmrCommTick()
{
    if (access_->simulatorMode() || !comm_->isOpen()) {
        commSeen_ = 0;
        return;
    }
    // The port reports no CTS changes of its own: look at the line here.
    const bool cts = serial_->cts();
    if (cts != ctsSeen_) {
        ctsSeen_ = cts;
        BoardStatus();
    }
    if (board_->busy()) {
        commSeen_ = 0;
        return;
    }
    // The line paused for one tick: hand over what came. While the board
    // runs that is the program's output; at any time a block ending in the
    // reset notice is the board's reset (the notice alone, three bytes, is
    // below the notification threshold and would otherwise go unnoticed).
    const int n = serial_->waiting();
    if (n != 0 && n == commSeen_) {
        const std::vector<uint8_t> waiting = serial_->peek();
        const bool notice = board::endsWithResetNotice(waiting.data(), waiting.size());
        if (access_->boardRunning || notice) {
            receivedBlock(comm_->readAll());
            if (notice)
                run_->resetClock();
            ClockCountUpdate();
            return;
        }
    }
    commSeen_ = serial_->waiting();
}

// ---- Timers ----------------------------------------------------------------------

void frmMain::tmrRefreshTick()
{
    if (access_->boardRunning || run_->animateRunning || run_->playRunning)
        return;
    // currentSubWindow, not activeSubWindow: the latter is null while the
    // main window itself is inactive (a dialog just closed), which would
    // silently stop the auto refresh.
    QMdiSubWindow* sub = mdi_->currentSubWindow();
    if (auto* v = sub ? dynamic_cast<DebugView*>(sub->widget()) : nullptr)
        if (v->refreshable())
            v->mnuRefresh();
}

// ---- Events --------------------------------------------------------------------

bool frmMain::eventFilter(QObject* o, QEvent* e)
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(o); sub && placements_.contains(sub)) {
        Placement& p = placements_[sub];
        switch (e->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::WindowStateChange:
            p.state = stateOf(sub);
            if (p.state == WindowState::Normal && sub->isVisible())
                p.rect = sub->geometry();
            break;
        case QEvent::Hide:
            // Closing hides the window before it is deleted: save now, so the
            // placement is stored as soon as the window has gone.
            store_->savePlacement(sub->property("zelkPrefix").toString(), p);
            break;
        default:
            break;
        }
        return false;
    }
    if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_F1 &&
        static_cast<QKeyEvent*>(e)->modifiers() == Qt::NoModifier) {
        // F1 only for this window's own widgets and menus.
        QWidget* w = qobject_cast<QWidget*>(o);
        if (w && (w->window() == this || qobject_cast<QMenu*>(w))) {
            showHelp(helpContextOfFocus());
            return true;
        }
    }
    return QMainWindow::eventFilter(o, e);
}

void frmMain::closeEvent(QCloseEvent* e)
{
    // A running loop is waiting inside this event: stop it first and close
    // once it has ended.
    if (running()) {
        run_->Pause();
        closeAfterRun_ = true;
        e->ignore();
        return;
    }
    // Every child that may refuse (an editor with unsaved changes) is asked
    // before anything is unloaded; one refusal cancels.
    // Each is asked once: the closes below take the answers given here.
    QList<QPointer<QMdiSubWindow>> asked;
    auto withdraw = [&asked] {
        for (const QPointer<QMdiSubWindow>& s : asked)
            if (auto* v = s ? dynamic_cast<DebugView*>(s->widget()) : nullptr)
                v->cancelUnload();
    };
    for (QMdiSubWindow* s : mdi_->subWindowList()) {
        auto* v = dynamic_cast<DebugView*>(s->widget());
        if (!v)
            continue;
        if (!v->queryUnload()) {
            withdraw();
            closeAfterRun_ = false;
            e->ignore();
            return;
        }
        asked << s;
    }
    for (QMdiSubWindow* ed : editors())
        if (!ed->close()) {
            withdraw();
            e->ignore();
            return;
        }
    closing_ = true;
    saveSettings();
    if (help_)
        help_->close();
    mdi_->closeAllSubWindows();
    e->accept();
}

} // namespace zelk
