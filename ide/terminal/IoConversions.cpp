// Conversions of the input-output unit (see IoConversions.h).
#include "terminal/IoConversions.h"

#include "link/Conversions.h"

namespace zelk {

namespace {

std::string_view trimSpaces(std::string_view t)
{
    while (!t.empty() && t.front() == ' ')
        t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ')
        t.remove_suffix(1);
    return t;
}

bool allDigits(std::string_view t)
{
    if (t.empty())
        return false;
    for (char c : t)
        if (c < '0' || c > '9')
            return false;
    return true;
}

} // namespace

std::string removeLeadingZeroes(std::string_view text)
{
    size_t i = 0;
    while (i + 1 < text.size() && text[i] == '0')
        ++i;
    return std::string(text.substr(i));
}

std::string byteToBits(uint8_t value)
{
    std::string s(8, '0');
    for (int i = 0; i < 8; ++i)
        if (value & (0x80 >> i))
            s[static_cast<size_t>(i)] = '1';
    return s;
}

int bitsToByte(std::string_view bits)
{
    if (bits.size() != 8)
        return -1;
    int v = 0;
    for (char c : bits) {
        if (c != '0' && c != '1')
            return -1;
        v = v * 2 + (c - '0');
    }
    return v;
}

std::string fromInt(std::string_view text, IntMode mode)
{
    std::string_view t = trimSpaces(text);
    bool negative = false;
    if (!t.empty() && t.front() == '-') {
        negative = true;
        t.remove_prefix(1);
    }
    const std::string digits = removeLeadingZeroes(t);
    if (digits.size() > 4 || !allDigits(digits))
        return std::string(ConversionError);
    int v = std::stoi(digits);
    if (negative)
        v = -v;
    const int lo = mode == IntMode::Signed ? -128 : 0;
    const int hi = mode == IntMode::Signed ? 127 : 255;
    if (v < lo || v > hi)
        return std::string(ConversionError);
    if (v < 0)
        v += 256;
    return byteToBits(static_cast<uint8_t>(v));
}

std::string fromHex(std::string_view text)
{
    const std::string t = removeLeadingZeroes(trimSpaces(text));
    if (t.empty() || t.size() > 2)
        return std::string(ConversionError);
    // One or two digits in the IDE's "$" syntax (either case).
    const int32_t v = ParseNumber("$" + t, false);
    if (v < 0)
        return std::string(ConversionError);
    return byteToBits(static_cast<uint8_t>(v));
}

std::string fromBinary(std::string_view text)
{
    const std::string_view t = trimSpaces(text);
    if (t.empty() || t.size() > 8)
        return std::string(ConversionError);
    for (char c : t)
        if (c != '0' && c != '1')
            return std::string(ConversionError);
    return std::string(8 - t.size(), '0') + std::string(t);
}

std::string toInt(std::string_view bits, IntMode mode)
{
    int v = bitsToByte(bits);
    if (v < 0)
        return std::string(ConversionError);
    if (mode == IntMode::Signed && v > 127)
        v -= 256;
    return std::to_string(v);
}

std::string toHex(std::string_view bits)
{
    const int v = bitsToByte(bits);
    if (v < 0)
        return std::string(ConversionError);
    static const char digits[] = "0123456789ABCDEF";
    return {digits[v >> 4], digits[v & 15]};
}

std::string toBCD(std::string_view bits)
{
    const int v = bitsToByte(bits);
    if (v < 0 || (v >> 4) > 9 || (v & 15) > 9)
        return std::string(ConversionError);
    return {static_cast<char>('0' + (v >> 4)), static_cast<char>('0' + (v & 15))};
}

} // namespace zelk
