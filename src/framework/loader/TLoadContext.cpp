#include "TLoadContext.h"

#include <QStringList>

#include "TDescriptionRoot.h"
#include "framework/core/Exception.h"
#include "framework/core/TComponent.h"

QString TLoadContext::Where() const {
    if (frames_.empty()) return source_;
    QStringList path;
    for (const Frame& frame : frames_) path << frame.name;
    return QStringLiteral("%1: %2 (%3)").arg(source_, path.join(u'.'), frames_.back().className);
}

void TLoadContext::Enter(const QString& name, const QString& className) {
    frames_.push_back({name, className});
}

void TLoadContext::Leave() {
    frames_.pop_back();
}

void TLoadContext::Fail(const QString& what) const {
    throw EDescriptionError(QStringLiteral("%1: %2").arg(Where(), what));
}

void TLoadContext::RunFixups() {
    for (auto& fixup : fixups_) fixup();
    fixups_.clear();
}

TComponent* TLoadContext::Find(const QString& name) const {
    return root_.RootComponent().FindComponent(name);
}

QStringList TLoadContext::Untaken() const {
    QStringList keys;
    for (const auto& [key, work] : prefetched_) keys << key;
    return keys;
}
