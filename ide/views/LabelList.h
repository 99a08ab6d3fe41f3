// The rows of the labels window: the labelled entries of the symbol table
// with their values as "$" and four hex digits, in listing order or sorted by
// name or value as the window's SortMode says.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelk {

class SymbolTable;

struct LabelRow {
    std::string label;
    std::string valueText;  // "$" and four upper-case hex digits
    int32_t value = 0;
};

enum class LabelSort { None, Name, Value };

// SortMode "N" sorts by name, "V" by value, anything else leaves the rows unsorted.
LabelSort labelSortOf(std::string_view sortMode);
// The SortMode text stored for a sort ("N", "V" or "").
std::string sortModeText(LabelSort sort);

// Redraw's rows: entries without a label are skipped. Sorting is stable, so
// equal keys keep their listing order; names compare case-insensitively as
// the list control does, value texts sort in numeric order.
std::vector<LabelRow> labelRows(const SymbolTable& table, std::string_view sortMode);

// Settings key of the stored sort mode (section "Settings").
inline constexpr const char* LabelSortKey = "LabelSort";

} // namespace zelk
