// A program that imports one bill into the household named on its command line, for the tests that
// run two imports of the same bill at once in processes of their own. It plans the import, says
// "ready", waits for a line on its input, commits, and says "added N skipped M".
#include "bills/BillRules.h"
#include "bills/ImportPlan.h"
#include "bills/ImportStore.h"
#include "data/Database.h"
#include "data/HomeSafe.h"

#include <QCoreApplication>
#include <QSqlQuery>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

qint64 placeNamed(Database& database, const QString& name) {
    QSqlQuery query(database.connection());
    query.prepare(QStringLiteral("select id from zhangwubiao where mingcheng=:m"));
    query.bindValue(QStringLiteral(":m"), name);
    return query.exec() && query.next() ? query.value(0).toLongLong() : 0;
}

// Two hundred purchases paid from 零钱, every tenth a top-up from the card with a fee.
Bill wechatBill() {
    Bill bill;
    bill.source = BillSource::Wechat;
    bill.sourceCode = SourceCode(BillSource::Wechat);
    bill.path = QStringLiteral("微信支付账单.csv");
    for (int i = 0; i < 200; ++i) {
        BillRow row;
        row.line = i + 18;
        row.day = QDate(2026, 11, 1).addDays(i % 30);
        row.counterparty = QStringLiteral("商户%1").arg(i % 7);
        row.direction = BillDirection::Out;
        row.amount = Money::fromUnits(10000 + 137 * i);
        row.method = QStringLiteral("零钱");
        row.status = QStringLiteral("支付成功");
        row.number = QStringLiteral("42000%1").arg(i);
        if (i % 10 == 0) {
            row.category = QStringLiteral("零钱充值");
            row.direction = BillDirection::Neither;
            row.method = QStringLiteral("招商银行储蓄卡(1234)");
            row.amount = Money::fromYuan(100);
            row.fee = Money::fromUnits(1000);
        }
        bill.rows.append(row);
    }
    return bill;
}

int fail(const QString& message) {
    std::fprintf(stderr, "%s\n", qPrintable(message));
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <database|postgresql:connection>\n", argv[0]);
        return 2;
    }
    Database database;
    const QString where = QString::fromLocal8Bit(argv[1]);
    const QString server = QStringLiteral("postgresql:");
    if (Status s =
            where.startsWith(server) ? database.openServer(where.mid(server.size())) : database.open(where);
        !s)
        return fail(s.error());
    HomeSafe homeSafe(database);
    for (const auto& [method, place] :
         {std::pair{"零钱", "微信零钱"}, std::pair{"招商银行储蓄卡(1234)", "招商银行"}}) {
        if (Status s = SaveMethodPlace(database, QStringLiteral("weixin"), QString::fromUtf8(method),
                                       placeNamed(database, QString::fromUtf8(place)));
            !s)
            return fail(s.error());
    }
    const Result<ImportPlan> plan = PlanImport(database.connection(), wechatBill());
    if (!plan)
        return fail(plan.error());
    std::puts("ready");
    std::fflush(stdout);
    std::string go;
    std::getline(std::cin, go);
    const Result<ImportOutcome> done =
        CommitImport(database, homeSafe, *plan, QStringLiteral("管理员"), true);
    if (!done)
        return fail(done.error());
    std::printf("added %d skipped %d\n", done->added, done->skipped);
    return 0;
}
