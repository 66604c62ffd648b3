#pragma once

#include <QJsonValue>
#include <QString>
#include <functional>
#include <map>

#include "THandler.h"

class TComponent;
class TLoadContext;

// What the description loader knows of one component class: how to create
// it, and its properties and events by name. Lookups fall back on the
// class it derives from.
struct TClassInfo {
    using TPropertySetter = std::function<void(TComponent&, const QJsonValue&, TLoadContext&)>;
    // False when the handler has the wrong signature for the event.
    using TEventBinder = std::function<bool(TComponent&, const THandler&)>;

    QString Name;
    const TClassInfo* Parent = nullptr;
    std::function<TComponent*(TComponent* owner)> Create;
    std::function<bool(const TComponent*)> IsInstance;
    std::map<QString, TPropertySetter> Properties;
    std::map<QString, TEventBinder> Events;

    const TPropertySetter* FindProperty(const QString& name) const;
    const TEventBinder* FindEvent(const QString& name) const;
};
