// The assembler's error listing as the error list window shows it: the lines
// that start with a source line number and a colon ("12: message"), each
// with its line number, and where Show Error puts the caret.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace zelk {

struct ErrorLine {
    std::string text;  // the whole line as listed
    int32_t line = 0;  // source line number, 1-based
};

// The line number of an error-listing line: the text before its first ":"
// read with the shared number parser (16 bits). 0 when the line has no
// colon or the number is missing, invalid or 0; such lines are not listed.
int32_t errorLineNumber(std::string_view line);

// Caps that keep a damaged or enormous error file from flooding the list.
inline constexpr size_t MaxErrorLines = 10000;
inline constexpr size_t MaxErrorLineLength = 4096;

struct ErrorListing {
    bool ok = true;          // false: the file could not be read
    std::string error;       // the system's description of the failure
    std::vector<ErrorLine> lines;
};

// Reads an error listing: every line with a line number above 0, in file order.
ErrorListing parseErrorListing(std::istream& in);
ErrorListing parseErrorListing(const std::filesystem::path& file);

// Show Error: the 0-based editor line for an error's line number, limited
// to the editor's last line (lastLineIndex, 0-based); never below 0.
int32_t errorCaretLine(int32_t lineNumber, int32_t lastLineIndex);

} // namespace zelk
