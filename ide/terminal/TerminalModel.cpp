// The serial terminal's text (see TerminalModel.h).
#include "terminal/TerminalModel.h"

#include <algorithm>

namespace zelk {

namespace {
const char kHexDigits[] = "0123456789ABCDEF";
}

TerminalModel::TerminalModel(size_t maxLines) : maxLines_(std::max<size_t>(1, maxLines))
{
    lines_.emplace_back();
}

void TerminalModel::setMode(Mode m)
{
    mode_ = m;
    clear();
}

void TerminalModel::clear()
{
    lines_.clear();
    lines_.emplace_back();
    caretLine_ = caretColumn_ = 0;
    hexCount_ = 0;
    ++revision_;
}

std::string TerminalModel::text() const
{
    std::string out;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (i)
            out += '\n';
        out += lines_[i];
    }
    return out;
}

void TerminalModel::Display(const uint8_t* bytes, size_t count)
{
    if (!bytes || count == 0)
        return;
    if (mode_ == Mode::Hex) {
        for (size_t i = 0; i < count; ++i)
            hexByte(bytes[i]);
    } else {
        for (size_t i = 0; i < count; ++i)
            asciiByte(bytes[i]);
    }
    trim();
    ++revision_;
}

void TerminalModel::hexByte(uint8_t b)
{
    if (empty()) {
        hexCount_ = 0;
        lines_.back() = std::string(49, ' ') + '|' + std::string(17, ' ');
    }
    if (hexCount_ == 16) {
        lines_.push_back(std::string(49, ' ') + '|' + std::string(17, ' '));
        hexCount_ = 0;
    }
    std::string& line = lines_.back();
    line[3 * hexCount_] = kHexDigits[b >> 4];
    line[3 * hexCount_ + 1] = kHexDigits[b & 15];
    line[51 + hexCount_] = b >= 32 ? static_cast<char>(b) : '.';
    ++hexCount_;
    caretLine_ = lines_.size() - 1;
    caretColumn_ = line.size();
}

void TerminalModel::put(char c)
{
    if (caretColumn_ >= MaxLineLength)
        newLine();
    std::string& line = lines_[caretLine_];
    if (caretColumn_ < line.size())
        line[caretColumn_] = c;
    else
        line.push_back(c);
    ++caretColumn_;
}

void TerminalModel::newLine()
{
    if (caretLine_ + 1 < lines_.size()) {
        ++caretLine_;
    } else {
        lines_.emplace_back();
        caretLine_ = lines_.size() - 1;
    }
    caretColumn_ = 0;
}

void TerminalModel::asciiByte(uint8_t b)
{
    switch (b) {
    case 7:
        ++bells_;
        return;
    case 8:
        // One back, blanked; at the start of a line the break stays.
        if (caretColumn_ > 0) {
            --caretColumn_;
            lines_[caretLine_][caretColumn_] = ' ';
        }
        return;
    case 9: {
        const size_t n = 8 - caretColumn_ % 8;
        for (size_t i = 0; i < n; ++i)
            put(' ');
        return;
    }
    case 10:
        newLine();
        return;
    case 12:
        clear();
        return;
    case 13:
        caretColumn_ = 0;
        return;
    default:
        if (b >= 32)
            put(static_cast<char>(b));
        return;
    }
}

void TerminalModel::trim()
{
    while (lines_.size() > maxLines_) {
        lines_.pop_front();
        ++dropped_;
        if (caretLine_ > 0)
            --caretLine_;
        else
            caretColumn_ = 0;
    }
}

} // namespace zelk
