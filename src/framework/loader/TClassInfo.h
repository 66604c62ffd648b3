#pragma once

#include <QJsonValue>
#include <QString>
#include <functional>
#include <map>

#include "framework/core/THandler.h"

class TComponent;
class TLoadContext;

// What the description loader knows of one component class: how to create
// it, and its properties and events by name. Lookups fall back on the
// class it derives from.
struct TClassInfo {
    using TPropertySetter = std::function<void(TComponent&, const QJsonValue&, TLoadContext&)>;
    // False when the handler has the wrong signature for the event.
    using TEventBinder = std::function<bool(TComponent&, const THandler&)>;
    // Starts slow work a property's value asks for (reading and decoding a
    // picture, say) before any component is built; the setter takes the
    // result from the load context. It may leave work undone, never fail.
    using TPrefetch = std::function<void(const QJsonValue&, TLoadContext&)>;

    QString Name;
    const TClassInfo* Parent = nullptr;
    std::function<TComponent*(TComponent* owner)> Create;
    std::function<bool(const TComponent*)> IsInstance;
    std::map<QString, TPropertySetter> Properties;
    std::map<QString, TEventBinder> Events;
    std::map<QString, TPrefetch> Prefetches;

    const TPropertySetter* FindProperty(const QString& name) const;
    const TPrefetch* FindPrefetch(const QString& name) const;
    const TEventBinder* FindEvent(const QString& name) const;
};
