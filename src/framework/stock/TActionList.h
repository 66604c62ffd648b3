#pragma once

#include <vector>

#include "framework/core/TComponent.h"

class TAction;

// Groups a window's actions.
class TActionList : public TComponent {
public:
    using TComponent::TComponent;

    const std::vector<TAction*>& Actions() const { return actions_; }
    void InsertChild(TComponent* child) override;

private:
    std::vector<TAction*> actions_;
};
