#include "TDescriptionRoot.h"

bool TDescriptionRoot::BindField(const QString& name, TComponent* component) {
    const auto it = fields_.find(name);
    if (it == fields_.end()) return true;
    it->second.bound = it->second.bind(component);
    return it->second.bound;
}

QStringList TDescriptionRoot::UnboundFields() const {
    QStringList names;
    for (const auto& [name, field] : fields_)
        if (!field.bound) names << name;
    return names;
}

const THandler* TDescriptionRoot::FindHandler(const QString& name) const {
    const auto it = handlers_.find(name);
    return it == handlers_.end() ? nullptr : &it->second;
}
