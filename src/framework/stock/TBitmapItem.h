#pragma once

#include <QByteArray>
#include <QSize>
#include <functional>
#include <memory>

#include "TBitmap.h"

class BackgroundDecode;

// One entry of a picture store: a scale and a picture. An entry read from a
// window description keeps the compressed file until the picture is first
// needed, then only the decoded pixels. A file laid out for it (the built-in
// chart) is decoded on worker threads from the moment it is set, while the
// window is built; its first use takes the result.
class TBitmapItem {
public:
    explicit TBitmapItem(float scale = 1);
    ~TBitmapItem();
    TBitmapItem(const TBitmapItem&) = delete;
    TBitmapItem& operator=(const TBitmapItem&) = delete;

    float Scale() const { return scale_; }
    // The picture, decoded now if it is still compressed.
    TBitmap& Bitmap();
    bool HoldsPixels() const { return !compressed_.isEmpty() || !bitmap_.IsEmpty(); }
    bool IsDecoded() const { return compressed_.isEmpty(); }

    // Keeps a compressed picture for decoding at first use.
    void SetCompressed(QByteArray bytes, QSize recordedSize);
    // The same, taking over a decode already started on these same bytes.
    void SetCompressed(QByteArray bytes, QSize recordedSize,
                       std::unique_ptr<BackgroundDecode> started);
    // The size the description recorded for the compressed picture.
    QSize RecordedSize() const { return recordedSize_; }

    // Called after every change of the entry's picture.
    void SetOnChange(std::function<void()> onChange);
    // Shows how far a long load into the entry's picture has come.
    void SetOnLoadProgress(std::function<void(double fraction)> onLoadProgress);

private:
    void ReleaseCompressed();

    float scale_ = 1;
    QByteArray compressed_;
    std::unique_ptr<BackgroundDecode> decode_;
    QSize recordedSize_;
    TBitmap bitmap_;
};
