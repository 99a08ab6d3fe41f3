// The labels window ("Labels", frmLabel): the labelled entries of the
// program's symbol table with their values, unsorted or sorted by name or
// value as SortMode says. It only displays; the choice of sort is kept in
// the settings ("LabelSort").
#pragma once

#include "shell/DebugView.h"

#include <QString>
#include <QWidget>

class QMenu;
class QTreeWidget;

namespace zelk {

class frmMain;

class frmLabel : public QWidget, public DebugView {
    Q_OBJECT
public:
    explicit frmLabel(frmMain& m, QWidget* parent = nullptr);
    ~frmLabel() override;

    // Rebuilds the rows from the symbol table and applies SortMode.
    void Redraw() override;
    // Reads nothing from the target: the refresh cycle passes it by.
    bool refreshable() const override { return false; }

    // "N" by name, "V" by value, anything else unsorted.
    QString SortMode;

    QTreeWidget* list() const { return ListView; }
    // The sort popup as a right click shows it.
    QMenu* buildPopup();

private:
    frmMain& main_;
    QTreeWidget* ListView = nullptr;
    QMenu* popup_ = nullptr;
};

} // namespace zelk
