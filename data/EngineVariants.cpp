#include "data/EngineVariants.h"

#include "data/Database.h"
#include "data/EntryListStatements.h"
#include "data/Statements.h"

#include "data/DatabaseErrors.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

namespace {

struct Variant {
    const char* file;    // the statement of data/Statements.h
    const char* server;  // what the server runs instead
};

// Each server variant and the reason it differs.
const Variant kServerVariants[] = {
    // The user ID compares without letter case: the file's column is declared COLLATE NOCASE, which the
    // server does not have; lower() folds the same ASCII letters under the "C" collation.
    {Sql::kLogin,
     "select id,xingming,quangxian,mimasanlie,gongyao,siyao,jiayao from quanxiangbiao where "
     "lower(yonghuID)=lower(:yonghumingID) order by id"},
    // A new user's ID is checked against the others as the login compares it, without letter case.
    {Sql::kOtherUsersWithId,
     "select count(*) from quanxiangbiao where lower(yonghuID)=lower(:yonghuID) and id<>:id"},
    // The postal search folds letter case as the file's LIKE does: ASCII letters only (lower() under the
    // "C" collation, the pattern given that collation too), and with no escape character, so that a
    // backslash in the search text is a plain character on both engines.
    {Sql::kPostalSearch,
     "select distinct 省份,地区,区号,邮编 from yzbh where lower(%1) like lower(CAST(:pattern AS TEXT) "
     "COLLATE "
     "\"C\") ESCAPE ''"},
    // The lists come in the order the file's indexes give them (the day's entries in the order they
    // were made, 全部 by detail with a missing detail first); the server only keeps an order it is told.
    // The ids kept since the list was loaded arrive as a JSON array: the file reads it with json_each,
    // the server with json_array_elements_text.
    {Sql::kTodayIncome,
     "SELECT * from shouzhibiao WHERE (leixing=:mxlx) and (shururiqi=:srriqi) ORDER BY id"},
    {Sql::kTodayExpenses,
     "SELECT * from shouzhibiao WHERE (leixing=:mxlx) and (shururiqi=:zcriqi) ORDER BY id"},
    {Sql::kAllOfType, "SELECT * from shouzhibiao WHERE leixing=:mxlx ORDER BY mingxi NULLS FIRST, id"},
    {Sql::kTodayIncomeKeeping,
     "(SELECT * from shouzhibiao WHERE (leixing=:mxlx) and (shururiqi=:srriqi) ORDER BY id) UNION ALL "
     "(SELECT * from shouzhibiao WHERE id IN (SELECT CAST(value AS BIGINT) FROM "
     "json_array_elements_text(CAST(:kept AS json))) and not ((leixing=:mxlx) and (shururiqi=:srriqi)) "
     "ORDER BY id)"},
    {Sql::kTodayExpensesKeeping,
     "(SELECT * from shouzhibiao WHERE (leixing=:mxlx) and (shururiqi=:zcriqi) ORDER BY id) UNION ALL "
     "(SELECT * from shouzhibiao WHERE id IN (SELECT CAST(value AS BIGINT) FROM "
     "json_array_elements_text(CAST(:kept AS json))) and not ((leixing=:mxlx) and (shururiqi=:zcriqi)) "
     "ORDER BY id)"},
    {Sql::kAllOfTypeKeeping,
     "(SELECT * from shouzhibiao WHERE leixing=:mxlx ORDER BY mingxi NULLS FIRST, id) UNION ALL "
     "(SELECT * from shouzhibiao WHERE id IN (SELECT CAST(value AS BIGINT) FROM "
     "json_array_elements_text(CAST(:kept AS json))) and not (leixing=:mxlx) ORDER BY id)"},
    // Inside a write the balance is read under a row lock, so that nothing else changes it between the
    // read and the write that follows (on the file the write lock already covers the whole database).
    {Sql::kReadBalance, "select jine from zhangwubiao where mingcheng=:jtbxg FOR UPDATE"},
    {Sql::kStoredPlace, "select mingcheng,leibie,edu,guanbi,jine from zhangwubiao where id=:id FOR UPDATE"},
    // The lists read a page at a time keep the file's order too: a missing detail sorts first going
    // up and last going down; a key compared with a missing detail is given its type; the kept ids come
    // through json_array_elements_text; a sub-select in FROM carries a name.
    {ListSql::kAllFrom,
     "SELECT * FROM shouzhibiao WHERE leixing=:mxlx ORDER BY mingxi NULLS FIRST,id LIMIT :n OFFSET :skip"},
    {ListSql::kAllAfter,
     "SELECT * FROM shouzhibiao WHERE leixing=:mxlx AND (mingxi,id)>(CAST(:key AS TEXT),:id) ORDER BY mingxi "
     "NULLS FIRST,id LIMIT :n"},
    {ListSql::kAllBefore,
     "SELECT * FROM shouzhibiao WHERE leixing=:mxlx AND (mingxi,id)<(CAST(:key AS TEXT),:id) ORDER BY mingxi "
     "DESC NULLS LAST,id DESC LIMIT :n"},
    {ListSql::kAllCountBefore,
     "SELECT (SELECT count(*) FROM shouzhibiao WHERE leixing=:mxlx AND mingxi IS NULL AND (CAST(:key AS "
     "TEXT) "
     "IS NOT NULL OR id<:id))+(SELECT count(*) FROM shouzhibiao WHERE leixing=:mxlx AND "
     "(mingxi,id)<(CAST(:key AS TEXT),:id))"},
    {ListSql::kAllCountAfter,
     "SELECT count(*) FROM shouzhibiao WHERE leixing=:mxlx AND (mingxi,id)>(CAST(:key AS TEXT),:id)"},
    {ListSql::kAllHoldsMore,
     "SELECT count(*) FROM (SELECT 1 FROM shouzhibiao WHERE leixing=:mxlx LIMIT :n) AS held"},
    // The find of 全部 looks through the matching rows of the table, fenced off so that the planner
    // does not walk the list's index from the current row instead.
    {ListSql::kAllFindAfter,
     "WITH hits AS MATERIALIZED (SELECT id,mingxi FROM shouzhibiao WHERE leixing=:mxlx AND (:whole=1 OR "
     "CASE WHEN CAST(:key AS TEXT) IS NULL THEN mingxi IS NOT NULL OR id>:id ELSE mingxi>CAST(:key AS TEXT) "
     "OR (mingxi=CAST(:key AS TEXT) AND id>:id) END) AND %1) SELECT id FROM hits ORDER BY mingxi NULLS "
     "FIRST,id LIMIT 1"},
    {ListSql::kAllFindBefore,
     "WITH hits AS MATERIALIZED (SELECT id,mingxi FROM shouzhibiao WHERE leixing=:mxlx AND (:whole=1 OR "
     "CASE WHEN CAST(:key AS TEXT) IS NULL THEN mingxi IS NULL AND id<:id ELSE mingxi IS NULL OR "
     "mingxi<CAST(:key AS TEXT) OR (mingxi=CAST(:key AS TEXT) AND id<:id) END) AND %1) SELECT id FROM hits "
     "ORDER BY mingxi DESC NULLS LAST,id DESC LIMIT 1"},
    {ListSql::kAllKept,
     "SELECT * FROM shouzhibiao WHERE id IN (SELECT CAST(value AS BIGINT) FROM "
     "json_array_elements_text(CAST(:kept AS json))) AND NOT (leixing=:mxlx) ORDER BY id"},
    {ListSql::kDayKept,
     "SELECT * FROM shouzhibiao WHERE id IN (SELECT CAST(value AS BIGINT) FROM "
     "json_array_elements_text(CAST(:kept AS json))) AND NOT (leixing=:mxlx AND shururiqi=:riqi) ORDER BY "
     "id"},
};

// The one-row table that carries the household mark on the server.
const char kCreateMarkTable[] =
    "CREATE TABLE IF NOT EXISTS tamberlo_biaoji (application_id BIGINT NOT NULL, user_version INTEGER NOT "
    "NULL)";

// The key of the server's write lock: the household's identity, taken per database.
constexpr qint64 kWriteLockKey = kTamberloApplicationId;

Result<qint64> firstInteger(QSqlDatabase& db, const QString& statement) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(statement))
        return Result<qint64>::failure(DatabaseErrors::Describe(query.lastError()));
    if (!query.next())
        return qint64{0};
    return query.value(0).toLongLong();
}

}  // namespace

Engine EngineOf(const QSqlDatabase& db) {
    return db.driverName() == QLatin1String("QPSQL") ? Engine::Server : Engine::File;
}

QString Sql::For(const QSqlDatabase& db, const char* statement) {
    if (EngineOf(db) == Engine::Server) {
        for (const Variant& variant : kServerVariants) {
            if (variant.file == statement)
                return QString::fromUtf8(variant.server);
        }
    }
    return QString::fromUtf8(statement);
}

QString ServerDefinition(const QString& fileDefinition) {
    QString text = fileDefinition;
    text.remove(QRegularExpression(QStringLiteral("\\s+COLLATE\\s+NOCASE\\b"),
                                   QRegularExpression::CaseInsensitiveOption));
    if (!text.trimmed().startsWith(QLatin1String("CREATE TABLE"), Qt::CaseInsensitive) &&
        !text.trimmed().startsWith(QLatin1String("ALTER TABLE"), Qt::CaseInsensitive))
        return text;
    static const QRegularExpression key(QStringLiteral("\\bINTEGER\\s+PRIMARY\\s+KEY\\b"),
                                        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression integer(QStringLiteral("\\bINTEGER\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression textType(QStringLiteral("\\bTEXT\\b"),
                                             QRegularExpression::CaseInsensitiveOption);
    text.replace(key, QStringLiteral("SERIALKEY"));
    text.replace(integer, QStringLiteral("BIGINT"));
    text.replace(QStringLiteral("SERIALKEY"),
                 QStringLiteral("BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY"));
    text.replace(textType, QStringLiteral("TEXT COLLATE \"C\""));
    return text;
}

Status ExecDefinition(QSqlDatabase& db, const char* fileDefinition) {
    const QString text = QString::fromUtf8(fileDefinition);
    QSqlQuery query(db);
    if (!query.exec(EngineOf(db) == Engine::Server ? ServerDefinition(text) : text))
        return Status::failure(DatabaseErrors::Describe(query.lastError()));
    return Status::ok();
}

Result<HouseholdMark> ReadHouseholdMark(QSqlDatabase& db) {
    HouseholdMark mark;
    if (EngineOf(db) == Engine::File) {
        const Result<qint64> id = firstInteger(db, QStringLiteral("PRAGMA application_id"));
        if (!id)
            return id.status();
        const Result<qint64> version = firstInteger(db, QStringLiteral("PRAGMA user_version"));
        if (!version)
            return version.status();
        mark.applicationId = id.value();
        mark.schemaVersion = static_cast<int>(version.value());
        return mark;
    }
    const Result<qint64> present =
        firstInteger(db, QStringLiteral("select count(*) from information_schema.tables where table_schema = "
                                        "current_schema() and table_name = 'tamberlo_biaoji'"));
    if (!present)
        return present.status();
    if (present.value() == 0)
        return mark;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("select application_id, user_version from tamberlo_biaoji")))
        return Result<HouseholdMark>::failure(DatabaseErrors::Describe(query.lastError()));
    if (query.next()) {
        mark.applicationId = query.value(0).toLongLong();
        mark.schemaVersion = query.value(1).toInt();
    }
    return mark;
}

Status WriteHouseholdMark(QSqlDatabase& db, int schemaVersion) {
    const auto exec = [&db](const QString& statement) {
        QSqlQuery query(db);
        return query.exec(statement) ? Status::ok()
                                     : Status::failure(DatabaseErrors::Describe(query.lastError()));
    };
    if (EngineOf(db) == Engine::File) {
        if (Status s = exec(QStringLiteral("PRAGMA application_id = %1").arg(kTamberloApplicationId)); !s)
            return s;
        return exec(QStringLiteral("PRAGMA user_version = %1").arg(schemaVersion));
    }
    for (const QString& statement :
         {QString::fromUtf8(kCreateMarkTable), QStringLiteral("DELETE FROM tamberlo_biaoji"),
          QStringLiteral("INSERT INTO tamberlo_biaoji (application_id, user_version) VALUES (%1, %2)")
              .arg(kTamberloApplicationId)
              .arg(schemaVersion)}) {
        if (Status s = exec(statement); !s)
            return s;
    }
    return Status::ok();
}

QSqlError BeginWrite(QSqlDatabase& db) {
    QSqlQuery query(db);
    if (EngineOf(db) == Engine::File) {
        if (query.exec(QStringLiteral("BEGIN IMMEDIATE")))
            return {};
        return query.lastError();
    }
    if (!query.exec(QStringLiteral("BEGIN")))
        return query.lastError();
    if (query.exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kWriteLockKey)))
        return {};
    // A wait longer than the lock timeout ends here; the error's SQLSTATE tells the reader what it was.
    const QSqlError error = query.lastError();
    QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
    return error;
}
