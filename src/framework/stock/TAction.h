#pragma once

#include <QString>
#include <vector>

#include "framework/core/TComponent.h"
#include "framework/core/Types.h"

class TButton;

// A command shared by the controls linked to it. A linked control follows a
// change of the action's caption, visibility or enabled state when it showed
// the same as the action did before the change.
class TAction : public TComponent {
public:
    using TComponent::TComponent;
    ~TAction() override;

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    QString Category() const { return category_; }
    void SetCategory(const QString& category) { category_ = category; }
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    void AddClient(TButton* client);
    void RemoveClient(TButton* client);

    // The component that ran the action last (a button's click), if any.
    TComponent* ActionComponent() const { return actionComponent_; }
    void SetActionComponent(TComponent* component) { actionComponent_ = component; }

    // Runs the action; true when it did something.
    virtual bool Execute();

    TNotifyEvent OnExecute;

protected:
    // False while the action can't work here at all: it then stays hidden
    // and disabled whatever is set. Refresh() applies it once it turns false.
    virtual bool Available() const { return true; }
    void Refresh();

private:
    QString caption_;
    QString category_;
    bool visible_ = true;
    bool enabled_ = true;
    std::vector<TButton*> clients_;
    TComponent* actionComponent_ = nullptr;
};
