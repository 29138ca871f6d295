#pragma once

#include "data/Money.h"
#include "data/Result.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QStringList>

#include <optional>

// The reading side of the ledger: detail choices and the totals of a period. Each is one query on the
// indexes of shouzhibiao.

// The distinct details recorded for an entry type ("shouru" or "zhichu"), in the order the database
// gives them.
Result<QStringList> DistinctDetails(QSqlDatabase db, const QString& type);

// Income and expense over a period, both days included. Any type other than income counts as expense.
// `hasRows` is false when the period holds no entry at all. With a place (a zhangwubiao key) only the entries
// on that place count; without one, every entry.
struct PeriodTotals {
    Money income;
    Money expense;
    bool hasRows = false;
};
Result<PeriodTotals> TotalsOfPeriod(QSqlDatabase db, const QDate& first, const QDate& last,
                                    std::optional<qint64> place = std::nullopt);

// The sum per detail of one entry type over a period, one item per detail in the order returned; limited
// to one place as above.
struct DetailTotal {
    QString detail;
    Money total;
};
Result<QList<DetailTotal>> DetailTotalsOfPeriod(QSqlDatabase db, const QDate& first, const QDate& last,
                                                const QString& type,
                                                std::optional<qint64> place = std::nullopt);

// Where the money of one type went over a period: the details of the largest totals, largest first (equal
// totals by name), and the rest as one part. Only details whose total is above zero take part; those at
// or below zero (refunds outweighing the spending) are counted in `leftOut`.
struct DetailPicture {
    QList<DetailTotal> largest;  // one more than kept when a single detail would make the rest
    // The details after the largest, summed as "其他（N项）" when there are two or more.
    std::optional<DetailTotal> rest;
    int leftOut = 0;
};
inline constexpr int kPictureDetails = 8;
// Groups detail totals as above, keeping `keep` details; a sum too large to hold fails in Chinese.
Result<DetailPicture> PictureOfDetails(QList<DetailTotal> totals, int keep = kPictureDetails);
// The picture of one type over a period, from the grouped sums of DetailTotalsOfPeriod.
Result<DetailPicture> DetailPictureOfPeriod(QSqlDatabase db, const QDate& first, const QDate& last,
                                            const QString& type, std::optional<qint64> place = std::nullopt);

// A money value read from a row: a null (an empty sum) fails the conversion as an empty text would.
Result<Money> MoneyFromColumn(const QVariant& value);
