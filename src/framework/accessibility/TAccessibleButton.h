#pragma once

#include "TAccessibleControl.h"

class TButton;

// A push button, named by its text, that can be pressed.
class TAccessibleButton : public TAccessibleControl {
public:
    explicit TAccessibleButton(TButton* button);

    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& name) override;
    QStringList keyBindingsForAction(const QString& name) const override;

protected:
    QString DefaultName() const override;

private:
    TButton* Button() const;
};
