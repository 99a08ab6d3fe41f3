// Printing the active editor, and the Print Setup and Print commands.
//
// The program keeps one current printer for its run (Print Setup's choice);
// Print shows the print dialog first, the toolbar's Print prints at once.
// Pages are laid out by PrintLayout: header with the title and "p/P", a rule,
// then the text in the printer font; lines wider than the page are clipped.
#pragma once

#include "editor/PrintLayout.h"

#include <QString>

#include <functional>

class QPrinter;
class QWidget;

namespace zelk {

class frmMain;
class frmEditor;

// The print dialog; tests replace it. setup: the Print Setup form (choose
// the printer and paper, print nothing). Returns true for OK.
struct PrintPrompts {
    static std::function<bool(QWidget* owner, QPrinter& printer, bool setup)> dialog;
};

// The print dialog module: page range and selection off, print to file not
// offered, copies and collation kept in the printer. True on OK; the dialog's
// printer, copies, orientation and paper are then the printer's.
bool CdlPrint(QWidget* owner, QPrinter& printer, bool setup);

// The program's current printer (created with the main window).
QPrinter& currentPrinter(frmMain& m);

// The layout a text of lineCount lines gets on the printer in the font of
// the settings.
PageLayout printLayout(frmMain& m, QPrinter& printer, int lineCount);

// Prints the editor's text on the printer; returns the pages printed (0 when
// the page holds fewer than five lines, or the printer could not start,
// which is reported).
int PrintEditor(frmMain& m, const frmEditor& e, QPrinter& printer);

void mnuFilePrintSetup(frmMain& m);
void mnuFilePrint(frmMain& m);

} // namespace zelk
