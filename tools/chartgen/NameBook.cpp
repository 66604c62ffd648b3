#include "NameBook.h"

#include <vector>

namespace {

const std::vector<const char*> kStems = {
    "Gull",   "Raven",   "Marl",    "Hollin", "Skarr",   "Wend",   "Carrow", "Tregar", "Pellow",
    "Ossick", "Fenn",    "Thorn",   "Kell",   "Lanner",  "Morrow", "Quoy",   "Scarth", "Tarn",
    "Ulla",   "Varrow",  "Whin",    "Brant",  "Cold",    "Dunnet", "Eskel",  "Farra",  "Gorran",
    "Hesk",   "Ivel",    "Jory",    "Kittle", "Lowther", "Mewan",  "Nessel", "Orrin",  "Porth",
    "Rushy",  "Saltern", "Trevask", "Ushel",  "Veor",    "Wrack",  "Yarrow", "Zennal", "Black",
    "Grey",   "Long",    "Little",  "Great",  "Shag",    "Seal",   "Crab",   "Heron",  "Mackerel",
};

const std::vector<const char*> kTowns = {
    "Aldersea",  "Pellowick", "Carrowmouth", "St Ivel",  "Tregarby", "Morrowham",
    "Kestleton", "Whinport",  "Fennbury",    "Lannerby", "Skarrow",  "Dunnet Quay",
};

}  // namespace

QString NameBook::stem() {
    return QString::fromUtf8(kStems[rng_.next() % kStems.size()]);
}

QString NameBook::unique(const QString& candidate) {
    QString name = candidate;
    for (int attempt = 0; used_.contains(name) && attempt < 8; ++attempt) {
        name = QStringLiteral("%1 %2").arg(stem(), candidate.section(' ', -1));
    }
    used_.insert(name);
    return name;
}

QString NameBook::compose(std::initializer_list<const char*> suffixes, bool suffixFirst) {
    const auto* it = suffixes.begin() + rng_.next() % suffixes.size();
    const QString suffix = QString::fromUtf8(*it);
    return unique(suffixFirst ? QStringLiteral("%1 %2").arg(suffix, stem())
                              : QStringLiteral("%1 %2").arg(stem(), suffix));
}

QString NameBook::headland() {
    return rng_.chance(0.3) ? compose({"Cape", "Mull of"}, true)
                            : compose({"Point", "Head", "Ness", "Nab"});
}

QString NameBook::hill() {
    return compose({"Hill", "Down", "Beacon", "Tor", "Knap"});
}

QString NameBook::town() {
    // Town names are whole names; only draw again rather than bolting a stem onto one.
    QString name;
    for (int attempt = 0; attempt < 16 && (name.isEmpty() || used_.contains(name)); ++attempt) {
        name = QString::fromUtf8(kTowns[rng_.next() % kTowns.size()]);
    }
    used_.insert(name);
    return name;
}

QString NameBook::bay() {
    return compose({"Bay", "Cove", "Road", "Pool", "Reach", "Haven"});
}

QString NameBook::rocks() {
    return compose({"Rocks", "Ledges", "Stones", "Carrs", "Reef"});
}

QString NameBook::bank() {
    return compose({"Bank", "Shoal", "Patch", "Ground"});
}
