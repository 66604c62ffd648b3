#include "NoteBlocks.h"

#include <QFontMetricsF>
#include <QPainter>
#include <vector>

#include "ChartFonts.h"
#include "ChartPalette.h"
#include "LabelSpace.h"
#include "Rng.h"

namespace {

struct Note {
    const char* heading;
    const char* body;
};

const Note kNotes[] = {
    {"CAUTION - SUBMARINE CABLES",
     "Mariners are advised not to anchor or trawl in the vicinity of submarine cables. Cables "
     "are not shown where they lie within harbour limits."},
    {"TIDAL STREAMS",
     "In the approaches the stream sets NE from 2 hours before until 4 hours after high water "
     "and SW at other times. Rates at springs reach 2.5 knots off the headlands and over the "
     "outer ledges, where overfalls form with wind against tide."},
    {"DEPTHS",
     "Depths are in metres and are reduced to Chart Datum, which is approximately the level of "
     "Lowest Astronomical Tide. Underlined figures are drying heights above Chart Datum."},
    {"POSITIONS",
     "Positions are referred to the local survey datum. Positions obtained from satellite "
     "navigation systems should be moved 0.05 minutes NORTHWARD and 0.08 minutes EASTWARD to "
     "agree with this chart."},
    {"SMALL CRAFT",
     "The inner harbour dries at half tide. Visiting craft are recommended to anchor in the "
     "outer road, clear of the fairway, and to call the harbour master before entering."},
    {"SOURCES",
     "Compiled from surveys of 1962 to 1989 at scales of 1:10 000 to 1:25 000, with later "
     "examinations of the entrance channels. Inshore areas are from older lead-line surveys."},
    {"NOT TO BE USED FOR NAVIGATION",
     "This sheet is printed for reference only. Lights, buoys and depths change; always consult "
     "the latest corrected edition and the local notices to mariners."},
};

}  // namespace

void NoteBlocks::draw(QPainter& painter, LabelSpace& space) const {
    Rng rng(seed_);
    const QFont headingFont = ChartFonts::sans(15, true);
    const QFont bodyFont = ChartFonts::serif(14);
    const QFontMetricsF headingMetrics(headingFont);
    const QFontMetricsF bodyMetrics(bodyFont);
    const double width = 440.0;

    std::vector<int> order;
    for (int i = 0; i < int(std::size(kNotes)); ++i) order.push_back(i);
    for (int i = int(order.size()) - 1; i > 0; --i) {
        std::swap(order[i], order[rng.next() % std::uint64_t(i + 1)]);
    }

    int placed = 0;
    for (int index : order) {
        if (placed == 3) break;
        const Note& note = kNotes[index];
        const QString body = QString::fromUtf8(note.body);
        const QRectF bodyBounds =
            bodyMetrics.boundingRect(QRectF(0, 0, width, 1000), Qt::TextWordWrap, body);
        const double headingHeight = headingMetrics.height() + 4;
        const QSizeF size(width, headingHeight + bodyBounds.height());

        // A clean patch of paper first; failing that, anything but other lettering.
        QRectF spot;
        for (std::uint8_t avoid :
             {LabelSpace::kAny, std::uint8_t(LabelSpace::kSolid | LabelSpace::kCoast)}) {
            for (int attempt = 0; attempt < 1500 && spot.isNull(); ++attempt) {
                const QRectF box(
                    QPointF(rng.uniform(area_.left() + 20, area_.right() - size.width() - 20),
                            rng.uniform(area_.top() + 20, area_.bottom() - size.height() - 20)),
                    size);
                if (space.tryReserve(box.adjusted(-10, -10, 10, 10), avoid)) spot = box;
            }
            if (!spot.isNull()) break;
        }
        if (spot.isNull()) continue;

        painter.save();
        painter.setPen(ChartPalette::kInk);
        painter.setFont(headingFont);
        painter.drawText(QRectF(spot.left(), spot.top(), width, headingHeight),
                         Qt::AlignLeft | Qt::AlignTop, QString::fromUtf8(note.heading));
        painter.setFont(bodyFont);
        painter.drawText(
            QRectF(spot.left(), spot.top() + headingHeight, width, bodyBounds.height() + 2),
            Qt::TextWordWrap | Qt::AlignJustify, body);
        painter.restore();
        ++placed;
    }
}
