#include "Books.h"

#include "data/HomeSafe.h"
#include "data/Statements.h"

#include <gtest/gtest.h>

#include <QSqlError>
#include <QSqlQuery>

namespace Books {

qint64 Scalar(Database& db, const QString& sql) {
    QSqlQuery q(db.connection());
    EXPECT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
    EXPECT_TRUE(q.next()) << sql.toStdString();
    return q.value(0).toLongLong();
}

void Open(Database& db, const QMap<QString, qint64>& opening) {
    for (auto it = opening.begin(); it != opening.end(); ++it) {
        QSqlQuery q(db.connection());
        q.prepare(QStringLiteral("insert or ignore into zhangwubiao (mingcheng) values (:n)"));
        q.bindValue(QStringLiteral(":n"), it.key());
        ASSERT_TRUE(q.exec());
        ASSERT_TRUE(WriteBalance(db.connection(), it.key(), Money::fromUnits(it.value())).isOk());
    }
}

QMap<QString, qint64> Expected(Database& db, const QMap<QString, qint64>& opening) {
    QMap<QString, qint64> expected = opening;
    const QString safe = QString::fromUtf8(Codes::kHomeSafe);
    // Each entry moves its own place; one whose place is gone shows under an empty name.
    QSqlQuery entries(db.connection());
    EXPECT_TRUE(
        entries.exec(QStringLiteral("select coalesce(z.mingcheng,''), s.leixing, sum(s.feiyong) from "
                                    "shouzhibiao s left join zhangwubiao z "
                                    "on z.id=s.zhanghu group by z.mingcheng, s.leixing")));
    while (entries.next()) {
        const qint64 sum = entries.value(2).toLongLong();
        expected[entries.value(0).toString()] +=
            entries.value(1).toString() == QLatin1String(Codes::kIncome) ? sum : -sum;
    }
    QSqlQuery moves(db.connection());
    EXPECT_TRUE(moves.exec(QStringLiteral("select mingcheng, leixing, jine, zhuanchu from yinghanbiao")));
    while (moves.next()) {
        const qint64 amount = moves.value(2).toLongLong();
        // A transfer moves the amount from the paying place to the receiving one; its fee is an expense
        // entry on the paying place, counted with the entries above.
        if (moves.value(1).toString() == QLatin1String(Codes::kTransfer)) {
            expected[moves.value(0).toString()] += amount;
            expected[moves.value(3).toString()] -= amount;
            continue;
        }
        const bool deposit = moves.value(1).toString() == QLatin1String(Codes::kDeposit);
        expected[moves.value(0).toString()] += deposit ? amount : -amount;
        expected[safe] += deposit ? -amount : amount;
    }
    return expected;
}

QMap<QString, qint64> Stored(Database& db) {
    QMap<QString, qint64> stored;
    QSqlQuery q(db.connection());
    EXPECT_TRUE(q.exec(QStringLiteral("select mingcheng, jine from zhangwubiao")));
    while (q.next()) {
        EXPECT_FALSE(q.value(1).isNull()) << q.value(0).toString().toStdString();
        stored[q.value(0).toString()] = q.value(1).toLongLong();
    }
    return stored;
}

std::map<std::string, qint64> Printable(const QMap<QString, qint64>& balances) {
    std::map<std::string, qint64> out;
    for (auto it = balances.begin(); it != balances.end(); ++it)
        out[it.key().toStdString()] = it.value();
    return out;
}

QString IntegrityCheck(Database& db) {
    QSqlQuery q(db.connection());
    if (!q.exec(QStringLiteral("PRAGMA integrity_check")) || !q.next())
        return q.lastError().text();
    return q.value(0).toString();
}

}  // namespace Books
