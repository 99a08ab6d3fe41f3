// Printing an editor to a PDF file instead of a printer, offscreen, and
// reading the pages back with the PDF tools (pdfinfo, pdftotext, pdffonts):
// page count for an empty text, B and B + 1 lines, the header with the page
// number at the right margin, clipped long lines, the printer font from the
// settings, a page too small to print, and the commands with and without
// the print dialog (the real one too).
#include "EditorTestSupport.h"

#include "editor/ui/EditorPrint.h"
#include "editor/ui/SourceEdit.h"

#include <QAction>
#include <QFontMetricsF>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

using namespace zelk;

namespace {

QString tool(const char* name) { return QStandardPaths::findExecutable(QString::fromLatin1(name)); }

QString runTool(const char* name, const QStringList& args)
{
    QProcess p;
    p.start(tool(name), args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString numbered(int lines)
{
    QStringList out;
    for (int i = 1; i <= lines; ++i)
        out << QStringLiteral("L%1\tLDAA\t#%2").arg(i, 4, 10, QLatin1Char('0')).arg(i % 256);
    return out.join('\n');
}

struct PrintFixture : EditorFixture {
    frmMain* m = nullptr;
    frmEditor* e = nullptr;
    QString pdf;
    QList<bool> dialogsShown;  // true: setup
    bool answer = true;
    std::function<bool(QWidget*, QPrinter&, bool)> realDialog = PrintPrompts::dialog;

    PrintFixture()
    {
        m = &start();
        e = NewEditor(*m);
        pdf = dir.filePath("out.pdf");
        QPrinter& p = printer();
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(pdf);
        p.setPageSize(QPageSize(QPageSize::A4));
        p.setPageOrientation(QPageLayout::Portrait);
        p.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        PrintPrompts::dialog = [this](QWidget*, QPrinter&, bool setup) {
            dialogsShown << setup;
            return answer;
        };
    }
    ~PrintFixture()
    {
        PrintPrompts::dialog = realDialog;
        // ZELK_KEEP_PDF=folder keeps each test's output there to look at.
        const QString keep = qEnvironmentVariable("ZELK_KEEP_PDF");
        if (!keep.isEmpty() && printed())
            QFile::copy(pdf, keep + "/" + QTest::currentTestFunction() + ".pdf");
    }

    QPrinter& printer() { return currentPrinter(*m); }
    int bodyLines() { return printLayout(*m, printer(), 1).bodyLines; }
    bool printed() const { return QFileInfo::exists(pdf); }
    int pages() const
    {
        const QRegularExpressionMatch r =
            QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(runTool("pdfinfo", {pdf}));
        return r.hasMatch() ? r.captured(1).toInt() : -1;
    }
    // Each page's text lines, blanks dropped.
    QList<QStringList> pageTexts() const
    {
        QList<QStringList> out;
        for (const QString& page : runTool("pdftotext", {"-layout", pdf, "-"}).split('\f')) {
            QStringList lines;
            for (const QString& l : page.split('\n'))
                if (!l.trimmed().isEmpty())
                    lines << l.simplified();
            if (!lines.isEmpty())
                out << lines;
        }
        return out;
    }
};

#define NEED_PDF_TOOLS()                                                        \
    if (tool("pdfinfo").isEmpty() || tool("pdftotext").isEmpty())               \
        QSKIP("the PDF tools (poppler-utils) are not installed");

} // namespace

class PrintTest : public QObject {
    Q_OBJECT
private slots:
    void anEmptyTextPrintsOnePageWithTheHeaderOnly()
    {
        NEED_PDF_TOOLS();
        PrintFixture f;
        f.m->runCommand("Print");  // the toolbar's button: no dialog
        QVERIFY(f.dialogsShown.isEmpty());
        QCOMPARE(f.pages(), 1);
        const auto texts = f.pageTexts();
        QCOMPARE(texts.size(), 1);
        QCOMPARE(texts[0], QStringList{f.e->EditorTitle + " 1/1"});
        QVERIFY(f.messages.isEmpty());
    }

    void exactlyBLinesFitOnOnePage()
    {
        NEED_PDF_TOOLS();
        PrintFixture f;
        const int B = f.bodyLines();
        QVERIFY2(B > 20, "an A4 page in 8 point type holds more than twenty lines");
        f.e->setContent(numbered(B));
        f.m->toolButton("Print")->trigger();
        QCOMPARE(f.pages(), 1);
        const auto texts = f.pageTexts();
        QCOMPARE(texts[0].size(), B + 1);
        QCOMPARE(texts[0].first(), f.e->EditorTitle + " 1/1");
        QVERIFY(texts[0][1].startsWith("L0001 LDAA #1"));
        QVERIFY(texts[0].last().startsWith(QStringLiteral("L%1").arg(B, 4, 10, QLatin1Char('0'))));
    }

    void bPlusOneLinesGiveTwoPages()
    {
        NEED_PDF_TOOLS();
        PrintFixture f;
        const int B = f.bodyLines();
        f.e->setContent(numbered(B + 1));
        f.m->toolButton("Print")->trigger();
        QCOMPARE(f.pages(), 2);
        const auto texts = f.pageTexts();
        QCOMPARE(texts.size(), 2);
        QCOMPARE(texts[0].first(), f.e->EditorTitle + " 1/2");
        QCOMPARE(texts[0].size(), B + 1);
        QCOMPARE(texts[1].first(), f.e->EditorTitle + " 2/2");
        QCOMPARE(texts[1].size(), 2);
        QVERIFY(texts[1][1].startsWith(QStringLiteral("L%1").arg(B + 1, 4, 10, QLatin1Char('0'))));
    }

    void thePageNumberEndsAtTheRightMargin()
    {
        NEED_PDF_TOOLS();
        PrintFixture f;
        f.e->setContent(numbered(3));
        f.m->toolButton("Print")->trigger();
        QVERIFY(f.printed());
        const QString boxes = runTool("pdftotext", {"-bbox", f.pdf, "-"});
        auto word = [&](const QString& w) {
            const QRegularExpression re(
                QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"[\\d.]+\" xMax=\"([\\d.]+)\"[^>]*>%1</word>")
                    .arg(QRegularExpression::escape(w)));
            const QRegularExpressionMatch r = re.match(boxes);
            return r.hasMatch() ? std::pair{r.captured(1).toDouble(), r.captured(2).toDouble()}
                                : std::pair{-1.0, -1.0};
        };
        const QRectF paint = f.printer().pageLayout().paintRect(QPageLayout::Point);
        const QFontMetricsF fm(toQFont(f.m->settings().printFont), &f.printer());
        const double space = fm.horizontalAdvance(QLatin1Char(' ')) * 72.0 / f.printer().resolution();
        const auto [numLeft, numRight] = word("1/1");
        QVERIFY2(numRight > 0, qPrintable(boxes.left(600)));
        QVERIFY2(numRight <= paint.right() + 0.5 && numRight >= paint.right() - space - 0.5,
                 qPrintable(QStringLiteral("number ends at %1, margin at %2").arg(numRight).arg(paint.right())));
        const auto [titleLeft, titleRight] = word(f.e->EditorTitle);
        QVERIFY(std::abs(titleLeft - paint.left()) < 1.0);
        QVERIFY(titleRight < numLeft);
    }

    void longLinesAreClippedAtTheRightMargin()
    {
        NEED_PDF_TOOLS();
        PrintFixture f;
        f.e->setContent("HEAD" + QString(400, 'x') + "TAILMARK\nNEXT\tLINE");
        f.m->toolButton("Print")->trigger();
        QCOMPARE(f.pages(), 1);
        const auto texts = f.pageTexts();
        QCOMPARE(texts[0].size(), 3);  // clipped, not wrapped onto more lines
        QVERIFY(texts[0][1].startsWith("HEADxxx"));
        QVERIFY(!texts[0][1].contains("TAIL"));
        QVERIFY(texts[0][1].size() < 200);
        QCOMPARE(texts[0][2], QStringLiteral("NEXT LINE"));
    }

    void thePrinterFontComesFromTheSettings()
    {
        NEED_PDF_TOOLS();
        if (tool("pdffonts").isEmpty())
            QSKIP("pdffonts is not installed");
        PrintFixture f;
        if (!QFontDatabase::families().contains("DejaVu Sans Mono"))
            QSKIP("DejaVu Sans Mono is not installed");
        const int small = f.bodyLines();
        f.m->settings().printFont = {QStringLiteral("DejaVu Sans Mono"), 16, true, false};
        const int large = f.bodyLines();
        QVERIFY2(large < small * 3 / 4, qPrintable(QStringLiteral("%1 lines at 16 pt, %2 at 8 pt").arg(large).arg(small)));
        f.e->setContent(numbered(large + 1));
        f.m->toolButton("Print")->trigger();
        QCOMPARE(f.pages(), 2);
        QVERIFY(runTool("pdffonts", {f.pdf}).contains("DejaVuSansMono-Bold"));
    }

    void aPageTooSmallForFiveLinesPrintsNothing()
    {
        PrintFixture f;
        f.printer().setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        f.printer().setPageSize(QPageSize(QSizeF(40, 12), QPageSize::Millimeter, QStringLiteral("tiny")));
        QVERIFY(!printLayout(*f.m, f.printer(), 1).printable());
        f.e->setContent(numbered(10));
        QCOMPARE(PrintEditor(*f.m, *f.e, f.printer()), 0);
        f.m->toolButton("Print")->trigger();
        QVERIFY(!f.printed());
        QVERIFY(f.messages.isEmpty());
    }

    void aPrinterThatCannotStartIsReported()
    {
        PrintFixture f;
        // An output that cannot be opened: the print job cannot begin.
        f.printer().setOutputFileName(f.dir.filePath("no/such/folder/out.pdf"));
        f.e->setContent(numbered(3));
        QCOMPARE(PrintEditor(*f.m, *f.e, f.printer()), 0);
        QCOMPARE(f.messages, QStringList{"Tarvine - Print Error|The printer could not be started !"});
        QCOMPARE(f.e->Text->toPlainText(), numbered(3));
        QVERIFY(!f.e->TextChanged());
    }

    void printAsksTheDialogFirst()
    {
        NEED_PDF_TOOLS();
        PrintFixture f;
        f.e->setContent(numbered(5));
        f.answer = false;
        f.m->runCommand("mnuFilePrint");
        QCOMPARE(f.dialogsShown, QList<bool>{false});
        QVERIFY(!f.printed());
        f.answer = true;
        f.m->show();
        f.m->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.m));
        QTest::keySequence(f.e->Text, QKeySequence(QStringLiteral("Ctrl+P")));
        QCOMPARE(f.dialogsShown, (QList<bool>{false, false}));
        QCOMPARE(f.pages(), 1);
    }

    void printSetupPrintsNothing()
    {
        PrintFixture f;
        f.m->runCommand("mnuFilePrintSetup");
        QCOMPARE(f.dialogsShown, QList<bool>{true});
        QVERIFY(!f.printed());
        QVERIFY(!f.m->statusBar()->currentMessage().contains("not available"));
        // With no editor, Print does nothing at all.
        f.m->runCommand("mnuFileClose");
        QTRY_VERIFY(f.m->editors().isEmpty());
        f.m->runCommand("mnuFilePrint");
        f.m->runCommand("Print");
        QCOMPARE(f.dialogsShown, QList<bool>{true});
        QVERIFY(!f.printed());
    }

    void theRealDialogHasNoPageRangeSelectionOrFile()
    {
        PrintFixture f;
        PrintPrompts::dialog = f.realDialog;
        QStringList seen;
        auto inspect = [&] {
            QTimer* t = new QTimer(f.m);
            t->setInterval(20);
            QObject::connect(t, &QTimer::timeout, [&seen, t] {
                for (QWidget* w : QApplication::topLevelWidgets()) {
                    auto* d = qobject_cast<QPrintDialog*>(w);
                    if (!d || !d->isVisible())
                        continue;
                    seen << QStringLiteral("%1|%2%3%4").arg(d->windowTitle())
                                .arg(d->testOption(QAbstractPrintDialog::PrintToFile))
                                .arg(d->testOption(QAbstractPrintDialog::PrintPageRange))
                                .arg(d->testOption(QAbstractPrintDialog::PrintSelection));
                    t->stop();
                    t->deleteLater();
                    d->reject();
                    return;
                }
            });
            t->start();
        };
        inspect();
        f.m->runCommand("mnuFilePrintSetup");
        inspect();
        f.m->runCommand("mnuFilePrint");
        QCOMPARE(seen, (QStringList{"Print Setup|000", "Print|000"}));
        QVERIFY(!f.printed());  // cancelled: nothing printed
    }
};

QTEST_MAIN(PrintTest)
#include "PrintTest.moc"
