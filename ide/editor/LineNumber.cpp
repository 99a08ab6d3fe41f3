// The Go To Line dialog's number rule.
#include "editor/LineNumber.h"

namespace zelk {

std::optional<int> parseLineNumber(std::u16string_view text)
{
    if (text.empty() || text.size() > std::size_t(LineNumberDigits))
        return std::nullopt;
    int value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + int(c - u'0');  // nine digits stay below 2^31
    }
    if (value < 1)
        return std::nullopt;
    return value;
}

} // namespace zelk
