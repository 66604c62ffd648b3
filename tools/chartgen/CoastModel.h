#pragma once

#include <QPointF>
#include <QSize>

#include "HeightField.h"
#include "PagePlan.h"

// The invented landscape under one page: a single height value per point, positive on land,
// negative under water. Depths, drying ground and hill heights are all read from it so that
// contours, tints and soundings always agree with each other.
class CoastModel {
public:
    CoastModel(const PagePlan& plan, QSize pageSize);

    const HeightField& field() const { return field_; }
    float heightAt(QPointF p) const { return field_.sample(float(p.x()), float(p.y())); }

    // Shoreline (high water) and chart datum, in field units.
    static constexpr float kCoastLevel = 0.0f;
    static constexpr float kDatumLevel = -0.03f;

    // Metres below chart datum for a field value under water.
    static double depthForLevel(float level);
    static float levelForDepth(double metres);
    // Metres above high water for a field value on land.
    static double altitudeForLevel(float level);
    static float levelForAltitude(double metres);

    double depthAt(QPointF p) const { return depthForLevel(heightAt(p)); }
    bool isLand(QPointF p) const { return heightAt(p) > kCoastLevel; }
    bool isWater(QPointF p) const { return heightAt(p) < kDatumLevel; }

private:
    void fillInlandHollows();

    HeightField field_;
};
