#pragma once

#include <QSet>
#include <QString>
#include <cstdint>

#include "Rng.h"

// Invented place names in the manner of an old coastal survey, never repeating on a page.
class NameBook {
public:
    explicit NameBook(std::uint64_t seed) : rng_(seed) {}

    QString headland();
    QString hill();
    QString town();
    QString bay();
    QString rocks();
    QString bank();

private:
    QString stem();
    QString unique(const QString& candidate);
    QString compose(std::initializer_list<const char*> suffixes, bool suffixFirst = false);

    Rng rng_;
    QSet<QString> used_;
};
