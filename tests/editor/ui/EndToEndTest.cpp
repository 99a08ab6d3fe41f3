// The road of a program through the IDE in simulator mode: a new document,
// typed source with a mistake, Assemble, the error list leading to the line,
// the fix, Assemble again, Download, steps with the source lines shown in
// the disassembler, and a watched variable following the steps.
//
// With ZELK_SHOTS set to a folder, a picture of the screen is saved there
// at each step (the whole X screen under xvfb-run, else the main window).
#include "EditorTestSupport.h"

#include "code/ui/frmDisAsm.h"
#include "editor/ui/AssembleCommand.h"
#include "editor/ui/ProgramSymbols.h"
#include "editor/ui/SourceEdit.h"
#include "editor/ui/frmError.h"
#include "views/ui/frmWatch.h"

#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QProcess>
#include <QScreen>
#include <QTextBlock>
#include <QTreeWidget>
#include <QtTest>

using namespace zelk;

namespace {

void shot(frmMain& m, const char* name)
{
    const QString dir = qEnvironmentVariable("ZELK_SHOTS");
    if (dir.isEmpty())
        return;
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    const QString path = dir + "/" + name + ".png";
    if (QGuiApplication::platformName() == "xcb")
        QProcess::execute("import", {"-window", "root", path});
    else
        m.grab().save(path);
}

const char* const kProgram = "* counts up in COUNT\n"
                             "\tORG\t$0010\n"
                             "COUNT\tRMB\t1\n"
                             "\tORG\t$E000\n"
                             "START\tLDS\t#$00FF\n"
                             "\tCLR\tCOUNT\n"
                             "LOOP\tINC\tCOUTN\n"
                             "\tLDAA\tCOUNT\n"
                             "\tBRA\tLOOP\n"
                             "\tORG\t$FFFE\n"
                             "\tFDB\tSTART\n";

} // namespace

class EndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void newToWatchedVariable()
    {
        EditorFixture f;
        QTemporaryDir tools;
        QVERIFY(copyAssembler(tools.path()));
        AssembleSettings::programDir = tools.path();
        frmMain& m = f.start();
        m.resize(1100, 760);
        m.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m));
        m.menuItem("mnuDebugIncludeSym")->setChecked(true);
        m.runCommand("mnuDebugIncludeSym");

        // New, type the program (with a misspelt label on line 7), save it.
        m.runCommand("mnuFileNew");
        frmEditor* e = activeEditor(m);
        QVERIFY(e);
        e->Text->setFocus();
        typeKeys(e->Text, kProgram);
        shot(m, "01-typed");
        const QString src = f.dir.filePath("count.asm");
        f.files.push_back(src);
        m.runCommand("mnuFileSave");
        QCOMPARE(EditorFixture::read(src), QByteArray(kProgram));

        // Assemble: the error list shows line 7; Show Error goes there.
        m.runCommand("Assemble");
        frmError* list = frmError::instance();
        QVERIFY(list);
        QCOMPARE(list->lineNumbers(), std::vector<int32_t>{7});
        shot(m, "02-errors");
        list->cmdShowClick();
        QCOMPARE(e->Text->textCursor().blockNumber(), 6);
        shot(m, "03-show-error");

        // Fix the line as a user would: select it and type it again.
        QTextCursor c = e->Text->textCursor();
        c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        e->Text->setTextCursor(c);
        typeKeys(e->Text, "LOOP\tINC\tCOUNT");
        QVERIFY(e->TextChanged());
        list->close();

        // Assemble again: the save question, then symbols and the done box.
        f.answers.push_back(QMessageBox::Yes);
        f.messages.clear();
        m.runCommand("mnuFileAssemble");
        QCOMPARE(f.questions.last(), QStringLiteral("Tarvine - Assemble File|Save count.asm ?"));
        QVERIFY(!e->TextChanged());
        QCOMPARE(f.messages.size(), 1);
        QVERIFY(f.messages.first().startsWith("Tarvine - Assembling Done|"));
        QCOMPARE(programSymbols().lookup("COUNT"), 0x0010);
        QCOMPARE(programFiles().downloadFileName, f.dir.filePath("count.s19"));
        shot(m, "04-assembled");

        // Download: PC from the reset vector, debugger windows open.
        m.runCommand("mnuFileDownload");
        QCOMPARE(m.access().regs.PC, 0xE000);
        QVERIFY(m.isShown("mnuViewRegCPU"));
        QVERIFY(m.isShown("mnuViewStack"));
        QVERIFY(m.isShown("mnuViewDisassembler"));
        QCOMPARE(m.panel(2)->text(), QStringLiteral("Program: count.s19"));
        auto* dis = qobject_cast<frmDisAsm*>(m.viewWidget("mnuViewDisassembler"));
        QVERIFY(dis);
        // Include Symbols: the first row carries its source line.
        int startRow = 0;
        for (int r = 1; r <= 5 && !startRow; ++r)
            if (dis->rowAddress(r) == 0xE000)
                startRow = r;
        QVERIFY(startRow > 0);
        QVERIFY2(dis->rowView()->text(startRow).contains("START"), qPrintable(dis->rowView()->text(startRow)));
        shot(m, "05-downloaded");

        // Watch COUNT by name, then step three instructions.
        WatchDialogs::watchAddress = [](QWidget*, DialogFields& d) {
            const DialogCheck c = checkWatchAddress("count", programSymbols());
            d.DialogOK = c.verdict == DialogVerdict::Accept;
            d.DialogValue = c.value;
            d.DialogName = c.name;
            d.DialogIsWord = false;
        };
        m.runCommand("mnuDebugAddWatch");
        auto* watch = qobject_cast<frmWatch*>(m.viewWidget("mnuViewWatch"));
        QVERIFY(watch);
        QCOMPARE(watch->list()->topLevelItem(0)->text(0), QStringLiteral("COUNT"));
        for (int i = 0; i < 3; ++i)
            m.runCommand("mnuRunStepInto");
        QCOMPARE(m.access().regs.PC, 0xE009);
        QCOMPARE(m.access().image()[0x10], 1);
        QCOMPARE(watch->list()->topLevelItem(0)->text(1), QStringLiteral("$01"));
        m.runCommand("mnuRunStepInto");
        m.runCommand("mnuRunStepInto");
        m.runCommand("mnuRunStepInto");
        QCOMPARE(watch->list()->topLevelItem(0)->text(1), QStringLiteral("$02"));
        shot(m, "06-stepped-watch");

        // The labels window lists the program's labels.
        m.openView("mnuViewLabel");
        auto* labels = m.viewWidget("mnuViewLabel")->findChild<QTreeWidget*>("ListView");
        QVERIFY(labels);
        QCOMPARE(labels->topLevelItemCount(), 3);
        QCOMPARE(labels->topLevelItem(0)->text(0) + labels->topLevelItem(0)->text(1), QStringLiteral("COUNT$0010"));
        shot(m, "07-labels");
    }
};

QTEST_MAIN(EndToEndTest)
#include "EndToEndTest.moc"
