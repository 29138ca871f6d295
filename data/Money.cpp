#include "data/Money.h"

#include "data/AmountText.h"

#include <limits>

namespace {

constexpr int kDecimals = 4;
// Exponents beyond this cannot describe an amount that fits; they are clamped while reading.
constexpr int kExponentCap = 1000000;

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Magnitude and sign as text: "12.3456" from 123456.
QString magnitudeText(quint64 magnitude, int decimals) {
    quint64 scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    const QString whole = QString::number(magnitude / scale);
    if (decimals == 0)
        return whole;
    QString fraction = QString::number(magnitude % scale).rightJustified(decimals, QLatin1Char('0'));
    return whole + QLatin1Char('.') + fraction;
}

// "12,345.60" from the text "12345.60": the whole yuan grouped in threes.
QString grouped(QString text) {
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    for (qsizetype at = (point < 0 ? text.size() : point) - 3; at > 0; at -= 3)
        text.insert(at, QLatin1Char(','));
    return text;
}

// Rounds a magnitude to a whole number of `step` units, half away from zero.
quint64 roundedTo(quint64 magnitude, quint64 step) {
    return magnitude / step + (magnitude % step >= step / 2 ? 1 : 0);
}

quint64 magnitudeOf(qint64 units) {
    return units < 0 ? quint64(0) - static_cast<quint64>(units) : static_cast<quint64>(units);
}

}  // namespace

QString NotAFloatMessage(const QString& text) {
    return QStringLiteral("'%1' is not a valid floating point value").arg(text);
}

QString TypedAmountRefusal(const QString& text) {
    return QStringLiteral("金额“%1”无法识别，请按 100 或 12.50 的样子输入。（%2）")
        .arg(text, NotAFloatMessage(text));
}

Result<Money> Money::parse(const QString& text) {
    const QString s = text.trimmed();
    const auto fail = [&text] { return Result<Money>::failure(NotAFloatMessage(text)); };

    qsizetype i = 0;
    const qsizetype n = s.size();
    bool negative = false;
    if (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-'))) {
        negative = s[i] == QLatin1Char('-');
        ++i;
    }

    // Mantissa digits and where the decimal point stands among them.
    QString digits;
    qsizetype integerDigits = 0;
    bool seenPoint = false;
    for (; i < n; ++i) {
        const QChar c = s[i];
        if (isDigit(c)) {
            digits += c;
            if (!seenPoint)
                ++integerDigits;
        } else if (c == QLatin1Char('.') && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (digits.isEmpty())
        return fail();

    qint64 exponent = 0;
    if (i < n && (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E'))) {
        ++i;
        bool expNegative = false;
        if (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-'))) {
            expNegative = s[i] == QLatin1Char('-');
            ++i;
        }
        if (i >= n || !isDigit(s[i]))
            return fail();
        for (; i < n && isDigit(s[i]); ++i) {
            if (exponent < kExponentCap)
                exponent = exponent * 10 + s[i].digitValue();
        }
        if (expNegative)
            exponent = -exponent;
    }
    if (i != n)
        return fail();

    // Digit k stands for 10^(integerDigits - 1 - k + exponent) yuan, that is
    // 10^(integerDigits - 1 - k + exponent + kDecimals) ten-thousandths.
    // Built with its sign from the start, so that the most negative amount, one further from zero than
    // the most positive, reads too.
    const qint64 sign = negative ? -1 : 1;
    qint64 units = 0;
    const qint64 firstPower = qint64(integerDigits) - 1 + exponent + kDecimals;
    bool roundUp = false;
    for (qsizetype k = 0; k < digits.size(); ++k) {
        const qint64 power = firstPower - k;
        const int d = digits[k].digitValue();
        if (power < 0) {
            roundUp = power == -1 && d >= 5;
            break;
        }
        if (__builtin_mul_overflow(units, qint64(10), &units) ||
            __builtin_add_overflow(units, sign * d, &units)) {
            return fail();
        }
        // The last digit still stands for a power of ten above one ten-thousandth.
        for (qint64 p = 0; k == digits.size() - 1 && units != 0 && p < power; ++p) {
            if (__builtin_mul_overflow(units, qint64(10), &units))
                return fail();
        }
    }
    if (roundUp && __builtin_add_overflow(units, sign, &units))
        return fail();
    return Money(units);
}

QString Money::format() const {
    const quint64 cents = roundedTo(magnitudeOf(units_), 100);
    const QString body = QStringLiteral("￥") + magnitudeText(cents, 2);
    return units_ < 0 && cents != 0 ? QLatin1Char('-') + body : body;
}

QString Money::formatGrouped() const {
    const quint64 cents = roundedTo(magnitudeOf(units_), 100);
    const QString body = QStringLiteral("￥") + grouped(magnitudeText(cents, 2));
    return units_ < 0 && cents != 0 ? QLatin1Char('-') + body : body;
}

QString Money::formatChartMark() const {
    // Ten thousand yuan in cents, and one hundredth of 万 (100 yuan) in ten-thousandths.
    constexpr quint64 kWanInCents = 1000000;
    constexpr quint64 kHundredthOfWan = 100 * kUnitsPerYuan;
    const quint64 magnitude = magnitudeOf(units_);
    if (roundedTo(magnitude, 100) < kWanInCents)
        return formatGrouped();
    const QString body = QStringLiteral("￥") +
                         grouped(magnitudeText(roundedTo(magnitude, kHundredthOfWan), 2)) +
                         QStringLiteral("万");
    return units_ < 0 ? QLatin1Char('-') + body : body;
}

QString Money::toPlainText() const {
    QString text = magnitudeText(magnitudeOf(units_), kDecimals);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return units_ < 0 ? QLatin1Char('-') + text : text;
}

Result<Money> Money::plus(Money other) const {
    qint64 sum = 0;
    if (__builtin_add_overflow(units_, other.units_, &sum)) {
        return Result<Money>::failure(OutOfRangeMessage());
    }
    return Money(sum);
}

Result<Money> Money::minus(Money other) const {
    qint64 difference = 0;
    if (__builtin_sub_overflow(units_, other.units_, &difference)) {
        return Result<Money>::failure(OutOfRangeMessage());
    }
    return Money(difference);
}
