// A symbol table built from (label, value) rows, for the view tests that
// look labels up.
#pragma once

#include "editor/SymbolTable.h"

#include <cstdint>
#include <initializer_list>
#include <utility>

inline zelk::SymbolTable symbols(std::initializer_list<std::pair<const char*, int32_t>> labels)
{
    zelk::SymbolTable t;
    for (auto [label, value] : labels) {
        zelk::SymbolEntry e;
        e.Label = label;
        e.Value = value;
        t.append(e);
    }
    return t;
}
