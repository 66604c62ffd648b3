#pragma once

#include <QColor>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <initializer_list>
#include <utility>

#include "TLoadContext.h"

// Reading typed values out of a window description; a value of the wrong
// kind fails loading with a message naming the property.
namespace DescriptionValues {

double Number(const QJsonValue& value, TLoadContext& context, const QString& property);
bool Boolean(const QJsonValue& value, TLoadContext& context, const QString& property);
QString String(const QJsonValue& value, TLoadContext& context, const QString& property);
// A colour written as "x" and eight hexadecimal digits, alpha first.
QColor Color(const QJsonValue& value, TLoadContext& context, const QString& property);
// An object whose keys must all be among the allowed ones.
QJsonObject Object(const QJsonValue& value, TLoadContext& context, const QString& property,
                   const QStringList& allowedKeys);
// Two numbers written as an object of exactly these keys, {"X": 1, "Y": 2}.
std::pair<double, double> Pair(const QJsonValue& value, TLoadContext& context,
                               const QString& property, const QString& first,
                               const QString& second);

template <class E>
E Enum(const QJsonValue& value, TLoadContext& context, const QString& property,
       std::initializer_list<std::pair<const char*, E>> names) {
    const QString name = String(value, context, property);
    for (const auto& [text, e] : names)
        if (name == QLatin1String(text)) return e;
    context.Fail(QStringLiteral("unknown value \"%1\" for property \"%2\"").arg(name, property));
}

template <class V>
V Read(const QJsonValue& value, TLoadContext& context, const QString& property) {
    if constexpr (std::is_same_v<V, bool>)
        return Boolean(value, context, property);
    else if constexpr (std::is_arithmetic_v<V>)
        return V(Number(value, context, property));
    else if constexpr (std::is_same_v<V, QString>)
        return String(value, context, property);
    else if constexpr (std::is_same_v<V, QColor>)
        return Color(value, context, property);
    else
        static_assert(sizeof(V) == 0, "no description reader for this type");
}

}  // namespace DescriptionValues
