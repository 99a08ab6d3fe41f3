// Number and text conversions (see Conversions.h).
#include "link/Conversions.h"

#include <climits>

namespace zelk {

uint8_t CheckSum(const uint8_t* bytes, int16_t count)
{
    unsigned sum = 0;
    for (int i = 1; i <= count; ++i)
        sum += bytes[i];
    return static_cast<uint8_t>(sum);
}

std::string HexPad(int32_t value, int16_t digits)
{
    static const char hex[] = "0123456789ABCDEF";
    uint32_t v = static_cast<uint32_t>(value);
    std::string s;
    do {
        s.insert(s.begin(), hex[v & 0xF]);
        v >>= 4;
    } while (v != 0);
    if (static_cast<int>(s.size()) < digits)
        s.insert(0, static_cast<size_t>(digits) - s.size(), '0');
    return s;
}

int32_t HexToLong(std::string_view text)
{
    int64_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            continue;
        value = value * 16 + digit;
        if (value > INT32_MAX)
            return INT32_MAX;
    }
    return static_cast<int32_t>(value);
}

namespace {

// Value of the digits of text in the given base, all of which the caller has
// checked; saturates far above any accepted range instead of overflowing.
int64_t digitsValue(std::string_view digits, int base)
{
    int64_t value = 0;
    for (char c : digits) {
        int d = (c >= '0' && c <= '9') ? c - '0'
              : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                                       : c - 'A' + 10;
        value = value * base + d;
        if (value > INT32_MAX)
            return INT32_MAX;
    }
    return value;
}

bool allOf(std::string_view s, bool (*pred)(char))
{
    for (char c : s)
        if (!pred(c))
            return false;
    return true;
}

bool isDecimal(char c) { return c >= '0' && c <= '9'; }
bool isHex(char c) { return isDecimal(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
bool isOctal(char c) { return c >= '0' && c <= '7'; }
bool isBinary(char c) { return c == '0' || c == '1'; }

} // namespace

int32_t ParseNumber(std::string_view text, bool isWord)
{
    if (text.empty())
        return -1;
    const size_t len = text.size();
    const std::string_view rest = text.substr(1);
    int64_t value;
    switch (text[0]) {
    case '$':
        if (len < 2 || len > 5 || !allOf(rest, isHex))
            return -1;
        value = digitsValue(rest, 16);
        break;
    case '@':
        if (len < 2 || len > 7 || !allOf(rest, isOctal))
            return -1;
        value = digitsValue(rest, 8);
        break;
    case '%':
        if (len < 2 || !allOf(rest, isBinary))
            return -1;
        value = digitsValue(rest, 2);
        break;
    default:
        if (!isDecimal(text[0]) || len > 5 || !allOf(text, isDecimal))
            return -1;
        value = digitsValue(text, 10);
        break;
    }
    if (value > (isWord ? 65535 : 255))
        return -1;
    return static_cast<int32_t>(value);
}

std::string FormatValue(int32_t value, char format, bool isWord)
{
    switch (format) {
    case ' ':
        return std::to_string(value);
    case '$':
    {
        std::string text(1, '$');
        text += HexPad(value, isWord ? 4 : 2);
        return text;
    }
    case '%': {
        uint32_t v = static_cast<uint32_t>(value);
        // Digits least significant first, then reversed behind the "%".
        std::string bits;
        while (v != 0) {
            bits.push_back((v & 1) ? '1' : '0');
            v >>= 1;
        }
        const size_t width = isWord ? 16 : 8;
        if (bits.size() < width)
            bits.append(width - bits.size(), '0');
        std::string text(1, '%');
        text.append(bits.rbegin(), bits.rend());
        return text;
    }
    default:
        return {};
    }
}

std::string ExpandTabs(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\t')
            out.append(9 - out.size() % 9, ' ');
        else
            out.push_back(c);
    }
    return out;
}

void SplitFileName(std::string_view path, std::string& base, std::string& extension)
{
    const size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) {
        base = std::string(path);
        extension.clear();
    } else {
        base = std::string(path.substr(0, dot));
        extension = std::string(path.substr(dot + 1));
    }
}

} // namespace zelk
