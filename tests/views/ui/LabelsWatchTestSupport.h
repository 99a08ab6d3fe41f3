// Shared by the labels and watch window tests: a main window over temporary
// settings in simulator mode, and a symbol table filled from rows.
#pragma once

#include "../../shell/ShellTestSupport.h"

#include "editor/ui/ProgramSymbols.h"

#include <initializer_list>
#include <utility>

// Replaces the program's symbols with labelled entries (label, value).
inline void setSymbols(std::initializer_list<std::pair<const char*, int>> rows)
{
    zelk::SymbolTable& t = zelk::programSymbols();
    t.clear();
    for (auto [label, value] : rows) {
        zelk::SymbolEntry e;
        e.Label = label;
        e.Value = value;
        t.append(e);
    }
}
