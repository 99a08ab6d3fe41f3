// What a key pressed in the serial terminal does. The terminal's text never
// takes a key: Enter is sent as CR LF and Backspace as the byte 8; Delete,
// the paging and arrow keys and the editing shortcuts Ctrl+A, C, V, X, Z are
// swallowed; a typed character is sent converted to the board's code page
// (never echoed: the program's echo comes back through the terminal's
// display). Bytes go out only in board mode while the board runs a user
// program: between runs the board's monitor reads the line as request
// frames, and stray bytes there would spoil the next exchange.
#pragma once

#include <cstdint>
#include <vector>

namespace zelk {

enum class TerminalKey : uint8_t {
    Enter, Backspace,
    Delete, PageUp, PageDown, End, Home, Left, Right, Up, Down,
    CtrlA, CtrlC, CtrlV, CtrlX, CtrlZ,
    Character,  // a typed character (its text is the key's character)
    Other,      // anything else (function keys, modifiers ...)
};

struct TerminalKeyAction {
    bool swallow = true;         // the key goes no further
    std::vector<uint8_t> send;   // bytes for the serial line (may be empty)
};

// ch: the typed character for TerminalKey::Character (Unicode); boardMode:
// the target is the board (simulator mode off); boardRunning: the board
// runs a user program.
TerminalKeyAction terminalKeyAction(TerminalKey key, char32_t ch, bool boardMode, bool boardRunning);

} // namespace zelk
