// The memory window's line texts, paging, cursor moves and byte editing.
#include "views/MemoryPage.h"

#include "link/Conversions.h"

#include <algorithm>

namespace zelk {

using namespace memgrid;

char memoryChar(uint8_t byte) { return byte >= 32 && byte < 127 ? static_cast<char>(byte) : '.'; }

std::vector<std::string> memoryLineCells(int32_t base, int offset, std::span<const uint8_t> buffer, bool ok)
{
    std::vector<std::string> cells(ColumnCount - 2);
    cells[AddressColumn] = " $" + HexPad((base + offset) & 0xFFFF, 4) + ":";
    if (!ok)
        return cells;
    for (int i = 0; i < 16; ++i) {
        const size_t at = static_cast<size_t>(offset + i);
        if (offset < 0 || at >= buffer.size())
            break;
        const uint8_t b = buffer[at];
        cells[static_cast<size_t>(FirstHex + i)] = HexPad(b, 2);
        cells[static_cast<size_t>(FirstChar + i)] = std::string(1, memoryChar(b));
    }
    return cells;
}

std::string OneLine(int32_t base, int offset, std::span<const uint8_t> buffer, bool ok)
{
    const std::vector<std::string> cells = memoryLineCells(base, offset, buffer, ok);
    if (!ok)
        return cells.front();
    std::string line;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i)
            line += '\t';
        line += cells[i];
    }
    return line;
}

int memoryLineCount(int heightPx, int rowPx)
{
    if (rowPx <= 0 || heightPx <= 0)
        return 0;
    return std::clamp(heightPx / rowPx, 0, MaxLines);
}

int32_t maxDisplayAddress(int lineCount) { return AddressSpace - std::max(lineCount, 0) * 16; }

int32_t MemoryCursor::address() const
{
    if (!isDataColumn(column) || row < 0 || row >= lineCount)
        return -1;
    return (displayAddress + row * 16 + byteOfColumn(column)) & 0xFFFF;
}

MemoryCursor memoryJump(int32_t address, int lineCount)
{
    MemoryCursor c;
    address &= 0xFFFF;
    c.lineCount = lineCount;
    c.column = address % 16 + FirstHex;
    if (lineCount > 0 && address > 0xFFFF - (lineCount - 1) * 16) {
        // The page would run past $FFFF: it ends there instead.
        c.displayAddress = maxDisplayAddress(lineCount);
        c.row = lineCount - 1 - (0xFFFF - address) / 16;
    } else {
        c.displayAddress = address / 16 * 16;
        c.row = 0;
    }
    return c;
}

MemoryCursor memoryMove(MemoryCursor c, MemoryMove move)
{
    const int lc = c.lineCount;
    if (lc <= 0)
        return c;
    const int32_t top = maxDisplayAddress(lc);
    if (!isDataColumn(c.column))
        c.column = FirstHex;
    c.row = std::clamp(c.row, 0, lc - 1);
    const bool hex = isHexColumn(c.column);

    auto lineUp = [&c]() {
        if (c.row > 0) {
            --c.row;
            return true;
        }
        if (c.displayAddress >= 16) {
            c.displayAddress -= 16;
            return true;
        }
        return false;
    };
    auto lineDown = [&c, lc, top]() {
        if (c.row < lc - 1) {
            ++c.row;
            return true;
        }
        if (c.displayAddress < top) {
            c.displayAddress += 16;
            return true;
        }
        return false;
    };

    switch (move) {
    case MemoryMove::Left:
        if (c.column == FirstHex || c.column == FirstChar) {
            if (lineUp())
                c.column = hex ? LastHex : LastChar;
        } else {
            --c.column;
        }
        break;
    case MemoryMove::Right:
        if (c.column == LastHex || c.column == LastChar) {
            if (lineDown())
                c.column = hex ? FirstHex : FirstChar;
        } else {
            ++c.column;
        }
        break;
    case MemoryMove::Up:
        lineUp();
        break;
    case MemoryMove::Down:
        lineDown();
        break;
    case MemoryMove::PageUp:
        if (c.displayAddress == 0)
            c.row = 0;
        else
            c.displayAddress = std::max(0, c.displayAddress - lc * 16);
        break;
    case MemoryMove::PageDown:
        c.displayAddress = std::min(top, c.displayAddress + lc * 16);
        break;
    case MemoryMove::Tab:
        c.column = hex ? c.column + (FirstChar - FirstHex) : c.column - (FirstChar - FirstHex);
        break;
    }
    return c;
}

MemoryCursor memorySettle(MemoryCursor c, int row, int column, int lastColumn)
{
    if (c.lineCount <= 0)
        return c;
    c.row = std::clamp(row, 0, c.lineCount - 1);
    const bool fromChar = isCharColumn(lastColumn);
    if (isDataColumn(column))
        c.column = column;
    else if (column == MidSpacer)
        c.column = fromChar ? FirstChar : LastHex;
    else if (column == LastChar + 1)
        c.column = LastChar;
    else if (column > LastChar + 1)
        c.column = fromChar ? LastChar : LastHex;
    else  // the address column and the spacer before the first byte
        c.column = fromChar ? FirstChar : FirstHex;
    return c;
}

MemoryEditKey memoryEditKey(std::string_view text, int selStart, int selLength, char key, bool byteCell)
{
    MemoryEditKey r;
    r.text = std::string(text);
    selStart = std::clamp(selStart, 0, static_cast<int>(text.size()));
    selLength = std::clamp(selLength, 0, static_cast<int>(text.size()) - selStart);
    r.caret = selStart;
    const int maxLength = byteCell ? MemoryByteMaxLength : MemoryCharMaxLength;

    if (key == MemKeyEnter) {
        r.send = !text.empty();
        return r;
    }
    if (key == MemKeyEscape) {
        r.cancel = true;
        return r;
    }
    if (key == MemKeyBackspace) {
        r.accepted = true;
        if (selLength > 0) {
            r.text.erase(static_cast<size_t>(selStart), static_cast<size_t>(selLength));
        } else if (selStart > 0) {
            r.text.erase(static_cast<size_t>(selStart - 1), 1);
            r.caret = selStart - 1;
        }
        return r;
    }
    if (selStart >= maxLength - 1)
        return r;
    if (byteCell) {
        if (key >= 'a' && key <= 'f')
            key = static_cast<char>(key - 'a' + 'A');
        if (!((key >= '0' && key <= '9') || (key >= 'A' && key <= 'F')))
            return r;
    } else if (static_cast<unsigned char>(key) < 32 || static_cast<unsigned char>(key) > 126) {
        return r;
    }
    r.text.replace(static_cast<size_t>(selStart), static_cast<size_t>(selLength), 1, key);
    r.caret = selStart + 1;
    // Overtype: a full box drops the character after the caret.
    if (static_cast<int>(r.text.size()) > maxLength - 1 && r.caret < static_cast<int>(r.text.size()))
        r.text.erase(static_cast<size_t>(r.caret), 1);
    r.accepted = true;
    return r;
}

int32_t memoryEditValue(std::string_view text, bool byteCell)
{
    if (text.empty())
        return -1;
    if (!byteCell)
        return static_cast<unsigned char>(text.front());
    const std::string_view digits = text.substr(0, 2);
    for (char ch : digits)
        if (!((ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F')))
            return -1;
    return HexToLong(digits);
}

std::string memoryReadOnlyMessage() { return std::string("Can't Write to Memory !") + "\n\r" + " (Read Only Memory)"; }

} // namespace zelk
