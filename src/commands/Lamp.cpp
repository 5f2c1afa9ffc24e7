#include "commands/Lamp.h"

#include <QPainter>

Lamp::Lamp(const QString& name, const QColor& initial, QWidget* parent)
    : QWidget(parent), m_fill(initial) {
    setObjectName(name);
    setFixedSize(sizeHint());
}

void Lamp::setFillColor(const QColor& color) {
    if (color == m_fill) {
        return;
    }
    m_fill = color;
    update();
}

QColor Lamp::offColor() const {
    return palette().color(QPalette::WindowText);
}

void Lamp::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    painter.setBrush(m_fill);
    painter.drawEllipse(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5));
}
