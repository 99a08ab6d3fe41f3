// The editor windows: titles of new documents, the changed/undo/redo state
// and the commands it enables, Save and Save As (atomic write, failure
// report), the close question in all its answers, closing the main window
// with changed editors, the caret position in the status bar, Open.
#include "EditorTestSupport.h"
#include "../../link/SmallDisk.h"

#include "editor/ui/AsmHighlighter.h"
#include "editor/ui/ProgramSymbols.h"
#include "editor/ui/SourceEdit.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace zelk;

namespace {

frmEditor* active(frmMain& m) { return activeEditor(m); }

void type(frmEditor* e, const QString& text)
{
    e->Text->setFocus();
    typeKeys(e->Text, text);
}

// The colour the highlighter gives the first character of `part` in `line`
// (invalid when it gives none).
QColor colourOf(const QString& line, const QString& part)
{
    QTextDocument doc;
    AsmHighlighter h(&doc);
    doc.setPlainText(line);
    h.rehighlight();
    const int at = int(line.indexOf(part));
    for (const QTextLayout::FormatRange& r : doc.firstBlock().layout()->formats())
        if (at >= r.start && at < r.start + r.length)
            return r.format.foreground().color();
    return {};
}

// Two new editors, each with a typed change.
std::pair<frmEditor*, frmEditor*> twoChangedEditors(frmMain& m)
{
    frmEditor* a = NewEditor(m);
    type(a, "A");
    frmEditor* b = NewEditor(m);
    type(b, "B");
    return {a, b};
}

bool enabled(frmMain& m, const char* item) { return m.menuItem(QString::fromLatin1(item))->isEnabled(); }

} // namespace

class EditorTest : public QObject {
    Q_OBJECT
private slots:
    void newDocumentsAreNumberedOnwards()
    {
        EditorFixture f;
        frmMain& m = f.start();
        const int before = editorState().untitledCounter;
        frmEditor* e1 = NewEditor(m);
        QCOMPARE(e1->EditorTitle, QStringLiteral("Untitled%1.asm").arg(before + 1));
        QCOMPARE(e1->windowTitle(), e1->EditorTitle);
        QVERIFY(e1->EditorName.isEmpty());
        m.runCommand("mnuFileClose");
        QCoreApplication::processEvents();
        QVERIFY(m.editors().isEmpty());
        frmEditor* e2 = NewEditor(m);
        QCOMPARE(e2->EditorTitle, QStringLiteral("Untitled%1.asm").arg(before + 2));
    }

    void typingMarksChangedAndEnablesSaveAndUndo()
    {
        EditorFixture f;
        frmMain& m = f.start();
        frmEditor* e = NewEditor(m);
        QVERIFY(!e->TextChanged());
        QVERIFY(!enabled(m, "mnuFileSave"));
        type(e, "NOP");
        QVERIFY(e->TextChanged());
        QVERIFY(e->Undo());
        QVERIFY(!e->Redo());
        QVERIFY(enabled(m, "mnuFileSave"));
        QVERIFY(m.toolButton("Save")->isEnabled());
        QVERIFY(m.toolButton("Undo")->isEnabled());
        QVERIFY(!m.toolButton("Redo")->isEnabled());
    }

    void undoThenRedoLeavesUndoPending()
    {
        EditorFixture f;
        frmMain& m = f.start();
        frmEditor* e = NewEditor(m);
        e->Text->insertPlainText("LDAA #1");
        m.runCommand("mnuEditUndo");
        QCOMPARE(e->Text->toPlainText(), QString());
        QVERIFY(!e->Undo());
        QVERIFY(e->Redo());
        QVERIFY(!m.toolButton("Undo")->isEnabled());
        QVERIFY(m.toolButton("Redo")->isEnabled());
        m.runCommand("mnuEditRedo");
        QCOMPARE(e->Text->toPlainText(), QStringLiteral("LDAA #1"));
        QVERIFY(e->Undo());
        QVERIFY(!e->Redo());
    }

    void ctrlZWithoutUndoIsLeftToTheControl()
    {
        EditorFixture f;
        frmMain& m = f.start();
        frmEditor* e = NewEditor(m);
        e->setContent("ORG $E000\n");
        QTest::keyClick(e->Text, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(e->Text->toPlainText(), QStringLiteral("ORG $E000\n"));
        QVERIFY(!e->TextChanged());
        type(e, "X");
        QTest::keyClick(e->Text, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(e->Text->toPlainText(), QStringLiteral("ORG $E000\n"));
    }

    void saveOfANewDocumentAsksWithItsTitle()
    {
        EditorFixture f;
        frmMain& m = f.start();
        frmEditor* e = NewEditor(m);
        type(e, "\tNOP");
        const QString target = f.dir.filePath("first.asm");
        f.files.push_back(target);
        m.runCommand("mnuFileSave");
        QCOMPARE(f.dialogs.size(), 1);
        QVERIFY(f.dialogs.first().startsWith("Save As|Untitled"));
        QVERIFY(f.dialogs.first().endsWith(".asm|1"));
        QCOMPARE(e->EditorName, QFileInfo(target).absoluteFilePath());
        QCOMPARE(e->EditorTitle, QStringLiteral("first.asm"));
        QCOMPARE(e->windowTitle(), QStringLiteral("first.asm"));
        QCOMPARE(programFiles().assemblyTargetTitle, QStringLiteral("first.asm"));
        QCOMPARE(EditorFixture::read(target), QByteArray("\tNOP\n"));
        QVERIFY(!e->TextChanged());
        QVERIFY(!enabled(m, "mnuFileSave"));
    }

    void saveReplacesTheFileWithoutLeftovers()
    {
        EditorFixture f;
        frmMain& m = f.start();
        const QString path = f.write("prog.asm", "OLD\n");
        frmEditor* e = OpenEditor(m, path);
        QVERIFY(e);
        QCOMPARE(e->Text->toPlainText(), QStringLiteral("OLD\n"));
        e->Text->selectAll();
        type(e, "NEW");
        m.runCommand("mnuFileSave");
        QCOMPARE(EditorFixture::read(path), QByteArray("NEW\n"));
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({"prog.asm", "zelk.ini"}));
    }

    void failedSaveReportsAndKeepsTheChange()
    {
        EditorFixture f;
        frmMain& m = f.start();
        frmEditor* e = NewEditor(m);
        type(e, "NOP");
        e->EditorName = f.dir.filePath("no-such-folder/prog.asm");
        QVERIFY(!e->SaveEditor());
        QCOMPARE(f.messages.size(), 1);
        QVERIFY(f.messages.first().startsWith("Tarvine - Write Error|"));
        QVERIFY(f.messages.first().endsWith(" !"));
        QVERIFY(e->TextChanged());
        QVERIFY(enabled(m, "mnuFileSave"));
    }

    // A full disk or a read-only file system: the message names the cause,
    // the old file keeps every byte and the folder gets no leftovers.
    void saveThatCannotBeWrittenKeepsTheOldFile()
    {
        struct Case {
            const char* name;
            bool readOnly;
            const char* message;
        };
        for (const Case& c : {Case{"full disk", false, "Tarvine - Write Error|No space left on device !"},
                              Case{"read-only", true, "Tarvine - Write Error|Read-only file system !"}}) {
            zelk::test::SmallDisk disk("size=64k");
            if (!disk.available())
                QSKIP(disk.why().c_str());
            EditorFixture f;
            frmMain& m = f.start();
            const QString path = QString::fromStdString((disk.dir() / "prog.asm").string());
            {
                QFile old(path);
                QVERIFY(old.open(QIODevice::WriteOnly));
                old.write(" ORG $E000\n NOP\n");
            }
            if (c.readOnly)
                QVERIFY(disk.makeReadOnly());
            frmEditor* e = OpenEditor(m, path);
            QVERIFY(e);
            // Far more than the 64 KB the disk holds.
            e->Text->selectAll();
            e->Text->textCursor().insertText(QString(" NOP\n").repeated(30000));
            QVERIFY(e->TextChanged());
            f.messages.clear();
            QVERIFY2(!e->SaveEditor(), c.name);
            QCOMPARE(f.messages, QStringList{c.message});
            QCOMPARE(EditorFixture::read(path), QByteArray(" ORG $E000\n NOP\n"));
            QCOMPARE(QDir(QString::fromStdString(disk.dir().string())).entryList(QDir::Files | QDir::Hidden),
                     QStringList{"prog.asm"});
            QVERIFY(e->TextChanged());
            QVERIFY(enabled(m, "mnuFileSave"));
        }
    }

    void saveKeepsThePermissionsOfTheFile()
    {
        EditorFixture f;
        frmMain& m = f.start();
        const QString path = f.write("prog.asm", "OLD\n");
        const QFileDevice::Permissions perms = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                               QFileDevice::ReadGroup;
        QVERIFY(QFile::setPermissions(path, perms));
        frmEditor* e = OpenEditor(m, path);
        QVERIFY(e);
        e->Text->selectAll();
        type(e, "NEW");
        QVERIFY(e->SaveEditor());
        QCOMPARE(EditorFixture::read(path), QByteArray("NEW\n"));
        QCOMPARE(QFile::permissions(path) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser),
                 perms);
    }

    void saveAsPresetsTheFilterFromTheExtension_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::newRow("asm") << "a.asm" << 1;
        QTest::newRow("ASM upper") << "B.ASM" << 1;
        QTest::newRow("lst") << "c.Lst" << 2;
        QTest::newRow("txt") << "d.txt" << 3;
        QTest::newRow("other") << "e.s19" << 4;
        QTest::newRow("no dot") << "PROG" << 4;
        QTest::newRow("last dot counts") << "x.asm.bak" << 4;
    }
    void saveAsPresetsTheFilterFromTheExtension()
    {
        QFETCH(QString, name);
        QFETCH(int, index);
        QCOMPARE(saveAsFilterIndex(name), index);
    }

    void highlighting_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("part");
        QTest::addColumn<int>("kind");  // -1: plain
        using K = AsmHighlighter::Kind;
        QTest::newRow("label") << "START\tLDAA\t#$10\tload A" << "START" << int(K::Label);
        QTest::newRow("mnemonic") << "START\tLDAA\t#$10\tload A" << "LDAA" << int(K::Mnemonic);
        QTest::newRow("hex number") << "START\tLDAA\t#$10\tload A" << "$10" << int(K::Number);
        QTest::newRow("text after the operand") << "START\tLDAA\t#$10\tload A" << "load" << int(K::Comment);
        QTest::newRow("after an inherent instruction") << "\tNOP\twait 5 cycles" << "5" << int(K::Comment);
        QTest::newRow("star line") << "* full $10 line" << "$10" << int(K::Comment);
        QTest::newRow("semicolon") << "\tORG\t$E000\t; it's here" << "it's" << int(K::Comment);
        QTest::newRow("directive") << "MASK\tEQU\t%1010" << "EQU" << int(K::Directive);
        QTest::newRow("binary") << "MASK\tEQU\t%1010" << "%1010" << int(K::Number);
        QTest::newRow("fcc with blanks") << "\tFCC\t/a b/\ttext" << "a b" << int(K::String);
        QTest::newRow("after fcc") << "\tFCC\t/a b/\ttext" << "text" << int(K::Comment);
        QTest::newRow("character constant") << "\tLDAA\t#'A\tletter" << "'A" << int(K::String);
        QTest::newRow("bit mask field") << "\tBRSET\t$10,X $80 LOOP skip" << "$80" << int(K::Number);
        QTest::newRow("bit branch target") << "\tBRSET\t$10,X $80 LOOP skip" << "LOOP" << -1;
        QTest::newRow("after the bit fields") << "\tBRSET\t$10,X $80 LOOP skip" << "skip" << int(K::Comment);
        QTest::newRow("symbol operand") << "\tSTAA\tCOUNT" << "COUNT" << -1;
        QTest::newRow("mnemonic alias") << "\tBHS\tLOOP" << "BHS" << int(K::Mnemonic);
        QTest::newRow("after an inherent alias") << "\taslb\ttimes 2" << "2" << int(K::Comment);
        QTest::newRow("lower-case directive") << "\tfcb\t1" << "fcb" << int(K::Directive);
        QTest::newRow("unknown directive") << "\tDB\t1" << "DB" << -1;
        QTest::newRow("after an ignored directive") << "\tTTL\t$10 title" << "$10" << int(K::Comment);
    }
    void highlighting()
    {
        QFETCH(QString, line);
        QFETCH(QString, part);
        QFETCH(int, kind);
        QTextDocument doc;
        AsmHighlighter h(&doc);
        const QColor expected = kind < 0 ? QColor() : h.formatOf(AsmHighlighter::Kind(kind)).foreground().color();
        QCOMPARE(colourOf(line, part), expected);
    }

    void dialogFiltersConvertToQtForm()
    {
        QCOMPARE(dialogFilters(QString::fromLatin1(OpenFilter)),
                 QStringList({"Assembly Source (*.asm)", "Listing Files (*.lst)", "Error Listing (*.err)",
                              "Text Files (*.txt)", "All Files (*)"}));
    }

    void closeQuestionAnswers_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QByteArray>("onDisk");
        QTest::newRow("cancel keeps it open") << int(QMessageBox::Cancel) << false << QByteArray("OLD\n");
        QTest::newRow("no closes unsaved") << int(QMessageBox::No) << true << QByteArray("OLD\n");
        QTest::newRow("yes saves and closes") << int(QMessageBox::Yes) << true << QByteArray("OLDX\n");
    }
    void closeQuestionAnswers()
    {
        QFETCH(int, answer);
        QFETCH(bool, closed);
        QFETCH(QByteArray, onDisk);
        EditorFixture f;
        frmMain& m = f.start();
        const QString path = f.write("prog.asm", "OLD\n");
        frmEditor* e = OpenEditor(m, path);
        QPointer<frmEditor> guard(e);
        e->Text->moveCursor(QTextCursor::End);
        e->Text->moveCursor(QTextCursor::PreviousCharacter);
        type(e, "X");
        f.answers.push_back(QMessageBox::StandardButton(answer));
        m.runCommand("mnuFileClose");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(f.questions, QStringList{"Tarvine - Warning|Save changes to prog.asm ?"});
        QCOMPARE(guard.isNull(), closed);
        QCOMPARE(EditorFixture::read(path), onDisk);
    }

    void unchangedEditorClosesWithoutAsking()
    {
        EditorFixture f;
        frmMain& m = f.start();
        NewEditor(m);
        m.runCommand("mnuFileClose");
        QCoreApplication::processEvents();
        QVERIFY(f.questions.isEmpty());
        QVERIFY(m.editors().isEmpty());
    }

    void yesOnAnUntitledDocumentSavesUnderItsTitleHere()
    {
        EditorFixture f;
        frmMain& m = f.start();
        QDir::setCurrent(f.dir.path());
        frmEditor* e = NewEditor(m);
        const QString title = e->EditorTitle;
        type(e, "END");
        f.answers.push_back(QMessageBox::Yes);
        m.runCommand("mnuFileClose");
        QCoreApplication::processEvents();
        QVERIFY(f.dialogs.isEmpty());
        QCOMPARE(EditorFixture::read(f.dir.filePath(title)), QByteArray("END\n"));
        QVERIFY(m.editors().isEmpty());
    }

    void yesOnAnUntitledDocumentNeverReplacesAFileOfItsTitle_data()
    {
        QTest::addColumn<bool>("choose");  // a name in the Save As dialog, else Cancel
        QTest::newRow("another name") << true;
        QTest::newRow("cancel") << false;
    }
    void yesOnAnUntitledDocumentNeverReplacesAFileOfItsTitle()
    {
        QFETCH(bool, choose);
        EditorFixture f;
        frmMain& m = f.start();
        QDir::setCurrent(f.dir.path());
        frmEditor* e = NewEditor(m);
        QPointer<frmEditor> guard(e);
        const QString title = e->EditorTitle;
        const QString earlier = f.write(title, "EARLIER\n");  // left by an earlier session
        const QString other = f.dir.filePath("other.asm");
        type(e, "END");
        f.answers.push_back(QMessageBox::Yes);
        f.files.push_back(choose ? other : QString());
        m.runCommand("mnuFileClose");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(f.dialogs, QStringList{"Save As|" + title + "|1"});
        QCOMPARE(EditorFixture::read(earlier), QByteArray("EARLIER\n"));
        QCOMPARE(EditorFixture::read(other), choose ? QByteArray("END\n") : QByteArray("<missing>"));
        QCOMPARE(guard.isNull(), choose);
        if (!choose)
            QVERIFY(e->TextChanged());
    }

    void closingTheMainWindowAsksEveryChangedEditor()
    {
        EditorFixture f;
        frmMain& m = f.start();
        m.show();
        auto [a, b] = twoChangedEditors(m);
        QPointer<frmEditor> ga(a), gb(b);
        // No for the first, Cancel for the second: the program stays.
        f.answers = {QMessageBox::No, QMessageBox::Cancel};
        QVERIFY(!m.close());
        QCOMPARE(f.questions.size(), 2);
        QCoreApplication::processEvents();
        QVERIFY(!ga.isNull());
        QVERIFY(!gb.isNull());
        // The first editor still holds its change and asks again.
        QVERIFY(ga->TextChanged());
        f.questions.clear();
        f.answers = {QMessageBox::No, QMessageBox::No};
        QVERIFY(m.close());
        QCOMPARE(f.questions.size(), 2);
    }

    void closingTheMainWindowAsksEachChangedEditorOnceInRealBoxes_data()
    {
        QTest::addColumn<int>("editors");
        QTest::newRow("two") << 2;
        QTest::newRow("three") << 3;
    }
    void closingTheMainWindowAsksEachChangedEditorOnceInRealBoxes()
    {
        QFETCH(int, editors);
        EditorFixture f;
        // The scripted answers come back however the test ends, before the
        // fixture closes what is left.
        struct Restore {
            decltype(EditorPrompts::question) scripted = EditorPrompts::question;
            ~Restore() { EditorPrompts::question = scripted; }
        } restore;
        EditorPrompts::question = EditorPrompts::messageBox;
        frmMain& m = f.start();
        m.show();
        QList<QPointer<frmEditor>> eds;
        for (int i = 0; i < editors; ++i) {
            frmEditor* e = NewEditor(m);
            type(e, "X");
            eds << e;
        }
        // Each real question box is answered once, from a timer, inside
        // the box's own event loop.
        std::deque<QMessageBox::StandardButton> answers;
        QStringList asked;
        QList<QPointer<QMessageBox>> seen;
        QTimer answerer;
        answerer.setInterval(5);
        connect(&answerer, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || seen.contains(box))
                return;
            seen << box;
            asked << box->text();
            const QMessageBox::StandardButton a = answers.empty() ? QMessageBox::Cancel : answers.front();
            if (!answers.empty())
                answers.pop_front();
            box->button(a)->click();
        });
        answerer.start();

        // Cancel on the last one: the program stays, each was asked once.
        for (int i = 0; i + 1 < editors; ++i)
            answers.push_back(QMessageBox::No);
        answers.push_back(QMessageBox::Cancel);
        QVERIFY(!m.close());
        QCoreApplication::processEvents();
        QCOMPARE(asked.size(), editors);
        for (const QPointer<frmEditor>& e : eds) {
            QVERIFY(!e.isNull());
            QVERIFY(e->TextChanged());
        }
        // The next close asks every one again, once.
        QStringList titles;
        for (const QPointer<frmEditor>& e : eds)
            titles << e->EditorTitle;
        asked.clear();
        for (int i = 0; i < editors; ++i)
            answers.push_back(QMessageBox::No);
        QVERIFY(m.close());
        QCoreApplication::processEvents();
        QCOMPARE(asked.size(), editors);
        for (int i = 0; i < editors; ++i)
            QCOMPARE(asked[i], QStringLiteral("Save changes to %1 ?").arg(titles[i]));
    }

    void aCancelledShutdownAsksAgainWhenTheEditorIsClosedLater()
    {
        EditorFixture f;
        frmMain& m = f.start();
        m.show();
        frmEditor* a = twoChangedEditors(m).first;
        f.answers = {QMessageBox::No, QMessageBox::Cancel};
        QVERIFY(!m.close());
        // Closing the first editor on its own must still ask: its "No" was
        // for the shutdown that did not happen.
        f.questions.clear();
        f.answers = {QMessageBox::Cancel};
        QVERIFY(!qobject_cast<QMdiSubWindow*>(a->parentWidget())->close());
        QCOMPARE(f.questions.size(), 1);
        QVERIFY(a->TextChanged());
    }

    void openEditSaveKeepsEveryOtherByte_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("eol");
        QTest::newRow("latin1 crlf") << QByteArray("* Z\xE4hler f\xFCr \xB0" "C\r\n\tLDAA\t#$41\t; \xA0nbsp\r\n") << QByteArray("\r\n");
        QTest::newRow("cp437 lf, no final line end")
            << QByteArray("; \x81\x84\x94 \xDB\xDB\n\tRTS") << QByteArray("\n");
        QTest::newRow("utf8 crlf with bom") << QByteArray("\xEF\xBB\xBF; Z\xC3\xA4hler\r\n\tNOP\r\n") << QByteArray("\r\n");
        QTest::newRow("cr only") << QByteArray("; a\r\tNOP\r") << QByteArray("\r");
        QTest::newRow("control bytes") << QByteArray("; \x01\x00\x1B[0m\x7F\x0C\r\n", 12) << QByteArray("\r\n");
    }
    void openEditSaveKeepsEveryOtherByte()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, eol);
        EditorFixture f;
        frmMain& m = f.start();
        const QString path = f.write("old.asm", bytes);
        frmEditor* e = OpenEditor(m, path);
        QVERIFY(e);
        // Saved unedited, the file is the same.
        m.runCommand("mnuFileSave");
        QCOMPARE(f.read(path), bytes);
        // A line typed at the top; the rest comes back byte for byte.
        e->Text->moveCursor(QTextCursor::Start);
        type(e, "\tNOP\n");
        QVERIFY(e->TextChanged());
        m.runCommand("mnuFileSave");
        QVERIFY(!e->TextChanged());
        const QByteArray bom("\xEF\xBB\xBF");
        const QByteArray expected = bytes.startsWith(bom) ? bom + "\tNOP" + eol + bytes.mid(3) : "\tNOP" + eol + bytes;
        QCOMPARE(f.read(path), expected);
        QVERIFY(f.messages.isEmpty());
    }

    void aCharacterTheFilesEncodingCannotHoldIsRefused()
    {
        EditorFixture f;
        frmMain& m = f.start();
        const QByteArray bytes("; \xE4\r\n");
        const QString path = f.write("old.asm", bytes);
        frmEditor* e = OpenEditor(m, path);
        QVERIFY(e);
        e->Text->moveCursor(QTextCursor::End);
        e->Text->insertPlainText(QString::fromUtf8("; \xE2\x82\xAC"));
        m.runCommand("mnuFileSave");
        QCOMPARE(f.messages.size(), 1);
        QVERIFY(f.messages[0].startsWith("Tarvine - Write Error|Line 2 "));
        QVERIFY(f.messages[0].endsWith(" !"));
        QCOMPARE(f.read(path), bytes);
        QVERIFY(e->TextChanged());
    }

    void cursorShowsLineAndTabExpandedColumn()
    {
        EditorFixture f;
        frmMain& m = f.start();
        QVERIFY(m.panel(5)->isHidden());
        frmEditor* e = NewEditor(m);
        QVERIFY(!m.panel(5)->isHidden());
        QVERIFY(!m.panel(6)->isHidden());
        e->setContent("first\nAB\tC");
        QTextCursor c = e->Text->textCursor();
        c.movePosition(QTextCursor::End);
        e->Text->setTextCursor(c);
        e->Cursor();
        QCOMPARE(m.panel(5)->text(), QStringLiteral("Line 2"));
        // "AB" then a tab to column 9, then "C": the caret is at column 10.
        QCOMPARE(m.panel(6)->text(), QStringLiteral("Col. 11"));
    }

    void selectionEnablesCutAndCopy()
    {
        EditorFixture f;
        frmMain& m = f.start();
        frmEditor* e = NewEditor(m);
        e->setContent("LDAA #1");
        QVERIFY(!m.toolButton("Cut")->isEnabled());
        e->Text->selectAll();
        QVERIFY(m.toolButton("Cut")->isEnabled());
        QVERIFY(m.toolButton("Copy")->isEnabled());
        mnuEditOpening(m);
        QVERIFY(enabled(m, "mnuEditDelete"));
        QVERIFY(enabled(m, "mnuEditSelectAll"));
        m.runCommand("mnuEditDelete");
        QCOMPARE(e->Text->toPlainText(), QString());
    }

    void deactivationDisablesTheEditorCommands()
    {
        EditorFixture f;
        frmMain& m = f.start();
        frmEditor* e = NewEditor(m);
        type(e, "X");
        QVERIFY(enabled(m, "mnuFileClose"));
        e->deactivate();
        QVERIFY(!enabled(m, "mnuFileClose"));
        QVERIFY(!enabled(m, "mnuFileSave"));
        QVERIFY(!m.toolButton("Undo")->isEnabled());
        QVERIFY(!editorState().editorActive);
        mnuEditOpening(m);
        QVERIFY(!enabled(m, "mnuEditSelectAll"));
    }

    void openReadsTheFileAndRemembersTheFilter()
    {
        EditorFixture f;
        frmMain& m = f.start();
        const QString path = f.write("dos.asm", "LINE1\r\nLINE2\r\n");
        f.files.push_back(path);
        m.runCommand("mnuFileOpen");
        frmEditor* e = active(m);
        QVERIFY(e);
        QCOMPARE(e->EditorTitle, QStringLiteral("dos.asm"));
        QCOMPARE(e->Text->toPlainText(), QStringLiteral("LINE1\nLINE2\n"));
        QVERIFY(!e->TextChanged());
        QCOMPARE(QDir::currentPath(), QFileInfo(path).absolutePath());
        // The same file opens again in a further window.
        f.files.push_back(path);
        m.runCommand("mnuFileOpen");
        QCOMPARE(m.editors().size(), 2);
    }

    void openFailureShowsReadErrorAndNoWindow()
    {
        EditorFixture f;
        frmMain& m = f.start();
        QVERIFY(!OpenEditor(m, f.dir.filePath("missing.asm")));
        QCOMPARE(f.messages.size(), 1);
        QVERIFY(f.messages.first().startsWith("Tarvine - Read Error|"));
        QVERIFY(m.editors().isEmpty());
        // An endless file stops at the size bound.
        f.messages.clear();
        QVERIFY(!OpenEditor(m, QStringLiteral("/dev/zero")));
        QCOMPARE(f.messages, QStringList{"Tarvine - Read Error|File too large !"});
        QVERIFY(m.editors().isEmpty());
        // Cancel in the Open dialog does nothing.
        m.runCommand("mnuFileOpen");
        QVERIFY(m.editors().isEmpty());
    }

    void editorFontComesFromTheSettings()
    {
        EditorFixture f;
        f.qs->setValue("Settings/ScreenFontSize", "14");
        f.qs->setValue("Settings/ScreenFontBold", "True");
        frmMain& m = f.start();
        frmEditor* e = NewEditor(m);
        QCOMPARE(e->Text->font().pointSizeF(), 14.0);
        QVERIFY(e->Text->font().bold());
        QCOMPARE(e->Text->tabStopDistance(), 9.0 * QFontMetrics(e->Text->font()).horizontalAdvance(' '));
        // The Options dialog gives every editor window the new font.
        QFont bigger = e->font();
        bigger.setPointSize(20);
        m.editors().first()->widget()->setFont(bigger);
        QCOMPARE(e->Text->font().pointSize(), 20);
        QCOMPARE(e->Text->tabStopDistance(), 9.0 * QFontMetrics(e->Text->font()).horizontalAdvance(' '));
    }
};

QTEST_MAIN(EditorTest)
#include "EditorTest.moc"
