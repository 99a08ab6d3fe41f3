// Storage of the window registrations (filled by static registrars).
#include "shell/ViewRegistry.h"

namespace zelk {

namespace {
std::vector<ViewInfo>& views()
{
    static std::vector<ViewInfo> v;
    return v;
}
std::vector<std::function<void(frmMain&)>>& exts()
{
    static std::vector<std::function<void(frmMain&)>> v;
    return v;
}
} // namespace

void ViewRegistry::add(ViewInfo info)
{
    for (auto& v : views())
        if (v.menuItem == info.menuItem) {
            v = std::move(info);  // a later registration replaces an earlier one
            return;
        }
    views().push_back(std::move(info));
}

const ViewInfo* ViewRegistry::byMenuItem(const QString& m)
{
    for (const auto& v : views())
        if (v.menuItem == m)
            return &v;
    return nullptr;
}

const ViewInfo* ViewRegistry::byWindow(const QString& w)
{
    for (const auto& v : views())
        if (v.window == w)
            return &v;
    return nullptr;
}

const std::vector<ViewInfo>& ViewRegistry::all() { return views(); }

void ViewRegistry::remove(const QString& m)
{
    auto& v = views();
    std::erase_if(v, [&](const ViewInfo& i) { return i.menuItem == m; });
}

void ViewRegistry::addExtension(std::function<void(frmMain&)> fn) { exts().push_back(std::move(fn)); }

const std::vector<std::function<void(frmMain&)>>& ViewRegistry::extensions() { return exts(); }

} // namespace zelk
