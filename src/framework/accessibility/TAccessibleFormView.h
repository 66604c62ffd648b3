#pragma once

#include <QAccessibleWidget>

class TFormView;

// The window as assistive technology sees it. Qt's own view lists only its
// viewport and scroll bars; the window's controls are items of its scene,
// so they are listed here instead, in stored order.
class TAccessibleFormView : public QAccessibleWidget {
public:
    explicit TAccessibleFormView(TFormView* view);

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

private:
    TFormView* View() const;
};
