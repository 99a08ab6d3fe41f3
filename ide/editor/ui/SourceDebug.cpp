// Source-level debugging in the editors (see SourceDebug.h).
#include "editor/ui/SourceDebug.h"

#include "editor/LabelHover.h"
#include "editor/ui/ProgramSymbols.h"
#include "editor/ui/SourceEdit.h"
#include "editor/ui/frmEditor.h"
#include "shell/ViewRegistry.h"
#include "shell/frmMain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiSubWindow>

#include <vector>

namespace zelk {

ProgramSource& programSource()
{
    static ProgramSource source;
    return source;
}

namespace {

bool isSourceEditor(const frmEditor& e)
{
    const ProgramSource& s = programSource();
    return !s.sourcePath.isEmpty() && !e.EditorName.isEmpty() && sameFile(e.EditorName, s.sourcePath);
}

} // namespace

bool holdsProgramSource(const frmEditor& editor)
{
    return isSourceEditor(editor);
}

void setProgramSource(frmMain& m, const QString& listingPath, const QString& sourcePath)
{
    ProgramSource& s = programSource();
    std::string error;
    if (LoadSourceMap(std::filesystem::path(QFile::encodeName(listingPath).toStdString()), s.map, error)) {
        const QFileInfo listing(listingPath);
        s.sourcePath = !sourcePath.isEmpty()
                           ? QFileInfo(sourcePath).absoluteFilePath()
                           : listing.absoluteDir().absoluteFilePath(listing.completeBaseName() + QStringLiteral(".asm"));
    } else {
        s.map.clear();
        s.sourcePath.clear();
    }
    s.pcLine = 0;
    // The file was assembled as saved: an editor of it holding unsaved
    // changes may number its lines differently.
    s.stale = false;
    for (QMdiSubWindow* sub : m.editors())
        if (auto* e = qobject_cast<frmEditor*>(sub->widget()); e && isSourceEditor(*e) && e->TextChanged())
            s.stale = true;
    refreshPcLine(m);
}

void refreshPcLine(frmMain& m)
{
    ProgramSource& s = programSource();
    s.pcLine = 0;
    AccessLayer& link = m.access();
    if (!s.map.empty() && link.linkReady() && !link.boardRunning) {
        const int32_t pc = link.regs.PC & 0xFFFF;
        const int line = s.map.lineFor(pc);
        const SourceLine* e = line > 0 ? s.map.entryOfLine(line) : nullptr;
        if (e && e->kind == SourceLine::Kind::Code) {
            // The assembled bytes must be what memory holds at PC.
            std::vector<uint8_t> bytes;
            link.InBytes(pc, bytes, e->codeCount);
            if (SourceMap::holds(*e, bytes.data(), static_cast<int>(bytes.size())))
                s.pcLine = line;
        } else if (e) {
            s.pcLine = line;  // running through data: show where
        }
    }
    applySourceMarks(m);
}

QVector<int> breakpointLines(frmMain& m)
{
    QVector<int> lines;
    const BreakpointTable& table = m.breakpoints();
    if (table.count() == 0)
        return lines;
    for (const SourceLine& l : programSource().map.lines())
        if (l.kind == SourceLine::Kind::Code && table.contains(l.address))
            lines.append(l.line);
    return lines;
}

void applySourceMarks(frmMain& m)
{
    const ProgramSource& s = programSource();
    QVector<int> lines;
    bool computed = false;
    for (QMdiSubWindow* sub : m.editors()) {
        auto* e = qobject_cast<frmEditor*>(sub->widget());
        if (!e)
            continue;
        if (!s.stale && isSourceEditor(*e)) {
            if (!computed) {
                lines = breakpointLines(m);
                computed = true;
            }
            e->Text->setDebugMarks(s.pcLine, lines);
        } else {
            e->Text->setDebugMarks(0, {});
        }
    }
}

bool toggleSourceBreakpoint(frmMain& m, frmEditor& editor, int line)
{
    const ProgramSource& s = programSource();
    if (!isSourceEditor(editor)) {
        m.say(QString::fromLatin1(NotTheAssembledSource));
        return false;
    }
    if (s.stale) {
        m.say(QString::fromLatin1(SourceChangedSinceAssembly));
        return false;
    }
    const int32_t address = s.map.addressOfLine(line);
    if (address < 0) {
        m.say(QString::fromLatin1(NoInstructionOnLine).arg(line));
        return false;
    }
    if (m.breakpoints().toggle(address, m) == BreakpointTable::Toggle::Refused)
        return false;
    emit m.breakpointsChanged();
    return true;
}

QString labelTipText(frmMain& m, const QString& word)
{
    const int32_t value = programSymbols().lookup(word.toStdString());
    if (value < 0)
        return {};
    // The spelling of the definition, as the labels window shows it.
    std::string name = word.toStdString();
    for (const SymbolEntry& e : programSymbols())
        if (e.Value == value && !e.Label.empty() && QString::fromStdString(e.Label).compare(word, Qt::CaseInsensitive) == 0) {
            name = e.Label;
            break;
        }
    AccessLayer& link = m.access();
    const char* reason = nullptr;
    if (!link.simulatorMode()) {
        if (link.boardRunning)
            reason = HoverBoardRunning;
        else if (m.running())
            reason = HoverProgramRunning;
        else if (!link.linkReady())
            reason = HoverNoLink;
    }
    std::vector<uint8_t> bytes;
    if (!reason) {
        link.InBytes(value, bytes, 2);
        if (bytes.size() != 2)
            reason = HoverNoLink;
    }
    return QString::fromStdString(
        labelHoverText(name, value, reason ? nullptr : bytes.data(), reason ? reason : ""));
}

void attachSourceDebug(frmMain& m, frmEditor& editor)
{
    frmMain* mp = &m;
    frmEditor* ep = &editor;
    QObject::connect(editor.Text, &SourceEdit::marginClicked, &editor,
                     [mp, ep](int line) { toggleSourceBreakpoint(*mp, *ep, line); });
    editor.Text->labelTip = [mp](const QString& word) { return labelTipText(*mp, word); };
    // Typing or deleting whole lines in the source moves its lines away
    // from the listing's numbers (loading a file leaves the document
    // unmodified, so it does not count). The check waits for the event
    // loop: the document marks itself modified after the change signals.
    QObject::connect(editor.Text, &QPlainTextEdit::blockCountChanged, &editor, [mp, ep] {
        QMetaObject::invokeMethod(
            ep,
            [mp, ep] {
                ProgramSource& s = programSource();
                if (s.stale || !ep->Text->document()->isModified() || !isSourceEditor(*ep))
                    return;
                s.stale = true;
                applySourceMarks(*mp);
            },
            Qt::QueuedConnection);
    });
}

namespace {

void installSourceDebug(frmMain& m)
{
    frmMain* mp = &m;
    QObject::connect(&m, &frmMain::programCounterShown, &m, [mp] { refreshPcLine(*mp); });
    QObject::connect(&m, &frmMain::breakpointsChanged, &m, [mp] { applySourceMarks(*mp); });
}

} // namespace

ZELK_REGISTER_EXTENSION(sourceDebug, installSourceDebug);

} // namespace zelk
