// The memory window inside the main window: opening through the View item
// with the address question, paging through all 64 KB with the keyboard and
// the scroll bar, cells rewritten only when their text changes, byte and
// character edits typed into the in-place editor landing in the image,
// Esc, ROM on a board, a failed read, the end of memory and a window too
// small for one line.
#include "RegisterMemoryTestSupport.h"

#include "views/MemoryPage.h"
#include "views/ui/frmMemory.h"

#include <QAction>
#include <QLineEdit>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableWidget>
#include <QWheelEvent>
#include <QtTest>

using namespace zelk;
using namespace zelk::memgrid;

class MemoryWindowTest : public QObject {
    Q_OBJECT

    WindowFixture f_;
    int asked_ = 0;          // how often Memory Display Address opened
    int answer_ = 0;         // the address typed there; -1 cancels

    frmMemory* window() { return qobject_cast<frmMemory*>(f_.main->viewWidget("mnuViewMemory")); }

    frmMemory* openAt(int address)
    {
        answer_ = address;
        if (!window())
            f_.main->runCommand("mnuViewMemory");
        else
            window()->mnuMemoryAddress();
        frmMemory* w = window();
        if (w)
            f_.activate(w);
        return w;
    }

    void fillPattern()
    {
        for (int a = 0; a < 0x10000; ++a)
            f_.image()[a] = uint8_t((a >> 8) ^ (a * 13));
    }

    // Every data cell of the page against the image.
    bool pageMatchesImage(frmMemory* w)
    {
        const int32_t da = w->displayAddress();
        for (int r = 0; r < w->LineCount(); ++r) {
            if (w->cellText(r, AddressColumn) != QString(" $%1:").arg(da + r * 16, 4, 16, QChar('0')).toUpper())
                return false;
            for (int i = 0; i < 16; ++i) {
                const uint8_t b = f_.image()[da + r * 16 + i];
                if (w->cellText(r, FirstHex + i) != QString("%1").arg(b, 2, 16, QChar('0')).toUpper())
                    return false;
                if (w->cellText(r, FirstChar + i) != QString(QChar(memoryChar(b))))
                    return false;
            }
        }
        return true;
    }

    void typeIntoCell(frmMemory* w, int row, int column, const QString& keys)
    {
        w->clickCell(row, column);
        w->mnuMemoryEnter();
        QTest::keyClicks(w->txtData, keys);
    }

private slots:
    void initTestCase()
    {
        f_.start();
        frmMemory::memoryAddress = [this](QWidget*, DialogFields& f) {
            ++asked_;
            if (answer_ >= 0) {
                f.DialogAddress = answer_;
                f.DialogOK = true;
            }
        };
    }

    void cleanupTestCase()
    {
        f_.main->closeView("mnuViewMemory");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void init()
    {
        AccessLayer& a = f_.main->access();
        a.setMode(TargetMode::Simulator);
        a.setBoard(nullptr);
        a.setLinkReady(true);
        fillPattern();
        f_.messages.clear();
        asked_ = 0;
    }

    void openingAsksWhereToStart()
    {
        frmMemory* w = openAt(0xFFF0);
        QVERIFY(w);
        QCOMPARE(asked_, 1);
        QVERIFY(f_.main->isShown("mnuViewMemory"));
        QCOMPARE(w->windowTitle(), QString("Memory Window"));
        const int lines = w->LineCount();
        QVERIFY2(lines >= 4, qPrintable(QString::number(lines)));
        // The page ends at $FFFF with the cursor on the line of $FFF0.
        QCOMPARE(w->displayAddress(), 0x10000 - lines * 16);
        QCOMPARE(w->cursor().row, lines - 1);
        QCOMPARE(w->cursor().address(), 0xFFF0);
        QCOMPARE(w->cellText(lines - 1, AddressColumn), QString(" $FFF0:"));
        QVERIFY(pageMatchesImage(w));
        QCOMPARE(w->gridMemory->horizontalHeaderItem(FirstHex + 10)->text(), QString("0A"));
        QCOMPARE(w->gridMemory->horizontalHeaderItem(FirstChar + 10)->text(), QString("A"));

        f_.main->menuItem("mnuViewMemory")->trigger();  // open: the View item closes it
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!window());
        QVERIFY(!f_.main->isShown("mnuViewMemory"));
        QVERIFY(!f_.main->menuItem("mnuViewMemory")->isChecked());

        // The View item opens it again and asks again.
        f_.main->menuItem("mnuViewMemory")->trigger();
        QVERIFY(window());
        QCOMPARE(asked_, 2);
        QVERIFY(f_.main->menuItem("mnuViewMemory")->isChecked());
    }

    void cancelShowsAddressZero()
    {
        openAt(0x1234);
        frmMemory* w = openAt(-1);
        QCOMPARE(w->displayAddress(), 0);
        QCOMPARE(w->cursor().row, 0);
        QCOMPARE(w->cursor().column, FirstHex);
        QVERIFY(pageMatchesImage(w));
    }

    void jumpKeepsTheColumnOfTheAddress()
    {
        frmMemory* w = openAt(0x1234);
        QCOMPARE(w->displayAddress(), 0x1230);
        QCOMPARE(w->cursor().row, 0);
        QCOMPARE(w->cursor().column, FirstHex + 4);
        QVERIFY(pageMatchesImage(w));
    }

    void pagingThroughAllMemory()
    {
        frmMemory* w = openAt(0);
        const int lines = w->LineCount();
        const int32_t last = 0x10000 - lines * 16;
        int pages = 1;
        QVERIFY(pageMatchesImage(w));
        while (w->displayAddress() < last) {
            const int32_t before = w->displayAddress();
            QTest::keyClick(w->gridMemory, Qt::Key_PageDown);
            QCOMPARE(w->displayAddress(), std::min(before + lines * 16, last));
            QVERIFY2(pageMatchesImage(w), qPrintable(QString::number(w->displayAddress(), 16)));
            ++pages;
        }
        QCOMPARE(pages, (last + lines * 16 - 1) / (lines * 16) + 1);
        QTest::keyClick(w->gridMemory, Qt::Key_PageDown);
        QCOMPARE(w->displayAddress(), last);
        while (w->displayAddress() > 0)
            QTest::keyClick(w->gridMemory, Qt::Key_PageUp);
        QVERIFY(pageMatchesImage(w));
    }

    void scrollBarPages()
    {
        frmMemory* w = openAt(0);
        w->VScroll->setValue(0x123);
        QCOMPARE(w->displayAddress(), 0x1230);
        QVERIFY(pageMatchesImage(w));
        w->VScroll->setValue(w->VScroll->maximum());
        QCOMPARE(w->displayAddress(), 0x10000 - w->LineCount() * 16);
        QVERIFY(pageMatchesImage(w));
        QCOMPARE(w->VScroll->maximum(), 4096 - w->LineCount());

        // The wheel scrolls three lines a notch.
        w->VScroll->setValue(0x100);
        QWheelEvent down(QPointF(50, 50), w->gridMemory->viewport()->mapToGlobal(QPointF(50, 50)), QPoint(),
                         QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w->gridMemory->viewport(), &down);
        QCOMPARE(w->displayAddress(), 0x1030);
        QVERIFY(pageMatchesImage(w));
    }

    void arrowKeysScrollAtTheEdges()
    {
        frmMemory* w = openAt(0x0100);
        QTest::keyClick(w->gridMemory, Qt::Key_Left);  // before the first byte: the line above
        QCOMPARE(w->displayAddress(), 0x00F0);
        QCOMPARE(w->cursor().address(), 0x00FF);
        QTest::keyClick(w->gridMemory, Qt::Key_Tab);
        QCOMPARE(w->cursor().column, LastChar);
        QTest::keyClick(w->gridMemory, Qt::Key_Right);  // after the last character: next line
        QCOMPARE(w->cursor().column, FirstChar);
        QCOMPARE(w->cursor().address(), 0x0100);
        QVERIFY(pageMatchesImage(w));

        w = openAt(0xFFFF);
        QTest::keyClick(w->gridMemory, Qt::Key_Right);
        QCOMPARE(w->cursor().address(), 0xFFFF);
        QTest::keyClick(w->gridMemory, Qt::Key_Down);
        QCOMPARE(w->cursor().address(), 0xFFFF);
    }

    void clicksSettleOnDataCells()
    {
        frmMemory* w = openAt(0x2000);
        w->clickCell(2, FirstChar + 3);
        w->clickCell(1, MidSpacer);
        QCOMPARE(w->cursor().column, FirstChar);
        QCOMPARE(w->cursor().row, 1);
        w->clickCell(1, AddressColumn);
        QCOMPARE(w->cursor().column, FirstChar);
        w->clickCell(1, FirstHex + 2);
        w->clickCell(1, ColumnCount - 1);
        QCOMPARE(w->cursor().column, LastHex);
    }

    void cellsAreRewrittenOnlyWhenTheirTextChanges()
    {
        f_.image()[0x4011] = 0x41;
        frmMemory* w = openAt(0x4000);
        w->mnuMemoryRefresh();
        QCOMPARE(w->lastCellWrites(), 0);
        f_.image()[0x4011] = 0x42;
        w->mnuMemoryRefresh();
        QCOMPARE(w->lastCellWrites(), 2);  // its hex and character cells
        QVERIFY(pageMatchesImage(w));
    }

    void theCycleLeavesTheMemoryWindowAlone()
    {
        frmMemory* w = openAt(0x3000);
        const QString before = w->cellText(0, FirstHex);
        f_.image()[0x3000] = uint8_t(f_.image()[0x3000] ^ 0xFF);
        f_.main->RefreshRun();
        QCOMPARE(w->cellText(0, FirstHex), before);
        w->mnuMemoryRefresh();
        QVERIFY(w->cellText(0, FirstHex) != before);
    }

    void editingAByte_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("value");
        QTest::newRow("7") << "7" << 0x07;
        QTest::newRow("7F") << "7F" << 0x7F;
        QTest::newRow("lower case") << "ab" << 0xAB;
        QTest::newRow("third digit dropped") << "7F1" << 0x7F;
        QTest::newRow("letters dropped") << "xz5q" << 0x05;
        QTest::newRow("zero") << "00" << 0x00;
    }
    void editingAByte()
    {
        QFETCH(QString, keys);
        QFETCH(int, value);
        frmMemory* w = openAt(0x0200);
        typeIntoCell(w, 1, FirstHex + 3, keys);
        QVERIFY(w->txtData->isVisible());
        QTest::keyClick(w->txtData, Qt::Key_Return);
        QVERIFY(!w->txtData->isVisible());
        QCOMPARE(int(f_.image()[0x0213]), value);
        QCOMPARE(w->cellText(1, FirstHex + 3), QString("%1").arg(value, 2, 16, QChar('0')).toUpper());
        QCOMPARE(w->cellText(1, FirstChar + 3), QString(QChar(memoryChar(uint8_t(value)))));
        QVERIFY(f_.messages.isEmpty());
    }

    void statusShowsTheByteUnderTheCursor()
    {
        f_.image()[0x0245] = 0x41;
        frmMemory* w = openAt(0x0200);
        w->clickCell(4, FirstChar + 5);
        QCOMPARE(w->sbStatusBar->currentMessage(), QString("$0245 = $41  %01000001  65  'A'"));
        // A written byte shows at once, in either of its cells.
        typeIntoCell(w, 4, FirstHex + 5, "7E");
        QTest::keyClick(w->txtData, Qt::Key_Return);
        QCOMPARE(w->sbStatusBar->currentMessage(), QString("$0245 = $7E  %01111110  126  '~'"));
    }

    void overtypeBeforeTheFirstDigit()
    {
        frmMemory* w = openAt(0x0200);
        typeIntoCell(w, 0, FirstHex, "7F");
        QTest::keyClick(w->txtData, Qt::Key_Home);
        QTest::keyClick(w->txtData, Qt::Key_A);
        QCOMPARE(w->txtData->text(), QString("AF"));
        QTest::keyClick(w->txtData, Qt::Key_Enter);
        QCOMPARE(int(f_.image()[0x0200]), 0xAF);
    }

    void editingACharacter()
    {
        frmMemory* w = openAt(0x0300);
        typeIntoCell(w, 0, FirstChar + 5, "A");
        QTest::keyClick(w->txtData, Qt::Key_Return);
        QCOMPARE(int(f_.image()[0x0305]), 0x41);
        QCOMPARE(w->cellText(0, FirstHex + 5), QString("41"));
        QCOMPARE(w->cellText(0, FirstChar + 5), QString("A"));
        f_.image()[0x0306] = 10;
        w->mnuMemoryRefresh();
        QCOMPARE(w->cellText(0, FirstHex + 6), QString("0A"));
        QCOMPARE(w->cellText(0, FirstChar + 6), QString("."));
    }

    void escapeWritesNothing()
    {
        frmMemory* w = openAt(0x0400);
        const uint8_t before = f_.image()[0x0401];
        const QString cell = w->cellText(0, FirstHex + 1);
        typeIntoCell(w, 0, FirstHex + 1, "12");
        QTest::keyClick(w->txtData, Qt::Key_Escape);
        QVERIFY(!w->txtData->isVisible());
        QCOMPARE(f_.image()[0x0401], before);
        QCOMPARE(w->cellText(0, FirstHex + 1), cell);
        // An emptied editor writes nothing either.
        typeIntoCell(w, 0, FirstHex + 1, "");
        w->txtData->clear();
        QTest::keyClick(w->txtData, Qt::Key_Return);
        QCOMPARE(f_.image()[0x0401], before);
    }

    void enterOnAnUnchangedCellWritesNothing_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("byte");
        QTest::newRow("unprintable as a character") << int(FirstChar + 2) << 0x07;
        QTest::newRow("high byte as a character") << int(FirstChar + 2) << 0xC5;
        QTest::newRow("as hex") << int(FirstHex + 2) << 0x07;
    }
    void enterOnAnUnchangedCellWritesNothing()
    {
        QFETCH(int, column);
        QFETCH(int, byte);
        f_.image()[0x0502] = uint8_t(byte);
        frmMemory* w = openAt(0x0500);
        QCOMPARE(w->cellText(0, FirstChar + 2), QString("."));
        w->clickCell(0, column);
        w->mnuMemoryEnter();
        QVERIFY(w->txtData->isVisible());
        QTest::keyClick(w->txtData, Qt::Key_Return);
        QVERIFY(!w->txtData->isVisible());
        QCOMPARE(int(f_.image()[0x0502]), byte);
        QVERIFY(f_.messages.isEmpty());
        // Typing the shown text itself is a change and writes it.
        w->mnuMemoryEnter();
        QTest::keyClicks(w->txtData, column == FirstChar + 2 ? "." : "07");
        QTest::keyClick(w->txtData, Qt::Key_Return);
        QCOMPARE(int(f_.image()[0x0502]), column == FirstChar + 2 ? 0x2E : 0x07);
    }

    void romOnABoardIsReported()
    {
        RomBoard board;
        board.mem[0xE000] = 0x55;
        AccessLayer& a = f_.main->access();
        a.setBoard(&board);
        a.setMode(TargetMode::Board);
        QVERIFY(a.FindBoard());
        frmMemory* w = openAt(0xE000);
        QCOMPARE(w->cellText(0, FirstHex), QString("55"));
        typeIntoCell(w, 0, FirstHex, "12");
        QTest::keyClick(w->txtData, Qt::Key_Return);
        QCOMPARE(f_.messages,
                 QStringList{"Tarvine - Memory Write Error|Can't Write to Memory !\n (Read Only Memory)"});
        QCOMPARE(w->cellText(0, FirstHex), QString("55"));
        QCOMPARE(w->cellText(0, FirstChar), QString("U"));
        QCOMPARE(int(board.mem[0xE000]), 0x55);

        f_.messages.clear();
        w = openAt(0x0100);
        typeIntoCell(w, 0, FirstHex, "12");
        QTest::keyClick(w->txtData, Qt::Key_Return);
        QVERIFY(f_.messages.isEmpty());
        QCOMPARE(int(board.mem[0x0100]), 0x12);
        a.setMode(TargetMode::Simulator);
        a.setBoard(nullptr);
    }

    void failedReadShowsOnlyAddresses()
    {
        RomBoard board;
        board.online = false;
        AccessLayer& a = f_.main->access();
        frmMemory* w = openAt(0x0500);
        a.setBoard(&board);
        a.setMode(TargetMode::Board);
        w->mnuMemoryRefresh();
        QCOMPARE(w->cellText(0, AddressColumn), QString(" $0500:"));
        for (int c : {FirstHex, LastHex, FirstChar, LastChar})
            QVERIFY(w->cellText(0, c).isEmpty());
        w->mnuMemoryEnter();
        QVERIFY(!w->txtData->isVisible());
        a.setMode(TargetMode::Simulator);
        a.setBoard(nullptr);
        a.setLinkReady(true);
        w->mnuMemoryRefresh();
        QVERIFY(pageMatchesImage(w));
    }

    void doubleClickOnTheAddressAsks()
    {
        frmMemory* w = openAt(0x0600);
        asked_ = 0;
        answer_ = 0x0700;
        QTableWidgetItem* it = w->gridMemory->item(0, AddressColumn);
        QTest::mouseDClick(w->gridMemory->viewport(), Qt::LeftButton, {},
                           w->gridMemory->visualItemRect(it).center());
        QCOMPARE(asked_, 1);
        QCOMPARE(w->displayAddress(), 0x0700);
    }

    void tooSmallForOneLine()
    {
        frmMemory* w = openAt(0x0800);
        auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget());
        QVERIFY(sub);
        const QRect keep = sub->geometry();
        sub->resize(sub->width(), 60);
        QTRY_COMPARE(w->LineCount(), 0);
        QCOMPARE(w->gridMemory->rowCount(), 0);
        QTest::keyClick(w->gridMemory, Qt::Key_Down);
        QTest::keyClick(w->gridMemory, Qt::Key_PageDown);
        w->mnuMemoryEnter();
        QVERIFY(!w->txtData->isVisible());
        sub->setGeometry(keep);
        QTRY_VERIFY(w->LineCount() > 0);
        QVERIFY(pageMatchesImage(w));
    }
};

QTEST_MAIN(MemoryWindowTest)
#include "MemoryWindowTest.moc"
