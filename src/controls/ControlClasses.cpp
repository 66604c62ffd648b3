#include "ControlClasses.h"

#include "controls/dial/TArcDial.h"
#include "controls/spinbox/TSpinBox.h"
#include "controls/switch/TSwitch.h"
#include "framework/loader/TClassRegistry.h"

namespace DV = DescriptionValues;

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
        .Custom(QStringLiteral("ValueType"),
                [](TSpinBox& c, const QJsonValue& v, TLoadContext& context, const QString& name) {
                    c.SetValueType(DV::Enum<TNumValueType>(
                        v, context, name,
                        {{"Integer", TNumValueType::Integer}, {"Float", TNumValueType::Float}}));
                })
        .Property(QStringLiteral("DecimalDigits"), &TSpinBox::SetDecimalDigits)
        .Property(QStringLiteral("Increment"), &TSpinBox::SetIncrement)
        .Property(QStringLiteral("HorzIncrement"), &TSpinBox::SetHorzIncrement)
        .Property(QStringLiteral("RepeatClick"), &TSpinBox::SetRepeatClick)
        .Property(QStringLiteral("ReadOnly"), &TSpinBox::SetReadOnly)
        .Property(QStringLiteral("KillFocusByReturn"), &TSpinBox::SetKillFocusByReturn)
        .Custom(QStringLiteral("KeyboardType"),
                [](TSpinBox& c, const QJsonValue& v, TLoadContext& context, const QString& name) {
                    using K = TVirtualKeyboardType;
                    c.SetKeyboardType(DV::Enum<K>(v, context, name,
                                                  {{"Default", K::Default},
                                                   {"NumberPad", K::NumberPad},
                                                   {"DecimalPad", K::DecimalPad},
                                                   {"PhonePad", K::PhonePad},
                                                   {"EmailAddress", K::EmailAddress},
                                                   {"URL", K::URL}}));
                })
        .Property(QStringLiteral("Text"), &TSpinBox::SetText)
        .Event(QStringLiteral("OnChange"), &TSpinBox::OnChange)
        .Event(QStringLiteral("OnChangeTracking"), &TSpinBox::OnChangeTracking);
}
