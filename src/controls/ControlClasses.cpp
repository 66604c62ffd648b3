#include "ControlClasses.h"

#include "TArcDial.h"
#include "TSpinBox.h"
#include "TSwitch.h"
#include "framework/TClassRegistry.h"

void RegisterControlClasses(TClassRegistry& registry) {
    TClassBuilder<TArcDial>(
        registry.Register<TArcDial>(QStringLiteral("TArcDial"), QStringLiteral("TControl")))
        .Property(QStringLiteral("Value"), &TArcDial::SetValue)
        .Property(QStringLiteral("Frequency"), &TArcDial::SetFrequency)
        .Property(QStringLiteral("Tracking"), &TArcDial::SetTracking)
        .Property(QStringLiteral("ShowValue"), &TArcDial::SetShowValue)
        .Event(QStringLiteral("OnChange"), &TArcDial::OnChange);

    TClassBuilder<TSwitch>(
        registry.Register<TSwitch>(QStringLiteral("TSwitch"), QStringLiteral("TControl")))
        .Property(QStringLiteral("IsChecked"), &TSwitch::SetIsChecked)
        .Event(QStringLiteral("OnSwitch"), &TSwitch::OnSwitch);

    TClassBuilder<TSpinBox>(
        registry.Register<TSpinBox>(QStringLiteral("TSpinBox"), QStringLiteral("TControl")))
        .Property(QStringLiteral("Min"), &TSpinBox::SetMin)
        .Property(QStringLiteral("Max"), &TSpinBox::SetMax)
        .Property(QStringLiteral("Value"), &TSpinBox::SetValue)
        .Event(QStringLiteral("OnChange"), &TSpinBox::OnChange);
}
