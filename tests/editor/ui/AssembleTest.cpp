// The Assemble command with the real as11 and asm.sh beside the test
// program: results beside the source, symbols loaded, the "Assembling Done"
// box, the error list and Show Error, the save question, the Assemble and
// Load Symbols dialogs, missing tools, and a script that never finishes.
#include "../ProcessCheck.h"
#include "EditorTestSupport.h"

#include "editor/ui/AssembleCommand.h"
#include "editor/ui/ProgramSymbols.h"
#include "editor/ui/SourceEdit.h"
#include "editor/ui/frmError.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTextCursor>
#include <QtTest>

using namespace zelk;

namespace {

const QByteArray kGood = "COUNT\tEQU\t$0010\n"
                         "\tORG\t$E000\n"
                         "START\tLDAA\t#5\n"
                         "\tSTAA\tCOUNT\n"
                         "LOOP\tBRA\tLOOP\n"
                         "\tORG\t$FFFE\n"
                         "\tFDB\tSTART\n";

// Line 3 holds an unknown mnemonic, line 5 an undefined label.
const QByteArray kBad = "\tORG\t$E000\n"
                        "START\tLDAA\t#5\n"
                        "\tFOO\t#2\n"
                        "\tNOP\n"
                        "\tJMP\tNOWHERE\n";

// A program directory whose assembler is an empty file and whose batch
// script is `script`; the assemble command is pointed at it.
bool fakeTools(const QTemporaryDir& tools, const QByteArray& script)
{
    QFile as11(tools.filePath("as11"));
    QFile asm_(tools.filePath("asm.sh"));
    if (!as11.open(QIODevice::WriteOnly) || !asm_.open(QIODevice::WriteOnly))
        return false;
    asm_.write(script);
    AssembleSettings::programDir = tools.path();
    return true;
}

QStringList scratchFiles(const QString& dir)
{
    return QDir(dir).entryList({"Temp$$$.*"}, QDir::Files);
}

} // namespace

class AssembleTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY2(copyAssembler(tools_.path()), "as11 and asm.sh are built beside the tests");
        AssembleSettings::programDir = tools_.path();
        AssembleSettings::markerTimeout = std::chrono::seconds(60);
        programFiles() = ProgramFiles{};
        programSymbols().clear();
    }

    void cleanup()
    {
        if (frmError* e = frmError::instance())
            delete e;
    }

    void assemblesTheActiveSourceBesideItself()
    {
        EditorFixture f;
        frmMain& m = f.start();
        const QString src = f.write("prog.asm", kGood);
        // Stale results of an earlier run go first.
        f.write("prog.err", "9: old error\n");
        QVERIFY(OpenEditor(m, src));
        QCOMPARE(programFiles().assemblyTargetTitle, QStringLiteral("prog.asm"));
        m.runCommand("mnuFileAssemble");

        QVERIFY(QFileInfo::exists(f.dir.filePath("prog.lst")));
        QVERIFY(QFileInfo::exists(f.dir.filePath("prog.s19")));
        QVERIFY(!QFileInfo::exists(f.dir.filePath("prog.err")));
        QCOMPARE(f.messages, QStringList{"Tarvine - Assembling Done|Assembly Source:\tprog.asm\n"
                                         "Listing (Symbol):\tprog.lst\nMachine Code:\tprog.s19"});
        QCOMPARE(m.panel(3)->text(), QStringLiteral("Symbols: prog.lst"));
        QCOMPARE(programSymbols().lookup("START"), 0xE000);
        QCOMPARE(programSymbols().lookup("LOOP"), 0xE004);
        QCOMPARE(programFiles().downloadFileName, f.dir.filePath("prog.s19"));
        QCOMPARE(programFiles().listingTitle, QStringLiteral("prog.lst"));
        QVERIFY(!frmError::instance());
        QCOMPARE(scratchFiles(tools_.path()), QStringList());
    }

    void errorsAreListedAndLeadToTheSourceLine()
    {
        EditorFixture f;
        frmMain& m = f.start();
        const QString src = f.write("bad.asm", kBad);
        frmEditor* e = OpenEditor(m, src);
        QVERIFY(e);
        m.runCommand("Assemble");

        frmError* list = frmError::instance();
        QVERIFY(list);
        QCOMPARE(list->windowTitle(), QStringLiteral("bad.err"));
        QCOMPARE(list->lineNumbers(), (std::vector<int32_t>{3, 5}));
        QVERIFY(list->List->item(0)->text().startsWith("3:"));
        QCOMPARE(list->List->currentRow(), 0);
        QVERIFY(list->cmdShow->isEnabled());
        QCOMPARE(programFiles().errorSourcePath, QFileInfo(src).absoluteFilePath());
        QCOMPARE(programFiles().errorSourceTitle, QStringLiteral("bad.asm"));

        list->List->setCurrentRow(1);
        list->cmdShowClick();
        QCOMPARE(m.editors().size(), 1);
        QCOMPARE(e->Text->textCursor().blockNumber(), 4);
        QCOMPARE(e->Text->textCursor().positionInBlock(), 0);
        QVERIFY(!e->Text->textCursor().hasSelection());
    }

    void showErrorOpensTheSourceWhenNoEditorHoldsIt()
    {
        EditorFixture f;
        frmMain& m = f.start();
        const QString src = f.write("bad.asm", kBad);
        OpenEditor(m, src);
        m.runCommand("mnuFileAssemble");
        m.runCommand("mnuFileClose");
        QCoreApplication::processEvents();
        QVERIFY(m.editors().isEmpty());
        frmError* list = frmError::instance();
        QVERIFY(list);
        list->cmdShowClick();
        frmEditor* e = activeEditor(m);
        QVERIFY(e);
        QCOMPARE(e->EditorName, QFileInfo(src).absoluteFilePath());
        QCOMPARE(e->EditorTitle, QStringLiteral("bad.asm"));
        QCOMPARE(e->Text->textCursor().blockNumber(), 2);
    }

    void showErrorFindsTheEditorOfASourceReachedThroughALink()
    {
        EditorFixture f;
        frmMain& m = f.start();
        QVERIFY(QDir(f.dir.path()).mkdir("real"));
        const QString link = f.dir.filePath("link");
        QVERIFY(QFile::link(f.dir.filePath("real"), link));
        f.write("real/bad.asm", kBad);
        // Opened through the link; the assembly resolves the folder.
        QDir::setCurrent(link);
        frmEditor* e = OpenEditor(m, link + "/bad.asm");
        QVERIFY(e);
        QCOMPARE(e->EditorName, link + "/bad.asm");
        m.runCommand("mnuFileAssemble");
        frmError* list = frmError::instance();
        QVERIFY(list);
        QVERIFY(list->List->count() > 0);
        // Unsaved work in the open editor: Show Error must go to it, not
        // to a second copy whose later save would overwrite it.
        e->Text->moveCursor(QTextCursor::End);
        e->Text->insertPlainText("* note\n");
        list->List->setCurrentRow(1);
        list->cmdShowClick();
        QCOMPARE(m.editors().size(), 1);
        QCOMPARE(activeEditor(m), e);
        QCOMPARE(e->Text->textCursor().blockNumber(), 4);
        QVERIFY(e->TextChanged());
    }

    void sameFileResolvesLinks()
    {
        QTemporaryDir d;
        QVERIFY(QDir(d.path()).mkdir("real"));
        QFile(d.filePath("real/a.asm")).open(QIODevice::WriteOnly);
        QFile(d.filePath("real/b.asm")).open(QIODevice::WriteOnly);
        QVERIFY(QFile::link(d.filePath("real"), d.filePath("link")));
        QVERIFY(QFile::link(d.filePath("real/a.asm"), d.filePath("alias.asm")));
        QVERIFY(sameFile(d.filePath("real/a.asm"), d.filePath("link/a.asm")));
        QVERIFY(sameFile(d.filePath("alias.asm"), d.filePath("real/a.asm")));
        QVERIFY(sameFile(d.filePath("real/../real/a.asm"), d.filePath("link/a.asm")));
        QVERIFY(!sameFile(d.filePath("real/a.asm"), d.filePath("link/b.asm")));
        QVERIFY(!sameFile(d.filePath("real/a.asm"), QString()));
        // Files that are gone compare by their cleaned paths.
        QVERIFY(sameFile(d.filePath("real/gone.asm"), d.filePath("real/./gone.asm")));
        QVERIFY(!sameFile(d.filePath("real/gone.asm"), d.filePath("real/other.asm")));
    }

    void aLineNumberBeyondTheEndGoesToTheLastLine()
    {
        EditorFixture f;
        frmMain& m = f.start();
        const QString src = f.write("short.asm", "\tNOP\n\tNOP");
        frmEditor* e = OpenEditor(m, src);
        const QString err = f.write("short.err", "99: beyond\n0: not listed\nno colon\nx: not a number\n");
        programFiles().errorSourcePath = e->EditorName;
        programFiles().errorSourceTitle = e->EditorTitle;
        auto* list = new frmError(m);
        QVERIFY(list->ErrorShow(err));
        QCOMPARE(list->List->count(), 1);
        list->cmdShowClick();
        QCOMPARE(e->Text->textCursor().blockNumber(), 1);
    }

    void anEmptyErrorListingDisablesShowError()
    {
        EditorFixture f;
        frmMain& m = f.start();
        auto* list = new frmError(m);
        QVERIFY(list->ErrorShow(f.write("none.err", "no numbered lines\n")));
        QCOMPARE(list->List->count(), 0);
        QVERIFY(!list->cmdShow->isEnabled());
        QVERIFY(!list->ErrorShow(f.dir.filePath("missing.err")));
        QVERIFY(f.messages.last().startsWith("Tarvine - Read Error|"));
    }

    void unsavedChangesAskFirst()
    {
        EditorFixture f;
        frmMain& m = f.start();
        const QString src = f.write("prog.asm", kGood);
        frmEditor* e = OpenEditor(m, src);
        typeKeys(e->Text, "* changed\n");
        f.answers.push_back(QMessageBox::No);
        m.runCommand("mnuFileAssemble");
        QCOMPARE(f.questions, QStringList{"Tarvine - Assemble File|Save prog.asm ?"});
        QVERIFY(!QFileInfo::exists(f.dir.filePath("prog.lst")));

        f.answers.push_back(QMessageBox::Yes);
        m.runCommand("mnuFileAssemble");
        QVERIFY(EditorFixture::read(src).startsWith("* changed\n"));
        QVERIFY(QFileInfo::exists(f.dir.filePath("prog.lst")));
    }

    void withoutATitleTheAssembleDialogAsks()
    {
        EditorFixture f;
        frmMain& m = f.start();
        const QString src = f.write("chosen.asm", kGood);
        m.runCommand("mnuFileAssemble");  // Cancel
        QCOMPARE(f.dialogs, QStringList{"Assemble||1"});
        QVERIFY(!QFileInfo::exists(f.dir.filePath("chosen.lst")));
        f.files.push_back(src);
        m.runCommand("mnuFileAssemble");
        QVERIFY(QFileInfo::exists(f.dir.filePath("chosen.lst")));
        QCOMPARE(programFiles().assemblyTargetTitle, QStringLiteral("chosen.asm"));
    }

    void aTitleWhoseFileIsGoneDoesNothing()
    {
        EditorFixture f;
        frmMain& m = f.start();
        QDir::setCurrent(f.dir.path());
        programFiles().assemblyTargetTitle = "gone.asm";
        m.runCommand("mnuFileAssemble");
        m.runCommand("Assemble");
        QVERIFY(f.dialogs.isEmpty());
        QVERIFY(f.messages.isEmpty());
    }

    void missingToolsAreReported_data()
    {
        QTest::addColumn<bool>("withAssembler");
        QTest::addColumn<QString>("message");
        QTest::newRow("no assembler") << false << "Can't Find as11 !";
        QTest::newRow("no script") << true << "Can't Find asm.sh !";
    }
    void missingToolsAreReported()
    {
        QFETCH(bool, withAssembler);
        QFETCH(QString, message);
        EditorFixture f;
        frmMain& m = f.start();
        QTemporaryDir tools;
        if (withAssembler)
            QFile(QCoreApplication::applicationDirPath() + "/as11").copy(tools.filePath("as11"));
        AssembleSettings::programDir = tools.path();
        OpenEditor(m, f.write("prog.asm", kGood));
        m.runCommand("mnuFileAssemble");
        QCOMPARE(f.messages, QStringList{"Tarvine - Assemble Error|" + message});
        QCOMPARE(scratchFiles(tools.path()), QStringList());
    }

    void aScriptThatNeverFinishesIsStoppedAndCleanedUp()
    {
        EditorFixture f;
        frmMain& m = f.start();
        QTemporaryDir tools;
        // The script starts a sleeping child of its own before it hangs.
        QVERIFY(fakeTools(tools, "echo partial > 'Temp$$$.lst'\n"
                                 "sleep 30 &\n"
                                 "echo $! > child.pid\n"
                                 "echo $$ > script.pid\n"
                                 "exec sleep 30\n"));
        AssembleSettings::markerTimeout = std::chrono::milliseconds(300);
        OpenEditor(m, f.write("prog.asm", kGood));
        QElapsedTimer t;
        t.start();
        m.runCommand("mnuFileAssemble");
        QVERIFY(t.elapsed() < 10000);
        QCOMPARE(f.messages, QStringList{"Tarvine - Assemble Error|Assembler Did Not Finish !"});
        QCOMPARE(scratchFiles(tools.path()), QStringList());
        QVERIFY(!QFileInfo::exists(f.dir.filePath("prog.lst")));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        // Nothing the run started is left running.
        const pid_t child = pidFromFile(tools.filePath("child.pid").toStdString());
        const pid_t shell = pidFromFile(tools.filePath("script.pid").toStdString());
        QVERIFY(child > 0);
        QVERIFY(shell > 0);
        QTRY_VERIFY_WITH_TIMEOUT(!processRunning(child), 2000);
        QTRY_VERIFY_WITH_TIMEOUT(!processRunning(shell), 2000);
    }

    void aBackgroundProcessOfTheScriptCannotWriteIntoTheNextRun()
    {
        EditorFixture f;
        frmMain& m = f.start();
        QTemporaryDir tools;
        // It finishes at once but leaves a child behind that would later
        // drop a marker and an S-record file into the scratch directory.
        QVERIFY(fakeTools(tools, "(sleep 1; echo S9030000FC > 'Temp$$$.s19'; : > 'Temp$$$.$$$') &\n"
                                 "echo $! > child.pid\n"
                                 "echo '1: first run' > 'Temp$$$.err'\n"
                                 ": > 'Temp$$$.$$$'\n"));
        OpenEditor(m, f.write("prog.asm", kGood));
        m.runCommand("mnuFileAssemble");
        QVERIFY(QFileInfo::exists(f.dir.filePath("prog.err")));
        const pid_t child = pidFromFile(tools.filePath("child.pid").toStdString());
        QVERIFY(child > 0);
        QTRY_VERIFY_WITH_TIMEOUT(!processRunning(child), 2000);
        QTest::qWait(1200);
        QCOMPARE(scratchFiles(tools.path()), QStringList());
    }

    void aScriptThatFailsIsReportedAtOnce()
    {
        EditorFixture f;
        frmMain& m = f.start();
        QTemporaryDir tools;
        QVERIFY(fakeTools(tools, "exit 3\n"));
        OpenEditor(m, f.write("prog.asm", kGood));
        QElapsedTimer t;
        t.start();
        m.runCommand("mnuFileAssemble");
        QVERIFY(t.elapsed() < 10000);
        QCOMPARE(f.messages, QStringList{"Tarvine - Assemble Error|Assembler Produced No Results !"});
        QCOMPARE(scratchFiles(tools.path()), QStringList());
    }

    void loadSymbolsAsksWithTheListingTitle()
    {
        EditorFixture f;
        frmMain& m = f.start();
        const QString lst = f.write("other.lst",
                                    "0001 E000 86 05            START   LDAA    #5\n"
                                    "0002 E002 20 FE            LOOP    BRA     LOOP\n");
        programFiles().listingTitle = "prog.lst";
        m.runCommand("mnuFileLoadSymbols");  // Cancel
        QCOMPARE(f.dialogs, QStringList{"Load Symbols|prog.lst|1"});
        QCOMPARE(programSymbols().count(), size_t(0));
        f.files.push_back(lst);
        m.runCommand("mnuFileLoadSymbols");
        QCOMPARE(programSymbols().count(), size_t(2));
        QCOMPARE(programSymbols().lookup("loop"), 0xE002);
        QCOMPARE(programFiles().listingTitle, QStringLiteral("other.lst"));
        QCOMPARE(m.panel(3)->text(), QStringLiteral("Symbols: other.lst"));

        // A file that is no listing loads as an empty table.
        f.files.push_back(f.write("plain.lst", "hello\n"));
        m.runCommand("mnuFileLoadSymbols");
        QCOMPARE(programSymbols().count(), size_t(0));
        QCOMPARE(m.panel(3)->text(), QStringLiteral("Symbols: <None>"));
    }

private:
    QTemporaryDir tools_;  // the program directory with as11 and asm.sh
};

QTEST_MAIN(AssembleTest)
#include "AssembleTest.moc"
