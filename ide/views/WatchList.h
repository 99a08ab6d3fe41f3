// The watch list: up to 32 watched bytes or words of target memory, each
// given by an address or by a label of the loaded program, with a display
// format per watch and the value read at the last refresh. The list lives
// for the whole run, independent of the watch window; this class also holds
// the window's own logic (row texts, refresh, value edit, popup state).
#pragma once

#include "views/MemoryPort.h"
#include "views/ViewPopup.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zelk {

class SymbolTable;

struct Watch {
    int32_t WatchAddress = 0;    // 0..$FFFF
    std::string WatchName;       // the label it was given by, upper case
    bool WatchNamed = false;     // shown by WatchName instead of the address
    char WatchFormat = '$';      // '$' hex, '%' binary, ' ' decimal
    bool WatchIsWord = false;    // word: high byte at WatchAddress
    int32_t WatchValue = 0;      // value read at the last refresh
};

class WatchList {
public:
    static constexpr int MaxWatches = 32;

    // Watches are 0-based here (the window's row 1 is watch 0).
    int WatchCount() const { return count_; }
    bool empty() const { return count_ == 0; }
    bool full() const { return count_ >= MaxWatches; }
    bool valid(int i) const { return i >= 0 && i < count_; }
    const Watch& operator[](int i) const { return watches_[static_cast<size_t>(i)]; }

    // Adding a watch. A full list refuses (show fullMessage()); otherwise the
    // new watch goes last, format '$', named when `name` is not empty. The
    // address is reduced to 16 bits. Returns the new index or -1.
    int add(int32_t address, const std::string& name, bool isWord);
    // Editing watch i: address, name and width change, the format stays.
    bool edit(int i, int32_t address, const std::string& name, bool isWord);
    // Removing watch i: the later watches move up one place.
    bool remove(int i);
    // mnuViewHex / mnuViewBin / mnuViewDec on watch i.
    void setFormat(int i, char format);
    void clear() { count_ = 0; }

    // Watch column: the name of a named watch, otherwise "$" and four hex digits.
    std::string rowText(int i) const;
    // Value column: FormatValue(WatchValue, WatchFormat, WatchIsWord).
    std::string valueText(int i) const;
    // DialogText for the Watch dialog's Edit: the row text.
    std::string editText(int i) const { return rowText(i); }

    // mnuRefresh's reads: each watch in order (a word with InBytes of two
    // bytes, a byte with InByte), stopping at the first failed access.
    // Returns the link-ready flag; nothing is read for an empty list and the
    // result is then true.
    bool refresh(MemoryPort& port);
    // mnuEnter's write of `value` to watch i: a word with OutBytes (high,
    // low), a byte with OutByte. Returns the link-ready flag.
    bool writeValue(int i, int32_t value, MemoryPort& port);

    // After new symbols: a named watch whose label no longer yields its
    // address keeps the address and stops being named. Returns how many
    // watches were unbound.
    int recheckSymbols(const SymbolTable& symbols);

    // The message of a refused 33rd watch and its caption.
    static std::string fullMessage();
    static constexpr const char* FullCaption = "Tarvine - Watch Error";

private:
    std::array<Watch, MaxWatches> watches_{};
    int count_ = 0;
};

// The watch window's state besides the list: auto refresh, and the popup.
class WatchView {
public:
    bool autoRefreshOn() const { return autoRefreshOn_; }
    bool toggleAutoRefresh() { return autoRefreshOn_ = !autoRefreshOn_; }
    // The outcome of a refresh or an edit: a failure switches auto refresh
    // off (the window then shows no data). Returns ok.
    bool accessed(bool ok)
    {
        if (!ok)
            autoRefreshOn_ = false;
        return ok;
    }
    // The popup for a right click on `hitRow` (-1: no row), the window
    // showing data or not, with `selectedRow` the current selection.
    ViewPopupState popupState(const WatchList& list, int hitRow, bool hasData, int selectedRow) const;

    // Help context numbers of the Enter Value dialog while it edits a watch
    // and after it closes; of the Watch dialog when adding and editing.
    static constexpr int HelpEnterValueWatch = 194;
    static constexpr int HelpEnterValue = 193;
    static constexpr int HelpAddWatch = 350;
    static constexpr int HelpEditWatch = 351;

private:
    bool autoRefreshOn_ = false;
};

} // namespace zelk
