// A round indicator lamp painted with QPainter: a lit or unlit disc with a
// rim and a soft highlight, sized to the widget, so it stays crisp at any
// scale. Used for the I/O unit's LEDs and its two handshake indicators.
#pragma once

#include <QColor>
#include <QWidget>

namespace zelk {

class LedWidget : public QWidget {
    Q_OBJECT
public:
    static const QColor OnColor;   // RGB(255, 0, 0)
    static const QColor OffColor;  // RGB(128, 128, 128)

    explicit LedWidget(QWidget* parent = nullptr);

    bool isOn() const { return on_; }
    // Repaints only when the state changes.
    void setOn(bool on);
    QColor color() const { return on_ ? OnColor : OffColor; }

    QSize sizeHint() const override { return {20, 20}; }
    QSize minimumSizeHint() const override { return {10, 10}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    bool on_ = false;
};

} // namespace zelk
