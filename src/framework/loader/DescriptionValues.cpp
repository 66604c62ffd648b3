#include "DescriptionValues.h"

namespace DescriptionValues {

namespace {

[[noreturn]] void WrongKind(TLoadContext& context, const QString& property, const char* kind) {
    context.Fail(QStringLiteral("property \"%1\" must be %2").arg(property, QLatin1String(kind)));
}

}  // namespace

double Number(const QJsonValue& value, TLoadContext& context, const QString& property) {
    if (!value.isDouble()) WrongKind(context, property, "a number");
    return value.toDouble();
}

bool Boolean(const QJsonValue& value, TLoadContext& context, const QString& property) {
    if (!value.isBool()) WrongKind(context, property, "true or false");
    return value.toBool();
}

QString String(const QJsonValue& value, TLoadContext& context, const QString& property) {
    if (!value.isString()) WrongKind(context, property, "a string");
    return value.toString();
}

QColor Color(const QJsonValue& value, TLoadContext& context, const QString& property) {
    const QString text = String(value, context, property);
    bool ok = text.size() == 9 && text.front() == u'x';
    const uint argb = ok ? text.mid(1).toUInt(&ok, 16) : 0;
    if (!ok) WrongKind(context, property, "a colour written as xAARRGGBB");
    return QColor::fromRgba(argb);
}

QJsonObject Object(const QJsonValue& value, TLoadContext& context, const QString& property,
                   const QStringList& allowedKeys) {
    if (!value.isObject()) WrongKind(context, property, "an object");
    const QJsonObject object = value.toObject();
    for (const QString& key : object.keys())
        if (!allowedKeys.contains(key))
            context.Fail(QStringLiteral("unknown property \"%1.%2\"").arg(property, key));
    return object;
}

std::pair<double, double> Pair(const QJsonValue& value, TLoadContext& context,
                               const QString& property, const QString& first,
                               const QString& second) {
    const QJsonObject pair = Object(value, context, property, {first, second});
    return {Number(pair.value(first), context, property + u'.' + first),
            Number(pair.value(second), context, property + u'.' + second)};
}

}  // namespace DescriptionValues
