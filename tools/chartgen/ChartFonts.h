#pragma once

#include <QFont>

// The chart's type faces. Sizes are in pixels so the page looks the same whatever the platform
// plugin believes the screen resolution to be.
class ChartFonts {
public:
    // Registers the DejaVu files directly, so rendering does not hinge on fontconfig aliases.
    static void registerFaces();

    static QFont serif(int pixels, bool bold = false, bool italic = false);
    static QFont sans(int pixels, bool bold = false, bool italic = false);
    static QFont condensed(int pixels, bool bold = false);

private:
    static QFont make(const QString& family, int pixels, bool bold, bool italic);
};
