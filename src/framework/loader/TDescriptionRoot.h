#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <type_traits>
#include <variant>

#include "framework/core/THandler.h"

class TComponent;

// What a description is loaded into: the component at the top of the tree,
// offering the loader its fields and handler methods by name. A window is
// one; it publishes them in its constructor, then loads itself. Names match
// exactly as they are spelt, as everywhere in a description.
class TDescriptionRoot {
public:
    // The component the description describes; it owns all the loader makes.
    virtual TComponent& RootComponent() = 0;

    // Sets the field of that name to the component: false when the component
    // is not of the field's class. A component without a field is fine.
    bool BindField(const QString& name, TComponent* component);
    // The published fields that no component has been bound to, by name.
    QStringList UnboundFields() const;
    const THandler* FindHandler(const QString& name) const;

protected:
    ~TDescriptionRoot() = default;

    template <class T>
    void PublishField(const QString& name, T*& field) {
        fields_[name].bind = [&field](TComponent* c) { return bool(field = dynamic_cast<T*>(c)); };
    }
    // A handler method of the root's own class; its parameters decide which
    // events it fits.
    template <class F, class... Args>
    void PublishHandler(const QString& name, void (F::*method)(Args...)) {
        using Event = std::function<void(Args...)>;
        static_assert(IsHandler<Event, THandler>::value, "no event passes these parameters");
        F* self = static_cast<F*>(this);
        handlers_[name] = Event([self, method](Args... args) { (self->*method)(args...); });
    }

private:
    template <class E, class V>
    struct IsHandler;
    template <class E, class... Events>
    struct IsHandler<E, std::variant<Events...>> : std::disjunction<std::is_same<E, Events>...> {};

    struct Field {
        std::function<bool(TComponent*)> bind;
        bool bound = false;
    };
    std::map<QString, Field> fields_;
    std::map<QString, THandler> handlers_;
};
