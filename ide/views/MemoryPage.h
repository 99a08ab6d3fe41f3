// The memory window without its widgets: the text of one dump line, where a
// page starts for a requested address, how the cell cursor moves over the
// grid (wrapping between lines, scrolling the page at its edges, jumping
// between a byte and its character), the key filter of the in-place byte
// editor, and the address and value a confirmed edit writes.
//
// Grid columns: 0 line address, 1 spacer, 2-17 the sixteen bytes in hex,
// 18 spacer, 19-34 the same bytes as characters, 35 and 36 thin spacers.
// Rows here are data rows counted from 0 (the grid's header is not a row).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zelk {

namespace memgrid {
inline constexpr int AddressColumn = 0;
inline constexpr int FirstHex = 2;
inline constexpr int LastHex = 17;
inline constexpr int MidSpacer = 18;
inline constexpr int FirstChar = 19;
inline constexpr int LastChar = 34;
inline constexpr int ColumnCount = 37;
inline constexpr int MaxLines = 64;      // the 1,024-byte buffer
inline constexpr int32_t AddressSpace = 0x10000;

inline bool isHexColumn(int c) { return c >= FirstHex && c <= LastHex; }
inline bool isCharColumn(int c) { return c >= FirstChar && c <= LastChar; }
inline bool isDataColumn(int c) { return isHexColumn(c) || isCharColumn(c); }
// Offset within the line (0-15) of a data column.
inline int byteOfColumn(int c) { return isHexColumn(c) ? c - FirstHex : c - FirstChar; }
} // namespace memgrid

// The character cell of a byte: the byte itself when printable ASCII
// (32..126), "." otherwise.
char memoryChar(uint8_t byte);

// The cells of one line (ColumnCount - 2 of them: address, spacer, 16 hex,
// spacer, 16 characters): " $" + 4 hex digits + ":" for the line at
// base + offset, then the bytes buffer[offset..offset+15]. When the last
// read failed (ok false) only the address cell is filled.
std::vector<std::string> memoryLineCells(int32_t base, int offset, std::span<const uint8_t> buffer, bool ok);
// The same as one tab-separated text (the grid's row format).
std::string OneLine(int32_t base, int offset, std::span<const uint8_t> buffer, bool ok);

// Number of whole data rows that fit in `heightPx` of rows `rowPx` high,
// 0..64.
int memoryLineCount(int heightPx, int rowPx);

// The highest display address for a page of lineCount lines.
int32_t maxDisplayAddress(int lineCount);

// Where the cursor and the page are.
struct MemoryCursor {
    int32_t displayAddress = 0;  // first line's address, a multiple of 16
    int lineCount = 0;           // data rows on the page
    int row = 0;                 // data row, 0..lineCount-1
    int column = memgrid::FirstHex;

    // The target address under the cursor (-1 on a non-data cell).
    int32_t address() const;
};

// Memory Display Address: the page and cell that show `address`. A page that
// would run past $FFFF ends at $FFFF instead, with the cursor on the line
// of the address; otherwise the address's line is the first row.
MemoryCursor memoryJump(int32_t address, int lineCount);

// Cursor moves from the keyboard. Left/Right wrap between lines (the hex and
// character halves wrap separately), Up/Down stop at the page edge by
// scrolling one line, PageUp/PageDown scroll by a page, Tab jumps between a
// byte and its character. Nothing moves while the page has no lines.
enum class MemoryMove { Left, Right, Up, Down, PageUp, PageDown, Tab };
MemoryCursor memoryMove(MemoryCursor c, MemoryMove move);

// A click or other jump onto (row, column): a cell that holds no data sends
// the cursor to the nearest data cell of the half it came from (lastColumn).
MemoryCursor memorySettle(MemoryCursor c, int row, int column, int lastColumn);

// The in-place editor's key filter. A byte cell takes two hex digits (lower
// case becomes upper), a character cell one printable character; a key is
// taken only while the caret stands before the last place, a typed key
// replaces the selection, and a key typed into a full box overwrites the
// character after the caret.
inline constexpr int MemoryByteMaxLength = 3;
inline constexpr int MemoryCharMaxLength = 2;
struct MemoryEditKey {
    std::string text;
    int caret = 0;
    bool accepted = false;  // the key changed the text (or was Backspace)
    bool send = false;      // Enter with a non-empty text: write the byte
    bool cancel = false;    // Esc: hide without writing
};
inline constexpr char MemKeyBackspace = 8;
inline constexpr char MemKeyEnter = 13;
inline constexpr char MemKeyEscape = 27;
MemoryEditKey memoryEditKey(std::string_view text, int selStart, int selLength, char key, bool byteCell);

// The byte a confirmed edit writes: the first two characters read as hex
// (byte cell) or the code of the first character (character cell); -1 when
// the text gives none.
int32_t memoryEditValue(std::string_view text, bool byteCell);

// The message for a byte that reads back different from what was written.
inline constexpr std::string_view MemoryWriteCaption = "Tarvine - Memory Write Error";
std::string memoryReadOnlyMessage();

} // namespace zelk
