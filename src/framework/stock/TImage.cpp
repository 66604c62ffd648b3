#include "TImage.h"

#include <QPaintDevice>
#include <QPainter>
#include <cmath>

#include "Fitting.h"
#include "framework/window/TForm.h"
#include "framework/window/TPlatformStyle.h"

namespace {

constexpr double kLoadProgressHeight = 3;

}  // namespace

TImage::TImage(TComponent* owner) : TControl(owner) {
    multiResBitmap_.OnChange = [this] { Repaint(); };
    multiResBitmap_.OnLoadProgress = [this](double fraction) { ShowLoadProgress(fraction); };
}

TBitmap& TImage::Bitmap() {
    return multiResBitmap_.ItemForScale(float(DisplayScale())).Bitmap();
}

void TImage::SetWrapMode(TImageWrapMode mode) {
    if (mode == wrapMode_) return;
    wrapMode_ = mode;
    Repaint();
}

void TImage::SetDisableInterpolation(bool disable) {
    if (disable == disableInterpolation_) return;
    disableInterpolation_ = disable;
    Repaint();
}

namespace {

// Where the control's top-left corner falls among the device's pixels;
// a turned control has no edges to line up with them.
QPointF DeviceOrigin(const QTransform& toDevice) {
    if (toDevice.type() > QTransform::TxScale) return {};
    return toDevice.map(QPointF(0, 0));
}

}  // namespace

QRectF TImage::PictureRect(double displayScale) {
    TBitmapItem* item = multiResBitmap_.ItemToShow(float(displayScale));
    if (!item) return {};
    // The window shows its scene unmoved and unscaled, in logical pixels.
    const QTransform toDevice =
        sceneTransform() * QTransform::fromScale(displayScale, displayScale);
    return Fitted(*item, displayScale, DeviceOrigin(toDevice));
}

QRectF TImage::OpaqueCover() {
    // Only an unturned, unfaded picture of opaque pixels covers its place.
    if (!isVisible() || effectiveOpacity() < 1 || sceneTransform().type() > QTransform::TxTranslate)
        return {};
    const double scale = DisplayScale();
    TBitmapItem* item = multiResBitmap_.ItemToShow(float(scale));
    // A picture not decoded yet covers nothing so far: asking would wait for
    // it before the rest of the window is painted.
    if (!item || !item->IsDecoded() || !item->Bitmap().IsOpaque()) return {};
    const QRectF picture = sceneTransform().mapRect(PictureRect(scale));
    // Inwards to whole logical pixels: the picture's edges lie on device
    // pixels, which at fractional scales fall inside logical ones.
    const double left = std::ceil(picture.left()), top = std::ceil(picture.top());
    const double right = std::floor(picture.right()), bottom = std::floor(picture.bottom());
    if (right <= left || bottom <= top) return {};
    return {left, top, right - left, bottom - top};
}

QRectF TImage::Fitted(TBitmapItem& item, double displayScale, QPointF origin) const {
    const TBitmap& bitmap = item.Bitmap();
    const QSizeF source(bitmap.Width() / item.Scale(), bitmap.Height() / item.Scale());
    return Fitting::Target(source, QSizeF(Width(), Height()), displayScale, origin);
}

void TImage::Paint(QPainter& painter) {
    // Snap to the pixels actually painted: the window's, or an image's when
    // the control is rendered into one.
    const QPaintDevice* device = painter.device();
    const double scale = device ? device->devicePixelRatioF() : DisplayScale();
    // The target lies on device pixels, so antialiased edges would look the
    // same; they only take the picture off Qt's faster path for scaling.
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (TBitmapItem* item = multiResBitmap_.ItemToShow(float(scale))) {
        const QRectF target = Fitted(*item, scale, DeviceOrigin(painter.deviceTransform()));
        if (!target.isEmpty()) {
            painter.setRenderHint(QPainter::SmoothPixmapTransform, !disableInterpolation_);
            painter.drawImage(target, item->Bitmap().Image());
        }
    }
    PaintLoadProgress(painter);
}

QRectF TImage::LoadProgressRect() const {
    return {0, 0, Width(), std::min<double>(kLoadProgressHeight, Height())};
}

void TImage::ShowLoadProgress(double fraction) {
    if (fraction < 0) {
        if (loadProgress_ < 0) return;
        loadProgress_ = -1;
        // The load is over: the event loop repaints as it would have.
        Repaint();
        return;
    }
    fraction = std::min(fraction, 1.0);
    if (fraction == loadProgress_) return;
    const bool first = loadProgress_ < 0;
    loadProgress_ = fraction;
    // No event loop runs until the load is over: the bar is painted now. The
    // first time the whole window is, as what covered it meanwhile (the file
    // dialog that just closed) would otherwise stay on the screen.
    if (first && Form())
        Form()->RepaintNow();
    else
        RepaintNow(LoadProgressRect());
}

void TImage::PaintLoadProgress(QPainter& painter) const {
    if (loadProgress_ < 0) return;
    const TPlatformStyle::TProgressColours& colours = TPlatformStyle::Current().Progress;
    const QRectF track = LoadProgressRect();
    painter.fillRect(track, colours.Track);
    painter.fillRect(QRectF(track.topLeft(), QSizeF(track.width() * loadProgress_, track.height())),
                     colours.Bar);
}
