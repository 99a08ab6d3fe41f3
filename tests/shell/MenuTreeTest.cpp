// The menu tree of the main window against the table of the design: names,
// captions, shortcuts, initial state and order, separators, submenu, hidden
// items; then the toolbar's buttons and the status bar's panels.
#include "ShellTestSupport.h"

#include "shell/HelpViewer.h"
#include "shell/MenuTable.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QFile>
#include <QTextBrowser>
#include <QtTest>

using namespace zelk;

namespace {

struct Row {
    const char* name;
    const char* caption;  // "-" for a separator
    const char* key;
    bool enabled;
    int depth;            // 0 top menu, 1 item, 2 submenu item
};

// The design's menu bar, top to bottom.
const Row kExpected[] = {
    {"mnuFile", "&File", "", true, 0},
    {"mnuFileNew", "&New", "Ctrl+N", true, 1},
    {"mnuFileOpen", "&Open ...", "Ctrl+O", true, 1},
    {"mnuFileClose", "&Close", "", false, 1},
    {"mnuFileBar1", "-", "", true, 1},
    {"mnuFileSave", "&Save", "Ctrl+S", false, 1},
    {"mnuFileSaveAs", "Save &As ...", "", false, 1},
    {"mnuFileBar2", "-", "", true, 1},
    {"mnuFilePrintSetup", "P&rint Setup ...", "", true, 1},
    {"mnuFilePrint", "&Print ...", "Ctrl+P", false, 1},
    {"mnuFileBar3", "-", "", true, 1},
    {"mnuFileAssemble", "Asse&mble ...", "F2", true, 1},
    {"mnuFileLoadSymbols", "&Load Symbols ...", "Ctrl+L", true, 1},
    {"mnuFileDownload", "&Download ...", "Ctrl+D", true, 1},
    {"mnuFileBar4", "-", "", true, 1},
    {"mnuFileExit", "E&xit", "", true, 1},
    {"mnuEdit", "&Edit", "", true, 0},
    {"mnuEditUndo", "&Undo", "Ctrl+Z", false, 1},
    {"mnuEditRedo", "R&edo", "", false, 1},
    {"mnuEditBar1", "-", "", true, 1},
    {"mnuEditCut", "Cu&t", "Ctrl+X", false, 1},
    {"mnuEditCopy", "&Copy", "Ctrl+C", false, 1},
    {"mnuEditPaste", "&Paste", "Ctrl+V", false, 1},
    {"mnuEditDelete", "&Delete", "Del", false, 1},
    {"mnuEditBar2", "-", "", true, 1},
    {"mnuEditSelectAll", "Select Al&l", "Ctrl+A", false, 1},
    {"mnuEditBar3", "-", "", true, 1},
    {"mnuEditFind", "&Find ...", "Ctrl+F", false, 1},
    {"mnuEditFindNext", "Find &Next", "F3", false, 1},
    {"mnuEditReplace", "&Replace ...", "Ctrl+H", false, 1},
    {"mnuEditBar4", "-", "", true, 1},
    {"mnuEditGoToLine", "&Go To Line ...", "Ctrl+G", false, 1},
    {"mnuView", "&View", "", true, 0},
    {"mnuViewRegCPU", "&CPU Registers", "", true, 1},
    {"mnuViewRegBlock", "&Register Block", "", true, 1},
    {"mnuViewRegPorts", "&Ports", "", true, 2},
    {"mnuViewRegTimer", "&Timer", "", true, 2},
    {"mnuViewRegPulseAcc", "P&ulse Accumulator", "", true, 2},
    {"mnuViewRegSCI", "S&CI", "", true, 2},
    {"mnuViewRegSPI", "&SPI", "", true, 2},
    {"mnuViewRegAD", "&A/D Converter", "", true, 2},
    {"mnuViewRegOther", "&Other", "", true, 2},
    {"mnuViewRegPIA", "&PIA Registers", "", true, 1},
    {"mnuViewIOunit", "&IO unit", "", true, 1},
    {"mnuViewPins", "On-chip pi&ns", "", false, 1},  // the simulator's pins only
    {"mnuViewBar1", "-", "", true, 1},
    {"mnuViewMemory", "&Memory Window", "", true, 1},
    {"mnuViewWatch", "&Watch Window", "", true, 1},
    {"mnuViewStack", "&Stack", "", true, 1},
    {"mnuViewBar2", "-", "", true, 1},
    {"mnuViewDisassembler", "&Disassembler", "", true, 1},
    {"mnuViewLabel", "&Labels", "", true, 1},
    {"mnuViewBar3", "-", "", true, 1},
    {"mnuViewSerialTerminal", "S&erial Terminal", "", true, 1},
    {"mnuViewBar4", "-", "", true, 1},
    {"mnuViewToolbar", "&Toolbar", "", true, 1},
    {"mnuViewStatusBar", "Status &Bar", "", true, 1},
    {"mnuViewBar5", "-", "", true, 1},
    {"mnuViewOptions", "&Options ...", "", true, 1},
    {"mnuDebug", "&Debug", "", true, 0},
    {"mnuDebugAddWatch", "Add &Watch ...", "Ctrl+W", true, 1},
    {"mnuDebugEditWatch", "&Edit Watch ...", "", false, 1},
    {"mnuDebugBar1", "-", "", true, 1},
    {"mnuDebugCodeOn", "Code &On", "", false, 1},
    {"mnuDebugIncludeSym", "Include &Symbols", "", false, 1},
    {"mnuDebugBar2", "-", "", true, 1},
    {"mnuDebugToggleBreakpoint", "&Toggle Breakpoint", "F9", false, 1},
    {"mnuDebugClearAllBreakpoints", "&Clear All Breakpoints", "Shift+F9", false, 1},
    {"mnuDebugBreakpoints", "&Breakpoints ...", "Ctrl+B", true, 1},
    {"mnuDebugBar3", "-", "", true, 1},
    {"mnuDebugSetNewPC", "Set &New PC", "", false, 1},
    {"mnuDebugGetResVec", "Get &Reset Vector", "", false, 1},
    {"mnuDebugBar4", "-", "", true, 1},
    {"mnuDebugGoToPCAddress", "Go To &PC Address", "Shift+F4", false, 1},
    {"mnuDebugGoToAddress", "Go To &Address ...", "F4", false, 1},
    {"mnuDebugBar5", "-", "", true, 1},
    {"mnuDebugResetCounter", "Reset counter", "", true, 1},
    {"mnuDebugBar6", "-", "", true, 1},
    {"mnuDebugProfile", "Cycle &Profile", "", true, 1},
    {"mnuDebugHottest", "&Hottest Addresses ...", "", false, 1},
    {"mnuDebugExportProfile", "E&xport Profile ...", "", false, 1},
    {"mnuDebugRefresh", "&Refresh Window", "", true, 1},
    {"mnuRun", "&Run", "", true, 0},
    {"mnuRunRun", "&Run", "", false, 1},
    {"mnuRunPlay", "&Play", "F5", false, 1},
    {"mnuRunAnimate", "&Animate", "Shift+F5", false, 1},
    {"mnuRunBar1", "-", "", true, 1},
    {"mnuRunStepInto", "Step &Into", "F7", false, 1},
    {"mnuRunStepOver", "Step &Over", "F8", false, 1},
    {"mnuRunStepOut", "Step Ou&t", "Shift+F7", false, 1},
    {"mnuRunRunTo", "Run To &Cursor", "F6", false, 1},
    {"mnuRunStepBack", "Step &Back", "Ctrl+F7", false, 1},
    {"mnuRunRunBack", "Run Bac&k", "Ctrl+F5", false, 1},
    {"mnuRunBar2", "-", "", true, 1},
    {"mnuRunPause", "&Pause", "", false, 1},
    {"mnuWindow", "&Window", "", true, 0},
    {"mnuWindowArrangeDebugger", "Arrange &Debugger", "", true, 1},
    {"mnuWindowBar1", "-", "", true, 1},
    {"mnuWindowCascade", "&Cascade Editors", "", true, 1},
    {"mnuWindowTileHorizontal", "Tile &Horizontal Editors", "", true, 1},
    {"mnuWindowTileVertical", "Tile &Vertical Editors", "", true, 1},
    {"mnuHelp", "&Help", "", true, 0},
    {"mnuHelpVeskHelp", "ZELK Help &Topics", "", true, 1},
    {"mnuHelpUsingHelp", "&Using Help", "", true, 1},
    {"mnuHelpBar1", "-", "", true, 1},
    {"mnuHelpHC11Symbols", "HC11 &Symbols", "", true, 1},
    {"mnuHelpBar2", "-", "", true, 1},
    {"mnuHelpAboutVesk", "&About ZELK ...", "", true, 1},
};

void walk(QMenu* m, int depth, QList<QAction*>& out, QList<int>& depths)
{
    for (QAction* a : m->actions()) {
        out << a;
        depths << depth;
        if (a->menu())
            walk(a->menu(), depth + 1, out, depths);
    }
}

} // namespace

class MenuTreeTest : public QObject {
    Q_OBJECT
private slots:
    void menuBarMatchesTheDesign()
    {
        // Board mode from a fresh store: the run commands stay as designed.
        ShellFixture f;
        frmMain& m = f.start(false);
        QList<QAction*> got;
        QList<int> depths;
        for (QAction* top : m.menuBar()->actions()) {
            got << top;
            depths << 0;
            walk(top->menu(), 1, got, depths);
        }
        QCOMPARE(got.size(), int(std::size(kExpected)));
        for (int i = 0; i < got.size(); ++i) {
            const Row& r = kExpected[i];
            QAction* a = got[i];
            const QByteArray where = QByteArray("row ") + QByteArray::number(i) + " " + r.name;
            QVERIFY2(a->objectName() == QLatin1String(r.name), where + " got " + a->objectName().toLatin1());
            QVERIFY2(depths[i] == r.depth, where);
            if (QByteArray(r.caption) == "-") {
                QVERIFY2(a->isSeparator(), where);
                continue;
            }
            QVERIFY2(a->text() == QLatin1String(r.caption), where + " caption " + a->text().toLatin1());
            QVERIFY2(a->shortcut() == QKeySequence(QLatin1String(r.key)), where);
            // A hidden item (the disassembler popup's Refresh Window) reads
            // as disabled until it is shown.
            if (a->isVisible())
                QVERIFY2(a->isEnabled() == r.enabled, where + " enabled");
            else
                QVERIFY2(QByteArray(r.name) == "mnuDebugRefresh", where + " hidden");
        }
    }

    void checkItemsStartAsTheDefaultsSay()
    {
        ShellFixture f;
        frmMain& m = f.start();
        QVERIFY(m.menuItem("mnuViewToolbar")->isChecked());
        QVERIFY(m.menuItem("mnuViewStatusBar")->isChecked());
        QVERIFY(m.menuItem("mnuDebugCodeOn")->isChecked());
        QVERIFY(!m.menuItem("mnuDebugIncludeSym")->isChecked());
        for (const char* n : {"mnuViewRegCPU", "mnuViewMemory", "mnuViewDisassembler", "mnuViewIOunit"}) {
            QVERIFY2(m.menuItem(n)->isCheckable(), n);
            QVERIFY2(!m.menuItem(n)->isChecked(), n);
        }
        QVERIFY(!m.menuItem("mnuDebugRefresh")->isVisible());
    }

    void helpContextNumbers_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("context");
        QTest::newRow("new") << "mnuFileNew" << 2;
        QTest::newRow("exit") << "mnuFileExit" << 12;
        QTest::newRow("goToLine") << "mnuEditGoToLine" << 24;
        QTest::newRow("pia") << "mnuViewRegPIA" << 35;
        QTest::newRow("options") << "mnuViewOptions" << 44;
        QTest::newRow("goToAddress") << "mnuDebugGoToAddress" << 54;
        QTest::newRow("pause") << "mnuRunPause" << 62;
        QTest::newRow("tileV") << "mnuWindowTileVertical" << 67;
        QTest::newRow("about") << "mnuHelpAboutVesk" << 72;
        QTest::newRow("play has none") << "mnuRunPlay" << 0;
        QTest::newRow("io unit has none") << "mnuViewIOunit" << 0;
    }
    void helpContextNumbers()
    {
        QFETCH(QString, item);
        QFETCH(int, context);
        ShellFixture f;
        frmMain& m = f.start();
        QCOMPARE(m.menuItem(item)->property("helpContext").toInt(), context);
    }

    void everyHelpContextHasItsTopic()
    {
        QFile f(QStringLiteral(ZELK_HELP_SOURCE));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(f.readAll());
        QList<int> contexts{0, 95, 96, 97, 98, 99, 999};
        for (const MenuItemDef& d : menuTable())
            if (d.help)
                contexts << d.help;
        for (int c : contexts) {
            const QString anchor = QStringLiteral("<a name=\"%1\">").arg(HelpViewer::anchorFor(c));
            QVERIFY2(html.contains(anchor), qPrintable(anchor));
        }
    }

    void helpCommandsAndF1OpenTheirTopics()
    {
        ShellFixture f;
        frmMain& m = f.start();
        m.setHelpFile(QStringLiteral(ZELK_HELP_SOURCE));
        m.show();
        m.runCommand("mnuHelpHC11Symbols");
        QVERIFY(m.helpViewer());
        QCOMPARE(m.helpViewer()->browser()->source().fragment(), QStringLiteral("ctx999"));
        // F1 on a widget that names its topic.
        auto* w = new QWidget;
        w->setProperty("helpContext", 39);
        auto* edit = new QLineEdit(w);
        m.addChild(w)->show();
        edit->setFocus();
        QApplication::setActiveWindow(&m);
        QTest::keyClick(edit, Qt::Key_F1);
        QCOMPARE(m.helpViewer()->browser()->source().fragment(), QStringLiteral("ctx39"));
        // A missing help file is said in the viewer, not a crash.
        m.setHelpFile(f.dir.filePath("none.html"));
        m.showHelp(2);
        QVERIFY(m.helpViewer()->browser()->toPlainText().contains("missing"));
    }

    void missingHelpFileOpensTheNotFoundPage_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("topics") << "mnuHelpVeskHelp";
        QTest::newRow("using help") << "mnuHelpUsingHelp";
        QTest::newRow("symbols") << "mnuHelpHC11Symbols";
    }
    void missingHelpFileOpensTheNotFoundPage()
    {
        QFETCH(QString, command);
        ShellFixture f;
        frmMain& m = f.start();
        m.setHelpFile(f.dir.filePath("ZELK.html"));
        m.show();
        m.runCommand(command);
        QVERIFY(m.helpViewer());
        QVERIFY(m.helpViewer()->isVisible());
        QVERIFY(m.helpViewer()->browser()->toPlainText().contains("Help not found"));
        // Once the file is there, the same viewer shows it.
        QFile help(f.dir.filePath("ZELK.html"));
        QVERIFY(help.open(QIODevice::WriteOnly));
        help.write("<html><body><a name=\"contents\"></a><h1>Contents here</h1></body></html>");
        help.close();
        m.runCommand("mnuHelpVeskHelp");
        QVERIFY(m.helpViewer()->isVisible());
        QVERIFY(m.helpViewer()->browser()->toPlainText().contains("Contents here"));
    }

    void toolbarButtonsInOrderWithTooltips()
    {
        ShellFixture f;
        frmMain& m = f.start(false);
        auto* tb = m.findChild<QToolBar*>("tbToolbar");
        QVERIFY(tb);
        QStringList seen;
        for (QAction* a : tb->actions())
            seen << (a->isSeparator() ? QStringLiteral("|") : a->toolTip());
        const QStringList expected = QString("New Open Save | Print | Cut Copy Paste | Undo Redo | Find FindNext | "
                                             "Assemble | Download | Run Play Animate Pause | StepInto StepOver "
                                             "RunToCursor StepOut | ToggleBreakpoint AddWatch | AboutVesk")
                                         .split(' ');
        QStringList compact;
        for (const QString& s : seen)
            compact << QString(s).remove(' ');
        QCOMPARE(compact, expected);
        for (QAction* a : tb->actions()) {
            if (a->isSeparator())
                continue;
            QVERIFY2(!a->icon().isNull(), qPrintable(a->toolTip()));
            QVERIFY2(!a->icon().pixmap(16, 16).isNull(), qPrintable(a->toolTip()));
            if (QWidget* w = tb->widgetForAction(a))
                QCOMPARE(w->size(), QSize(24, 22));
        }
        // Buttons start as their menu items.
        QVERIFY(!m.toolButton("Save")->isEnabled());
        QVERIFY(!m.toolButton("Play")->isEnabled());
        QVERIFY(m.toolButton("Download")->isEnabled());
        QVERIFY(m.toolButton("Add Watch")->isEnabled());
        QVERIFY(m.toolButton("About Vesk")->isEnabled());
    }

    void statusBarPanels()
    {
        ShellFixture f({{"Settings/COMDevice", "/nonexistent/zelk-port"}});
        frmMain& m = f.start(false);
        const char* texts[] = {"HC11 Board: Communication Port Error !", "Program: <None>", "Symbols: <None>",
                               "Clock= 00000000", "", "Col.", "INS"};
        for (int i = 1; i <= 7; ++i)
            QCOMPARE(m.panel(i)->text(), QString::fromLatin1(texts[i - 1]));
        QVERIFY(m.portError());
        QCOMPARE(m.statusBar()->objectName(), QStringLiteral("sbStatusBar"));
    }

    void passingMessageLeavesThePanelsVisible()
    {
        ShellFixture f;
        frmMain& m = f.start();
        m.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m));
        QList<int> shown;
        for (int i = 1; i <= 7; ++i)
            if (m.panel(i)->isVisible())
                shown << i;
        QVERIFY(shown.contains(1));
        m.say(QStringLiteral("Program loaded"));
        QCoreApplication::processEvents();
        for (int i : shown) {
            QVERIFY2(m.panel(i)->isVisible(), qPrintable(QString::number(i)));
            QVERIFY2(m.panel(i)->width() > 0, qPrintable(QString::number(i)));
        }
        QCOMPARE(m.passingMessage(), QStringLiteral("Program loaded"));
        auto* message = m.statusBar()->findChild<QLabel*>(QStringLiteral("sbMessage"));
        QVERIFY(message);
        QVERIFY(message->isVisible());
        // A panel written while the message shows is readable at once.
        m.setPanelText(3, QStringLiteral("Symbols: 12"));
        QVERIFY(m.panel(3)->isVisible());
        QCOMPARE(m.panel(3)->text(), QStringLiteral("Symbols: 12"));
    }

    void viewToolbarAndStatusBarToggle()
    {
        ShellFixture f;
        frmMain& m = f.start();
        m.show();
        m.menuItem("mnuViewToolbar")->trigger();
        QVERIFY(!m.menuItem("mnuViewToolbar")->isChecked());
        QVERIFY(!m.findChild<QToolBar*>("tbToolbar")->isVisible());
        m.menuItem("mnuViewStatusBar")->trigger();
        QVERIFY(!m.statusBar()->isVisible());
        m.menuItem("mnuViewToolbar")->trigger();
        QVERIFY(m.findChild<QToolBar*>("tbToolbar")->isVisible());
    }

    void windowMenuFollowsTheEditors()
    {
        ShellFixture f;
        frmMain& m = f.start();
        emit m.menu("mnuWindow")->aboutToShow();
        QVERIFY(!m.menuItem("mnuWindowCascade")->isEnabled());
        QVERIFY(!m.menuItem("mnuWindowTileHorizontal")->isEnabled());
        QVERIFY(!m.menuItem("mnuWindowTileVertical")->isEnabled());
        QVERIFY(m.menuItem("mnuWindowArrangeDebugger")->isEnabled());
        auto* ed = new QWidget;
        ed->setObjectName("frmEditor");
        m.addChild(ed)->show();
        emit m.menu("mnuWindow")->aboutToShow();
        QVERIFY(m.menuItem("mnuWindowCascade")->isEnabled());
        QVERIFY(m.menuItem("mnuWindowTileVertical")->isEnabled());
    }
};

QTEST_MAIN(MenuTreeTest)
#include "MenuTreeTest.moc"
