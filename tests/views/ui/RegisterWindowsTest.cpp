// The nine register windows inside the main window in simulator mode: rows
// from the catalogue, value texts, format switching and edits through the
// real Enter Value dialog landing in the image, refused entries, read-only
// rows, the popup's states, changed values after a step, auto refresh
// following the active window, and the no-data state of a failed read.
#include "RegisterMemoryTestSupport.h"

#include "shell/Settings.h"
#include "views/RegisterCatalogue.h"
#include "views/ui/frmEnterVal.h"
#include "views/ui/frmRegisters.h"
#include "views/ui/frmWatch.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

using namespace zelk;

Q_DECLARE_METATYPE(zelk::RegisterWindow)

namespace {

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

QString menuItemOf(RegisterWindow w) { return qs(windowInfo(w).viewMenuItem); }

} // namespace

class RegisterWindowsTest : public QObject {
    Q_OBJECT

    WindowFixture f_;
    QString typed_;          // what the user types into Enter Value
    int dialogs_ = 0;        // how often Enter Value opened
    DialogFields seen_;      // the fields it opened with
    bool stillOpen_ = false; // the dialog refused the entry and stayed open

    frmRegisters* open(RegisterWindow w)
    {
        auto* win = qobject_cast<frmRegisters*>(f_.main->openView(menuItemOf(w)));
        if (win)
            f_.activate(win);
        return win;
    }
    static QString text(frmRegisters* w, int row) { return w->list()->topLevelItem(row)->text(1); }
    void closeAll()
    {
        for (const RegisterWindowInfo& i : registerWindows())
            f_.main->closeView(qs(i.viewMenuItem));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    int word(int address) { return f_.image()[address] << 8 | f_.image()[address + 1]; }
    QAction* popupItem(QMenu* m, const char* name) { return m->findChild<QAction*>(QString::fromLatin1(name)); }

private slots:
    void initTestCase()
    {
        f_.start();
        frmRegisters::enterValue = [this](QWidget* owner, DialogFields& f) {
            ++dialogs_;
            seen_ = f;
            frmEnterVal dlg(f, owner);
            dlg.show();
            dlg.txtValue->clear();
            QTest::keyClicks(dlg.txtValue, typed_);
            QTest::mouseClick(dlg.cmdOK, Qt::LeftButton);
            stillOpen_ = dlg.isVisible();
        };
    }

    void init()
    {
        closeAll();
        f_.main->access().setMode(TargetMode::Simulator);
        f_.main->access().setLinkReady(true);
        std::memset(f_.image(), 0, 0x10000);
        f_.main->access().regs = CpuRegisters{};
        f_.messages.clear();
        typed_.clear();
        dialogs_ = 0;
        stillOpen_ = false;
        seen_ = DialogFields{};
    }

    void cleanupTestCase() { closeAll(); }

    // ---- Rows --------------------------------------------------------------------
    void rowsFromCatalogue_data()
    {
        QTest::addColumn<RegisterWindow>("window");
        for (const RegisterWindowInfo& i : registerWindows())
            QTest::newRow(std::string(i.form).c_str()) << i.window;
    }
    void rowsFromCatalogue()
    {
        QFETCH(RegisterWindow, window);
        const RegisterWindowInfo& info = windowInfo(window);
        frmRegisters* w = open(window);
        QVERIFY(w);
        QCOMPARE(w->objectName(), qs(info.form));
        QCOMPARE(w->windowTitle(), qs(info.caption));
        QVERIFY(f_.main->isShown(qs(info.viewMenuItem)));
        const auto rows = registersOf(window);
        QCOMPARE(w->list()->topLevelItemCount(), int(rows.size()));
        for (int i = 0; i < int(rows.size()); ++i) {
            QCOMPARE(w->list()->topLevelItem(i)->text(0), qs(rows[size_t(i)].name));
            QVERIFY(!text(w, i).isEmpty());  // refreshed on load
            if (!rows[size_t(i)].bitNames.empty())
                QVERIFY(w->list()->topLevelItem(i)->toolTip(1).contains(qs(rows[size_t(i)].bitNames)));
        }
        // At least the catalogue's width, and every name fits.
        QVERIFY(w->list()->columnWidth(0) >= twipsToPixels(info.nameColumnTwips));
        const QFontMetrics fm(w->list()->font());
        for (const RegisterInfo& r : rows)
            QVERIFY(fm.horizontalAdvance(qs(r.name)) < w->list()->columnWidth(0));
        QVERIFY(w->valueColumnWidth() > 0);
        f_.main->closeView(qs(info.viewMenuItem));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!f_.main->isShown(qs(info.viewMenuItem)));
    }

    void placementIsSavedAndRestored_data()
    {
        QTest::addColumn<RegisterWindow>("window");
        QTest::newRow("CPU") << RegisterWindow::CPU;
        QTest::newRow("Timer") << RegisterWindow::Timer;
        QTest::newRow("PIA") << RegisterWindow::PIA;
    }
    void placementIsSavedAndRestored()
    {
        QFETCH(RegisterWindow, window);
        const QString prefix = qs(windowInfo(window).placementPrefix);
        frmRegisters* w = open(window);
        auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget());
        QVERIFY(sub);
        const QRect where(30, 45, 240, 180);
        sub->setGeometry(where);
        closeAll();
        QCOMPARE(f_.qs->value("Windows/" + prefix + "Left").toString(), QString::number(30 * 15));
        QCOMPARE(f_.qs->value("Windows/" + prefix + "Height").toString(), QString::number(180 * 15));
        w = open(window);
        QCOMPARE(qobject_cast<QMdiSubWindow*>(w->parentWidget())->geometry(), where);
    }

    void valuesFromTheTarget()
    {
        f_.put(0x0000, {0x12, 0x34, 0xAB, 0xCD, 0x00, 0x01, 0x00, 0xFF, 0xD4});
        f_.put(0x1004, {0x0F});
        f_.put(0x100E, {0x12, 0x34});
        f_.put(0x1800, {0xA5});
        f_.main->access().regs.PC = 0xE000;
        frmRegisters* cpu = open(RegisterWindow::CPU);
        frmRegisters* ports = open(RegisterWindow::Ports);
        frmRegisters* timer = open(RegisterWindow::Timer);
        frmRegisters* pia = open(RegisterWindow::PIA);
        const QStringList cpuTexts = {"$12", "$34", "$1234", "$ABCD", "$0001", "$E000", "$00FF", "%SX0I0Z00"};
        for (int i = 0; i < cpuTexts.size(); ++i)
            QCOMPARE(text(cpu, i), cpuTexts[i]);
        QCOMPARE(text(ports, 1), QString("%00001111"));
        QCOMPARE(text(timer, 0), QString("$1234"));
        QCOMPARE(text(timer, 1), QString("$0000"));
        QCOMPARE(text(pia, 0), QString("%10100101"));
    }

    void wordZeroInEveryFormat()
    {
        frmRegisters* timer = open(RegisterWindow::Timer);
        timer->selectRow(4);
        QCOMPARE(text(timer, 4), QString("$0000"));
        timer->mnuViewBin();
        QCOMPARE(text(timer, 4), QString("%0000000000000000"));
        timer->mnuViewDec();
        QCOMPARE(text(timer, 4), QString("0"));
    }

    // ---- Formats and edits -----------------------------------------------------------
    void formatAndEditRoundTrip_data()
    {
        QTest::addColumn<RegisterWindow>("window");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("shown");
        using W = RegisterWindow;
        QTest::newRow("PORTB hex") << W::Ports << 1 << "$" << "$A5" << 0xA5 << "$A5";
        QTest::newRow("PORTB binary") << W::Ports << 1 << "%" << "%10100101" << 0xA5 << "%10100101";
        QTest::newRow("PORTB decimal") << W::Ports << 1 << " " << "165" << 0xA5 << "165";
        QTest::newRow("PORTB octal typed") << W::Ports << 1 << "$" << "@377" << 0xFF << "$FF";
        QTest::newRow("TOC1 hex") << W::Timer << 4 << "$" << "$1234" << 0x1234 << "$1234";
        QTest::newRow("TOC1 binary") << W::Timer << 4 << "%" << "%0001001000110100" << 0x1234 << "%0001001000110100";
        QTest::newRow("TOC5 decimal") << W::Timer << 8 << " " << "65535" << 0xFFFF << "65535";
        QTest::newRow("TCTL1 binary") << W::Timer << 9 << "%" << "%01010101" << 0x55 << "%01010101";
        QTest::newRow("PACNT hex") << W::PulseAcc << 0 << "$" << "$7F" << 0x7F << "$7F";
        QTest::newRow("SCDR decimal") << W::SCI << 4 << " " << "65" << 65 << "65";
        QTest::newRow("SPDR binary") << W::SPI << 2 << "%" << "%1" << 1 << "%00000001";
        QTest::newRow("ADCTL hex") << W::AD << 0 << "$" << "$30" << 0x30 << "$30";
        QTest::newRow("OPTION decimal") << W::Other << 0 << " " << "0255" << 255 << "255";
        QTest::newRow("DataOut A") << W::PIA << 1 << "%" << "$81" << 0x81 << "%10000001";
        QTest::newRow("Dir B decimal") << W::PIA << 5 << " " << "7" << 7 << "7";
        QTest::newRow("CPU A") << W::CPU << 0 << "$" << "$5A" << 0x5A << "$5A";
        QTest::newRow("CPU IX binary") << W::CPU << 3 << "%" << "$8001" << 0x8001 << "%1000000000000001";
        QTest::newRow("CPU IY decimal") << W::CPU << 4 << " " << "1000" << 1000 << "1000";
    }
    void formatAndEditRoundTrip()
    {
        QFETCH(RegisterWindow, window);
        QFETCH(int, row);
        QFETCH(QString, format);
        QFETCH(QString, typed);
        QFETCH(int, value);
        QFETCH(QString, shown);
        frmRegisters* w = open(window);
        const RegisterInfo& r = registersOf(window)[size_t(row)];
        w->selectRow(row);
        const char fmt = format.at(0).toLatin1();
        if (fmt == '$')
            w->mnuViewHex();
        else if (fmt == '%')
            w->mnuViewBin();
        else
            w->mnuViewDec();
        QCOMPARE(w->view().format(row), fmt);
        const QString before = text(w, row);
        typed_ = typed;
        w->mnuEnter();
        QCOMPARE(dialogs_, 1);
        QVERIFY(!stillOpen_);
        QCOMPARE(QString::fromStdString(seen_.DialogName), qs(r.name));
        QCOMPARE(QString::fromStdString(seen_.DialogText), before);
        QCOMPARE(seen_.DialogIsWord, r.isWord);
        QVERIFY(f_.messages.isEmpty());
        const int address = r.address;
        QCOMPARE(r.isWord ? word(address) : int(f_.image()[address]), value);
        QCOMPARE(text(w, row), shown);
        QVERIFY(w->changed(row));
    }

    void refusedEntriesChangeNothing_data()
    {
        QTest::addColumn<RegisterWindow>("window");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("message");
        using W = RegisterWindow;
        QTest::newRow("byte $100") << W::Ports << 1 << "$100" << true;
        QTest::newRow("byte 256") << W::Ports << 1 << "256" << true;
        QTest::newRow("byte %111111111") << W::Ports << 1 << "%111111111" << true;
        QTest::newRow("six characters") << W::Ports << 1 << "000255" << true;
        QTest::newRow("12a") << W::Ports << 1 << "12a" << true;
        QTest::newRow("-5") << W::Timer << 4 << "-5" << true;
        QTest::newRow("lone $") << W::Timer << 4 << "$" << true;
        QTest::newRow("lone %") << W::Timer << 4 << "%" << true;
        QTest::newRow("word $10000") << W::Timer << 4 << "$10000" << true;
        QTest::newRow("word 65536") << W::CPU << 3 << "65536" << true;
        QTest::newRow("octal 8") << W::PIA << 1 << "@8" << true;
        QTest::newRow("label") << W::CPU << 0 << "START" << true;
        QTest::newRow("empty") << W::Ports << 1 << "" << false;
        QTest::newRow("empty word") << W::CPU << 2 << "" << false;
    }
    void refusedEntriesChangeNothing()
    {
        QFETCH(RegisterWindow, window);
        QFETCH(int, row);
        QFETCH(QString, typed);
        QFETCH(bool, message);
        f_.put(0x0000, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x00, 0xFF, 0xC0});
        for (int a = 0x1000; a < 0x1040; ++a)
            f_.image()[a] = uint8_t(a * 3);
        for (int a = 0x1800; a < 0x180A; ++a)
            f_.image()[a] = uint8_t(a * 5);
        std::vector<uint8_t> before(f_.image(), f_.image() + 0x10000);
        frmRegisters* w = open(window);
        const QString shown = text(w, row);
        w->selectRow(row);
        typed_ = typed;
        w->mnuEnter();
        QCOMPARE(dialogs_, 1);
        QVERIFY(stillOpen_);
        QVERIFY(std::equal(before.begin(), before.end(), f_.image()));
        QCOMPARE(text(w, row), shown);
        if (message)
            QCOMPARE(f_.messages, QStringList{"Tarvine - Enter Value|Invalid Number !"});
        else
            QVERIFY(f_.messages.isEmpty());
    }

    void readOnlyRowsOpenNoDialog_data()
    {
        QTest::addColumn<RegisterWindow>("window");
        QTest::addColumn<int>("row");
        using W = RegisterWindow;
        QTest::newRow("SP") << W::CPU << 6;
        QTest::newRow("TCNT") << W::Timer << 0;
        QTest::newRow("TIC1") << W::Timer << 1;
        QTest::newRow("TIC3") << W::Timer << 3;
        QTest::newRow("PORTE") << W::Ports << 7;
        QTest::newRow("SCSR") << W::SCI << 3;
        QTest::newRow("SPSR") << W::SPI << 1;
        for (int i = 1; i <= 4; ++i)
            QTest::newRow(qPrintable(QString("ADR%1").arg(i))) << W::AD << i;
        QTest::newRow("CONFIG") << W::Other << 4;
    }
    void readOnlyRowsOpenNoDialog()
    {
        QFETCH(RegisterWindow, window);
        QFETCH(int, row);
        frmRegisters* w = open(window);
        QTreeWidgetItem* it = w->list()->topLevelItem(row);
        const QPoint p = w->list()->visualItemRect(it).center();
        QTest::mouseDClick(w->list()->viewport(), Qt::LeftButton, {}, p);
        QCOMPARE(w->selectedRow(), row);
        QTest::keyClick(w->list(), Qt::Key_Return);
        w->mnuEnter();
        QCOMPARE(dialogs_, 0);
        QMenu* m = w->buildPopup(row);
        QVERIFY(!popupItem(m, "mnuPopupViewEnter")->isEnabled());
    }

    void doubleClickAndEnterOpenTheDialog()
    {
        frmRegisters* w = open(RegisterWindow::Ports);
        QTreeWidgetItem* it = w->list()->topLevelItem(2);
        typed_ = "$42";
        QTest::mouseDClick(w->list()->viewport(), Qt::LeftButton, {}, w->list()->visualItemRect(it).center());
        QCOMPARE(dialogs_, 1);
        QCOMPARE(int(f_.image()[0x1003]), 0x42);
        typed_ = "$43";
        w->selectRow(2);
        QTest::keyClick(w->list(), Qt::Key_Return);
        QCOMPARE(dialogs_, 2);
        QCOMPARE(int(f_.image()[0x1003]), 0x43);
    }

    void editingDWritesBothHalves()
    {
        frmRegisters* w = open(RegisterWindow::CPU);
        w->selectRow(2);
        typed_ = "$1234";
        w->mnuEnter();
        QCOMPARE(int(f_.image()[0]), 0x12);
        QCOMPARE(int(f_.image()[1]), 0x34);
        QCOMPARE(text(w, 0), QString("$12"));
        QCOMPARE(text(w, 1), QString("$34"));
        QCOMPARE(text(w, 2), QString("$1234"));
    }

    void editingPCWritesNothing()
    {
        frmRegisters* w = open(RegisterWindow::CPU);
        std::vector<uint8_t> before(f_.image(), f_.image() + 0x10000);
        w->selectRow(5);
        typed_ = "$E123";
        w->mnuEnter();
        QCOMPARE(f_.main->access().regs.PC, 0xE123);
        QVERIFY(std::equal(before.begin(), before.end(), f_.image()));
        QCOMPARE(text(w, 5), QString("$E123"));
    }

    void ccrIsShownAsFlags()
    {
        f_.put(0x0008, {0xFF});
        frmRegisters* w = open(RegisterWindow::CPU);
        QCOMPARE(text(w, 7), QString("%SXHINZVC"));
        QMenu* m = w->buildPopup(7);
        for (const char* n : {"mnuPopupViewHex", "mnuPopupViewBin", "mnuPopupViewDec"})
            QVERIFY(!popupItem(m, n)->isEnabled());
        QVERIFY(popupItem(m, "mnuPopupViewEnter")->isEnabled());
        w->mnuViewDec();  // refused on the CCR row
        QCOMPARE(text(w, 7), QString("%SXHINZVC"));
        typed_ = "%00000001";
        w->mnuEnter();
        QCOMPARE(QString::fromStdString(seen_.DialogText), QString("%11111111"));
        QCOMPARE(int(f_.image()[8]), 1);
        QCOMPARE(text(w, 7), QString("%0000000C"));
        typed_ = "0";
        w->mnuEnter();
        QCOMPARE(text(w, 7), QString("%00000000"));
    }

    void piaInputRowsWriteNowhere()
    {
        frmRegisters* w = open(RegisterWindow::PIA);
        std::vector<uint8_t> before(f_.image(), f_.image() + 0x10000);
        w->selectRow(0);
        typed_ = "$FF";
        w->mnuEnter();
        QCOMPARE(dialogs_, 1);
        QVERIFY(std::equal(before.begin(), before.end(), f_.image()));
        QCOMPARE(text(w, 0), QString("%00000000"));
    }

    // ---- Popup -------------------------------------------------------------------
    void popupStates()
    {
        frmRegisters* w = open(RegisterWindow::Ports);
        QMenu* m = w->buildPopup(-1);
        for (const char* n : {"mnuPopupViewEnter", "mnuPopupViewHex", "mnuPopupViewBin", "mnuPopupViewDec"}) {
            QVERIFY2(!popupItem(m, n)->isEnabled(), n);
            QVERIFY2(!popupItem(m, n)->isChecked(), n);
        }
        for (const char* n : {"mnuPopupViewAddWatch", "mnuPopupViewEditWatch", "mnuPopupViewRemoveWatch"})
            QVERIFY2(!popupItem(m, n)->isVisible(), n);
        QCOMPARE(popupItem(m, "mnuPopupViewEnter")->property("helpContext").toInt(), 95);
        QCOMPARE(popupItem(m, "mnuPopupViewAutoRefresh")->property("helpContext").toInt(), 99);

        m = w->buildPopup(3);
        QCOMPARE(w->selectedRow(), 3);
        QVERIFY(popupItem(m, "mnuPopupViewBin")->isChecked());
        QVERIFY(!popupItem(m, "mnuPopupViewHex")->isChecked());
        popupItem(m, "mnuPopupViewDec")->trigger();
        QCOMPARE(w->view().format(3), ' ');
        m = w->buildPopup(3);
        QVERIFY(popupItem(m, "mnuPopupViewDec")->isChecked());
        QVERIFY(!popupItem(m, "mnuPopupViewBin")->isChecked());
        QVERIFY(popupItem(m, "mnuPopupViewAutoRefresh")->isVisible());
        QVERIFY(popupItem(m, "mnuPopupViewRefresh")->isEnabled());

        popupItem(m, "mnuPopupViewAutoRefresh")->trigger();
        QVERIFY(w->autoRefreshOn());
        m = w->buildPopup(3);
        QVERIFY(popupItem(m, "mnuPopupViewAutoRefresh")->isChecked());
        QVERIFY(!popupItem(m, "mnuPopupViewRefresh")->isEnabled());
        w->mnuAutoRefresh();

        frmRegisters* cpu = open(RegisterWindow::CPU);
        m = cpu->buildPopup(0);
        QVERIFY(!popupItem(m, "mnuPopupViewAutoRefresh")->isVisible());
        QVERIFY(popupItem(m, "mnuPopupViewEnter")->isEnabled());
    }

    // ---- Refresh -------------------------------------------------------------------
    void changedValuesAfterAStep()
    {
        // LDAA #$55 / STAA $1004 / NOP
        f_.put(0xE000, {0x86, 0x55, 0xB7, 0x10, 0x04, 0x01});
        f_.put(0x0006, {0x00, 0xFF});
        f_.main->access().regs.PC = 0xE000;
        f_.main->access().regs.SP = 0x00FF;
        frmRegisters* cpu = open(RegisterWindow::CPU);
        frmRegisters* ports = open(RegisterWindow::Ports);
        f_.main->runCommand("mnuRunStepInto");
        QCOMPARE(text(cpu, 0), QString("$55"));
        QVERIFY(cpu->changed(0));   // A
        QVERIFY(cpu->changed(5));   // PC
        QVERIFY(!cpu->changed(1));  // B
        QVERIFY(!ports->changed(1));
        QCOMPARE(ports->list()->topLevelItem(0)->foreground(1), QBrush());
        f_.main->runCommand("mnuRunStepInto");
        QCOMPARE(text(ports, 1), QString("%01010101"));
        QVERIFY(ports->changed(1));
        QVERIFY(ports->list()->topLevelItem(1)->foreground(1) != QBrush());
        QVERIFY(!cpu->changed(0));
        f_.main->runCommand("mnuRunStepInto");
        QVERIFY(!ports->changed(1));
        QCOMPARE(ports->list()->topLevelItem(1)->foreground(1), QBrush());
        QCOMPARE(f_.main->access().regs.PC, 0xE006);
    }

    void refreshRunRedrawsFromTheSharedImage()
    {
        frmRegisters* timer = open(RegisterWindow::Timer);
        frmRegisters* sci = open(RegisterWindow::SCI);
        f_.put(0x100E, {0xBE, 0xEF});
        f_.put(0x102F, {0x41});
        f_.main->RefreshRun();
        QCOMPARE(text(timer, 0), QString("$BEEF"));
        QCOMPARE(text(sci, 4), QString("$41"));
        QCOMPARE(int(f_.main->access().registerImage[0x0E]), 0xBE);
    }

    void redrawRewritesOnlyChangedCells()
    {
        frmRegisters* ports = open(RegisterWindow::Ports);
        int writes = 0;
        connect(ports->list()->model(), &QAbstractItemModel::dataChanged, this,
                [&writes](const QModelIndex& a, const QModelIndex&, const QList<int>& roles) {
                    if (a.column() == 1 && (roles.isEmpty() || roles.contains(Qt::DisplayRole)))
                        ++writes;
                });
        ports->mnuRefresh();
        ports->mnuRefresh();
        QCOMPARE(writes, 0);
        f_.put(0x1008, {0x3C});
        ports->mnuRefresh();
        QCOMPARE(writes, 1);
        QCOMPARE(text(ports, 5), QString("%00111100"));
        disconnect(ports->list()->model(), nullptr, this, nullptr);
    }

    void autoRefreshFollowsTheActiveWindow()
    {
        frmRegisters* ports = open(RegisterWindow::Ports);
        frmRegisters* timer = open(RegisterWindow::Timer);
        QTimer* t = f_.main->tmrRefresh();
        QTest::qWait(50);  // let the dialogs of earlier tests give up the activation
        f_.activate(ports);
        ports->mnuAutoRefresh();
        QVERIFY(ports->autoRefreshOn());
        QVERIFY(t->isActive());
        f_.activate(timer);
        QVERIFY(!t->isActive());
        f_.activate(ports);
        QVERIFY(t->isActive());
        f_.put(0x1000, {0x81});
        QTRY_COMPARE_WITH_TIMEOUT(text(ports, 0), QString("%10000001"), 2000);
        ports->mnuAutoRefresh();
        QVERIFY(!t->isActive());
        QVERIFY(!ports->autoRefreshOn());
    }

    void autoRefreshPassesBetweenRegisterAndWatchWindows()
    {
        frmRegisters* ports = open(RegisterWindow::Ports);
        auto* watch = qobject_cast<frmWatch*>(f_.main->openView("mnuViewWatch"));
        QVERIFY(watch);
        QTimer* t = f_.main->tmrRefresh();
        QTest::qWait(50);  // let the dialogs of earlier tests give up the activation
        f_.activate(watch);
        watch->mnuAutoRefresh();
        f_.activate(ports);
        ports->mnuAutoRefresh();
        QVERIFY(t->isActive());
        // From one running window to the other, the timer never stops, in
        // either direction, whichever window hears of the change first.
        f_.activate(watch);
        QVERIFY(t->isActive());
        f_.activate(ports);
        QVERIFY(t->isActive());
        ports->mnuAutoRefresh();
        QVERIFY(!t->isActive());
        f_.activate(watch);
        watch->mnuAutoRefresh();
        QVERIFY(!t->isActive());
        f_.main->closeView("mnuViewWatch");
    }

    void failedReadShowsNoData()
    {
        RomBoard board;
        board.online = false;
        frmRegisters* ports = open(RegisterWindow::Ports);
        frmRegisters* cpu = open(RegisterWindow::CPU);
        f_.activate(ports);
        ports->mnuAutoRefresh();
        AccessLayer& a = f_.main->access();
        a.setBoard(&board);
        a.setMode(TargetMode::Board);
        ports->mnuRefresh();
        cpu->mnuRefresh();
        for (frmRegisters* w : {ports, cpu}) {
            QCOMPARE(w->valueColumnWidth(), 0);
            for (int i = 0; i < w->list()->topLevelItemCount(); ++i)
                QVERIFY(text(w, i).isEmpty());
            w->selectRow(0);
            w->mnuEnter();
            QMenu* m = w->buildPopup(0);
            for (const char* n : {"mnuPopupViewEnter", "mnuPopupViewHex", "mnuPopupViewBin", "mnuPopupViewDec"})
                QVERIFY2(!popupItem(m, n)->isEnabled(), n);
        }
        QCOMPARE(dialogs_, 0);
        QVERIFY(!ports->autoRefreshOn());
        QVERIFY(!f_.main->tmrRefresh()->isActive());
        // Back online: the next refresh shows data again.
        board.online = true;
        board.mem[0x1000] = 0x18;
        a.FindBoard();
        ports->mnuRefresh();
        QCOMPARE(text(ports, 0), QString("%00011000"));
        QVERIFY(ports->valueColumnWidth() > 0);
        a.setMode(TargetMode::Simulator);
        a.setBoard(nullptr);
    }
};

QTEST_MAIN(RegisterWindowsTest)
#include "RegisterWindowsTest.moc"
