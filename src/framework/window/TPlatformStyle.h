#pragma once

#include <QColor>
#include <QString>

// The colours of one of the built-in platform looks. The look is chosen once
// at start-up from the operating system's version.
struct TPlatformStyle {
    QString Name;
    QColor WindowBackground;
    QColor StripFill;
    QColor StripOutline;

    // The look for a system version; systems without these looks get the
    // newest one.
    static const TPlatformStyle& ForWindowsVersion(int major, int minor);
    static const TPlatformStyle& ForThisSystem();
    static const TPlatformStyle& Current();
    static void Select(const TPlatformStyle& style);
};
