#include "TEllipse.h"

#include <QPainter>
#include <QPainterPath>

void TEllipse::SetFillColor(QColor color) {
    if (color == fillColor_) return;
    fillColor_ = color;
    Repaint();
}

void TEllipse::SetStrokeColor(QColor color) {
    if (color == strokeColor_) return;
    strokeColor_ = color;
    Repaint();
}

void TEllipse::SetStrokeThickness(float thickness) {
    thickness = std::max(thickness, 0.0f);
    if (thickness == strokeThickness_) return;
    strokeThickness_ = thickness;
    Repaint();
}

QRectF TEllipse::OutlineRect() const {
    // Inset by half the outline so the whole line stays inside the box.
    const qreal half = strokeThickness_ / 2;
    return LocalRect().adjusted(half, half, -half, -half);
}

QPainterPath TEllipse::shape() const {
    QPainterPath path;
    path.addEllipse(LocalRect());
    return path;
}

void TEllipse::Paint(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fillColor_);
    painter.drawEllipse(OutlineRect());
    if (strokeThickness_ > 0) {
        painter.setPen(QPen(strokeColor_, strokeThickness_));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(OutlineRect());
    }
}

bool TEllipse::IsHit(QPointF point) const {
    const double w = Width(), h = Height();
    if (w <= 0 || h <= 0) return false;
    const double nx = (2 * point.x() - w) / w;
    const double ny = (2 * point.y() - h) / h;
    return nx * nx + ny * ny <= 1;
}
