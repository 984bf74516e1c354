#include "core/settings/number.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace pelmora {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Scans the numeric beginning of s; returns its length (0 when there is none).
// The exponent belongs to the number only when at least one digit follows it.
size_t NumericPrefix(const std::string& s) {
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t digits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return 0;
    size_t end = i;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < s.size() && IsDigit(s[j])) {
            while (j < s.size() && IsDigit(s[j])) ++j;
            end = j;
        }
    }
    return end;
}

// When the prefix is beyond what a double holds: true for a huge magnitude,
// false for one that underflows towards zero.
bool IsHuge(const std::string& num) {
    size_t i = 0;
    if (i < num.size() && (num[i] == '+' || num[i] == '-')) ++i;
    // Decimal order of the first non-zero digit, relative to the point.
    long long order = 0;
    bool seenPoint = false, seenNonZero = false;
    long long intDigits = 0, leadingFracZeros = 0;
    for (; i < num.size() && num[i] != 'e' && num[i] != 'E'; ++i) {
        if (num[i] == '.') {
            seenPoint = true;
            continue;
        }
        if (!seenPoint) {
            if (seenNonZero || num[i] != '0') {
                seenNonZero = true;
                ++intDigits;
            }
        } else if (!seenNonZero) {
            if (num[i] == '0')
                ++leadingFracZeros;
            else
                seenNonZero = true;
        }
    }
    if (!seenNonZero) return false;
    order = intDigits > 0 ? intDigits : -leadingFracZeros;
    long long exponent = 0;
    bool negative = false;
    if (i < num.size()) {
        ++i;
        if (i < num.size() && (num[i] == '+' || num[i] == '-')) negative = num[i++] == '-';
        for (; i < num.size(); ++i) {
            exponent = exponent * 10 + (num[i] - '0');
            if (exponent > 1'000'000'000) break;  // far beyond any double
        }
    }
    return order + (negative ? -exponent : exponent) > 0;
}

}  // namespace

double RoundHalfEven(double value) {
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff < 0.5) return floor;
    if (diff > 0.5) return floor + 1.0;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

SettingNumber ParseSettingNumber(QStringView text) {
    // Only ASCII can belong to a number, so anything else ends the prefix.
    std::string s;
    s.reserve(static_cast<size_t>(std::min<qsizetype>(text.size(), 4096)));
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == u' ' || c == u'\t' || c == u'\n') continue;
        if (c >= 0x80) break;
        s.push_back(static_cast<char>(c));
    }
    const size_t len = NumericPrefix(s);
    if (len == 0) return {};
    const std::string num = s.substr(0, len);
    const bool negative = num[0] == '-';
    // from_chars takes no leading '+'.
    const char* first = num.data() + (num[0] == '+' ? 1 : 0);
    double value = 0;
    const auto [ptr, ec] = std::from_chars(first, num.data() + num.size(), value);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        if (!IsHuge(num)) return {};
        return {
            negative ? std::numeric_limits<int16_t>::min() : std::numeric_limits<int16_t>::max(),
            false};
    }
    if (ec != std::errc()) return {};
    const double rounded = RoundHalfEven(value);
    if (rounded < -32768.0) return {std::numeric_limits<int16_t>::min(), false};
    if (rounded > 32767.0) return {std::numeric_limits<int16_t>::max(), false};
    return {static_cast<int16_t>(rounded), true};
}

QString FormatSettingNumber(int value) {
    if (value < 0) return QString::number(value);
    return QLatin1Char(' ') + QString::number(value);
}

}  // namespace pelmora
