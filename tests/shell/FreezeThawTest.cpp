// The busy state around execution: which commands, View items and windows
// FreezeDisplay and ThawDisplay switch, the state seen from inside Play, the
// status texts of BoardStatus, and the order in which RefreshRun asks the
// open windows to re-read the target.
#include "ShellTestSupport.h"

#include "shell/ViewRegistry.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <QtTest>

using namespace zelk;

namespace {

QStringList g_log;

// A window that writes every cycle call into the log.
class LogView : public QWidget, public DebugView {
public:
    explicit LogView(QString n) : name(std::move(n)) {}
    QString name;
    void mnuRefresh() override { g_log << name + ":mnuRefresh"; }
    void Redraw() override { g_log << name + ":Redraw"; }
    void ClearMarks() override { g_log << name + ":ClearMarks"; }
    void mnuGoToPCAddress() override { g_log << name + ":GoToPC"; }
};

void registerLogView(const char* window, const char* item, const char* prefix)
{
    const QString n = QString::fromLatin1(prefix);
    ViewRegistry::add({window, item, prefix, [n](frmMain&) -> QWidget* { return new LogView(n); }, {}});
}

const char* const kFrozenItems[] = {"mnuViewMemory", "mnuViewRegCPU", "mnuViewRegBlock", "mnuViewRegPIA",
                                    "mnuViewStack", "mnuViewWatch", "mnuViewDisassembler", "mnuViewIOunit"};

} // namespace

class FreezeThawTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        registerLogView("frmDisAsm", "mnuViewDisassembler", "DisAsm");
        registerLogView("frmRegCPU", "mnuViewRegCPU", "RegCPU");
        registerLogView("frmStack", "mnuViewStack", "Stack");
        registerLogView("frmWatch", "mnuViewWatch", "Watch");
        registerLogView("frmRegTimer", "mnuViewRegTimer", "RegTimer");
        registerLogView("frmRegAD", "mnuViewRegAD", "RegAD");
        registerLogView("frmRegPIA", "mnuViewRegPIA", "RegPIA");
        registerLogView("frmMemory", "mnuViewMemory", "Memory");
    }
    void init() { g_log.clear(); }

    void freezeDisablesAndThawEnables()
    {
        ShellFixture f;
        frmMain& m = f.start();
        m.menuItem("mnuViewWatch")->trigger();
        QWidget* watch = m.viewWidget("mnuViewWatch");
        QVERIFY(watch);
        m.FreezeDisplay();
        QVERIFY(m.menuItem("mnuRunPause")->isEnabled());
        QVERIFY(m.toolButton("Pause")->isEnabled());
        for (const char* n : {"mnuDebugAddWatch", "mnuFileDownload", "mnuRunRun", "mnuRunPlay", "mnuRunAnimate"})
            QVERIFY2(!m.menuItem(n)->isEnabled(), n);
        for (const char* b : {"Add Watch", "Download", "Run", "Play", "Animate"})
            QVERIFY2(!m.toolButton(b)->isEnabled(), b);
        for (const char* n : kFrozenItems)
            QVERIFY2(!m.menuItem(n)->isEnabled(), n);
        QVERIFY(!watch->isEnabled());

        m.ThawDisplay();  // stop flag set: Pause off
        QVERIFY(!m.menuItem("mnuRunPause")->isEnabled());
        QVERIFY(m.menuItem("mnuDebugAddWatch")->isEnabled());
        QVERIFY(m.toolButton("Download")->isEnabled());
        for (const char* n : kFrozenItems)
            QVERIFY2(m.menuItem(n)->isEnabled(), n);
        QVERIFY(watch->isEnabled());
        // The disassembler is closed: Run, Play and Animate stay disabled.
        QVERIFY(!m.menuItem("mnuRunPlay")->isEnabled());
        QVERIFY(!m.toolButton("Animate")->isEnabled());
    }

    void thawWithTheDisassemblerEnablesPlayButNotRunInSimulatorMode()
    {
        ShellFixture f;
        frmMain& m = f.start();
        m.menuItem("mnuViewDisassembler")->trigger();
        m.FreezeDisplay();
        QVERIFY(g_log.contains("DisAsm:ClearMarks"));
        QVERIFY(!m.viewWidget("mnuViewDisassembler")->isEnabled());
        g_log.clear();
        m.ThawDisplay();
        QVERIFY(m.menuItem("mnuRunPlay")->isEnabled());
        QVERIFY(m.toolButton("Play")->isEnabled());
        QVERIFY(m.menuItem("mnuRunAnimate")->isEnabled());
        QVERIFY(!m.menuItem("mnuRunRun")->isEnabled());
        QVERIFY(!m.toolButton("Run")->isEnabled());
        QVERIFY(m.viewWidget("mnuViewDisassembler")->isEnabled());
        QCOMPARE(g_log, QStringList{"DisAsm:GoToPC"});
        QCOMPARE(m.panel(1)->text(), QStringLiteral("Simulator mode"));
    }

    void ioUnitItemFollowsTheModeOnThaw()
    {
        ShellFixture f;
        frmMain& m = f.start(false);  // board mode
        m.FreezeDisplay();
        m.ThawDisplay();
        QVERIFY(!m.menuItem("mnuViewIOunit")->isEnabled());
        QVERIFY(m.menuItem("mnuViewRegPorts")->isEnabled());
    }

    void stateSeenFromInsidePlay()
    {
        ShellFixture f;
        frmMain& m = f.start();
        m.menuItem("mnuViewDisassembler")->trigger();
        m.menuItem("mnuViewRegCPU")->trigger();
        f.put(0xE000, {0x20, 0xFE});  // BRA *
        m.access().regs.PC = 0xE000;
        QStringList wrong;
        QTimer::singleShot(20, [&] {
            if (!m.menuItem("mnuRunPause")->isEnabled()) wrong << "pause";
            if (m.menuItem("mnuRunPlay")->isEnabled()) wrong << "play";
            if (m.toolButton("Download")->isEnabled()) wrong << "download";
            if (m.menuItem("mnuViewStack")->isEnabled()) wrong << "view stack";
            if (m.viewWidget("mnuViewRegCPU")->isEnabled()) wrong << "cpu window";
            if (m.tmrComm()->isActive()) wrong << "tmrComm";
            if (!m.run().playRunning) wrong << "running flag";
            g_log << "paused here";
            m.runCommand("mnuRunPause");
        });
        m.runCommand("mnuRunPlay");
        QCOMPARE(wrong, QStringList{});
        // Play refreshes only the CPU register window, once per time slice.
        QVERIFY(g_log.count("RegCPU:mnuRefresh") >= 1);
        QVERIFY(!g_log.contains("DisAsm:mnuRefresh"));
        QVERIFY(!m.menuItem("mnuRunPause")->isEnabled());
        QVERIFY(m.menuItem("mnuRunPlay")->isEnabled());
        QVERIFY(m.tmrComm()->isActive());
        QVERIFY(m.viewWidget("mnuViewRegCPU")->isEnabled());
    }

    void playEndsWithTheCpuWindowShowingTheLastStep()
    {
        ShellFixture f;
        frmMain& m = f.start();
        m.menuItem("mnuViewRegCPU")->trigger();
        f.put(0xE000, {0x86, 0x01, 0xC6, 0x02, 0x01});  // LDAA #1 / LDAB #2 / NOP
        m.access().regs.PC = 0xE000;
        m.breakpoints().append(0xE004);
        g_log.clear();
        m.runCommand("mnuRunPlay");  // two steps, well inside one time slice
        QCOMPARE(m.access().regs.PC, 0xE004);
        QCOMPARE(g_log.count("RegCPU:mnuRefresh"), 1);
        // Without any step there is nothing to show again.
        g_log.clear();
        m.FreezeDisplay();
        m.ThawDisplay();
        QCOMPARE(g_log.count("RegCPU:mnuRefresh"), 0);
    }

    void playWithoutDisassemblerBringsTheOtherWindowsUpToDate()
    {
        ShellFixture f;
        frmMain& m = f.start();
        m.menuItem("mnuViewStack")->trigger();
        f.put(0xE000, {0x86, 0x01, 0xC6, 0x02, 0x01});  // LDAA #1 / LDAB #2 / NOP
        m.access().regs.PC = 0xE000;
        m.breakpoints().append(0xE004);
        g_log.clear();
        m.runCommand("mnuRunPlay");
        QCOMPARE(m.access().regs.PC, 0xE004);
        // Play itself refreshes no stack window; the stop does, once.
        QCOMPARE(g_log.count("Stack:mnuRefresh"), 1);
    }

    void refreshRunAsksTheWindowsInOrder()
    {
        // The register block as plain memory, written straight into the image.
        ShellFixture f({{"Settings/SimulatePeripherals", "0"}});
        frmMain& m = f.start();
        for (const char* n : {"mnuViewRegPIA", "mnuViewRegTimer", "mnuViewWatch", "mnuViewStack",
                              "mnuViewRegAD", "mnuViewRegCPU", "mnuViewMemory"})
            m.menuItem(n)->trigger();
        m.access().image()[0x1005] = 0x5A;
        g_log.clear();
        m.RefreshRun();
        const QStringList expected{"RegCPU:mnuRefresh", "Stack:mnuRefresh", "Watch:mnuRefresh",
                                   "RegAD:Redraw",      "RegTimer:Redraw",  "RegPIA:mnuRefresh"};
        QCOMPARE(g_log, expected);
        QCOMPARE(m.access().registerImage[5], uint8_t(0x5A));
    }

    void refreshRunLeavesTheRegisterBlockAloneWithoutItsWindows()
    {
        ShellFixture f;
        frmMain& m = f.start();
        m.menuItem("mnuViewRegCPU")->trigger();
        m.access().image()[0x1005] = 0x5A;
        m.RefreshRun();
        QCOMPARE(m.access().registerImage[5], uint8_t(0));
        // Refresh: the disassembler first (re-read, then PC), then the cycle.
        m.menuItem("mnuViewDisassembler")->trigger();
        g_log.clear();
        m.Refresh();
        QCOMPARE(g_log, (QStringList{"DisAsm:mnuRefresh", "DisAsm:GoToPC", "RegCPU:mnuRefresh"}));
    }

    void tmrRefreshRefreshesTheActiveWindowOnly()
    {
        ShellFixture f;
        frmMain& m = f.start();
        m.show();
        m.menuItem("mnuViewStack")->trigger();
        m.menuItem("mnuViewWatch")->trigger();
        m.mdiArea()->setActiveSubWindow(m.mdiArea()->subWindowList().value(1));
        g_log.clear();
        m.tmrRefresh()->start();
        QTRY_VERIFY(g_log.count("Watch:mnuRefresh") >= 2);
        m.tmrRefresh()->stop();
        QCOMPARE(g_log.count("Stack:mnuRefresh"), 0);
    }

    void boardStatusTexts()
    {
        ShellFixture f;
        frmMain& m = f.start(false);
        QCOMPARE(m.panel(1)->text(), QStringLiteral("HC11 Board: Communication Port Error !"));
        m.forceSimulator();
        QCOMPARE(m.panel(1)->text(), QStringLiteral("Simulator mode"));
        QVERIFY(!m.menuItem("mnuRunRun")->isEnabled());
    }

    void viewItemClosesAnOpenWindow()
    {
        ShellFixture f;
        frmMain& m = f.start();
        m.menuItem("mnuViewStack")->trigger();
        QVERIFY(m.isShown("mnuViewStack"));
        QVERIFY(m.view("mnuViewStack"));
        m.menuItem("mnuViewStack")->trigger();
        QTRY_VERIFY(!m.viewWidget("mnuViewStack"));
        QVERIFY(!m.isShown("mnuViewStack"));
        // Closing the window itself also clears the mark.
        m.menuItem("mnuViewStack")->trigger();
        m.mdiArea()->subWindowList().value(0)->close();
        QTRY_VERIFY(!m.isShown("mnuViewStack"));
    }
};

QTEST_MAIN(FreezeThawTest)
#include "FreezeThawTest.moc"
