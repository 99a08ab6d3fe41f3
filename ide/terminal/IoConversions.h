// The conversions of the input-output unit's window between the text the
// user types or sees and the unit's byte, held as eight characters "0"/"1"
// with the most significant bit first. A text that does not convert gives
// the string "error" (the window then refuses the input). Stateless.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelk {

// "signed" (-128..127) or "unsigned" (0..255) decimal.
enum class IntMode : uint8_t { Signed, Unsigned };

inline constexpr std::string_view ConversionError = "error";

// Removes leading "0" characters but keeps the last one ("007" -> "7",
// "000" -> "0", "" -> "").
std::string removeLeadingZeroes(std::string_view text);

// Decimal text -> bits. Spaces around are ignored, a leading "-" makes the
// number negative, leading zeros are dropped; at most four characters may
// remain and they must all be digits. Out of the mode's range -> "error".
// A negative value is stored plus 256 (two's complement).
std::string fromInt(std::string_view text, IntMode mode);
// One or two hexadecimal digits (either case; spaces around and leading
// zeros ignored) -> bits; anything else -> "error".
std::string fromHex(std::string_view text);
// One to eight binary digits (spaces around ignored), padded on the left
// with "0" -> bits; anything else -> "error".
std::string fromBinary(std::string_view text);

// Bits -> decimal text; with Signed a value above 127 is shown minus 256.
// Bits that are not eight "0"/"1" characters give "error".
std::string toInt(std::string_view bits, IntMode mode);
// Bits -> two upper-case hexadecimal digits, high nibble first.
std::string toHex(std::string_view bits);
// Bits -> two decimal digits, one per nibble, high first; a nibble above 9
// gives "error".
std::string toBCD(std::string_view bits);

// A byte as bits and back (bitsToByte returns -1 for malformed bits).
std::string byteToBits(uint8_t value);
int bitsToByte(std::string_view bits);

} // namespace zelk
