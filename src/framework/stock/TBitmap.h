#pragma once

#include <QImage>
#include <QString>
#include <functional>

#include "framework/core/TObject.h"

// A picture of 32-bit premultiplied BGRA pixels (Format_ARGB32_Premultiplied).
// Loading keeps it at most 8192 on a side.
class TBitmap : public TObject {
public:
    TBitmap() = default;
    explicit TBitmap(QImage image);

    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    bool IsEmpty() const { return image_.isNull(); }
    const QImage& Image() const { return image_; }
    // Whether every pixel is fully opaque; worked out once for each picture.
    bool IsOpaque() const;

    // Takes the size and pixels of another picture; the source stays its
    // owner's. No source empties the picture.
    void Assign(const TBitmap* source);
    void SetImage(QImage image);
    // Replaces the picture with the first frame of a picture file, whatever
    // its name says. Throws EFOpenError or EBitmapLoadingFailed; on failure
    // the picture stays as it was.
    void LoadFromFile(const QString& path);

    // Called after every change of the pixels.
    std::function<void()> OnChange;
    // Shows how far a long LoadFromFile has come (see TLoadProgress): a
    // fraction from 0 to 1, then a negative one when the load is over.
    std::function<void(double fraction)> OnLoadProgress;

private:
    friend class TBitmapItem;
    // Takes pixels the picture already stood for (a compressed picture
    // decoded at first use): nobody watching sees a change. A decoder that
    // saw every pixel opaque says so, and IsOpaque needn't look again.
    void Adopt(QImage image, bool opaque = false);
    static QImage Normalised(QImage image);

    QImage image_;
    // The picture IsOpaque last looked at (its cache key), and its answer.
    mutable qint64 opaqueKey_ = 0;
    mutable bool opaque_ = false;
};
