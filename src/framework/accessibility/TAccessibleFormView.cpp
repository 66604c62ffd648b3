#include "TAccessibleFormView.h"

#include "TAccessibleControl.h"
#include "framework/window/TControl.h"
#include "framework/window/TForm.h"
#include "framework/window/TFormView.h"

TAccessibleFormView::TAccessibleFormView(TFormView* view)
    : QAccessibleWidget(view, QAccessible::Window) {}

TFormView* TAccessibleFormView::View() const {
    return static_cast<TFormView*>(widget());
}

int TAccessibleFormView::childCount() const {
    const TFormView* view = View();
    return view ? int(view->Form().Controls().size()) : 0;
}

QAccessibleInterface* TAccessibleFormView::child(int index) const {
    const TFormView* view = View();
    if (!view || index < 0) return nullptr;
    const std::vector<TControl*>& controls = view->Form().Controls();
    if (size_t(index) >= controls.size()) return nullptr;
    return QAccessible::queryAccessibleInterface(controls[size_t(index)]);
}

int TAccessibleFormView::indexOfChild(const QAccessibleInterface* child) const {
    const TFormView* view = View();
    if (!view || !child) return -1;
    const std::vector<TControl*>& controls = view->Form().Controls();
    for (size_t i = 0; i < controls.size(); ++i)
        if (static_cast<QObject*>(controls[i]) == child->object()) return int(i);
    return -1;
}

QAccessibleInterface* TAccessibleFormView::childAt(int x, int y) const {
    return TAccessibleControl::ChildAt(*this, x, y);
}

QAccessibleInterface* TAccessibleFormView::focusChild() const {
    const TFormView* view = View();
    if (!view) return nullptr;
    TControl* focused = view->Form().Focused();
    if (!focused) return nullptr;
    // Down to what holds the caret, such as the text of a spin box.
    QAccessibleInterface* focus = QAccessible::queryAccessibleInterface(focused);
    while (focus) {
        QAccessibleInterface* inner = focus->focusChild();
        if (!inner || inner == focus) break;
        focus = inner;
    }
    return focus;
}
