#pragma once

#include <QString>
#include <vector>

#include "TObject.h"

// A named part of a window. The owner deletes what it owns when it goes, so
// every component lives exactly as long as its window.
class TComponent : public TObject {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    const QString& Name() const { return name_; }
    void SetName(const QString& name) { name_ = name; }
    TComponent* Owner() const { return owner_; }
    const std::vector<TComponent*>& Components() const { return components_; }
    TComponent* FindComponent(const QString& name) const;

    // True from creation by the description loader until Loaded(); events
    // stay quiet meanwhile.
    bool IsLoading() const { return loading_; }
    void BeginLoading() { loading_ = true; }
    virtual void Loaded() { loading_ = false; }

    // Takes a child read from a description; the default refuses children.
    virtual void InsertChild(TComponent* child);
    // The window that owns the component is closing; nothing of the
    // component may run after it (a timer stops).
    virtual void WindowClosing() {}

protected:
    // Deletes every owned component now, last created first.
    void DestroyComponents();

private:
    void RemoveComponent(TComponent* component);

    QString name_;
    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;
    bool loading_ = false;
};
