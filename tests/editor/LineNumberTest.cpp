// The number the Go To Line dialog accepts.
#include "editor/LineNumber.h"

#include <gtest/gtest.h>

using namespace zelk;

namespace {

TEST(LineNumber, DigitsOnlyFromOneToNineNines)
{
    const std::pair<std::u16string_view, std::optional<int>> cases[] = {
        {u"1", 1},
        {u"42", 42},
        {u"007", 7},
        {u"999999999", 999999999},
        {u"000000001", 1},
        {u"0", std::nullopt},
        {u"000", std::nullopt},
        {u"", std::nullopt},
        {u"1000000000", std::nullopt},  // ten digits
        {u"5a", std::nullopt},          // a digit followed by a letter
        {u"a5", std::nullopt},
        {u"-1", std::nullopt},
        {u"+1", std::nullopt},
        {u" 1", std::nullopt},
        {u"1 ", std::nullopt},
        {u"1.5", std::nullopt},
        {u"$10", std::nullopt},
        {u"\u0661", std::nullopt},      // digits of other scripts are not 0-9
        {u"\uff11", std::nullopt},
    };
    for (auto [text, want] : cases)
        EXPECT_EQ(parseLineNumber(text), want) << std::string(text.begin(), text.end());
}

} // namespace
