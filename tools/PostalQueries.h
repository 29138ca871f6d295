#pragma once

#include "data/Result.h"

#include <QSqlDatabase>
#include <QStringList>

class QSqlQueryModel;

// The queries of the postal and area-code lookup over the table yzbh. A grid query that fails leaves
// its model empty and says why.
namespace Postal {

// Every row.
Status All(QSqlQueryModel& model, const QSqlDatabase& db);
// The rows of one region of one province, both compared exactly as typed.
Status OfRegion(QSqlQueryModel& model, const QSqlDatabase& db, const QString& province,
                const QString& region);
// The rows whose column holds the text anywhere, the text keeping the meaning of "%" and "_" in a LIKE
// pattern. The column must be one of 省份, 地区, 区号 and 邮编; any other is refused without a query.
Status Search(QSqlQueryModel& model, const QSqlDatabase& db, const QString& column, const QString& text);

// The distinct provinces, in the order the table gives them.
Result<QStringList> Provinces(const QSqlDatabase& db);
// The distinct regions of a province, in the order the table gives them.
Result<QStringList> RegionsOf(const QSqlDatabase& db, const QString& province);

// The columns a search may look in, in the order the column chooser lists them.
QStringList SearchColumns();

}  // namespace Postal
