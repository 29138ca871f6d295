#pragma once

#include "bills/BillReader.h"
#include "data/Result.h"
#include "ledger/EntryBook.h"

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>

class Database;

// What an import remembers of the user's choices: the rules that give a 明细 (mingxiguize), the place each
// payment method stands for (zhifufangshi) and the column mappings of CSVs of no known layout
// (lieyingshe). Each change is one transaction.

// A keyword of a bill line's counterparty or description that gives a 明细 to lines of one direction.
struct DetailRule {
    qint64 id = 0;
    QString keyword;
    EntryType type = EntryType::Expense;
    QString detail;
};

// Every rule, the longest keyword first (the most particular rule wins when several match).
Result<QList<DetailRule>> ReadRules(QSqlDatabase db);
// The 明细 the first matching rule gives a line of a direction, or empty when none matches.
QString DetailByRules(const QList<DetailRule>& rules, EntryType type, const QString& counterparty,
                      const QString& description);
// Stores a new rule (id 0) or changes one. A keyword or 明细 left empty, or a keyword already used for
// the same direction by another rule, is refused with a Chinese message and nothing is stored; a rule
// gone meanwhile fails. Gives back the rule's key.
Result<qint64> SaveRule(Database& database, const DetailRule& rule);
Status DeleteRule(Database& database, qint64 id);

// The saved column mappings by name, and saving one under its name (replacing one of the same name).
// A mapping without a name, a date column or an amount (one signed column, or both in and out) is
// refused with a Chinese message.
Result<QList<ColumnMapping>> ReadMappings(QSqlDatabase db);
Status SaveMapping(Database& database, const ColumnMapping& mapping);

// The place each payment method of a source stands for (zhifufangshi), as stored, and remembering one
// (replacing an earlier choice for the same method of the source).
Result<QHash<QString, qint64>> ReadMethodPlaces(QSqlDatabase db, const QString& sourceCode);
Status SaveMethodPlace(Database& database, const QString& sourceCode, const QString& method, qint64 place);
