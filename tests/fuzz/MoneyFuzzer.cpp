// Any bytes read as an amount: the reader never crashes, and whatever it accepts is written back in the
// plain form and read again to the same value; sums either are exact or report the overflow.
#include "data/Money.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const Result<Money> parsed = Money::parse(text);
    if (!parsed) {
        if (parsed.error() != NotAFloatMessage(text))
            std::abort();
        return 0;
    }
    const Money value = parsed.value();
    const Result<Money> again = Money::parse(value.toPlainText());
    if (!again || again.value() != value)
        std::abort();
    (void)value.format();
    const Result<Money> doubled = value.plus(value);
    if (doubled && doubled->minus(value).value() != value)
        std::abort();
    const Result<Money> zero = value.minus(value);
    if (!zero || !zero->isZero())
        std::abort();
    return 0;
}
