// The search rules of the find and replace dialog, on UTF-16 text as the
// editors hold it (one code unit per caret position), without Qt:
//  - Find Next down: the first occurrence starting just after the selection;
//  - Find Next up: scanning from the beginning, each scan resuming just after
//    the previous match, the last occurrence lying entirely before the
//    selection start;
//  - Replace All: every occurrence in the chosen direction, planned in one
//    pass so that a large document is changed in one edit.
// Without Match Case both texts compare in upper case, code unit by code unit
// (the mapping never changes a text's length, so positions stay exact).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelk {

// A one-to-one upper-case mapping of every UTF-16 code unit.
class CaseFold {
public:
    using Upper = char16_t (*)(char16_t);
    // ASCII and Latin-1 letters only (enough for sources; Qt-free callers).
    CaseFold();
    // Any mapping; results that are surrogates are ignored (the unit stays).
    explicit CaseFold(Upper upper);

    char16_t operator()(char16_t c) const { return table_[c]; }

private:
    std::vector<char16_t> table_;
};

// A search text prepared for repeated searching.
class SearchPattern {
public:
    SearchPattern(std::u16string_view what, bool matchCase, const CaseFold& fold);

    std::size_t length() const { return what_.size(); }
    bool empty() const { return what_.empty(); }
    // The first occurrence starting at `from` or later; npos when none (an
    // empty pattern never matches).
    std::size_t findFrom(std::u16string_view text, std::size_t from) const;
    // The up scan: occurrences found from the beginning, each search resuming
    // just after the previous match; the last of them that ends at or before
    // `limit`. npos when none.
    std::size_t findLastBefore(std::u16string_view text, std::size_t limit) const;
    // Whether `s` equals the pattern under its case rule.
    bool matches(std::u16string_view s) const;

private:
    bool equalAt(std::u16string_view text, std::size_t at) const;
    char16_t fold(char16_t c) const { return matchCase_ ? c : (*fold_)(c); }

    std::u16string what_;  // folded unless matchCase_
    bool matchCase_;
    const CaseFold* fold_;
    std::size_t skip_[256];  // bad-character shifts by the folded unit's low byte
};

struct TextSelection {
    std::size_t start = 0;
    std::size_t length = 0;
};

// FindStr: the 0-based position of the match for a selection, or nothing.
std::optional<std::size_t> findString(std::u16string_view text, const SearchPattern& what, TextSelection sel,
                                      bool down);

// What Replace All does to a text, worked out before anything changes.
struct ReplaceAllPlan {
    // Positions in the original text of the replaced occurrences, ascending.
    std::vector<std::size_t> at;
    // The selection was the search text (exactly, case included) and is the
    // first replacement made (it is also in `at`).
    bool selectionReplaced = false;
    // Where the caret ends, in the changed text: after the last replacement
    // made (the lowest one going up); the selection is left alone when
    // nothing was replaced.
    std::size_t caret = 0;
    std::size_t count() const { return at.size(); }
};

// Replace All: the selection when it is exactly the search text, then every
// occurrence in the chosen direction until the search fails. Down, the search
// resumes after each insertion; up, before each replaced occurrence. So the
// occurrences replaced are those the text held when Replace All began, never
// text it inserted itself (nor an occurrence joining inserted text to its
// neighbours), and a replacement that contains the search text cannot make
// an upward Replace All run on.
ReplaceAllPlan planReplaceAll(std::u16string_view text, std::u16string_view whatText, const SearchPattern& what,
                              std::size_t withLength, TextSelection sel, bool down);

// The text after carrying out a plan (what the editor's document becomes).
std::u16string applyReplaceAll(std::u16string_view text, const ReplaceAllPlan& plan, std::size_t whatLength,
                               std::u16string_view with);

} // namespace zelk
