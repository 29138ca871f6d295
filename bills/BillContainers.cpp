#include "bills/BillContainers.h"

#include "bills/BillTable.h"
#include "bills/BillText.h"
#include "bills/BillZip.h"
#include "bills/OfxBill.h"
#include "bills/XlsxRows.h"

#include <QBuffer>

ReadResult ReadContainerBill(const QString& path, BillContainer container, const ReadOptions& options) {
    switch (container) {
        case BillContainer::Ofx: {
            Result<Bill> bill = ReadOfxBill(path);
            const ReadFailure failure = bill ? ReadFailure::None : ReadFailure::Other;
            return {std::move(bill), failure};
        }
        case BillContainer::Xlsx: {
            const Result<QList<QStringList>> rows = ReadXlsxRows(path);
            if (!rows)
                return {Result<Bill>::failure(rows.error()), ReadFailure::Other};
            return BillFromTable(rows.value(), path, options);
        }
        case BillContainer::Zip:
            break;
    }
    BillZipFailure why = BillZipFailure::None;
    Result<QByteArray> text = UnpackBillZip(path, options.zipPassword, &why);
    if (!text) {
        const bool password = why == BillZipFailure::NeedsPassword || why == BillZipFailure::WrongPassword;
        return {Result<Bill>::failure(text.error()),
                password ? ReadFailure::NeedsPassword : ReadFailure::Other};
    }
    // The bill inside is read as a file of its own would be, from memory.
    QBuffer buffer(&text.value());
    buffer.open(QIODevice::ReadOnly);
    return ReadBillText(buffer, path, options);
}
