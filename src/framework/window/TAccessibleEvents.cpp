#include "TAccessibleEvents.h"

void TAccessibleEvents::Send(QObject* object, QAccessible::Event type) {
    QAccessibleEvent event(object, type);
    Deliver(&event);
}

void TAccessibleEvents::Focus(QObject* object) {
    if (!Listening()) return;
    Send(object, QAccessible::Focus);
}

void TAccessibleEvents::ValueChanged(QObject* object, const QVariant& value) {
    if (!Listening()) return;
    QAccessibleValueChangeEvent event(object, value);
    Deliver(&event);
}

void TAccessibleEvents::StateChanged(QObject* object, QAccessible::State changed) {
    if (!Listening()) return;
    QAccessibleStateChangeEvent event(object, changed);
    Deliver(&event);
}

void TAccessibleEvents::NameChanged(QObject* object) {
    if (!Listening()) return;
    Send(object, QAccessible::NameChanged);
}

void TAccessibleEvents::Shown(QObject* object, bool shown) {
    if (!Listening()) return;
    Send(object, shown ? QAccessible::ObjectShow : QAccessible::ObjectHide);
}

void TAccessibleEvents::Moved(QObject* object) {
    if (!Listening()) return;
    Send(object, QAccessible::LocationChanged);
    // A description that tells where the control is goes stale with it.
    if (DescribesPlace(object)) Send(object, QAccessible::DescriptionChanged);
}
