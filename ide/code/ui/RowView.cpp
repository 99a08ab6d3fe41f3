// Painting and input of the row list shared by the disassembler and stack windows.
#include "code/ui/RowView.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace zelk {

namespace {
// Background and text of each row colour.
QColor background(RowView::Colour c, const QPalette& p)
{
    switch (c) {
    case RowView::Colour::Plain: return p.color(QPalette::Base);
    case RowView::Colour::Breakpoint: return QColor(255, 0, 0);
    case RowView::Colour::Current: return QColor(0, 0, 255);
    case RowView::Colour::CurrentBreakpoint: return QColor(255, 0, 255);
    }
    return p.color(QPalette::Base);
}

QColor foreground(RowView::Colour c) { return c == RowView::Colour::Current ? Qt::white : Qt::black; }
} // namespace

RowView::RowView(QWidget* parent) : QWidget(parent)
{
    setFont(rowFont());
    setFocusPolicy(Qt::StrongFocus);
    // Every pixel is painted here: no erase before a row is drawn.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setBackgroundRole(QPalette::Base);
    measure();
}

QFont RowView::rowFont()
{
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    return f;
}

void RowView::measure()
{
    QFont b = font();
    b.setBold(true);
    const QFontMetrics fm(font()), fb(b);
    rowHeight_ = std::max(fm.height(), fb.height()) + 1;
    ascent_ = std::max(fm.ascent(), fb.ascent());
    charWidth_ = std::max(1, std::max(fm.horizontalAdvance(QLatin1Char('M')), fb.horizontalAdvance(QLatin1Char('M'))));
}

void RowView::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::FontChange) {
        measure();
        update();
    }
    QWidget::changeEvent(e);
}

void RowView::setRow(int row, const QString& text, Colour colour, bool bold)
{
    if (row < 1 || row > MaxRows)
        return;
    Row& r = rows_[idx(row)];
    if (r.text == text && r.colour == colour && r.bold == bold)
        return;
    r.text = text;
    r.colour = colour;
    r.bold = bold;
    ++rowWrites_;
    if (row <= visibleRows() + 1)
        update(rowRect(row));
}

int RowView::visibleRows() const
{
    return std::clamp(height() / std::max(1, rowHeight_), 1, MaxRows);
}

int RowView::longestText() const
{
    int n = 0;
    for (const Row& r : rows_)
        n = std::max(n, static_cast<int>(r.text.size()));
    return n;
}

int RowView::visibleColumns() const { return std::max(1, (width() - 2) / charWidth_); }

void RowView::setScroll(int chars)
{
    chars = std::max(0, chars);
    if (chars == scroll_)
        return;
    scroll_ = chars;
    update();
}

QRect RowView::rowRect(int row) const { return QRect(0, (row - 1) * rowHeight_, width(), rowHeight_); }

int RowView::rowAt(const QPoint& p) const
{
    if (p.y() < 0)
        return 0;
    const int row = p.y() / std::max(1, rowHeight_) + 1;
    return row <= visibleRows() ? row : 0;
}

void RowView::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    QFont normal = font();
    QFont bold = font();
    bold.setBold(true);
    // Row by row over the parts that need it: a step usually asks for two
    // rows (the old and the new PC row), not the span between them.
    for (const QRect& area : e->region()) {
        const int first = std::max(1, area.top() / rowHeight_ + 1);
        const int last = std::min(MaxRows, area.bottom() / rowHeight_ + 1);
        for (int row = first; row <= last; ++row) {
            const Row& r = rows_[idx(row)];
            const QRect rect = rowRect(row).intersected(area);
            ++rowPaints_;
            p.fillRect(rect, background(r.colour, palette()));
            if (r.text.size() <= scroll_)
                continue;
            p.setClipRect(rect);
            p.setFont(r.bold ? bold : normal);
            p.setPen(foreground(r.colour));
            p.drawText(2, rowRect(row).top() + ascent_, r.text.mid(scroll_));
            p.setClipping(false);
        }
        // Below the last row: the window colour.
        const int bottom = MaxRows * rowHeight_;
        if (area.bottom() >= bottom)
            p.fillRect(QRect(0, bottom, width(), height() - bottom).intersected(area), palette().color(QPalette::Base));
    }
}

void RowView::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    emit resized();
}

void RowView::mousePressEvent(QMouseEvent* e)
{
    setFocus(Qt::MouseFocusReason);
    const int row = rowAt(e->position().toPoint());
    if (e->button() == Qt::LeftButton && row)
        emit rowClicked(row);
    else if (e->button() == Qt::RightButton && row)
        emit rowRightPressed(row, e->globalPosition().toPoint());
}

void RowView::mouseDoubleClickEvent(QMouseEvent* e)
{
    const int row = rowAt(e->position().toPoint());
    if (e->button() == Qt::LeftButton && row)
        emit rowDoubleClicked(row);
}

void RowView::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit keyPressed(e->key(), e->modifiers());
        e->accept();
        return;
    default:
        QWidget::keyPressEvent(e);
    }
}

} // namespace zelk
