#include "TClassInfo.h"

const TClassInfo::TPropertySetter* TClassInfo::FindProperty(const QString& name) const {
    for (const TClassInfo* info = this; info; info = info->Parent) {
        const auto it = info->Properties.find(name);
        if (it != info->Properties.end()) return &it->second;
    }
    return nullptr;
}

const TClassInfo::TPrefetch* TClassInfo::FindPrefetch(const QString& name) const {
    for (const TClassInfo* info = this; info; info = info->Parent) {
        const auto it = info->Prefetches.find(name);
        if (it != info->Prefetches.end()) return &it->second;
    }
    return nullptr;
}

const TClassInfo::TEventBinder* TClassInfo::FindEvent(const QString& name) const {
    for (const TClassInfo* info = this; info; info = info->Parent) {
        const auto it = info->Events.find(name);
        if (it != info->Events.end()) return &it->second;
    }
    return nullptr;
}
