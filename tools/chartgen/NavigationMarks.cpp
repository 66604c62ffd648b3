#include "NavigationMarks.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "ChartFonts.h"
#include "ChartPalette.h"
#include "ChartText.h"
#include "CoastModel.h"
#include "LabelSpace.h"

namespace {

const char* const kLightCharacters[] = {
    "Fl(2)WR.10s 34m 14M", "Fl.15s 52m 21M",   "Oc.WRG.6s 12m 9M",
    "Fl(3)20s 41m 18M",    "Iso.WRG.4s 9m 7M", "LFl.10s 28m 12M",
};
const char* const kPortBuoys[] = {"Fl.R.4s", "Q.R", "Fl(2)R.6s", "Fl.R.2.5s"};
const char* const kStarboardBuoys[] = {"Fl.G.4s", "Q.G", "Fl(2)G.6s", "Fl.G.2.5s"};

constexpr std::uint8_t kMarkAvoid = LabelSpace::kSolid | LabelSpace::kCoast;

}  // namespace

QPointF NavigationMarks::randomPoint(Rng& rng, double inset) const {
    return {rng.uniform(area_.left() + inset, area_.right() - inset),
            rng.uniform(area_.top() + inset, area_.bottom() - inset)};
}

bool NavigationMarks::label(QPainter& painter, LabelSpace& space, QPointF anchor,
                            const QString& text) const {
    const QFont font = ChartFonts::serif(14, false, true);
    const QRectF probe = ChartText::boxAround(font, text, QPointF());
    const double w = probe.width() / 2 + 16;
    // Rather off the shoreline than across it, but a legend is never dropped for that alone.
    for (const std::uint8_t avoid : {kMarkAvoid, LabelSpace::kSolid}) {
        for (const QPointF offset :
             {QPointF(w, 0), QPointF(-w, 0), QPointF(0, 22), QPointF(0, -22)}) {
            const QRectF box = ChartText::boxAround(font, text, anchor + offset);
            if (space.tryReserve(box.adjusted(-3, -3, 3, 3), avoid)) {
                ChartText::draw(painter, font, text, box, ChartPalette::kInk);
                return true;
            }
        }
    }
    return false;
}

void NavigationMarks::draw(QPainter& painter, LabelSpace& space,
                           const std::vector<QPolygonF>& coastline) const {
    Rng rng(seed_);
    painter.save();
    drawLights(painter, space, coastline, rng);
    drawBuoys(painter, space, rng);
    drawRocks(painter, space, rng);
    drawWrecks(painter, space, rng);
    drawAnchorage(painter, space, rng);
    painter.restore();
}

void NavigationMarks::drawLights(QPainter& painter, LabelSpace& space,
                                 const std::vector<QPolygonF>& coastline, Rng& rng) const {
    std::vector<QPointF> shore;
    for (const QPolygonF& line : coastline) {
        if (line.size() < 200) continue;
        for (int i = 0; i < line.size(); i += 25) shore.push_back(line[i]);
    }
    if (shore.empty()) return;

    int placed = 0;
    for (int attempt = 0; attempt < 400 && placed < 3; ++attempt) {
        const QPointF p = shore[rng.next() % shore.size()];
        if (!area_.adjusted(80, 80, -80, -80).contains(p)) continue;
        // Lights stand on points that jut out, with open water on most sides.
        int wet = 0;
        for (int k = 0; k < 16; ++k) {
            const double a = k * 3.14159265 / 8;
            if (coast_.isWater(p + QPointF(std::cos(a), std::sin(a)) * 90)) ++wet;
        }
        if (wet < 10) continue;
        const QRectF symbol(p.x() - 14, p.y() - 36, 40, 44);
        if (!space.tryReserve(symbol, LabelSpace::kSolid)) continue;

        // Flare: a magenta drop leaning away from the light's position.
        QPainterPath flare;
        flare.moveTo(0, 0);
        flare.cubicTo(QPointF(-7, -10), QPointF(-6, -30), QPointF(0, -31));
        flare.cubicTo(QPointF(6, -30), QPointF(7, -10), QPointF(0, 0));
        painter.save();
        painter.translate(p);
        painter.rotate(25);
        painter.setPen(QPen(ChartPalette::kLightFlare.darker(115), 0.8));
        QColor fill = ChartPalette::kLightFlare;
        fill.setAlpha(215);
        painter.setBrush(fill);
        painter.drawPath(flare);
        painter.restore();
        painter.setPen(Qt::NoPen);
        painter.setBrush(ChartPalette::kInk);
        painter.drawEllipse(p, 3.5, 3.5);

        const char* character = kLightCharacters[rng.next() % std::size(kLightCharacters)];
        label(painter, space, p + QPointF(8, -26), QString::fromUtf8(character));
        ++placed;
    }
}

void NavigationMarks::drawBuoys(QPainter& painter, LabelSpace& space, Rng& rng) const {
    int placed = 0;
    for (int attempt = 0; attempt < 3000 && placed < 6; ++attempt) {
        const QPointF p = randomPoint(rng, 60);
        const double depth = coast_.depthAt(p);
        if (depth < 4 || depth > 16) continue;
        const QRectF symbol(p.x() - 14, p.y() - 26, 28, 34);
        if (!space.tryReserve(symbol, kMarkAvoid)) continue;

        const bool port = rng.chance(0.5);
        // Lateral buoy: can or cone on a small base, leaning as the symbol is drawn.
        painter.save();
        painter.translate(p);
        painter.setPen(QPen(ChartPalette::kMagenta, 1.2));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QPointF(0, -12), 9, 9);  // lit
        painter.rotate(20);
        QPainterPath body;
        if (port) {
            body.addRect(QRectF(-4, -15, 8, 13));
        } else {
            body.moveTo(-5, -2);
            body.lineTo(0, -17);
            body.lineTo(5, -2);
            body.closeSubpath();
        }
        painter.setPen(QPen(ChartPalette::kInk, 1.0));
        painter.setBrush(port ? ChartPalette::kBuoyRed : ChartPalette::kBuoyGreen);
        painter.drawPath(body);
        painter.restore();
        painter.setPen(QPen(ChartPalette::kInk, 1.2));
        painter.drawLine(p + QPointF(-7, 0), p + QPointF(7, 0));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(p, 2.0, 2.0);

        const auto& table = port ? kPortBuoys : kStarboardBuoys;
        label(painter, space, p + QPointF(0, -8), QString::fromUtf8(table[rng.next() % 4]));
        ++placed;
    }
}

void NavigationMarks::drawRocks(QPainter& painter, LabelSpace& space, Rng& rng) const {
    int placed = 0;
    painter.setBrush(Qt::NoBrush);
    for (int attempt = 0; attempt < 8000 && placed < 22; ++attempt) {
        const QPointF p = randomPoint(rng, 30);
        const double depth = coast_.depthAt(p);
        if (depth < -1.5 || depth > 4 || coast_.isLand(p)) continue;
        const bool awash = depth < 0.8;
        const QRectF symbol(p.x() - 8, p.y() - 8, 16, 16);
        if (!space.tryReserve(symbol, LabelSpace::kSolid)) continue;
        painter.setPen(QPen(ChartPalette::kInk, 1.4));
        if (awash) {
            // Rock awash: an asterisk.
            for (int k = 0; k < 4; ++k) {
                const double a = k * 3.14159265 / 4;
                const QPointF d(std::cos(a) * 6, std::sin(a) * 6);
                painter.drawLine(p - d, p + d);
            }
        } else {
            // Underwater rock: a cross, sometimes ringed as a danger.
            painter.drawLine(p + QPointF(-6, 0), p + QPointF(6, 0));
            painter.drawLine(p + QPointF(0, -6), p + QPointF(0, 6));
            if (rng.chance(0.4)) {
                QPen dots(ChartPalette::kInk, 1.2, Qt::CustomDashLine, Qt::RoundCap);
                dots.setDashPattern({0.1, 3.0});
                painter.setPen(dots);
                painter.drawEllipse(p, 13, 13);
            }
        }
        ++placed;
    }
}

void NavigationMarks::drawWrecks(QPainter& painter, LabelSpace& space, Rng& rng) const {
    int placed = 0;
    for (int attempt = 0; attempt < 3000 && placed < 3; ++attempt) {
        const QPointF p = randomPoint(rng, 60);
        const double depth = coast_.depthAt(p);
        if (depth < 8 || depth > 45) continue;
        const QRectF symbol(p.x() - 22, p.y() - 22, 44, 44);
        if (!space.tryReserve(symbol, kMarkAvoid)) continue;
        painter.save();
        painter.translate(p);
        painter.rotate(rng.uniform(-30, 30));
        painter.setPen(QPen(ChartPalette::kInk, 1.4));
        painter.drawLine(QPointF(-14, 0), QPointF(14, 0));
        for (int k = -1; k <= 1; ++k) {
            painter.drawLine(QPointF(k * 7, -6), QPointF(k * 7, 6));
        }
        QPen dots(ChartPalette::kInk, 1.2, Qt::CustomDashLine, Qt::RoundCap);
        dots.setDashPattern({0.1, 3.0});
        painter.setPen(dots);
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QPointF(), 20, 14);
        painter.restore();
        if (rng.chance(0.6)) label(painter, space, p + QPointF(0, 6), QStringLiteral("Wk"));
        ++placed;
    }
}

void NavigationMarks::drawAnchorage(QPainter& painter, LabelSpace& space, Rng& rng) const {
    for (int attempt = 0; attempt < 3000; ++attempt) {
        const QPointF p = randomPoint(rng, 80);
        const double depth = coast_.depthAt(p);
        if (depth < 4 || depth > 12) continue;
        const QRectF symbol(p.x() - 16, p.y() - 20, 32, 40);
        if (!space.tryReserve(symbol, kMarkAvoid)) continue;
        painter.save();
        painter.translate(p);
        painter.setPen(QPen(ChartPalette::kMagenta, 2.0, Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QPointF(0, -14), 3.5, 3.5);
        painter.drawLine(QPointF(0, -10), QPointF(0, 14));
        painter.drawLine(QPointF(-7, -5), QPointF(7, -5));
        painter.drawArc(QRectF(-12, 0, 24, 16), 180 * 16, 180 * 16);
        painter.restore();
        return;
    }
}
