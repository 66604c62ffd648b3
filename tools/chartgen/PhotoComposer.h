#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QTransform>
#include <cstdint>
#include <memory>
#include <vector>

#include "PaperTexture.h"
#include "PhotoLighting.h"
#include "SensorGrain.h"

struct PagePlan;

// Lays the photographed pages into one frame. For each output pixel it works back through the
// camera (barrel distortion, tilt, a slight turn) to the paper, picks up the printed colour, and
// applies paper texture, light and sensor grain. Pixels that miss the paper stay plain white.
class PhotoComposer {
public:
    PhotoComposer(QSize frameSize, std::uint64_t seed);
    ~PhotoComposer();

    // `page` must outlive compose().
    void addPhoto(const QImage& page, const PagePlan& plan, const QRect& cell);

    QImage compose() const;

private:
    struct Photo;
    void composeRows(QImage& frame, int begin, int end) const;
    void composeSpan(const Photo& photo, int y, int x0, int x1, std::uint8_t* out) const;

    QSize frameSize_;
    PaperTexture texture_;
    SensorGrain grain_;
    std::vector<std::unique_ptr<Photo>> photos_;
};
