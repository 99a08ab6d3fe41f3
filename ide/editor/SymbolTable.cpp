// Reading the assembler's listing into the symbol table, and the lookup of
// labels by name.
#include "editor/SymbolTable.h"

#include "link/Conversions.h"
#include "link/FileInput.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <istream>
#include <utility>

namespace zelk {

namespace {

char upper(char c)
{
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

std::string upperCopy(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = upper(c);
    return out;
}

// Character at a 1-based column; the caller has checked the length.
char col(std::string_view line, size_t column)
{
    return line[column - 1];
}

bool startsWithUpper(std::string_view text, std::string_view word)
{
    if (text.size() < word.size())
        return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (upper(text[i]) != word[i])
            return false;
    return true;
}

// The layout test on the line as read (before tab expansion).
bool isCandidate(std::string_view line)
{
    if (line.size() < listing::MinLineLength)
        return false;
    if (ParseNumber(line.substr(0, 4), true) < 0)
        return false;
    if (ParseNumber("$" + upperCopy(line.substr(5, 4)), true) < 0)
        return false;
    if (col(line, 5) != ' ')
        return false;
    if (col(line, 25) != ' ' || col(line, 26) != ' ' || col(line, 27) != ' ')
        return false;
    for (size_t c : {10u, 13u, 16u, 19u, 22u})
        if (col(line, c) != ' ')
            return false;
    return true;
}

} // namespace

bool parseListingLine(std::string_view raw, SymbolEntry& entry)
{
    if (!isCandidate(raw))
        return false;

    // Expansion never shortens the line, so every column looked at below
    // exists.
    const std::string line = ExpandTabs(raw);
    SymbolEntry e;
    e.Value = HexToLong(upperCopy(std::string_view(line).substr(5, 4)));

    for (int k = 0; k < listing::MaxCodeBytes; ++k) {
        size_t at = 10 + 3 * static_cast<size_t>(k);  // 0-based column 11 + 3k
        if (line[at] != ' ') {
            e.Code[static_cast<size_t>(e.CodeLength)] =
                static_cast<uint8_t>(HexToLong(upperCopy(std::string_view(line).substr(at, 2))) & 0xFF);
            ++e.CodeLength;
        }
    }

    const size_t labelAt = listing::LabelColumn - 1;  // 0-based
    size_t p = 0;
    if (line[labelAt] != ' ') {
        size_t space = line.find(' ', labelAt);
        if (space != std::string::npos && space > labelAt) {
            p = space - labelAt;
            e.Label = line.substr(labelAt, p);
        }
    }

    std::string_view rest = std::string_view(line).substr(labelAt + p);
    size_t firstNonSpace = rest.find_first_not_of(' ');
    rest = firstNonSpace == std::string_view::npos ? std::string_view() : rest.substr(firstNonSpace);
    bool dataDirective = startsWithUpper(rest, "FCB") || startsWithUpper(rest, "FCC") ||
                         startsWithUpper(rest, "FDB") || startsWithUpper(rest, "FILL");
    if (dataDirective)
        e.CodeLength = 0;
    else
        e.Source = line.substr(labelAt);

    entry = std::move(e);
    return true;
}

bool SymbolTable::append(SymbolEntry entry)
{
    if (entries_.size() >= MaxEntries)
        return false;
    entries_.push_back(std::move(entry));
    indexed_ = false;
    return true;
}

void SymbolTable::buildIndex() const
{
    byValue_.resize(entries_.size());
    for (size_t i = 0; i < entries_.size(); ++i)
        byValue_[i] = static_cast<uint32_t>(i);
    std::stable_sort(byValue_.begin(), byValue_.end(),
                     [this](uint32_t a, uint32_t b) { return entries_[a].Value < entries_[b].Value; });
    indexed_ = true;
}

const SymbolEntry* SymbolTable::sourceFor(int32_t address, const uint8_t* bytes, int length) const
{
    if (length < 0 || length > listing::MaxCodeBytes || (length > 0 && !bytes))
        return nullptr;
    if (!indexed_)
        buildIndex();
    auto lower = std::lower_bound(byValue_.begin(), byValue_.end(), address,
                                  [this](uint32_t i, int32_t v) { return entries_[i].Value < v; });
    const SymbolEntry* found = nullptr;
    for (auto it = lower; it != byValue_.end() && entries_[*it].Value == address; ++it) {
        const SymbolEntry& e = entries_[*it];
        if (e.CodeLength != length)
            continue;
        if (std::equal(bytes, bytes + length, e.Code.begin()))
            found = &e;  // later entries in table order win
    }
    return found;
}

int32_t SymbolTable::FindSymbol(std::string& name) const
{
    for (char& c : name)
        c = upper(c);
    // An empty name is no label: it must not find the first unlabelled line.
    if (name.empty())
        return -1;
    for (const SymbolEntry& e : entries_)
        if (e.Label == name)
            return e.Value;
    return -1;
}

int32_t SymbolTable::lookup(std::string_view name) const
{
    std::string copy(name);
    return FindSymbol(copy);
}

namespace {

// Reads one line, keeping at most `limit` characters of it; the rest of an
// over-long line is consumed and dropped. A trailing carriage return (a
// listing written with CR LF line ends) is removed. Returns false at the end
// of the input with nothing read.
bool readBoundedLine(std::istream& in, std::string& line, size_t limit)
{
    line.clear();
    std::streambuf* sb = in.rdbuf();
    if (!sb)
        return false;
    bool any = false;
    for (;;) {
        int c = sb->sbumpc();
        if (c == std::char_traits<char>::eof()) {
            in.setstate(std::ios::eofbit);
            break;
        }
        any = true;
        if (c == '\n')
            break;
        if (line.size() < limit)
            line.push_back(static_cast<char>(c));
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return any;
}

} // namespace

SymbolLoadResult LoadSymbols(std::istream& in, SymbolTable& table)
{
    SymbolLoadResult result;
    table.clear();
    std::string line;
    try {
        while (readBoundedLine(in, line, SymbolTable::MaxLineLength)) {
            ++result.linesRead;
            SymbolEntry entry;
            if (!parseListingLine(line, entry))
                continue;
            if (!table.append(std::move(entry))) {
                result.truncated = true;
                break;
            }
        }
    } catch (const std::exception& ex) {
        // A stream buffer that fails while reading: keep what was read.
        result.ok = false;
        result.error = ex.what();
    }
    if (in.bad() && result.ok) {
        result.ok = false;
        result.error = std::strerror(EIO);
    }
    return result;
}

SymbolLoadResult LoadSymbols(const std::filesystem::path& file, SymbolTable& table)
{
    std::ifstream in;
    if (std::string error = openFileInput(file, in); !error.empty()) {
        SymbolLoadResult r;
        r.ok = false;
        r.error = std::move(error);
        return r;
    }
    return LoadSymbols(in, table);
}

std::string symbolsStatusText(const SymbolTable& table, std::string_view listingTitle)
{
    if (table.empty())
        return "Symbols: <None>";
    return "Symbols: " + std::string(listingTitle);
}

std::string readErrorMessage(std::string_view systemError)
{
    return std::string(systemError) + " !";
}

} // namespace zelk
