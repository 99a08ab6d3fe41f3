// The run commands from the main window's menu in simulator mode, on small
// programs put into the image: Step Into, Play with Pause and breakpoints,
// Step Over, Step Out, Run To Cursor, Animate, Get Reset Vector, Reset
// counter, Run's guard message, and closing the window while Play runs.
#include "ShellTestSupport.h"

#include "shell/ViewRegistry.h"

#include <QAction>
#include <QLabel>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <QtTest>

using namespace zelk;

namespace {

// A stand-in disassembler with a current row, for Run To Cursor.
class FakeDisAsm : public QWidget, public DebugView {
public:
    static inline int cursor = -1;
    int cursorAddress() const override { return cursor; }
};

// LDAA #$01 / loop: INCA / BRA loop   (loop = $E002, the BRA at $E003)
void putCountingLoop(ShellFixture& f)
{
    f.put(0xE000, {0x86, 0x01, 0x4C, 0x20, 0xFD});
}

// JSR $E010 / NOP ... $E010: LDAB #$05 / RTS
void putCall(ShellFixture& f)
{
    f.put(0xE000, {0xBD, 0xE0, 0x10, 0x01, 0x01});
    f.put(0xE010, {0xC6, 0x05, 0x39});
}

void setRegs(frmMain& m, int pc, int sp)
{
    auto& r = m.access().regs;
    r.PC = pc;
    r.SP = sp;
    uint8_t* img = m.access().image();
    img[6] = uint8_t(sp >> 8);
    img[7] = uint8_t(sp);
}

} // namespace

class RunCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        ViewRegistry::add({"frmDisAsm", "mnuViewDisassembler", "DisAsm",
                           [](frmMain&) -> QWidget* { return new FakeDisAsm; }, {}});
    }

    void stepIntoExecutesAndCountsCycles()
    {
        ShellFixture f;
        frmMain& m = f.start();
        putCountingLoop(f);
        setRegs(m, 0xE000, 0xFF);
        m.runCommand("mnuRunStepInto");
        QCOMPARE(m.access().regs.A, uint8_t(1));
        QCOMPARE(m.access().regs.PC, 0xE002);
        QCOMPARE(m.panel(4)->text(), QStringLiteral("Clock= 00000002"));
        m.runCommand("mnuDebugResetCounter");
        QCOMPARE(m.panel(4)->text(), QStringLiteral("Clock= 00000000"));
    }

    void pauseStopsPlay()
    {
        ShellFixture f;
        frmMain& m = f.start();
        putCountingLoop(f);
        setRegs(m, 0xE000, 0xFF);
        bool pauseWasOn = false;
        QTimer::singleShot(30, [&] {
            pauseWasOn = m.menuItem("mnuRunPause")->isEnabled() && m.toolButton("Pause")->isEnabled();
            m.menuItem("mnuRunPause")->trigger();
        });
        m.runCommand("mnuRunPlay");
        QVERIFY(pauseWasOn);
        QVERIFY(m.run().stopFlag);
        QVERIFY(!m.run().playRunning);
        QVERIFY(m.access().regs.PC == 0xE002 || m.access().regs.PC == 0xE003);
        QVERIFY(m.run().clockCounter > 100);  // it really ran
        QVERIFY(!m.menuItem("mnuRunPause")->isEnabled());
        QVERIFY(!m.toolButton("Pause")->isEnabled());
    }

    // Without the step history Play keeps its steps in the headless loop
    // between the time slices: the clock panel shows the counter of the
    // moment whenever window messages run, and after Pause the registers,
    // the counter and the panel agree.
    void playWithoutHistoryShowsTheClockAsItRuns()
    {
        ShellFixture f;
        frmMain& m = f.start();
        m.run().setHistoryCapacity(0);
        putCountingLoop(f);
        setRegs(m, 0xE000, 0xFF);
        QString shown, counter;
        QTimer::singleShot(30, [&] {
            shown = m.panel(4)->text();
            counter = QString::fromStdString(m.run().ClockText());
            m.menuItem("mnuRunPause")->trigger();
        });
        m.runCommand("mnuRunPlay");
        QCOMPARE(m.run().lastStop(), StopReason::Paused);
        QCOMPARE(shown, counter);
        QVERIFY(shown != QStringLiteral("Clock= 00000000"));
        QCOMPARE(m.panel(4)->text(), QString::fromStdString(m.run().ClockText()));
        // LDAA #1 (2 cycles), then INCA (2) and BRA (3) per round.
        const uint32_t clock = m.run().clockCounter;
        const int32_t pc = m.access().regs.PC;
        QVERIFY(pc == 0xE002 || pc == 0xE003);
        const uint32_t rounds = (clock - 2 - (pc == 0xE003 ? 2 : 0)) / 5;
        QCOMPARE(clock, 2 + rounds * 5 + (pc == 0xE003 ? 2u : 0u));
        QCOMPARE(m.access().regs.A, uint8_t(1 + rounds + (pc == 0xE003 ? 1 : 0)));
        QVERIFY(rounds > 1000);  // it really ran
        QCOMPARE(m.access().image()[0], m.access().regs.A);  // the save area follows
    }

    void playStopsAtABreakpointAndLeavesFromOne()
    {
        ShellFixture f;
        frmMain& m = f.start();
        putCountingLoop(f);
        setRegs(m, 0xE000, 0xFF);
        m.breakpoints().append(0xE003);
        m.runCommand("mnuRunPlay");
        QCOMPARE(m.access().regs.PC, 0xE003);
        QCOMPARE(m.access().regs.A, uint8_t(2));
        // Starting on the breakpoint runs it and stops at the next hit.
        m.runCommand("mnuRunPlay");
        QCOMPARE(m.access().regs.PC, 0xE003);
        QCOMPARE(m.access().regs.A, uint8_t(3));
        QCOMPARE(m.run().lastStop(), StopReason::Breakpoint);
    }

    void stepOverRunsTheWholeCall()
    {
        ShellFixture f;
        frmMain& m = f.start();
        putCall(f);
        setRegs(m, 0xE000, 0xFF);
        m.runCommand("mnuRunStepOver");
        QCOMPARE(m.access().regs.PC, 0xE003);
        QCOMPARE(m.access().regs.B, uint8_t(5));
        QCOMPARE(m.access().regs.SP, 0xFF);
        QCOMPARE(m.breakpoints().count(), 0);
    }

    void stepOutReturnsToTheCaller()
    {
        ShellFixture f;
        frmMain& m = f.start();
        putCall(f);
        setRegs(m, 0xE000, 0xFF);
        m.runCommand("mnuRunStepInto");  // into the subroutine
        QCOMPARE(m.access().regs.PC, 0xE010);
        QCOMPARE(m.access().regs.SP, 0xFD);
        m.runCommand("mnuRunStepOut");
        QCOMPARE(m.access().regs.PC, 0xE003);
        QCOMPARE(m.access().regs.B, uint8_t(5));
        QCOMPARE(m.breakpoints().count(), 0);
    }

    void stepOverAndOutDoNothingWithAFullTable()
    {
        ShellFixture f;
        frmMain& m = f.start();
        putCall(f);
        setRegs(m, 0xE000, 0xFF);
        for (int i = 0; i < 32; ++i)
            m.breakpoints().append(0x100 + i);
        m.runCommand("mnuRunStepOver");
        QCOMPARE(m.access().regs.PC, 0xE000);
        QCOMPARE(m.breakpoints().count(), 32);
    }

    void runToCursorUsesTheDisassemblersRow()
    {
        ShellFixture f;
        frmMain& m = f.start();
        putCountingLoop(f);
        setRegs(m, 0xE000, 0xFF);
        // Without the disassembler open there is no row to run to.
        m.runCommand("mnuRunRunTo");
        QCOMPARE(m.access().regs.PC, 0xE000);
        m.menuItem("mnuViewDisassembler")->trigger();
        QVERIFY(m.isShown("mnuViewDisassembler"));
        FakeDisAsm::cursor = 0xE003;
        m.runCommand("mnuRunRunTo");
        QCOMPARE(m.access().regs.PC, 0xE003);
        QCOMPARE(m.breakpoints().count(), 0);
    }

    void animatePausesAfterTheCurrentStepAndRestoresTimers()
    {
        ShellFixture f;
        frmMain& m = f.start();
        putCountingLoop(f);
        setRegs(m, 0xE000, 0xFF);
        QVERIFY(m.tmrComm()->isActive());
        bool timersOff = false;
        QTimer::singleShot(250, [&] {
            timersOff = !m.tmrComm()->isActive() && !m.tmrRefresh()->isActive();
            m.runCommand("mnuRunPause");
        });
        QElapsedTimer t;
        t.start();
        m.runCommand("mnuRunAnimate");
        QVERIFY(timersOff);
        QVERIFY(m.tmrComm()->isActive());
        QVERIFY(!m.run().animateRunning);
        // At most one instruction per 100 ms (2 or 3 cycles each here).
        const uint32_t cycles = m.run().clockCounter;
        const qint64 ms = t.elapsed();
        QVERIFY2(cycles >= 2 && cycles <= 3 * (ms / 100 + 1), qPrintable(QString("%1 cycles in %2 ms").arg(cycles).arg(ms)));
    }

    void runInSimulatorModeOnlyWarns()
    {
        ShellFixture f;
        frmMain& m = f.start();
        setRegs(m, 0xE000, 0xFF);
        m.runCommand("mnuRunRun");
        QCOMPARE(f.messages, QStringList{"Procedure called: RunHC11|M68HC11 Simulator error !"});
        QCOMPARE(m.access().regs.PC, 0xE000);
        QVERIFY(!m.menuItem("mnuRunRun")->isEnabled());
    }

    void getResetVectorTakesPcFromFFFE()
    {
        ShellFixture f;
        frmMain& m = f.start();
        f.put(0xFFFE, {0xE1, 0x23});
        m.runCommand("mnuDebugGetResVec");
        QCOMPARE(m.access().regs.PC, 0xE123);
    }

    void runCommandsDoNotNestInsidePlay()
    {
        ShellFixture f;
        frmMain& m = f.start();
        putCountingLoop(f);
        setRegs(m, 0xE000, 0xFF);
        int nested = 0;
        QTimer::singleShot(20, [&] {
            const uint32_t before = m.run().clockCounter;
            m.runCommand("mnuRunStepOver");  // ignored while Play runs
            m.runCommand("mnuRunPlay");      // likewise
            nested = m.run().clockCounter == before ? 0 : 1;
            m.runCommand("mnuRunPause");
        });
        m.runCommand("mnuRunPlay");
        QCOMPARE(nested, 0);
        QVERIFY(m.run().stopFlag);
    }

    void closingDuringPlayStopsFirst()
    {
        ShellFixture f;
        frmMain& m = f.start();
        m.show();
        putCountingLoop(f);
        setRegs(m, 0xE000, 0xFF);
        QTimer::singleShot(20, [&] { m.close(); });
        m.runCommand("mnuRunPlay");
        QVERIFY(m.run().stopFlag);
        QTRY_VERIFY(!m.isVisible());
    }

    void s19FileLoadsIntoTheImage()
    {
        ShellFixture f;
        frmMain& m = f.start();
        const QString path = f.dir.filePath("prog.s19");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        // $E000: 86 2A 20 FE; reset vector $E000.
        file.write("S107E000862A20FE4A\nS105FFFEE0001D\nS9030000FC\n");
        file.close();
        m.openFile(path);
        QCOMPARE(m.access().image()[0xE001], uint8_t(0x2A));
        QCOMPARE(m.access().regs.PC, 0xE000);
        QCOMPARE(m.panel(2)->text(), QStringLiteral("Program: prog.s19"));
        // In board mode a command-line program still goes into the image.
        m.access().image()[0xE001] = 0;
        m.access().setMode(TargetMode::Board);
        m.openFile(path);
        QCOMPARE(m.access().image()[0xE001], uint8_t(0x2A));
        QVERIFY(!m.access().simulatorMode());
        QVERIFY(f.messages.isEmpty());
        m.access().setMode(TargetMode::Simulator);
        // A source file without an editor in the build loads its .s19 sibling.
        m.setSourceOpener({});
        m.access().image()[0xE001] = 0;
        m.openFile(f.dir.filePath("prog.asm"));
        QCOMPARE(m.access().image()[0xE001], uint8_t(0x2A));
    }
};

QTEST_MAIN(RunCommandsTest)
#include "RunCommandsTest.moc"
