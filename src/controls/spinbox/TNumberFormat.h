#pragma once

#include <QChar>
#include <QString>
#include <optional>

class QLocale;

enum class TNumValueType { Integer, Float };

// How the spin box writes and reads numbers: the user's decimal and
// thousands separators, and the text rules that depend on them. Plain
// decimal notation with ASCII digits; no exponents, no grouping on output.
class TNumberFormat {
public:
    // The notation of the C locale: "." for decimals, "," for thousands.
    TNumberFormat() = default;
    // A null thousands separator means the locale groups with nothing.
    TNumberFormat(QChar decimal, QChar thousands);
    static TNumberFormat FromLocale(const QLocale& locale);

    QChar Decimal() const { return decimal_; }
    QChar Thousands() const { return thousands_; }

    // Drops what a received text must never hold: control characters and
    // blanks, no-break spaces, and a thousands separator that can't be
    // mistaken for a decimal mark.
    QString Clean(const QString& text) const;
    // The number a text stands for, in single precision, rounded to a whole
    // number in Integer mode; nothing when it is not a number or too large
    // to round into a 64-bit integer.
    std::optional<double> Read(const QString& text, TNumValueType type) const;
    // The text for a value: a plain integer, or fixed-point with `digits`
    // decimals. Halves go to the even neighbour.
    QString Display(double value, TNumValueType type, int digits) const;

    // Whether typing the character may insert it.
    bool Typable(QChar c, TNumValueType type) const;
    // ".", "," or the locale's decimal separator: the characters that stand
    // in for one another as a typed decimal mark.
    bool IsDecimalMark(QChar c) const;

    static double RoundHalfEven(double value);

private:
    QChar decimal_ = u'.';
    QChar thousands_ = u',';
};
