#pragma once

#include "TControl.h"
#include "TMultiResBitmap.h"

enum class TImageWrapMode { Fit };

// Shows one picture, scaled to fit the control and centred.
class TImage : public TControl {
public:
    using TControl::TControl;

    TMultiResBitmap& MultiResBitmap() { return multiResBitmap_; }
    // The picture for the window's display scale.
    TBitmap& Bitmap();
    TImageWrapMode WrapMode() const { return wrapMode_; }
    bool DisableInterpolation() const { return disableInterpolation_; }
    void SetDisableInterpolation(bool disable);

    // Where the picture is drawn in the control at a display scale.
    QRectF PictureRect(double displayScale);

protected:
    void Paint(QPainter& painter) override;

private:
    TBitmapItem& CurrentItem();

    TMultiResBitmap multiResBitmap_;
    TImageWrapMode wrapMode_ = TImageWrapMode::Fit;
    bool disableInterpolation_ = false;
};
