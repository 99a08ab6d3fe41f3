// The serial terminal's text area: draws the lines of a TerminalModel in a
// fixed-pitch font, the bytes as the characters of the board's code page,
// with the write position marked in ASCII mode, and follows the write
// position as text arrives. It paints only the visible lines, so a long
// scrollback costs nothing per byte. The text is never edited here: keys
// and mouse buttons are handed to the owner, and clicks never move the
// write position.
#pragma once

#include "terminal/TerminalModel.h"

#include <QAbstractScrollArea>

#include <functional>

namespace zelk {

class TerminalView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TerminalView(TerminalModel& model, QWidget* parent = nullptr);

    // The model's text changed: scroll ranges, follow the caret, repaint.
    void modelChanged();

    // The first visible line and how many fit.
    int firstVisibleLine() const;
    int visibleLines() const;
    // The display text of line i (the bytes as characters).
    QString lineText(int i) const;

    std::function<void(QKeyEvent*)> onKey;
    std::function<void(const QPoint& globalPos)> onRightButton;

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    bool focusNextPrevChild(bool) override { return false; }  // Tab is a key for the line

private:
    void updateRanges();
    int lineHeight() const;
    int charWidth() const;

    TerminalModel& model_;
    int widestSeen_ = 0;
};

} // namespace zelk
