// The editors' text control with its line-number margin.
#include "editor/ui/SourceEdit.h"

#include "editor/LabelHover.h"
#include "editor/ui/AsmHighlighter.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QTextBlock>
#include <QToolTip>

namespace zelk {

namespace {

class Margin : public QWidget {
public:
    explicit Margin(SourceEdit* e) : QWidget(e), edit_(e) { setObjectName(QStringLiteral("lineNumbers")); }
    QSize sizeHint() const override { return {edit_->marginWidth(), 0}; }

protected:
    void paintEvent(QPaintEvent* e) override { edit_->paintMargin(e); }
    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton) {
            const int line = edit_->lineAtY(qRound(e->position().y()));
            if (line > 0)
                emit edit_->marginClicked(line);
        }
        QWidget::mousePressEvent(e);
    }

private:
    SourceEdit* edit_;
};

} // namespace

SourceEdit::SourceEdit(QWidget* parent) : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("Text"));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setWordWrapMode(QTextOption::NoWrap);
    margin_ = new Margin(this);
    highlighter_ = new AsmHighlighter(document());
    connect(this, &QPlainTextEdit::blockCountChanged, this, &SourceEdit::updateMarginWidth);
    connect(this, &QPlainTextEdit::updateRequest, this, &SourceEdit::updateMargin);
    updateMarginWidth();
    applyTabStops();
}

int SourceEdit::markWidth() const { return fontMetrics().height(); }

int SourceEdit::marginWidth() const
{
    int digits = 1;
    for (int n = std::max(1, blockCount()); n >= 10; n /= 10)
        ++digits;
    digits = std::max(digits, 3);
    // Room on the left for the breakpoint dot and the PC arrow.
    return 8 + markWidth() + fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits;
}

void SourceEdit::applyTabStops()
{
    setTabStopDistance(9 * fontMetrics().horizontalAdvance(QLatin1Char(' ')));
}

void SourceEdit::updateMarginWidth() { setViewportMargins(marginWidth(), 0, 0, 0); }

void SourceEdit::updateMargin(const QRect& rect, int dy)
{
    if (dy)
        margin_->scroll(0, dy);
    else
        margin_->update(0, rect.y(), margin_->width(), rect.height());
    if (rect.contains(viewport()->rect()))
        updateMarginWidth();
}

void SourceEdit::resizeEvent(QResizeEvent* e)
{
    QPlainTextEdit::resizeEvent(e);
    const QRect cr = contentsRect();
    margin_->setGeometry(QRect(cr.left(), cr.top(), marginWidth(), cr.height()));
}

void SourceEdit::changeEvent(QEvent* e)
{
    QPlainTextEdit::changeEvent(e);
    if (e->type() == QEvent::FontChange) {
        applyTabStops();
        updateMarginWidth();
        const QRect cr = contentsRect();
        margin_->setGeometry(QRect(cr.left(), cr.top(), marginWidth(), cr.height()));
    }
}

void SourceEdit::paintMargin(QPaintEvent* e)
{
    QPainter p(margin_);
    p.fillRect(e->rect(), QColor(0xEC, 0xEC, 0xEC));
    p.setPen(QColor(0x90, 0x90, 0x90));
    p.setFont(font());
    const int current = textCursor().blockNumber();
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    int bottom = top + qRound(blockBoundingRect(block).height());
    const int h = fontMetrics().height();
    while (block.isValid() && top <= e->rect().bottom()) {
        if (block.isVisible() && bottom >= e->rect().top()) {
            const int line = block.blockNumber() + 1;
            p.setPen(block.blockNumber() == current ? QColor(0x20, 0x20, 0x20) : QColor(0x90, 0x90, 0x90));
            p.drawText(0, top, margin_->width() - 4, h, Qt::AlignRight, QString::number(line));
            const QRectF mark(2, top + 1, h - 2, h - 2);
            if (breakpointLines_.contains(line)) {
                p.setRenderHint(QPainter::Antialiasing, true);
                p.setPen(QColor(0x90, 0x00, 0x00));
                p.setBrush(QColor(0xE0, 0x20, 0x20));
                p.drawEllipse(mark.adjusted(1, 1, -1, -1));
                p.setBrush(Qt::NoBrush);
            }
            if (line == pcLine_) {
                p.setRenderHint(QPainter::Antialiasing, true);
                QPainterPath arrow;
                arrow.moveTo(mark.left() + 1, mark.top() + mark.height() * 0.3);
                arrow.lineTo(mark.center().x(), mark.top() + mark.height() * 0.3);
                arrow.lineTo(mark.center().x(), mark.top() + 1);
                arrow.lineTo(mark.right(), mark.center().y());
                arrow.lineTo(mark.center().x(), mark.bottom() - 1);
                arrow.lineTo(mark.center().x(), mark.top() + mark.height() * 0.7);
                arrow.lineTo(mark.left() + 1, mark.top() + mark.height() * 0.7);
                arrow.closeSubpath();
                p.setPen(QColor(0x80, 0x60, 0x00));
                p.setBrush(QColor(0xFF, 0xD0, 0x20));
                p.drawPath(arrow);
                p.setBrush(Qt::NoBrush);
            }
        }
        block = block.next();
        top = bottom;
        bottom = top + qRound(blockBoundingRect(block).height());
    }
}

int SourceEdit::lineAtY(int y) const
{
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    while (block.isValid()) {
        const int bottom = top + qRound(blockBoundingRect(block).height());
        if (block.isVisible() && y >= top && y < bottom)
            return block.blockNumber() + 1;
        if (top > y)
            break;
        block = block.next();
        top = bottom;
    }
    return 0;
}

QString SourceEdit::wordAt(const QPoint& viewportPos) const
{
    const QTextCursor c = cursorForPosition(viewportPos);
    const QTextBlock block = c.block();
    // cursorForPosition gives the nearest caret position: left of it, the
    // pointer is on the character before. Past the line's end there is none.
    const QRect caret = cursorRect(c);
    int column = c.positionInBlock();
    if (viewportPos.x() < caret.left() && column > 0)
        --column;
    const QByteArray text = block.text().toLatin1();
    return QString::fromStdString(labelWordAt(std::string_view(text.constData(), static_cast<size_t>(text.size())),
                                              static_cast<size_t>(column)));
}

bool SourceEdit::viewportEvent(QEvent* e)
{
    if (e->type() == QEvent::ToolTip && labelTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        const QString word = wordAt(help->pos());
        const QString tip = word.isEmpty() ? QString() : labelTip(word);
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, viewport());
        return true;
    }
    return QPlainTextEdit::viewportEvent(e);
}

void SourceEdit::setDebugMarks(int pcLine, const QVector<int>& breakpointLines)
{
    if (pcLine == pcLine_ && breakpointLines == breakpointLines_)
        return;
    const bool pcMoved = pcLine != pcLine_;
    pcLine_ = pcLine;
    breakpointLines_ = breakpointLines;
    if (pcMoved) {
        updatePcSelection();
        if (pcLine_ > 0) {
            // Into view when it is not: a third from the top.
            const int first = firstVisibleBlock().blockNumber() + 1;
            const int rows = std::max(1, viewport()->height() / std::max(1, fontMetrics().height()));
            if (pcLine_ < first || pcLine_ >= first + rows - 1)
                verticalScrollBar()->setValue(std::max(0, pcLine_ - 1 - rows / 3));
        }
    }
    margin_->update();
}

void SourceEdit::updatePcSelection()
{
    QList<QTextEdit::ExtraSelection> marks;
    const QTextBlock block = document()->findBlockByNumber(pcLine_ - 1);
    if (pcLine_ > 0 && block.isValid()) {
        QTextEdit::ExtraSelection sel;
        sel.format.setBackground(QColor(0xFF, 0xF0, 0x90));
        sel.format.setProperty(QTextFormat::FullWidthSelection, true);
        sel.cursor = QTextCursor(block);
        marks.append(sel);
    }
    setExtraSelections(marks);
}

void SourceEdit::contextMenuEvent(QContextMenuEvent* e)
{
    emit popupRequested(e->globalPos());
}

void SourceEdit::keyPressEvent(QKeyEvent* e)
{
    if (e->modifiers() == Qt::ControlModifier) {
        switch (e->key()) {
        case Qt::Key_A:
        case Qt::Key_Z:
        case Qt::Key_C:
        case Qt::Key_X:
        case Qt::Key_V: {
            bool handled = false;
            emit ctrlKey(e->key(), handled);
            if (handled)
                return;
            break;
        }
        default:
            break;
        }
    }
    QPlainTextEdit::keyPressEvent(e);
    // The current line's number is drawn darker.
    margin_->update();
}

} // namespace zelk
