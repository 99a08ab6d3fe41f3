// The serial terminal end to end against the virtual board: the SCI echo
// example, assembled and loaded into zelk-board, runs freely (Run); its
// greeting arrives through the main window's receive handling in the open
// terminal, typed keys go out over the line and come back echoed in upper
// case, and the board's reset ends the run.
#include "../../shell/ShellTestSupport.h"

#include "Assembler.h"
#include "BoardProcess.h"
#include "terminal/ui/TerminalView.h"
#include "terminal/ui/frmSerial.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QSerialPort>
#include <QtTest>

#include <fstream>
#include <sstream>

using namespace zelk;

class BoardTerminalTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<test::BoardProcess> board;
    std::unique_ptr<ShellFixture> fx;
    frmMain& m() { return *fx->main; }

    // Lets window messages run until pred holds or ms have passed. Each wait
    // ends as soon as what it waits for has happened, so the bound only
    // decides how long a broken run takes to fail: generous, because the
    // board is a separate process and the tests run beside parallel builds
    // and the sanitizer tree, where a reply or a timer tick can come late.
    template <class Pred>
    bool waitFor(Pred pred, int ms = 20000)
    {
        QElapsedTimer t;
        t.start();
        while (!pred() && t.elapsed() < ms)
            QTest::qWait(10);
        return pred();
    }

    QString terminalText(frmSerial* w)
    {
        return QString::fromLatin1(QByteArray::fromStdString(w->model().text()));
    }

private slots:
    void init()
    {
        std::ifstream f(ZELK_EXAMPLES_DIR "/sci_echo.asm");
        QVERIFY(f.good());
        std::stringstream ss;
        ss << f.rdbuf();
        const as11::AssemblyResult r = as11::assemble(ss.str());
        QVERIFY2(r.ok(), r.errorText().c_str());
        const QString s19 = dir.filePath("sci_echo.s19");
        QFile out(s19);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(QByteArray::fromStdString(r.srecords));
        out.close();

        board = std::make_unique<test::BoardProcess>(std::vector<std::string>{"--image", s19.toStdString()});
        QVERIFY2(board->started(), board->error().c_str());
        fx = std::make_unique<ShellFixture>();
        fx->qs->setValue("Settings/COMDevice", QString::fromStdString(board->ptyPath()));
        fx->qs->setValue("Settings/SimEnabled", "False");
        fx->qs->sync();
        fx->start(false);
        m().resize(1000, 800);
        m().show();
        QVERIFY2(m().MSComm().isOpen(), qPrintable(m().MSComm().errorString()));
    }

    void cleanup()
    {
        fx.reset();
        board.reset();
    }

    void echoProgramTalksThroughTheTerminal()
    {
        m().runCommand("mnuViewSerialTerminal");
        auto* w = qobject_cast<frmSerial*>(m().viewWidget("mnuViewSerialTerminal"));
        QVERIFY(w);
        QCOMPARE(w->model().mode(), TerminalModel::Mode::Ascii);

        m().runCommand("mnuDebugGetResVec");
        QCOMPARE(m().access().regs.PC, 0xE000);
        m().runCommand("mnuRunRun");
        QVERIFY2(waitFor([&] { return m().access().boardRunning; }), qPrintable(fx->messages.join('\n')));
        QVERIFY2(waitFor([&] { return terminalText(w) == "HC11 echo ready\n"; }),
                 qPrintable(terminalText(w)));
        QCOMPARE(terminalText(w), QStringLiteral("HC11 echo ready\n"));

        // Typed keys go to the program, which echoes them in upper case; the
        // terminal shows only the echo.
        QTest::keyClicks(w->view(), "hello");
        QTest::keyClick(w->view(), Qt::Key_Return);
        QTest::keyClicks(w->view(), "ok!");
        QVERIFY2(waitFor([&] { return terminalText(w).endsWith("OK!"); }), qPrintable(terminalText(w)));
        QCOMPARE(terminalText(w), QStringLiteral("HC11 echo ready\nHELLO\nOK!"));

        // Hex mode shows the echo as a dump.
        frmSerial::popupItem(m(), "mnuPopupSerialHex")->trigger();
        QTest::keyClicks(w->view(), "a");
        QVERIFY2(waitFor([&] { return !w->model().empty(); }), "no echo in hex mode");
        QCOMPARE(w->view()->lineText(0).left(3), QStringLiteral("41 "));
        QCOMPARE(w->view()->lineText(0).mid(51, 1), QStringLiteral("A"));

        // The board's reset ends the run; the reset notice is not shown.
        QVERIFY(!board->command("reset").empty());
        QVERIFY2(waitFor([&] { return !m().access().boardRunning; }), "the reset notice was not handled");
        QTest::qWait(200);
        QCOMPARE(w->model().lineCount(), 1u);
        QCOMPARE(w->view()->lineText(0).mid(51, 2), QStringLiteral("A "));
        QVERIFY2(fx->messages.isEmpty(), qPrintable(fx->messages.join('\n')));
    }

    void outputIsDroppedWhileTheTerminalIsClosed()
    {
        m().runCommand("mnuDebugGetResVec");
        m().runCommand("mnuRunRun");
        QVERIFY2(waitFor([&] { return m().access().boardRunning; }), qPrintable(fx->messages.join('\n')));
        // The greeting (17 bytes after the run's ACK) has left the board ...
        QVERIFY(waitFor([&] {
            const std::string st = board->command("stats");
            const size_t at = st.find("bytes_out=");
            return at != std::string::npos && std::stoul(st.substr(at + 10)) >= 18;
        }));
        // ... and the IDE has taken it (the line paused for a timer tick).
        QVERIFY(waitFor([&] { return m().MSComm().bytesAvailable() == 0; }));
        QTest::qWait(150);
        m().runCommand("mnuViewSerialTerminal");
        auto* w = qobject_cast<frmSerial*>(m().viewWidget("mnuViewSerialTerminal"));
        QVERIFY(w);
        QTest::qWait(200);
        QVERIFY2(w->model().empty(), qPrintable(terminalText(w)));
        QTest::keyClicks(w->view(), "x");
        QVERIFY2(waitFor([&] { return terminalText(w) == "X"; }), qPrintable(terminalText(w)));
    }
};

QTEST_MAIN(BoardTerminalTest)
#include "BoardTerminalTest.moc"
