// Rows of the labels window.
#include "editor/SymbolTable.h"
#include "views/LabelList.h"

#include <gtest/gtest.h>

using namespace zelk;

namespace {

SymbolTable table()
{
    SymbolTable t;
    auto add = [&t](const char* label, int32_t value) {
        SymbolEntry e;
        e.Label = label;
        e.Value = value;
        t.append(e);
    };
    add("START", 0x0100);
    add("", 0x0102);  // a line without a label
    add("loop", 0x00FF);
    add("ALPHA", 0x0100);
    add("Beta", 0xE000);
    return t;
}

std::vector<std::string> labels(const std::vector<LabelRow>& rows)
{
    std::vector<std::string> out;
    for (const LabelRow& r : rows)
        out.push_back(r.label + "=" + r.valueText);
    return out;
}

TEST(LabelList, SortModes)
{
    struct Case {
        const char* mode;
        std::vector<std::string> rows;
    } cases[] = {
        {"", {"START=$0100", "loop=$00FF", "ALPHA=$0100", "Beta=$E000"}},
        {"X", {"START=$0100", "loop=$00FF", "ALPHA=$0100", "Beta=$E000"}},
        {"N", {"ALPHA=$0100", "Beta=$E000", "loop=$00FF", "START=$0100"}},
        {"V", {"loop=$00FF", "START=$0100", "ALPHA=$0100", "Beta=$E000"}},
    };
    SymbolTable t = table();
    for (const Case& c : cases)
        EXPECT_EQ(labels(labelRows(t, c.mode)), c.rows) << "mode '" << c.mode << "'";
}

TEST(LabelList, EmptyTableGivesNoRows)
{
    EXPECT_TRUE(labelRows(SymbolTable{}, "N").empty());
}

TEST(LabelList, SortModeText)
{
    EXPECT_EQ(labelSortOf("N"), LabelSort::Name);
    EXPECT_EQ(labelSortOf("V"), LabelSort::Value);
    EXPECT_EQ(labelSortOf("n"), LabelSort::None);
    EXPECT_EQ(labelSortOf(""), LabelSort::None);
    for (LabelSort s : {LabelSort::Name, LabelSort::Value, LabelSort::None})
        EXPECT_EQ(labelSortOf(sortModeText(s)), s);
}

} // namespace
