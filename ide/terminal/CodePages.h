// Code pages of the serial terminal. Typed characters arrive as Unicode and
// are sent in Windows code page 1250, except for the Central European
// letters and signs that the board's software knows in DOS code page 852:
// those are converted by a fixed table before sending. Received bytes are
// shown as the characters of code page 852, the code page the board's side
// speaks.
#pragma once

#include <array>
#include <cstdint>

namespace zelk {

// The byte to send for a code page 1250 byte: its 852 code when it is one of
// the table's 26 characters, else unchanged.
uint8_t cp1250ToCp852(uint8_t b);
// The table itself, {1250 byte, 852 byte} per entry.
const std::array<std::array<uint8_t, 2>, 26>& cp1250ToCp852Pairs();

// The character of a byte (0 when the code page has none there).
char32_t cp1250ToUnicode(uint8_t b);
char32_t cp852ToUnicode(uint8_t b);
// The code page 1250 byte of a character, or -1 when it has none.
int unicodeToCp1250(char32_t c);

} // namespace zelk
