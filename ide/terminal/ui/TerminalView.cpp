// The serial terminal's text area (see TerminalView.h).
#include "terminal/ui/TerminalView.h"

#include "terminal/CodePages.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace zelk {

TerminalView::TerminalView(TerminalModel& model, QWidget* parent) : QAbstractScrollArea(parent), model_(model)
{
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    viewport()->setCursor(Qt::IBeamCursor);
}

int TerminalView::lineHeight() const { return std::max(1, fontMetrics().height()); }
int TerminalView::charWidth() const { return std::max(1, fontMetrics().horizontalAdvance(QLatin1Char('M'))); }

int TerminalView::firstVisibleLine() const { return verticalScrollBar()->value(); }

int TerminalView::visibleLines() const { return std::max(1, viewport()->height() / lineHeight()); }

QString TerminalView::lineText(int i) const
{
    if (i < 0 || static_cast<size_t>(i) >= model_.lineCount())
        return {};
    const std::string& line = model_.lines()[static_cast<size_t>(i)];
    QString s;
    s.reserve(static_cast<qsizetype>(line.size()));
    for (char c : line) {
        const char32_t u = cp852ToUnicode(static_cast<uint8_t>(c));
        s.append(QChar(static_cast<char16_t>(u ? u : U'?')));
    }
    return s;
}

void TerminalView::updateRanges()
{
    const int lines = static_cast<int>(model_.lineCount());
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, std::max(0, lines - visibleLines()));
    v->setPageStep(visibleLines());
    v->setSingleStep(1);
    // Width: the widest line seen among the visible ones and the caret's.
    const int first = v->value();
    for (int i = first; i < std::min(lines, first + visibleLines() + 1); ++i)
        widestSeen_ = std::max(widestSeen_, static_cast<int>(model_.lines()[static_cast<size_t>(i)].size()));
    widestSeen_ = std::max(widestSeen_, static_cast<int>(model_.caretColumn()) + 1);
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, std::max(0, widestSeen_ * charWidth() + 4 - viewport()->width()));
    h->setPageStep(viewport()->width());
    h->setSingleStep(charWidth());
}

void TerminalView::modelChanged()
{
    if (model_.empty())
        widestSeen_ = 0;
    updateRanges();
    // Follow the write position.
    QScrollBar* v = verticalScrollBar();
    const int caret = static_cast<int>(model_.caretLine());
    if (caret < v->value())
        v->setValue(caret);
    else if (caret >= v->value() + visibleLines())
        v->setValue(caret - visibleLines() + 1);
    const int x = static_cast<int>(model_.caretColumn()) * charWidth();
    QScrollBar* h = horizontalScrollBar();
    if (x < h->value())
        h->setValue(std::max(0, x - viewport()->width() / 2));
    else if (x + charWidth() > h->value() + viewport()->width())
        h->setValue(x + charWidth() - viewport()->width() + viewport()->width() / 4);
    updateRanges();
    viewport()->update();
}

void TerminalView::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    p.setFont(font());
    const int lh = lineHeight();
    const int ascent = fontMetrics().ascent();
    const int first = firstVisibleLine();
    const int x0 = 2 - horizontalScrollBar()->value();
    const int lines = static_cast<int>(model_.lineCount());
    p.setPen(palette().color(QPalette::Text));
    for (int i = first, y = 0; i < lines && y < viewport()->height(); ++i, y += lh)
        p.drawText(x0, y + ascent, lineText(i));
    if (model_.mode() == TerminalModel::Mode::Ascii) {
        const int row = static_cast<int>(model_.caretLine()) - first;
        if (row >= 0 && row * lh < viewport()->height()) {
            const int cx = x0 + static_cast<int>(model_.caretColumn()) * charWidth();
            const QColor c = hasFocus() ? palette().color(QPalette::Text) : palette().color(QPalette::Mid);
            p.fillRect(QRect(cx, row * lh + lh - 3, charWidth(), 2), c);
        }
    }
}

void TerminalView::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    modelChanged();
}

void TerminalView::keyPressEvent(QKeyEvent* e)
{
    if (onKey)
        onKey(e);
    else
        e->accept();
}

void TerminalView::mousePressEvent(QMouseEvent* e)
{
    setFocus(Qt::MouseFocusReason);
    if (e->button() == Qt::RightButton && onRightButton)
        onRightButton(e->globalPosition().toPoint());
    e->accept();  // the write position stays where the text put it
}

void TerminalView::mouseReleaseEvent(QMouseEvent* e) { e->accept(); }
void TerminalView::mouseDoubleClickEvent(QMouseEvent* e) { e->accept(); }

} // namespace zelk
