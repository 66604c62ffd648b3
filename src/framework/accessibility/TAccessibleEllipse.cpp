#include "TAccessibleEllipse.h"

#include <cmath>

#include "framework/stock/TEllipse.h"

TAccessibleEllipse::TAccessibleEllipse(TEllipse* ellipse)
    : TAccessibleControl(ellipse, QAccessible::Graphic) {}

QString TAccessibleEllipse::Description() const {
    const TControl* control = Control();
    if (!control) return {};
    // The centre stays put when the shape turns, so it is where the shape
    // is; in whole logical pixels of the window, as clicks are.
    const QPointF centre = control->LocalToAbsolute(control->LocalRect().center());
    const long x = std::lrint(centre.x());
    const long y = std::lrint(centre.y());
    // Turned clockwise from straight up, as a compass bearing.
    long heading = std::lrint(std::fmod(double(control->RotationAngle()), 360.0));
    heading = ((heading % 360) + 360) % 360;
    const QString name = text(QAccessible::Name);
    const QString place = QStringLiteral("at %1, %2 heading %3\u00B0").arg(x).arg(y).arg(heading);
    return name.isEmpty() ? place : name + u' ' + place;
}
