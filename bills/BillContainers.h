#pragma once

#include "bills/BillReader.h"

// Bills that come in a container or a format of their own: an XLSX workbook (微信支付's sheet), a zip as
// 支付宝 mails its CSV bill (opened with the password the user types), an OFX or QFX file.
enum class BillContainer { Xlsx, Zip, Ofx };

// Reads such a bill whole. A zip that needs its password, or was given a wrong one, fails with
// ReadFailure::NeedsPassword so that the window asks for it; every other failure says in Chinese what
// to do.
ReadResult ReadContainerBill(const QString& path, BillContainer container, const ReadOptions& options);
