// The find and replace dialog on a real editor, offscreen: loaded hidden at
// start-up, Find Next from the history while hidden, the show steps and the
// history, the search directions and case, Replace and Replace All (with
// their messages and one undo step), the selection kept visible while the
// dialog works, hiding with the editor; and the Go To Line dialog driven in
// its own modal event loop.
#include "EditorTestSupport.h"

#include "editor/ui/SourceEdit.h"
#include "editor/ui/frmLine.h"
#include "editor/ui/frmReplace.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTextBlock>
#include <QTimer>
#include <QtTest>

using namespace zelk;

namespace {

const char* const kSource = "COUNT\tRMB\t1\n"
                            "START\tLDAA\tcount\n"
                            "\tSTAA\tCOUNT\n"
                            "\tBRA\tSTART\n";

struct FindFixture : EditorFixture {
    frmMain* m = nullptr;
    frmEditor* e = nullptr;
    frmReplace* dlg = nullptr;

    FindFixture(const QString& text = QString::fromLatin1(kSource))
    {
        m = &start();
        m->resize(1000, 700);
        m->show();
        m->activateWindow();
        (void)QTest::qWaitForWindowActive(m);
        e = NewEditor(*m);
        e->setContent(text);
        dlg = frmReplace::of(*m);
    }

    QString text() const { return e->Text->toPlainText(); }
    QString selection() const { return e->Text->textCursor().selectedText(); }
    int selStart() const { return e->Text->textCursor().selectionStart(); }
    void select(int start, int length)
    {
        QTextCursor c = e->Text->textCursor();
        c.setPosition(start);
        c.setPosition(start + length, QTextCursor::KeepAnchor);
        e->Text->setTextCursor(c);
    }
    void caret(int at) { select(at, 0); }
    // Types into the dialog's search box as the user would.
    void what(const QString& s)
    {
        dlg->cbWhat->lineEdit()->selectAll();
        QTest::keyClicks(dlg->cbWhat->lineEdit(), s);
    }
    void with(const QString& s)
    {
        dlg->cbWith->lineEdit()->selectAll();
        if (s.isEmpty())
            QTest::keyClick(dlg->cbWith->lineEdit(), Qt::Key_Delete);
        else
            QTest::keyClicks(dlg->cbWith->lineEdit(), s);
    }
    QStringList history(QComboBox* cb) const
    {
        QStringList out;
        for (int i = 0; i < cb->count(); ++i)
            out << cb->itemText(i);
        return out;
    }
};

bool enabled(frmMain& m, const char* item) { return m.menuItem(QString::fromLatin1(item))->isEnabled(); }

} // namespace

class FindTest : public QObject {
    Q_OBJECT
private slots:
    void theDialogIsLoadedHiddenAtStartUp()
    {
        FindFixture f;
        QVERIFY(f.dlg);
        QVERIFY(!f.dlg->isVisible());
        QVERIFY(!f.dlg->isModal());
        QCOMPARE(f.dlg->historyCount(), 0);
        QCOMPARE(f.dlg->parentWidget(), f.m);
        // No history: Find Next is off in the menu and on the toolbar.
        mnuEditOpening(*f.m);
        QVERIFY(enabled(*f.m, "mnuEditFind"));
        QVERIFY(!enabled(*f.m, "mnuEditFindNext"));
        QVERIFY(!f.m->toolButton("Find Next")->isEnabled());
        QVERIFY(f.m->toolButton("Find")->isEnabled());
    }

    void findNextWorksFromTheHistoryWhileTheDialogIsHidden()
    {
        FindFixture f;
        f.dlg->cbWhat->setEditText("COUNT");
        f.dlg->AddItem();
        QVERIFY(!f.dlg->isVisible());
        QVERIFY(f.m->toolButton("Find Next")->isEnabled());
        f.caret(0);
        f.e->Text->setFocus();
        QTest::keyClick(f.e->Text, Qt::Key_F3);
        QCOMPARE(f.selStart(), 0);  // "COUNT" at the start of the text
        QCOMPARE(f.selection(), QStringLiteral("COUNT"));
        QTest::keyClick(f.e->Text, Qt::Key_F3);
        // Without Match Case the next one is "count" on line 2.
        QCOMPARE(f.selection(), QStringLiteral("count"));
        f.m->toolButton("Find Next")->trigger();
        QCOMPARE(f.e->Text->textCursor().blockNumber(), 2);
        QVERIFY(!f.dlg->isVisible());
        QCOMPARE(f.dlg->historyCount(), 1);  // Find Next leaves the history alone
        QVERIFY(f.messages.isEmpty());
        // A new editor finds the history there too.
        NewEditor(*f.m);
        QVERIFY(f.m->toolButton("Find Next")->isEnabled());
        mnuEditOpening(*f.m);
        QVERIFY(enabled(*f.m, "mnuEditFindNext"));
    }

    void showFindTakesTheSelectionAsSearchText()
    {
        FindFixture f;
        f.select(12, 5);  // "START"
        f.m->runCommand("mnuEditFind");
        QVERIFY(f.dlg->isVisible());
        QCOMPARE(f.dlg->windowTitle(), QStringLiteral("Find"));
        QCOMPARE(f.dlg->cbWhat->currentText(), QStringLiteral("START"));
        QCOMPARE(f.history(f.dlg->cbWhat), QStringList{"START"});
        QVERIFY(f.m->toolButton("Find Next")->isEnabled());
        // Find mode: the replace controls are hidden.
        QVERIFY(f.dlg->cbWith->isHidden());
        QVERIFY(f.dlg->lbWith->isHidden());
        QVERIFY(f.dlg->cmdReplaceAll->isHidden());
        QCOMPARE(f.dlg->cmdReplace->text(), QStringLiteral("&Replace ..."));
        QVERIFY(f.dlg->cmdFindNext->isEnabled());
        // The same selection again does not repeat itself in the history.
        f.dlg->EndReplace();
        f.m->runCommand("mnuEditFind");
        QCOMPARE(f.history(f.dlg->cbWhat), QStringList{"START"});
        // Without a selection the first history item is offered.
        f.dlg->EndReplace();
        f.caret(0);
        f.dlg->cbWhat->insertItem(0, "STAA");
        f.dlg->cbWhat->setEditText("typed but never searched");
        f.m->runCommand("mnuEditFind");
        QCOMPARE(f.dlg->cbWhat->currentText(), QStringLiteral("STAA"));
    }

    void aSelectionOverSeveralLinesOffersItsFirstLine()
    {
        FindFixture f;
        f.select(0, 20);
        f.m->runCommand("mnuEditFind");
        QCOMPARE(f.dlg->cbWhat->currentText(), QStringLiteral("COUNT\tRMB\t1"));
    }

    void showReplaceShowsTheReplaceControls()
    {
        FindFixture f;
        f.dlg->cbWith->insertItem(0, "TOTAL");
        f.m->runCommand("mnuEditReplace");
        QCOMPARE(f.dlg->windowTitle(), QStringLiteral("Replace"));
        QVERIFY(!f.dlg->cbWith->isHidden());
        QVERIFY(!f.dlg->cmdReplaceAll->isHidden());
        QCOMPARE(f.dlg->cmdReplace->text(), QStringLiteral("&Replace"));
        QCOMPARE(f.dlg->cbWith->currentText(), QStringLiteral("TOTAL"));
        // No search text: nothing to find or replace.
        QCOMPARE(f.dlg->cbWhat->currentText(), QString());
        QVERIFY(!f.dlg->cmdFindNext->isEnabled());
        QVERIFY(!f.dlg->cmdReplace->isEnabled());
        QVERIFY(!f.dlg->cmdReplaceAll->isEnabled());
        f.what("X");
        QVERIFY(f.dlg->cmdFindNext->isEnabled());
        QVERIFY(f.dlg->cmdReplaceAll->isEnabled());
        QTest::keyClick(f.dlg->cbWhat->lineEdit(), Qt::Key_Backspace);
        QVERIFY(!f.dlg->cmdReplaceAll->isEnabled());
    }

    void replaceInFindModeSwitchesToReplaceMode()
    {
        FindFixture f;
        f.m->runCommand("mnuEditFind");
        f.what("COUNT");
        const QString before = f.text();
        QTest::mouseClick(f.dlg->cmdReplace, Qt::LeftButton);
        QVERIFY(f.dlg->replaceMode());
        QCOMPARE(f.dlg->windowTitle(), QStringLiteral("Replace"));
        QCOMPARE(f.text(), before);
        QCOMPARE(f.history(f.dlg->cbWhat), QStringList{"COUNT"});
    }

    void findNextDownDoesNotWrap()
    {
        FindFixture f;
        f.m->runCommand("mnuEditFind");
        f.what("RMB");
        f.caret(10);  // after the only RMB
        QTest::mouseClick(f.dlg->cmdFindNext, Qt::LeftButton);
        QCOMPARE(f.messages, QStringList{"Tarvine - Search|Search Text not found !"});
        QCOMPARE(f.selStart(), 10);
        QVERIFY(f.selection().isEmpty());
        QCOMPARE(f.history(f.dlg->cbWhat), QStringList{"RMB"});  // AddItem ran first
    }

    void upSearchTakesTheLaterOfTwoOccurrencesBeforeTheCaret()
    {
        FindFixture f;
        f.m->runCommand("mnuEditFind");
        f.what("START");
        QTest::mouseClick(f.dlg->optUp, Qt::LeftButton);
        QVERIFY(f.dlg->optUp->isChecked());
        f.caret(int(f.text().size()));
        QTest::mouseClick(f.dlg->cmdFindNext, Qt::LeftButton);
        QCOMPARE(f.e->Text->textCursor().blockNumber(), 3);  // "\tBRA\tSTART"
        QCOMPARE(f.selection(), QStringLiteral("START"));
        QTest::mouseClick(f.dlg->cmdFindNext, Qt::LeftButton);
        QCOMPARE(f.selStart(), 12);
        QTest::mouseClick(f.dlg->cmdFindNext, Qt::LeftButton);
        QCOMPARE(f.messages, QStringList{"Tarvine - Search|Search Text not found !"});
        QCOMPARE(f.selStart(), 12);
    }

    void matchCaseDecidesWhetherLowerCaseFindsUpperCase()
    {
        FindFixture f;
        f.m->runCommand("mnuEditFind");
        f.what("staa");
        f.caret(0);
        QTest::mouseClick(f.dlg->cmdFindNext, Qt::LeftButton);
        QCOMPARE(f.selection(), QStringLiteral("STAA"));
        f.caret(0);
        QTest::mouseClick(f.dlg->chkCase, Qt::LeftButton);
        QVERIFY(f.dlg->chkCase->isChecked());
        QTest::mouseClick(f.dlg->cmdFindNext, Qt::LeftButton);
        QCOMPARE(f.messages, QStringList{"Tarvine - Search|Search Text not found !"});
    }

    void replaceReplacesOnlyAnExactSelection()
    {
        FindFixture f;
        f.m->runCommand("mnuEditReplace");
        f.what("COUNT");
        f.with("TOTAL");
        // "count" on line 2 differs in case: Replace searches on instead.
        const int lower = int(f.text().indexOf("count"));
        f.select(lower, 5);
        QTest::mouseClick(f.dlg->cmdReplace, Qt::LeftButton);
        QCOMPARE(f.text(), QString::fromLatin1(kSource));
        QCOMPARE(f.selection(), QStringLiteral("COUNT"));
        QCOMPARE(f.e->Text->textCursor().blockNumber(), 2);
        // Now the selection is the search text: it is replaced, and the
        // inserted text is selected.
        QTest::mouseClick(f.dlg->cmdReplace, Qt::LeftButton);
        QVERIFY(f.text().contains("\tSTAA\tTOTAL\n"));
        QCOMPARE(f.selection(), QStringLiteral("TOTAL"));
        QVERIFY(f.e->TextChanged());
        QCOMPARE(f.history(f.dlg->cbWith), QStringList{"TOTAL"});
        QVERIFY(f.messages.isEmpty());
    }

    void replaceAllCountsWhatItReplaced_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("with");
        QTest::addColumn<bool>("up");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("after");
        const QString src = QString::fromLatin1(kSource);
        QString three = src;
        three.replace("COUNT", "N", Qt::CaseInsensitive);
        QTest::newRow("three") << "COUNT" << "N" << false << "Tarvine - Replace|3 items replaced !" << three;
        QString one = src;
        one.replace("RMB", "FCB");
        QTest::newRow("one") << "RMB" << "FCB" << false << "Tarvine - Replace|1 item replaced !" << one;
        QTest::newRow("none") << "LDX" << "LDY" << false << "Tarvine - Search|Search Text not found !" << src;
        // Up from the end, the replacement holding the search text: each
        // occurrence once, and it stops.
        QString grown = src;
        grown.replace("START", "START_START");
        QTest::newRow("up, contains itself")
            << "START" << "START_START" << true << "Tarvine - Replace|2 items replaced !" << grown;
        QString gone = src;
        gone.replace("RMB", "");
        QTest::newRow("into nothing") << "RMB" << "" << false << "Tarvine - Replace|1 item replaced !" << gone;
    }

    void replaceAllCountsWhatItReplaced()
    {
        QFETCH(QString, what);
        QFETCH(QString, with);
        QFETCH(bool, up);
        QFETCH(QString, message);
        QFETCH(QString, after);
        FindFixture f;
        f.m->runCommand("mnuEditReplace");
        f.what(what);
        f.with(with);
        if (up)
            QTest::mouseClick(f.dlg->optUp, Qt::LeftButton);
        f.caret(up ? int(f.text().size()) : 0);
        QTest::mouseClick(f.dlg->cmdReplaceAll, Qt::LeftButton);
        QCOMPARE(f.messages, QStringList{message});
        QCOMPARE(f.text(), after);
        QCOMPARE(f.history(f.dlg->cbWith), with.isEmpty() ? QStringList{} : QStringList{with});
    }

    void oneUndoTakesTheWholeReplaceAllBack()
    {
        FindFixture f;
        f.m->runCommand("mnuEditReplace");
        f.what("COUNT");
        f.with("N");
        f.caret(0);
        QTest::mouseClick(f.dlg->cmdReplaceAll, Qt::LeftButton);
        QVERIFY(!f.text().contains("COUNT", Qt::CaseInsensitive));
        QVERIFY(f.e->Undo());
        f.m->runCommand("mnuEditUndo");
        QCOMPARE(f.text(), QString::fromLatin1(kSource));
        f.m->runCommand("mnuEditRedo");
        QVERIFY(!f.text().contains("COUNT", Qt::CaseInsensitive));
    }

    void replaceAllStartsWithAnExactSelection()
    {
        FindFixture f;
        f.m->runCommand("mnuEditReplace");
        f.what("START");
        f.with("BEGIN");
        const int second = int(f.text().lastIndexOf("START"));
        f.select(second, 5);
        QTest::mouseClick(f.dlg->cmdReplaceAll, Qt::LeftButton);
        // The selection and nothing before it (searching down from there).
        QCOMPARE(f.messages, QStringList{"Tarvine - Replace|1 item replaced !"});
        QVERIFY(f.text().startsWith("COUNT\tRMB\t1\nSTART\t"));
        QVERIFY(f.text().endsWith("\tBRA\tBEGIN\n"));
        QCOMPARE(f.selStart(), second + 5);
        QVERIFY(f.selection().isEmpty());
    }

    void theSelectionStaysVisibleWhileTheDialogWorks()
    {
        FindFixture f;
        // A style whose unfocused selection differs from the focused one.
        QPalette p = f.e->Text->palette();
        p.setColor(QPalette::Active, QPalette::Highlight, QColor(0, 0, 200));
        p.setColor(QPalette::Inactive, QPalette::Highlight, QColor(230, 230, 230));
        f.e->Text->setPalette(p);
        f.select(0, 5);
        f.m->runCommand("mnuEditFind");
        QCOMPARE(f.e->Text->palette().color(QPalette::Inactive, QPalette::Highlight), QColor(0, 0, 200));
        QTest::mouseClick(f.dlg->cmdCancel, Qt::LeftButton);
        QVERIFY(!f.dlg->isVisible());
        QCOMPARE(f.e->Text->palette().color(QPalette::Inactive, QPalette::Highlight), QColor(230, 230, 230));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.e->Text));
    }

    void escapeClosesTheDialogLikeCancel()
    {
        FindFixture f;
        f.m->runCommand("mnuEditFind");
        QTRY_VERIFY(f.dlg->isActiveWindow());
        QTest::keyClick(f.dlg->cbWhat, Qt::Key_Escape);
        QVERIFY(!f.dlg->isVisible());
    }

    void theDialogHidesWhenItsEditorIsDeactivated()
    {
        FindFixture f;
        f.m->runCommand("mnuEditFind");
        QVERIFY(f.dlg->isVisible());
        frmEditor* other = NewEditor(*f.m);
        QVERIFY(other);
        QVERIFY(!f.dlg->isVisible());
        f.m->runCommand("mnuEditReplace");
        QVERIFY(f.dlg->isVisible());
        f.m->runCommand("mnuFileClose");
        QTRY_VERIFY(!f.dlg->isVisible());
        // With no editor at all the commands do nothing.
        f.m->runCommand("mnuFileClose");
        QTRY_VERIFY(f.m->editors().isEmpty());
        f.m->runCommand("mnuEditFind");
        f.m->runCommand("mnuEditFindNext");
        QVERIFY(!f.dlg->isVisible());
        QVERIFY(f.messages.isEmpty());
    }

    void theShortcutsOpenTheDialogs()
    {
        FindFixture f;
        f.e->Text->setFocus();
        QTest::keySequence(f.e->Text, QKeySequence(QStringLiteral("Ctrl+F")));
        QVERIFY(f.dlg->isVisible());
        QVERIFY(!f.dlg->replaceMode());
        f.dlg->EndReplace();
        QTest::keySequence(f.e->Text, QKeySequence(QStringLiteral("Ctrl+H")));
        QVERIFY(f.dlg->isVisible());
        QVERIFY(f.dlg->replaceMode());
        f.dlg->EndReplace();
        bool opened = false;
        QTimer::singleShot(0, [&] {
            if (auto* d = f.m->findChild<frmLine*>()) {
                opened = true;
                d->reject();
            }
        });
        QTest::keySequence(f.e->Text, QKeySequence(QStringLiteral("Ctrl+G")));
        QVERIFY(opened);
        QCOMPARE(f.text(), QString::fromLatin1(kSource));
    }

    void thePlaceholdersAreGone()
    {
        FindFixture f;
        for (const char* c : {"mnuEditFind", "mnuEditReplace", "mnuEditFindNext"}) {
            f.m->runCommand(c);
            QVERIFY2(!f.m->statusBar()->currentMessage().contains("not available"), c);
        }
    }

    // ---- Go To Line ------------------------------------------------------------

    void goToLineMovesTheCaretToTheStartOfTheLine_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("line");
        QTest::newRow("third") << "3" << 2;
        QTest::newRow("first") << "1" << 0;
        QTest::newRow("leading zeros") << "0002" << 1;
        QTest::newRow("beyond the end") << "999999999" << 4;  // the empty last line
    }

    void goToLineMovesTheCaretToTheStartOfTheLine()
    {
        QFETCH(QString, typed);
        QFETCH(int, line);
        FindFixture f;
        f.select(3, 4);
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* d = f.m->findChild<frmLine*>();
            QVERIFY(d && d->isModal() && d->isVisible());
            seen = true;
            QCOMPARE(d->windowTitle(), QStringLiteral("Go To Line"));
            QCOMPARE(d->lbLine->text(), QStringLiteral("Line Number:"));
            QTest::keyClicks(d->txtLine, typed);
            QTest::keyClick(d->txtLine, Qt::Key_Return);
        });
        f.m->runCommand("mnuEditGoToLine");
        QVERIFY(seen);
        QVERIFY(!f.m->findChild<frmLine*>());
        QCOMPARE(f.e->Text->textCursor().blockNumber(), line);
        QCOMPARE(f.e->Text->textCursor().positionInBlock(), 0);
        QVERIFY(!f.e->Text->textCursor().hasSelection());
        QVERIFY(f.messages.isEmpty());
    }

    void goToLineRefusesWhatIsNotALineNumber()
    {
        FindFixture f;
        f.caret(2);
        QStringList cleared;
        QTimer::singleShot(0, [&] {
            auto* d = f.m->findChild<frmLine*>();
            QVERIFY(d);
            for (const char* bad : {"0", "5a"}) {
                d->txtLine->clear();
                QTest::keyClicks(d->txtLine, bad);
                QTest::mouseClick(d->cmdOK, Qt::LeftButton);
                cleared << d->txtLine->text();
                QVERIFY(d->isVisible());  // the dialog stays open
            }
            // Enter with nothing typed does nothing.
            QTest::keyClick(d->txtLine, Qt::Key_Return);
            QVERIFY(d->isVisible());
            // At most nine digits are taken.
            QTest::keyClicks(d->txtLine, "12345678901");
            cleared << d->txtLine->text();
            QTest::mouseClick(d->cmdCancel, Qt::LeftButton);
        });
        f.m->runCommand("mnuEditGoToLine");
        QCOMPARE(cleared, (QStringList{"", "", "123456789"}));
        const QString msg = "Tarvine - Go To Line|Please Enter an Integer (1 .. 999999999) !";
        QCOMPARE(f.messages, (QStringList{msg, msg}));
        // Cancel leaves the caret where it was.
        QCOMPARE(f.e->Text->textCursor().position(), 2);
        QVERIFY(!f.m->statusBar()->currentMessage().contains("not available"));
    }
};

QTEST_MAIN(FindTest)
#include "FindTest.moc"
