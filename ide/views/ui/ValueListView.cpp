// The name/value list shared by the register and watch windows.
#include "views/ui/ValueListView.h"

#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>

#include <algorithm>

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

void fitNameColumn(QTreeWidget* list, int minimumPx)
{
    const QFontMetrics fm(list->font());
    int widest = 0;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        widest = std::max(widest, fm.horizontalAdvance(list->topLevelItem(i)->text(0)));
    // The item's own margins, and a space before the next column.
    const int margin = 2 * list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 2 +
                       fm.horizontalAdvance(QLatin1Char(' '));
    const int width = std::max(minimumPx, widest > 0 ? widest + margin : 0);
    if (list->columnWidth(0) != width)
        list->setColumnWidth(0, width);
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
