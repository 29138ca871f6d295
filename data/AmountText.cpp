#include "data/AmountText.h"

#include <QLocale>
#include <QRegularExpression>

#include <limits>

namespace {

// The shape of a number as Money::parse reads it, after the blanks around it are taken off.
bool looksLikeNumber(const QString& text) {
    static const QRegularExpression number(
        QStringLiteral("^[+-]?(?:[0-9]+\\.?[0-9]*|\\.[0-9]+)(?:[eE][+-]?[0-9]+)?$"));
    return number.match(text.trimmed()).hasMatch();
}

// "￥1,234,567.80": grouped by thousands, as a figure is written when it is named in a message.
QString groupedYuan(WideUnits units) {
    const bool negative = units < 0;
    WideMagnitude magnitude =
        negative ? static_cast<WideMagnitude>(-(units + 1)) + 1u : static_cast<WideMagnitude>(units);
    WideMagnitude cents = magnitude / 100;
    if (magnitude % 100 >= 50)
        ++cents;
    QString fraction = QString::number(static_cast<int>(cents % 100)).rightJustified(2, QLatin1Char('0'));
    WideMagnitude whole = cents / 100;
    QString digits;
    do {
        digits.prepend(QChar(char16_t(u'0' + static_cast<int>(whole % 10))));
        whole /= 10;
    } while (whole != 0);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(','));
    return (negative ? QStringLiteral("-￥") : QStringLiteral("￥")) + digits + QLatin1Char('.') + fraction;
}

}  // namespace

QString LargestAmountText() {
    return groupedYuan(kLargestAmount.units());
}

QString OutOfRangeMessage() {
    return QStringLiteral("结果超出了金额能记录的范围（最大 %1），操作未执行，什么也没有改动。请核对金额。")
        .arg(groupedYuan(std::numeric_limits<qint64>::max()));
}

TypedAmount ReadTypedAmount(const QString& text) {
    const Result<Money> parsed = Money::parse(text);
    const bool tooLarge =
        parsed ? (parsed->units() > kLargestAmount.units() || parsed->units() < -kLargestAmount.units())
               : looksLikeNumber(text);
    if (tooLarge) {
        // The figure as typed; a very long one is cut so that the message stays readable.
        constexpr qsizetype kShown = 40;
        QString figure = text.trimmed();
        if (figure.size() > kShown)
            figure = figure.left(kShown) + QStringLiteral("…");
        return {TypedAmount::Kind::TooLarge, Money(),
                QStringLiteral("金额“%1”超过了单笔金额的上限 %2（十亿元），未作任何改动。请核对后重新输入。")
                    .arg(figure, LargestAmountText())};
    }
    if (!parsed)
        return {TypedAmount::Kind::NotANumber, Money(), TypedAmountRefusal(text)};
    return {TypedAmount::Kind::Amount, parsed.value(), QString()};
}

Result<Money> MoneyTotal::value() const {
    if (total_ > std::numeric_limits<qint64>::max() || total_ < std::numeric_limits<qint64>::min())
        return Result<Money>::failure(OutOfRangeMessage());
    return Money::fromUnits(static_cast<qint64>(total_));
}

Result<Money> MoneyFromSumHalves(const QVariant& high, const QVariant& low) {
    if (high.isNull() && low.isNull())
        return Result<Money>::failure(NotAFloatMessage(QString()));
    bool highOk = false;
    bool lowOk = false;
    const qint64 h = high.isNull() ? 0 : high.toLongLong(&highOk);
    const qint64 l = low.isNull() ? 0 : low.toLongLong(&lowOk);
    if ((!high.isNull() && !highOk) || (!low.isNull() && !lowOk))
        return Result<Money>::failure(NotAFloatMessage(high.toString()));
    const WideUnits total = static_cast<WideUnits>(h) * (static_cast<WideUnits>(1) << 32) + l;
    if (total > std::numeric_limits<qint64>::max() || total < std::numeric_limits<qint64>::min()) {
        return Result<Money>::failure(
            QStringLiteral("合计 %1 超出了金额能显示的范围，请检查金额过大的记录并改正或删除它们。")
                .arg(groupedYuan(total)));
    }
    return Money::fromUnits(static_cast<qint64>(total));
}
