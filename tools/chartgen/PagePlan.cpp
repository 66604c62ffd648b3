#include "PagePlan.h"

std::array<PagePlan, 4> PagePlan::sheet() {
    std::array<PagePlan, 4> pages;

    PagePlan& a = pages[0];
    a.seed = 0x5EA5C0A57A11ull;
    a.landBearingDeg = 8.0;
    a.coastCentre = {0.5, 0.42};
    a.chartNumber = "2417";
    a.title = "KESTLE SOUND";
    a.subtitle = "WESTERN APPROACHES";
    a.westLonDeg = -6.0 - 40.0 / 60.0;
    a.midLatDeg = 50.0 + 52.0 / 60.0;
    a.variationDeg = -3.6;
    a.photoAngleDeg = 0.32;
    a.photoScale = 0.992;
    a.photoShift = {4.0, 3.0};
    a.keystone = {2.2e-6, -1.5e-6};
    a.barrel = -0.005;
    a.exposure = 1.0;
    a.vignette = 0.29;
    a.lightBearingDeg = 300.0;
    a.lightGradient = 0.08;
    a.warmth = 1.0;
    a.verticalFold = true;

    PagePlan& b = pages[1];
    b.seed = 0xB0A7BA5E2211ull;
    b.landBearingDeg = 62.0;
    b.coastCentre = {0.62, 0.5};
    b.landSlope = 1.1;
    b.chartNumber = "2418";
    b.title = "HARROWAY HEAD";
    b.subtitle = "TO BRACKWATER BAY";
    b.westLonDeg = -6.0 - 10.0 / 60.0;
    b.midLatDeg = 50.0 + 52.0 / 60.0;
    b.variationDeg = -3.4;
    b.roseCount = 1;
    b.photoAngleDeg = -0.24;
    b.photoScale = 1.004;
    b.photoShift = {6.0, -2.0};
    b.keystone = {-1.8e-6, 2.0e-6};
    b.barrel = -0.004;
    b.exposure = 0.98;
    b.vignette = 0.27;
    b.lightBearingDeg = 60.0;
    b.lightGradient = 0.09;
    b.warmth = 1.2;
    b.horizontalFold = true;

    PagePlan& c = pages[2];
    c.seed = 0xC0A57E11AB0Cull;
    c.landBearingDeg = 200.0;
    c.coastCentre = {0.45, 0.62};
    c.landSlope = 1.0;
    c.chartNumber = "2431";
    c.title = "MERRIN ISLANDS";
    c.subtitle = "AND THE OUTER LEDGES";
    c.westLonDeg = -6.0 - 40.0 / 60.0;
    c.midLatDeg = 50.0 + 40.0 / 60.0;
    c.variationDeg = -3.7;
    c.photoAngleDeg = 0.18;
    c.photoScale = 1.006;
    c.photoShift = {-3.0, 2.0};
    c.keystone = {1.2e-6, 2.4e-6};
    c.barrel = -0.006;
    c.exposure = 1.02;
    c.vignette = 0.31;
    c.lightBearingDeg = 250.0;
    c.lightGradient = 0.07;
    c.warmth = 0.85;

    PagePlan& d = pages[3];
    d.seed = 0xD0C4A1DE5E4ull;
    d.landBearingDeg = 150.0;
    d.coastCentre = {0.55, 0.55};
    d.landSlope = 1.15;
    d.chartNumber = "2432";
    d.title = "PORT ALDERSEA";
    d.subtitle = "AND APPROACHES";
    d.westLonDeg = -6.0 - 10.0 / 60.0;
    d.midLatDeg = 50.0 + 40.0 / 60.0;
    d.variationDeg = -3.5;
    d.photoAngleDeg = -0.41;
    d.photoScale = 0.988;
    d.photoShift = {-5.0, -4.0};
    d.keystone = {-2.5e-6, -1.2e-6};
    d.barrel = -0.005;
    d.exposure = 0.99;
    d.vignette = 0.27;
    d.lightBearingDeg = 130.0;
    d.lightGradient = 0.08;
    d.warmth = 1.1;
    d.verticalFold = true;

    return pages;
}
