#pragma once

#include "bills/BillReader.h"

#include <QString>

// A QIF file as other money programs export it, read one line at a time: the transactions of bank,
// credit card, cash and other asset or liability accounts (!Type:Bank, CCard, Cash, Oth A, Oth L); the
// lists, options, account blocks and investment sections are passed over.
class QifReader {
  public:
    explicit QifReader(const QString& path);
    void feed(int line, const QString& text);
    ReadResult finish();

    // Whether a file's first line that is not blank opens a QIF file.
    static bool Opens(const QString& firstLine);

  private:
    void endRecord();

    Bill bill_;
    bool inTransactions_ = false;
    bool inAccount_ = false;
    bool sawOtherSection_ = false;
    BillRow row_;
    QString dateText_;
    QString amountText_;
    QString otherAmountText_;
    bool open_ = false;
};

// A QIF date: "12/5'26" (the year after the apostrophe is of the 2000s), "12/05/2026", "12/5/26"
// (a two-digit year within 50 years of today), "2026-12-05". An invalid date when it is none of these.
QDate ReadQifDate(const QString& text);
