#include "kit/GridSearch.h"

#include "data/DatabaseErrors.h"

#include <QAbstractItemModel>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <limits>

namespace {

bool rowMatches(const QAbstractItemModel& model, int row, const FindQuery& query) {
    const Qt::CaseSensitivity cs = query.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const int columns = model.columnCount();
    for (int c = 0; c < columns; ++c) {
        if (query.column >= 0 && c != query.column)
            continue;
        if (model.index(row, c).data(Qt::DisplayRole).toString().contains(query.text, cs))
            return true;
    }
    return false;
}

// Reads on until the model holds more than `row` rows or has no more to give.
bool fetchThrough(QAbstractItemModel& model, int row) {
    while (model.rowCount() <= row && model.canFetchMore({})) {
        const int before = model.rowCount();
        model.fetchMore({});
        if (model.rowCount() == before)
            break;
    }
    return model.rowCount() > row;
}

// How the two engines the program runs on spell the few things a search needs.
struct Dialect {
    bool postgres = false;
    // Whether `text` holds `needle`: as typed when the case must match, else both with their ASCII
    // letters folded, as the file's LIKE folds them (on the server lower() under the "C" collation, as
    // the postal search does). The needle is then a LIKE pattern with "\\" as its escape character.
    QString contains(const QString& text, const QString& needle, bool matchCase) const {
        if (matchCase) {
            return QStringLiteral("%1(%2, %3) > 0")
                .arg(postgres ? QStringLiteral("strpos") : QStringLiteral("instr"), text, needle);
        }
        if (postgres) {
            return QStringLiteral(
                       "lower(%1 COLLATE \"C\") LIKE lower(CAST(%2 AS TEXT) COLLATE \"C\") ESCAPE '\\'")
                .arg(text, needle);
        }
        return QStringLiteral("%1 LIKE %2 ESCAPE '\\'").arg(text, needle);
    }
    QString rowsFrom(int skip) const {
        return postgres ? QStringLiteral(" OFFSET %1").arg(skip)
                        : QStringLiteral(" LIMIT -1 OFFSET %1").arg(skip);
    }
};

// The whole cents of a count of ten-thousandths, rounded half away from zero, without the sign.
QString centsOf(const QString& units) {
    return QStringLiteral("((abs(CAST(") + units + QStringLiteral(" AS BIGINT)) + 50) / 100)");
}

// The text "￥0.00" of a count of ten-thousandths, rounded half away from zero to the cent, with a leading
// minus for a negative amount that does not round to zero.
QString moneyText(const QString& units, const Dialect& dialect) {
    // Put together by joining: the format's own "%" signs must not meet QString::arg.
    const QString cents = centsOf(units);
    const QString sign =
        QStringLiteral("CASE WHEN ") + units + QStringLiteral(" <= -50 THEN '-' ELSE '' END");
    if (dialect.postgres) {
        return QStringLiteral("(") + sign + QStringLiteral(" || '￥' || CAST(") + cents +
               QStringLiteral(" / 100 AS TEXT) || '.' || lpad(CAST(") + cents +
               QStringLiteral(" % 100 AS TEXT), 2, '0'))");
    }
    return QStringLiteral("printf('%s￥%d.%02d', ") + sign + QStringLiteral(", ") + cents +
           QStringLiteral(" / 100, ") + cents + QStringLiteral(" % 100)");
}

// The digits of that text, yuan and cents together ("123450" for "￥1234.50", "005" for "￥0.05"):
// much cheaper to make than the text, and holding the digits of whatever part of it a row shows.
QString moneyDigits(const QString& units) {
    const QString cents = centsOf(units);
    return QStringLiteral("CASE WHEN ") + cents + QStringLiteral(" >= 100 THEN CAST(") + cents +
           QStringLiteral(" AS TEXT) ELSE substr(CAST(1000 + ") + cents + QStringLiteral(" AS TEXT), 2) END");
}

// A needle that cannot occur in any "￥0.00" text need not be looked for in money columns: only a text
// of digits, ".", "-" and "￥" looks like (a part of) an amount.
bool canBeInMoney(const QString& needle) {
    for (const QChar c : needle) {
        if (!c.isDigit() && c != QLatin1Char('.') && c != QLatin1Char('-') && c != QChar(0xFFE5))
            return false;
    }
    return true;
}

QString digitsOf(const QString& text) {
    QString digits;
    for (const QChar c : text) {
        if (c.isDigit())
            digits += c;
    }
    return digits;
}

// What the figures around the first "." of a needle tell of an amount that shows it: an amount shows
// one ".", with its yuan before and two figures of cents after it and nothing more. Its whole yuan then
// end with the figures just before the needle's ".", and its cents begin with those just after it.
// Whole numbers only, so that the engine rules out most rows before writing any amount out.
struct PointFigures {
    bool any = false;      // the needle holds a "."
    bool possible = true;  // no more than two figures follow it
    QString yuan;          // the figures just before it
    QString cents;         // the figures just after it
};

PointFigures pointFigures(const QString& needle) {
    PointFigures point;
    const qsizetype at = needle.indexOf(QLatin1Char('.'));
    if (at < 0)
        return point;
    point.any = true;
    for (qsizetype i = at - 1; i >= 0 && needle.at(i).isDigit(); --i)
        point.yuan.prepend(needle.at(i));
    for (qsizetype i = at + 1; i < needle.size() && needle.at(i).isDigit(); ++i)
        point.cents.append(needle.at(i));
    point.possible = point.cents.size() <= 2;
    return point;
}

QString likePattern(const QString& text) {
    QString escaped;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

// The condition "this row shows the text", over columns named through `qualifier`, with one parameter
// per use of a value (named ":tamberlo_findN", or "?" when the list's statement is positional).
struct Condition {
    QString sql;
    QStringList names;
    QVariantList values;
};

Condition buildCondition(const QSqlDatabase& db, const QList<QuerySearch::Column>& columns,
                         const FindQuery& query, const Dialect& dialect, const QString& qualifier,
                         bool positional) {
    Condition condition;
    const auto parameter = [&](const QVariant& value) {
        const QString name = QStringLiteral(":tamberlo_find%1").arg(condition.values.size());
        condition.names.append(name);
        condition.values.append(value);
        return positional ? QStringLiteral("?") : name;
    };
    // Only ASCII letters are folded: a text without any is looked for as it is, which the engines do
    // quicker than a pattern.
    const bool exact = query.matchCase || std::none_of(query.text.cbegin(), query.text.cend(), [](QChar c) {
                           return c.unicode() < 128 && c.isLetter();
                       });
    const QVariant needle = exact ? QVariant(query.text) : QVariant(likePattern(query.text));
    const QString digits = digitsOf(query.text);
    const PointFigures point = pointFigures(query.text);
    QStringList parts;
    for (qsizetype c = 0; c < columns.size(); ++c) {
        if (query.column >= 0 && c != query.column)
            continue;
        const QuerySearch::Column& column = columns[c];
        if (column.money && (!canBeInMoney(query.text) || !point.possible))
            continue;
        const QString field = qualifier + db.driver()->escapeIdentifier(column.field, QSqlDriver::FieldName);
        if (!column.namesTable.isEmpty()) {
            // The names are few: the keys of those that show the text are picked first.
            const QString name = db.driver()->escapeIdentifier(column.namesField, QSqlDriver::FieldName);
            parts.append(QStringLiteral("(%1 IN (SELECT id FROM %2 WHERE %3))")
                             .arg(field,
                                  db.driver()->escapeIdentifier(column.namesTable, QSqlDriver::TableName),
                                  dialect.contains(name, parameter(needle), exact)));
            continue;
        }
        if (!column.money) {
            // SQLite compares any value as its text; PostgreSQL is told to.
            const QString text = dialect.postgres ? QStringLiteral("CAST(%1 AS TEXT)").arg(field) : field;
            parts.append(QLatin1Char('(') + dialect.contains(text, parameter(needle), exact) +
                         QLatin1Char(')'));
            continue;
        }
        // An amount is written out only where its figures can hold the needle: around the needle's
        // "." when it has one, else where the amount's figures hold the needle's.
        QString part;
        const QString cents = centsOf(field);
        if (point.any) {
            if (!point.yuan.isEmpty() && point.yuan.size() <= 15) {
                qint64 tens = 1;
                for (qsizetype i = 0; i < point.yuan.size(); ++i)
                    tens *= 10;
                const QString modulus = parameter(tens);
                const QString yuan = parameter(point.yuan.toLongLong());
                part += QStringLiteral("(%1 / 100) % %2 = %3 AND ").arg(cents, modulus, yuan);
            }
            if (!point.cents.isEmpty()) {
                const QString divisor = parameter(point.cents.size() == 1 ? 10 : 1);
                const QString first = parameter(point.cents.toLongLong());
                part += QStringLiteral("(%1 % 100) / %2 = %3 AND ").arg(cents, divisor, first);
            }
        } else if (!digits.isEmpty()) {
            part = dialect.contains(moneyDigits(field), parameter(digits), true) + QStringLiteral(" AND ");
        }
        part += dialect.contains(moneyText(field, dialect), parameter(needle), exact);
        parts.append(QLatin1Char('(') + part + QLatin1Char(')'));
    }
    condition.sql = parts.isEmpty()
                        ? QStringLiteral("(1 = 0)")
                        : QLatin1Char('(') + parts.join(QStringLiteral(" OR ")) + QLatin1Char(')');
    return condition;
}

Status bindAndRun(QSqlQuery& q, const QString& sql, const Condition& condition, const QuerySearch& search,
                  bool withList) {
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        return Status::failure(DatabaseErrors::Describe(q.lastError()));
    const bool positional = !search.positional.isEmpty();
    for (qsizetype i = 0; i < condition.values.size(); ++i) {
        if (positional)
            q.addBindValue(condition.values[i]);
        else
            q.bindValue(condition.names[i], condition.values[i]);
    }
    if (withList) {
        for (const QVariant& v : search.positional)
            q.addBindValue(v);
        for (const auto& [name, value] : search.named)
            q.bindValue(name, value);
    }
    if (!q.exec())
        return Status::failure(DatabaseErrors::Describe(q.lastError()));
    return Status::ok();
}

}  // namespace

int FindInModel(QAbstractItemModel& model, const FindQuery& query, int from) {
    if (query.text.isEmpty())
        return -1;
    if (query.down) {
        for (int row = from + 1; fetchThrough(model, row); ++row) {
            if (rowMatches(model, row, query))
                return row;
        }
        return -1;
    }
    int start = from - 1;
    if (from < 0) {
        fetchThrough(model, std::numeric_limits<int>::max() - 1);
        start = model.rowCount() - 1;
    }
    for (int row = std::min(start, model.rowCount() - 1); row >= 0; --row) {
        if (rowMatches(model, row, query))
            return row;
    }
    return -1;
}

QStringList PlaceholderNames(const QString& statement) {
    QStringList names;
    QChar quote;
    for (qsizetype i = 0; i < statement.size(); ++i) {
        const QChar c = statement.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            continue;
        }
        if (c != QLatin1Char(':') || i + 1 >= statement.size())
            continue;
        // "::" is a cast, not a parameter.
        if (statement.at(i + 1) == QLatin1Char(':')) {
            ++i;
            continue;
        }
        qsizetype end = i + 1;
        while (end < statement.size() &&
               (statement.at(end).isLetterOrNumber() || statement.at(end) == QLatin1Char('_')))
            ++end;
        if (end > i + 1) {
            const QString name = statement.mid(i, end - i);
            if (!names.contains(name))
                names.append(name);
        }
        i = end - 1;
    }
    return names;
}

ShowsText ShowsTextCondition(const QSqlDatabase& db, const QList<QuerySearch::Column>& columns,
                             const FindQuery& query, const QString& qualifier) {
    ShowsText shows;
    if (query.text.isEmpty())
        return shows;
    const Dialect dialect{db.driverName() == QLatin1String("QPSQL")};
    const Condition condition = buildCondition(db, columns, query, dialect, qualifier, false);
    if (condition.values.isEmpty())
        return shows;
    shows.sql = condition.sql;
    for (qsizetype i = 0; i < condition.values.size(); ++i)
        shows.values.append(qMakePair(condition.names[i], condition.values[i]));
    return shows;
}

Result<int> FindInQuery(const QuerySearch& search, const FindQuery& query, int from) {
    if (query.text.isEmpty())
        return -1;
    const Dialect dialect{search.db.driverName() == QLatin1String("QPSQL")};
    const bool positional = !search.positional.isEmpty();

    // A look through the whole table, in whatever order is quickest, settles the common case of a text
    // that occurs nowhere without walking the list in its own order.
    if (!search.table.isEmpty()) {
        const Condition anywhere =
            buildCondition(search.db, search.columns, query, dialect, QString(), positional);
        QSqlQuery q(search.db);
        const Status ran = bindAndRun(
            q,
            QStringLiteral("SELECT 1 FROM %1 WHERE %2 LIMIT 1")
                .arg(search.db.driver()->escapeIdentifier(search.table, QSqlDriver::TableName), anywhere.sql),
            anywhere, search, false);
        if (!ran)
            return ran;
        const bool any = q.next();
        q.finish();
        if (!any)
            return -1;
    }

    // Then the list's own rows, in its order, one flag per row: only the rows from the start of the
    // search on are stepped through. Every column of the list is read with its flag, so that the engine
    // reads the rows as the list's own statement does: reading fewer columns, it may walk a covering
    // index instead, in that index's order (a list without an ORDER BY).
    const Condition here = buildCondition(search.db, search.columns, query, dialect,
                                          QStringLiteral("tamberlo_rows."), positional);
    QString sql = QStringLiteral("SELECT %1, tamberlo_rows.* FROM (%2) AS tamberlo_rows")
                      .arg(here.sql, search.statement);
    int row = 0;
    if (query.down) {
        row = from + 1;
        if (row > 0)
            sql += dialect.rowsFrom(row);
    } else if (from >= 0) {
        if (from == 0)
            return -1;
        sql += QStringLiteral(" LIMIT %1").arg(from);
    }
    QSqlQuery q(search.db);
    const Status ran = bindAndRun(q, sql, here, search, true);
    if (!ran)
        return ran;
    int found = -1;
    for (; q.next(); ++row) {
        if (q.value(0).toBool()) {
            found = row;
            if (query.down)
                break;
        }
    }
    const QSqlError error = q.lastError();
    q.finish();
    if (error.isValid())
        return Result<int>::failure(error.text());
    return found;
}
