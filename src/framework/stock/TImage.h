#pragma once

#include "TMultiResBitmap.h"
#include "framework/window/TControl.h"

enum class TImageWrapMode { Fit };

// Shows one picture, as large as fits in the control with its aspect ratio,
// centred; the bands beside it show what lies behind.
class TImage : public TControl {
    Q_OBJECT

public:
    explicit TImage(TComponent* owner);

    TMultiResBitmap& MultiResBitmap() { return multiResBitmap_; }
    // The picture for the window's display scale.
    TBitmap& Bitmap();
    TImageWrapMode WrapMode() const { return wrapMode_; }
    void SetWrapMode(TImageWrapMode mode);
    bool DisableInterpolation() const { return disableInterpolation_; }
    void SetDisableInterpolation(bool disable);

    // Where the picture is drawn in the control when the window shows it at
    // a display scale; empty when nothing is drawn.
    QRectF PictureRect(double displayScale);
    QRectF OpaqueCover() override;
    // How far a long load into the picture has come, 0 to 1; negative when
    // none is going on.
    double LoadProgress() const { return loadProgress_; }
    // The thin bar along the top edge that shows it, in the control's own
    // coordinates.
    QRectF LoadProgressRect() const;

protected:
    void Paint(QPainter& painter) override;

private:
    // Origin: where the control's top-left corner falls in device pixels.
    QRectF Fitted(TBitmapItem& item, double displayScale, QPointF origin) const;
    void ShowLoadProgress(double fraction);
    void PaintLoadProgress(QPainter& painter) const;

    TMultiResBitmap multiResBitmap_;
    TImageWrapMode wrapMode_ = TImageWrapMode::Fit;
    bool disableInterpolation_ = false;
    double loadProgress_ = -1;
};
