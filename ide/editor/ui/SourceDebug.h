// Source-level debugging in the editors: the line <-> address map of the
// last assembled (or loaded) listing and the source file it belongs to; the
// editor of that file marks the program counter's line and the breakpoint
// lines, its margin toggles breakpoints in the one breakpoint table the
// disassembler uses, and hovering a label shows its value and the byte and
// word at it (read through the access layer).
#pragma once

#include "editor/SourceMap.h"

#include <QString>

namespace zelk {

class frmEditor;
class frmMain;

struct ProgramSource {
    QString sourcePath;  // full path of the source the map belongs to; empty: none
    SourceMap map;
    int pcLine = 0;      // the line last found for the program counter (0: none)
    // Lines were added to or removed from the source's editor since the
    // listing was made: the map's line numbers no longer fit the text, so
    // nothing is marked and the margin sets nothing until the next Assemble.
    bool stale = false;
};
ProgramSource& programSource();

// Reads the map from `listingPath` for `sourcePath` (empty: the listing's
// base name with ".asm" beside it). A listing that cannot be read leaves no
// map. The marks of every editor follow.
void setProgramSource(frmMain& m, const QString& listingPath, const QString& sourcePath = {});

// Finds the program counter's line again (only when memory at PC holds the
// line's assembled bytes, so a program not yet downloaded marks nothing),
// then applies the marks.
void refreshPcLine(frmMain& m);
// Puts the PC line and the breakpoint lines into the editor of the source
// and takes them out of every other editor.
void applySourceMarks(frmMain& m);
// The breakpoint lines of the source: the instruction lines whose address
// is in the breakpoint table.
QVector<int> breakpointLines(frmMain& m);

// The margin click on 1-based `line` of `editor`: toggles the breakpoint
// of the line's instruction (the table's full message as in the
// disassembler). A line without an instruction, or an editor of another
// file, only says why in the status bar. Returns whether the table changed.
bool toggleSourceBreakpoint(frmMain& m, frmEditor& editor, int line);

// Whether editor shows the source of the program's line map (its margin
// and F9 set breakpoints).
bool holdsProgramSource(const frmEditor& editor);

// The tip for a word under the mouse: empty unless it is a label of the
// program's symbol table.
QString labelTipText(frmMain& m, const QString& word);

// Wires an editor's margin and tips (called by the editor's constructor).
void attachSourceDebug(frmMain& m, frmEditor& editor);

// Status-bar texts of a refused margin click.
inline constexpr const char* NoInstructionOnLine = "No instruction on line %1";
inline constexpr const char* NotTheAssembledSource = "Breakpoints can be set in the assembled source only";
inline constexpr const char* SourceChangedSinceAssembly = "The source has changed: assemble it again to set breakpoints";

} // namespace zelk
