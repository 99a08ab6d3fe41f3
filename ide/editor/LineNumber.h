// The line number typed into the Go To Line dialog.
#pragma once

#include <optional>
#include <string_view>

namespace zelk {

// The most digits the dialog takes (its message names 999999999 as the bound).
inline constexpr int LineNumberDigits = 9;

// The value of a line number: digits 0-9 only, at most nine of them, at
// least 1. Anything else (empty, a sign, a blank, a letter, 0) is nothing.
std::optional<int> parseLineNumber(std::u16string_view text);

} // namespace zelk
