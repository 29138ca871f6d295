#pragma once

#include "data/Result.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

class Database;
class HomeSafe;

// The imports a household has made (daorujilu), as 导入记录 lists them, and undoing one.

// One import as 导入记录 lists it.
struct ImportRecord {
    qint64 id = 0;
    QString when;  // "yyyy-MM-dd HH:mm:ss"
    QString file;
    QString source;  // the layout's name
    int added = 0;
    QString by;
    bool undone = false;
};
// Every import, the newest first.
Result<QList<ImportRecord>> ImportRecords(QSqlDatabase db);

// The layout's name for a stored source code ("zhifubao" → "支付宝帐单", "csv:农商行" → "自定义
// CSV（农商行）"); a code this program does not know is shown as it is stored.
QString SourceNameOfCode(const QString& code);

// What an undoing did.
struct UndoOutcome {
    int binned = 0;     // entries moved to the bin
    int transfers = 0;  // transfer records taken back
    int skipped = 0;    // entries and records deleted since the import, left as they are
    // The places it moves that had been closed since the import: opened again when asked, otherwise
    // they refused the undoing.
    QStringList closedPlaces;
};

// Whether places closed since the import are opened again so that the money can go back to them.
enum class ReopenPlaces { No, Yes };

// 撤销这次导入: every entry the import made goes to the bin and every transfer it made is taken back, the
// places' balances moving back as deletions move them, and its keys are dropped so that the bill can be
// imported again, with the keys of other bills' lines matched to what it made (those lines are counted
// nowhere once it is taken back); all in one transaction. An entry deleted since is left as it is; one
// edited since goes to the bin as it now stands. A place it moves that has been closed since refuses it
// by name, unless `reopen` opens it again in the same transaction. Refused too, with nothing changed,
// when the import was undone already, when a place it moved has been removed or renamed, or when a
// credit card would pass its limit. `outcome`, when given, receives what was done (on a refusal: the
// closed places, if any).
Status UndoImport(Database& database, HomeSafe& homeSafe, qint64 importId, const QString& operatorName,
                  UndoOutcome* outcome = nullptr, ReopenPlaces reopen = ReopenPlaces::No);
