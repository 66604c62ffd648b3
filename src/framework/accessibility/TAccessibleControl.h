#pragma once

#include <QAccessibleObject>
#include <QRect>
#include <QRectF>
#include <functional>
#include <vector>

class QGraphicsItem;
class TControl;

// What assistive technology learns of a control: its place in the window's
// tree, its name, state and place on the screen, and what it lets the user
// do. The control classes refine role, name, value and actions.
class TAccessibleControl : public QAccessibleObject, public QAccessibleActionInterface {
public:
    TAccessibleControl(TControl* control, QAccessible::Role role);

    bool isValid() const override;
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QString text(QAccessible::Text t) const override;
    QRect rect() const override;
    QAccessible::Role role() const override { return role_; }
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString& name) override;
    QStringList keyBindingsForAction(const QString& name) const override;

    // Whether the description tells where the control is, so that it goes
    // stale when the control moves or turns.
    virtual bool DescribesPlace() const { return false; }

    // Where a box in an item's own coordinates shows on the screen, turns
    // included, in logical pixels.
    static QRect ScreenRect(const QGraphicsItem& item, const QRectF& local);
    // The child shown under a point on the screen: the top-most, as a press
    // there would find it.
    static QAccessibleInterface* ChildAt(const QAccessibleInterface& parent, int x, int y);

protected:
    TControl* Control() const;
    // The objects that stand for the control's children, in stored order.
    virtual std::vector<QObject*> Children() const;
    // The name when the description gives the control none.
    virtual QString DefaultName() const { return {}; }
    virtual QString Description() const { return {}; }
    virtual QString ValueText() const { return {}; }
    // Whether the user could operate the control now: shown and enabled.
    bool Operable() const;
    static bool Operable(const TControl& control);
    // Runs a user's action from the event loop, as input would come, and
    // only if the control can still be operated then. A modal box that the
    // action opens mustn't hold up the assistive technology that asked.
    void Later(std::function<void(TControl&)> action) const;

private:
    QAccessible::Role role_;
};
