#include "TImage.h"

#include <QPainter>

#include "Fitting.h"

TBitmapItem& TImage::CurrentItem() {
    TBitmapItem& item = multiResBitmap_.ItemForScale(float(DisplayScale()));
    // Any change of the pixels shows at the next paint.
    item.Bitmap().OnChange = [this] { Repaint(); };
    return item;
}

TBitmap& TImage::Bitmap() {
    return CurrentItem().Bitmap();
}

void TImage::SetDisableInterpolation(bool disable) {
    if (disable == disableInterpolation_) return;
    disableInterpolation_ = disable;
    Repaint();
}

QRectF TImage::PictureRect(double displayScale) {
    TBitmapItem& item = CurrentItem();
    const TBitmap& bitmap = item.Bitmap();
    const QSizeF source(bitmap.Width() / item.Scale(), bitmap.Height() / item.Scale());
    return Fitting::Target(source, QSizeF(Width(), Height()), displayScale);
}

void TImage::Paint(QPainter& painter) {
    const QRectF target = PictureRect(DisplayScale());
    if (target.isEmpty()) return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, !disableInterpolation_);
    painter.drawImage(target, Bitmap().Image());
}
