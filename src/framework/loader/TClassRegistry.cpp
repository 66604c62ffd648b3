#include "TClassRegistry.h"

#include "framework/core/Exception.h"

TClassRegistry& TClassRegistry::Instance() {
    static TClassRegistry registry;
    return registry;
}

const TClassInfo* TClassRegistry::Find(const QString& name) const {
    const auto it = classes_.find(name);
    return it == classes_.end() ? nullptr : it->second.get();
}

TClassInfo& TClassRegistry::Add(const QString& name, const QString& parent) {
    auto& slot = classes_[name];
    if (!slot) slot = std::make_unique<TClassInfo>();
    slot->Name = name;
    slot->Parent = parent.isEmpty() ? nullptr : Find(parent);
    if (!parent.isEmpty() && !slot->Parent)
        throw EDescriptionError(
            QStringLiteral("class \"%1\" derives from unregistered \"%2\"").arg(name, parent));
    return *slot;
}
