// The auto refresh of the register and watch windows: the main window's one
// tmrRefresh runs while the active child is a window whose auto refresh is
// on (DebugView::autoRefreshOn).
#pragma once

#include <functional>

class QObject;

namespace zelk {

class frmMain;

// Called as `window` is activated (on) or deactivated. `runs` says whether
// the window is the active child with its auto refresh on; it is asked again
// once every window has heard of the activation, since a window deactivated
// after this one may stop the shared timer. On deactivation the timer stops
// unless the child now active runs it.
void followActivation(frmMain& m, QObject* window, bool on, bool wasActive, const std::function<bool()>& runs);

} // namespace zelk
