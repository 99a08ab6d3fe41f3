// The watch window ("Watch Window", frmWatch): one row per watch of the
// program's watch list with its address or label and its value in the
// watch's own format. Values are edited with Enter Value; watches are added,
// edited and removed through the Watch dialog. The list lives outside the
// window (programWatches()), so it survives closing and reopening it.
#pragma once

#include "shell/DebugView.h"
#include "views/ValueDialogs.h"
#include "views/WatchList.h"
#include "views/ui/ValueListView.h"

#include <QWidget>

#include <functional>

class QMenu;
class QTreeWidgetItem;

namespace zelk {

class frmMain;

// The watch list of the run (empty at start), owned for the main window.
WatchList& programWatches();

// The two modal dialogs the watch commands open: Enter Value (DialogName,
// DialogText, DialogIsWord in; DialogOK, DialogValue out) and the Watch
// dialog (DialogText, DialogIsWord in; DialogOK, DialogValue, DialogName,
// DialogIsWord out). The defaults open the dialogs; tests replace them.
struct WatchDialogs {
    static std::function<void(QWidget* owner, DialogFields& f)> enterValue;
    static std::function<void(QWidget* owner, DialogFields& f)> watchAddress;
};

class frmWatch : public QWidget, public DebugView {
    Q_OBJECT
public:
    explicit frmWatch(frmMain& m, QWidget* parent = nullptr);
    ~frmWatch() override;

    // The refresh contract.
    void mnuRefresh() override;
    void Redraw() override;
    void ClearScreen() override;

    // The row commands of the view popup.
    void mnuViewHex();
    void mnuViewBin();
    void mnuViewDec();
    void mnuEnter();
    void mnuAutoRefresh();

    // Adds a row for a watch just appended to the list; removes row k.
    void addRow();
    void removeRow(int k);

    int selectedRow() const;
    void selectRow(int row);
    bool autoRefreshOn() const override { return view_.autoRefreshOn(); }
    // The value column's width; 0 is the no-data state.
    int valueColumnWidth() const;
    QTreeWidget* list() const { return ListView; }
    // Builds the popup for a right click on `hitRow` (-1: none) as the user
    // would see it; the caller shows or inspects it.
    QMenu* buildPopup(int hitRow);

private:
    void setFormat(char format);
    void rebuildRows();
    void fitWatchColumn();
    void activated(bool on);

    frmMain& main_;
    ValueListView* ListView = nullptr;
    WatchView view_;
    QMenu* popup_ = nullptr;
    bool active_ = false;  // the active child
};

// The main window's watch commands, usable by name.
void AddWatch(frmMain& m);
void EditWatch(frmMain& m);
void RemoveWatch(frmMain& m);

} // namespace zelk
