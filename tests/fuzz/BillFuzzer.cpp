// Any bytes read as a bill's text (CSV of any layout, mapped CSV, QIF) from a buffer: the reader never
// crashes, refuses with a message, and every row it gives is either read whole or carries its problem.
#include "bills/BillText.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    ColumnMapping mapping;
    mapping.name = QStringLiteral("f");
    mapping.date = QStringLiteral("d");
    mapping.amount = QStringLiteral("a");
    mapping.number = QStringLiteral("n");
    ReadOptions options;
    if (size > 0 && (data[0] & 1))
        options.mapping = &mapping;
    const ReadResult read = ReadBillText(buffer, QStringLiteral("fuzz.csv"), options);
    if (!read.bill) {
        if (read.bill.error().isEmpty() || read.failure == ReadFailure::None)
            std::abort();
        return 0;
    }
    int line = 0;
    for (const BillRow& row : read.bill->rows) {
        if (row.line <= line || row.amount.isNegative() || (row.problem.isEmpty() && !row.day.isValid()))
            std::abort();
        line = row.line;
    }
    return 0;
}
