// Page layout of printed sources (see PrintLayout.h).
#include "editor/PrintLayout.h"

#include <algorithm>
#include <cmath>

namespace zelk {

int PageLayout::linesOn(int page, int lineCount) const
{
    if (page < 1 || page > pageCount)
        return 0;
    return std::clamp(lineCount - firstLine(page), 0, bodyLines);
}

PageLayout layoutPages(double pageHeight, double lineHeight, int lineCount)
{
    PageLayout p;
    if (!(lineHeight > 0) || !(pageHeight > 0))
        return p;
    const double lines = std::floor(pageHeight / lineHeight);
    p.linesPerPage = lines > 1e9 ? 1000000000 : int(lines);
    if (p.linesPerPage < 5)
        return p;
    p.bodyLines = p.linesPerPage - 3;
    const int n = std::max(lineCount, 1);
    p.pageCount = (n - 1) / p.bodyLines + 1;
    return p;
}

std::u16string pageHeader(std::u16string_view title, int page, int pages, double width,
                          const MeasureText& measure)
{
    std::u16string number;
    for (char c : std::to_string(page) + "/" + std::to_string(pages))
        number += char16_t(c);
    auto build = [&](std::size_t spaces) {
        std::u16string s(title);
        s.append(spaces, u' ');
        s += number;
        return s;
    };
    // Estimate from the widths, then settle on the largest count that fits.
    const double space = measure(u" ");
    const double rest = width - measure(title) - measure(number);
    std::size_t n = 1;
    if (space > 0 && rest > space)
        n = std::size_t(std::min(rest / space, 1e6));
    while (n > 1 && measure(build(n)) > width)
        --n;
    while (space > 0 && n < 1000000 && measure(build(n + 1)) <= width)
        ++n;
    return build(std::max<std::size_t>(n, 1));
}

std::u16string expandTabs(std::u16string_view line)
{
    std::u16string out;
    out.reserve(line.size());
    for (char16_t c : line) {
        if (c == u'\t')
            out.append(9 - out.size() % 9, u' ');
        else
            out += c;
    }
    return out;
}

std::size_t fittingLength(std::u16string_view line, double width, const MeasureText& measure)
{
    if (measure(line) <= width)
        return line.size();
    // The widest prefix that fits, by halving (widths grow with length).
    std::size_t lo = 0, hi = line.size();
    while (lo < hi) {
        const std::size_t mid = (lo + hi + 1) / 2;
        if (measure(line.substr(0, mid)) <= width)
            lo = mid;
        else
            hi = mid - 1;
    }
    if (lo > 0 && lo < line.size() && line[lo - 1] >= 0xD800 && line[lo - 1] <= 0xDBFF)
        --lo;
    return lo;
}

} // namespace zelk
