// A source file's bytes as editor text and back, losslessly.
//
// Older HC11 sources often carry Latin-1 or code-page comments and CR LF
// line ends. The editor works on text with "\n" line ends; this unit decodes
// a file into that text and remembers how the file was written (encoding,
// byte-order mark, line-end style, whether the last line had a line end), so
// that saving writes every byte that the user did not edit exactly as it was
// read. A file that is valid UTF-8 is read as UTF-8; any other file is read
// as Latin-1, where each byte is one character and so always round-trips.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zelk {

enum class TextEncoding { Utf8, Latin1 };
enum class LineEnd { LF, CRLF, CR };

struct SourceFormat {
    TextEncoding encoding = TextEncoding::Utf8;
    bool byteOrderMark = false;   // the file began with EF BB BF
    LineEnd lineEnd = LineEnd::LF;
    // A last line without a line end gets one when the text is written:
    // set for new documents and for files whose last line had one (so that
    // it survives an edit of that line); a file without one stays so.
    bool endLastLine = false;
    // The file had line ends of more than one style; they are all written
    // in `lineEnd` (the most frequent one) when it is saved.
    bool mixedLineEnds = false;
};

struct DecodedSource {
    std::string text;  // UTF-8, every line end as "\n"
    SourceFormat format;
};

bool isValidUtf8(std::string_view bytes);

// The text and format of a file's bytes.
DecodedSource decodeSource(std::string_view bytes);

// The bytes of `text` (UTF-8, "\n" line ends, as decodeSource gives it) in
// `format`. Fails when the text holds a character the encoding cannot
// represent (a Latin-1 file cannot hold characters above U+00FF); then
// `badLine` is the 1-based line of the first such character and `out` is
// left unchanged.
struct EncodeResult {
    bool ok = true;
    std::size_t badLine = 0;
};
EncodeResult encodeSource(std::string_view text, const SourceFormat& format, std::string& out);

// The format of a document that was never saved: UTF-8, LF, a line end
// after the last line.
inline SourceFormat newDocumentFormat()
{
    SourceFormat f;
    f.endLastLine = true;
    return f;
}

// The description of a text that cannot be written in its file's encoding
// (the write error's message adds " !").
std::string unencodableMessage(std::size_t line);

} // namespace zelk
