// The find and replace dialog's search rules (see TextSearch.h).
#include "editor/TextSearch.h"

#include <algorithm>

namespace zelk {

namespace {

bool isSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDFFF; }

char16_t basicUpper(char16_t c)
{
    if (c >= u'a' && c <= u'z')
        return char16_t(c - 0x20);
    // Latin-1: à..þ except ÷ map 0x20 down; ÿ is U+0178.
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return char16_t(c - 0x20);
    if (c == 0xFF)
        return 0x178;
    return c;
}

} // namespace

CaseFold::CaseFold() : CaseFold(basicUpper) {}

CaseFold::CaseFold(Upper upper) : table_(0x10000)
{
    for (std::size_t i = 0; i < table_.size(); ++i) {
        const auto c = char16_t(i);
        const char16_t u = isSurrogate(c) ? c : upper(c);
        table_[i] = isSurrogate(u) ? c : u;
    }
}

SearchPattern::SearchPattern(std::u16string_view what, bool matchCase, const CaseFold& fold)
    : what_(what), matchCase_(matchCase), fold_(&fold)
{
    for (char16_t& c : what_)
        c = this->fold(c);
    const std::size_t m = what_.size();
    std::fill(std::begin(skip_), std::end(skip_), std::max<std::size_t>(m, 1));
    for (std::size_t i = 0; i + 1 < m; ++i)
        skip_[what_[i] & 0xFF] = m - 1 - i;
}

bool SearchPattern::equalAt(std::u16string_view text, std::size_t at) const
{
    for (std::size_t i = 0; i < what_.size(); ++i)
        if (fold(text[at + i]) != what_[i])
            return false;
    return true;
}

std::size_t SearchPattern::findFrom(std::u16string_view text, std::size_t from) const
{
    const std::size_t m = what_.size();
    const std::size_t n = text.size();
    if (m == 0 || from > n || n - from < m)
        return std::u16string_view::npos;
    const char16_t lastUnit = what_[m - 1];
    for (std::size_t i = from; i + m <= n;) {
        const char16_t c = fold(text[i + m - 1]);
        if (c == lastUnit && equalAt(text, i))
            return i;
        i += skip_[c & 0xFF];
    }
    return std::u16string_view::npos;
}

std::size_t SearchPattern::findLastBefore(std::u16string_view text, std::size_t limit) const
{
    // Only occurrences ending by the limit count, so the scan never needs
    // to look past it.
    const std::u16string_view head = text.substr(0, std::min(limit, text.size()));
    std::size_t last = std::u16string_view::npos;
    for (std::size_t pos = 0;;) {
        const std::size_t f = findFrom(head, pos);
        if (f == std::u16string_view::npos)
            return last;
        last = f;
        pos = f + what_.size();
    }
}

bool SearchPattern::matches(std::u16string_view s) const
{
    return s.size() == what_.size() && (what_.empty() || equalAt(s, 0));
}

std::optional<std::size_t> findString(std::u16string_view text, const SearchPattern& what, TextSelection sel,
                                      bool down)
{
    const std::size_t start = std::min(sel.start, text.size());
    const std::size_t f = down ? what.findFrom(text, start + std::min(sel.length, text.size() - start))
                               : what.findLastBefore(text, start);
    if (f == std::u16string_view::npos)
        return std::nullopt;
    return f;
}

ReplaceAllPlan planReplaceAll(std::u16string_view text, std::u16string_view whatText, const SearchPattern& what,
                              std::size_t withLength, TextSelection sel, bool down)
{
    ReplaceAllPlan plan;
    const std::size_t m = what.length();
    const std::size_t start = std::min(sel.start, text.size());
    plan.caret = start;
    if (m == 0)
        return plan;
    const std::size_t length = std::min(sel.length, text.size() - start);
    plan.selectionReplaced = length == whatText.size() && text.substr(start, length) == whatText;

    if (down) {
        std::size_t pos = start + length;
        if (plan.selectionReplaced)
            plan.at.push_back(start);
        for (std::size_t f; (f = what.findFrom(text, pos)) != std::u16string_view::npos; pos = f + m)
            plan.at.push_back(f);
    } else {
        // Every search looks before the occurrence replaced last: going up,
        // the occurrences found are exactly those of one scan from the
        // beginning up to the start point.
        const std::size_t limit = start;
        const std::u16string_view head = text.substr(0, limit);
        for (std::size_t pos = 0, f; (f = what.findFrom(head, pos)) != std::u16string_view::npos; pos = f + m)
            plan.at.push_back(f);
        if (plan.selectionReplaced)
            plan.at.push_back(start);
    }

    if (!plan.at.empty()) {
        const auto delta = std::ptrdiff_t(withLength) - std::ptrdiff_t(m);
        // Down the last replacement made is the highest, up the lowest; an
        // occurrence moves by the replacements before it.
        const std::size_t lastIndex = down ? plan.at.size() - 1 : 0;
        plan.caret = std::size_t(std::ptrdiff_t(plan.at[lastIndex]) + std::ptrdiff_t(lastIndex) * delta) + withLength;
    }
    return plan;
}

std::u16string applyReplaceAll(std::u16string_view text, const ReplaceAllPlan& plan, std::size_t whatLength,
                               std::u16string_view with)
{
    std::u16string out;
    out.reserve(text.size() + plan.count() * with.size());
    std::size_t pos = 0;
    for (std::size_t at : plan.at) {
        out.append(text.substr(pos, at - pos));
        out.append(with);
        pos = at + whatLength;
    }
    out.append(text.substr(std::min(pos, text.size())));
    return out;
}

} // namespace zelk
