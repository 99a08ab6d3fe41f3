// The page layout of a printed source, without a printer: how many lines a
// page holds, how many pages a text takes, the header line of each page and
// how much of a long line fits across the page.
//
// A page is L lines of the printer font's height: the header (title and
// "p/P"), a rule 1.5 lines below the top, then B = L - 3 text lines. A page
// of fewer than five lines prints nothing. Lines longer than the page is
// wide are clipped at the right margin (never wrapped), so a text of N lines
// always takes (N - 1) / B + 1 pages and line k is always on page k / B + 1.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace zelk {

struct PageLayout {
    int linesPerPage = 0;  // L
    int bodyLines = 0;     // B = L - 3
    int pageCount = 0;     // P; 0 when the page is too small
    bool printable() const { return pageCount > 0; }
    // The first text line (0-based) of page p (1-based) and how many it holds.
    int firstLine(int page) const { return (page - 1) * bodyLines; }
    int linesOn(int page, int lineCount) const;
};

// L = page height / line height (integer part); L < 5 prints nothing.
// lineCount: the text's lines (an empty text has one).
PageLayout layoutPages(double pageHeight, double lineHeight, int lineCount);

// Width of a text in the printer's units.
using MeasureText = std::function<double(std::u16string_view)>;

// The header of page p of P: the title, as many spaces as fit (at least
// one), then "p/P", so that the number ends at the right margin.
std::u16string pageHeader(std::u16string_view title, int page, int pages, double width,
                          const MeasureText& measure);

// The line with each tab replaced by spaces up to the next stop (every nine
// columns, as the editors show it).
std::u16string expandTabs(std::u16string_view line);

// How many leading units of a line fit in the width (the clipped part is
// dropped; a surrogate pair is never split).
std::size_t fittingLength(std::u16string_view line, double width, const MeasureText& measure);

} // namespace zelk
