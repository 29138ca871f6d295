// Any bytes as the parts of a workbook: up to the first NUL the rows of the sheet (<sheetData>'s
// content), then the shared strings, then the styles. The reader never crashes, and what it accepts
// keeps inside its limits.
#include "bills/BillReader.h"
#include "bills/XlsxRows.h"
#include "support/TestZip.h"

#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QList<QByteArray> parts =
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)).split('\0');
    TestWorkbook workbook;
    workbook.sheet = parts.value(0);
    workbook.sharedStrings = parts.value(1);
    workbook.styles = parts.value(2);
    if (workbook.sheet.isEmpty())
        workbook.sheet = "<row/>";
    static const QString path =
        QDir::tempPath() + QStringLiteral("/tamberlo-xlsx-fuzz-%1.xlsx").arg(getpid());
    if (!workbook.write(path).isEmpty())
        std::abort();
    const Result<QList<QStringList>> rows = ReadXlsxRows(path);
    if (!rows) {
        if (rows.error().isEmpty())
            std::abort();
        return 0;
    }
    if (rows->size() > kMaxSheetRows)
        std::abort();
    qint64 cells = 0;
    for (const QStringList& row : *rows) {
        if (row.size() > kMaxCells)
            std::abort();
        cells += row.size();
    }
    if (cells > kMaxSheetCells)
        std::abort();
    return 0;
}
