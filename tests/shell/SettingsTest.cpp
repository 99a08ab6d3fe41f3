// Settings through a temporary store: defaults, round trip, corrupt and
// out-of-range values, placement in twips, the main window's start-up and
// shutdown, the Options dialog, and the window layout arithmetic.
#include "ShellTestSupport.h"

#include "shell/WindowLayout.h"
#include "shell/frmOptions.h"
#include "shell/ViewRegistry.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QSerialPortInfo>
#include <QtTest>

using namespace zelk;

namespace {
// A plain window registered for the watch item, to see placement handling.
class FakeWatch : public QWidget, public DebugView {
public:
    int refreshes = 0;
    void mnuRefresh() override { ++refreshes; }
};
} // namespace

class SettingsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        ViewRegistry::add({"frmWatch", "mnuViewWatch", "Watch",
                           [](frmMain&) -> QWidget* { return new FakeWatch; }, {}});
    }

    void defaultsFromAnEmptyStore()
    {
        ShellFixture f;
        QSettings empty(f.dir.filePath("empty.ini"), QSettings::IniFormat);
        SettingsStore s(&empty);
        const AppSettings a = s.load();
        QVERIFY(a.toolbar);
        QVERIFY(a.statusBar);
        QVERIFY(a.codeOn);
        QVERIFY(!a.includeSym);
        QVERIFY(!a.hexTerminal);
        QCOMPARE(a.comPort, 2);
        QCOMPARE(a.screenFont, (FontRecord{"Fixedsys", 9, false, false}));
        QCOMPARE(a.printFont, (FontRecord{"Courier New", 8, false, false}));
        QVERIFY(!a.simEnabled);
        QVERIFY(a.simulatePeripherals);
    }

    void roundTripKeepsEveryValueAndWritesTheStoreTexts()
    {
        ShellFixture f;
        AppSettings a;
        a.toolbar = false;
        a.statusBar = false;
        a.codeOn = false;
        a.includeSym = true;
        a.hexTerminal = true;
        a.comPort = 4;
        a.comDevice = "/dev/pts/7";
        a.screenFont = {"DejaVu Sans Mono", 11.5, true, false};
        a.printFont = {"Liberation Mono", 7, false, true};
        a.simEnabled = true;
        a.simulatePeripherals = false;
        f.store->save(a);
        f.qs->sync();
        QSettings again(f.dir.filePath("zelk.ini"), QSettings::IniFormat);
        SettingsStore s2(&again);
        QCOMPARE(s2.load(), a);
        QCOMPARE(again.value("Settings/Toolbar").toString(), QStringLiteral("False"));
        QCOMPARE(again.value("Settings/IncludeSym").toString(), QStringLiteral("True"));
        QCOMPARE(again.value("Settings/COMPort").toString(), QStringLiteral("4"));
        QCOMPARE(again.value("Settings/SimEnabled").toString(), QStringLiteral("1"));
        QCOMPARE(again.value("Settings/SimulatePeripherals").toString(), QStringLiteral("0"));
        QCOMPARE(again.value("Settings/ScreenFontSize").toString(), QStringLiteral("11.5"));
    }

    void corruptValuesFallBackToDefaults_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("bool text") << "Settings/Toolbar" << "maybe";
        QTest::newRow("port zero") << "Settings/COMPort" << "0";
        QTest::newRow("port five") << "Settings/COMPort" << "5";
        QTest::newRow("port text") << "Settings/COMPort" << "two";
        QTest::newRow("size negative") << "Settings/ScreenFontSize" << "-3";
        QTest::newRow("size huge") << "Settings/PrintFontSize" << "1e9";
        QTest::newRow("size nan") << "Settings/ScreenFontSize" << "nan";
        QTest::newRow("sim") << "Settings/SimEnabled" << "7";
        QTest::newRow("peripherals") << "Settings/SimulatePeripherals" << "on";
        QTest::newRow("empty font name") << "Settings/ScreenFontName" << "";
    }
    void corruptValuesFallBackToDefaults()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        ShellFixture f;
        f.qs->setValue(key, value);
        QCOMPARE(f.store->load().comDevice, QStringLiteral("/nonexistent/zelk-test-port"));
        AppSettings got = f.store->load();
        got.comDevice.clear();
        QCOMPARE(got, AppSettings{});
    }

    void placementConvertsTwipsAndRejectsCorruptValues()
    {
        ShellFixture f;
        f.qs->setValue("Windows/WatchLeft", "1500");
        f.qs->setValue("Windows/WatchTop", "300");
        f.qs->setValue("Windows/WatchWidth", "2600");
        f.qs->setValue("Windows/WatchHeight", "garbage");
        f.qs->setValue("Windows/WatchState", "9");
        Placement p = f.store->placement("Watch", QRect(1, 2, 30, 40));
        QCOMPARE(p.rect, QRect(100, 20, 173, 40));  // 2600 / 15 = 173.3; height from the default
        QCOMPARE(p.state, WindowState::Normal);
        f.store->savePlacement("Stack", Placement{WindowState::Maximized, QRect(10, 20, 200, 100)});
        QCOMPARE(f.qs->value("Windows/StackLeft").toString(), QStringLiteral("150"));
        QCOMPARE(f.qs->value("Windows/StackWidth").toString(), QStringLiteral("3000"));
        QCOMPARE(f.qs->value("Windows/StackState").toString(), QStringLiteral("2"));
        QCOMPARE(f.store->placement("Stack", QRect()).rect, QRect(10, 20, 200, 100));
    }

    void placementOffEveryScreenIsPulledBack()
    {
        const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
        const QRect far(avail.right() + 5000, avail.bottom() + 5000, 400, 300);
        const QRect back = pulledOnScreen(far);
        QVERIFY(avail.contains(back));
        QCOMPARE(back.size(), QSize(400, 300));
        const QRect fine(avail.left() + 10, avail.top() + 10, 300, 200);
        QCOMPARE(pulledOnScreen(fine), fine);
        const QRect huge(-90000, -90000, 100000, 100000);
        QVERIFY(avail.contains(pulledOnScreen(huge)) || pulledOnScreen(huge) == huge);
    }

    void childPlacementOutsideTheClientAreaComesBack()
    {
        const QRect area(0, 0, 800, 600);
        QCOMPARE(pulledInto(QRect(5000, 4000, 200, 100), area), QRect(600, 500, 200, 100));
        QCOMPARE(pulledInto(QRect(-900, 10, 300, 100), area), QRect(0, 10, 300, 100));
        QCOMPARE(pulledInto(QRect(790 - 40, 10, 300, 100), area), QRect(750, 10, 300, 100));  // grip visible
        QCOMPARE(pulledInto(QRect(10, 10, 2000, 2000), area), QRect(10, 10, 2000, 2000));
        QCOMPARE(pulledInto(QRect(3000, 3000, 2000, 2000), area), QRect(0, 0, 800, 600));
    }

    void startUpAppliesTheStoredSwitches()
    {
        ShellFixture f({{"Settings/Toolbar", "False"},
                        {"Settings/StatusBar", "False"},
                        {"Settings/CodeOn", "False"},
                        {"Settings/IncludeSym", "True"},
                        {"Settings/SimEnabled", "1"}});
        frmMain& m = f.start(false);
        QVERIFY(!m.menuItem("mnuViewToolbar")->isChecked());
        QVERIFY(!m.menuItem("mnuViewStatusBar")->isChecked());
        QVERIFY(!m.menuItem("mnuDebugCodeOn")->isChecked());
        QVERIFY(m.menuItem("mnuDebugIncludeSym")->isChecked());
        QVERIFY(m.access().simulatorMode());
        // The port could not be opened: that is what panel 1 says, in either mode.
        QCOMPARE(m.panel(1)->text(), QStringLiteral("HC11 Board: Communication Port Error !"));
        m.BoardStatus();
        QCOMPARE(m.panel(1)->text(), QStringLiteral("Simulator mode"));
    }

    void shutdownSavesSettingsButNotTheCommandLineMode()
    {
        ShellFixture f;
        frmMain& m = f.start(true);  // --simulator: for this run only
        m.show();
        m.menuItem("mnuDebugIncludeSym")->setEnabled(true);
        m.menuItem("mnuDebugIncludeSym")->trigger();
        m.menuItem("mnuViewToolbar")->trigger();
        QVERIFY(m.close());
        f.qs->sync();
        QCOMPARE(f.qs->value("Settings/IncludeSym").toString(), QStringLiteral("True"));
        QCOMPARE(f.qs->value("Settings/Toolbar").toString(), QStringLiteral("False"));
        QCOMPARE(f.qs->value("Settings/SimEnabled").toString(), QStringLiteral("0"));
        QVERIFY(f.qs->contains("Windows/MainState"));
    }

    void firstRunOpensMaximized()
    {
        ShellFixture f;
        frmMain& m = f.start(false);
        m.showAsStored();
        QTRY_VERIFY(m.isMaximized());
        QVERIFY(m.findChild<QToolBar*>("tbToolbar")->isVisible());
        QVERIFY(m.statusBar()->isVisible());
    }

    void closingMinimizedKeepsTheLastNormalPosition()
    {
        ShellFixture f({{"Windows/MainState", "0"},
                        {"Windows/MainLeft", "1500"},
                        {"Windows/MainTop", "1500"},
                        {"Windows/MainWidth", "9000"},
                        {"Windows/MainHeight", "6000"}});
        frmMain& m = f.start();
        m.show();
        m.showMinimized();
        QVERIFY(m.close());
        f.qs->sync();
        QCOMPARE(f.qs->value("Windows/MainState").toString(), QStringLiteral("1"));
        QCOMPARE(f.qs->value("Windows/MainLeft").toString(), QStringLiteral("1500"));
        QCOMPARE(f.qs->value("Windows/MainWidth").toString(), QStringLiteral("9000"));
    }

    void viewWindowRestoresAndSavesItsPlacement()
    {
        ShellFixture f({{"Windows/WatchLeft", "1500"},
                        {"Windows/WatchTop", "750"},
                        {"Windows/WatchWidth", "3000"},
                        {"Windows/WatchHeight", "2250"}});
        frmMain& m = f.start();
        m.resize(1000, 700);
        m.show();
        m.menuItem("mnuViewWatch")->trigger();
        QVERIFY(m.isShown("mnuViewWatch"));
        QMdiSubWindow* sub = m.mdiArea()->subWindowList().value(0);
        QVERIFY(sub);
        QCOMPARE(sub->geometry(), QRect(100, 50, 200, 150));
        sub->setGeometry(20, 30, 240, 160);
        m.menuItem("mnuViewWatch")->trigger();  // a checked item closes its window
        QTRY_VERIFY(m.mdiArea()->subWindowList().isEmpty());
        QVERIFY(!m.isShown("mnuViewWatch"));
        QCOMPARE(f.qs->value("Windows/WatchLeft").toString(), QStringLiteral("300"));
        QCOMPARE(f.qs->value("Windows/WatchHeight").toString(), QStringLiteral("2400"));
        QCOMPARE(f.qs->value("Windows/WatchState").toString(), QStringLiteral("0"));
    }

    void aViewWithoutAWindowSaysSo()
    {
        ShellFixture f;
        ViewRegistry::remove("mnuViewLabel");
        frmMain& m = f.start();
        m.menuItem("mnuViewLabel")->trigger();
        QVERIFY(!m.isShown("mnuViewLabel"));
        QVERIFY(m.passingMessage().contains("not available"));
    }

    void arrangeDebuggerWithNoWindowOpenStoresTheRectangles()
    {
        ShellFixture f;
        frmMain& m = f.start();
        m.resize(1200, 800);
        m.show();
        m.arrangeDebugger();
        const int W = m.mdiArea()->viewport()->width();
        const double X = std::max(W * 15.0 - 5200, 5200.0);
        const auto near = [](const QVariant& v, double twips) { return std::abs(v.toDouble() - twips) <= 15; };
        QVERIFY(near(f.qs->value("Windows/WatchLeft"), X + 2600));
        QVERIFY(near(f.qs->value("Windows/WatchTop"), 0));
        QVERIFY(near(f.qs->value("Windows/RegCPULeft"), X));
        QVERIFY(near(f.qs->value("Windows/DisAsmWidth"), X));
        QVERIFY(near(f.qs->value("Windows/StackTop"), 2450));
        QVERIFY(f.qs->contains("Windows/LabelHeight"));
        // The watch window then opens there.
        m.menuItem("mnuViewWatch")->trigger();
        QMdiSubWindow* sub = m.mdiArea()->subWindowList().value(0);
        QVERIFY(sub);
        QVERIFY(std::abs(sub->x() - (X + 2600) / 15) <= 1);
        QCOMPARE(sub->y(), 0);
    }

    void layoutArithmetic()
    {
        // X stays 5200 twips in a narrow window.
        QCOMPARE(rightColumnX(8000), 5200.0);
        QCOMPARE(rightColumnX(12000), 6800.0);
        auto arranged = arrangeDebuggerSlots(600, 400);  // 9000 x 6000 twips
        QCOMPARE(QString(arranged[0].prefix), QStringLiteral("Label"));
        QCOMPARE(arranged[4].rect, QRect(0, 0, 347, 400));   // 5200 / 15 = 346.7
        // Cascade: steps of W / n when below 24 pixels.
        auto c = cascadeRects(100, 1000, 800);
        QCOMPARE(c[1].topLeft(), QPoint(10, 8));
        QCOMPARE(c[0].size(), QSize(800, 640));
        QCOMPARE(cascadeRects(2, 1000, 800)[1].topLeft(), QPoint(24, 24));
        // Tiling one editor gives it the whole client area.
        QCOMPARE(tileRects(1, 640, 480, true).value(0), QRect(0, 0, 640, 480));
        QCOMPARE(tileRects(3, 600, 480, false).value(2), QRect(400, 0, 200, 480));
        QCOMPARE(tileRects(4, 600, 480, true).value(3), QRect(0, 360, 600, 120));
        QVERIFY(cascadeRects(0, 100, 100).isEmpty());
    }

    void optionsDialogLoadsAndReturnsItsValues()
    {
        AppSettings a;
        a.comPort = 3;
        a.screenFont = {"Fixedsys", 9, true, true};
        frmOptions dlg(a);
        QCOMPARE(dlg.findChild<QComboBox*>("cbComPort")->currentIndex(), 2);
        QCOMPARE(dlg.findChild<QComboBox*>("cbComPort")->itemText(0), QStringLiteral("COM 1"));
        QCOMPARE(dlg.findChild<QLabel*>("lbSStyle")->text(), QStringLiteral("Bold Italic"));
        QCOMPARE(dlg.findChild<QLabel*>("lbPName")->text(), QStringLiteral("Courier New"));
        QCOMPARE(dlg.findChild<QLabel*>("lbPSize")->text(), QStringLiteral("8"));
        dlg.fontChooser = [](QFont& fnt, const QString&) {
            fnt = QFont("Serif", 14);
            fnt.setItalic(true);
            return true;
        };
        dlg.findChild<QPushButton*>("cmdPSet")->click();
        QCOMPARE(dlg.findChild<QLabel*>("lbPStyle")->text(), QStringLiteral("Italic"));
        QCOMPARE(dlg.findChild<QLabel*>("lbPSize")->text(), QStringLiteral("14"));
        dlg.fontChooser = [](QFont& fnt, const QString&) {
            fnt = QFont("Serif", 20);
            return false;  // cancelled: nothing changes
        };
        dlg.findChild<QPushButton*>("cmdESet")->click();
        QCOMPARE(dlg.findChild<QLabel*>("lbSSize")->text(), QStringLiteral("9"));
        dlg.findChild<QCheckBox*>("chSimEnabled")->setChecked(true);
        dlg.findChild<QComboBox*>("cbComPort")->setCurrentIndex(0);
        dlg.findChild<QLineEdit*>("txtDevice")->setText(" /dev/pts/3 ");
        const AppSettings r = dlg.result();
        QVERIFY(r.simEnabled);
        QCOMPARE(r.comPort, 1);
        QCOMPARE(r.comDevice, QStringLiteral("/dev/pts/3"));
        QCOMPARE(r.printFont.size, 14.0);
        QVERIFY(r.printFont.italic);
        QCOMPARE(r.screenFont, a.screenFont);
        // The device list: empty (the COM port's device), then each serial
        // device of this machine; choosing one is the device setting.
        auto* cb = dlg.findChild<QComboBox*>("cbDevice");
        QVERIFY(cb);
        QStringList devices;
        for (const QSerialPortInfo& i : QSerialPortInfo::availablePorts())
            devices << i.systemLocation();
        QCOMPARE(cb->count(), devices.size() + 1);
        QCOMPARE(cb->itemText(0), QString());
        for (int i = 0; i < devices.size(); ++i)
            QCOMPARE(cb->itemText(i + 1), devices[i]);
        if (!devices.isEmpty()) {
            cb->setCurrentIndex(1);
            QCOMPARE(dlg.result().comDevice, devices[0]);
        }
    }

    void baudRateSettingIsKeptAndBounded()
    {
        ShellFixture f({{"Settings/BaudRate", "115200"}});
        QCOMPARE(f.store->load().baudRate, 115200);
        ShellFixture g({{"Settings/BaudRate", "fast"}});
        QCOMPARE(g.store->load().baudRate, 38400);
        ShellFixture h;
        QCOMPARE(h.store->load().baudRate, 38400);
    }

    void optionsOkAppliesTheModeAndReopensThePort()
    {
        // Without the simulated peripherals: the register block is the board's.
        ShellFixture f({{"Settings/SimulatePeripherals", "0"}});
        frmMain& m = f.start(false);
        // Until the dialog has closed once, every register item and IO unit is on.
        QVERIFY(m.menuItem("mnuViewIOunit")->isEnabled());
        QVERIFY(m.menuItem("mnuViewRegPorts")->isEnabled());
        QTimer::singleShot(0, [&] {
            auto* dlg = m.findChild<frmOptions*>("frmOptions");
            QVERIFY(dlg);
            dlg->findChild<QCheckBox*>("chSimEnabled")->setChecked(true);
            dlg->findChild<QPushButton*>("cmdOK")->click();
        });
        m.runCommand("mnuViewOptions");
        QVERIFY(m.settings().simEnabled);
        QVERIFY(m.access().simulatorMode());
        QVERIFY(!m.menuItem("mnuViewRegPorts")->isEnabled());
        QVERIFY(!m.menuItem("mnuViewRegPIA")->isEnabled());
        QVERIFY(m.menuItem("mnuViewIOunit")->isEnabled());
        // The port (a device that does not exist) failed to reopen.
        QCOMPARE(m.panel(1)->text(), QStringLiteral("HC11 Board: Communication Port Error !"));
        // Cancel changes nothing but still applies the mode to the menu.
        QTimer::singleShot(0, [&] {
            auto* dlg = m.findChild<frmOptions*>("frmOptions");
            dlg->findChild<QCheckBox*>("chSimEnabled")->setChecked(false);
            dlg->findChild<QPushButton*>("cmdCancel")->click();
        });
        m.runCommand("mnuViewOptions");
        QVERIFY(m.settings().simEnabled);
        QVERIFY(!m.menuItem("mnuViewRegTimer")->isEnabled());
    }

    void peripheralSettingSwitchesTheSimulatorAndTheViewMenu()
    {
        {
            // Stored off: the register block is plain memory from the start.
            ShellFixture f({{"Settings/SimulatePeripherals", "0"}});
            frmMain& m = f.start();
            QVERIFY(!m.access().simulator().peripherals());
            m.access().OutByte(0x102B, 0x31);
            QCOMPARE(m.access().image()[0x102B], uint8_t(0x31));
            QVERIFY(!m.menuItem("mnuViewPins")->isEnabled());
            QVERIFY(!m.menuItem("mnuViewPins")->toolTip().isEmpty());
        }
        ShellFixture f;
        frmMain& m = f.start(false);
        QVERIFY2(m.access().simulator().peripherals(), "on by default");
        QVERIFY2(!m.menuItem("mnuViewPins")->isEnabled(), "board mode");
        QVERIFY(m.menuItem("mnuViewPins")->toolTip().contains("board"));
        auto options = [&](bool sim, bool peripherals) {
            QTimer::singleShot(0, [&, sim, peripherals] {
                auto* dlg = m.findChild<frmOptions*>("frmOptions");
                QVERIFY(dlg);
                auto* box = dlg->findChild<QCheckBox*>("chSimPeripherals");
                QVERIFY(box);
                QCOMPARE(box->text(), QStringLiteral("Simulate on-chip peripherals"));
                QCOMPARE(box->isChecked(), m.settings().simulatePeripherals);
                dlg->findChild<QCheckBox*>("chSimEnabled")->setChecked(sim);
                box->setChecked(peripherals);
                dlg->findChild<QPushButton*>("cmdOK")->click();
            });
            m.runCommand("mnuViewOptions");
        };
        options(true, true);
        QVERIFY(m.access().simulator().peripherals());
        // The simulated chip's windows are there to open; the PIA is the board's.
        for (const char* n : {"mnuViewRegPorts", "mnuViewRegTimer", "mnuViewRegSCI", "mnuViewRegAD",
                              "mnuViewRegOther", "mnuViewPins"})
            QVERIFY2(m.menuItem(n)->isEnabled(), n);
        QVERIFY(!m.menuItem("mnuViewRegPIA")->isEnabled());
        // No reason to give any more (the tooltip falls back to the item's text).
        QCOMPARE(m.menuItem("mnuViewPins")->toolTip(), QStringLiteral("On-chip pins"));
        // The views write the chip's registers, not the image beneath.
        m.access().image()[0x102B] = 0x77;
        m.access().OutByte(0x102B, 0x31);
        QCOMPARE(m.access().simulator().chip().peek(0x2B), uint8_t(0x31));
        QCOMPARE(m.access().image()[0x102B], uint8_t(0x77));

        options(true, false);
        QVERIFY(!m.settings().simulatePeripherals);
        QVERIFY(!m.access().simulator().peripherals());
        QVERIFY(!m.menuItem("mnuViewRegPorts")->isEnabled());
        QVERIFY(!m.menuItem("mnuViewPins")->isEnabled());
        QVERIFY(m.menuItem("mnuViewPins")->toolTip().contains("Simulate on-chip peripherals"));
        // Switched off: the chip's bytes stay as memory.
        QCOMPARE(m.access().image()[0x102B], uint8_t(0x31));
        m.access().OutByte(0x102B, 0x22);
        QCOMPARE(m.access().image()[0x102B], uint8_t(0x22));
        m.close();
        QCOMPARE(f.qs->value("Settings/SimulatePeripherals").toString(), QStringLiteral("0"));
    }

    void resetCommandResetsTheSimulatedChip()
    {
        ShellFixture f;
        frmMain& m = f.start();
        m.access().image()[0xFFFE] = 0xE0;
        m.access().image()[0xFFFF] = 0x00;
        OnChip& chip = m.access().simulator().chip();
        m.access().OutByte(0x102D, 0x0C);  // SCCR2: TE, RE
        m.access().OutByte(0x1024, 0x40);  // TMSK2: RTII
        chip.setAnalog(2, 0x9C);
        chip.setPin(ChipPort::A, 0, true);
        chip.advance(100000);
        chip.pulseIrq();
        QVERIFY(chip.tcnt() != 0);
        m.runCommand("mnuDebugGetResVec");
        QCOMPARE(m.access().regs.PC, 0xE000);
        QCOMPARE(chip.s.now, uint64_t(0));
        QCOMPARE(chip.tcnt(), uint16_t(0));
        QCOMPARE(chip.peek(0x2D), uint8_t(0));
        QCOMPARE(chip.peek(0x24), uint8_t(0));
        QCOMPARE(chip.pending(0), IrqSource::None);  // the IRQ request went with the reset
        QVERIFY(chip.enabled());
        // The user's levels outside the chip stay.
        QCOMPARE(chip.analog(2), uint8_t(0x9C));
        QVERIFY(chip.pin(ChipPort::A, 0));
        // A download (the program from its reset vector) resets the chip too.
        m.access().OutByte(0x102D, 0x0C);
        const QString s19 = f.dir.filePath("p.s19");
        QFile out(s19);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("S1050000000000FA\nS105FFFEE0001D\nS9030000FC\n");
        out.close();
        QVERIFY(m.loadS19(s19));
        QCOMPARE(chip.peek(0x2D), uint8_t(0));
        QCOMPARE(chip.analog(2), uint8_t(0x9C));
    }

    void styleTexts()
    {
        QCOMPARE(fontStyleText({"a", 1, false, false}), QStringLiteral("Regular"));
        QCOMPARE(fontStyleText({"a", 1, true, false}), QStringLiteral("Bold"));
        QCOMPARE(fontStyleText({"a", 1, false, true}), QStringLiteral("Italic"));
        QCOMPARE(fontStyleText({"a", 1, true, true}), QStringLiteral("Bold Italic"));
    }
};

QTEST_MAIN(SettingsTest)
#include "SettingsTest.moc"
