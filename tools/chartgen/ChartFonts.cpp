#include "ChartFonts.h"

#include <QFile>
#include <QFontDatabase>

namespace {

const char* const kFaceDir = "/usr/share/fonts/truetype/dejavu/";
const char* const kFaceFiles[] = {
    "DejaVuSerif.ttf",
    "DejaVuSerif-Bold.ttf",
    "DejaVuSerif-Italic.ttf",
    "DejaVuSerif-BoldItalic.ttf",
    "DejaVuSans.ttf",
    "DejaVuSans-Bold.ttf",
    "DejaVuSans-Oblique.ttf",
    "DejaVuSansCondensed.ttf",
    "DejaVuSansCondensed-Bold.ttf",
    "DejaVuSerifCondensed-Italic.ttf",
};

}  // namespace

void ChartFonts::registerFaces() {
    for (const char* file : kFaceFiles) {
        const QString path = QString::fromLatin1(kFaceDir) + QString::fromLatin1(file);
        if (QFile::exists(path)) QFontDatabase::addApplicationFont(path);
    }
}

QFont ChartFonts::make(const QString& family, int pixels, bool bold, bool italic) {
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    font.setKerning(true);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QFont ChartFonts::serif(int pixels, bool bold, bool italic) {
    return make(QStringLiteral("DejaVu Serif"), pixels, bold, italic);
}

QFont ChartFonts::sans(int pixels, bool bold, bool italic) {
    return make(QStringLiteral("DejaVu Sans"), pixels, bold, italic);
}

QFont ChartFonts::condensed(int pixels, bool bold) {
    QFont font = make(QStringLiteral("DejaVu Sans"), pixels, bold, false);
    font.setStretch(QFont::SemiCondensed);
    return font;
}
