#pragma once

#include <QAccessible>
#include <QVariant>
#include <functional>

class QObject;

// Tells assistive technology what changed in a control. Each call costs only
// the check whether one is listening; the event is built only when one is.
class TAccessibleEvents {
public:
    static void Focus(QObject* object);
    static void ValueChanged(QObject* object, const QVariant& value);
    static void StateChanged(QObject* object, QAccessible::State changed);
    static void NameChanged(QObject* object);
    static void Shown(QObject* object, bool shown);
    // The object moved, turned or changed size.
    static void Moved(QObject* object);

    // Whether assistive technology listens, and how events reach it. Qt
    // drops events while nothing listens, and offscreen nothing ever does,
    // so tests put their own in place of both.
    static inline std::function<bool()> Listening = [] { return QAccessible::isActive(); };
    static inline std::function<void(QAccessibleEvent* event)> Deliver =
        [](QAccessibleEvent* event) { QAccessible::updateAccessibility(event); };
    // Whether what assistive technology reads of an object tells where it
    // is, so that a move makes it stale; the accessible interfaces answer.
    static inline std::function<bool(QObject* object)> DescribesPlace = [](QObject*) {
        return false;
    };

private:
    static void Send(QObject* object, QAccessible::Event type);
};
