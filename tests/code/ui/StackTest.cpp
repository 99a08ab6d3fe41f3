// The stack window over the simulator: going to SP (the current row keeps
// SP), the SP row in bold following SP after a refresh, paging and the wrap
// below $0000, editing a byte in place (through the Enter Value dialog and
// straight), the refresh cycle after a step, and the pop-up menu.
#include "UiFixture.h"

#include "code/ui/frmStack.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>

using namespace zelk;
using Colour = RowView::Colour;

class StackTest : public QObject {
    Q_OBJECT
private slots:
    void opensAtSPWithSPRowBold()
    {
        UiFixture f;
        f.setRegs(0xC000, 0x01F0);
        f.put(0x01F0, {0x11, 0x22, 0x33});
        auto* s = f.open<frmStack>("mnuViewStack", 10);
        QVERIFY(s);
        QCOMPARE(s->stackTop(), 0x01F0);
        QCOMPARE(s->currentRow(), 1);
        QCOMPARE(s->rowView()->text(1), QStringLiteral(" $01F0:   $11"));
        QCOMPARE(s->rowView()->text(3), QStringLiteral(" $01F2:   $33"));
        QCOMPARE(s->rowView()->text(50), QStringLiteral(" $0221:   $00"));
        QVERIFY(s->rowView()->bold(1));
        QVERIFY(!s->rowView()->bold(2));
        QCOMPARE(s->rowView()->colour(1), Colour::Current);
    }

    void goToSPKeepsTheCurrentRow_data()
    {
        QTest::addColumn<int>("sp");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("top");
        QTest::newRow("SP $00FF on row 5") << 0x00FF << 5 << 0x00FB;
        QTest::newRow("SP $0002 on row 5 wraps") << 0x0002 << 5 << 0xFFFE;
        QTest::newRow("SP $FFFF on row 1") << 0xFFFF << 1 << 0xFFFF;
    }

    void goToSPKeepsTheCurrentRow()
    {
        QFETCH(int, sp);
        QFETCH(int, row);
        QFETCH(int, top);
        UiFixture f;
        f.setRegs(0xC000, 0x4000);
        auto* s = f.open<frmStack>("mnuViewStack", 10);
        s->SetCurRow(row);
        f.setRegs(0xC000, sp);
        s->mnuGoToSPAddress();
        QCOMPARE(s->stackTop(), top);
        QCOMPARE(s->currentRow(), row);
        QVERIFY(s->rowView()->bold(row));
    }

    void goToSPOnTheShownPageOnlyMovesTheRow()
    {
        UiFixture f;
        f.setRegs(0xC000, 0x0100);
        auto* s = f.open<frmStack>("mnuViewStack", 10);
        f.setRegs(0xC000, 0x0104);
        s->mnuGoToSPAddress();
        QCOMPARE(s->stackTop(), 0x0100);
        QCOMPARE(s->currentRow(), 5);
    }

    void upOnRowOneAtZeroShowsFFFF()
    {
        UiFixture f;
        f.setRegs(0xC000, 0x0000);
        f.put(0xFFFF, {0xAB});
        auto* s = f.open<frmStack>("mnuViewStack", 10);
        QCOMPARE(s->stackTop(), 0x0000);
        s->keyUp();
        QCOMPARE(s->stackTop(), 0xFFFF);
        QCOMPARE(s->currentRow(), 1);
        QCOMPARE(s->rowView()->text(1), QStringLiteral(" $FFFF:   $AB"));
        QCOMPARE(s->rowView()->text(2), QStringLiteral(" $0000:   $00"));
    }

    void keyboardPaging()
    {
        UiFixture f;
        f.setRegs(0xC000, 0x0200);
        auto* s = f.open<frmStack>("mnuViewStack", 8);
        const int visible = s->visibleRows();
        QVERIFY(visible >= 6 && visible <= 9);
        s->keyDown();
        QCOMPARE(s->currentRow(), 2);
        QCOMPARE(s->stackTop(), 0x0200);
        s->SetCurRow(visible);
        s->keyDown();
        QCOMPARE(s->stackTop(), 0x0201);
        QCOMPARE(s->currentRow(), visible);
        s->keyPageDown();
        QCOMPARE(s->stackTop(), 0x0201 + visible);
        s->keyPageUp();
        s->keyPageUp();
        QCOMPARE(s->stackTop(), 0x0201 - visible);
        QCOMPARE(s->currentRow(), visible);
        s->keyUp();
        QCOMPARE(s->currentRow(), visible - 1);
    }

    void editWritesTheByteThroughTheDialog()
    {
        UiFixture f;
        f.setRegs(0xC000, 0x00FC);
        f.put(0x00FE, {0x12});
        auto* s = f.open<frmStack>("mnuViewStack", 10);
        s->SetCurRow(3);
        QCOMPARE(s->rowView()->text(3), QStringLiteral(" $00FE:   $12"));
        QTimer::singleShot(0, [] {
            auto* w = QApplication::activeModalWidget();
            QVERIFY(w);
            QCOMPARE(w->findChild<QLabel*>("lbName")->text(), QStringLiteral("$00FE:"));
            auto* box = w->findChild<QLineEdit*>("txtValue");
            QCOMPARE(box->text(), QStringLiteral("$12"));
            QTest::keyClicks(box, "$34");
            QTest::keyClick(box, Qt::Key_Return);
        });
        QTest::keyClick(s->rowView(), Qt::Key_Return);
        QCOMPARE(f.m().access().image()[0x00FE], uint8_t(0x34));
        QCOMPARE(s->rowView()->text(3), QStringLiteral(" $00FE:   $34"));
        QCOMPARE(s->currentRow(), 3);
    }

    void editCancelledChangesNothing()
    {
        UiFixture f;
        f.setRegs(0xC000, 0x00FC);
        f.put(0x00FD, {0x56});
        auto* s = f.open<frmStack>("mnuViewStack", 10);
        s->SetCurRow(2);
        QTimer::singleShot(0, [] {
            auto* w = QApplication::activeModalWidget();
            QVERIFY(w);
            QTest::keyClick(w, Qt::Key_Escape);
        });
        s->mnuEnter();
        QCOMPARE(f.m().access().image()[0x00FD], uint8_t(0x56));
    }

    void editWritesTheLowByte_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("stored");
        QTest::newRow("byte") << 0x7F << 0x7F;
        QTest::newRow("word cut to its low byte") << 0x1FF << 0xFF;
        QTest::newRow("zero") << 0 << 0;
    }

    void editWritesTheLowByte()
    {
        QFETCH(int, value);
        QFETCH(int, stored);
        UiFixture f;
        f.setRegs(0xC000, 0x0300);
        f.put(0x0300, {0xEE});
        auto* s = f.open<frmStack>("mnuViewStack", 10);
        s->enterValue(value);
        QCOMPARE(int(f.m().access().image()[0x0300]), stored);
        QCOMPARE(s->rowView()->text(1), QStringLiteral(" $0300:   $%1").arg(stored, 2, 16, QChar('0')).toUpper());
    }

    void stepRefreshesBytesAndMovesTheBoldRow()
    {
        UiFixture f;
        f.put(0xC000, {0x86, 0x5A, 0x36, 0x36});  // LDAA #$5A / PSHA / PSHA
        f.setRegs(0xC000, 0x0400);
        auto* s = f.open<frmStack>("mnuViewStack", 10);
        s->SetCurRow(5);
        f.setRegs(0xC000, 0x00FF);
        s->mnuGoToSPAddress();
        QCOMPARE(s->stackTop(), 0x00FB);
        f.m().runCommand("mnuRunStepInto");
        f.m().runCommand("mnuRunStepInto");  // PSHA: $5A at $00FF, SP = $00FE
        QCOMPARE(s->rowView()->text(5), QStringLiteral(" $00FF:   $5A"));
        QVERIFY(s->rowView()->bold(4));
        QVERIFY(!s->rowView()->bold(5));
        f.m().runCommand("mnuRunStepInto");
        QCOMPARE(s->rowView()->text(4), QStringLiteral(" $00FE:   $5A"));
        QVERIFY(s->rowView()->bold(3));
        QVERIFY(!s->rowView()->bold(4));
    }

    void aPushPastTheTopOfThePageIsFollowed()
    {
        UiFixture f;
        f.put(0xC000, {0x86, 0x77, 0x36});  // LDAA #$77 / PSHA
        f.setRegs(0xC000, 0x0100);
        auto* s = f.open<frmStack>("mnuViewStack", 10);
        QCOMPARE(s->stackTop(), 0x0100);
        QCOMPARE(s->currentRow(), 1);
        f.m().runCommand("mnuRunStepInto");
        f.m().runCommand("mnuRunStepInto");  // SP = $00FF, above the page
        QCOMPARE(f.m().access().regs.SP, 0x00FF);
        QCOMPARE(s->stackTop(), 0x00FF);
        QCOMPARE(s->currentRow(), 1);
        QVERIFY(s->rowView()->bold(1));
        QCOMPARE(s->rowView()->text(2), QStringLiteral(" $0100:   $77"));
    }

    void spLeavingThePageOnRefresh_data()
    {
        QTest::addColumn<int>("newSp");
        QTest::addColumn<int>("top");
        // Page $00F0-$00F9 (ten rows), row 3 current.
        QTest::newRow("below the page") << 0x00FA << 0x00F8;
        QTest::newRow("far away") << 0x2000 << 0x1FFE;
        QTest::newRow("above the page, wrapping") << 0x0001 << 0xFFFF;
    }
    void spLeavingThePageOnRefresh()
    {
        QFETCH(int, newSp);
        QFETCH(int, top);
        UiFixture f;
        f.setRegs(0xC000, 0x00F0);
        auto* s = f.open<frmStack>("mnuViewStack", 10);
        QCOMPARE(s->visibleRows(), 10);
        s->SetCurRow(3);
        f.setRegs(0xC000, 0x00F0);
        s->mnuRefresh();
        QCOMPARE(s->stackTop(), 0x00F0);  // SP still shown: the page stays
        f.setRegs(0xC000, newSp);
        s->mnuRefresh();
        QCOMPARE(s->stackTop(), top);
        QCOMPARE(s->currentRow(), 3);
        QVERIFY(s->rowView()->bold(3));
    }

    void aPageMovedAwayFromSPStaysOnRefresh()
    {
        UiFixture f;
        f.setRegs(0xC000, 0x00F0);
        auto* s = f.open<frmStack>("mnuViewStack", 10);
        s->goToAddress(0x8000);
        f.setRegs(0xC000, 0x00EF);
        s->mnuRefresh();
        QCOMPARE(s->stackTop(), 0x8000);
        for (int r = 1; r <= 10; ++r)
            QVERIFY(!s->rowView()->bold(r));
    }

    void goToAddressAndPopup()
    {
        UiFixture f;
        f.setRegs(0xC000, 0x00FF);
        auto* s = f.open<frmStack>("mnuViewStack", 10);
        s->SetCurRow(4);
        QTimer::singleShot(0, [] {
            auto* w = QApplication::activeModalWidget();
            QVERIFY(w);
            QCOMPARE(w->property("helpContext").toInt(), 192);
            QTest::keyClicks(w->findChild<QLineEdit*>("txtAdr"), "@1000");
            QTest::keyClick(w->findChild<QLineEdit*>("txtAdr"), Qt::Key_Return);
        });
        s->mnuGoToAddress();
        QCOMPARE(s->stackTop(), 0x0200);
        QCOMPARE(s->currentRow(), 1);
        QMenu* popup = s->popup();
        QCOMPARE(popup->objectName(), QStringLiteral("mnuPopupStack"));
        QStringList captions;
        for (QAction* a : popup->actions())
            captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(captions, (QStringList{"Enter &Value ...", "-", "Go To &SP Address", "Go To &Address ...",
                                        "&Refresh Window"}));
        s->ClearScreen();
        QCOMPARE(s->currentRow(), 0);
        QCOMPARE(s->rowView()->text(1), QString());
        s->mnuEnter();  // no current row: nothing happens, no dialog
        QVERIFY(!QApplication::activeModalWidget());
    }

    void freezeRemovesTheHighlight()
    {
        UiFixture f;
        f.setRegs(0xC000, 0x00FF);
        auto* s = f.open<frmStack>("mnuViewStack", 10);
        QCOMPARE(s->rowView()->colour(1), Colour::Current);
        f.m().FreezeDisplay();
        QCOMPARE(s->rowView()->colour(1), Colour::Plain);
        QVERIFY(!s->isEnabled());
        f.m().ThawDisplay();
        QVERIFY(s->isEnabled());
    }
};

QTEST_MAIN(StackTest)
#include "StackTest.moc"
