// The state of the main window's view popup (mnuPopupView) as a register or
// watch window wants it shown: which items are enabled, checked and visible,
// and their help context numbers. The window computes it without widgets and
// the Qt side copies it onto the menu.
#pragma once

namespace zelk {

struct ViewPopupState {
    // "Enter &Value ...", "&Hex", "&Binary", "&Decimal"
    bool enterEnabled = false;
    bool hexEnabled = false;
    bool binaryEnabled = false;
    bool decimalEnabled = false;
    bool hexChecked = false;
    bool binaryChecked = false;
    bool decimalChecked = false;

    // "&Auto Refresh" and "&Refresh Window". The CPU window hides Auto
    // Refresh while its popup is shown and leaves Refresh Window as it is.
    bool autoRefreshVisible = true;
    bool autoRefreshChecked = false;
    bool setRefreshWindowEnabled = true;  // false: leave the item's state alone
    bool refreshWindowEnabled = true;

    // "Add &Watch ...", "&Edit Watch ...", "Re&move Watch" and the separator
    // below them: shown only during the watch window's popup.
    bool watchItemsVisible = false;
    bool editWatchEnabled = false;
    bool removeWatchEnabled = false;

    // Row that becomes selected (0-based), or -1 to keep the selection.
    int selectRow = -1;

    // Help context numbers of Enter Value, Hex, Binary, Decimal, Auto Refresh.
    int helpEnter = 0;
    int helpHex = 0;
    int helpBinary = 0;
    int helpDecimal = 0;
    int helpAutoRefresh = 0;
};

// Sets the three format check marks from a row format ('$', '%', ' ').
inline void checkFormat(ViewPopupState& s, char format)
{
    s.hexChecked = format == '$';
    s.binaryChecked = format == '%';
    s.decimalChecked = format == ' ';
}

} // namespace zelk
