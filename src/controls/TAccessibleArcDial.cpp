#include "TAccessibleArcDial.h"

#include "TArcDial.h"
#include "framework/TApplication.h"

TAccessibleArcDial::TAccessibleArcDial(TArcDial* dial)
    : TAccessibleControl(dial, QAccessible::Dial) {}

TArcDial* TAccessibleArcDial::Dial() const {
    return dynamic_cast<TArcDial*>(Control());
}

void* TAccessibleArcDial::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return TAccessibleControl::interface_cast(type);
}

QVariant TAccessibleArcDial::currentValue() const {
    const TArcDial* dial = Dial();
    return dial ? QVariant(double(dial->Value())) : QVariant();
}

void TAccessibleArcDial::setCurrentValue(const QVariant& value) {
    TArcDial* dial = Dial();
    bool number = false;
    const double degrees = value.toDouble(&number);
    if (!dial || !number || !Operable()) return;
    // As a turn by the user would: the window hears of it at once.
    Application->Guard([&] { dial->SetValue(float(degrees)); });
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
