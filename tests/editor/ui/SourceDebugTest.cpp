// Source-level debugging in the editor, in simulator mode with the real
// assembler: the program counter's line while stepping (only once memory
// holds the program), breakpoints from the margin that are the
// disassembler's entries and back, the full table's message, clicks on
// lines without code, and the tip over a label.
//
// With ZELK_SHOTS set to a folder, pictures of the main window are saved.
#include "EditorTestSupport.h"

#include "code/ui/frmDisAsm.h"
#include "editor/LabelHover.h"
#include "editor/ui/AssembleCommand.h"
#include "editor/ui/ProgramSymbols.h"
#include "editor/ui/SourceDebug.h"
#include "editor/ui/SourceEdit.h"

#include <QMdiSubWindow>
#include <QTextBlock>
#include <QtTest>

using namespace zelk;

namespace {

const char* const kProgram = "* counts up in COUNT\n"   // 1
                             "\tORG\t$0010\n"           // 2
                             "COUNT\tRMB\t1\n"          // 3
                             "\tORG\t$E000\n"           // 4
                             "START\tLDS\t#$00FF\n"     // 5
                             "\tCLR\tCOUNT\n"           // 6
                             "LOOP\tINC\tCOUNT\n"       // 7
                             "\tLDAA\tCOUNT\n"          // 8
                             "\tBRA\tLOOP\n"            // 9
                             "\tORG\t$FFFE\n"           // 10
                             "\tFDB\tSTART\n";          // 11

// The 1-based line of the source holding `text`.
int lineOf(const QString& text)
{
    const QStringList lines = QString::fromLatin1(kProgram).split('\n');
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].contains(text))
            return i + 1;
    return 0;
}

void shot(frmMain& m, const char* name)
{
    const QString dir = qEnvironmentVariable("ZELK_SHOTS");
    if (dir.isEmpty())
        return;
    m.mdiArea()->tileSubWindows();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    m.grab().save(dir + "/" + name + ".png");
}

// The y of a line's middle in the editor's margin.
int yOfLine(SourceEdit* t, int line)
{
    const QTextBlock b = t->document()->findBlockByNumber(line - 1);
    return t->cursorRect(QTextCursor(b)).center().y();
}

void clickMargin(SourceEdit* t, int line)
{
    QWidget* margin = t->findChild<QWidget*>("lineNumbers");
    QVERIFY(margin);
    QTest::mouseClick(margin, Qt::LeftButton, {}, QPoint(4, yOfLine(t, line)));
}

struct Session {
    EditorFixture f;
    QTemporaryDir tools;
    frmMain* m = nullptr;
    frmEditor* e = nullptr;
    frmDisAsm* dis = nullptr;
    QString source;

    // Opens the program in an editor and assembles it (no download yet).
    bool begin()
    {
        if (!copyAssembler(tools.path()))
            return false;
        AssembleSettings::programDir = tools.path();
        m = &f.start();
        m->resize(1100, 760);
        m->show();
        source = f.write("count.asm", kProgram);
        e = OpenEditor(*m, source);
        if (!e)
            return false;
        m->runCommand("Assemble");
        return programSymbols().lookup("COUNT") == 0x10;
    }

    // begin(), then the download, which opens the disassembler window.
    bool beginDownloaded()
    {
        if (!begin())
            return false;
        m->runCommand("mnuFileDownload");
        dis = qobject_cast<frmDisAsm*>(m->viewWidget("mnuViewDisassembler"));
        return dis != nullptr;
    }
};

} // namespace

class SourceDebugTest : public QObject {
    Q_OBJECT
private slots:
    void pcLineFollowsTheSteps()
    {
        Session s;
        QVERIFY(s.begin());
        frmMain& m = *s.m;
        // Assembled, not downloaded: memory does not hold the program.
        m.access().regs.PC = 0xE000;
        m.Refresh();
        QCOMPARE(s.e->Text->pcLine(), 0);

        m.runCommand("mnuFileDownload");
        QCOMPARE(m.access().regs.PC, 0xE000);
        QCOMPARE(s.e->Text->pcLine(), lineOf("LDS"));
        shot(m, "source-01-downloaded");
        // Steps, with the instruction each lands on.
        const char* const after[] = {"CLR", "LOOP\tINC", "LDAA", "BRA", "LOOP\tINC", "LDAA"};
        for (const char* text : after) {
            m.runCommand("mnuRunStepInto");
            QCOMPARE(s.e->Text->pcLine(), lineOf(text));
            // The line highlight is on the PC line.
            const auto marks = s.e->Text->extraSelections();
            QCOMPARE(marks.size(), 1);
            QCOMPARE(marks.first().cursor.blockNumber() + 1, lineOf(text));
        }
        shot(m, "source-02-stepped");

        // Memory changed under the PC: no line claims it any more.
        m.access().image()[m.access().regs.PC] ^= 0xFF;
        m.Refresh();
        QCOMPARE(s.e->Text->pcLine(), 0);
        QVERIFY(s.e->Text->extraSelections().isEmpty());
    }

    void marginBreakpointsAreTheDisassemblers()
    {
        Session s;
        QVERIFY(s.beginDownloaded());
        frmMain& m = *s.m;
        frmDisAsm* dis = s.dis;
        SourceEdit* t = s.e->Text;

        // Margin -> table and disassembler.
        const int lda = lineOf("LDAA");
        clickMargin(t, lda);
        QVERIFY(m.breakpoints().contains(0xE009));
        QCOMPARE(m.breakpoints().count(), 1);
        QCOMPARE(t->breakpointLines(), QVector<int>{lda});
        int row = 0;
        for (int r = 1; r <= 10 && !row; ++r)
            if (dis->rowAddress(r) == 0xE009)
                row = r;
        QVERIFY(row > 0);
        const auto colour = dis->rowView()->colour(row);
        QVERIFY(colour == RowView::Colour::Breakpoint || colour == RowView::Colour::CurrentBreakpoint);
        shot(m, "source-03-margin-breakpoint");

        // Disassembler -> editor: toggling the row takes it out of both.
        dis->toggleRow(row);
        QVERIFY(!m.breakpoints().contains(0xE009));
        QVERIFY(t->breakpointLines().isEmpty());
        dis->toggleRow(row);
        QCOMPARE(t->breakpointLines(), QVector<int>{lda});
        // Clear All from the Debug menu empties the margin.
        m.runCommand("mnuDebugClearAllBreakpoints");
        QVERIFY(t->breakpointLines().isEmpty());

        // Lines without an instruction: nothing set, the status bar says why.
        const struct {
            const char* text;
        } noCode[] = {{"counts up"}, {"COUNT\tRMB"}, {"ORG\t$E000"}, {"FDB"}};
        for (const auto& c : noCode) {
            clickMargin(t, lineOf(c.text));
            QCOMPARE(m.breakpoints().count(), 0);
            QCOMPARE(m.passingMessage(), QString::fromLatin1(NoInstructionOnLine).arg(lineOf(c.text)));
        }

        // A run from the margin's breakpoint stops there, on its line.
        clickMargin(t, lineOf("BRA"));
        m.runCommand("mnuRunPlay");
        QCOMPARE(m.access().regs.PC, 0xE00B);
        QCOMPARE(t->pcLine(), lineOf("BRA"));
        clickMargin(t, lineOf("BRA"));
        QCOMPARE(m.breakpoints().count(), 0);

        // The full table refuses with its own message, from the margin too.
        for (int i = 0; i < BreakpointTable::Capacity; ++i)
            m.breakpoints().append(0x2000 + i);
        s.f.messages.clear();
        clickMargin(t, lineOf("CLR"));
        QCOMPARE(s.f.messages.size(), 1);
        QVERIFY2(s.f.messages.first().startsWith("Tarvine - Breakpoint Error|  Can't Set Breakpoint !"),
                 qPrintable(s.f.messages.first()));
        QVERIFY(!m.breakpoints().contains(0xE003));
        QVERIFY(t->breakpointLines().isEmpty());
        m.breakpoints().clear();

        // Another file's editor sets nothing.
        frmEditor* other = OpenEditor(m, s.f.write("other.asm", kProgram));
        QVERIFY(other);
        clickMargin(other->Text, lineOf("CLR"));
        QCOMPARE(m.breakpoints().count(), 0);
        QCOMPARE(m.passingMessage(), QString::fromLatin1(NotTheAssembledSource));
        QCOMPARE(other->Text->pcLine(), 0);
    }

    // Debug > Toggle Breakpoint (F9) in the editor of the assembled source
    // acts on the caret line, in the same table as the margin and the
    // disassembler; the command stays enabled there with the disassembler
    // open, and works on the disassembler again once that is active.
    void toggleBreakpointActsOnTheCaretLine()
    {
        Session s;
        QVERIFY(s.beginDownloaded());
        frmMain& m = *s.m;
        frmDisAsm* dis = s.dis;
        SourceEdit* t = s.e->Text;
        m.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(s.e->parentWidget()));
        QCoreApplication::processEvents();
        QVERIFY(m.menuItem("mnuDebugToggleBreakpoint")->isEnabled());

        struct Case {
            const char* text;        // the caret's line
            int32_t address;         // its instruction (-1: none)
            bool setAfter;           // the breakpoint is set after the command
        };
        const Case cases[] = {
            {"LDAA", 0xE009, true},
            {"LDAA", 0xE009, false},  // again: taken out
            {"CLR", 0xE003, true},
            {"counts up", -1, false},
            {"FDB", -1, false},
        };
        for (const Case& c : cases) {
            const int line = lineOf(c.text);
            QTextCursor cursor(t->document()->findBlockByNumber(line - 1));
            cursor.movePosition(QTextCursor::EndOfBlock);
            t->setTextCursor(cursor);
            const int before = m.breakpoints().count();
            m.runCommand("mnuDebugToggleBreakpoint");
            if (c.address < 0) {
                QCOMPARE(m.breakpoints().count(), before);
                QCOMPARE(m.passingMessage(), QString::fromLatin1(NoInstructionOnLine).arg(line));
                continue;
            }
            QCOMPARE(m.breakpoints().contains(c.address), c.setAfter);
            QCOMPARE(t->breakpointLines().contains(line), c.setAfter);
        }
        QCOMPARE(m.breakpoints().count(), 1);
        shot(m, "source-04-f9-breakpoint");

        // The disassembler active: the command toggles its current row again.
        m.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(dis->parentWidget()));
        QCoreApplication::processEvents();
        QVERIFY(m.menuItem("mnuDebugToggleBreakpoint")->isEnabled());
        const int before = m.breakpoints().count();
        m.runCommand("mnuDebugToggleBreakpoint");
        QVERIFY(m.breakpoints().count() != before);
    }

    void linesAddedAfterAssemblyMarkNothingUntilTheNextAssemble()
    {
        Session s;
        QVERIFY(s.begin());
        frmMain& m = *s.m;
        m.runCommand("mnuFileDownload");
        SourceEdit* t = s.e->Text;
        clickMargin(t, lineOf("LDAA"));
        QCOMPARE(t->pcLine(), lineOf("LDS"));
        QCOMPARE(t->breakpointLines(), QVector<int>{lineOf("LDAA")});

        // A new line at the top: the listing's numbers no longer fit.
        t->setFocus();
        t->moveCursor(QTextCursor::Start);
        QTest::keyClick(t, Qt::Key_Return);
        QCoreApplication::processEvents();
        QCOMPARE(t->pcLine(), 0);
        QVERIFY(t->breakpointLines().isEmpty());
        clickMargin(t, lineOf("CLR") + 1);
        QCOMPARE(m.passingMessage(), QString::fromLatin1(SourceChangedSinceAssembly));
        QCOMPARE(m.breakpoints().count(), 1);  // the LDAA breakpoint stays in the table

        // Assembled from the file while the editor (not the active window)
        // holds the unsaved line: still nothing marked.
        m.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(m.viewWidget("mnuViewDisassembler")->parentWidget()));
        s.f.messages.clear();
        s.f.files.push_back(s.source);  // the Assemble dialog's answer
        m.runCommand("mnuFileAssemble");
        QCOMPARE(s.f.messages.size(), 1);
        QVERIFY(s.f.messages.first().startsWith("Tarvine - Assembling Done|"));
        QVERIFY(s.e->TextChanged());
        QCOMPARE(t->pcLine(), 0);
        QVERIFY(t->breakpointLines().isEmpty());

        // Assemble again (saving): the marks come back one line lower.
        s.f.answers.push_back(QMessageBox::Yes);
        m.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(s.e->parentWidget()));
        QCOMPARE(activeEditor(m), s.e);
        m.runCommand("mnuFileAssemble");
        QCOMPARE(s.f.questions.size(), 1);
        QCOMPARE(t->pcLine(), lineOf("LDS") + 1);
        QCOMPARE(t->breakpointLines(), QVector<int>{lineOf("LDAA") + 1});
        clickMargin(t, lineOf("CLR") + 1);
        QVERIFY(m.breakpoints().contains(0xE003));
    }

    void labelTipShowsValueByteAndWord()
    {
        Session s;
        QVERIFY(s.begin());
        frmMain& m = *s.m;
        m.runCommand("mnuFileDownload");
        uint8_t* image = m.access().image();
        image[0x10] = 0x5A;
        image[0x11] = 0xC3;
        const struct {
            const char* word;
            const char* tip;  // empty: no tip
        } cases[] = {
            {"count", "COUNT = $0010\nByte: $5A  Word: $5AC3"},
            {"Loop", "LOOP = $E006\nByte: $7C  Word: $7C00"},
            {"START", "START = $E000\nByte: $8E  Word: $8E00"},
            {"LDAA", ""},  // a mnemonic is no label
            {"NOSUCH", ""},
        };
        for (const auto& c : cases)
            QCOMPARE(labelTipText(m, c.word), QString::fromLatin1(c.tip));

        // The word under a point of the text: "COUNT" of line 6's operand.
        SourceEdit* t = s.e->Text;
        const QTextBlock b = t->document()->findBlockByNumber(lineOf("CLR") - 1);
        QTextCursor c(b);
        c.setPosition(b.position() + b.text().indexOf("COUNT") + 2);
        QCOMPARE(t->wordAt(t->cursorRect(c).center()), QStringLiteral("COUNT"));
        c.setPosition(b.position() + b.text().indexOf("CLR") + 1);
        QCOMPARE(t->wordAt(t->cursorRect(c).center()), QStringLiteral("CLR"));
    }

    void boardTipSaysWhyMemoryIsNotShown()
    {
        Session s;
        QVERIFY(s.begin());
        frmMain& m = *s.m;
        m.forceBoard();
        const struct {
            bool running;
            bool ready;
            const char* reason;
        } cases[] = {
            {true, true, HoverBoardRunning},
            {false, false, HoverNoLink},
        };
        for (const auto& c : cases) {
            m.access().boardRunning = c.running;
            m.access().setLinkReady(c.ready);
            QCOMPARE(labelTipText(m, "COUNT"), QStringLiteral("COUNT = $0010\n") + c.reason);
        }
        m.access().boardRunning = false;
    }
};

QTEST_MAIN(SourceDebugTest)
#include "SourceDebugTest.moc"
