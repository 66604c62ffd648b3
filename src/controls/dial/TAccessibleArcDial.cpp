#include "TAccessibleArcDial.h"

#include "TArcDial.h"

TAccessibleArcDial::TAccessibleArcDial(TArcDial* dial)
    : TAccessibleValueControl(dial, QAccessible::Dial) {}

TArcDial* TAccessibleArcDial::Dial() const {
    return qobject_cast<TArcDial*>(Control());
}

QVariant TAccessibleArcDial::currentValue() const {
    const TArcDial* dial = Dial();
    return dial ? QVariant(double(dial->Value())) : QVariant();
}

void TAccessibleArcDial::SetNumber(double degrees) {
    if (TArcDial* dial = Dial()) dial->SetValue(float(degrees));
}

QVariant TAccessibleArcDial::maximumValue() const {
    return 180.0;
}

QVariant TAccessibleArcDial::minimumValue() const {
    return -180.0;
}

QVariant TAccessibleArcDial::minimumStepSize() const {
    // Its snapping step, or a degree, the finest the dial ever writes out.
    const TArcDial* dial = Dial();
    return dial && dial->Frequency() > 0 ? double(dial->Frequency()) : 1.0;
}

QString TAccessibleArcDial::ValueText() const {
    const TArcDial* dial = Dial();
    return dial ? DialMath::ValueText(dial->Value()) : QString();
}
