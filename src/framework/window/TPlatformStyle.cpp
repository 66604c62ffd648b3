#include "TPlatformStyle.h"

#include <QOperatingSystemVersion>

namespace {

const TPlatformStyle kWin10{QStringLiteral("win10style"), QColor(0xF0, 0xF0, 0xF0),
                            QColor(0xF0, 0xF0, 0xF0), QColor(0xCC, 0xCC, 0xCC)};
const TPlatformStyle kWin8{QStringLiteral("win8style"), QColor(0xF0, 0xF0, 0xF0),
                           QColor(0xF0, 0xF0, 0xF0), QColor(0x97, 0x97, 0x97)};
const TPlatformStyle kWin7{QStringLiteral("win7style"), QColor(0xF4, 0xF4, 0xF4),
                           QColor(0xF4, 0xF4, 0xF4), QColor(0x97, 0x97, 0x97)};

const TPlatformStyle* current = nullptr;

}  // namespace

const TPlatformStyle& TPlatformStyle::ForWindowsVersion(int major, int minor) {
    if (major >= 10) return kWin10;
    if (major > 6 || (major == 6 && minor >= 2)) return kWin8;
    return kWin7;
}

const TPlatformStyle& TPlatformStyle::ForThisSystem() {
    const QOperatingSystemVersion os = QOperatingSystemVersion::current();
    if (os.type() != QOperatingSystemVersion::Windows) return kWin10;
    return ForWindowsVersion(os.majorVersion(), os.minorVersion());
}

const TPlatformStyle& TPlatformStyle::Current() {
    return current ? *current : ForThisSystem();
}

void TPlatformStyle::Select(const TPlatformStyle& style) {
    current = &style;
}
