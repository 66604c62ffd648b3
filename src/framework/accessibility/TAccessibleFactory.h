#pragma once

#include <QString>
#include <functional>

class QAccessibleInterface;
class QObject;

// Gives Qt's accessibility the interfaces of our windows and controls. Each
// layer adds the makers for its own classes; a control that none of them
// knows still gets the plain one.
class TAccessibleFactory {
public:
    // A maker answers for the objects it knows and returns null for others.
    using Maker = std::function<QAccessibleInterface*(QObject* object)>;

    // Hands the factory to Qt, with the framework's own makers; once.
    static void Install();
    static void Add(Maker maker);
    // Drops the interface Qt made for an object before it could be told
    // what the object is part of, so that the next one asked for is ours.
    // Qt makes them for its widgets' own notices, listened to or not.
    static void Renew(QObject* object);

private:
    static QAccessibleInterface* Create(const QString& className, QObject* object);
};
