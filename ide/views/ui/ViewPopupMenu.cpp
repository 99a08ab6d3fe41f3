// The shared view popup of the register and watch windows.
#include "views/ui/ViewPopupMenu.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

namespace zelk {

QMenu* buildViewPopup(QWidget* owner, const ViewPopupState& s, const ViewPopupHandlers& h)
{
    auto* menu = new QMenu(owner);
    menu->setObjectName(QStringLiteral("mnuPopupView"));
    auto add = [menu](const char* name, const char* text, bool enabled, int help, const std::function<void()>& fn) {
        QAction* a = menu->addAction(QString::fromUtf8(text));
        a->setObjectName(QString::fromLatin1(name));
        a->setEnabled(enabled);
        if (help)
            a->setProperty("helpContext", help);
        if (fn)
            QObject::connect(a, &QAction::triggered, menu, fn);
        return a;
    };
    for (QAction* a : {add("mnuPopupViewAddWatch", "Add &Watch ...", true, 0, h.addWatch),
                       add("mnuPopupViewEditWatch", "&Edit Watch ...", s.editWatchEnabled, 0, h.editWatch),
                       add("mnuPopupViewRemoveWatch", "Re&move Watch", s.removeWatchEnabled, 0, h.removeWatch),
                       menu->addSeparator()})
        a->setVisible(s.watchItemsVisible);
    add("mnuPopupViewEnter", "Enter &Value ...", s.enterEnabled, s.helpEnter, h.enter);
    menu->addSeparator();
    const std::pair<QAction*, bool> formats[] = {
        {add("mnuPopupViewHex", "&Hex", s.hexEnabled, s.helpHex, h.hex), s.hexChecked},
        {add("mnuPopupViewBin", "&Binary", s.binaryEnabled, s.helpBinary, h.binary), s.binaryChecked},
        {add("mnuPopupViewDec", "&Decimal", s.decimalEnabled, s.helpDecimal, h.decimal), s.decimalChecked},
    };
    for (auto [a, on] : formats) {
        a->setCheckable(true);
        a->setChecked(on);
    }
    menu->addSeparator();
    QAction* autoRefresh = add("mnuPopupViewAutoRefresh", "&Auto Refresh", true, s.helpAutoRefresh, h.autoRefresh);
    autoRefresh->setCheckable(true);
    autoRefresh->setChecked(s.autoRefreshChecked);
    autoRefresh->setVisible(s.autoRefreshVisible);
    QAction* refresh = add("mnuPopupViewRefresh", "&Refresh Window", true, 0, h.refresh);
    if (s.setRefreshWindowEnabled)
        refresh->setEnabled(s.refreshWindowEnabled);
    return menu;
}

} // namespace zelk
