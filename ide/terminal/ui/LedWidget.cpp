// A painted round lamp (see LedWidget.h).
#include "terminal/ui/LedWidget.h"

#include <QPainter>
#include <QRadialGradient>

#include <algorithm>

namespace zelk {

const QColor LedWidget::OnColor(255, 0, 0);
const QColor LedWidget::OffColor(128, 128, 128);

LedWidget::LedWidget(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void LedWidget::setOn(bool on)
{
    if (on == on_)
        return;
    on_ = on;
    update();
}

void LedWidget::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal d = std::min(width(), height()) - 2.0;
    if (d <= 0)
        return;
    const QRectF r((width() - d) / 2, (height() - d) / 2, d, d);
    const QColor base = color();
    // Body: the colour, lighter towards the upper left as if lit from there.
    QRadialGradient g(r.center() - QPointF(d * 0.18, d * 0.18), d * 0.7);
    g.setColorAt(0.0, base.lighter(on_ ? 160 : 130));
    g.setColorAt(0.6, base);
    g.setColorAt(1.0, base.darker(on_ ? 140 : 160));
    p.setBrush(g);
    p.setPen(QPen(base.darker(220), std::max<qreal>(1.0, d / 16)));
    p.drawEllipse(r);
    // A small highlight.
    const qreal hd = d * 0.3;
    QRadialGradient hl(r.topLeft() + QPointF(d * 0.34, d * 0.3), hd / 2);
    hl.setColorAt(0.0, QColor(255, 255, 255, on_ ? 200 : 110));
    hl.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(hl);
    p.drawEllipse(QRectF(r.left() + d * 0.34 - hd / 2, r.top() + d * 0.3 - hd / 2, hd, hd));
}

} // namespace zelk
