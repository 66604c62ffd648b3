#include "TAccessibleValueControl.h"

#include "framework/window/TApplication.h"

void* TAccessibleValueControl::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return TAccessibleControl::interface_cast(type);
}

void TAccessibleValueControl::setCurrentValue(const QVariant& value) {
    bool number = false;
    const double requested = value.toDouble(&number);
    if (!number || !Control() || !Settable()) return;
    Application->Guard([&] { SetNumber(requested); });
}
