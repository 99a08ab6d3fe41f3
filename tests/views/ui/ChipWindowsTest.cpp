// The simulated on-chip peripherals in the windows (simulator mode with
// "SimulatePeripherals" on): the register windows show the model's registers
// as time goes on and write through the model; looking changes nothing; the
// On-chip pins window drives inputs (an input capture, an A/D value, IRQ
// and XIRQ) that the program sees, shows outputs, refuses bad values and
// keeps its placement.
#include "RegisterMemoryTestSupport.h"

#include "views/RegisterCatalogue.h"
#include "views/ui/frmEnterVal.h"
#include "views/ui/frmPins.h"
#include "views/ui/frmRegisters.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

using namespace zelk;

namespace {

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

int rowOf(RegisterWindow w, std::string_view name)
{
    const auto rows = registersOf(w);
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].name == name)
            return static_cast<int>(i);
    return -1;
}

} // namespace

class ChipWindowsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowFixture> f_;

    frmMain& m() { return *f_->main; }
    OnChip& chip() { return m().access().simulator().chip(); }
    frmRegisters* openRegisters(RegisterWindow w)
    {
        auto* win = qobject_cast<frmRegisters*>(m().openView(qs(windowInfo(w).viewMenuItem)));
        if (win)
            f_->activate(win);
        return win;
    }
    static QString text(frmRegisters* w, int row) { return w->list()->topLevelItem(row)->text(1); }
    frmPins* openPins() { return qobject_cast<frmPins*>(m().openView(QStringLiteral("mnuViewPins"))); }
    void steps(int n)
    {
        for (int i = 0; i < n; ++i)
            m().runCommand("mnuRunStepInto");
    }
    void program(int at, std::initializer_list<int> bytes)
    {
        f_->put(at, bytes);
        m().access().regs.PC = at;
        m().access().regs.SP = 0x00FF;
        m().access().regs.CCR = 0x00;
    }

private slots:
    void init()
    {
        f_ = std::make_unique<WindowFixture>(std::initializer_list<std::pair<const char*, const char*>>{
            {"Settings/SimulatePeripherals", "1"}});
        f_->start();
        QVERIFY(m().access().simulator().peripherals());
    }
    void cleanup() { f_.reset(); }

    void timerWindowFollowsTheClock()
    {
        // NOP / NOP / NOP / BRA back to the first
        program(0xE000, {0x01, 0x01, 0x01, 0x20, 0xFB});
        frmRegisters* timer = openRegisters(RegisterWindow::Timer);
        QVERIFY(timer);
        const int tcnt = rowOf(RegisterWindow::Timer, "TCNT");
        QVERIFY(tcnt >= 0);
        const QString before = text(timer, tcnt);
        steps(4);
        const QString after = text(timer, tcnt);
        QVERIFY2(after != before, qPrintable(before + " -> " + after));
        QVERIFY(timer->changed(tcnt));
        // 4 steps: 3 NOPs (2 cycles) and a BRA (3 cycles) with the prescaler
        // of 1: TCNT = 9 more than it was.
        QCOMPARE(chip().tcnt(), uint16_t(9));
    }

    void viewsLookWithoutSideEffectsAndWriteThroughTheModel()
    {
        // The program's SCSR read then SCDR read would clear RDRF: a view's
        // look at both must not.
        chip().hostWrite(chipreg::SCCR2, 0x04);
        const uint8_t seen = chip().s.scsrSeen;
        frmRegisters* sci = openRegisters(RegisterWindow::SCI);
        QVERIFY(sci);
        sci->mnuRefresh();
        m().RefreshRun();
        QCOMPARE(chip().s.scsrSeen, seen);
        // An edit of TMSK2 from the window lands in the model, not the image.
        const int row = rowOf(RegisterWindow::Timer, "TMSK2");
        frmRegisters* timer = openRegisters(RegisterWindow::Timer);
        frmRegisters::enterValue = [](QWidget* owner, DialogFields& f) {
            frmEnterVal dlg(f, owner);
            dlg.show();
            dlg.txtValue->clear();
            QTest::keyClicks(dlg.txtValue, "$40");
            QTest::mouseClick(dlg.cmdOK, Qt::LeftButton);
        };
        f_->image()[0x1024] = 0;
        timer->selectRow(row);
        timer->mnuEnter();
        QCOMPARE(chip().peek(chipreg::TMSK2), uint8_t(0x40));
        QCOMPARE(f_->image()[0x1024], uint8_t(0));
        QCOMPARE(text(timer, row), QString("%01000000"));
    }

    void pinsShowInputsAndOutputsAndFollowTheProgram()
    {
        // LDAA #$F0 / STAA DDRC / LDAA #$A5 / STAA PORTB / NOP
        program(0xE000, {0x86, 0xF0, 0xB7, 0x10, 0x07, 0x86, 0xA5, 0xB7, 0x10, 0x04, 0x01});
        frmPins* w = openPins();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("On-chip Pins"));
        QVERIFY(!w->pinBox(3, 6) && !w->pinBox(3, 7));  // PD6, PD7 do not exist
        struct Case {
            int port, bit;
            bool input;
        } cases[] = {{0, 0, true},  {0, 2, true},  {0, 3, true},  {0, 4, false}, {0, 7, true},
                     {1, 0, false}, {1, 7, false}, {2, 0, true},  {2, 7, true},  {3, 5, true},
                     {4, 0, false}};
        for (const Case& c : cases)
            QVERIFY2(w->pinBox(c.port, c.bit)->isEnabled() == c.input,
                     qPrintable(w->pinBox(c.port, c.bit)->text()));
        steps(4);  // DDRC and PORTB written: redrawn after the step
        for (int bit = 0; bit < 8; ++bit) {
            QCOMPARE(w->pinBox(2, bit)->isEnabled(), bit < 4);
            QCOMPARE(w->pinBox(1, bit)->isChecked(), bool(0xA5 >> bit & 1));
        }
        // Clicking an output changes nothing: the chip drives it.
        QTest::mouseClick(w->pinBox(1, 1), Qt::LeftButton);
        QVERIFY(!w->pinBox(1, 1)->isChecked());
        // An input the user drives is what the program reads.
        w->pinBox(2, 1)->click();
        QVERIFY(chip().pin(ChipPort::C, 1));
        QCOMPARE(chip().peek(chipreg::PORTC) & 0x02, 0x02);
    }

    void pinEdgeMakesAnInputCaptureTheProgramSees()
    {
        // $E000 LDX #$1000 / LDAA #$10 / STAA TCTL2,X (IC1 on rising edges)
        // $E007 BRCLR TFLG1,X #$04 $E007 / LDAA #$01 / STAA $20 / BRA *
        program(0xE000, {0xCE, 0x10, 0x00, 0x86, 0x10, 0xA7, 0x21, 0x1F, 0x23, 0x04, 0xFC, 0x86, 0x01, 0x97,
                         0x20, 0x20, 0xFE});
        frmPins* w = openPins();
        steps(6);
        QCOMPARE(m().access().regs.PC, 0xE007);  // still waiting for the edge
        QCOMPARE(f_->image()[0x20], uint8_t(0));
        const uint16_t at = chip().tcnt();
        w->pinBox(0, 2)->click();  // PA2 rises: IC1
        QVERIFY(chip().peek(chipreg::TFLG1) & 0x04);
        const uint16_t captured = uint16_t(chip().peek(chipreg::TIC1) << 8 | chip().peek(chipreg::TIC1 + 1));
        QCOMPARE(captured, at);
        steps(3);
        QCOMPARE(f_->image()[0x20], uint8_t(1));
    }

    void analogValueReachesTheConverter()
    {
        // LDX #$1000 / BSET OPTION,X #$80 (ADPU) / LDAA #$03 / STAA ADCTL,X
        // wait: BRCLR ADCTL,X #$80 wait / LDAA ADR1,X / STAA $20 / BRA *
        program(0xE000, {0xCE, 0x10, 0x00, 0x1C, 0x39, 0x80, 0x86, 0x03, 0xA7, 0x30, 0x1F, 0x30, 0x80, 0xFC,
                         0xA6, 0x31, 0x97, 0x20, 0x20, 0xFE});
        frmPins* w = openPins();
        AnalogSpinBox* pe3 = w->analogBox(3);
        QCOMPARE(pe3->objectName(), QStringLiteral("spPE3"));
        // Typed in the user's number syntax, shown in hex.
        struct Case {
            const char* typed;
            int value;  // -1: refused, the last value stays
        } cases[] = {{"90", 90}, {"$5a", 0x5A}, {"%11", 3}, {"300", -1}, {"zz", -1}, {"$5A", 0x5A}};
        for (const Case& c : cases) {
            const int before = pe3->value();
            pe3->setFocus();
            pe3->selectAll();
            QTest::keyClicks(pe3, c.typed);
            QTest::keyClick(pe3, Qt::Key_Return);
            pe3->clearFocus();
            const int want = c.value < 0 ? before : c.value;
            QVERIFY2(pe3->value() == want, c.typed);
            QVERIFY2(chip().analog(3) == want, c.typed);
        }
        QCOMPARE(pe3->text(), QStringLiteral("$5A"));
        // PE3 reads high from $80 on.
        QVERIFY(!w->pinBox(4, 3)->isChecked());
        for (int i = 0; i < 40 && m().access().regs.PC != 0xE012; ++i)
            steps(1);
        QCOMPARE(m().access().regs.PC, 0xE012);
        QCOMPARE(f_->image()[0x20], uint8_t(0x5A));
    }

    void irqAndXirqButtonsEnterTheirVectors()
    {
        f_->put(0xFFF2, {0xE1, 0x00});  // IRQ
        f_->put(0xFFF4, {0xE2, 0x00});  // XIRQ
        program(0xE000, {0x20, 0xFE});  // BRA *
        frmPins* w = openPins();
        QVERIFY(w->cmdIRQ()->isEnabled());
        steps(1);
        w->cmdIRQ()->click();
        QVERIFY(w->lbState()->text().contains("IRQ requested"));
        steps(1);
        QCOMPARE(m().access().regs.PC, 0xE100);
        QCOMPARE(m().access().regs.SP, 0x00FF - 9);
        QVERIFY(m().access().regs.I);
        QVERIFY(!w->lbState()->text().contains("IRQ"));
        // XIRQ is not masked by I, only by X (clear here).
        f_->put(0xE100, {0x20, 0xFE});
        w->cmdXIRQ()->click();
        steps(1);
        QCOMPARE(m().access().regs.PC, 0xE200);
        QCOMPARE(m().access().regs.SP, 0x00FF - 18);
        QVERIFY(m().access().regs.X);
    }

    void pinsRedrawWhileRunning()
    {
        // Output compare 2 toggles PA6 every $8000 cycles: LDAA #$40 / STAA TCTL1 / BRA *
        program(0xE000, {0x86, 0x40, 0xB7, 0x10, 0x20, 0x20, 0xFE});
        frmPins* w = openPins();
        QCOMPARE(w->tmrPins()->interval(), 100);
        int toggles = 0;
        bool last = w->pinBox(0, 6)->isChecked();
        QTimer watch;
        watch.setInterval(20);
        connect(&watch, &QTimer::timeout, this, [&] {
            if (w->pinBox(0, 6)->isChecked() != last) {
                last = !last;
                ++toggles;
            }
            if (toggles >= 2)
                m().runCommand("mnuRunPause");
        });
        watch.start();
        QTimer::singleShot(10000, this, [&] { m().runCommand("mnuRunPause"); });
        m().runCommand("mnuRunPlay");
        QVERIFY2(toggles >= 2, "PA6 shown changing during Play");
    }

    void controlsFollowTheMode()
    {
        frmPins* w = openPins();
        QVERIFY(w->cmdIRQ()->isEnabled());
        QVERIFY(w->pinBox(0, 0)->isEnabled());
        m().forceBoard();
        QVERIFY(!w->cmdIRQ()->isEnabled());
        QVERIFY(!w->pinBox(0, 0)->isEnabled());
        QVERIFY(!w->analogBox(0)->isEnabled());
        QVERIFY(w->lbState()->text().startsWith("Board mode"));
        m().forceSimulator();
        QVERIFY(w->cmdIRQ()->isEnabled());
        QVERIFY(w->pinBox(0, 0)->isEnabled());
        QVERIFY(w->lbState()->text().isEmpty());
    }

    void placementIsKept()
    {
        frmPins* w = openPins();
        auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget());
        QVERIFY(sub);
        sub->setGeometry(30, 40, 520, 300);
        m().closeView("mnuViewPins");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!m().menuItem("mnuViewPins")->isChecked());
        QCOMPARE(m().store().placement("Pins", QRect()).rect, QRect(30, 40, 520, 300));
        w = openPins();
        QCOMPARE(w->parentWidget()->geometry(), QRect(30, 40, 520, 300));
    }
};

QTEST_MAIN(ChipWindowsTest)
#include "ChipWindowsTest.moc"
