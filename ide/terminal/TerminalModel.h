// The text of the serial terminal and how received bytes change it, apart
// from any widget.
//
// ASCII mode is a small overwrite terminal: the write position (the caret)
// moves with the bytes; BEL rings, BS steps back and blanks, TAB fills with
// spaces to the next multiple of 8 columns, LF goes to the start of the next
// line (making one at the end), FF clears, CR goes to the start of the line;
// bytes 32-255 overwrite the character at the caret (appended at a line's
// end) and other control codes are ignored.
//
// Hex mode dumps 16 bytes a line: the two hex digits of byte i at column
// 3 i, a "|" at column 49 and the byte itself (or "." below 32) at column
// 51 + i.
//
// Line breaks are not characters of a line: the text is a list of lines,
// and BS at the start of a line leaves the caret there. The list keeps at
// most maxLines lines (10,000 by default); older lines are dropped from the
// top, so a program that writes for hours keeps the memory bounded; a line
// that reaches MaxLineLength characters without a line break goes on in a
// new line, for the same reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

namespace zelk {

class TerminalModel {
public:
    enum class Mode : uint8_t { Ascii, Hex };
    static constexpr size_t DefaultMaxLines = 10000;
    static constexpr size_t HexLineLength = 67;
    static constexpr size_t MaxLineLength = 4096;

    explicit TerminalModel(size_t maxLines = DefaultMaxLines);

    Mode mode() const { return mode_; }
    // Chooses the mode and clears the text (the pop-up's Ascii and Hex).
    void setMode(Mode m);
    // Empties the text (the pop-up's Clear, and FF).
    void clear();

    // Renders the bytes in order at the caret.
    void Display(const uint8_t* bytes, size_t count);

    // The lines as bytes (one byte per character; the view draws them in
    // the board's code page), never empty: an empty text is one empty line.
    const std::deque<std::string>& lines() const { return lines_; }
    size_t lineCount() const { return lines_.size(); }
    size_t caretLine() const { return caretLine_; }
    size_t caretColumn() const { return caretColumn_; }
    // The text with "\n" between the lines (tests, copies).
    std::string text() const;
    bool empty() const { return lines_.size() == 1 && lines_.front().empty(); }

    size_t maxLines() const { return maxLines_; }
    // Lines dropped from the top since the start (the view keeps its scroll
    // position by it).
    uint64_t droppedLines() const { return dropped_; }
    // BEL bytes received and not yet rung.
    int takeBells()
    {
        const int n = bells_;
        bells_ = 0;
        return n;
    }
    // Grows with every change of the text.
    uint64_t revision() const { return revision_; }

private:
    void asciiByte(uint8_t b);
    void hexByte(uint8_t b);
    void put(char c);
    void newLine();
    void trim();

    std::deque<std::string> lines_;
    size_t caretLine_ = 0;
    size_t caretColumn_ = 0;
    size_t hexCount_ = 0;
    size_t maxLines_;
    uint64_t dropped_ = 0;
    uint64_t revision_ = 0;
    int bells_ = 0;
    Mode mode_ = Mode::Ascii;
};

} // namespace zelk
