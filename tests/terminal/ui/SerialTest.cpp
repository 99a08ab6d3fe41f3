// The Serial Terminal window in the main window: Display in both modes, the
// main window's pop-up (Ascii, Hex, Clear) and the stored mode, mouse clicks
// that leave the write position alone, and the keys sent over a real
// pseudo-terminal standing in for the board's serial line.
#include "../../shell/ShellTestSupport.h"

#include "terminal/ui/TerminalView.h"
#include "terminal/ui/frmSerial.h"

#include <QAction>
#include <QMenu>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSerialPort>
#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace zelk;

namespace {

// The master side of a pseudo-terminal; the IDE opens the slave as its port.
struct Pty {
    int master = -1;
    QString slave;
    Pty()
    {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
            return;
        slave = QString::fromLocal8Bit(ptsname(master));
        termios t{};
        tcgetattr(master, &t);
        cfmakeraw(&t);
        tcsetattr(master, TCSANOW, &t);
    }
    ~Pty()
    {
        if (master >= 0)
            close(master);
    }
    // What arrived within ms milliseconds (letting window messages run).
    QByteArray read(int ms = 400)
    {
        QByteArray out;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            QCoreApplication::processEvents();
            pollfd p{master, POLLIN, 0};
            if (poll(&p, 1, 10) > 0 && (p.revents & POLLIN)) {
                char buf[256];
                const ssize_t n = ::read(master, buf, sizeof buf);
                if (n > 0)
                    out.append(buf, n);
            }
        }
        return out;
    }
};

QByteArray bytes(const char* s) { return QByteArray(s); }

} // namespace

class SerialTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ShellFixture> fx;
    frmMain& m() { return *fx->main; }

    void start(bool simulator, const QString& device = {})
    {
        fx = std::make_unique<ShellFixture>();
        if (!device.isEmpty()) {
            fx->qs->setValue("Settings/COMDevice", device);
            fx->qs->sync();
        }
        fx->start(simulator);
        m().resize(1000, 800);
        m().show();
    }

    frmSerial* open()
    {
        m().runCommand("mnuViewSerialTerminal");
        QCoreApplication::processEvents();
        return qobject_cast<frmSerial*>(m().viewWidget("mnuViewSerialTerminal"));
    }

private slots:
    void cleanup() { fx.reset(); }

    void opensWithCaptionAndPlacement()
    {
        start(true);
        frmSerial* w = open();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Serial Terminal"));
        QVERIFY(m().menuItem("mnuViewSerialTerminal")->isChecked());
        auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget());
        QVERIFY(sub);
        const QSize client = m().mdiArea()->viewport()->size();
        // 10 % in, 80 % of the client area (within a few pixels of rounding).
        QVERIFY(std::abs(sub->x() - client.width() / 10) <= 3);
        QVERIFY(std::abs(sub->width() - client.width() * 8 / 10) <= 3);
        m().closeView("mnuViewSerialTerminal");
        QVERIFY(!m().menuItem("mnuViewSerialTerminal")->isChecked());
    }

    void displayInAsciiMode()
    {
        start(true);
        frmSerial* w = open();
        w->Display(bytes("AB\rX\r\nline 2\tend"));
        QCOMPARE(w->view()->lineText(0), QStringLiteral("XB"));
        QCOMPARE(w->view()->lineText(1), QStringLiteral("line 2  end"));
        w->Display(bytes("\f"));
        QVERIFY(w->model().empty());
        // High bytes show as the board's code page characters.
        w->Display(QByteArray("\xE6\x9F", 2));
        QCOMPARE(w->view()->lineText(0), QString::fromUtf8("\xC5\xA0\xC4\x8D"));  // S caron, c caron
    }

    void popupSwitchesModeClearsAndIsStored()
    {
        start(true);
        frmSerial* w = open();
        QMenu* popup = frmSerial::popup(m());
        QVERIFY(popup);
        QAction* ascii = frmSerial::popupItem(m(), "mnuPopupSerialAscii");
        QAction* hex = frmSerial::popupItem(m(), "mnuPopupSerialHex");
        QAction* clear = frmSerial::popupItem(m(), "mnuPopupSerialClear");
        QVERIFY(ascii && hex && clear);
        QCOMPARE(ascii->text(), QStringLiteral("&Ascii"));
        QCOMPARE(hex->text(), QStringLiteral("&Hex"));
        QCOMPARE(clear->text(), QStringLiteral("&Clear"));
        QVERIFY(ascii->isChecked() && !hex->isChecked());

        w->Display(bytes("text"));
        hex->trigger();
        QVERIFY(hex->isChecked() && !ascii->isChecked());
        QVERIFY(w->model().empty());
        QCOMPARE(w->model().mode(), TerminalModel::Mode::Hex);
        w->Display(bytes("A\r"));
        QCOMPARE(w->view()->lineText(0).left(6), QStringLiteral("41 0D "));
        QCOMPARE(w->view()->lineText(0).mid(51, 2), QStringLiteral("A."));
        clear->trigger();
        QVERIFY(w->model().empty());

        // The mode outlives the window and the program.
        m().closeView("mnuViewSerialTerminal");
        w = open();
        QCOMPARE(w->model().mode(), TerminalModel::Mode::Hex);
        m().close();
        QCOMPARE(fx->qs->value("Settings/HexTerminal").toString(), QStringLiteral("True"));
        fx->main.reset();
        fx->start(true);
        QVERIFY(frmSerial::popupItem(m(), "mnuPopupSerialHex")->isChecked());
        QVERIFY(!frmSerial::popupItem(m(), "mnuPopupSerialAscii")->isChecked());
        ascii = frmSerial::popupItem(m(), "mnuPopupSerialAscii");
        ascii->trigger();
        m().close();
        QCOMPARE(fx->qs->value("Settings/HexTerminal").toString(), QStringLiteral("False"));
    }

    void clicksLeaveTheWritePosition()
    {
        start(true);
        frmSerial* w = open();
        w->Display(bytes("first line\r\nsecond"));
        const size_t line = w->model().caretLine(), col = w->model().caretColumn();
        QWidget* vp = w->view()->viewport();
        QTest::mouseClick(vp, Qt::LeftButton, {}, QPoint(5, 3));
        QTest::mousePress(vp, Qt::LeftButton, {}, QPoint(30, 3));
        QTest::mouseMove(vp, QPoint(60, 20));
        QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(60, 20));
        QCOMPARE(w->model().caretLine(), line);
        QCOMPARE(w->model().caretColumn(), col);
        w->Display(bytes("!"));
        QCOMPARE(w->view()->lineText(1), QStringLiteral("second!"));
    }

    void keysInSimulatorModeSendNothing()
    {
        Pty pty;
        QVERIFY(!pty.slave.isEmpty());
        start(true, pty.slave);
        frmSerial* w = open();
        m().access().boardRunning = true;
        QTest::keyClicks(w->view(), "abc");
        QTest::keyClick(w->view(), Qt::Key_Return);
        QCOMPARE(pty.read(100), QByteArray());
        QVERIFY(w->model().empty());  // never echoed locally
    }

    void keysGoToTheBoardWhileItRuns()
    {
        Pty pty;
        QVERIFY(!pty.slave.isEmpty());
        start(false, pty.slave);
        QVERIFY2(m().MSComm().isOpen(), qPrintable(m().MSComm().errorString()));
        frmSerial* w = open();
        TerminalView* v = w->view();

        // No user program runs: nothing goes out.
        m().access().boardRunning = false;
        QTest::keyClicks(v, "x");
        QTest::keyClick(v, Qt::Key_Return);
        QCOMPARE(pty.read(100), QByteArray());

        m().access().boardRunning = true;
        QTest::keyClicks(v, "Hi");
        QTest::keyClick(v, Qt::Key_Return);
        QTest::keyClick(v, Qt::Key_Backspace);
        QTest::keyClick(v, Qt::Key_Delete);
        QTest::keyClick(v, Qt::Key_Left);
        QTest::keyClick(v, Qt::Key_Home);
        QTest::keyClick(v, Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(v, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(v, Qt::Key_Tab);
        // S caron: code page 1250 138 goes out as 852 230.
        QKeyEvent scaron(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(0x0160)));
        QApplication::sendEvent(v, &scaron);
        QCOMPARE(pty.read(), QByteArray("Hi\r\n\b\t\xE6", 7));
        QVERIFY(w->model().empty());
    }
};

QTEST_MAIN(SerialTest)
#include "SerialTest.moc"
