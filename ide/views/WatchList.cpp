// The watch list and the watch window's logic.
#include "views/WatchList.h"

#include "editor/SymbolTable.h"
#include "link/Conversions.h"

namespace zelk {

int WatchList::add(int32_t address, const std::string& name, bool isWord)
{
    if (full())
        return -1;
    Watch& w = watches_[static_cast<size_t>(count_)];
    w = Watch{};
    w.WatchAddress = address & 0xFFFF;
    w.WatchName = name;
    w.WatchNamed = !name.empty();
    w.WatchFormat = '$';
    w.WatchIsWord = isWord;
    return count_++;
}

bool WatchList::edit(int i, int32_t address, const std::string& name, bool isWord)
{
    if (!valid(i))
        return false;
    Watch& w = watches_[static_cast<size_t>(i)];
    w.WatchAddress = address & 0xFFFF;
    w.WatchName = name;
    w.WatchNamed = !name.empty();
    w.WatchIsWord = isWord;
    return true;
}

bool WatchList::remove(int i)
{
    if (!valid(i))
        return false;
    for (int k = i; k + 1 < count_; ++k)
        watches_[static_cast<size_t>(k)] = std::move(watches_[static_cast<size_t>(k + 1)]);
    --count_;
    watches_[static_cast<size_t>(count_)] = Watch{};
    return true;
}

void WatchList::setFormat(int i, char format)
{
    if (valid(i) && (format == '$' || format == '%' || format == ' '))
        watches_[static_cast<size_t>(i)].WatchFormat = format;
}

std::string WatchList::rowText(int i) const
{
    if (!valid(i))
        return {};
    const Watch& w = (*this)[i];
    if (w.WatchNamed)
        return w.WatchName;
    return "$" + HexPad(w.WatchAddress, 4);
}

std::string WatchList::valueText(int i) const
{
    if (!valid(i))
        return {};
    const Watch& w = (*this)[i];
    return FormatValue(w.WatchValue, w.WatchFormat, w.WatchIsWord);
}

bool WatchList::refresh(MemoryPort& port)
{
    if (count_ == 0)
        return true;
    std::vector<uint8_t> buffer;
    for (int i = 0; i < count_; ++i) {
        Watch& w = watches_[static_cast<size_t>(i)];
        if (w.WatchIsWord) {
            port.InBytes(w.WatchAddress, buffer, 2);
            if (!port.linkReady() || buffer.size() < 2)
                return false;
            w.WatchValue = buffer[0] * 256 + buffer[1];
        } else {
            uint8_t value = static_cast<uint8_t>(w.WatchValue);
            port.InByte(w.WatchAddress, value);
            if (!port.linkReady())
                return false;
            w.WatchValue = value;
        }
    }
    return true;
}

bool WatchList::writeValue(int i, int32_t value, MemoryPort& port)
{
    if (!valid(i))
        return port.linkReady();
    const Watch& w = (*this)[i];
    if (w.WatchIsWord) {
        std::vector<uint8_t> data{static_cast<uint8_t>((value >> 8) & 0xFF), static_cast<uint8_t>(value & 0xFF)};
        port.OutBytes(w.WatchAddress, data, 2);
    } else {
        port.OutByte(w.WatchAddress, static_cast<uint8_t>(value & 0xFF));
    }
    return port.linkReady();
}

int WatchList::recheckSymbols(const SymbolTable& symbols)
{
    int unbound = 0;
    for (int i = 0; i < count_; ++i) {
        Watch& w = watches_[static_cast<size_t>(i)];
        if (!w.WatchNamed)
            continue;
        if (symbols.lookup(w.WatchName) != w.WatchAddress) {
            w.WatchNamed = false;
            ++unbound;
        }
    }
    return unbound;
}

std::string WatchList::fullMessage()
{
    return std::string(" Can't Add Watch !") + "\n\r" + "(Max. Watches = 32)";
}

ViewPopupState WatchView::popupState(const WatchList& list, int hitRow, bool hasData, int selectedRow) const
{
    ViewPopupState s;
    s.helpEnter = 82;
    s.helpHex = 83;
    s.helpBinary = 84;
    s.helpDecimal = 85;
    s.helpAutoRefresh = 86;
    s.watchItemsVisible = true;
    if (!list.valid(hitRow) || !hasData) {
        // Enter Value and the formats stay disabled; Edit and Remove follow
        // the list, with the selected watch's format checked.
        if (!list.empty()) {
            s.editWatchEnabled = s.removeWatchEnabled = true;
            if (list.valid(selectedRow))
                checkFormat(s, list[selectedRow].WatchFormat);
        }
    } else {
        s.selectRow = hitRow;
        s.editWatchEnabled = s.removeWatchEnabled = true;
        s.enterEnabled = s.hexEnabled = s.binaryEnabled = s.decimalEnabled = true;
        checkFormat(s, list[hitRow].WatchFormat);
    }
    s.autoRefreshVisible = true;
    s.autoRefreshChecked = autoRefreshOn_;
    s.refreshWindowEnabled = !autoRefreshOn_;
    return s;
}

} // namespace zelk
