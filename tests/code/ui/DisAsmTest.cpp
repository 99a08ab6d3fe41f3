// The disassembler window over the simulator: row format with and without
// Code On, the wrap at $FFFF, the branch marker, the breakpoint table rules
// and their row colours, following PC while stepping (across page
// boundaries, rewriting only the rows that change), keyboard paging in both
// directions and through all 64 KB, Include Symbols, Set New PC, Go To
// Address and Run To Cursor's address.
#include "UiFixture.h"

#include "code/ui/frmDisAsm.h"
#include "editor/SymbolTable.h"
#include "views/ui/DialogShared.h"

#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

using namespace zelk;
using Colour = RowView::Colour;

namespace {

constexpr int NOP = 0x01;

SymbolEntry sym(int value, std::initializer_list<int> code, const char* label, const char* source)
{
    SymbolEntry e;
    e.Value = value;
    e.CodeLength = static_cast<int16_t>(code.size());
    int i = 0;
    for (int b : code)
        e.Code[static_cast<size_t>(i++)] = static_cast<uint8_t>(b);
    e.Label = label;
    e.Source = source;
    return e;
}

void setCodeOn(frmMain& m, bool on)
{
    // As the menu does (the item may be disabled before a page is shown).
    m.menuItem("mnuDebugCodeOn")->setChecked(on);
    m.runCommand("mnuDebugCodeOn");
}

} // namespace

class DisAsmTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { sharedSymbols().clear(); }

    // ---- Row format -----------------------------------------------------------
    void rowFormatWithoutCode()
    {
        UiFixture f;
        f.fill(0xC000, 300, NOP);
        f.put(0xC001, {0x86, 0x12});  // LDAA #$12
        f.setRegs(0xC000, 0x00FF);
        setCodeOn(f.m(), false);
        auto* d = f.open<frmDisAsm>("mnuViewDisassembler", 10);
        QVERIFY(d);
        QVERIFY(d->pageShown());
        QCOMPARE(d->rowView()->text(1), QStringLiteral(" $C000:   NOP"));
        QCOMPARE(d->rowView()->text(2), QStringLiteral(" $C001:   LDAA  #$12"));
        QCOMPARE(d->rowView()->text(3), QStringLiteral(" $C003:   NOP"));
        QCOMPARE(d->rowAddress(50), 0xC000 + 50);  // 49 one-byte rows + the two-byte one
    }

    void rowFormatWithCode()
    {
        UiFixture f;
        f.fill(0xC000, 300, NOP);
        f.put(0xC001, {0xCE, 0x12, 0x34});        // LDX #$1234
        f.put(0xC004, {0x1E, 0x10, 0x80, 0xFC});  // BRSET $10,X $80 back
        f.setRegs(0xC000, 0x00FF);
        setCodeOn(f.m(), true);
        auto* d = f.open<frmDisAsm>("mnuViewDisassembler", 10);
        // Each byte as two digits and a blank, three blanks per missing byte.
        QCOMPARE(d->rowView()->text(1), QStringLiteral(" $C000: 01 ") + QString(12, ' ') + "  NOP");
        QCOMPARE(d->rowView()->text(2), QStringLiteral(" $C001: CE 12 34 ") + QString(6, ' ') + "  LDX   #$1234");
        QVERIFY(d->rowView()->text(3).startsWith(QStringLiteral(" $C004: 1E 10 80 FC ") + QString(3, ' ') + "  BRSET"));
        // Switching Code On off redraws without the bytes.
        setCodeOn(f.m(), false);
        QCOMPARE(d->rowView()->text(1), QStringLiteral(" $C000:   NOP"));
    }

    void pageWrapsFromFFFFToZero()
    {
        UiFixture f;
        f.fill(0xFFF0, 16, NOP);
        f.fill(0x0000, 64, NOP);
        f.setRegs(0xFFFE, 0x00FF);
        setCodeOn(f.m(), false);
        auto* d = f.open<frmDisAsm>("mnuViewDisassembler", 10);
        QCOMPARE(d->rowAddress(1), 0xFFFE);
        QCOMPARE(d->rowAddress(2), 0xFFFF);
        QCOMPARE(d->rowAddress(3), 0x0000);
        QCOMPARE(d->rowView()->text(3), QStringLiteral(" $0000:   NOP"));
        // An instruction straddling the top: LDX at $FFFF takes $0000/$0001.
        f.put(0xFFFF, {0xCE});
        f.put(0x0000, {0x56, 0x78});
        d->mnuRefresh();
        QCOMPARE(d->rowView()->text(2), QStringLiteral(" $FFFF:   LDX   #$5678"));
        QCOMPARE(d->rowAddress(3), 0x0002);
    }

    // ---- The program-counter row ------------------------------------------------
    void branchMarker_data()
    {
        QTest::addColumn<int>("ccr");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("marker");
        QTest::newRow("taken backward BNE") << 0x00 << 0xFC << "-";
        QTest::newRow("taken forward BNE") << 0x00 << 0x04 << "+";
        QTest::newRow("BNE to itself") << 0x00 << 0xFE << QString(QChar(0x00B1));
        QTest::newRow("BNE not taken (Z set)") << 0x04 << 0xFC << " ";
    }

    void branchMarker()
    {
        QFETCH(int, ccr);
        QFETCH(int, offset);
        QFETCH(QString, marker);
        UiFixture f;
        f.fill(0xC000, 300, NOP);
        f.put(0xC010, {0x26, offset});
        f.setRegs(0xC010, 0x00FF);
        f.m().access().image()[8] = uint8_t(ccr);  // CCR in the register save area
        setCodeOn(f.m(), false);
        auto* d = f.open<frmDisAsm>("mnuViewDisassembler", 10);
        QCOMPARE(d->rowAddress(1), 0xC010);
        QCOMPARE(d->rowView()->text(1).mid(8, 2), marker + " ");
        QVERIFY(d->rowView()->bold(1));
        QVERIFY(!d->rowView()->bold(2));
        QCOMPARE(d->rowView()->text(2).mid(8, 2), QStringLiteral("  "));
    }

    void jumpAndCallMarkers()
    {
        UiFixture f;
        f.fill(0xC000, 300, NOP);
        f.put(0xC020, {0x7E, 0xC0, 0x00});  // JMP $C000: a taken jump backwards
        f.put(0xC023, {0xBD, 0xC1, 0x00});  // JSR $C100: a call carries no marker
        f.setRegs(0xC020, 0x00FF);
        setCodeOn(f.m(), false);
        auto* d = f.open<frmDisAsm>("mnuViewDisassembler", 10);
        QCOMPARE(d->rowView()->text(1).at(8), QLatin1Char('-'));
        f.setRegs(0xC023, 0x00FF);
        d->mnuGoToPCAddress();
        QCOMPARE(d->currentRow(), 2);
        QCOMPARE(d->rowView()->text(2).at(8), QLatin1Char(' '));
        QCOMPARE(d->rowView()->text(1).at(8), QLatin1Char(' '));
        QVERIFY(d->rowView()->bold(2));
        QVERIFY(!d->rowView()->bold(1));
    }

    // ---- Breakpoints ------------------------------------------------------------------
    void toggleTwiceRestoresTable()
    {
        UiFixture f;
        f.fill(0xC000, 300, NOP);
        f.setRegs(0xC000, 0x00FF);
        auto* d = f.open<frmDisAsm>("mnuViewDisassembler", 10);
        d->SetCurRow(3);
        f.m().runCommand("mnuDebugToggleBreakpoint");
        QCOMPARE(f.m().breakpoints().count(), 1);
        QCOMPARE(f.m().breakpoints().at(0), 0xC002);
        QCOMPARE(d->rowView()->colour(3), Colour::CurrentBreakpoint);
        QVERIFY(f.m().menuItem("mnuDebugClearAllBreakpoints")->isEnabled());
        f.m().runCommand("mnuDebugToggleBreakpoint");
        QCOMPARE(f.m().breakpoints().count(), 0);
        QCOMPARE(d->rowView()->colour(3), Colour::Current);
        QVERIFY(!f.m().menuItem("mnuDebugClearAllBreakpoints")->isEnabled());
    }

    void removingSlotOneKeepsOrder()
    {
        UiFixture f;
        f.fill(0xC000, 300, NOP);
        f.setRegs(0xC000, 0x00FF);
        auto* d = f.open<frmDisAsm>("mnuViewDisassembler", 10);
        for (int row : {5, 2, 7})
            d->toggleRow(row);
        QCOMPARE(f.m().breakpoints().count(), 3);
        d->toggleRow(5);
        QCOMPARE(f.m().breakpoints().count(), 2);
        QCOMPARE(f.m().breakpoints().at(0), 0xC001);
        QCOMPARE(f.m().breakpoints().at(1), 0xC006);
        // Colours: row 7 was set last and is current; row 2 is plain red.
        QCOMPARE(d->rowView()->colour(2), Colour::Breakpoint);
        QCOMPARE(d->rowView()->colour(7), Colour::Breakpoint);
        QCOMPARE(d->currentRow(), 5);
        QCOMPARE(d->rowView()->colour(5), Colour::Current);
        QCOMPARE(d->rowView()->colour(4), Colour::Plain);
    }

    void fullTableRefusesTheThirtyThird()
    {
        UiFixture f;
        f.fill(0xC000, 300, NOP);
        f.setRegs(0xC000, 0x00FF);
        auto* d = f.open<frmDisAsm>("mnuViewDisassembler", 10);
        for (int i = 0; i < 32; ++i)
            f.m().breakpoints().append(0xD000 + i);
        d->SetCurRow(2);
        f.m().runCommand("mnuDebugToggleBreakpoint");
        QCOMPARE(f.m().breakpoints().count(), 32);
        QVERIFY(!f.m().breakpoints().contains(0xC001));
        QCOMPARE(f.messages, QStringList{"Tarvine - Breakpoint Error|  Can't Set Breakpoint !\n (Max. Breakpoints = 32)"});
        QCOMPARE(d->rowView()->colour(2), Colour::Current);
        // A row that has one can still lose it.
        f.m().breakpoints().removeAt(31);
        d->toggleRow(2);
        QCOMPARE(f.m().breakpoints().count(), 32);
        d->toggleRow(2);
        QCOMPARE(f.m().breakpoints().count(), 31);
        QCOMPARE(f.messages.size(), 1);
    }

    void clearAllRemovesMarks()
    {
        UiFixture f;
        f.fill(0xC000, 300, NOP);
        f.setRegs(0xC000, 0x00FF);
        auto* d = f.open<frmDisAsm>("mnuViewDisassembler", 10);
        for (int row : {2, 3, 4})
            d->toggleRow(row);
        QCOMPARE(d->rowView()->colour(2), Colour::Breakpoint);
        f.m().runCommand("mnuDebugClearAllBreakpoints");
        QCOMPARE(f.m().breakpoints().count(), 0);
        QCOMPARE(d->rowView()->colour(2), Colour::Plain);
        QCOMPARE(d->rowView()->colour(4), Colour::Current);
        QVERIFY(!f.m().menuItem("mnuDebugClearAllBreakpoints")->isEnabled());
    }

    void breakpointStopsPlay()
    {
        UiFixture f;
        f.fill(0xC000, 300, NOP);
        f.put(0xC010, {0x20, 0xEE});  // BRA $C000
        f.setRegs(0xC000, 0x00FF);
        auto* d = f.open<frmDisAsm>("mnuViewDisassembler", 20);
        d->toggleRow(9);  // $C008
        f.m().runCommand("mnuRunPlay");
        QCOMPARE(f.m().access().regs.PC, 0xC008);
        QCOMPARE(d->currentRow(), 9);
        QVERIFY(d->rowView()->bold(9));
        QCOMPARE(d->rowView()->colour(9), Colour::CurrentBreakpoint);
    }

    void animateFollowsPCAndStopsAtABreakpoint()
    {
        UiFixture f;
        f.fill(0xC000, 600, NOP);
        f.setRegs(0xC000, 0x00FF);
        auto* d = f.open<frmDisAsm>("mnuViewDisassembler", 6);
        const int visible = d->visibleRows();
        // A breakpoint beyond the first page: Animate must turn the page.
        f.m().breakpoints().append(0xC000 + visible + 2);
        const uint64_t before = d->rowView()->rowWrites();
        f.m().runCommand("mnuRunAnimate");
        QCOMPARE(f.m().access().regs.PC, 0xC000 + visible + 2);
        QCOMPARE(d->pageTop(), 0xC000 + visible);
        QCOMPARE(d->currentRow(), 3);
        QVERIFY(d->rowView()->bold(3));
        QVERIFY(d->isEnabled());
        // Per step only the rows that changed were rewritten: the page turn
        // rewrites every row once, each other step a handful.
        const uint64_t writes = d->rowView()->rowWrites() - before;
        QVERIFY2(writes < uint64_t(RowView::MaxRows + 6 * (visible + 2)), qPrintable(QString::number(writes)));
    }

    // ---- Following the program counter ------------------------------------------------
    void stepFollowsPCAcrossPages()
    {
        UiFixture f;
        f.fill(0xC000, 600, NOP);
        f.setRegs(0xC000, 0x00FF);
        auto* d = f.open<frmDisAsm>("mnuViewDisassembler", 8);
        const int visible = d->visibleRows();
        QVERIFY(visible >= 6 && visible <= 9);
        for (int i = 1; i < visible; ++i) {
            f.m().runCommand("mnuRunStepInto");
            QCOMPARE(d->pageTop(), 0xC000);
            QCOMPARE(d->currentRow(), i + 1);
            QVERIFY(d->rowView()->bold(i + 1));
            QVERIFY(!d->rowView()->bold(i));
        }
        // One more step leaves the visible rows: the page starts at the PC.
        f.m().runCommand("mnuRunStepInto");
        QCOMPARE(d->pageTop(), 0xC000 + visible);
        QCOMPARE(d->currentRow(), 1);
        QVERIFY(d->rowView()->bold(1));
        // A jump to far away shows the page from its target.
        f.put(0xC000 + visible, {0x7E, 0xE1, 0x00});
        f.fill(0xE100, 300, NOP);
        f.m().runCommand("mnuRunStepInto");
        QCOMPARE(d->pageTop(), 0xE100);
        QCOMPARE(d->rowAddress(1), 0xE100);
        QCOMPARE(d->currentRow(), 1);
    }

    void stepRewritesOnlyChangedRows()
    {
        UiFixture f;
        f.fill(0xC000, 600, NOP);
        f.setRegs(0xC000, 0x00FF);
        setCodeOn(f.m(), true);
        auto* d = f.open<frmDisAsm>("mnuViewDisassembler", 20);
        f.m().runCommand("mnuRunStepInto");
        QCoreApplication::processEvents();
        const uint64_t before = d->rowView()->rowPaints();
        f.m().runCommand("mnuRunStepInto");
        QCoreApplication::processEvents();
        // The old PC row loses bold and highlight, the new one gains them:
        // only those two rows are painted again.
        QCOMPARE(d->rowView()->rowPaints() - before, uint64_t(2));
        QVERIFY(d->rowView()->bold(3));
        // A refresh with nothing changed rewrites no row.
        const uint64_t again = d->rowView()->rowWrites();
        d->mnuRefresh();
        QCOMPARE(d->rowView()->rowWrites(), again);
    }

    void setNewPCAndCursorAddress()
    {
        UiFixture f;
        f.fill(0xC000, 300, NOP);
        f.setRegs(0xC000, 0x00FF);
        auto* d = f.open<frmDisAsm>("mnuViewDisassembler", 10);
        d->SetCurRow(4);
        QCOMPARE(d->cursorAddress(), 0xC003);
        f.m().runCommand("mnuDebugSetNewPC");
        QCOMPARE(f.m().access().regs.PC, 0xC003);
        QVERIFY(d->rowView()->bold(4));
        QVERIFY(!d->rowView()->bold(1));
        // Run To Cursor runs to the current row.
        d->SetCurRow(7);
        f.m().runCommand("mnuRunRunTo");
        QCOMPARE(f.m().access().regs.PC, 0xC006);
        QCOMPARE(f.m().breakpoints().count(), 0);
    }

    void goToAddressShowsPageWithRowOneCurrent()
    {
        UiFixture f;
        f.fill(0xC000, 300, NOP);
        f.fill(0xD000, 300, NOP);
        f.setRegs(0xC000, 0x00FF);
        sharedSymbols().append(sym(0xD010, {}, "THERE", ""));
        auto* d = f.open<frmDisAsm>("mnuViewDisassembler", 10);
        d->SetCurRow(5);
        QTimer::singleShot(0, [] {
            auto* w = QApplication::activeModalWidget();
            QVERIFY(w);
            auto* box = w->findChild<QLineEdit*>("txtAdr");
            QVERIFY(box);
            QTest::keyClicks(box, "there");
            QTest::keyClick(box, Qt::Key_Return);
        });
        f.m().runCommand("mnuDebugGoToAddress");
        QCOMPARE(d->pageTop(), 0xD010);
        QCOMPARE(d->currentRow(), 1);
        // Go To PC Address comes back.
        f.m().runCommand("mnuDebugGoToPCAddress");
        QCOMPARE(d->pageTop(), 0xC000);
        QCOMPARE(d->currentRow(), 1);
    }

    // ---- Keyboard -------------------------------------------------------------------------
    void downAndUpScrollByOneInstruction()
    {
        UiFixture f;
        // Mixed lengths: LDX #imm (3), NOP (1), LDY #imm (4), NOP ...
        f.fill(0xC000, 600, NOP);
        for (int a = 0xC000; a < 0xC200; a += 8) {
            f.put(a, {0xCE, 0x11, 0x22, NOP, 0x18, 0xCE, 0x33, 0x44});
        }
        f.setRegs(0xC000, 0x00FF);
        auto* d = f.open<frmDisAsm>("mnuViewDisassembler", 6);
        const int visible = d->visibleRows();
        d->SetCurRow(visible);
        d->keyDown();
        QCOMPARE(d->pageTop(), 0xC003);  // the second row's address
        QCOMPARE(d->currentRow(), visible);
        d->keyDown();
        QCOMPARE(d->pageTop(), 0xC004);
        d->SetCurRow(1);
        // Up tries the starts 5, 4, 3, 2 bytes back: $C002 holds $22 (BHI,
        // two bytes), which ends exactly at $C004, before the LDX at $C001
        // could be considered.
        d->keyUp();
        QCOMPARE(d->pageTop(), 0xC002);
        // Nothing ends exactly at $C002 (zeros below $C000 are one-byte
        // rows, the LDX at $C000 is three bytes long): one byte back.
        d->keyUp();
        QCOMPARE(d->pageTop(), 0xC001);
        QCOMPARE(d->currentRow(), 1);
    }

    void upFindsThePreviousInstruction()
    {
        UiFixture f;
        for (int a = 0xBF00; a < 0xC200; a += 3)
            f.put(a, {0xCE, 0x01, 0x01});  // LDX #$0101 all along
        f.setRegs(0xC002, 0x00FF);  // $C002 = $BF00 + 3 * 86: an LDX
        auto* d = f.open<frmDisAsm>("mnuViewDisassembler", 6);
        QCOMPARE(d->pageTop(), 0xC002);
        d->keyUp();
        QCOMPARE(d->pageTop(), 0xBFFF);
        d->keyUp();
        QCOMPARE(d->pageTop(), 0xBFFC);
        QCOMPARE(d->rowAddress(2), 0xBFFF);
        QCOMPARE(d->rowView()->text(1).right(12), QStringLiteral("LDX   #$0101"));
    }

    void upAtZeroWrapsToTop()
    {
        UiFixture f;
        f.fill(0xFF00, 256, NOP);
        f.fill(0x0000, 300, NOP);
        f.setRegs(0x0000, 0x00FF);
        auto* d = f.open<frmDisAsm>("mnuViewDisassembler", 6);
        d->keyUp();
        QCOMPARE(d->pageTop(), 0xFFFF);
        QCOMPARE(d->rowAddress(2), 0x0000);
    }

    void pageDownThenPageUpReturns()
    {
        UiFixture f;
        f.fill(0xC000, 600, NOP);
        for (int a = 0xC000; a < 0xC200; a += 4)
            f.put(a, {0xCC, 0x12, 0x34, NOP});  // LDD #imm (3) + NOP
        f.setRegs(0xC000, 0x00FF);
        auto* d = f.open<frmDisAsm>("mnuViewDisassembler", 8);
        const int visible = d->visibleRows();
        d->SetCurRow(3);
        const int32_t last = d->rowAddress(visible);
        d->keyPageDown();
        QCOMPARE(d->pageTop(), last);
        QCOMPARE(d->currentRow(), 3);
        d->keyPageUp();
        // The old first row is now the last visible row.
        QCOMPARE(d->rowAddress(visible), last);
        QCOMPARE(d->pageTop(), 0xC000);
        QCOMPARE(d->currentRow(), 3);
    }

    void pagingThroughAllMemoryWraps()
    {
        UiFixture f;
        // Image left as it is (zeros: one-byte "???" rows) except for a few
        // long instructions scattered about.
        for (int a = 0x0100; a < 0x10000; a += 0x0777)
            f.put(a, {0x18, 0xCE, 0x12, 0x34});
        f.setRegs(0x0000, 0x00FF);
        auto* d = f.open<frmDisAsm>("mnuViewDisassembler", 40);
        const int visible = d->visibleRows();
        d->SetCurRow(1);
        int pages = 0;
        int32_t previous = d->pageTop();
        bool wrapped = false;
        while (!wrapped && pages < 0x10000) {
            d->keyPageDown();
            ++pages;
            const int32_t top = d->pageTop();
            wrapped = top < previous;
            previous = top;
        }
        QVERIFY(wrapped);
        QVERIFY(pages > 0x10000 / (5 * visible));
        QVERIFY(d->pageShown());
        // And back up across $0000.
        d->goToAddress(0x0002);
        d->SetCurRow(1);
        d->keyPageUp();
        QCOMPARE(d->rowAddress(visible), 0x0002);
        QVERIFY(d->pageTop() > 0xFF00);
    }

    // ---- Include Symbols -------------------------------------------------------------------
    void includeSymbolsShowsSourceLines()
    {
        UiFixture f;
        f.fill(0xC000, 300, NOP);
        f.put(0xC000, {0x86, 0x12});
        f.setRegs(0xC000, 0x00FF);
        sharedSymbols().append(sym(0xC000, {0x86, 0x12}, "START", "START   LDAA #$12  ; first"));
        sharedSymbols().append(sym(0xC002, {0x86, 0x99}, "", "        LDAA #$99  ; other bytes"));
        sharedSymbols().append(sym(0xC003, {NOP}, "", "\tNOP"));
        sharedSymbols().append(sym(0xC003, {NOP}, "", "        NOP         ; later wins"));
        setCodeOn(f.m(), false);
        QAction* inc = f.m().menuItem("mnuDebugIncludeSym");
        inc->setChecked(false);
        f.m().runCommand("mnuDebugIncludeSym");
        auto* d = f.open<frmDisAsm>("mnuViewDisassembler", 10);
        QCOMPARE(d->rowView()->text(1), QStringLiteral(" $C000:   LDAA  #$12"));
        inc->setChecked(true);
        f.m().runCommand("mnuDebugIncludeSym");
        QCOMPARE(d->rowView()->text(1), QStringLiteral(" $C000:   START   LDAA #$12  ; first"));
        QCOMPARE(d->rowView()->text(2), QStringLiteral(" $C002:   NOP"));
        QCOMPARE(d->rowView()->text(3), QStringLiteral(" $C003:           NOP         ; later wins"));
        inc->setChecked(false);
        f.m().runCommand("mnuDebugIncludeSym");
        QCOMPARE(d->rowView()->text(1), QStringLiteral(" $C000:   LDAA  #$12"));
    }

    // ---- Commands' state and the pop-up ------------------------------------------------------
    void openingEnablesStepCommands()
    {
        UiFixture f;
        f.fill(0xC000, 300, NOP);
        f.setRegs(0xC000, 0x00FF);
        f.open<frmDisAsm>("mnuViewDisassembler", 10);
        QVERIFY(f.m().menuItem("mnuRunStepInto")->isEnabled());
        QVERIFY(f.m().menuItem("mnuDebugToggleBreakpoint")->isEnabled());
        QVERIFY(!f.m().menuItem("mnuRunRun")->isEnabled());  // simulator mode
        QVERIFY(!f.m().menuItem("mnuDebugClearAllBreakpoints")->isEnabled());
    }

    void clearScreenAndMarks()
    {
        UiFixture f;
        f.fill(0xC000, 300, NOP);
        f.setRegs(0xC000, 0x00FF);
        auto* d = f.open<frmDisAsm>("mnuViewDisassembler", 10);
        d->toggleRow(2);
        d->ClearMarks();
        QVERIFY(!d->rowView()->bold(1));
        QCOMPARE(d->rowView()->colour(2), Colour::Breakpoint);
        d->ClearScreen();
        QCOMPARE(d->currentRow(), 0);
        QCOMPARE(d->rowView()->text(1), QString());
        QCOMPARE(d->cursorAddress(), -1);
        QCOMPARE(d->scrollBar()->value(), 0);
    }

    void placementIsSavedAndRestored()
    {
        UiFixture f;
        f.fill(0xC000, 300, NOP);
        auto* d = f.open<frmDisAsm>("mnuViewDisassembler", 0);
        auto* sub = qobject_cast<QMdiSubWindow*>(d->parentWidget());
        sub->setGeometry(30, 40, 400, 300);
        QCoreApplication::processEvents();
        f.m().runCommand("mnuViewDisassembler");  // closes it
        QCoreApplication::processEvents();
        QVERIFY(!f.m().isShown("mnuViewDisassembler"));
        QCOMPARE(f.qs->value("Windows/DisAsmLeft").toInt() > 0, true);
        d = f.open<frmDisAsm>("mnuViewDisassembler", 0);
        sub = qobject_cast<QMdiSubWindow*>(d->parentWidget());
        QCOMPARE(sub->geometry(), QRect(30, 40, 400, 300));
    }
};

QTEST_MAIN(DisAsmTest)
#include "DisAsmTest.moc"
