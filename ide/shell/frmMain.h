// frmMain: the main window of ZELK, the program itself. A QMainWindow with an
// MDI area holding the editors and debugger windows, the menu bar built from
// MenuTable, the toolbar, the seven-panel status bar, the serial port, the
// two timers, and the application state the core keeps (access layer with
// the simulator, run control). It dispatches every menu and toolbar command,
// keeps the View menu's check marks in step with the open windows, runs the
// refresh cycle, and restores and saves the settings.
//
// Other windows plug in through ViewRegistry (see ViewRegistry.h) and reach
// the main window's procedures through the frmMain& their factory receives.
#pragma once

#include "link/AccessLayer.h"
#include "link/Notifier.h"
#include "link/ViewHooks.h"
#include "run/BreakpointTable.h"
#include "run/ExecutionControl.h"
#include "shell/DebugView.h"
#include "shell/Settings.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QSerialPort;
class QTimer;
class QToolBar;

namespace zelk {

class BoardTarget;
class HelpViewer;
class SerialBytePort;

class frmMain : public QMainWindow, public ViewHooks, public Notifier {
    Q_OBJECT
public:
    // store: the settings to use (the per-user store when null; tests pass a
    // temporary one). The window is built, the settings restored and the port
    // opened here (the start-up of the program); show() it afterwards.
    explicit frmMain(SettingsStore* store = nullptr, QWidget* parent = nullptr);
    ~frmMain() override;

    // The one main window of the process (null before it exists).
    static frmMain* instance();

    // ---- Commands -----------------------------------------------------------
    QAction* menuItem(const QString& name) const;    // "mnuRunPlay"
    QMenu* menu(const QString& name) const;          // "mnuView", "mnuViewRegBlock"
    QAction* toolButton(const QString& text) const;  // "Play"
    // Enables the menu item and the toolbar button that runs the same command.
    void setCommandEnabled(const QString& menuItemName, bool on);
    // Attaches the handler of a command: a menu item name ("mnuFileNew") or a
    // toolbar button text whose command differs from its menu item ("Print",
    // "Assemble"). A later call replaces the handler.
    void setCommand(const QString& name, std::function<void()> fn);
    // Runs the command as the menu or toolbar would.
    void runCommand(const QString& name);

    // ---- Windows --------------------------------------------------------------
    QMdiArea* mdiArea() const { return mdi_; }
    // A debugger window is shown while its View menu item is checked.
    bool isShown(const QString& menuItemName) const;
    // The open window of a View item (null when closed) and its procedures.
    QWidget* viewWidget(const QString& menuItemName) const;
    DebugView* view(const QString& menuItemName) const;
    // Opens the window of a View item (does nothing when it is open or no
    // window is registered for it; the status bar then says so).
    QWidget* openView(const QString& menuItemName);
    void closeView(const QString& menuItemName);
    // Adds a window that is not a View item's (an editor, the error list) as
    // an MDI child; returns its subwindow. An editor sets its object name to
    // "frmEditor" so the Window menu and the shutdown find it.
    QMdiSubWindow* addChild(QWidget* w);
    QList<QMdiSubWindow*> editors() const;

    // ---- Status bar -----------------------------------------------------------
    QLabel* panel(int n) const;                      // 1..7
    void setPanelText(int n, const QString& text);
    // A passing status-bar message (4 s), shown beside the seven panels,
    // which stay visible; passingMessage() is the one shown now (empty when
    // none).
    void say(const QString& text);
    // Appends the "Data Breakpoint" submenu for first..last to a view's
    // popup (disabled with a tooltip on the board, or when first < 0).
    void addDataBreakpointMenu(QMenu* menu, int32_t first, int32_t last);
    // Sets (or with kind 0 removes) the data breakpoint on first..last.
    void setDataBreakpoint(int32_t first, int32_t last, int kind);
    // The Breakpoints dialog (mnuDebugBreakpoints).
    void openBreakpoints();
    // The "in the past" indicator of the status bar (null before it exists).
    QLabel* pastIndicator() const { return sbPast_; }
    QString passingMessage() const;

    // ---- State ----------------------------------------------------------------
    AccessLayer& access() { return *access_; }
    ExecutionControl& run() { return *run_; }
    BreakpointTable& breakpoints() { return breakpoints_; }
    // The options continuous runs use (time slice of window messages).
    RunOptions& runOptions() { return runOptions_; }
    // The options in force (fonts, port, modes). A window that keeps one of
    // them (the serial terminal's hex mode) may change it here; it is saved
    // at exit. The check mark of the popup action mnuPopupSerialHex, a
    // child of this window, is read back into hexTerminal at exit.
    AppSettings& settings() { return settings_; }
    SettingsStore& store() { return *store_; }
    QSerialPort& MSComm() { return *comm_; }
    // The board target over MSComm, and the line as it sees it.
    BoardTarget& board() { return *board_; }
    SerialBytePort& serialLine() { return *serial_; }
    QTimer* tmrComm() const { return tmrComm_; }
    QTimer* tmrRefresh() const { return tmrRefresh_; }
    bool portError() const { return portError_; }
    // The device that port number n (1..4) stands for on this machine.
    static QString portDevice(int n);
    QString currentPortDevice() const;
    // Closes the port and opens it again on the current settings (OK in the
    // Options dialog): panel 1 and the link-ready flag follow the result.
    void reopenPort();
    // Applies the target mode to the View menu (after the Options dialog).
    void applyModeToViewMenu();
    // Applies "SimulatePeripherals" to the simulator target (start-up, OK in
    // Options): on, the on-chip peripherals are simulated; off, the
    // register block is plain memory. Only a change switches (and so resets)
    // the model.
    void applyPeripheralSetting();
    // The simulated chip's reset (the reset command, a download in simulator
    // mode with the peripherals on; nothing otherwise): registers, timer and
    // CPU state as after reset, the user's pin levels and analog inputs kept.
    void resetPeripherals();
    // Loads an S-record file into the simulator's image; PC from the reset vector.
    bool loadS19(const QString& path);
    // Opens a source file (editor, when one is registered) or its .s19 sibling.
    void openFile(const QString& path);
    // Hook for the editors: opens a source file in an editor; returns false
    // when it could not.
    void setSourceOpener(std::function<bool(const QString&)> fn) { sourceOpener_ = std::move(fn); }

    // ---- Help -------------------------------------------------------------------
    QString helpFile() const;
    void setHelpFile(const QString& path) { helpFile_ = path; }  // default: ZELK.html beside the program
    HelpViewer* helpViewer() const;
    void showHelp(int context);   // 0 = contents
    void SetRegistersHelp();

    // ---- The refresh cycle ------------------------------------------------------
    void Refresh() override;
    void RefreshRun();
    void FreezeDisplay() override;
    void ThawDisplay() override;
    void BoardStatus() override;
    void ClockCountUpdate() override;

    // ---- ViewHooks / Notifier for the core ------------------------------------
    void RefreshCpuWindow() override;
    void RedrawCpuWindow() override;
    void GoToPCAddress() override;
    void processEvents() override;
    void runStarted(RunKind kind) override;
    void runStopped(RunKind kind) override;
    // The CPU window and the clock panel are only marked during Play and
    // shown from processEvents; the link panel is fixed in simulator mode.
    bool deferStepUpdates() const override { return true; }
    void message(std::string caption, std::string text, MessageIcon icon) override;
    // When set, messages go here instead of a message box (tests, scripted runs).
    std::function<void(const QString& caption, const QString& text, MessageIcon icon)> messageHook;

    // ---- Commands of the shell itself ------------------------------------------
    void RunHC11();
    // The Run and Debug commands' state from the link and run flags (the
    // disassembler's rule; the main window applies it itself while this
    // build has no disassembler window).
    void Menus() override;
    void mnuViewOptionsClick();
    // Simulator or board mode for this run only (command line); not saved.
    void forceSimulator();
    void forceBoard();
    // Uses this serial device for this run only (command line) and reopens
    // the port on it; the stored port is kept.
    void usePortDevice(const QString& device);
    // The port's notification handler: received data at the threshold
    // (the board's output, its reset notice). CTS changes are polled by
    // tmrComm, as the port has no notification for them.
    void MSCommOnComm();
    // The reset notice "BBB": PC from the reset vector, the display thawed,
    // status "HC11 Board: Ready (Reset)".
    void boardResetNotice();

signals:
    // The board program's output bytes for the serial terminal, sent only
    // while the View menu item Serial Terminal is checked.
    void serialTerminalData(const QByteArray& bytes);
    // The windows were brought up to date with the program counter (after
    // a step, a run, a new PC): the editors mark the PC's source line.
    void programCounterShown();
    // A breakpoint was set or cleared by a window: the others show it.
    void breakpointsChanged();
    // The simulated on-chip peripherals were reset or switched (the reset
    // command, the Options): the pins window and the SCI line start afresh.
    void peripheralsReset();

public:
    // Shows the window in the stored state (maximized by default).
    void showAsStored();
    // Whether a Play or Animate loop is running.
    bool running() const;
    void arrangeDebugger();
    void cascadeEditors();
    void tileEditors(bool horizontal);

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void buildMenus();
    void buildToolbar();
    void buildStatusBar();
    void connectCommands();
    void restoreSettings();
    void saveSettings();
    void openPort();
    void toggleView(const QString& menuItemName);
    void viewClosed(const QString& menuItemName, QMdiSubWindow* sub);
    void updateWindowMenu();
    void tmrRefreshTick();
    void flushCpuWindow();
    void tmrCommTick();
    // A block taken from the port: the reset notice at its end handled, the
    // rest to the serial terminal when it is shown.
    void receivedBlock(QByteArray bytes);
    int helpContextOfFocus() const;
    QRect clientRectPx() const;

    std::unique_ptr<SettingsStore> ownStore_;
    SettingsStore* store_;
    AppSettings settings_;
    std::unique_ptr<AccessLayer> access_;
    BreakpointTable breakpoints_;
    std::unique_ptr<ExecutionControl> run_;
    RunOptions runOptions_;

    QMdiArea* mdi_ = nullptr;
    QToolBar* tbToolbar_ = nullptr;
    QLabel* panels_[7] = {};
    QLabel* sbMessage_ = nullptr;
    QLabel* sbPast_ = nullptr;
    QLabel* sbTime_ = nullptr;
    // Step Back / Run Back state, the past indicator and the simulated time.
    void updateHistoryState();
    // After a run command: the status message of a data breakpoint's stop.
    void reportStop();
    // Applies the history, E-clock and pace settings to run control.
    void applyRunSettings();
    // The On-chip pins item: enabled in simulator mode with the peripherals
    // simulated, else disabled with the reason as its tooltip.
    void updatePinsItem();
    QTimer* sayTimer_ = nullptr;
    QSerialPort* comm_ = nullptr;
    QTimer* tmrComm_ = nullptr;
    QTimer* tmrRefresh_ = nullptr;
    QHash<QString, QAction*> items_;
    QAction* cpuItem_ = nullptr;
    QHash<QString, QMenu*> menus_;
    QHash<QString, QAction*> buttons_;
    QHash<QString, std::function<void()>> commands_;
    // The open views' windows. Held as QWidget: the destroyed() handler
    // compares an entry while the window is already past ~QMdiSubWindow,
    // and a QPointer<QMdiSubWindow> would cast it to what it no longer is.
    QHash<QString, QPointer<QWidget>> views_;
    QMdiSubWindow* viewWindow(const QString& name) const;
    QPointer<HelpViewer> help_;
    std::function<bool(const QString&)> sourceOpener_;
    bool portError_ = false;
    QString helpFile_;
    bool closing_ = false;
    bool closeAfterRun_ = false;
    bool clockPending_ = false;
    bool cpuPending_ = false;
    bool tmrCommWasActive_ = false;
    bool tmrRefreshWasActive_ = false;
    bool forceSimulator_ = false;
    bool forceBoard_ = false;
    QString portOverride_;
    std::unique_ptr<SerialBytePort> serial_;
    std::unique_ptr<BoardTarget> board_;
    int commSeen_ = 0;      // tmrComm: waiting count at the previous tick
    bool ctsSeen_ = false;  // tmrComm: CTS state at the previous tick
    bool storedSimEnabled_ = false;
    bool modeApplied_ = false;
    WindowState initialState_ = WindowState::Maximized;
    // Last normal placement and state of each open View window, kept as it
    // moves so it can be saved when the window goes away.
    QHash<QMdiSubWindow*, Placement> placements_;
};

} // namespace zelk
