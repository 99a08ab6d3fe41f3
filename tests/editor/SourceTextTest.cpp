// Source files decode to editor text and encode back byte for byte: UTF-8
// and Latin-1 content, LF, CR LF and CR line ends, with and without a final
// line end, a byte-order mark; a Latin-1 file refuses characters it cannot
// hold instead of writing something else.
#include "editor/SourceText.h"

#include <gtest/gtest.h>

#include <random>

using namespace zelk;

namespace {

struct RoundTripCase {
    const char* name;
    std::string bytes;
    TextEncoding encoding;
    LineEnd lineEnd;
    std::string text;  // what the editor gets
};

class RoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTrip, DecodesToTheTextAndEncodesBackToTheSameBytes)
{
    const RoundTripCase& c = GetParam();
    const DecodedSource d = decodeSource(c.bytes);
    EXPECT_EQ(d.text, c.text);
    EXPECT_EQ(d.format.encoding, c.encoding);
    EXPECT_EQ(d.format.lineEnd, c.lineEnd);
    EXPECT_EQ(d.format.endLastLine, c.text.empty() || c.text.back() == '\n');
    std::string out = "untouched";
    ASSERT_TRUE(encodeSource(d.text, d.format, out).ok);
    EXPECT_EQ(out, c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RoundTrip,
    ::testing::Values(
        RoundTripCase{"empty", "", TextEncoding::Utf8, LineEnd::LF, ""},
        RoundTripCase{"lf", "a\nb\n", TextEncoding::Utf8, LineEnd::LF, "a\nb\n"},
        RoundTripCase{"lfNoFinal", "a\nb", TextEncoding::Utf8, LineEnd::LF, "a\nb"},
        RoundTripCase{"crlf", "  LDAA #1\r\n  RTS\r\n", TextEncoding::Utf8, LineEnd::CRLF, "  LDAA #1\n  RTS\n"},
        RoundTripCase{"crlfNoFinal", "x\r\ny", TextEncoding::Utf8, LineEnd::CRLF, "x\ny"},
        RoundTripCase{"cr", "x\ry\r", TextEncoding::Utf8, LineEnd::CR, "x\ny\n"},
        RoundTripCase{"onlyALineEnd", "\r\n", TextEncoding::Utf8, LineEnd::CRLF, "\n"},
        RoundTripCase{"emptyLinesAtTheEnd", "a\r\n\r\n\r\n", TextEncoding::Utf8, LineEnd::CRLF, "a\n\n\n"},
        RoundTripCase{"utf8", "* Z\xC3\xA4hler\n", TextEncoding::Utf8, LineEnd::LF, "* Z\xC3\xA4hler\n"},
        RoundTripCase{"latin1", "* Z\xE4hler \xB0" "C\r\n", TextEncoding::Latin1, LineEnd::CRLF,
                      "* Z\xC3\xA4hler \xC2\xB0" "C\n"},
        RoundTripCase{"cp437", "* \x81\x84\x94 \xDB\xB0\n", TextEncoding::Latin1, LineEnd::LF,
                      "* \xC2\x81\xC2\x84\xC2\x94 \xC3\x9B\xC2\xB0\n"},
        RoundTripCase{"nbspAndTabs", "\tNOP\xA0; x\n", TextEncoding::Latin1, LineEnd::LF, "\tNOP\xC2\xA0; x\n"},
        RoundTripCase{"truncatedUtf8", "ok \xE2\x82", TextEncoding::Latin1, LineEnd::LF, "ok \xC3\xA2\xC2\x82"},
        RoundTripCase{"overlongUtf8", "\xC0\xAF", TextEncoding::Latin1, LineEnd::LF, "\xC3\x80\xC2\xAF"},
        RoundTripCase{"surrogateUtf8", "\xED\xA0\x80", TextEncoding::Latin1, LineEnd::LF,
                      "\xC3\xAD\xC2\xA0\xC2\x80"}),
    [](const ::testing::TestParamInfo<RoundTripCase>& i) { return std::string(i.param.name); });

TEST(SourceText, WhenTheLastLineGetsALineEnd)
{
    const SourceFormat f = newDocumentFormat();
    std::string out;
    ASSERT_TRUE(encodeSource("\tNOP", f, out).ok);
    EXPECT_EQ(out, "\tNOP\n");
    ASSERT_TRUE(encodeSource("\tNOP\n", f, out).ok);
    EXPECT_EQ(out, "\tNOP\n");
    ASSERT_TRUE(encodeSource("", f, out).ok);
    EXPECT_EQ(out, "");
    // A file read without a final line end stays so; one with it keeps it
    // when its last line is edited away.
    const DecodedSource d = decodeSource("\tRTS");
    ASSERT_TRUE(encodeSource(d.text + "\n\tNOP", d.format, out).ok);
    EXPECT_EQ(out, "\tRTS\n\tNOP");
    const DecodedSource e = decodeSource("\tRTS\r\n");
    ASSERT_TRUE(encodeSource("\tNOP", e.format, out).ok);
    EXPECT_EQ(out, "\tNOP\r\n");
}

TEST(SourceText, ByteOrderMarkIsKeptOutOfTheTextAndWrittenBack)
{
    const std::string bytes = "\xEF\xBB\xBF; x\r\n";
    const DecodedSource d = decodeSource(bytes);
    EXPECT_EQ(d.text, "; x\n");
    EXPECT_TRUE(d.format.byteOrderMark);
    std::string out;
    ASSERT_TRUE(encodeSource(d.text, d.format, out).ok);
    EXPECT_EQ(out, bytes);
}

TEST(SourceText, EveryByteValueRoundTripsAfterAnEditElsewhere)
{
    // All 256 byte values in comment lines, then one line changed.
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
        if (b == '\n' || b == '\r')
            continue;
        bytes += "; ";
        bytes += static_cast<char>(b);
        bytes += "\r\n";
    }
    const DecodedSource d = decodeSource(bytes);
    ASSERT_EQ(d.format.encoding, TextEncoding::Latin1);
    ASSERT_EQ(d.format.lineEnd, LineEnd::CRLF);
    const std::string edited = "  NOP\n" + d.text;
    std::string out;
    ASSERT_TRUE(encodeSource(edited, d.format, out).ok);
    EXPECT_EQ(out, "  NOP\r\n" + bytes);
}

TEST(SourceText, RandomBytesRoundTrip)
{
    std::mt19937 rng(12);
    for (int round = 0; round < 300; ++round) {
        std::string bytes(rng() % 64, '\0');
        for (char& c : bytes)
            c = static_cast<char>(rng() % 256);
        // One line-end style per file, so that nothing is normalised.
        const char* eol = round % 3 == 0 ? "\r\n" : round % 3 == 1 ? "\n" : "\r";
        std::string file;
        for (char c : bytes) {
            if (c == '\r' || c == '\n')
                file += eol;
            else
                file += c;
        }
        const DecodedSource d = decodeSource(file);
        std::string out;
        ASSERT_TRUE(encodeSource(d.text, d.format, out).ok);
        ASSERT_EQ(out, file) << "round " << round;
    }
}

TEST(SourceText, MixedLineEndsAreWrittenInTheMostFrequentStyle)
{
    const DecodedSource d = decodeSource("a\r\nb\nc\r\nd\r\n");
    EXPECT_EQ(d.text, "a\nb\nc\nd\n");
    EXPECT_EQ(d.format.lineEnd, LineEnd::CRLF);
    EXPECT_TRUE(d.format.mixedLineEnds);
    std::string out;
    ASSERT_TRUE(encodeSource(d.text, d.format, out).ok);
    EXPECT_EQ(out, "a\r\nb\r\nc\r\nd\r\n");
    // A tie goes to the style met first.
    EXPECT_EQ(decodeSource("a\nb\r\n").format.lineEnd, LineEnd::LF);
    EXPECT_EQ(decodeSource("a\r\nb\n").format.lineEnd, LineEnd::CRLF);
    EXPECT_FALSE(decodeSource("a\r\nb\r\n").format.mixedLineEnds);
}

TEST(SourceText, Latin1FileRefusesACharacterItCannotHold)
{
    DecodedSource d = decodeSource("; \xE4\n");
    ASSERT_EQ(d.format.encoding, TextEncoding::Latin1);
    std::string out = "old";
    // The euro sign is not in Latin-1: nothing is written, the line is named.
    const EncodeResult r = encodeSource("; ok\n; \xE2\x82\xAC here", d.format, out);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.badLine, 2u);
    EXPECT_EQ(out, "old");
    EXPECT_NE(unencodableMessage(2).find("Line 2"), std::string::npos);
    // The same text in a UTF-8 file is fine.
    d.format.encoding = TextEncoding::Utf8;
    ASSERT_TRUE(encodeSource("; \xE2\x82\xAC\n", d.format, out).ok);
    EXPECT_EQ(out, "; \xE2\x82\xAC\n");
}

TEST(SourceText, Utf8Validation)
{
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_TRUE(isValidUtf8("plain"));
    EXPECT_TRUE(isValidUtf8("\xF0\x9F\x98\x80"));     // U+1F600
    EXPECT_TRUE(isValidUtf8("\xF4\x8F\xBF\xBF"));     // U+10FFFF
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));    // above U+10FFFF
    EXPECT_FALSE(isValidUtf8("\xE0\x80\x80"));        // overlong
    EXPECT_FALSE(isValidUtf8("\xC3"));                // cut short
    EXPECT_FALSE(isValidUtf8("\x80"));                // lone continuation
    EXPECT_FALSE(isValidUtf8("\xFF"));
}

} // namespace
