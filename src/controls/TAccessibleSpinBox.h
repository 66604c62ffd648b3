#pragma once

#include "framework/TAccessibleControl.h"

class TSpinBox;

// A spin box: its committed value in its range, a step either way, and its
// text as its child, where the caret is while it has the focus.
class TAccessibleSpinBox : public TAccessibleControl, public QAccessibleValueInterface {
public:
    explicit TAccessibleSpinBox(TSpinBox* box);

    QAccessible::State state() const override;
    QAccessibleInterface* focusChild() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString& name) override;
    QStringList keyBindingsForAction(const QString& name) const override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant& value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

protected:
    std::vector<QObject*> Children() const override;
    QString ValueText() const override;

private:
    TSpinBox* Box() const;
    // Whether the user could change the value now.
    bool Writable() const;
};
