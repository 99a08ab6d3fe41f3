// The find dialog's search rules: Find Next down and up (the up scan that
// resumes after each match), case folding, and Replace All's plan checked
// against a step-by-step model of the dialog's loop.
#include "editor/TextSearch.h"

#include <gtest/gtest.h>

#include <random>

using namespace zelk;

namespace {

const CaseFold& fold()
{
    static const CaseFold f;
    return f;
}

std::u16string u(std::string_view s) { return std::u16string(s.begin(), s.end()); }

std::optional<std::size_t> find(std::string_view text, std::string_view what, std::size_t selStart,
                                std::size_t selLength, bool down, bool matchCase = true)
{
    const SearchPattern p(u(what), matchCase, fold());
    return findString(u(text), p, {selStart, selLength}, down);
}

constexpr auto none = std::nullopt;

struct FindCase {
    const char* text;
    const char* what;
    std::size_t selStart, selLength;
    std::optional<std::size_t> found;
};

TEST(FindString, DownStartsJustAfterTheSelection)
{
    const FindCase cases[] = {
        {"LDAA #1\nLDAA #2", "LDAA", 0, 0, 0},
        {"LDAA #1\nLDAA #2", "LDAA", 0, 4, 8},    // the selected occurrence is passed over
        {"LDAA #1\nLDAA #2", "LDAA", 1, 0, 8},    // caret inside the first
        {"LDAA #1\nLDAA #2", "LDAA", 8, 4, none}, // no wrap to the beginning
        {"LDAA #1\nLDAA #2", "LDAA", 15, 0, none},
        {"abc", "abc", 0, 0, 0},
        {"abc", "abcd", 0, 0, none},              // longer than the text
        {"abc", "", 0, 0, none},                  // nothing to search
        {"aaaa", "aa", 1, 0, 1},                  // overlapping candidates: the first from the start
        {"xab", "ab", 99, 0, none},               // a selection past the end
    };
    for (const FindCase& c : cases)
        EXPECT_EQ(find(c.text, c.what, c.selStart, c.selLength, true), c.found)
            << c.text << " / " << c.what << " @" << c.selStart;
}

TEST(FindString, DownReportsNotFoundWhenTheTextIsOnlyBeforeTheCaret)
{
    EXPECT_EQ(find("COUNT RMB 1\n LDAA COUNT\n NOP", "COUNT", 20, 0, true), none);
}

TEST(FindString, UpTakesTheLastOccurrenceEntirelyBeforeTheSelection)
{
    const FindCase cases[] = {
        {"ab ab ab", "ab", 6, 0, 3},     // the caret after two occurrences: the later one
        {"ab ab ab", "ab", 8, 0, 6},
        {"ab ab ab", "ab", 5, 0, 3},     // ends exactly at the selection start
        {"ab ab ab", "ab", 4, 0, 0},     // one lying across the caret does not count
        {"ab ab ab", "ab", 3, 2, 0},     // the selected occurrence itself is passed over
        {"ab ab ab", "ab", 0, 0, none},
        {"aaa", "aa", 3, 0, 0},          // the scan resumes after each match: not 1
        {"aaaa", "aa", 4, 0, 2},
        {"aaaaa", "aa", 5, 0, 2},        // matches at 0 and 2; the a at 4 is left over
        {"xyz", "", 3, 0, none},
        {"ab", "ab", 99, 0, 0},          // a selection past the end counts as the end
    };
    for (const FindCase& c : cases)
        EXPECT_EQ(find(c.text, c.what, c.selStart, c.selLength, false), c.found)
            << c.text << " / " << c.what << " @" << c.selStart;
}

TEST(FindString, WithoutMatchCaseBothSidesCompareInUpperCase)
{
    EXPECT_EQ(find("  LDAA PORTB", "ldaa", 0, 0, true, false), 2u);
    EXPECT_EQ(find("  LDAA PORTB", "ldaa", 0, 0, true, true), none);
    EXPECT_EQ(find("  ldaa portb", "PortB", 0, 0, true, false), 7u);
    EXPECT_EQ(find("  ldaa portb", "PortB", 12, 0, false, false), 7u);
    // Latin-1 letters fold too; other symbols are left as they are.
    const SearchPattern p(u"caf\u00e9", false, fold());
    EXPECT_EQ(findString(u"* CAF\u00c9 *", p, {0, 0}, true), 2u);
    const SearchPattern y(u"\u00ff", false, fold());
    EXPECT_EQ(findString(u"\u0178", y, {0, 0}, true), 0u);
    EXPECT_EQ(find("[a]", "[A]", 0, 0, true, false), 0u);
    EXPECT_EQ(find("@", "`", 0, 0, true, false), none);  // the units beside the letters stay apart
}

TEST(FindString, ACustomFoldIsUsedAndLeavesSurrogatesAlone)
{
    // A mapping that would turn surrogates into letters must not split pairs.
    const CaseFold odd([](char16_t c) -> char16_t { return c >= 0xD800 && c <= 0xDFFF ? u'X' : c; });
    const SearchPattern p(u"X", false, odd);
    EXPECT_EQ(findString(u"\U0001F600", p, {0, 0}, true), none);
    const CaseFold toSurrogate([](char16_t c) -> char16_t { return c == u'q' ? char16_t(0xD800) : c; });
    EXPECT_EQ(toSurrogate(u'q'), u'q');
}

TEST(FindString, LongTextsAndSkipsThatShareALowByte)
{
    // U+0141 and 'A' (0x41) share the low byte of the shift table.
    std::u16string text(5000, u'.');
    text += u"\u0141A\u0141";
    text += std::u16string(3000, u'.');
    const SearchPattern p(u"A\u0141", true, fold());
    EXPECT_EQ(findString(text, p, {0, 0}, true), 5001u);
    EXPECT_EQ(findString(text, p, {text.size(), 0}, false), 5001u);
    EXPECT_EQ(findString(text, p, {5002, 0}, true), none);
}

TEST(SearchPattern, MatchesComparesUnderTheCaseRule)
{
    EXPECT_TRUE(SearchPattern(u"abc", false, fold()).matches(u"ABC"));
    EXPECT_FALSE(SearchPattern(u"abc", true, fold()).matches(u"ABC"));
    EXPECT_FALSE(SearchPattern(u"abc", false, fold()).matches(u"ABCD"));
}

// ---- Replace All ----------------------------------------------------------------

struct Outcome {
    std::u16string text;
    std::size_t count = 0;
    std::size_t caret = 0;
};

Outcome runPlan(std::u16string_view text, std::u16string_view what, std::u16string_view with, TextSelection sel,
                bool down, bool matchCase)
{
    const SearchPattern p(what, matchCase, fold());
    const ReplaceAllPlan plan = planReplaceAll(text, what, p, with.size(), sel, down);
    return {applyReplaceAll(text, plan, what.size(), with), plan.count(), plan.caret};
}

// The dialog's loop as the user sees it, one replacement at a time on the
// changing text: the selection when it is the search text, then FindStr and
// replace until FindStr fails; the caret ends after each insertion.
Outcome model(std::u16string text, std::u16string_view what, std::u16string_view with, TextSelection sel,
              bool matchCase)
{
    const SearchPattern p(what, matchCase, fold());
    Outcome o;
    o.caret = std::min(sel.start, text.size());
    const std::size_t len = std::min(sel.length, text.size() - o.caret);
    if (!what.empty() && text.substr(o.caret, len) == what) {
        text.replace(o.caret, len, with);
        sel = {o.caret + with.size(), 0};
        o.caret = sel.start;
        ++o.count;
    }
    while (auto f = findString(text, p, sel, true)) {
        text.replace(*f, what.size(), with);
        sel = {*f + with.size(), 0};
        o.caret = sel.start;
        ++o.count;
    }
    o.text = text;
    return o;
}

TEST(ReplaceAll, ThreeOccurrencesAreCountedAndReplaced)
{
    const Outcome o = runPlan(u"COUNT\nCOUNT\nCOUNT\n", u"COUNT", u"N", {0, 0}, true, true);
    EXPECT_EQ(o.text, u"N\nN\nN\n");
    EXPECT_EQ(o.count, 3u);
    EXPECT_EQ(o.caret, 5u);  // after the last insertion
}

TEST(ReplaceAll, DownAgreesWithTheStepByStepLoop)
{
    std::mt19937 rng(1234);
    const char16_t alphabet[] = {u'a', u'b', u'A', u'\n'};
    auto word = [&](std::size_t lo, std::size_t hi) {
        std::u16string s(std::uniform_int_distribution<std::size_t>(lo, hi)(rng), u'a');
        for (char16_t& c : s)
            c = alphabet[std::uniform_int_distribution<int>(0, 3)(rng)];
        return s;
    };
    for (int i = 0; i < 4000; ++i) {
        const std::u16string text = word(0, 24);
        const std::u16string what = word(1, 3);
        const std::u16string with = word(0, 4);  // may well contain the search text
        const bool matchCase = i % 2 == 0;
        const std::size_t start = std::uniform_int_distribution<std::size_t>(0, text.size())(rng);
        const std::size_t length = std::uniform_int_distribution<std::size_t>(0, text.size() - start)(rng);
        const Outcome want = model(text, what, with, {start, length}, matchCase);
        const Outcome got = runPlan(text, what, with, {start, length}, true, matchCase);
        ASSERT_EQ(got.text, want.text) << "case " << i;
        ASSERT_EQ(got.count, want.count) << "case " << i;
        ASSERT_EQ(got.caret, want.caret) << "case " << i;
    }
}

TEST(ReplaceAll, UpFromTheEndReplacesWhatDownFromTheStartDoes)
{
    std::mt19937 rng(99);
    for (int i = 0; i < 2000; ++i) {
        std::u16string text(std::uniform_int_distribution<std::size_t>(0, 30)(rng), u'a');
        for (char16_t& c : text)
            c = std::uniform_int_distribution<int>(0, 1)(rng) ? u'a' : u'b';
        const std::u16string what = i % 3 ? u"ab" : u"aa";
        const std::u16string with = i % 2 ? u"b" : u"aab";
        const Outcome down = runPlan(text, what, with, {0, 0}, true, true);
        const Outcome up = runPlan(text, what, with, {text.size(), 0}, false, true);
        ASSERT_EQ(up.text, down.text) << "case " << i;
        ASSERT_EQ(up.count, down.count) << "case " << i;
    }
}

TEST(ReplaceAll, UpWhoseReplacementContainsTheSearchTextStops)
{
    const Outcome o = runPlan(u"x ab ab", u"ab", u"abab", {7, 0}, false, true);
    EXPECT_EQ(o.text, u"x abab abab");
    EXPECT_EQ(o.count, 2u);
    EXPECT_EQ(o.caret, 6u);  // after the first (lowest) replacement, the last one made
}

TEST(ReplaceAll, UpNeverMatchesAcrossItsOwnInsertion)
{
    // Replacing the "ab" at 1 by "b" would form a new "ab" at 0 with the "a"
    // before it: that one was not in the text and stays.
    const Outcome o = runPlan(u"aab", u"ab", u"b", {3, 0}, false, true);
    EXPECT_EQ(o.text, u"ab");
    EXPECT_EQ(o.count, 1u);
}

TEST(ReplaceAll, TheSelectionIsReplacedFirstOnlyWhenItIsExactlyTheSearchText)
{
    // Selection "ab" at 3, searching up: the selection, then the one before.
    Outcome o = runPlan(u"ab ab ab", u"ab", u"X", {3, 2}, false, true);
    EXPECT_EQ(o.text, u"X X ab");
    EXPECT_EQ(o.count, 2u);
    EXPECT_EQ(o.caret, 1u);
    // A selection differing in case is not the search text, even without
    // Match Case; the search goes on from it.
    o = runPlan(u"AB ab", u"ab", u"X", {0, 2}, true, false);
    EXPECT_EQ(o.text, u"AB X");
    EXPECT_EQ(o.count, 1u);
}

TEST(ReplaceAll, NothingFoundChangesNothing)
{
    const SearchPattern p(u"zz", true, fold());
    const ReplaceAllPlan plan = planReplaceAll(u"abc", u"zz", p, 1, {1, 1}, true);
    EXPECT_EQ(plan.count(), 0u);
    EXPECT_FALSE(plan.selectionReplaced);
    EXPECT_EQ(plan.caret, 1u);
    EXPECT_EQ(applyReplaceAll(u"abc", plan, 2, u"y"), u"abc");
    const SearchPattern empty(u"", true, fold());
    EXPECT_EQ(planReplaceAll(u"abc", u"", empty, 1, {0, 0}, true).count(), 0u);
}

TEST(ReplaceAll, ReplacingByNothingDeletesEveryOccurrence)
{
    const Outcome o = runPlan(u"a--b--c", u"--", u"", {0, 0}, true, true);
    EXPECT_EQ(o.text, u"abc");
    EXPECT_EQ(o.count, 2u);
    EXPECT_EQ(o.caret, 2u);
}

} // namespace
