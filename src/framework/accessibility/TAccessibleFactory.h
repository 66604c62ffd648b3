#pragma once

#include <QString>
#include <functional>

class QAccessibleInterface;
class QObject;

// Gives Qt's accessibility the interfaces of our windows and controls. Qt
// asks for an object by each class name of its ancestry in turn, most
// derived first; each layer adds the interfaces of its own classes under
// their names, and a control that none names gets the plain one of
// TControl.
class TAccessibleFactory {
public:
    // Makes the interface for an object of the class it was added for, or
    // declines with null (then Qt asks about the object's base class).
    using Maker = std::function<QAccessibleInterface*(QObject* object)>;

    // Hands the factory to Qt with the framework's own interfaces; once.
    static void Install();
    static void Add(const QString& className, Maker maker);
    // An interface of class Interface for every object of class Object.
    template <class Object, class Interface>
    static void Add() {
        Add(QString::fromLatin1(Object::staticMetaObject.className()),
            [](QObject* object) -> QAccessibleInterface* {
                auto* known = qobject_cast<Object*>(object);
                return known ? new Interface(known) : nullptr;
            });
    }
    // Drops the interface Qt made for an object before it could be told
    // what the object is part of, so that the next one asked for is ours.
    // Qt makes them for its widgets' own notices, listened to or not.
    static void Renew(QObject* object);

private:
    static QAccessibleInterface* Create(const QString& className, QObject* object);
};
