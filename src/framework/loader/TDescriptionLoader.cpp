#include "TDescriptionLoader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QtDebug>

#include "TClassRegistry.h"
#include "TDescriptionRoot.h"
#include "TLoadContext.h"
#include "framework/core/Exception.h"

namespace {

const QStringList kEntryKeys{QStringLiteral("name"), QStringLiteral("class"),
                             QStringLiteral("properties"), QStringLiteral("events"),
                             QStringLiteral("children")};

QString Required(const QJsonObject& entry, const QString& key, TLoadContext& context) {
    const QJsonValue value = entry.value(key);
    if (!value.isString() || value.toString().isEmpty())
        context.Fail(QStringLiteral("an entry needs a \"%1\"").arg(key));
    return value.toString();
}

}  // namespace

TDescriptionLoader::TDescriptionLoader() : registry_(TClassRegistry::Instance()) {}

void TDescriptionLoader::Load(TDescriptionRoot& root, const QByteArray& description,
                              const QString& source) {
    TLoadContext context(root, source);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(description, &error);
    if (error.error != QJsonParseError::NoError)
        context.Fail(QStringLiteral("not a readable description (%1 at offset %2)")
                         .arg(error.errorString())
                         .arg(error.offset));
    if (!document.isObject()) context.Fail(QStringLiteral("the description must be an object"));
    const QJsonObject entry = document.object();

    const auto [name, info] = Enter(entry, context);
    TComponent& top = root.RootComponent();
    if (!info.IsInstance(&top))
        context.Fail(QStringLiteral("the window is not of class \"%1\"").arg(info.Name));

    // Slow work the description asks for (decoding the chart) runs on other
    // cores while the window is built.
    Prefetch(entry, context);

    created_.clear();
    top.SetName(name);
    top.BeginLoading();
    Apply(top, entry, context);
    context.RunFixups();
    // A misspelt name would leave its field empty until the first handler
    // that uses it.
    for (const QString& field : root.UnboundFields())
        context.Fail(QStringLiteral("no component named \"%1\" for the window's field").arg(field));
    context.Leave();
    // A prefetch its setter didn't find did its work for nothing.
    for (const QString& key : context.Untaken())
        qWarning("Work started ahead for %s was not used.", qPrintable(key));
    for (TComponent* component : created_) component->Loaded();
    top.Loaded();
}

std::pair<QString, const TClassInfo&> TDescriptionLoader::Enter(const QJsonObject& entry,
                                                                TLoadContext& context) const {
    const QString name = Required(entry, QStringLiteral("name"), context);
    const QString className = Required(entry, QStringLiteral("class"), context);
    context.Enter(name, className);
    const TClassInfo* info = registry_.Find(className);
    if (!info) context.Fail(QStringLiteral("unknown class \"%1\"").arg(className));
    return {name, *info};
}

void TDescriptionLoader::Prefetch(const QJsonObject& entry, TLoadContext& context) const {
    // Only a head start: anything amiss is left for the building pass to
    // report in its place.
    const TClassInfo* info = registry_.Find(entry.value(QStringLiteral("class")).toString());
    const QJsonObject properties = entry.value(QStringLiteral("properties")).toObject();
    if (info) {
        for (auto it = properties.begin(); it != properties.end(); ++it) {
            const TClassInfo::TPrefetch* prefetch = info->FindPrefetch(it.key());
            if (!prefetch) continue;
            try {
                (*prefetch)(it.value(), context);
            } catch (const EDescriptionError&) {
            }
        }
    }
    for (const QJsonValue& child : entry.value(QStringLiteral("children")).toArray())
        if (child.isObject()) Prefetch(child.toObject(), context);
}

void TDescriptionLoader::Apply(TComponent& component, const QJsonObject& entry,
                               TLoadContext& context) {
    for (const QString& key : entry.keys())
        if (!kEntryKeys.contains(key)) context.Fail(QStringLiteral("unknown key \"%1\"").arg(key));
    const TClassInfo* info = registry_.Find(Required(entry, QStringLiteral("class"), context));

    const QJsonObject properties = entry.value(QStringLiteral("properties")).toObject();
    for (auto it = properties.begin(); it != properties.end(); ++it) {
        const TClassInfo::TPropertySetter* setter = info->FindProperty(it.key());
        if (!setter) context.Fail(QStringLiteral("unknown property \"%1\"").arg(it.key()));
        (*setter)(component, it.value(), context);
    }

    const QJsonObject events = entry.value(QStringLiteral("events")).toObject();
    for (auto it = events.begin(); it != events.end(); ++it) {
        const TClassInfo::TEventBinder* binder = info->FindEvent(it.key());
        if (!binder) context.Fail(QStringLiteral("unknown event \"%1\"").arg(it.key()));
        const QString handlerName = it.value().toString();
        const THandler* handler = context.Root().FindHandler(handlerName);
        if (!handler) context.Fail(QStringLiteral("unknown handler \"%1\"").arg(handlerName));
        if (!(*binder)(component, *handler))
            context.Fail(QStringLiteral("handler \"%1\" does not fit event \"%2\"")
                             .arg(handlerName, it.key()));
    }

    CreateChildren(component, entry, context);
}

void TDescriptionLoader::CreateChildren(TComponent& parent, const QJsonObject& entry,
                                        TLoadContext& context) {
    const QJsonValue children = entry.value(QStringLiteral("children"));
    if (children.isUndefined()) return;
    if (!children.isArray()) context.Fail(QStringLiteral("\"children\" must be a list"));
    for (const QJsonValue& value : children.toArray()) {
        if (!value.isObject()) context.Fail(QStringLiteral("a child must be an object"));
        const QJsonObject child = value.toObject();
        const auto [name, info] = Enter(child, context);
        if (!info.Create)
            context.Fail(QStringLiteral("class \"%1\" can't be created").arg(info.Name));
        if (context.Find(name)) context.Fail(QStringLiteral("the name is already taken"));

        // The window owns every component, whatever its parent in the tree.
        TComponent* component = info.Create(&context.Root().RootComponent());
        component->SetName(name);
        component->BeginLoading();
        created_.push_back(component);
        if (!context.Root().BindField(name, component))
            context.Fail(QStringLiteral("the window's field \"%1\" is of another class").arg(name));
        try {
            parent.InsertChild(component);
        } catch (const EDescriptionError& e) {
            context.Fail(e.Message());
        }
        Apply(*component, child, context);
        context.Leave();
    }
}
