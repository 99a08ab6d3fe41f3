// The two-column name/value list of the register and watch windows: a
// fixed-pitch, headerless, single-selection tree with fixed column widths.
// Right clicks, double-clicks and Enter are handed to the owning window
// through the two callbacks.
#pragma once

#include <QTreeWidget>

#include <functional>

namespace zelk {

class ValueListView : public QTreeWidget {
public:
    explicit ValueListView(QWidget* parent = nullptr);

    // A right click: the row under the mouse (-1: none) and where to show
    // the popup.
    std::function<void(int row, const QPoint& globalPos)> onPopup;
    // Enter, or a double-click (after selecting the row under the mouse).
    std::function<void()> onEnter;

    // The selected row (-1: none); selecting a row scrolls it into view.
    int selectedRow() const;
    void selectRow(int row);
    // The value column's width; 0 is the windows' no-data state.
    int valueColumnWidth() const { return columnWidth(1); }

protected:
    void contextMenuEvent(QContextMenuEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
};

// Widens (or narrows) the first column of a list so that its longest text
// shows whole, never below `minimumPx`: labels of any length fit the
// labels and watch windows.
void fitNameColumn(QTreeWidget* list, int minimumPx);

} // namespace zelk
