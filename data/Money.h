#pragma once

#include "data/Result.h"

#include <QString>
#include <QtGlobal>

#include <compare>

// An amount in yuan, exact to the ten-thousandth: a signed 64-bit count of ten-thousandths. Sums and
// differences are exact; overflow is reported, never wrapped. Only a chart bar ever sees a double.
class Money {
  public:
    static constexpr qint64 kUnitsPerYuan = 10000;

    constexpr Money() = default;
    static constexpr Money fromUnits(qint64 units) { return Money(units); }
    static constexpr Money fromYuan(qint64 yuan) { return Money(yuan * kUnitsPerYuan); }

    // Reads a decimal number as the user types it: optional blanks around it, an optional sign, digits
    // with at most one "." and an optional exponent ("1.5e3"). Digits past the fourth decimal are
    // rounded half away from zero. Anything else, or a value out of range, fails with
    // "'<text>' is not a valid floating point value".
    static Result<Money> parse(const QString& text);

    constexpr qint64 units() const { return units_; }
    constexpr bool isZero() const { return units_ == 0; }
    constexpr bool isNegative() const { return units_ < 0; }

    // "￥0.00": two decimals rounded half away from zero, no grouping, a leading minus ("-￥10.00").
    QString format() const;
    // The same with the yuan grouped in threes ("￥12,345.60", "-￥1,000.00"), for figures that grow large
    // on screen. Exports and text the user edits keep format() or toPlainText().
    QString formatGrouped() const;
    // A chart's value mark: formatGrouped() below ten thousand yuan, in 万 with two decimals from there
    // ("￥1.25万", "-￥12,345.68万"); the threshold is taken on the amount as the mark would round it, so
    // 9999.995 reads "￥1.00万", never "￥10,000.00".
    QString formatChartMark() const;
    // The plain decimal form without currency sign or grouping ("12.5", "-0.0001", "0"); parse() reads
    // it back to the same value.
    QString toPlainText() const;
    // Yuan as a floating-point number, for the height of a chart bar only.
    double toYuan() const { return static_cast<double>(units_) / kUnitsPerYuan; }

    // Exact arithmetic; an overflow gives no value.
    Result<Money> plus(Money other) const;
    Result<Money> minus(Money other) const;

    friend constexpr bool operator==(Money a, Money b) = default;
    friend constexpr auto operator<=>(Money a, Money b) = default;

  private:
    constexpr explicit Money(qint64 units) : units_(units) {}
    qint64 units_ = 0;
};

// The message of a failed money parse, for a text that is not a number.
QString NotAFloatMessage(const QString& text);
// The same said first in Chinese for the user who typed it: "金额“<text>”无法识别，请按 100 或 12.50
// 的样子输入。 （'<text>' is not a valid floating point value）".
QString TypedAmountRefusal(const QString& text);
