// The Download command and its dialog in simulator mode: records into the
// image with the rest of $E000-$FFFF erased, the PC from the reset vector,
// the dialog's labels and bar, bad records skipped and reported, CR-only
// line ends, breakpoints cleared and the debugger windows opened, Cancel,
// the file dialog only while no file is known, and the toolbar button that
// never asks.
#include "../../editor/ui/EditorTestSupport.h"

#include "editor/ui/ProgramSymbols.h"
#include "link/ui/frmDownload.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

using namespace zelk;

namespace {

// Two bytes at $E000, one at $E010, the reset vector $E000, and an S1 record
// whose checksum is off by one (it would put $77 at $E020).
const QByteArray kS19 = "S0030000FC\n"
                        "S1050000861F55\n"
                        "S105E000860193\n"
                        "S104E0103CCF\n"
                        "S104E0207785\n"
                        "S105FFFEE0001D\n"
                        "\n"
                        "S9030000FC\n";

} // namespace

class DownloadTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        programFiles() = ProgramFiles{};
        frmDownload::recordHook = nullptr;
    }

    void downloadFillsTheImageAndOpensTheDebugger()
    {
        EditorFixture f;
        frmMain& m = f.start();
        uint8_t* img = m.access().image();
        img[0xE005] = 0x12;
        m.breakpoints().toggle(0xE000, m);
        QStringList labels;
        frmDownload::recordHook = [&labels](frmDownload& d) {
            labels << d.lbAddress->text() + "|" + d.lbSize->text();
        };
        programFiles().downloadFileName = f.write("prog.s19", kS19);
        m.runCommand("mnuFileDownload");

        QVERIFY(f.dialogs.isEmpty());
        QCOMPARE(labels, (QStringList{"Address = $0000|2 bytes", "Address = $E000|2 bytes",
                                      "Address = $E010|1 byte", "Address = $FFFE|2 bytes"}));
        QCOMPARE(img[0x0000], 0x86);
        QCOMPARE(img[0xE000], 0x86);
        QCOMPARE(img[0xE001], 0x01);
        QCOMPARE(img[0xE005], 0xFF);
        QCOMPARE(img[0xE010], 0x3C);
        QCOMPARE(img[0xE020], 0xFF);
        QCOMPARE(m.access().regs.PC, 0xE000);
        QCOMPARE(m.breakpoints().count(), 0);
        QCOMPARE(m.panel(2)->text(), QStringLiteral("Program: prog.s19"));
        for (const char* v : {"mnuViewRegCPU", "mnuViewStack", "mnuViewDisassembler"})
            QVERIFY2(m.isShown(v), v);
        // The record with the bad checksum was not loaded, and the user is told.
        QCOMPARE(f.messages, QStringList{"Tarvine - Download Error|1 S1 record could not be read and was not loaded !"});
    }

    void aCompleteFileLoadsWithoutAMessage()
    {
        EditorFixture f;
        frmMain& m = f.start();
        QByteArray good = kS19;
        good.replace("S104E0207785\n", "");
        programFiles().downloadFileName = f.write("prog.s19", good);
        m.runCommand("mnuFileDownload");
        QCOMPARE(m.access().image()[0xE010], 0x3C);
        QCOMPARE(m.panel(2)->text(), QStringLiteral("Program: prog.s19"));
        QVERIFY(f.messages.isEmpty());
    }

    // Records ended by CR alone (no LF) each load; before, the first record
    // swallowed the rest of the file.
    void aCrOnlyFileLoadsEveryRecord()
    {
        EditorFixture f;
        frmMain& m = f.start();
        QByteArray cr = kS19;
        cr.replace("S104E0207785\n", "");
        cr.replace('\n', '\r');
        programFiles().downloadFileName = f.write("prog.s19", cr);
        m.runCommand("mnuFileDownload");
        QCOMPARE(m.access().image()[0xE001], 0x01);
        QCOMPARE(m.access().image()[0xE010], 0x3C);
        QCOMPARE(m.access().regs.PC, 0xE000);
        QVERIFY(f.messages.isEmpty());
        QVERIFY(m.isShown("mnuViewDisassembler"));
    }

    void cancelStopsAndSkipsTheAftermath()
    {
        EditorFixture f;
        frmMain& m = f.start();
        m.breakpoints().toggle(0xE000, m);
        int records = 0;
        frmDownload::recordHook = [&records](frmDownload& d) {
            ++records;
            d.cmdCancel->click();
        };
        programFiles().downloadFileName = f.write("prog.s19", kS19);
        m.runCommand("Download");
        QCOMPARE(records, 1);
        QCOMPARE(m.access().image()[0x0000], 0x86);
        QCOMPARE(m.access().image()[0xE000], 0xFF);
        QCOMPARE(m.breakpoints().count(), 1);
        QVERIFY(!m.isShown("mnuViewDisassembler"));
        QCOMPARE(m.panel(2)->text(), QStringLiteral("Program: <None>"));
    }

    void withoutAFileTheDialogAsksOnce()
    {
        EditorFixture f;
        frmMain& m = f.start();
        m.runCommand("mnuFileDownload");  // Cancel
        QCOMPARE(f.dialogs, QStringList{"Download||1"});
        QVERIFY(programFiles().downloadFileName.isEmpty());
        QVERIFY(!m.isShown("mnuViewRegCPU"));

        const QString s19 = f.write("chosen.s19", kS19);
        f.files.push_back(s19);
        m.runCommand("mnuFileDownload");
        QCOMPARE(programFiles().downloadFileName, s19);
        QCOMPARE(m.access().regs.PC, 0xE000);
        // The name is reused without asking.
        m.runCommand("mnuFileDownload");
        QCOMPARE(f.dialogs.size(), 2);
    }

    void theToolbarButtonNeverAsks()
    {
        EditorFixture f;
        frmMain& m = f.start();
        m.runCommand("Download");
        QVERIFY(f.dialogs.isEmpty());
        programFiles().downloadFileName = f.dir.filePath("gone.s19");
        m.runCommand("Download");
        QVERIFY(f.dialogs.isEmpty());
        QVERIFY(f.messages.isEmpty());
    }

    void aFileWithoutRecordsChangesNothingButTheErase()
    {
        EditorFixture f;
        frmMain& m = f.start();
        m.breakpoints().toggle(0xE000, m);
        m.access().image()[0xE000] = 0x01;
        programFiles().downloadFileName = f.write("empty.s19", "S0030000FC\nnot a record\n");
        m.runCommand("mnuFileDownload");
        QCOMPARE(m.access().image()[0xE000], 0xFF);
        QCOMPARE(m.breakpoints().count(), 1);
        QVERIFY(!m.isShown("mnuViewRegCPU"));
    }
};

QTEST_MAIN(DownloadTest)
#include "DownloadTest.moc"
