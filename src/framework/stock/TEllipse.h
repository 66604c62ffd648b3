#pragma once

#include <QColor>

#include "framework/window/TControl.h"

// A filled and outlined ellipse inscribed in its box. Only the ellipse itself
// takes presses; the corners of the box let them through.
class TEllipse : public TControl {
    Q_OBJECT

public:
    using TControl::TControl;

    QColor FillColor() const { return fillColor_; }
    void SetFillColor(QColor color);
    QColor StrokeColor() const { return strokeColor_; }
    void SetStrokeColor(QColor color);
    float StrokeThickness() const { return strokeThickness_; }
    void SetStrokeThickness(float thickness);

    QPainterPath shape() const override;

protected:
    void Paint(QPainter& painter) override;
    bool IsHit(QPointF point) const override;

private:
    QRectF OutlineRect() const;

    QColor fillColor_{0xE0, 0xE0, 0xE0};
    QColor strokeColor_{Qt::black};
    float strokeThickness_ = 1;
};
