#include "TAccessibleApplication.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

TAccessibleApplication::TAccessibleApplication() : QAccessibleObject(qApp) {}

QObjectList TAccessibleApplication::Windows() {
    QObjectList windows;
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        // Menus and the like are announced when they open, not listed.
        if (window->type() == Qt::Popup || window->type() == Qt::Desktop) continue;
        const QAccessibleInterface* root = window->accessibleRoot();
        QObject* object = root ? root->object() : nullptr;
        if (!object) continue;
        const auto* widget = qobject_cast<QWidget*>(object);
        if (widget && widget->graphicsProxyWidget()) continue;
        windows.append(object);
    }
    return windows;
}

QAccessibleInterface* TAccessibleApplication::child(int index) const {
    const QObjectList windows = Windows();
    if (index < 0 || index >= windows.size()) return nullptr;
    return QAccessible::queryAccessibleInterface(windows.at(index));
}

int TAccessibleApplication::childCount() const {
    return int(Windows().size());
}

int TAccessibleApplication::indexOfChild(const QAccessibleInterface* child) const {
    return child ? int(Windows().indexOf(child->object())) : -1;
}

QAccessibleInterface* TAccessibleApplication::focusChild() const {
    QWindow* window = QGuiApplication::focusWindow();
    return window ? window->accessibleRoot() : nullptr;
}

QString TAccessibleApplication::text(QAccessible::Text t) const {
    switch (t) {
        case QAccessible::Name:
            return QGuiApplication::applicationName();
        case QAccessible::Description:
            return QGuiApplication::applicationFilePath();
        default:
            return {};
    }
}
