// The program-wide state of the assemble flow that the main window keeps for
// the whole run: the symbol table loaded from the last listing, and the file
// titles that link Assemble, Load Symbols, the error list and Download. One
// instance per process (there is one main window); every window reads it
// through these functions.
//
// FileLoadSymbols loads a listing into the table and brings the windows that
// use it up to date (labels window, disassembler, watch re-check).
#pragma once

#include "editor/SymbolTable.h"

#include <QString>

namespace zelk {

class frmMain;

struct ProgramFiles {
    // Titles carry no directory; they are resolved against the current
    // directory at the moment of use.
    QString assemblyTargetTitle;  // the source Assemble works on
    QString listingTitle;         // base name & ".lst"
    QString errorTitle;           // base name & ".err"
    QString machineCodeTitle;     // base name & ".s19"
    QString errorSourcePath;      // full path of the source the error list belongs to
    QString errorSourceTitle;     // its title
    // The S-record file Download uses: a full path, or empty until an
    // assembly or the Download dialog sets it.
    QString downloadFileName;
};

// The symbol table of the loaded program (empty at start): the one the
// address dialogs and the disassembler read (sharedSymbols()).
SymbolTable& programSymbols();
ProgramFiles& programFiles();

// LoadSymbols on `path` into the program's table: a read error shows its
// description under "Tarvine - Read Error" and keeps the entries read so far;
// on success status panel 3 reads "Symbols: " & the listing title ("<None>"
// for an empty table). Returns whether the file was read.
bool LoadSymbols(frmMain& m, const QString& path);
// LoadSymbols, then: the labels window and the disassembler redraw, named
// watches whose label moved are unbound, and the watch window redraws. The
// editors' line map is read from the same listing, for `sourcePath` (empty:
// the listing's base name with ".asm").
bool FileLoadSymbols(frmMain& m, const QString& path, const QString& sourcePath = {});

} // namespace zelk
