// What the editor shows when the mouse rests on a label: the label's name
// taken from the line around the pointer, and the tip text with its value and
// the byte and word stored there.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelk {

// The label-like word (letters, digits, '_' and '.', not starting with a
// digit) that column `at` (0-based) of `line` lies in, or empty: also for
// the digits of a number ($C000, %1010, @17, 'c') and outside any word.
std::string labelWordAt(std::string_view line, size_t at);

// The tip: "NAME = $XXXX" and, when `bytes` is given (the byte at the value
// and the one after it), "Byte: $XX  Word: $XXXX"; otherwise `reason` on the
// second line (when not empty).
std::string labelHoverText(std::string_view name, int32_t value, const uint8_t* bytes, std::string_view reason);

// The reasons the memory at a label is not shown.
inline constexpr const char* HoverBoardRunning = "Memory can't be read while the board runs";
inline constexpr const char* HoverProgramRunning = "Memory can't be read while the program runs on the board";
inline constexpr const char* HoverNoLink = "Memory can't be read: no link to the board";

} // namespace zelk
