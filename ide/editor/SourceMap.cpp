// The line <-> address map read from the assembler's listing (see SourceMap.h).
#include "editor/SourceMap.h"

#include "editor/SymbolTable.h"
#include "link/Conversions.h"
#include "link/FileInput.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <istream>

namespace zelk {

namespace {

bool isHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

int hexValue(char c)
{
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return c <= '9' ? c - '0' : c - 'A' + 10;
}

// The four hex digits of the address field (columns 6-9), or -1.
int32_t addressField(std::string_view line)
{
    if (line.size() < 9)
        return -1;
    int32_t v = 0;
    for (size_t i = 5; i < 9; ++i) {
        if (!isHex(line[i]))
            return -1;
        v = v << 4 | hexValue(line[i]);
    }
    return v;
}

// Code bytes in the five two-column slots from column 11; -1 when a slot
// holds something other than two hex digits or blanks.
int codeBytes(std::string_view line)
{
    int n = 0;
    for (size_t k = 0; k < 5; ++k) {
        const size_t at = 10 + 3 * k;
        if (at >= line.size())
            break;
        if (line[at] == ' ' && (at + 1 >= line.size() || line[at + 1] == ' '))
            continue;
        if (at + 1 >= line.size() || !isHex(line[at]) || !isHex(line[at + 1]))
            return -1;
        ++n;
    }
    return n;
}

std::string upperWord(std::string_view text)
{
    std::string w;
    for (char c : text) {
        if (c == ' ' || c == '\t')
            break;
        w.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    }
    return w;
}

std::string_view skipBlanks(std::string_view s)
{
    const size_t i = s.find_first_not_of(" \t");
    return i == std::string_view::npos ? std::string_view() : s.substr(i);
}

std::string_view skipWord(std::string_view s)
{
    const size_t i = s.find_first_of(" \t");
    return i == std::string_view::npos ? std::string_view() : s.substr(i);
}

// What the statement from column 28 on is, given the bytes it emitted.
SourceLine::Kind kindOf(std::string_view statement, int bytes)
{
    std::string_view rest = statement;
    if (!rest.empty() && rest.front() != ' ' && rest.front() != '\t')
        rest = skipWord(rest);  // the label in column 28
    rest = skipBlanks(rest);
    std::string word = upperWord(rest);
    if (!word.empty() && word.back() == ':') {  // an indented label
        rest = skipBlanks(skipWord(rest));
        word = upperWord(rest);
    }
    if (word.empty() || word.front() == ';' || word.front() == '*')
        return SourceLine::Kind::Address;
    static constexpr const char* data[] = {"FCB", "FDB", "FCC", "FILL", "BSZ", "ZMB", "RMB", "RMW"};
    for (const char* d : data)
        if (word == d)
            return SourceLine::Kind::Data;
    if (word == "ORG" || bytes == 0)
        return SourceLine::Kind::Address;
    return SourceLine::Kind::Code;
}

} // namespace

void SourceMap::clear()
{
    lines_.clear();
    lastField_ = -1;
    wraps_ = 0;
    indexed_ = false;
}

void SourceMap::addListingLine(std::string_view line)
{
    // A continuation of a data line: five blanks, the address, more bytes.
    if (line.size() >= 12 && line.substr(0, 5) == "     " && !lines_.empty()) {
        const int32_t address = addressField(line);
        const int n = codeBytes(line);
        SourceLine& prev = lines_.back();
        if (address >= 0 && n > 0 && prev.kind == SourceLine::Kind::Data &&
            address == ((prev.address + prev.length) & 0xFFFF)) {
            prev.length += n;
            indexed_ = false;
        }
        return;
    }
    // Every numbered line (with an address or not) moves the line count on,
    // so that a wrap of the four-digit field is seen however far apart the
    // lines with addresses are.
    const bool numbered = line.size() >= 4 && std::all_of(line.begin(), line.begin() + 4, [](char c) {
        return c >= '0' && c <= '9';
    }) && (line.size() == 4 || line[4] == ' ');
    if (!numbered)
        return;
    const int field = (line[0] - '0') * 1000 + (line[1] - '0') * 100 + (line[2] - '0') * 10 + (line[3] - '0');
    if (field <= lastField_)
        ++wraps_;
    lastField_ = field;
    SymbolEntry entry;
    if (!parseListingLine(line, entry))
        return;
    const int bytes = codeBytes(line);
    if (bytes < 0)
        return;
    SourceLine s;
    s.line = wraps_ * 10000 + field;
    s.address = entry.Value & 0xFFFF;
    s.length = bytes;
    s.codeCount = bytes;
    for (int k = 0; k < bytes; ++k)
        s.code[static_cast<size_t>(k)] =
            static_cast<uint8_t>(hexValue(line[10 + 3 * static_cast<size_t>(k)]) << 4 |
                                 hexValue(line[11 + 3 * static_cast<size_t>(k)]));
    const std::string expanded = ExpandTabs(line);
    s.kind = kindOf(std::string_view(expanded).substr(listing::LabelColumn - 1), bytes);
    lines_.push_back(s);
    indexed_ = false;
}

void SourceMap::buildIndex() const
{
    byAddress_.clear();
    for (size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].kind != SourceLine::Kind::Address)
            byAddress_.push_back(static_cast<uint32_t>(i));
    std::stable_sort(byAddress_.begin(), byAddress_.end(),
                     [this](uint32_t a, uint32_t b) { return lines_[a].address < lines_[b].address; });
    indexed_ = true;
}

int SourceMap::lineFor(int32_t address) const
{
    address &= 0xFFFF;
    if (!indexed_)
        buildIndex();
    auto it = std::lower_bound(byAddress_.begin(), byAddress_.end(), address,
                               [this](uint32_t i, int32_t a) { return lines_[i].address < a; });
    const SourceLine* code = nullptr;
    for (; it != byAddress_.end() && lines_[*it].address == address; ++it)
        if (lines_[*it].kind == SourceLine::Kind::Code)
            code = &lines_[*it];  // later source lines win
    if (code)
        return code->line;
    // Data covering the address (a run into a table, a long FILL): the
    // last such line in source order.
    const SourceLine* data = nullptr;
    for (const SourceLine& s : lines_) {
        if (s.kind != SourceLine::Kind::Data || s.length <= 0)
            continue;
        const int32_t offset = (address - s.address) & 0xFFFF;
        if (offset < s.length)
            data = &s;
    }
    return data ? data->line : 0;
}

const SourceLine* SourceMap::entryOfLine(int line) const
{
    auto it = std::lower_bound(lines_.begin(), lines_.end(), line,
                               [](const SourceLine& s, int l) { return s.line < l; });
    return it != lines_.end() && it->line == line ? &*it : nullptr;
}

bool SourceMap::holds(const SourceLine& line, const uint8_t* memory, int count)
{
    if (line.codeCount == 0)
        return true;
    if (!memory || count < line.codeCount)
        return false;
    return std::equal(line.code.begin(), line.code.begin() + line.codeCount, memory);
}

int32_t SourceMap::addressOfLine(int line) const
{
    const SourceLine* s = entryOfLine(line);
    return s && s->kind == SourceLine::Kind::Code ? s->address : -1;
}

bool LoadSourceMap(std::istream& in, SourceMap& map, std::string& error)
{
    map.clear();
    std::string line;
    try {
        std::streambuf* sb = in.rdbuf();
        bool more = sb != nullptr;
        while (more) {
            // One line, at most MaxLineLength characters kept, so a file
            // without line ends cannot exhaust memory.
            line.clear();
            bool any = false;
            for (;;) {
                const int c = sb->sbumpc();
                if (c == std::char_traits<char>::eof()) {
                    more = false;
                    break;
                }
                any = true;
                if (c == '\n')
                    break;
                if (line.size() < SymbolTable::MaxLineLength)
                    line.push_back(static_cast<char>(c));
            }
            if (!any)
                break;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            map.addListingLine(line);
        }
    } catch (const std::exception& ex) {
        error = ex.what();
        return false;
    }
    if (in.bad()) {
        error = std::strerror(EIO);
        return false;
    }
    return true;
}

bool LoadSourceMap(const std::filesystem::path& listing, SourceMap& map, std::string& error)
{
    std::ifstream in;
    if (std::string e = openFileInput(listing, in); !e.empty()) {
        map.clear();
        error = std::move(e);
        return false;
    }
    return LoadSourceMap(in, map, error);
}

} // namespace zelk
