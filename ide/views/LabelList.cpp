// Rows of the labels window.
#include "views/LabelList.h"

#include "editor/SymbolTable.h"
#include "link/Conversions.h"

#include <algorithm>
#include <cctype>

namespace zelk {

LabelSort labelSortOf(std::string_view sortMode)
{
    if (sortMode == "N")
        return LabelSort::Name;
    if (sortMode == "V")
        return LabelSort::Value;
    return LabelSort::None;
}

std::string sortModeText(LabelSort sort)
{
    switch (sort) {
    case LabelSort::Name: return "N";
    case LabelSort::Value: return "V";
    case LabelSort::None: break;
    }
    return {};
}

namespace {

bool lessNoCase(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

std::vector<LabelRow> labelRows(const SymbolTable& table, std::string_view sortMode)
{
    std::vector<LabelRow> rows;
    for (const SymbolEntry& e : table) {
        if (e.Label.empty())
            continue;
        rows.push_back(LabelRow{e.Label, "$" + HexPad(e.Value & 0xFFFF, 4), e.Value});
    }
    switch (labelSortOf(sortMode)) {
    case LabelSort::Name:
        std::stable_sort(rows.begin(), rows.end(),
                         [](const LabelRow& a, const LabelRow& b) { return lessNoCase(a.label, b.label); });
        break;
    case LabelSort::Value:
        std::stable_sort(rows.begin(), rows.end(),
                         [](const LabelRow& a, const LabelRow& b) { return a.valueText < b.valueText; });
        break;
    case LabelSort::None:
        break;
    }
    return rows;
}

} // namespace zelk
