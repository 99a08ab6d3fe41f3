// The editors' text control: a plain-text editor with a line-number margin
// on the left, tab stops every nine columns and the assembly colouring.
#pragma once

#include <QPlainTextEdit>
#include <QVector>

#include <functional>

namespace zelk {

class AsmHighlighter;

class SourceEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit SourceEdit(QWidget* parent = nullptr);

    // Width of the margin for the current line count.
    int marginWidth() const;
    // Width of the marks column at the margin's left edge.
    int markWidth() const;
    // Tab stops at multiples of nine space widths of the current font.
    void applyTabStops();
    // Paints the margin (called by the margin widget).
    void paintMargin(QPaintEvent* e);

    // Source-level debugging marks: the 1-based line of the program counter
    // (0: none), shown with an arrow in the margin and a line highlight, and
    // the lines holding a breakpoint, shown with a red dot. A new PC line
    // out of sight is scrolled into view; the caret stays where it is.
    void setDebugMarks(int pcLine, const QVector<int>& breakpointLines);
    int pcLine() const { return pcLine_; }
    const QVector<int>& breakpointLines() const { return breakpointLines_; }
    // The 1-based line at a y position of the margin or the text.
    int lineAtY(int y) const;
    // The label-like word at a point of the text's viewport, or empty.
    QString wordAt(const QPoint& viewportPos) const;
    // Gives the tip text for a word under the mouse (empty: no tip).
    std::function<QString(const QString& word)> labelTip;

signals:
    // The right button went down: the window shows its Edit menu.
    void popupRequested(const QPoint& globalPos);
    // Ctrl+A, Ctrl+Z, Ctrl+C, Ctrl+X, Ctrl+V: the window's commands handle
    // them; returns through `handled` whether the key was consumed.
    void ctrlKey(int key, bool& handled);
    // The margin was clicked on 1-based line `line` (the window toggles a
    // breakpoint there).
    void marginClicked(int line);

protected:
    void resizeEvent(QResizeEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool viewportEvent(QEvent* e) override;

private:
    void updateMarginWidth();
    void updateMargin(const QRect& rect, int dy);

    void updatePcSelection();

    QWidget* margin_ = nullptr;
    int pcLine_ = 0;
    QVector<int> breakpointLines_;
    AsmHighlighter* highlighter_ = nullptr;
};

} // namespace zelk
