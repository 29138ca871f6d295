#include "ledger/LedgerTotals.h"

#include "data/AmountText.h"
#include "data/DatabaseErrors.h"
#include "data/DateText.h"
#include "data/Statements.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>

Result<Money> MoneyFromColumn(const QVariant& value) {
    if (value.isNull())
        return Result<Money>::failure(NotAFloatMessage(QString()));
    bool ok = false;
    const qint64 units = value.toLongLong(&ok);
    if (!ok)
        return Result<Money>::failure(NotAFloatMessage(value.toString()));
    return Money::fromUnits(units);
}

Result<QStringList> DistinctDetails(QSqlDatabase db, const QString& type) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(QString::fromUtf8(Sql::kDistinctDetails)))
        return Result<QStringList>::failure(DatabaseErrors::Describe(query.lastError()));
    query.bindValue(QStringLiteral(":mxlx"), type);
    if (!query.exec())
        return Result<QStringList>::failure(DatabaseErrors::Describe(query.lastError()));
    QStringList details;
    while (query.next())
        details.append(query.value(0).toString());
    return details;
}

Result<PeriodTotals> TotalsOfPeriod(QSqlDatabase db, const QDate& first, const QDate& last,
                                    std::optional<qint64> place) {
    // Entries of another type count as expense, through the general statement; without them (always,
    // for entries the program writes) the statement of the two types reads the index without sorting.
    QSqlQuery others(db);
    others.setForwardOnly(true);
    if (!others.exec(QString::fromUtf8(Sql::kOtherTypesExist)) || !others.next())
        return Result<PeriodTotals>::failure(DatabaseErrors::Describe(others.lastError()));
    const bool onlyTwoTypes = others.value(0).toLongLong() == 0;
    others.finish();

    QSqlQuery query(db);
    query.setForwardOnly(true);
    const char* statement = place
                                ? (onlyTwoTypes ? Sql::kPlacePeriodTotalsOfTwoTypes : Sql::kPlacePeriodTotals)
                                : (onlyTwoTypes ? Sql::kPeriodTotalsOfTwoTypes : Sql::kPeriodTotals);
    if (!query.prepare(QString::fromUtf8(statement)))
        return Result<PeriodTotals>::failure(DatabaseErrors::Describe(query.lastError()));
    if (place)
        query.bindValue(QStringLiteral(":zhanghu"), *place);
    query.bindValue(QStringLiteral(":qishi"), ShortDate(first));
    query.bindValue(QStringLiteral(":jishu"), ShortDate(last));
    if (!query.exec())
        return Result<PeriodTotals>::failure(DatabaseErrors::Describe(query.lastError()));
    const int leixing = query.record().indexOf(QStringLiteral("leixing"));
    const int zonge = query.record().indexOf(QStringLiteral("zonge"));
    const int zongeLow = query.record().indexOf(QStringLiteral("zonge_low"));
    PeriodTotals totals;
    while (query.next()) {
        const Result<Money> sum = MoneyFromSumHalves(query.value(zonge), query.value(zongeLow));
        if (!sum)
            return sum.status();
        totals.hasRows = true;
        if (query.value(leixing).toString() == QLatin1String(Codes::kIncome))
            totals.income = sum.value();
        else
            totals.expense = sum.value();
    }
    return totals;
}

Result<QList<DetailTotal>> DetailTotalsOfPeriod(QSqlDatabase db, const QDate& first, const QDate& last,
                                                const QString& type, std::optional<qint64> place) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(QString::fromUtf8(place ? Sql::kPlaceDetailTotals : Sql::kDetailTotals)))
        return Result<QList<DetailTotal>>::failure(DatabaseErrors::Describe(query.lastError()));
    if (place)
        query.bindValue(QStringLiteral(":zhanghu"), *place);
    query.bindValue(QStringLiteral(":qishi"), ShortDate(first));
    query.bindValue(QStringLiteral(":jishu"), ShortDate(last));
    query.bindValue(QStringLiteral(":mxlx"), type);
    if (!query.exec())
        return Result<QList<DetailTotal>>::failure(DatabaseErrors::Describe(query.lastError()));
    const int mingxi = query.record().indexOf(QStringLiteral("mingxi"));
    const int mxzonge = query.record().indexOf(QStringLiteral("mxzonge"));
    const int mxzongeLow = query.record().indexOf(QStringLiteral("mxzonge_low"));
    QList<DetailTotal> totals;
    while (query.next()) {
        const Result<Money> sum = MoneyFromSumHalves(query.value(mxzonge), query.value(mxzongeLow));
        if (!sum)
            return sum.status();
        totals.append({query.value(mingxi).toString(), sum.value()});
    }
    return totals;
}

Result<DetailPicture> PictureOfDetails(QList<DetailTotal> totals, int keep) {
    DetailPicture picture;
    const auto positive = std::stable_partition(totals.begin(), totals.end(),
                                                [](const DetailTotal& t) { return t.total.units() > 0; });
    picture.leftOut = int(totals.end() - positive);
    totals.erase(positive, totals.end());
    std::sort(totals.begin(), totals.end(), [](const DetailTotal& a, const DetailTotal& b) {
        return a.total != b.total ? a.total > b.total : a.detail < b.detail;
    });
    const qsizetype kept = std::min<qsizetype>(std::max(keep, 0), totals.size());
    picture.largest = totals.mid(0, kept);
    const QList<DetailTotal> others = totals.mid(kept);
    if (others.size() == 1) {
        picture.largest.append(others.first());
    } else if (others.size() > 1) {
        Money sum;
        for (const DetailTotal& t : others) {
            const Result<Money> added = sum.plus(t.total);
            if (!added)
                return Result<DetailPicture>::failure(
                    QStringLiteral("明细合计超出了可记录的范围。请检查是否有录入错误的巨额记录。"));
            sum = added.value();
        }
        picture.rest = DetailTotal{QStringLiteral("其他（%1项）").arg(others.size()), sum};
    }
    return picture;
}

Result<DetailPicture> DetailPictureOfPeriod(QSqlDatabase db, const QDate& first, const QDate& last,
                                            const QString& type, std::optional<qint64> place) {
    const Result<QList<DetailTotal>> totals = DetailTotalsOfPeriod(db, first, last, type, place);
    if (!totals)
        return totals.status();
    return PictureOfDetails(totals.value());
}
