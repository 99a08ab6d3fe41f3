// The editors' text control with its line-number margin.
#include "editor/ui/SourceEdit.h"

#include "editor/ui/AsmHighlighter.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QTextBlock>

namespace zelk {

namespace {

class Margin : public QWidget {
public:
    explicit Margin(SourceEdit* e) : QWidget(e), edit_(e) { setObjectName(QStringLiteral("lineNumbers")); }
    QSize sizeHint() const override { return {edit_->marginWidth(), 0}; }

protected:
    void paintEvent(QPaintEvent* e) override { edit_->paintMargin(e); }

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

int SourceEdit::marginWidth() const
{
    int digits = 1;
    for (int n = std::max(1, blockCount()); n >= 10; n /= 10)
        ++digits;
    digits = std::max(digits, 3);
    return 8 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits;
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
    while (block.isValid() && top <= e->rect().bottom()) {
        if (block.isVisible() && bottom >= e->rect().top()) {
            p.setPen(block.blockNumber() == current ? QColor(0x20, 0x20, 0x20) : QColor(0x90, 0x90, 0x90));
            p.drawText(0, top, margin_->width() - 4, fontMetrics().height(), Qt::AlignRight,
                       QString::number(block.blockNumber() + 1));
        }
        block = block.next();
        top = bottom;
        bottom = top + qRound(blockBoundingRect(block).height());
    }
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
