#pragma once

#include "framework/accessibility/TAccessibleValueControl.h"

class TSpinBox;

// A spin box: its committed value in its range, a step either way, and its
// text as its child, where the caret is while it has the focus.
class TAccessibleSpinBox : public TAccessibleValueControl {
public:
    explicit TAccessibleSpinBox(TSpinBox* box);

    QAccessible::State state() const override;
    QAccessibleInterface* focusChild() const override;

    QStringList actionNames() const override;
    void doAction(const QString& name) override;
    QStringList keyBindingsForAction(const QString& name) const override;

    QVariant currentValue() const override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

protected:
    std::vector<QObject*> Children() const override;
    QString ValueText() const override;
    // Whether the user could change the value now: not read-only either.
    bool Settable() const override;
    void SetNumber(double value) override;

private:
    TSpinBox* Box() const;
};
