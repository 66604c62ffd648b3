#include "TComponent.h"

#include <algorithm>

#include "Exception.h"

TComponent::TComponent(TComponent* owner) : owner_(owner) {
    if (owner_) owner_->components_.push_back(this);
}

TComponent::~TComponent() {
    DestroyComponents();
    if (owner_) owner_->RemoveComponent(this);
}

void TComponent::DestroyComponents() {
    // A control deleted here deletes its child controls, which unregister
    // themselves, so take one at a time from the back.
    while (!components_.empty()) delete components_.back();
}

TComponent* TComponent::FindComponent(const QString& name) const {
    for (TComponent* component : components_)
        if (component->Name() == name) return component;
    return nullptr;
}

void TComponent::InsertChild(TComponent* child) {
    throw EDescriptionError(QStringLiteral("\"%1\" can't hold \"%2\"").arg(name_, child->Name()));
}

void TComponent::RemoveComponent(TComponent* component) {
    auto it = std::find(components_.begin(), components_.end(), component);
    if (it != components_.end()) components_.erase(it);
}
