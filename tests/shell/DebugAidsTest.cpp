// The debugging aids from the main window in simulator mode: Step Back and
// Run Back with the "in the past" indicator, the simulated time beside the
// clock, data breakpoints set from a view's popup submenu and the stop
// message, the submenu disabled on the board, the Breakpoints dialog, and
// the settings behind history and pacing.
#include "ShellTestSupport.h"

#include "shell/frmBreakpoints.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace zelk;

namespace {

// $E000 LDAA #$01 / $E002 STAA $1000 / $E005 INCA / $E006 BRA $E002
void putStoreLoop(ShellFixture& f)
{
    f.put(0xE000, {0x86, 0x01, 0xB7, 0x10, 0x00, 0x4C, 0x20, 0xFA});
    f.main->access().regs.PC = 0xE000;
    f.main->access().regs.SP = 0x00FF;
}

QAction* find(QMenu* menu, const char* name)
{
    for (QAction* a : menu->findChildren<QAction*>())
        if (a->objectName() == QLatin1String(name))
            return a;
    return nullptr;
}

} // namespace

class DebugAidsTest : public QObject {
    Q_OBJECT
private slots:
    void stepBackRestoresAndShowsThePast()
    {
        // $1000 is plain memory here: the store is undone like any other.
        ShellFixture f({{"Settings/SimulatePeripherals", "0"}});
        frmMain& m = f.start();
        putStoreLoop(f);
        for (int i = 0; i < 3; ++i)
            m.runCommand("mnuRunStepInto");
        QCOMPARE(m.access().image()[0x1000], uint8_t(1));
        QCOMPARE(m.access().regs.PC, 0xE006);
        QCOMPARE(m.access().regs.A, uint8_t(2));
        QVERIFY(m.menuItem("mnuRunStepBack")->isEnabled());
        QVERIFY(m.pastIndicator()->isHidden());

        m.runCommand("mnuRunStepBack");  // INCA undone
        QCOMPARE(m.access().regs.PC, 0xE005);
        QCOMPARE(m.access().regs.A, uint8_t(1));
        QVERIFY(!m.pastIndicator()->isHidden());
        QCOMPARE(m.pastIndicator()->text(), QStringLiteral("In the past: 1 step back"));
        m.runCommand("mnuRunStepBack");  // STAA undone
        QCOMPARE(m.access().regs.PC, 0xE002);
        QCOMPARE(m.access().image()[0x1000], uint8_t(0));
        QCOMPARE(m.panel(4)->text(), QStringLiteral("Clock= 00000002"));
        QCOMPARE(m.pastIndicator()->text(), QStringLiteral("In the past: 2 steps back"));

        // A step forward leaves the past.
        m.runCommand("mnuRunStepInto");
        QVERIFY(m.pastIndicator()->isHidden());
        QCOMPARE(m.access().regs.PC, 0xE005);
        QCOMPARE(m.access().image()[0x1000], uint8_t(1));
    }

    void runBackStopsAtABreakpointAndTheTimeFollowsTheClock()
    {
        ShellFixture f({{"Settings/EClock", "1000000"}});
        frmMain& m = f.start();
        putStoreLoop(f);
        for (int i = 0; i < 10; ++i)
            m.runCommand("mnuRunStepInto");
        // The cycles shown as time at 1 MHz.
        const uint32_t cycles = m.run().clockCounter;
        QLabel* time = m.findChild<QLabel*>(QStringLiteral("sbTime"));
        QVERIFY(time);
        QVERIFY(!time->isHidden());
        QCOMPARE(time->text(), QString::fromStdString(simulatedTimeText(cycles, 1000000)));
        m.breakpoints().append(0xE005);
        m.runCommand("mnuRunRunBack");
        QCOMPARE(m.access().regs.PC, 0xE005);
        QVERIFY(m.run().clockCounter < cycles);
        QCOMPARE(time->text(), QString::fromStdString(simulatedTimeText(m.run().clockCounter, 1000000)));
        m.breakpoints().clear();
        m.runCommand("mnuRunRunBack");
        QCOMPARE(m.access().regs.PC, 0xE000);
        QCOMPARE(m.run().clockCounter, 0u);
        QCOMPARE(m.passingMessage(), QStringLiteral("Run Back reached the oldest recorded step."));
    }

    void historySettingSwitchesStepBackOff()
    {
        ShellFixture f({{"Settings/HistorySteps", "0"}});
        frmMain& m = f.start();
        putStoreLoop(f);
        m.runCommand("mnuRunStepInto");
        QVERIFY(!m.run().canStepBack());
        QVERIFY(!m.menuItem("mnuRunStepBack")->isEnabled());
        ShellFixture g({{"Settings/HistorySteps", "many"}});
        QCOMPARE(g.store->load().historySteps, 1000000);
    }

    void dataBreakpointFromThePopupStopsPlay()
    {
        ShellFixture f;
        frmMain& m = f.start();
        putStoreLoop(f);
        QMenu popup;
        m.addDataBreakpointMenu(&popup, 0x1000, 0x1000);
        QAction* write = find(&popup, "mnuPopupDataBreakWrite");
        QVERIFY(write);
        QVERIFY(write->isEnabled());
        QCOMPARE(write->text(), QStringLiteral("Break on &Write to $1000"));
        write->trigger();
        QCOMPARE(m.run().dataBreakpoints.count(), 1);
        QCOMPARE(m.run().dataBreakpoints.at(0).kind, DataAccess::Write);

        m.runCommand("mnuRunPlay");
        QCOMPARE(m.run().lastStop(), StopReason::DataBreakpoint);
        QCOMPARE(m.access().regs.PC, 0xE005);
        QCOMPARE(m.passingMessage(), QStringLiteral("Data breakpoint: write of $1000"));

        // The popup shows the set kind checked; another kind replaces it,
        // Remove clears it.
        QMenu again;
        m.addDataBreakpointMenu(&again, 0x1000, 0x1000);
        QVERIFY(find(&again, "mnuPopupDataBreakWrite")->isChecked());
        QVERIFY(find(&again, "mnuPopupDataBreakRemove")->isEnabled());
        find(&again, "mnuPopupDataBreakRead")->trigger();
        QCOMPARE(m.run().dataBreakpoints.count(), 1);
        QCOMPARE(m.run().dataBreakpoints.at(0).kind, DataAccess::Read);
        find(&again, "mnuPopupDataBreakRemove")->trigger();
        QCOMPARE(m.run().dataBreakpoints.count(), 0);
    }

    void boardModeDisablesTheSubmenuWithAReason()
    {
        ShellFixture f;
        frmMain& m = f.start(false);
        QMenu popup;
        m.addDataBreakpointMenu(&popup, 0x1000, 0x1000);
        QAction* sub = nullptr;
        for (QAction* a : popup.actions())
            if (a->menu())
                sub = a;
        QVERIFY(sub);
        QVERIFY(!sub->isEnabled());
        QVERIFY(sub->toolTip().contains(QStringLiteral("simulator mode")));
        QVERIFY(!m.menuItem("mnuRunStepBack")->isEnabled());
        QVERIFY(m.menuItem("mnuRunStepBack")->toolTip().contains(QStringLiteral("simulator mode")));
    }

    void breakpointsDialogListsBothKindsAndRemoves()
    {
        ShellFixture f;
        frmMain& m = f.start();
        m.breakpoints().append(0xE000);
        m.breakpoints().append(0xE010);
        m.run().dataBreakpoints.add(0x1000, 0x10FF, DataAccess::Access);
        int changes = 0;
        frmBreakpoints dlg(m.breakpoints(), m.run().dataBreakpoints, true, [&] { ++changes; });
        QTreeWidget* list = dlg.list();
        QCOMPARE(list->topLevelItemCount(), 3);
        const QStringList expected[] = {{"$E000", "code"}, {"$E010", "code"}, {"$1000-$10FF", "access"}};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(list->topLevelItem(i)->text(0), expected[i][0]);
            QCOMPARE(list->topLevelItem(i)->text(1), expected[i][1]);
        }
        list->topLevelItem(0)->setSelected(true);
        list->topLevelItem(2)->setSelected(true);
        dlg.findChild<QPushButton*>(QStringLiteral("cmdRemove"))->click();
        QCOMPARE(changes, 1);
        QCOMPARE(m.breakpoints().count(), 1);
        QCOMPARE(m.breakpoints().at(0), 0xE010);
        QCOMPARE(m.run().dataBreakpoints.count(), 0);
        QCOMPARE(list->topLevelItemCount(), 1);
        dlg.findChild<QPushButton*>(QStringLiteral("cmdRemoveAll"))->click();
        QCOMPARE(m.breakpoints().count(), 0);
        QCOMPARE(list->topLevelItemCount(), 0);
    }

    void paceSettingReachesRunControl()
    {
        struct Case {
            const char* percent;
            const char* hz;
            double rate;
        };
        const Case cases[] = {{"0", "2000000", 0}, {"100", "2000000", 2e6}, {"50", "4000000", 2e6},
                              {"1000", "1000000", 1e7}, {"-5", "2000000", 0}};
        for (const Case& c : cases) {
            ShellFixture f({{"Settings/SpeedPercent", c.percent}, {"Settings/EClock", c.hz}});
            frmMain& m = f.start();
            QCOMPARE(m.run().pacedRate, c.rate);
        }
    }
};

QTEST_MAIN(DebugAidsTest)
#include "DebugAidsTest.moc"
