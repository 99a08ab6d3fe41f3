// Printing the active editor and the print dialog module.
#include "editor/ui/EditorPrint.h"

#include "editor/ui/SourceEdit.h"
#include "editor/ui/frmEditor.h"
#include "shell/Settings.h"
#include "shell/ViewRegistry.h"
#include "shell/frmMain.h"

#include <QPushButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextBlock>
#include <QTextDocument>

#include <memory>

namespace zelk {

namespace {

// The current printer lives as long as the main window.
class PrinterHolder : public QObject {
public:
    explicit PrinterHolder(QObject* parent) : QObject(parent), printer(QPrinter::HighResolution)
    {
        setObjectName(QStringLiteral("currentPrinter"));
    }
    QPrinter printer;
};

bool defaultDialog(QWidget* owner, QPrinter& printer, bool setup)
{
    QPrintDialog dlg(&printer, owner);
    dlg.setObjectName(QStringLiteral("frmCdlg"));
    dlg.setWindowTitle(setup ? QStringLiteral("Print Setup") : QStringLiteral("Print"));
    dlg.setOption(QAbstractPrintDialog::PrintToFile, false);
    dlg.setOption(QAbstractPrintDialog::PrintSelection, false);
    dlg.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dlg.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dlg.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
    dlg.setOption(QAbstractPrintDialog::PrintShowPageSize, true);
    if (setup) {
        // Setup chooses; it does not print.
        for (QDialogButtonBox* box : dlg.findChildren<QDialogButtonBox*>())
            if (QPushButton* ok = box->button(QDialogButtonBox::Ok))
                ok->setText(QStringLiteral("OK"));
    }
    return dlg.exec() == QDialog::Accepted;
}

std::u16string_view view(const QString& s) { return {QStringView(s).utf16(), std::size_t(s.size())}; }

QString fromView(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

} // namespace

std::function<bool(QWidget*, QPrinter&, bool)> PrintPrompts::dialog = defaultDialog;

bool CdlPrint(QWidget* owner, QPrinter& printer, bool setup) { return PrintPrompts::dialog(owner, printer, setup); }

QPrinter& currentPrinter(frmMain& m)
{
    auto* h = m.findChild<PrinterHolder*>(QStringLiteral("currentPrinter"), Qt::FindDirectChildrenOnly);
    if (!h)
        h = new PrinterHolder(&m);
    return h->printer;
}

PageLayout printLayout(frmMain& m, QPrinter& printer, int lineCount)
{
    const QFontMetricsF fm(toQFont(m.settings().printFont), &printer);
    return layoutPages(printer.height(), fm.lineSpacing(), lineCount);
}

int PrintEditor(frmMain& m, const frmEditor& e, QPrinter& printer)
{
    const QFont font = toQFont(m.settings().printFont);
    const QFontMetricsF fm(font, &printer);
    const QTextDocument* doc = e.Text->document();
    const int lineCount = doc->blockCount();
    const double h = fm.lineSpacing();
    const PageLayout layout = layoutPages(printer.height(), h, lineCount);
    // A page too small for five lines prints nothing, and says nothing.
    if (!layout.printable())
        return 0;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QPainter p;
    if (!p.begin(&printer)) {
        QApplication::restoreOverrideCursor();
        m.message("Tarvine - Print Error", "The printer could not be started !", MessageIcon::Exclamation);
        return 0;
    }
    p.setFont(font);
    p.setPen(QPen(Qt::black, std::max(1.0, h / 16)));
    const double width = printer.width();
    const MeasureText measure = [&fm](std::u16string_view s) { return fm.horizontalAdvance(fromView(s)); };
    const QString title = e.EditorTitle;
    QTextBlock block = doc->findBlockByNumber(0);
    for (int page = 1; page <= layout.pageCount; ++page) {
        if (page > 1)
            printer.newPage();
        p.drawText(QPointF(0, fm.ascent()), fromView(pageHeader(view(title), page, layout.pageCount, width, measure)));
        p.drawLine(QPointF(0, 1.5 * h), QPointF(width, 1.5 * h));
        const int lines = layout.linesOn(page, lineCount);
        for (int i = 0; i < lines && block.isValid(); ++i, block = block.next()) {
            const QString text = block.text();
            std::u16string line = expandTabs(view(text));
            line.resize(fittingLength(line, width, measure));
            p.drawText(QPointF(0, (2 + i) * h + fm.ascent()), fromView(line));
        }
    }
    p.end();
    QApplication::restoreOverrideCursor();
    return layout.pageCount;
}

void mnuFilePrintSetup(frmMain& m) { CdlPrint(&m, currentPrinter(m), true); }

void mnuFilePrint(frmMain& m)
{
    if (!activeEditor(m))
        return;
    QPrinter& printer = currentPrinter(m);
    // The dialog's event loop may have closed the editor: ask again.
    if (CdlPrint(&m, printer, false))
        if (frmEditor* e = activeEditor(m))
            PrintEditor(m, *e, printer);
}

namespace {

void installPrintCommands(frmMain& m)
{
    // The printer itself is made on first use: start-up does not wait for
    // the printing system.
    frmMain* mp = &m;
    m.setCommand(QStringLiteral("mnuFilePrintSetup"), [mp] { mnuFilePrintSetup(*mp); });
    m.setCommand(QStringLiteral("mnuFilePrint"), [mp] { mnuFilePrint(*mp); });
    // The toolbar button prints at once, without the dialog.
    m.setCommand(QStringLiteral("Print"), [mp] {
        if (frmEditor* e = activeEditor(*mp))
            PrintEditor(*mp, *e, currentPrinter(*mp));
    });
}

} // namespace

ZELK_REGISTER_EXTENSION(printing, installPrintCommands);

} // namespace zelk
