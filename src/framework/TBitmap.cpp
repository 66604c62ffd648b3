#include "TBitmap.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include "Exception.h"

TBitmap::TBitmap(QImage image) {
    SetImage(std::move(image));
}

void TBitmap::Assign(const TBitmap* source) {
    if (source == this) return;
    SetImage(source ? source->image_ : QImage());
}

void TBitmap::LoadFromFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(QStringLiteral("Cannot open file \"%1\". %2")
                              .arg(QFileInfo(path).absoluteFilePath(), file.errorString()));
    QImageReader reader(&file);
    reader.setAutoTransform(false);
    QImage image = reader.read();
    if (image.isNull())
        throw EBitmapLoadingFailed(QStringLiteral("Loading bitmap failed (%1).").arg(path));
    SetImage(std::move(image));
}

void TBitmap::SetImage(QImage image) {
    if (!image.isNull() && image.format() != QImage::Format_ARGB32_Premultiplied)
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    image_ = std::move(image);
    Changed();
}

void TBitmap::Changed() {
    if (OnChange) OnChange();
}
