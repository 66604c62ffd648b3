#include "TActionList.h"

#include "TAction.h"

void TActionList::InsertChild(TComponent* child) {
    auto* action = dynamic_cast<TAction*>(child);
    if (!action) return TComponent::InsertChild(child);
    actions_.push_back(action);
}
