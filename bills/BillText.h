#pragma once

#include "bills/BillReader.h"

#include <QIODevice>

// Reading a bill's text (a CSV of a known layout or mapped, or QIF) from an open, seekable device that
// holds it whole: a file, or a buffer. The limits hold as for a file; the device is read twice, first to
// check the lines' lengths and cells and to tell UTF-8 from GB18030, then to read the rows, so no more
// than one line is ever held as text beside the rows read.
ReadResult ReadBillText(QIODevice& device, const QString& path, const ReadOptions& options);
