#pragma once

#include <QImage>
#include <QString>
#include <functional>

#include "TObject.h"

// A picture of 32-bit premultiplied BGRA pixels, at most 8192 on a side.
class TBitmap : public TObject {
public:
    static constexpr int MaxSize = 8192;

    TBitmap() = default;
    explicit TBitmap(QImage image);

    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    bool IsEmpty() const { return image_.isNull(); }
    const QImage& Image() const { return image_; }

    // Takes the pixels of another picture; the source stays its owner's.
    void Assign(const TBitmap* source);
    void SetImage(QImage image);
    // Replaces the picture with the one decoded from a file; on failure the
    // picture stays as it was.
    void LoadFromFile(const QString& path);

    // Called after every change of the pixels.
    std::function<void()> OnChange;

private:
    void Changed();

    QImage image_;
};
