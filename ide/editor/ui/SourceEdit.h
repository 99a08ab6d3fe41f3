// The editors' text control: a plain-text editor with a line-number margin
// on the left, tab stops every nine columns and the assembly colouring.
#pragma once

#include <QPlainTextEdit>

namespace zelk {

class AsmHighlighter;

class SourceEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit SourceEdit(QWidget* parent = nullptr);

    // Width of the margin for the current line count.
    int marginWidth() const;
    // Tab stops at multiples of nine space widths of the current font.
    void applyTabStops();
    // Paints the margin (called by the margin widget).
    void paintMargin(QPaintEvent* e);

signals:
    // The right button went down: the window shows its Edit menu.
    void popupRequested(const QPoint& globalPos);
    // Ctrl+A, Ctrl+Z, Ctrl+C, Ctrl+X, Ctrl+V: the window's commands handle
    // them; returns through `handled` whether the key was consumed.
    void ctrlKey(int key, bool& handled);

protected:
    void resizeEvent(QResizeEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void updateMarginWidth();
    void updateMargin(const QRect& rect, int dy);

    QWidget* margin_ = nullptr;
    AsmHighlighter* highlighter_ = nullptr;
};

} // namespace zelk
