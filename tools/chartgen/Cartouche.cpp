#include "Cartouche.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <vector>

#include "ChartFonts.h"
#include "ChartPalette.h"
#include "CoastModel.h"
#include "LabelSpace.h"
#include "Rng.h"

namespace {

// Space for the short rule between the title and the technical lines.
constexpr double kRuleGap = 10.0;

}  // namespace

double Cartouche::landShare(const QRectF& box) const {
    int land = 0;
    int total = 0;
    for (int j = 0; j <= 6; ++j) {
        for (int i = 0; i <= 10; ++i) {
            const QPointF p(box.left() + box.width() * i / 10, box.top() + box.height() * j / 6);
            land += coast_.isLand(p) ? 1 : 0;
            ++total;
        }
    }
    return double(land) / total;
}

void Cartouche::draw(QPainter& painter, LabelSpace& space) const {
    const int minutes = int(plan_.midLatDeg * 60.0 + 0.5);
    const std::vector<Line> lines = {
        {QStringLiteral("SOUTH WEST COAST"), 17, false, false},
        {plan_.title, 42, true, false},
        {plan_.subtitle, 25, false, false},
        {QStringLiteral("SOUNDINGS IN METRES"), 19, true, false},
        {QStringLiteral("reduced to Chart Datum"), 15, false, true},
        {QStringLiteral("Scale 1:25 000 at lat %1°%2'")
             .arg(minutes / 60)
             .arg(minutes % 60, 2, 10, QLatin1Char('0')),
         16, false, false},
        {QStringLiteral("Mercator Projection"), 15, false, true},
        {QStringLiteral("HEIGHTS IN METRES ABOVE MEAN HIGH WATER SPRINGS"), 13, false, false},
    };

    double width = 0.0;
    double height = 0.0;
    std::vector<double> advances;
    for (const Line& line : lines) {
        const QFontMetricsF metrics(ChartFonts::serif(line.pixels, line.bold, line.italic));
        width = std::max(width, metrics.horizontalAdvance(line.text));
        advances.push_back(metrics.height() + 3);
        height += advances.back();
    }
    height += kRuleGap;
    const double padX = 36.0;
    const double padY = 26.0;
    const QSizeF size(width + 2 * padX, height + 2 * padY);

    // Best spot: mostly land, otherwise the first free one.
    Rng rng(plan_.seed ^ 0xCA27u);
    QRectF best;
    double bestScore = -1.0;
    for (int attempt = 0; attempt < 1500; ++attempt) {
        const QPointF topLeft(rng.uniform(area_.left() + 30, area_.right() - size.width() - 30),
                              rng.uniform(area_.top() + 30, area_.bottom() - size.height() - 30));
        const QRectF box(topLeft, size);
        if (!space.isFree(box.adjusted(-8, -8, 8, 8), LabelSpace::kSolid)) continue;
        const double score = landShare(box);
        if (score > bestScore) {
            bestScore = score;
            best = box;
        }
    }
    if (bestScore < 0.0) return;
    space.reserve(best.adjusted(-8, -8, 8, 8), LabelSpace::kMark);

    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(ChartPalette::kPaper);
    painter.drawRect(best);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(ChartPalette::kInk, 2.4, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawRect(best);
    painter.setPen(QPen(ChartPalette::kInk, 0.9));
    painter.drawRect(best.adjusted(6, 6, -6, -6));

    double y = best.top() + padY;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        painter.setFont(ChartFonts::serif(line.pixels, line.bold, line.italic));
        painter.setPen(ChartPalette::kInk);
        painter.drawText(QRectF(best.left(), y, best.width(), advances[i]), Qt::AlignCenter,
                         line.text);
        y += advances[i];
        if (i == 2) {
            painter.setPen(QPen(ChartPalette::kInk, 0.8));
            painter.drawLine(QPointF(best.center().x() - 90, y + kRuleGap / 2),
                             QPointF(best.center().x() + 90, y + kRuleGap / 2));
            y += kRuleGap;
        }
    }
    painter.restore();
}
