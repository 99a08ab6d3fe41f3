// The watch window and the watch commands: adding by address and by label,
// the full list, byte and word values, formats and the popup, editing a
// value and a watch, removing, the no-data state, and the re-check of named
// watches after a new listing.
#include "LabelsWatchTestSupport.h"

#include "views/ui/frmWatch.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <deque>

using namespace zelk;

namespace {

// The Watch dialog answered with typed texts, checked as the dialog does.
struct WatchTyping {
    std::deque<std::pair<QString, bool>> typed;  // text, word
    int asked = 0;
    QStringList initial;  // DialogText the dialog was opened with
    WatchTyping()
    {
        WatchDialogs::watchAddress = [this](QWidget*, DialogFields& d) {
            ++asked;
            initial << QString::fromStdString(d.DialogText);
            if (typed.empty())
                return;
            auto [text, word] = typed.front();
            typed.pop_front();
            const DialogCheck c = checkWatchAddress(text.toStdString(), programSymbols());
            d.DialogOK = c.verdict == DialogVerdict::Accept;
            d.DialogValue = c.value;
            d.DialogName = c.name;
            d.DialogIsWord = word;
        };
    }
};

frmWatch* window(frmMain& m) { return qobject_cast<frmWatch*>(m.viewWidget("mnuViewWatch")); }

QString row(frmWatch* w, int i) { return w->list()->topLevelItem(i)->text(0); }
QString value(frmWatch* w, int i) { return w->list()->topLevelItem(i)->text(1); }

QAction* item(QMenu* popup, const char* name) { return popup->findChild<QAction*>(name); }

} // namespace

class WatchWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        programWatches().clear();
        programSymbols().clear();
    }

    void addByAddressOpensTheWindowWithTheValue()
    {
        ShellFixture f;
        frmMain& m = f.start();
        WatchTyping t;
        t.typed.push_back({"$0010", false});
        f.put(0x10, {0x5A});
        m.runCommand("mnuDebugAddWatch");
        frmWatch* w = window(m);
        QVERIFY(w);
        QVERIFY(m.isShown("mnuViewWatch"));
        QCOMPARE(t.initial, QStringList{""});
        QCOMPARE(row(w, 0), QStringLiteral("$0010"));
        QCOMPARE(value(w, 0), QStringLiteral("$5A"));
        QVERIFY(w->valueColumnWidth() > 0);
        QCOMPARE(w->selectedRow(), 0);

        // A second watch joins the open window, last row selected.
        t.typed.push_back({"%10001", false});
        f.put(0x11, {0x07});
        m.runCommand("mnuDebugAddWatch");
        QCOMPARE(w->list()->topLevelItemCount(), 2);
        QCOMPARE(row(w, 1), QStringLiteral("$0011"));
        QCOMPARE(value(w, 1), QStringLiteral("$07"));
        QCOMPARE(w->selectedRow(), 1);
    }

    void aLabelNamesTheWatch()
    {
        ShellFixture f;
        frmMain& m = f.start();
        setSymbols({{"PORTA", 0x1000}});
        WatchTyping t;
        t.typed.push_back({"porta", false});
        m.runCommand("mnuDebugAddWatch");
        QCOMPARE(programWatches()[0].WatchName, std::string("PORTA"));
        QCOMPARE(row(window(m), 0), QStringLiteral("PORTA"));
    }

    void aWordReadsHighByteFirst()
    {
        ShellFixture f;
        frmMain& m = f.start();
        WatchTyping t;
        t.typed.push_back({"$00FF", true});
        f.put(0xFF, {0x12, 0x34});
        m.runCommand("mnuDebugAddWatch");
        QCOMPARE(value(window(m), 0), QStringLiteral("$1234"));
    }

    void theThirtyThirdWatchIsRefused()
    {
        ShellFixture f;
        frmMain& m = f.start();
        for (int i = 0; i < 32; ++i)
            programWatches().add(i, "", false);
        WatchTyping t;
        m.runCommand("mnuDebugAddWatch");
        QCOMPARE(t.asked, 0);
        QCOMPARE(f.messages, QStringList{"Tarvine - Watch Error| Can't Add Watch !\n(Max. Watches = 32)"});
        QCOMPARE(programWatches().WatchCount(), 32);
    }

    void formatsAndThePopup_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("checked");
        QTest::newRow("hex") << "mnuPopupViewHex" << "$2A" << "mnuPopupViewHex";
        QTest::newRow("binary") << "mnuPopupViewBin" << "%00101010" << "mnuPopupViewBin";
        QTest::newRow("decimal") << "mnuPopupViewDec" << "42" << "mnuPopupViewDec";
    }
    void formatsAndThePopup()
    {
        QFETCH(QString, command);
        QFETCH(QString, text);
        QFETCH(QString, checked);
        ShellFixture f;
        frmMain& m = f.start();
        programWatches().add(0x20, "", false);
        f.put(0x20, {42});
        m.openView("mnuViewWatch");
        frmWatch* w = window(m);
        item(w->buildPopup(0), qPrintable(command))->trigger();
        QCOMPARE(value(w, 0).trimmed(), text);
        QMenu* popup = w->buildPopup(0);
        for (const char* n : {"mnuPopupViewHex", "mnuPopupViewBin", "mnuPopupViewDec"})
            QCOMPARE(item(popup, n)->isChecked(), checked == n);
        QVERIFY(item(popup, "mnuPopupViewEnter")->isEnabled());
        QVERIFY(item(popup, "mnuPopupViewRemoveWatch")->isEnabled());
        // Off the rows: no Enter Value or formats, but Edit and Remove stay.
        popup = w->buildPopup(-1);
        QVERIFY(!item(popup, "mnuPopupViewEnter")->isEnabled());
        QVERIFY(!item(popup, "mnuPopupViewHex")->isEnabled());
        QVERIFY(item(popup, "mnuPopupViewEditWatch")->isEnabled());
    }

    void thePopupListsTheWatchItemsFirst()
    {
        ShellFixture f;
        frmMain& m = f.start();
        programWatches().add(0x20, "", false);
        m.openView("mnuViewWatch");
        QStringList shown;
        for (QAction* a : window(m)->buildPopup(0)->actions())
            if (a->isVisible())
                shown << (a->isSeparator() ? QStringLiteral("|") : a->text());
        QCOMPARE(shown, (QStringList{"Add &Watch ...", "&Edit Watch ...", "Re&move Watch", "|", "Enter &Value ...",
                                     "|", "&Hex", "&Binary", "&Decimal", "|", "&Auto Refresh", "&Refresh Window",
                                     "|", "Data &Breakpoint"}));
    }

    void thePopupSetsADataBreakpointOnTheWatchedWord()
    {
        ShellFixture f;
        frmMain& m = f.start();
        programWatches().add(0x20, "", true);
        m.openView("mnuViewWatch");
        QMenu* popup = window(m)->buildPopup(0);
        QAction* write = nullptr;
        for (QAction* a : popup->findChildren<QAction*>())
            if (a->objectName() == QLatin1String("mnuPopupDataBreakWrite"))
                write = a;
        QVERIFY(write);
        QCOMPARE(write->text(), QStringLiteral("Break on &Write to $0020-$0021"));
        write->trigger();
        QCOMPARE(m.run().dataBreakpoints.count(), 1);
        QCOMPARE(m.run().dataBreakpoints.at(0).first, 0x20);
        QCOMPARE(m.run().dataBreakpoints.at(0).last, 0x21);
    }

    void enterAndDoubleClickDoNothingWithoutData()
    {
        ShellFixture f;
        frmMain& m = f.start();
        programWatches().add(0x50, "", false);
        m.openView("mnuViewWatch");
        frmWatch* w = window(m);
        w->selectRow(0);
        int asked = 0;
        WatchDialogs::enterValue = [&asked](QWidget*, DialogFields& d) {
            ++asked;
            d.DialogOK = true;
            d.DialogValue = 0x99;
        };
        // Board mode without a board: the read fails, the window has no data.
        m.access().setMode(TargetMode::Board);
        w->mnuRefresh();
        QCOMPARE(w->valueColumnWidth(), 0);
        f.messages.clear();
        w->list()->setFocus();
        QTest::keyClick(w->list(), Qt::Key_Return);
        const QRect r = w->list()->visualItemRect(w->list()->topLevelItem(0));
        QTest::mouseDClick(w->list()->viewport(), Qt::LeftButton, {}, r.center());
        w->mnuEnter();
        QCOMPARE(asked, 0);
        QVERIFY(f.messages.isEmpty());
        // With data again, Enter asks.
        m.access().setMode(TargetMode::Simulator);
        w->mnuRefresh();
        QVERIFY(w->valueColumnWidth() > 0);
        QTest::keyClick(w->list(), Qt::Key_Return);
        QCOMPARE(asked, 1);
        QCOMPARE(int(m.access().image()[0x50]), 0x99);
    }

    void theWatchColumnFitsALongLabel()
    {
        ShellFixture f;
        frmMain& m = f.start();
        const QString longName = QStringLiteral("RECEIVE_BUFFER_WRITE_POINTER");
        setSymbols({{"RECEIVE_BUFFER_WRITE_POINTER", 0x0040}, {"X", 0x0041}});
        WatchTyping t;
        t.typed.push_back({longName.toLower(), false});
        m.runCommand("mnuDebugAddWatch");
        frmWatch* w = window(m);
        QVERIFY(w);
        QCOMPARE(row(w, 0), longName);
        const QFontMetrics fm(w->list()->font());
        QVERIFY2(w->list()->columnWidth(0) > fm.horizontalAdvance(longName),
                 qPrintable(QString::number(w->list()->columnWidth(0))));
        // The value stays beside it, in the no-data state as well.
        QVERIFY(w->valueColumnWidth() > 0);
        m.access().setMode(TargetMode::Board);
        w->mnuRefresh();
        QVERIFY(w->list()->columnWidth(0) > fm.horizontalAdvance(longName));
        m.access().setMode(TargetMode::Simulator);
        // Removing the long one narrows the column again.
        w->selectRow(0);
        RemoveWatch(m);
        QVERIFY(w->list()->columnWidth(0) < fm.horizontalAdvance(longName));
    }

    void enterValueWritesTheTarget()
    {
        ShellFixture f;
        frmMain& m = f.start();
        programWatches().add(0x30, "", true);
        m.openView("mnuViewWatch");
        frmWatch* w = window(m);
        w->selectRow(0);
        QString prompt;
        WatchDialogs::enterValue = [&prompt](QWidget*, DialogFields& d) {
            prompt = QString::fromStdString(d.DialogName + "|" + d.DialogText) + (d.DialogIsWord ? "|word" : "|byte");
            d.DialogOK = true;
            d.DialogValue = 0xBEEF;
        };
        w->mnuEnter();
        QCOMPARE(prompt, QStringLiteral("$0030|$0000|word"));
        QCOMPARE(m.access().image()[0x30], 0xBE);
        QCOMPARE(m.access().image()[0x31], 0xEF);
        QCOMPARE(value(w, 0), QStringLiteral("$BEEF"));
    }

    void editKeepsTheFormatAndRemoveEmptiesTheWindow()
    {
        ShellFixture f;
        frmMain& m = f.start();
        programWatches().add(0x40, "", false);
        m.openView("mnuViewWatch");
        frmWatch* w = window(m);
        w->selectRow(0);
        w->mnuViewDec();
        WatchTyping t;
        t.typed.push_back({"$0041", false});
        f.put(0x41, {9});
        m.runCommand("mnuDebugEditWatch");
        QCOMPARE(t.initial, QStringList{"$0040"});
        QCOMPARE(row(w, 0), QStringLiteral("$0041"));
        QCOMPARE(value(w, 0).trimmed(), QStringLiteral("9"));

        item(w->buildPopup(0), "mnuPopupViewRemoveWatch")->trigger();
        QCOMPARE(programWatches().WatchCount(), 0);
        QCOMPARE(w->list()->topLevelItemCount(), 0);
        QVERIFY(!m.menuItem("mnuDebugEditWatch")->isEnabled());
        QVERIFY(!item(w->buildPopup(-1), "mnuPopupViewRemoveWatch")->isEnabled());
    }

    void aFailedReadShowsNoDataAndStopsAutoRefresh()
    {
        ShellFixture f;
        frmMain& m = f.start();
        programWatches().add(0x50, "", false);
        m.openView("mnuViewWatch");
        frmWatch* w = window(m);
        w->mnuAutoRefresh();
        QVERIFY(w->autoRefreshOn());
        // Board mode without a board: every read fails.
        m.access().setMode(TargetMode::Board);
        w->mnuRefresh();
        QCOMPARE(w->valueColumnWidth(), 0);
        QCOMPARE(value(w, 0), QString());
        QCOMPARE(row(w, 0), QStringLiteral("$0050"));
        QVERIFY(!w->autoRefreshOn());
        QVERIFY(!m.tmrRefresh()->isActive());
    }

    void aNewListingUnbindsMovedLabels()
    {
        ShellFixture f;
        frmMain& m = f.start();
        setSymbols({{"VAR", 0x0010}, {"KEEP", 0x0020}});
        WatchTyping t;
        t.typed = {{"VAR", false}, {"KEEP", false}};
        m.runCommand("mnuDebugAddWatch");
        m.runCommand("mnuDebugAddWatch");
        QTemporaryDir d;
        QFile lst(d.filePath("new.lst"));
        QVERIFY(lst.open(QIODevice::WriteOnly));
        // Listing lines: the label starts in column 28.
        const QByteArray pad(15, ' ');
        lst.write("0001 0030 00" + pad + "VAR     FCB     0\n");
        lst.write("0002 0020 00" + pad + "KEEP    FCB     0\n");
        lst.close();
        QVERIFY(FileLoadSymbols(m, lst.fileName()));
        QCOMPARE(programSymbols().lookup("KEEP"), 0x0020);
        frmWatch* w = window(m);
        QCOMPARE(row(w, 0), QStringLiteral("$0010"));
        QVERIFY(!programWatches()[0].WatchNamed);
        QCOMPARE(row(w, 1), QStringLiteral("KEEP"));
    }

    void autoRefreshFollowsTheActiveWindow()
    {
        ShellFixture f;
        frmMain& m = f.start();
        m.show();
        programWatches().add(0x70, "", false);
        m.openView("mnuViewWatch");
        frmWatch* w = window(m);
        auto* watchSub = qobject_cast<QMdiSubWindow*>(w->parentWidget());
        m.mdiArea()->setActiveSubWindow(watchSub);
        m.setCommandEnabled("mnuDebugEditWatch", false);
        m.mdiArea()->setActiveSubWindow(nullptr);
        m.mdiArea()->setActiveSubWindow(watchSub);
        QVERIFY(m.menuItem("mnuDebugEditWatch")->isEnabled());
        w->mnuAutoRefresh();
        QVERIFY(m.tmrRefresh()->isActive());
        // Another window becomes active: the timer and Edit Watch stop.
        m.openView("mnuViewLabel");
        m.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(m.viewWidget("mnuViewLabel")->parentWidget()));
        QCoreApplication::processEvents();
        QVERIFY(!m.tmrRefresh()->isActive());
        QVERIFY(!m.menuItem("mnuDebugEditWatch")->isEnabled());
        // A refresh of the inactive watch window leaves the timer alone.
        m.tmrRefresh()->start();
        w->mnuRefresh();
        QVERIFY(m.tmrRefresh()->isActive());
        m.tmrRefresh()->stop();
        m.mdiArea()->setActiveSubWindow(watchSub);
        QCoreApplication::processEvents();
        QVERIFY(m.tmrRefresh()->isActive());
        m.mdiArea()->closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void theListOutlivesTheWindow()
    {
        ShellFixture f;
        frmMain& m = f.start();
        programWatches().add(0x60, "", false);
        m.openView("mnuViewWatch");
        m.closeView("mnuViewWatch");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!m.isShown("mnuViewWatch"));
        QCOMPARE(programWatches().WatchCount(), 1);
        m.openView("mnuViewWatch");
        QCOMPARE(row(window(m), 0), QStringLiteral("$0060"));
    }
};

QTEST_MAIN(WatchWindowTest)
#include "WatchWindowTest.moc"
