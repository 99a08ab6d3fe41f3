// The name/value list shared by the register and watch windows.
#include "views/ui/ValueListView.h"

#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>

namespace zelk {

namespace {

QFont listFont()
{
    QFont f(QStringLiteral("Courier New"));
    if (!QFontDatabase::families().contains(f.family(), Qt::CaseInsensitive))
        f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    return f;
}

} // namespace

ValueListView::ValueListView(QWidget* parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("ListView"));
    setFont(listFont());
    setColumnCount(2);
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(QHeaderView::Fixed);
}

int ValueListView::selectedRow() const
{
    QTreeWidgetItem* it = currentItem();
    return it ? indexOfTopLevelItem(it) : -1;
}

void ValueListView::selectRow(int row)
{
    if (QTreeWidgetItem* it = topLevelItem(row)) {
        setCurrentItem(it);
        scrollToItem(it);
    }
}

void ValueListView::contextMenuEvent(QContextMenuEvent* e)
{
    QTreeWidgetItem* it = itemAt(e->pos());
    if (onPopup)
        onPopup(it ? indexOfTopLevelItem(it) : -1, e->globalPos());
}

void ValueListView::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        if (onEnter)
            onEnter();
        return;
    }
    QTreeWidget::keyPressEvent(e);
}

void ValueListView::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (QTreeWidgetItem* it = itemAt(e->pos()))
        setCurrentItem(it);
    if (onEnter)
        onEnter();
}

} // namespace zelk
