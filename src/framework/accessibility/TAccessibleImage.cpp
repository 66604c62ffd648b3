#include "TAccessibleImage.h"

#include "framework/stock/TImage.h"
#include "framework/window/TApplication.h"
#include "framework/window/TForm.h"

TAccessibleImage::TAccessibleImage(TImage* image)
    : TAccessibleControl(image, QAccessible::Graphic) {}

void* TAccessibleImage::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::ImageInterface) return static_cast<QAccessibleImageInterface*>(this);
    return TAccessibleControl::interface_cast(type);
}

QRect TAccessibleImage::PictureOnScreen() const {
    auto* image = qobject_cast<TImage*>(Control());
    if (!image) return {};
    QRect onScreen;
    // The first look at the picture may decode it, which can fail.
    Application->Guard([&] {
        const QRectF picture =
            image->PictureRect(image->Form() ? image->Form()->DisplayScale() : 1);
        if (!picture.isEmpty()) onScreen = ScreenRect(*image, picture);
    });
    return onScreen;
}

QString TAccessibleImage::imageDescription() const {
    return text(QAccessible::Description);
}

QSize TAccessibleImage::imageSize() const {
    return PictureOnScreen().size();
}

QPoint TAccessibleImage::imagePosition() const {
    return PictureOnScreen().topLeft();
}
