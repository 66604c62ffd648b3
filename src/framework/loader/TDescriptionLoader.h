#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <utility>
#include <vector>

class TComponent;
class TDescriptionRoot;
class TClassRegistry;
class TLoadContext;
struct TClassInfo;

// Builds a tree of components from its stored description: creates every
// component in stored order through the class registry, sets its properties,
// binds it to the root's field and its events to the root's handlers by name,
// then tells each that loading has finished. Anything the program doesn't
// know, and a field the description leaves without its component, fails with
// a message naming it and where it stands.
class TDescriptionLoader {
public:
    TDescriptionLoader();
    explicit TDescriptionLoader(const TClassRegistry& registry) : registry_(registry) {}

    void Load(TDescriptionRoot& root, const QByteArray& description, const QString& source);

private:
    // Reads an entry's name and class, and steps into it for the messages.
    std::pair<QString, const TClassInfo&> Enter(const QJsonObject& entry,
                                                TLoadContext& context) const;
    // Runs the prefetches of every entry, ahead of building any component.
    void Prefetch(const QJsonObject& entry, TLoadContext& context) const;
    void Apply(TComponent& component, const QJsonObject& entry, TLoadContext& context);
    void CreateChildren(TComponent& parent, const QJsonObject& entry, TLoadContext& context);

    const TClassRegistry& registry_;
    std::vector<TComponent*> created_;
};
