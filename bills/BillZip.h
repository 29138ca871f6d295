#pragma once

#include "data/Result.h"

#include <QByteArray>
#include <QString>

// A zip as 支付宝 mails its bill: one CSV inside, encrypted with a password that comes separately
// (traditional PKWARE or AES encryption; an unencrypted zip opens as well). When the zip holds several
// files, the one whose name ends in .csv is the bill; with none or several such the zip is refused.

// Why an unpacking failed, for the window to choose what to ask next.
enum class BillZipFailure {
    None,
    NeedsPassword,  // encrypted and no password given: ask "请输入支付宝发来的解压密码"
    WrongPassword,  // the password given does not open it: ask again
    Other,          // not a zip, damaged, too large, no bill inside, several bills
};

// The bill file's bytes, unpacked with the password (UTF-8 as typed; ignored for an unencrypted zip).
// An entry that unpacks to more than kMaxBillBytes is refused without reading it whole. The failure's
// message is Chinese and says what to do; `failure`, when given, says which kind it was.
Result<QByteArray> UnpackBillZip(const QString& path, const QString& password,
                                 BillZipFailure* failure = nullptr);

// Whether the bill inside the zip is encrypted, so that the window asks for the password first. False
// for a file that is no zip or holds no bill (UnpackBillZip then says why).
bool ZipNeedsPassword(const QString& path);
