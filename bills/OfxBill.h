#pragma once

#include "bills/Bill.h"
#include "data/Result.h"

#include <QString>

// An OFX statement (1.x SGML or 2.x XML; QFX is OFX with a few extra tags), read through libofx. Each
// transaction is a row: the day it was posted, the amount (its sign gives the direction), the FITID as
// the transaction number, the name as counterparty, the memo as description, the transaction type as
// category and a check number in the remark. Bill::account is the statement's account number (ACCTID).
// A file of several accounts is refused (export one account at a time); so is a file libofx could not
// read whole. Failures are Chinese and say what to do.
Result<Bill> ReadOfxBill(const QString& path);
