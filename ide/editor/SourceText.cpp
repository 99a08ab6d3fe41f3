// Decoding and encoding of source files for the editor.
#include "editor/SourceText.h"

#include <array>

namespace zelk {

namespace {

constexpr std::string_view Bom = "\xEF\xBB\xBF";

// Length of the UTF-8 sequence at s[i], or 0 when it is not a valid one
// (overlong forms, surrogates and code points above U+10FFFF are invalid).
std::size_t utf8SequenceLength(std::string_view s, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = byte(i);
    if (b0 < 0x80)
        return 1;
    std::size_t n = 0;
    unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF)
        n = 2;
    else if (b0 == 0xE0)
        n = 3, lo = 0xA0;
    else if (b0 == 0xED)
        n = 3, hi = 0x9F;
    else if (b0 >= 0xE1 && b0 <= 0xEF)
        n = 3;
    else if (b0 == 0xF0)
        n = 4, lo = 0x90;
    else if (b0 >= 0xF1 && b0 <= 0xF3)
        n = 4;
    else if (b0 == 0xF4)
        n = 4, hi = 0x8F;
    else
        return 0;
    if (i + n > s.size())
        return 0;
    if (byte(i + 1) < lo || byte(i + 1) > hi)
        return 0;
    for (std::size_t k = 2; k < n; ++k)
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF)
            return 0;
    return n;
}

void appendLatin1AsUtf8(std::string& out, unsigned char b)
{
    if (b < 0x80) {
        out += static_cast<char>(b);
    } else {
        out += static_cast<char>(0xC0 | (b >> 6));
        out += static_cast<char>(0x80 | (b & 0x3F));
    }
}

std::string_view lineEndBytes(LineEnd e)
{
    switch (e) {
    case LineEnd::CRLF: return "\r\n";
    case LineEnd::CR: return "\r";
    case LineEnd::LF: break;
    }
    return "\n";
}

} // namespace

bool isValidUtf8(std::string_view bytes)
{
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t n = utf8SequenceLength(bytes, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

DecodedSource decodeSource(std::string_view bytes)
{
    DecodedSource d;
    SourceFormat& f = d.format;
    if (bytes.substr(0, Bom.size()) == Bom && isValidUtf8(bytes)) {
        f.byteOrderMark = true;
        bytes.remove_prefix(Bom.size());
    }
    f.encoding = isValidUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Latin1;

    // Every line end becomes "\n"; the most frequent style is the one the
    // file is written back in (on a tie, the one met first).
    std::array<std::size_t, 3> count{};  // LF, CRLF, CR
    std::array<std::size_t, 3> first{bytes.size(), bytes.size(), bytes.size()};
    std::string& t = d.text;
    t.reserve(bytes.size() + bytes.size() / 8);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        int style = -1;
        if (c == '\n') {
            style = 0;
        } else if (c == '\r') {
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                style = 1;
                ++i;
            } else {
                style = 2;
            }
        }
        if (style >= 0) {
            const auto s = static_cast<std::size_t>(style);
            if (count[s]++ == 0)
                first[s] = i;
            t += '\n';
            continue;
        }
        if (f.encoding == TextEncoding::Latin1)
            appendLatin1AsUtf8(t, static_cast<unsigned char>(c));
        else
            t += c;
    }
    std::size_t best = 0;
    for (std::size_t s = 1; s < 3; ++s)
        if (count[s] > count[best] || (count[s] == count[best] && count[s] > 0 && first[s] < first[best]))
            best = s;
    f.lineEnd = best == 1 ? LineEnd::CRLF : best == 2 ? LineEnd::CR : LineEnd::LF;
    f.mixedLineEnds = (count[0] > 0) + (count[1] > 0) + (count[2] > 0) > 1;
    f.endLastLine = t.empty() || t.back() == '\n';
    return d;
}

EncodeResult encodeSource(std::string_view text, const SourceFormat& format, std::string& out)
{
    const std::string_view eol = lineEndBytes(format.lineEnd);
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 16 + 8);
    if (format.byteOrderMark && format.encoding == TextEncoding::Utf8)
        bytes += Bom;
    std::size_t line = 1;
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '\n') {
            bytes += eol;
            ++line;
            ++i;
            continue;
        }
        const auto b0 = static_cast<unsigned char>(c);
        if (format.encoding == TextEncoding::Utf8 || b0 < 0x80) {
            bytes += c;
            ++i;
            continue;
        }
        // Latin-1 holds U+0080..U+00FF, which UTF-8 writes as C2/C3 xx.
        if ((b0 == 0xC2 || b0 == 0xC3) && i + 1 < text.size()) {
            const auto b1 = static_cast<unsigned char>(text[i + 1]);
            if (b1 >= 0x80 && b1 <= 0xBF) {
                bytes += static_cast<char>(((b0 & 0x03) << 6) | (b1 & 0x3F));
                i += 2;
                continue;
            }
        }
        return {false, line};
    }
    if (format.endLastLine && !text.empty() && text.back() != '\n')
        bytes += eol;
    out = std::move(bytes);
    return {};
}

std::string unencodableMessage(std::size_t line)
{
    return "Line " + std::to_string(line) +
           " holds a character that the file's character set (Latin-1) cannot store";
}

} // namespace zelk
