// Any bytes read as a date: the reader never crashes, a refusal carries the date message, and an accepted
// date written in the short form reads back as the same day.
#include "data/DateText.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const Result<QDate> parsed = ParseDate(text);
    if (!parsed) {
        if (parsed.error() != InvalidDateMessage(text))
            std::abort();
        return 0;
    }
    if (!parsed->isValid())
        std::abort();
    const Result<QDate> again = ParseDate(ShortDate(parsed.value()));
    if (!again || again.value() != parsed.value())
        std::abort();
    (void)LongDate(parsed.value());
    (void)MonthStartText(parsed.value());
    return 0;
}
