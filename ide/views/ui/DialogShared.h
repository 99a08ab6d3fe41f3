// What the small number dialogs (Enter Value, Memory Display Address, Go To
// Address, Watch) share with their callers: the one set of dialog fields,
// the symbol table they look labels up in, and the way they report invalid
// input. Callers clear DialogOK, fill the fields the dialog reads, show the
// dialog modally and read the results only when DialogOK is set; the
// convenience functions at the end do exactly that.
#pragma once

#include "link/Notifier.h"
#include "views/ValueDialogs.h"

#include <QString>

#include <cstdint>

class QWidget;

namespace zelk {

class SymbolTable;

// The shared dialog fields (one set for all dialogs, for the program's life).
DialogFields& dialogFields();

// The program's symbol table: the listing's symbols, read by the address
// dialogs (labels) and the disassembler (Include Symbols). The module that
// loads a listing fills this table (or points the dialogs at its own with
// setSharedSymbols). Empty until then.
SymbolTable& sharedSymbols();
void setSharedSymbols(SymbolTable* table);  // null: back to the built-in table

// Shows an information or error box under caption through the main window
// (so its message hook sees it), or a plain message box without one.
void dialogMessage(QWidget* parent, const QString& caption, const QString& text, MessageIcon icon);

// ---- Convenience: one call per dialog -----------------------------------------
// Each clears DialogOK, sets the fields the dialog reads, runs it modally and
// returns DialogOK. The results stay in dialogFields() as well.

// Enter Value: prompt `name` + ":", initial text, byte or word range.
// helpContext: 193 normally, 194 while the watch window asks.
bool EnterValue(QWidget* parent, const QString& name, const QString& text, bool isWord, int32_t& value,
                int helpContext = 193);
// Go To Address: a number or a label; helpContext 191 from the
// disassembler, 192 from the stack window.
bool GoToAddress(QWidget* parent, int32_t& address, int helpContext);
// Memory Display Address: up to four hex digits.
bool MemoryDisplayAddress(QWidget* parent, int32_t& address);
// Watch: `text` and `isWord` are the initial entry (empty / byte for a new
// watch); on OK address, name (the upper-cased label, or empty for a number)
// and isWord are the results. helpContext 350 to add, 351 to edit.
bool WatchAddress(QWidget* parent, const QString& text, int32_t& address, QString& name, bool& isWord,
                  int helpContext = 350);

} // namespace zelk
