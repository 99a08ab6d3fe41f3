// The Breakpoints dialog: the code breakpoints and the data breakpoints in
// one list with their kind, and Remove / Remove All for either.
#pragma once

#include <QDialog>

#include <functional>

class QPushButton;
class QTreeWidget;

namespace zelk {

class BreakpointTable;
class DataBreakpointTable;

class frmBreakpoints : public QDialog {
    Q_OBJECT
public:
    // simulator: data breakpoints take effect (on the board they are listed
    // but cannot stop anything). changed runs after every removal.
    frmBreakpoints(BreakpointTable& code, DataBreakpointTable& data, bool simulator,
                   std::function<void()> changed, QWidget* parent = nullptr);

    // Rebuilds the list from the tables.
    void reload();
    QTreeWidget* list() const { return list_; }

private:
    void removeSelected();
    void removeAll();

    BreakpointTable& code_;
    DataBreakpointTable& data_;
    bool simulator_;
    std::function<void()> changed_;
    QTreeWidget* list_;
    QPushButton* cmdRemove_;
    QPushButton* cmdRemoveAll_;
};

} // namespace zelk
