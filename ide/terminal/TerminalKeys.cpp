// The serial terminal's key rules (see TerminalKeys.h).
#include "terminal/TerminalKeys.h"

#include "terminal/CodePages.h"

namespace zelk {

TerminalKeyAction terminalKeyAction(TerminalKey key, char32_t ch, bool boardMode, bool boardRunning)
{
    TerminalKeyAction a;
    switch (key) {
    case TerminalKey::Enter:
        if (boardMode && boardRunning)
            a.send = {13, 10};
        return a;
    case TerminalKey::Backspace:
        if (boardMode && boardRunning)
            a.send = {8};
        return a;
    case TerminalKey::Character: {
        if (!boardMode || !boardRunning)
            return a;
        const int b = unicodeToCp1250(ch);
        if (b >= 0)
            a.send = {cp1250ToCp852(static_cast<uint8_t>(b))};
        return a;
    }
    case TerminalKey::Other:
        a.swallow = false;
        return a;
    default:
        return a;  // the swallowed keys
    }
}

} // namespace zelk
