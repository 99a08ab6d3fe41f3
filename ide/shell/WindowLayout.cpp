// Window layout commands and their rectangle arithmetic.
#include "shell/WindowLayout.h"

#include <QMdiSubWindow>
#include <QWidget>

namespace zelk {

void moveWindow(QWidget* w, const QRect& r)
{
    if (!w)
        return;
    if (w->isMaximized() || w->isMinimized())
        w->showNormal();
    w->setGeometry(r);
}

void saveLayout(SettingsStore& store, const QString& prefix, const QRect& r)
{
    store.savePlacement(prefix, Placement{WindowState::Normal, r});
}

QList<DebuggerSlot> arrangeDebuggerSlots(int w, int h)
{
    // The layout is defined in twips; convert at the edges.
    const double W = pixelsToTwips(w), H = pixelsToTwips(h);
    const double X = rightColumnX(W);
    auto px = [](double l, double t, double wd, double ht) {
        return QRect(twipsToPixels(l), twipsToPixels(t), std::max(1, twipsToPixels(wd)),
                     std::max(1, twipsToPixels(ht)));
    };
    return {
        {"Label", "mnuViewLabel", px(X + 2600, 2450, 2600, H - 2450)},
        {"Watch", "mnuViewWatch", px(X + 2600, 0, 2600, 2450)},
        {"Stack", "mnuViewStack", px(X, 2450, 2600, H - 2450)},
        {"RegCPU", "mnuViewRegCPU", px(X, 0, 2600, 2450)},
        {"DisAsm", "mnuViewDisassembler", px(0, 0, X, H)},
    };
}

QList<QRect> cascadeRects(int n, int w, int h)
{
    QList<QRect> out;
    if (n <= 0)
        return out;
    const int dx = std::min(w / n, 24);
    const int dy = std::min(h / n, 24);
    for (int i = 0; i < n; ++i)
        out.append(QRect(i * dx, i * dy, std::max(1, int(0.8 * w)), std::max(1, int(0.8 * h))));
    return out;
}

QList<QRect> tileRects(int n, int w, int h, bool horizontal)
{
    QList<QRect> out;
    if (n <= 0)
        return out;
    if (horizontal) {
        const int s = std::max(1, h / n);
        for (int i = 0; i < n; ++i)
            out.append(QRect(0, i * s, w, s));
    } else {
        const int s = std::max(1, w / n);
        for (int i = 0; i < n; ++i)
            out.append(QRect(i * s, 0, s, h));
    }
    return out;
}

} // namespace zelk
