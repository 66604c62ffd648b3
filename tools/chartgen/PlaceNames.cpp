#include "PlaceNames.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

#include "ChartFonts.h"
#include "ChartPalette.h"
#include "ChartText.h"
#include "CoastModel.h"
#include "LabelSpace.h"
#include "NameBook.h"

namespace {

constexpr std::uint8_t kNameAvoid = LabelSpace::kSolid | LabelSpace::kCoast;

}  // namespace

QPointF PlaceNames::randomPoint(Rng& rng, double inset) const {
    return {rng.uniform(area_.left() + inset, area_.right() - inset),
            rng.uniform(area_.top() + inset, area_.bottom() - inset)};
}

bool PlaceNames::fits(const QRectF& box, Ground ground) const {
    if (ground == Ground::Any) return true;
    for (int j = 0; j <= 2; ++j) {
        for (int i = 0; i <= 4; ++i) {
            const QPointF p(box.left() + box.width() * i / 4, box.top() + box.height() * j / 2);
            const bool land = coast_.isLand(p);
            if (ground == Ground::Land ? !land : !coast_.isWater(p)) return false;
        }
    }
    return true;
}

bool PlaceNames::place(QPainter& painter, LabelSpace& space, const QString& text, const QFont& font,
                       const QColor& colour, QPointF centre, Ground ground) const {
    const QRectF box = ChartText::boxAround(font, text, centre);
    if (!fits(box.adjusted(-4, -4, 4, 4), ground)) return false;
    if (!space.tryReserve(box.adjusted(-5, -5, 5, 5), kNameAvoid)) return false;
    ChartText::draw(painter, font, text, box, colour);
    return true;
}

void PlaceNames::draw(QPainter& painter, LabelSpace& space, NameBook& names) const {
    Rng rng(seed_);
    drawTowns(painter, space, names, rng);
    drawSpotHeights(painter, space, names, rng);
    drawHeadlands(painter, space, names, rng);
    drawWaterNames(painter, space, names, rng);
}

void PlaceNames::drawTowns(QPainter& painter, LabelSpace& space, NameBook& names, Rng& rng) const {
    std::vector<QPointF> placed;
    QString name = names.town();
    for (int attempt = 0; attempt < 4000 && placed.size() < 2; ++attempt) {
        const QPointF centre = randomPoint(rng, 120);
        const float h = coast_.heightAt(centre);
        if (h < 0.02f || h > 0.12f) continue;  // towns sit low, by the water
        const bool crowded = std::any_of(placed.begin(), placed.end(), [centre](QPointF other) {
            return std::hypot(centre.x() - other.x(), centre.y() - other.y()) < 600.0;
        });
        if (crowded) continue;
        const QRectF footprint(centre.x() - 46, centre.y() - 30, 92, 60);
        if (!fits(footprint, Ground::Land) || !space.isFree(footprint, kNameAvoid)) continue;

        const QFont font = ChartFonts::serif(24, true);
        const QPointF labelCentre = centre + QPointF(0, rng.chance(0.5) ? -52 : 52);
        const QRectF box = ChartText::boxAround(font, name, labelCentre);
        if (!fits(box, Ground::Land) || !space.isFree(box.adjusted(-4, -4, 4, 4), kNameAvoid)) {
            continue;
        }
        space.reserve(footprint, LabelSpace::kMark);
        space.reserve(box.adjusted(-4, -4, 4, 4), LabelSpace::kMark);

        // Built-up area: a street or two with blocks of houses along them.
        painter.save();
        painter.setPen(QPen(ChartPalette::kInk, 1.0));
        const double angle = rng.uniform(0, 180);
        painter.translate(centre);
        painter.rotate(angle);
        painter.drawLine(QPointF(-40, 0), QPointF(40, 0));
        painter.drawLine(QPointF(0, -24), QPointF(0, 24));
        painter.setPen(Qt::NoPen);
        painter.setBrush(ChartPalette::kInk);
        for (int i = 0; i < 26; ++i) {
            const double along = rng.uniform(-36, 36);
            const double side = (rng.chance(0.5) ? 1 : -1) * rng.uniform(3, 9);
            const bool onMain = rng.chance(0.65);
            const QPointF p = onMain ? QPointF(along, side) : QPointF(side, along * 0.6);
            painter.drawRect(QRectF(p.x() - 2.5, p.y() - 2, rng.uniform(3, 6), rng.uniform(3, 5)));
        }
        painter.restore();
        ChartText::draw(painter, font, name, box, ChartPalette::kInk);
        placed.push_back(centre);
        name = names.town();
    }
}

void PlaceNames::drawSpotHeights(QPainter& painter, LabelSpace& space, NameBook& names,
                                 Rng& rng) const {
    // Local highs on a coarse lattice make believable summits.
    const double step = 50.0;
    const int cols = int(area_.width() / step);
    const int rows = int(area_.height() / step);
    int hills = 0;
    for (int r = 2; r < rows - 2; ++r) {
        for (int c = 2; c < cols - 2; ++c) {
            const QPointF p(area_.left() + c * step, area_.top() + r * step);
            const float h = coast_.heightAt(p);
            if (h < 0.18f) continue;
            bool summit = true;
            for (int dr = -2; dr <= 2 && summit; ++dr) {
                for (int dc = -2; dc <= 2; ++dc) {
                    if ((dr || dc) && coast_.heightAt(p + QPointF(dc * step, dr * step)) >= h) {
                        summit = false;
                        break;
                    }
                }
            }
            if (!summit) continue;
            const QString height = QString::number(int(CoastModel::altitudeForLevel(h)));
            const QFont font = ChartFonts::serif(15);
            const QRectF box = ChartText::boxAround(font, height, p + QPointF(26, 0));
            const QRectF dot(p.x() - 3, p.y() - 3, 6, 6);
            if (!space.tryReserve(box.united(dot).adjusted(-4, -4, 4, 4), kNameAvoid)) continue;
            painter.setPen(Qt::NoPen);
            painter.setBrush(ChartPalette::kInk);
            painter.drawEllipse(dot);
            ChartText::draw(painter, font, height, box, ChartPalette::kInk);
            if (hills < 3 && rng.chance(0.7)) {
                if (place(painter, space, names.hill(), ChartFonts::serif(18), ChartPalette::kInk,
                          p + QPointF(0, -30), Ground::Land)) {
                    ++hills;
                }
            }
        }
    }
}

void PlaceNames::drawHeadlands(QPainter& painter, LabelSpace& space, NameBook& names,
                               Rng& rng) const {
    std::vector<QPointF> placed;
    for (int attempt = 0; attempt < 6000 && placed.size() < 6; ++attempt) {
        const QPointF p = randomPoint(rng, 60);
        const float h = coast_.heightAt(p);
        if (h < 0.01f || h > 0.08f) continue;
        const bool crowded = std::any_of(placed.begin(), placed.end(), [p](QPointF other) {
            return std::hypot(p.x() - other.x(), p.y() - other.y()) < 380.0;
        });
        if (crowded) continue;  // one name to a headland
        // A headland has water on more than half of its surroundings.
        int wet = 0;
        for (int k = 0; k < 16; ++k) {
            const double a = k * 3.14159265 / 8;
            if (!coast_.isLand(p + QPointF(std::cos(a), std::sin(a)) * 110)) ++wet;
        }
        if (wet < 9) continue;
        const QFont font = ChartFonts::serif(18);
        const QString name = names.headland();
        for (const QPointF offset : {QPointF(0, 0), QPointF(-60, -20), QPointF(60, 20)}) {
            if (place(painter, space, name, font, ChartPalette::kInk, p + offset, Ground::Land)) {
                placed.push_back(p);
                break;
            }
        }
    }
}

void PlaceNames::drawWaterNames(QPainter& painter, LabelSpace& space, NameBook& names,
                                Rng& rng) const {
    int bays = 0;
    for (int attempt = 0; attempt < 6000 && bays < 4; ++attempt) {
        const QPointF p = randomPoint(rng, 80);
        const double depth = coast_.depthAt(p);
        if (depth < 2 || depth > 14) continue;
        int dry = 0;
        for (int k = 0; k < 16; ++k) {
            const double a = k * 3.14159265 / 8;
            if (coast_.isLand(p + QPointF(std::cos(a), std::sin(a)) * 220)) ++dry;
        }
        if (dry < 7) continue;  // enclosed by land on several sides: a bay
        QFont font = ChartFonts::serif(21, false, true);
        font.setLetterSpacing(QFont::AbsoluteSpacing, 2.0);
        if (place(painter, space, names.bay(), font, ChartPalette::kInk, p, Ground::Water)) ++bays;
    }

    int offshore = 0;
    for (int attempt = 0; attempt < 6000 && offshore < 4; ++attempt) {
        const QPointF p = randomPoint(rng, 80);
        const double depth = coast_.depthAt(p);
        if (depth < 1 || depth > 9) continue;
        if (coast_.depthAt(p + QPointF(0, 160)) < 12 && coast_.depthAt(p + QPointF(0, -160)) < 12)
            continue;  // wants deeper water around it to stand out as a bank
        const QFont font = ChartFonts::serif(17, false, true);
        const QString name = rng.chance(0.5) ? names.bank() : names.rocks();
        if (place(painter, space, name, font, ChartPalette::kInk, p + QPointF(0, -24),
                  Ground::Water)) {
            ++offshore;
        }
    }

    // The open water carries the widely spaced name of the sea area.
    QFont big = ChartFonts::serif(34, false, true);
    big.setLetterSpacing(QFont::AbsoluteSpacing, 14.0);
    const char* const seas[] = {"THE  SOUNDINGS", "OUTER  ROAD", "KESTLE  SOUND", "THE  LEDGES",
                                "MERRIN  ROADS"};
    const QString sea = QString::fromUtf8(seas[rng.next() % std::size(seas)]);
    for (int attempt = 0; attempt < 3000; ++attempt) {
        const QPointF p = randomPoint(rng, 300);
        if (coast_.depthAt(p) < 25) continue;
        if (place(painter, space, sea, big, QColor(40, 52, 80), p, Ground::Water)) break;
    }
}
