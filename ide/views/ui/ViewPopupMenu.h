// The view popup (mnuPopupView) of the register and watch windows, built in
// one place so that both show the same items in the same order: the three
// watch items and their separator (visible only in the watch window), Enter
// Value, the three formats, Auto Refresh and Refresh Window. The window's
// ViewPopupState gives each item's state; the handlers are its procedures.
#pragma once

#include "views/ViewPopup.h"

#include <functional>

class QMenu;
class QWidget;

namespace zelk {

struct ViewPopupHandlers {
    std::function<void()> enter, hex, binary, decimal, autoRefresh, refresh;
    std::function<void()> addWatch, editWatch, removeWatch;  // watch window only
};

// The handlers every such window has: its procedures of the same names.
template <class Window>
ViewPopupHandlers viewPopupHandlers(Window* w)
{
    ViewPopupHandlers h;
    h.enter = [w] { w->mnuEnter(); };
    h.hex = [w] { w->mnuViewHex(); };
    h.binary = [w] { w->mnuViewBin(); };
    h.decimal = [w] { w->mnuViewDec(); };
    h.autoRefresh = [w] { w->mnuAutoRefresh(); };
    h.refresh = [w] { w->mnuRefresh(); };
    return h;
}

// A new menu named "mnuPopupView", a child of `owner`.
QMenu* buildViewPopup(QWidget* owner, const ViewPopupState& s, const ViewPopupHandlers& h);

} // namespace zelk
