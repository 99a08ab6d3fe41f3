// The program's symbol table and file titles, and loading a listing into it.
#include "editor/ui/ProgramSymbols.h"

#include "editor/ui/SourceDebug.h"
#include "shell/frmMain.h"
#include "views/ui/DialogShared.h"
#include "views/ui/frmWatch.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

namespace zelk {

// The table the dialogs and the disassembler read.
SymbolTable& programSymbols() { return sharedSymbols(); }

ProgramFiles& programFiles()
{
    static ProgramFiles files;
    return files;
}

bool LoadSymbols(frmMain& m, const QString& path)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const SymbolLoadResult r = LoadSymbols(std::filesystem::path(QFile::encodeName(path).toStdString()),
                                           programSymbols());
    QApplication::restoreOverrideCursor();
    if (!r.ok) {
        m.message(ReadErrorCaption, readErrorMessage(r.error), MessageIcon::Exclamation);
        return false;
    }
    m.setPanelText(3, QString::fromStdString(symbolsStatusText(
                          programSymbols(), QFileInfo(path).fileName().toStdString())));
    return true;
}

bool FileLoadSymbols(frmMain& m, const QString& path, const QString& sourcePath)
{
    const bool ok = LoadSymbols(m, path);
    setProgramSource(m, path, sourcePath);
    if (m.isShown(QStringLiteral("mnuViewLabel")))
        if (DebugView* v = m.view(QStringLiteral("mnuViewLabel")))
            v->Redraw();
    if (m.isShown(QStringLiteral("mnuViewDisassembler")))
        if (DebugView* v = m.view(QStringLiteral("mnuViewDisassembler")))
            v->Redraw();
    programWatches().recheckSymbols(programSymbols());
    if (m.isShown(QStringLiteral("mnuViewWatch")))
        if (DebugView* v = m.view(QStringLiteral("mnuViewWatch")))
            v->Redraw();
    return ok;
}

} // namespace zelk
