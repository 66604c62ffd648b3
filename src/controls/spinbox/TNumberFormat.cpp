#include "TNumberFormat.h"

#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace {

// No float from 2^63 up rounds into a signed 64-bit integer.
constexpr double kLargestReadable = 9223372036854775808.0;
// Decimals beyond this say nothing about a single-precision setting.
constexpr int kMostDecimals = 64;

bool IsAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// A single-character separator, or `fallback` when the locale uses none or
// a longer one that no single typed key could stand for.
QChar SingleChar(const QString& text, QChar fallback) {
    return text.size() == 1 ? text.front() : fallback;
}

}  // namespace

TNumberFormat::TNumberFormat(QChar decimal, QChar thousands)
    : decimal_(decimal), thousands_(thousands) {}

TNumberFormat TNumberFormat::FromLocale(const QLocale& locale) {
    return {SingleChar(locale.decimalPoint(), u'.'), SingleChar(locale.groupSeparator(), QChar())};
}

QString TNumberFormat::Clean(const QString& text) const {
    const bool dropThousands = !thousands_.isNull() && thousands_ != u'.' && thousands_ != u',';
    QString clean;
    clean.reserve(text.size());
    for (QChar c : text) {
        if (c.unicode() <= 32 || c == QChar(0x00A0) || (dropThousands && c == thousands_)) continue;
        clean.append(c);
    }
    return clean;
}

std::optional<double> TNumberFormat::Read(const QString& text, TNumValueType type) const {
    QString s = text.trimmed();
    if (!thousands_.isNull() && thousands_ != decimal_) s.remove(thousands_);

    // Down to ASCII: an optional sign, digits, at most one decimal point.
    std::string ascii;
    ascii.reserve(size_t(s.size()));
    bool negative = false;
    bool point = false;
    bool digits = false;
    bool wholeDigits = false;  // a non-zero digit before the point
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (i == 0 && (c == u'+' || c == u'-')) {
            negative = c == u'-';
        } else if (IsAsciiDigit(c)) {
            digits = true;
            if (!point && c != u'0') wholeDigits = true;
            ascii += char(c.unicode());
        } else if (!point && (c == decimal_ || c == u'.' || c == u',')) {
            point = true;
            ascii += '.';
        } else {
            return std::nullopt;
        }
    }
    if (!digits) return std::nullopt;

    float magnitude = 0;
    const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), magnitude);
    if (error == std::errc::result_out_of_range) {
        // Too small to tell from zero, or too large to hold.
        if (wholeDigits) return std::nullopt;
        magnitude = 0;
    } else if (error != std::errc() || end != ascii.data() + ascii.size()) {
        return std::nullopt;
    }
    double value = negative ? -double(magnitude) : double(magnitude);
    if (type == TNumValueType::Integer) value = RoundHalfEven(value);
    if (!std::isfinite(value) || std::abs(value) >= kLargestReadable) return std::nullopt;
    return value == 0 ? 0.0 : value;  // no negative zero
}

QString TNumberFormat::Display(double value, TNumValueType type, int digits) const {
    if (!std::isfinite(value)) return {};
    if (type == TNumValueType::Integer) {
        value = RoundHalfEven(value);
        digits = 0;
    }
    digits = std::clamp(digits, 0, kMostDecimals);
    // The largest double has 309 digits before the point.
    std::string buffer(size_t(320 + digits), '\0');
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::fixed, digits);
    if (error != std::errc()) return {};
    buffer.resize(size_t(end - buffer.data()));
    // A value that shows as zero shows without a sign.
    if (buffer.front() == '-' && buffer.find_first_of("123456789") == std::string::npos)
        buffer.erase(0, 1);
    QString text = QString::fromLatin1(buffer.data(), qsizetype(buffer.size()));
    text.replace(u'.', decimal_);
    return text;
}

bool TNumberFormat::Typable(QChar c, TNumValueType type) const {
    if (IsAsciiDigit(c) || c == u'+' || c == u'-') return true;
    return type == TNumValueType::Float && IsDecimalMark(c);
}

bool TNumberFormat::IsDecimalMark(QChar c) const {
    return c == u'.' || c == u',' || c == decimal_;
}

double TNumberFormat::RoundHalfEven(double value) {
    const double rounded = std::round(value);
    if (std::abs(value - std::trunc(value)) != 0.5) return rounded;
    return 2.0 * std::round(value / 2.0);
}
