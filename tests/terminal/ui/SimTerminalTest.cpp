// The serial terminal as the simulated SCI's far end (simulator mode with
// the on-chip peripherals): the interrupt-driven echo example run with Play
// shows its greeting and echoes the keys typed in the terminal; output
// appears right after a single step; a closed terminal drops it; the reset
// command forgets typed keys; with the peripherals off keys go nowhere.
#include "../../shell/ShellTestSupport.h"

#include "Assembler.h"
#include "terminal/ui/TerminalView.h"
#include "terminal/ui/frmSerial.h"

#include <QFile>
#include <QTimer>
#include <QtTest>

#include <fstream>
#include <sstream>

using namespace zelk;

class SimTerminalTest : public QObject {
    Q_OBJECT

    static QString textOf(frmSerial* w) { return QString::fromLatin1(QByteArray::fromStdString(w->model().text())); }
    frmSerial* openTerminal(frmMain& m)
    {
        return qobject_cast<frmSerial*>(m.openView(QStringLiteral("mnuViewSerialTerminal")));
    }
    // TE on, then 'Z' into SCDR: LDX #$1000 / LDAA #$08 / STAA SCCR2,X /
    // LDAA #'Z' / STAA SCDR,X / BRA *
    static void putSender(ShellFixture& f)
    {
        f.put(0xE000, {0xCE, 0x10, 0x00, 0x86, 0x08, 0xA7, 0x2D, 0x86, 'Z', 0xA7, 0x2F, 0x20, 0xFE});
        f.main->access().regs.PC = 0xE000;
        f.main->access().regs.SP = 0x00FF;
    }

private slots:
    void interruptEchoExampleRunsWithPlay()
    {
        std::ifstream in(ZELK_EXAMPLES_DIR "/sci_irq.asm");
        QVERIFY(in.good());
        std::stringstream ss;
        ss << in.rdbuf();
        const as11::AssemblyResult r = as11::assemble(ss.str());
        QVERIFY2(r.ok(), r.errorText().c_str());
        ShellFixture f;
        const QString s19 = f.dir.filePath("sci_irq.s19");
        QFile out(s19);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(QByteArray::fromStdString(r.srecords));
        out.close();
        frmMain& m = f.start();
        m.resize(1000, 700);
        m.show();
        QVERIFY(m.loadS19(s19));
        QCOMPARE(m.access().regs.PC, 0xE000);
        frmSerial* t = openTerminal(m);
        QVERIFY(t);

        bool typed = false;
        QTimer watch;
        watch.setInterval(20);
        connect(&watch, &QTimer::timeout, this, [&] {
            const QString now = textOf(t);
            if (!typed && now.contains("ready")) {
                typed = true;
                QTest::keyClicks(t->view(), "ab1");
            }
            if (now.endsWith("AB1"))
                m.runCommand("mnuRunPause");
        });
        watch.start();
        QTimer::singleShot(15000, this, [&] { m.runCommand("mnuRunPause"); });
        m.runCommand("mnuRunPlay");
        QVERIFY(typed);
        QCOMPARE(textOf(t), QStringLiteral("HC11 interrupt echo ready\nAB1"));
        QCOMPARE(m.access().image()[0x0010], uint8_t(3));  // COUNT: three interrupts echoed
        QCOMPARE(frmSerial::simLine(m).typedWaiting(), size_t(0));
    }

    void outputShowsAfterEachStep()
    {
        ShellFixture f;
        frmMain& m = f.start();
        frmSerial* t = openTerminal(m);
        putSender(f);
        for (int i = 0; i < 4; ++i)
            m.runCommand("mnuRunStepInto");
        QVERIFY(t->model().empty());
        m.runCommand("mnuRunStepInto");  // STAA SCDR,X
        QCOMPARE(m.access().regs.PC, 0xE00B);
        QCOMPARE(textOf(t), QStringLiteral("Z"));  // the transmitter started: shown at once
    }

    void closedTerminalDropsTheOutput()
    {
        ShellFixture f;
        frmMain& m = f.start();
        putSender(f);
        for (int i = 0; i < 5; ++i)
            m.runCommand("mnuRunStepInto");
        frmSerial* t = openTerminal(m);
        m.runCommand("mnuRunStepInto");
        QVERIFY(t->model().empty());
        QVERIFY(!frmSerial::simLine(m).hasOutput());
    }

    void resetForgetsTypedKeys()
    {
        ShellFixture f;
        frmMain& m = f.start();
        frmSerial* t = openTerminal(m);
        QTest::keyClicks(t->view(), "xy");
        QTest::keyClick(t->view(), Qt::Key_Return);
        QCOMPARE(frmSerial::simLine(m).typedWaiting(), size_t(4));  // x, y, CR, LF
        QVERIFY(t->model().empty());  // never echoed by the terminal itself
        m.runCommand("mnuDebugGetResVec");
        QCOMPARE(frmSerial::simLine(m).typedWaiting(), size_t(0));
    }

    void withoutPeripheralsKeysGoNowhere()
    {
        ShellFixture f({{"Settings/SimulatePeripherals", "0"}});
        frmMain& m = f.start();
        frmSerial* t = openTerminal(m);
        QTest::keyClicks(t->view(), "abc");
        QCOMPARE(frmSerial::simLine(m).typedWaiting(), size_t(0));
        putSender(f);
        for (int i = 0; i < 5; ++i)
            m.runCommand("mnuRunStepInto");
        QVERIFY(t->model().empty());
        QCOMPARE(m.access().image()[0x102F], uint8_t('Z'));  // plain memory
    }
};

QTEST_MAIN(SimTerminalTest)
#include "SimTerminalTest.moc"
