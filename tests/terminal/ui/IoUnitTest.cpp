// The Input-Output Unit window in the main window (simulator mode): Enter,
// Read, formats, LED power and the painted LEDs, the memory contract while a
// program runs with Play, writes from the views, and closing.
#include "../../shell/ShellTestSupport.h"

#include "Assembler.h"
#include "terminal/ui/LedWidget.h"
#include "terminal/ui/frmIOBOard.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <fstream>
#include <sstream>

using namespace zelk;

class IoUnitTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ShellFixture> fx;
    frmMain& m() { return *fx->main; }
    uint8_t mem(int a) { return m().access().image()[a]; }

    frmIOBOard* open()
    {
        m().runCommand("mnuViewIOunit");
        auto* w = qobject_cast<frmIOBOard*>(m().viewWidget("mnuViewIOunit"));
        QCoreApplication::processEvents();
        return w;
    }

    void enter(frmIOBOard* w, const QString& format, const QString& text)
    {
        w->ComboFormatIn()->setCurrentText(format);
        emit w->ComboFormatIn()->activated(w->ComboFormatIn()->currentIndex());
        w->TextIn()->clear();
        QTest::keyClicks(w->TextIn(), text);
        QTest::mouseClick(w->CommandInput(), Qt::LeftButton);
    }

    void loadProgram(const std::string& source)
    {
        const as11::AssemblyResult r = as11::assemble(source);
        QVERIFY2(r.ok(), r.errorText().c_str());
        for (const auto& s : r.segments)
            for (size_t i = 0; i < s.bytes.size(); ++i)
                m().access().image()[(s.address + i) & 0xFFFF] = s.bytes[i];
        m().access().regs.PC = r.startAddress;
    }

    // Play for ms milliseconds, then Pause; window messages run afterwards.
    void play(int ms)
    {
        QTimer::singleShot(ms, &m(), [this] { m().runCommand("mnuRunPause"); });
        m().runCommand("mnuRunPlay");
        QCoreApplication::processEvents();
    }

    // A click on the check box's text, where the user clicks.
    static void clickLedPower(frmIOBOard* w)
    {
        QTest::mouseClick(w->CheckLEDPower(), Qt::LeftButton, {}, QPoint(8, w->CheckLEDPower()->height() / 2));
    }

    static int litCount(frmIOBOard* w)
    {
        int n = 0;
        for (int i = 0; i < 8; ++i)
            n += w->ShapeLed(i)->isOn();
        return n;
    }

private slots:
    void init()
    {
        fx = std::make_unique<ShellFixture>(std::initializer_list<std::pair<const char*, const char*>>{
            {"Settings/SimEnabled", "True"}});
        fx->start();
        m().resize(1100, 800);
        m().show();
    }
    void cleanup() { fx.reset(); }

    void opensFromTheViewMenuInLoadState()
    {
        QAction* item = m().menuItem("mnuViewIOunit");
        QVERIFY(item->isEnabled());
        frmIOBOard* w = open();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Input-Output Unit"));
        QVERIFY(item->isChecked());
        QVERIFY(m().access().ioActive());
        QCOMPARE(w->ComboFormatIn()->currentText(), QStringLiteral("Signed"));
        QCOMPARE(w->ComboFormatOut()->currentText(), QStringLiteral("Signed"));
        QStringList ins, outs;
        for (int i = 0; i < w->ComboFormatIn()->count(); ++i)
            ins << w->ComboFormatIn()->itemText(i);
        for (int i = 0; i < w->ComboFormatOut()->count(); ++i)
            outs << w->ComboFormatOut()->itemText(i);
        QCOMPARE(ins, (QStringList{"Signed", "Unsigned", "Hex", "Binary"}));
        QCOMPARE(outs, (QStringList{"Signed", "Unsigned", "Hex", "BCD"}));
        QCOMPARE(w->TextInBinary()->text(), QStringLiteral("00000000"));
        QCOMPARE(w->TextOutBinary()->text(), QStringLiteral("00000000"));
        QCOMPARE(w->TextOut()->text(), QStringLiteral("0"));
        QVERIFY(w->TextIn()->text().isEmpty());
        QVERIFY(!w->ShapeInFresh()->isOn());
        QVERIFY(!w->ShapeOutFresh()->isOn());
        QCOMPARE(w->ShapeInFresh()->color(), QColor(128, 128, 128));
    }

    void enterWritesTheInputRegister()
    {
        frmIOBOard* w = open();
        enter(w, "Signed", "-1");
        QCOMPARE(w->TextInBinary()->text(), QStringLiteral("11111111"));
        QVERIFY(w->ShapeInFresh()->isOn());
        QCOMPARE(w->ShapeInFresh()->color(), QColor(255, 0, 0));
        QCOMPARE(int(mem(0x6000)), 1);
        QCOMPARE(int(mem(0x6001)), 255);
        QVERIFY(fx->messages.isEmpty());

        // The Enter key in the entry does the same.
        w->ComboFormatIn()->setCurrentText("Hex");
        emit w->ComboFormatIn()->activated(2);
        w->TextIn()->clear();
        QTest::keyClicks(w->TextIn(), "F");
        QTest::keyClick(w->TextIn(), Qt::Key_Return);
        QCOMPARE(w->TextInBinary()->text(), QStringLiteral("00001111"));
        QCOMPARE(int(mem(0x6001)), 15);
    }

    void badInputIsRefusedAndChangesNothing()
    {
        frmIOBOard* w = open();
        m().access().image()[0x6000] = 0;
        m().access().image()[0x6001] = 0x11;
        const std::pair<const char*, const char*> cases[] = {
            {"Signed", "128"}, {"Unsigned", "256"}, {"Hex", "123"}, {"Binary", "2"}, {"Signed", "abc"},
        };
        for (auto [format, text] : cases) {
            fx->messages.clear();
            enter(w, format, text);
            QCOMPARE(fx->messages, QStringList{"Input Error|Wrong data format or Value out of range"});
            QVERIFY2(w->TextIn()->text().isEmpty(), text);
            QCOMPARE(int(mem(0x6000)), 0);
            QCOMPARE(int(mem(0x6001)), 0x11);
            QCOMPARE(w->TextInBinary()->text(), QStringLiteral("00000000"));
            QVERIFY(!w->ShapeInFresh()->isOn());
        }
    }

    void outputFormatsAndRead()
    {
        frmIOBOard* w = open();
        m().access().image()[0x6002] = 1;
        m().access().OutByte(0x6003, 0x9A);
        m().access().OutByte(0x6002, 1);
        QCoreApplication::processEvents();
        QCOMPARE(w->TextOut()->text(), QStringLiteral("-102"));
        QCOMPARE(w->TextOutBinary()->text(), QStringLiteral("10011010"));
        QVERIFY(w->ShapeOutFresh()->isOn());
        const std::pair<const char*, const char*> cases[] = {
            {"BCD", "error"}, {"Hex", "9A"}, {"Unsigned", "154"}, {"Signed", "-102"},
        };
        for (auto [format, text] : cases) {
            w->ComboFormatOut()->setCurrentText(format);
            emit w->ComboFormatOut()->activated(w->ComboFormatOut()->currentIndex());
            QCOMPARE(w->TextOut()->text(), QString::fromLatin1(text));
        }
        QTest::mouseClick(w->CommandRead(), Qt::LeftButton);
        QVERIFY(!w->ShapeOutFresh()->isOn());
        QCOMPARE(int(mem(0x6002)), 0);
    }

    void ledPowerGatesTheLeds()
    {
        frmIOBOard* w = open();
        m().access().OutByte(0x6003, 0x81);
        QCoreApplication::processEvents();
        QVERIFY(w->CheckLEDPower()->isChecked());  // on when the window loads
        QCOMPARE(litCount(w), 2);
        clickLedPower(w);
        QVERIFY(!w->CheckLEDPower()->isChecked());
        QCOMPARE(litCount(w), 0);
        m().access().OutByte(0x6003, 0xFF);
        QCoreApplication::processEvents();
        QCOMPARE(litCount(w), 0);
        m().access().OutByte(0x6003, 0x81);
        clickLedPower(w);
        QVERIFY(w->CheckLEDPower()->isChecked());
        QVERIFY(w->ShapeLed(0)->isOn());   // bit 7
        QVERIFY(w->ShapeLed(7)->isOn());   // bit 0
        QCOMPARE(litCount(w), 2);
    }

    void ledsArePaintedRoundAtAnySize()
    {
        for (int size : {16, 64, 240}) {
            LedWidget led;
            led.resize(size, size);
            for (bool on : {true, false}) {
                led.setOn(on);
                const QImage img = led.grab().toImage();
                const QColor centre = img.pixelColor(img.width() / 2, img.height() / 2);
                if (on)
                    QVERIFY2(centre.red() > 180 && centre.green() < 90 && centre.blue() < 90,
                             qPrintable(QString("size %1 centre %2").arg(size).arg(centre.name())));
                else
                    QVERIFY2(std::abs(centre.red() - centre.green()) < 20 && centre.red() > 80,
                             qPrintable(QString("size %1 centre %2").arg(size).arg(centre.name())));
                // Round: the corners stay background.
                const QColor corner = img.pixelColor(1, 1);
                QVERIFY2(corner != centre, qPrintable(QString("size %1").arg(size)));
                // Antialiased: along the middle row the rim blends into the background.
                QSet<QRgb> shades;
                for (int x = 0; x < img.width() / 2; ++x)
                    shades.insert(img.pixel(x, img.height() / 2));
                QVERIFY2(shades.size() >= 4, qPrintable(QString("size %1: %2 shades").arg(size).arg(shades.size())));
            }
        }
    }

    void playedProgramDrivesTheWindow()
    {
        std::ifstream f(ZELK_EXAMPLES_DIR "/leds.asm");
        QVERIFY(f.good());
        std::stringstream ss;
        ss << f.rdbuf();
        loadProgram(ss.str());
        frmIOBOard* w = open();
        QVERIFY(w->CheckLEDPower()->isChecked());
        play(150);
        const int out = mem(0x6003);
        QCOMPARE(w->TextOutBinary()->text(), QString::fromStdString(byteToBits(uint8_t(out))));
        QCOMPARE(w->TextOut()->text(), QString::number(int8_t(out)));
        QCOMPARE(litCount(w), 1);
        QVERIFY(w->ShapeOutFresh()->isOn());
        QCOMPARE(int(mem(0x6002)), 1);

        // An entered pattern is taken by the program: Data Pending goes off.
        enter(w, "Hex", "C0");
        QVERIFY(w->ShapeInFresh()->isOn());
        play(150);
        QVERIFY(!w->ShapeInFresh()->isOn());
        QCOMPARE(int(mem(0x6000)), 0);
        QCOMPARE(litCount(w), 2);
    }

    void closedUnitLeavesTheProgramAlone()
    {
        loadProgram("        ORG $E000\n"
                    "START   LDAA $6001\n"
                    "        STAA $6003\n"
                    "        BRA START\n"
                    "        END START\n");
        m().access().image()[0x6000] = 1;
        m().access().image()[0x6001] = 7;
        QVERIFY(!m().access().ioActive());
        play(50);
        QCOMPARE(int(mem(0x6000)), 1);
        QCOMPARE(int(mem(0x6002)), 0);
        QCOMPARE(int(mem(0x6003)), 7);
    }

    void viewWritesWhileClosedShowWhenOpened()
    {
        m().access().OutByte(0x6003, 0x42);
        m().access().OutByte(0x6001, 0x85);
        frmIOBOard* w = open();
        QCOMPARE(w->TextOut()->text(), QStringLiteral("66"));
        QCOMPARE(w->TextIn()->text(), QStringLiteral("-123"));
        QCOMPARE(w->TextInBinary()->text(), QStringLiteral("10000101"));
    }

    void closeUnchecksAndResets()
    {
        frmIOBOard* w = open();
        enter(w, "Unsigned", "200");
        clickLedPower(w);
        QTest::mouseClick(w->CommandClose(), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        QVERIFY(!m().viewWidget("mnuViewIOunit"));
        QVERIFY(!m().menuItem("mnuViewIOunit")->isChecked());
        QVERIFY(!m().access().ioActive());
        QCOMPARE(int(mem(0x6001)), 200);  // memory keeps the byte
        w = open();
        QCOMPARE(w->ComboFormatIn()->currentText(), QStringLiteral("Signed"));
        QCOMPARE(w->TextInBinary()->text(), QStringLiteral("00000000"));
        QVERIFY(w->TextIn()->text().isEmpty());
        QVERIFY(!w->ShapeInFresh()->isOn());
        QVERIFY(w->CheckLEDPower()->isChecked());
    }

    void viewItemFollowsTheTargetMode()
    {
        QAction* item = m().menuItem("mnuViewIOunit");
        m().settings().simEnabled = false;
        m().applyModeToViewMenu();
        QVERIFY(!item->isEnabled());
        m().settings().simEnabled = true;
        m().applyModeToViewMenu();
        QVERIFY(item->isEnabled());
    }
};

QTEST_MAIN(IoUnitTest)
#include "IoUnitTest.moc"
