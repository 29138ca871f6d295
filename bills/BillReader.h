#pragma once

#include "bills/Bill.h"
#include "data/Result.h"

#include <QString>
#include <QStringList>

#include <functional>

// Reading a bill file. The layout is recognised from the content (the header line found after the
// preamble, or the QIF/OFX/XLSX/zip signature), never from the file's name; columns are found by their
// header names, never by position.

// The limits that keep a hostile or mistaken file from taking the machine: a larger file, a longer line
// or more cells on one line is refused at once, before it is read into memory.
inline constexpr qint64 kMaxBillBytes = 64LL * 1024 * 1024;
inline constexpr int kMaxLineBytes = 64 * 1024;
inline constexpr int kMaxCells = 256;

// The columns of a CSV the program does not know, as the user maps them, saved under a name and offered
// next time (table lieyingshe). Each field holds a header name of the file; empty when not mapped.
struct ColumnMapping {
    QString name;        // the name it is saved under
    int headerLine = 0;  // the line of the header, from 1; 0 finds the first line holding the date column
    QString date;
    QString amount;  // one signed amount column (negative is 支出) ...
    QString income;  // ... or two columns of money in and out
    QString expense;
    QString description;
    QString counterparty;
    QString number;  // the transaction number, when the file has one
};

// The first lines of a CSV the program does not know, split into cells, for the mapping step.
struct CsvSample {
    QString encoding;          // "UTF-8" or "GB18030"
    QList<QStringList> lines;  // up to 40 lines as cells
};

struct ReadOptions {
    // The mapping for a CSV of no known layout; without one such a file is refused as unknown.
    const ColumnMapping* mapping = nullptr;
    // The password of a zip as 支付宝 mails its bill; without one a zip is refused with the question.
    QString zipPassword;
    // Called now and then with the bytes read so far and the file's size; returning false cancels the
    // read, which then fails with "已取消".
    std::function<bool(qint64 done, qint64 total)> progress;
};

// How a read failed, for the window to choose what to ask next.
enum class ReadFailure {
    None,
    Unknown,        // no known layout: offer the mapping step
    NeedsPassword,  // a zip that needs its password (or a wrong one)
    Other,          // empty, too large, unreadable, changed while read, cancelled
};

struct ReadResult {
    Result<Bill> bill;
    ReadFailure failure = ReadFailure::None;
};

// Reads every row of the file. The failure's message is Chinese and says what to do: an unknown layout
// names the known ones and quotes the first lines found; an empty file, one too large, a zip without
// its password, a file that changed while it was read (its size or time differs after the read), each
// says so. A line that cannot be read is kept as a row with its problem; the rest of the file is read.
ReadResult ReadBill(const QString& path, const ReadOptions& options = {});

// The first lines of a CSV, decoded (UTF-8 when valid, else GB18030) and split, for the mapping step.
Result<CsvSample> SampleCsv(const QString& path);

// The known layouts, as the refusal of an unknown file lists them.
QStringList KnownLayouts();
