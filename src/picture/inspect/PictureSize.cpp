#include "PictureSize.h"

#include <algorithm>

namespace PictureSize {

bool Admissible(QSize declared) {
    if (declared.width() <= 0 || declared.height() <= 0) return false;
    return qint64(declared.width()) * declared.height() <= MaxDeclaredPixels;
}

bool AdmissibleStreamed(QSize declared) {
    if (declared.width() <= 0 || declared.height() <= 0) return false;
    if (declared.width() > MaxStreamedWidth) return false;
    return qint64(declared.width()) * declared.height() <= MaxStreamedPixels;
}

QSize Shrunk(QSize source) {
    if (source.width() <= MaxSide && source.height() <= MaxSide) return source;
    // ratio = longer / MaxSide, so side / ratio = side * MaxSide / longer;
    // whole numbers keep the truncation exact where floating point would
    // turn 8192 into 8191.9999.
    const qint64 longer = std::max(source.width(), source.height());
    auto side = [&](int length) {
        return int(std::max<qint64>(1, qint64(length) * MaxSide / longer));
    };
    return {side(source.width()), side(source.height())};
}

}  // namespace PictureSize
