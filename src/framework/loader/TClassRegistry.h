#pragma once

#include <QString>
#include <map>
#include <memory>
#include <type_traits>

#include "DescriptionValues.h"
#include "TClassInfo.h"
#include "framework/core/TComponent.h"

// The component classes a window description may name.
class TClassRegistry {
public:
    static TClassRegistry& Instance();

    // Registers a class under its name, deriving from an already registered one.
    template <class T>
    TClassInfo& Register(const QString& name, const QString& parent = {}) {
        TClassInfo& info = Add(name, parent);
        if constexpr (!std::is_abstract_v<T> && std::is_constructible_v<T, TComponent*>)
            info.Create = [](TComponent* owner) -> TComponent* { return new T(owner); };
        info.IsInstance = [](const TComponent* c) { return dynamic_cast<const T*>(c) != nullptr; };
        return info;
    }
    const TClassInfo* Find(const QString& name) const;

private:
    TClassInfo& Add(const QString& name, const QString& parent);

    std::map<QString, std::unique_ptr<TClassInfo>> classes_;
};

// Fills in the properties and events of a registered class.
template <class T>
class TClassBuilder {
public:
    explicit TClassBuilder(TClassInfo& info) : info_(info) {}

    template <class V>
    TClassBuilder& Property(const QString& name, void (T::*setter)(V)) {
        using Value = std::remove_cvref_t<V>;
        info_.Properties[name] = [setter, name](TComponent& c, const QJsonValue& v,
                                                TLoadContext& context) {
            (Self(c).*setter)(DescriptionValues::Read<Value>(v, context, name));
        };
        return *this;
    }
    template <class F>
    TClassBuilder& Custom(const QString& name, F read) {
        info_.Properties[name] = [read, name](TComponent& c, const QJsonValue& v,
                                              TLoadContext& context) {
            read(Self(c), v, context, name);
        };
        return *this;
    }
    // Work for a property to start before the window is built.
    TClassBuilder& Prefetch(const QString& name, TClassInfo::TPrefetch prefetch) {
        info_.Prefetches[name] = std::move(prefetch);
        return *this;
    }
    // A property kept in the description for the designer, with no effect.
    TClassBuilder& DesignOnly(const QString& name) {
        info_.Properties[name] = [](TComponent&, const QJsonValue&, TLoadContext&) {};
        return *this;
    }
    template <class E>
    TClassBuilder& Event(const QString& name, E T::*member) {
        info_.Events[name] = [member](TComponent& c, const THandler& handler) {
            const E* method = std::get_if<E>(&handler);
            if (!method) return false;
            Self(c).*member = *method;
            return true;
        };
        return *this;
    }

private:
    static T& Self(TComponent& c) { return dynamic_cast<T&>(c); }

    TClassInfo& info_;
};
