#include "TAccessibleControl.h"

#include <QGraphicsScene>
#include <QGraphicsView>
#include <QPolygonF>
#include <QWidget>
#include <QWindow>
#include <cmath>

#include "framework/window/TApplication.h"
#include "framework/window/TControl.h"
#include "framework/window/TForm.h"
#include "framework/window/TFormView.h"

namespace {

const QGraphicsView* ViewOf(const QGraphicsItem& item) {
    const QGraphicsScene* scene = item.scene();
    if (!scene || scene->views().isEmpty()) return nullptr;
    return scene->views().front();
}

// Outward to whole pixels, but an edge that is a whole pixel up to rounding
// noise (as a quarter turn leaves it) stays where it is.
QRect Enclosing(const QRectF& rect) {
    constexpr double kNoise = 1e-6;
    const int left = int(std::floor(rect.left() + kNoise));
    const int top = int(std::floor(rect.top() + kNoise));
    const int right = int(std::ceil(rect.right() - kNoise));
    const int bottom = int(std::ceil(rect.bottom() - kNoise));
    return {left, top, right - left, bottom - top};
}

}  // namespace

TAccessibleControl::TAccessibleControl(TControl* control, QAccessible::Role role)
    : QAccessibleObject(control), role_(role) {}

TControl* TAccessibleControl::Control() const {
    return qobject_cast<TControl*>(object());
}

bool TAccessibleControl::isValid() const {
    return Control() != nullptr;
}

QWindow* TAccessibleControl::window() const {
    const TControl* control = Control();
    if (!control) return nullptr;
    const QGraphicsView* view = ViewOf(*control);
    return view ? view->window()->windowHandle() : nullptr;
}

QAccessibleInterface* TAccessibleControl::parent() const {
    const TControl* control = Control();
    if (!control) return nullptr;
    if (TControl* parent = control->ParentControl())
        return QAccessible::queryAccessibleInterface(parent);
    if (const TForm* form = control->Form())
        return QAccessible::queryAccessibleInterface(form->View());
    return nullptr;
}

std::vector<QObject*> TAccessibleControl::Children() const {
    std::vector<QObject*> children;
    if (const TControl* control = Control())
        for (TControl* child : control->Controls()) children.push_back(child);
    return children;
}

QAccessibleInterface* TAccessibleControl::child(int index) const {
    const std::vector<QObject*> children = Children();
    if (index < 0 || size_t(index) >= children.size()) return nullptr;
    return QAccessible::queryAccessibleInterface(children[size_t(index)]);
}

int TAccessibleControl::childCount() const {
    return int(Children().size());
}

int TAccessibleControl::indexOfChild(const QAccessibleInterface* child) const {
    if (!child) return -1;
    const std::vector<QObject*> children = Children();
    for (size_t i = 0; i < children.size(); ++i)
        if (children[i] == child->object()) return int(i);
    return -1;
}

QAccessibleInterface* TAccessibleControl::ChildAt(const QAccessibleInterface& parent, int x,
                                                  int y) {
    for (int i = parent.childCount() - 1; i >= 0; --i) {
        QAccessibleInterface* child = parent.child(i);
        if (child && !child->state().invisible && child->rect().contains(x, y)) return child;
    }
    return nullptr;
}

QAccessibleInterface* TAccessibleControl::childAt(int x, int y) const {
    return ChildAt(*this, x, y);
}

QString TAccessibleControl::text(QAccessible::Text t) const {
    const TControl* control = Control();
    if (!control) return {};
    switch (t) {
        case QAccessible::Name:
            return control->AccessibleName().isEmpty() ? DefaultName() : control->AccessibleName();
        case QAccessible::Description:
            return Description();
        case QAccessible::Value:
            return ValueText();
        default:
            return {};
    }
}

QRect TAccessibleControl::ScreenRect(const QGraphicsItem& item, const QRectF& local) {
    const QGraphicsView* view = ViewOf(item);
    if (!view) return {};
    const QRectF onViewport = view->viewportTransform().map(item.mapToScene(local)).boundingRect();
    const QPointF origin = view->viewport()->mapToGlobal(QPointF(0, 0));
    return Enclosing(onViewport.translated(origin));
}

QRect TAccessibleControl::rect() const {
    const TControl* control = Control();
    return control ? ScreenRect(*control, control->LocalRect()) : QRect();
}

QAccessible::State TAccessibleControl::state() const {
    QAccessible::State state;
    const TControl* control = Control();
    if (!control) {
        state.invalid = true;
        return state;
    }
    const QGraphicsView* view = ViewOf(*control);
    state.invisible = !control->isVisible() || !view || !view->isVisible();
    if (!state.invisible) {
        const QRectF shown = view->mapToScene(view->viewport()->rect()).boundingRect();
        state.offscreen = !shown.intersects(control->sceneBoundingRect());
    }
    state.disabled = !control->AbsoluteEnabled();
    state.focusable = control->CanFocus();
    state.focused = control->IsFocused();
    state.hotTracked = control->IsMouseOver();
    return state;
}

void* TAccessibleControl::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::ActionInterface) return static_cast<QAccessibleActionInterface*>(this);
    return nullptr;
}

bool TAccessibleControl::Operable(const TControl& control) {
    if (!control.isVisible() || !control.AbsoluteEnabled()) return false;
    const QGraphicsView* view = ViewOf(control);
    return view && view->isVisible();
}

bool TAccessibleControl::Operable() const {
    const TControl* control = Control();
    return control && Operable(*control);
}

void TAccessibleControl::Later(std::function<void(TControl&)> action) const {
    TControl* control = Control();
    if (!control) return;
    // Queued on the control itself, so it is dropped if the control goes first.
    QMetaObject::invokeMethod(
        control,
        [control, action = std::move(action)] {
            Application->Guard([&] {
                if (Operable(*control)) action(*control);
            });
        },
        Qt::QueuedConnection);
}

QStringList TAccessibleControl::actionNames() const {
    const TControl* control = Control();
    if (control && control->CanFocus() && Operable()) return {setFocusAction()};
    return {};
}

void TAccessibleControl::doAction(const QString& name) {
    if (name == setFocusAction()) Later([](TControl& control) { control.SetFocus(); });
}

QStringList TAccessibleControl::keyBindingsForAction(const QString&) const {
    return {};
}
