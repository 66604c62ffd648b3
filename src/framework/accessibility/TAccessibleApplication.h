#pragma once

#include <QAccessibleObject>
#include <QObjectList>

// The program as assistive technology sees it, with its windows as
// children. Qt takes every widget without a parent for a window, also one
// that lives inside a window's scene, such as a spin box's text; those are
// listed with the control that holds them, not here.
class TAccessibleApplication : public QAccessibleObject {
public:
    TAccessibleApplication();

    QWindow* window() const override { return nullptr; }
    QAccessibleInterface* parent() const override { return nullptr; }
    QAccessibleInterface* child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* focusChild() const override;
    QString text(QAccessible::Text t) const override;
    QAccessible::Role role() const override { return QAccessible::Application; }
    QAccessible::State state() const override { return {}; }

private:
    static QObjectList Windows();
};
