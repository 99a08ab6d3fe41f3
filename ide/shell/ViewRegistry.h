// The registry through which windows plug into the main window.
//
// A window registers itself once, in its own .cpp, with
//
//   ZELK_REGISTER_VIEW(frmRegCPU, "mnuViewRegCPU", "RegCPU",
//       [](zelk::frmMain& m) -> QWidget* { return new frmRegCPU(m); });
//
// and from then on its View menu item opens and closes it. The main window
// restores its placement from the settings keys of its prefix (default
// placement: the table of the layout module, or the registration's own
// default), checks the View item while it is open, unchecks it and saves the
// placement when it closes, and calls its DebugView procedures from the
// refresh cycle by menu item name, in the cycle's fixed order.
//
// Other modules (editors, find dialog, download ...) register an extension
// that runs once when the main window has been built; it can attach handlers
// to commands with frmMain::setCommand.
#pragma once

#include <QRect>
#include <QString>

#include <functional>
#include <vector>

class QWidget;

namespace zelk {

class frmMain;

struct ViewInfo {
    QString window;      // "frmRegCPU": class name, also the widget's object name
    QString menuItem;    // "mnuViewRegCPU": the View item that opens and closes it
    QString prefix;      // "RegCPU": settings key prefix of its placement
    std::function<QWidget*(frmMain&)> create;
    // Optional default placement in pixels for a client area of w x h pixels;
    // empty = the layout module's table.
    std::function<QRect(int w, int h)> defaultRect;
};

class ViewRegistry {
public:
    static void add(ViewInfo info);
    static const ViewInfo* byMenuItem(const QString& menuItem);
    static const ViewInfo* byWindow(const QString& window);
    static const std::vector<ViewInfo>& all();
    // Drops the registration of a View item (tests; a build without that window).
    static void remove(const QString& menuItem);

    static void addExtension(std::function<void(frmMain&)> fn);
    static const std::vector<std::function<void(frmMain&)>>& extensions();
};

namespace detail {
struct ViewRegistrar {
    ViewRegistrar(ViewInfo info) { ViewRegistry::add(std::move(info)); }
};
struct ExtensionRegistrar {
    ExtensionRegistrar(std::function<void(frmMain&)> fn) { ViewRegistry::addExtension(std::move(fn)); }
};
} // namespace detail

} // namespace zelk

// The factory / function may contain commas (lambdas): they are the
// variadic tail.
#define ZELK_REGISTER_VIEW(cls, menuItem, prefix, ...)                                 \
    static const ::zelk::detail::ViewRegistrar zelkViewRegistrar_##cls(                  \
        ::zelk::ViewInfo{QStringLiteral(#cls), QStringLiteral(menuItem),                \
                         QStringLiteral(prefix), __VA_ARGS__, {}})

#define ZELK_REGISTER_EXTENSION(name, ...)                                              \
    static const ::zelk::detail::ExtensionRegistrar zelkExtensionRegistrar_##name(__VA_ARGS__)
