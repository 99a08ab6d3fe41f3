// The rows of the disassembler and stack windows: up to 50 one-line texts in
// a fixed-pitch font, each with its colour (plain, breakpoint, current row,
// current row with a breakpoint) and weight. A row is repainted only when
// its text, colour or weight changes, so a window that redraws after every
// step touches only the rows that really differ and never flickers. The
// texts can be scrolled sideways by whole characters.
#pragma once

#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>

namespace zelk {

class RowView : public QWidget {
    Q_OBJECT
public:
    static constexpr int MaxRows = 50;
    enum class Colour { Plain, Breakpoint, Current, CurrentBreakpoint };

    explicit RowView(QWidget* parent = nullptr);

    // Rows are numbered 1..MaxRows.
    void setRow(int row, const QString& text, Colour colour, bool bold);
    const QString& text(int row) const { return rows_[idx(row)].text; }
    Colour colour(int row) const { return rows_[idx(row)].colour; }
    bool bold(int row) const { return rows_[idx(row)].bold; }

    // Rows that fit the height (1..MaxRows).
    int visibleRows() const;
    int rowHeight() const { return rowHeight_; }
    // Characters of the longest row text, and how many fit the width.
    int longestText() const;
    int visibleColumns() const;

    // First character shown of every row (0 = from the start).
    void setScroll(int chars);
    int scroll() const { return scroll_; }

    // Rows whose content changed, and rows painted, since construction
    // (tests and benchmarks).
    uint64_t rowWrites() const { return rowWrites_; }
    uint64_t rowPaints() const { return rowPaints_; }

    static QFont rowFont();

signals:
    void rowClicked(int row);
    void rowDoubleClicked(int row);
    void rowRightPressed(int row, const QPoint& globalPos);
    void keyPressed(int key, Qt::KeyboardModifiers modifiers);
    void resized();

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool focusNextPrevChild(bool) override { return false; }

private:
    struct Row {
        QString text;
        Colour colour = Colour::Plain;
        bool bold = false;
    };
    static size_t idx(int row) { return static_cast<size_t>(row - 1); }
    QRect rowRect(int row) const;
    int rowAt(const QPoint& p) const;
    void measure();

    std::array<Row, MaxRows> rows_;
    int rowHeight_ = 16;
    int charWidth_ = 8;
    int ascent_ = 12;
    int scroll_ = 0;
    uint64_t rowWrites_ = 0;
    uint64_t rowPaints_ = 0;
};

} // namespace zelk
