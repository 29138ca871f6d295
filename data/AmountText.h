#pragma once

#include "data/Money.h"

#include <QString>
#include <QVariant>

// The limits of the amounts a household works with, and the reading of amounts typed by the user.

// The largest amount one entry, deposit or withdrawal may carry, either side of zero: one thousand
// million yuan. Larger figures are typing slips; the limit also keeps every balance and sum of a
// lifetime of entries far inside what Money holds.
inline constexpr Money kLargestAmount = Money::fromYuan(1'000'000'000);

// "￥1,000,000,000.00": the limit as the messages name it.
QString LargestAmountText();

// What a typed amount turned out to be.
struct TypedAmount {
    enum class Kind {
        Amount,      // a number within the limit: `amount`
        NotANumber,  // `message` is TypedAmountRefusal: what is wrong in Chinese, the conversion error after
                     // it
        TooLarge,    // a number beyond the limit: `message` says so in Chinese, with the figure typed
    };
    Kind kind = Kind::NotANumber;
    Money amount;
    QString message;
};

// Reads an amount as the user typed it (the number rules of Money::parse) and checks it against the
// limit, before anything is written.
TypedAmount ReadTypedAmount(const QString& text);

// Ten-thousandths of a yuan in 128 bits, for sums that may pass what Money holds before they are checked.
__extension__ typedef __int128 WideUnits;
__extension__ typedef unsigned __int128 WideMagnitude;

// A sum of money that cannot overflow while it is being added up: up to 2^64 amounts of any size are
// added exactly; only the end result has to fit into Money.
class MoneyTotal {
  public:
    void add(Money amount) { total_ += amount.units(); }
    // The total, or a Chinese message when it lies outside what an amount can hold.
    Result<Money> value() const;

  private:
    WideUnits total_ = 0;
};

// A sum read from the database in two halves, so that the engine's own sum cannot overflow: `high` the
// sum of the amounts' upper 32 bits (an arithmetic shift), `low` the sum of their lower 32 bits. Both
// null (no rows, or only empty amounts) fails as the conversion of an empty text does.
Result<Money> MoneyFromSumHalves(const QVariant& high, const QVariant& low);

// Why a balance or a total could not be formed: it would leave the range of an amount.
QString OutOfRangeMessage();
