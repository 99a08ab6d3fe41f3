// The label under the mouse and its tip text (see LabelHover.h).
#include "editor/LabelHover.h"

#include <cctype>
#include <cstdio>

namespace zelk {

namespace {

bool labelChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '.';
}

} // namespace

std::string labelWordAt(std::string_view line, size_t at)
{
    if (at >= line.size() || !labelChar(line[at]))
        return {};
    size_t begin = at, end = at;
    while (begin > 0 && labelChar(line[begin - 1]))
        --begin;
    while (end < line.size() && labelChar(line[end]))
        ++end;
    if (std::isdigit(static_cast<unsigned char>(line[begin])))
        return {};
    // A number's digits ($C000, %1010, @17) or a character constant ('A').
    if (begin > 0 && (line[begin - 1] == '$' || line[begin - 1] == '%' || line[begin - 1] == '@' ||
                      line[begin - 1] == '\''))
        return {};
    return std::string(line.substr(begin, end - begin));
}

std::string labelHoverText(std::string_view name, int32_t value, const uint8_t* bytes, std::string_view reason)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, " = $%04X", static_cast<unsigned>(value & 0xFFFF));
    std::string text = std::string(name) + buf;
    if (bytes) {
        std::snprintf(buf, sizeof buf, "\nByte: $%02X  Word: $%04X", bytes[0], bytes[0] << 8 | bytes[1]);
        text += buf;
    } else if (!reason.empty()) {
        text += '\n';
        text += reason;
    }
    return text;
}

} // namespace zelk
