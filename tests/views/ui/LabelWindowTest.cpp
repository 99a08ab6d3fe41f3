// The labels window: rows from the symbol table, the three sort modes, the
// stored sort mode, the sort popup, and the redraw after a new listing.
#include "LabelsWatchTestSupport.h"

#include "views/ui/frmLabel.h"

#include <QAction>
#include <QMenu>
#include <QTreeWidget>
#include <QtTest>

using namespace zelk;

namespace {

QStringList rows(frmLabel* w)
{
    QStringList out;
    for (int i = 0; i < w->list()->topLevelItemCount(); ++i)
        out << w->list()->topLevelItem(i)->text(0) + "=" + w->list()->topLevelItem(i)->text(1);
    return out;
}

frmLabel* open(frmMain& m) { return qobject_cast<frmLabel*>(m.openView("mnuViewLabel")); }

} // namespace

class LabelWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { programSymbols().clear(); }

    void emptyTableShowsTwoColumnsAndNoRows()
    {
        ShellFixture f;
        frmMain& m = f.start();
        frmLabel* w = open(m);
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Labels"));
        QCOMPARE(w->list()->topLevelItemCount(), 0);
        QCOMPARE(w->list()->columnCount(), 2);
        QVERIFY(m.isShown("mnuViewLabel"));
    }

    void sortModes_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("checked");
        const QStringList table{"LOOP=$E005", "start=$E000", "DATA=$0100", "BUF=$00FF", "ALIAS=$E000"};
        QTest::newRow("unsorted") << "" << table << "mnuPopupSortNone";
        QTest::newRow("unknown mode is unsorted") << "X" << table << "mnuPopupSortNone";
        QTest::newRow("by name")
            << "N" << QStringList{"ALIAS=$E000", "BUF=$00FF", "DATA=$0100", "LOOP=$E005", "start=$E000"}
            << "mnuPopupSortName";
        QTest::newRow("by value")
            << "V" << QStringList{"BUF=$00FF", "DATA=$0100", "start=$E000", "ALIAS=$E000", "LOOP=$E005"}
            << "mnuPopupSortValue";
    }
    void sortModes()
    {
        QFETCH(QString, stored);
        QFETCH(QStringList, expected);
        QFETCH(QString, checked);
        ShellFixture f;
        f.qs->setValue("Settings/LabelSort", stored);
        frmMain& m = f.start();
        // An unlabelled line is no row.
        setSymbols({{"LOOP", 0xE005}, {"start", 0xE000}, {"", 0xE002}, {"DATA", 0x0100}, {"BUF", 0x00FF},
                    {"ALIAS", 0xE000}});
        frmLabel* w = open(m);
        QCOMPARE(rows(w), expected);
        QMenu* popup = w->buildPopup();
        for (QAction* a : popup->actions())
            if (!a->isSeparator())
                QCOMPARE(a->isChecked(), a->objectName() == checked);
    }

    void theLabelColumnFitsTheLongestLabel()
    {
        ShellFixture f;
        frmMain& m = f.start();
        const QString longest = QStringLiteral("SERIAL_INTERRUPT_HANDLER_ENTRY");
        setSymbols({{"A", 1}, {"SERIAL_INTERRUPT_HANDLER_ENTRY", 0xE123}, {"LOOP", 2}});
        frmLabel* w = open(m);
        const QFontMetrics fm(w->list()->font());
        QVERIFY2(w->list()->columnWidth(0) > fm.horizontalAdvance(longest),
                 qPrintable(QString::number(w->list()->columnWidth(0))));
        // The value column keeps room for "$" and four digits beside it.
        QVERIFY(w->list()->columnWidth(1) >= fm.horizontalAdvance(QStringLiteral("$E123")));
        // Short labels only: the column is no narrower than its design width.
        const int shortWidth = [&] {
            setSymbols({{"A", 1}});
            w->Redraw();
            return w->list()->columnWidth(0);
        }();
        QVERIFY(shortWidth < fm.horizontalAdvance(longest));
        QVERIFY(shortWidth >= fm.horizontalAdvance(QStringLiteral("A")));
    }

    void popupChangesTheSortAndTheSettingKeepsIt()
    {
        ShellFixture f;
        frmMain& m = f.start();
        setSymbols({{"B", 2}, {"A", 1}});
        frmLabel* w = open(m);
        QCOMPARE(rows(w), (QStringList{"B=$0002", "A=$0001"}));
        w->buildPopup()->findChild<QAction*>("mnuPopupSortName")->trigger();
        QCOMPARE(w->SortMode, QStringLiteral("N"));
        QCOMPARE(rows(w), (QStringList{"A=$0001", "B=$0002"}));
        m.closeView("mnuViewLabel");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!m.isShown("mnuViewLabel"));
        QCOMPARE(m.store().value("LabelSort"), QStringLiteral("N"));
    }

    void newListingRedrawsTheOpenWindow()
    {
        ShellFixture f;
        frmMain& m = f.start();
        frmLabel* w = open(m);
        QTemporaryDir d;
        const QString lst = d.filePath("p.lst");
        QFile file(lst);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("0001 E000 86 05            START   LDAA    #5\n"
                   "0002 E002 20 FE            LOOP    BRA     LOOP\n");
        file.close();
        QVERIFY(FileLoadSymbols(m, lst));
        QCOMPARE(rows(w), (QStringList{"START=$E000", "LOOP=$E002"}));
    }
};

QTEST_MAIN(LabelWindowTest)
#include "LabelWindowTest.moc"
