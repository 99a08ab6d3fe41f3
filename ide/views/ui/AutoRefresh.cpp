// Starting and stopping the shared refresh timer as windows are activated.
#include "views/ui/AutoRefresh.h"

#include "shell/DebugView.h"
#include "shell/frmMain.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>

namespace zelk {

void followActivation(frmMain& m, QObject* window, bool on, bool wasActive, const std::function<bool()>& runs)
{
    QTimer* t = m.tmrRefresh();
    if (on) {
        if (!runs())
            return;
        t->start();
        QTimer::singleShot(0, window, [&m, runs] {
            if (runs())
                m.tmrRefresh()->start();
        });
        return;
    }
    if (!wasActive)
        return;
    QMdiSubWindow* sub = m.mdiArea()->activeSubWindow();
    const auto* now = sub ? dynamic_cast<const DebugView*>(sub->widget()) : nullptr;
    if (!now || !now->autoRefreshOn())
        t->stop();
}

} // namespace zelk
