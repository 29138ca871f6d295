#pragma once

#include "data/Result.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

// The postal and area-code rows a new database starts with: every province-level division of the
// mainland with its prefecture-level cities (the districts for the four municipalities).
struct PostalRow {
    QString province;  // 省份
    QString region;    // 地区
    QString areaCode;  // 区号
    QString postCode;  // 邮编
};

// Reads tab-separated rows of province, region, area code and postal code; blank lines and lines
// starting with "#" are skipped. A line without four fields fails with its number.
Result<QList<PostalRow>> ParsePostalRows(const QString& text);

// The rows the program carries with it.
Result<QList<PostalRow>> BuiltInPostalRows();

// Inserts the built-in rows into yzbh; runs inside the caller's transaction.
Status LoadPostalRows(QSqlDatabase& db);
