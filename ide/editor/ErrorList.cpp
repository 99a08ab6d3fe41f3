// Parsing the assembler's error listing.
#include "editor/ErrorList.h"

#include "link/Conversions.h"
#include "link/FileInput.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <istream>
#include <utility>

namespace zelk {

int32_t errorLineNumber(std::string_view line)
{
    size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return 0;
    int32_t n = ParseNumber(line.substr(0, colon), true);
    return n > 0 ? n : 0;
}

ErrorListing parseErrorListing(std::istream& in)
{
    ErrorListing result;
    std::streambuf* sb = in.rdbuf();
    if (!sb) {
        result.ok = false;
        result.error = std::strerror(EIO);
        return result;
    }
    std::string line;
    bool any = false;
    auto finishLine = [&] {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        int32_t n = errorLineNumber(line);
        if (n > 0 && result.lines.size() < MaxErrorLines)
            result.lines.push_back(ErrorLine{line, n});
        line.clear();
        any = false;
    };
    try {
        for (;;) {
            int c = sb->sbumpc();
            if (c == std::char_traits<char>::eof())
                break;
            any = true;
            if (c == '\n') {
                finishLine();
                continue;
            }
            if (line.size() < MaxErrorLineLength)
                line.push_back(static_cast<char>(c));
        }
        if (any)
            finishLine();
    } catch (const std::exception& ex) {
        result.ok = false;
        result.error = ex.what();
    }
    return result;
}

ErrorListing parseErrorListing(const std::filesystem::path& file)
{
    std::ifstream in;
    if (std::string error = openFileInput(file, in); !error.empty()) {
        ErrorListing r;
        r.ok = false;
        r.error = std::move(error);
        return r;
    }
    return parseErrorListing(in);
}

int32_t errorCaretLine(int32_t lineNumber, int32_t lastLineIndex)
{
    int32_t n = lineNumber - 1;
    if (n > lastLineIndex)
        n = lastLineIndex;
    return n < 0 ? 0 : n;
}

} // namespace zelk
