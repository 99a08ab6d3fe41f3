// Number and text conversions shared by the whole IDE: hexadecimal padding
// and decoding, the value formats of the register and watch views, the number
// syntax accepted by every address and value entry, tab expansion, file-name
// splitting and the frame checksum. Stateless free functions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelk {

// Sum of bytes[1..count] (element 0, the command letter of a frame, is left
// out), low 8 bits. 0 when count < 1. The caller guarantees count + 1
// elements are readable.
uint8_t CheckSum(const uint8_t* bytes, int16_t count);

// Upper-case hexadecimal text of value, left-padded with "0" to digits
// characters; never cut ("FF" for HexPad(255, 1)). Negative values are shown
// as their 32-bit two's complement.
std::string HexPad(int32_t value, int16_t digits);

// Value of the upper-case hexadecimal digits in text, left to right; any
// other character (lower-case letters included) is skipped. A value that
// does not fit a signed 32-bit integer (eight digits from $80000000 up, or
// more digits) saturates at INT32_MAX, which every range check rejects.
int32_t HexToLong(std::string_view text);

// The user's number syntax: decimal (1-5 digits), "$" hexadecimal (1-4
// digits, either case), "%" binary (1 or more digits), "@" octal (1-6
// digits). Returns the value, or -1 when text is not a valid number or lies
// above 255 (isWord false) or 65535 (isWord true).
int32_t ParseNumber(std::string_view text, bool isWord);

// Display text of value in one of the view formats: ' ' decimal, '$' hex
// (2 or 4 digits), '%' binary (8 or 16 digits); any other format gives "".
std::string FormatValue(int32_t value, char format, bool isWord);

// Replaces every tab by spaces up to the next tab stop; stops are every 9
// columns (a tab at column 1 becomes 9 spaces).
std::string ExpandTabs(std::string_view text);

// Splits path at its last "." into base and extension (both without the
// dot); no dot gives the whole path as base and an empty extension.
void SplitFileName(std::string_view path, std::string& base, std::string& extension);

} // namespace zelk
