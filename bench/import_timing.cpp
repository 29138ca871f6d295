// tamberlo-import-timing <household file> [lines]: a 微信支付 bill of `lines` lines (default 100,000) over
// the household's last year, made in memory, then planned, shown in 导入预览 and committed, each step timed
// (wall clock), with the process's peak memory. Open the household once before (it is upgraded on first
// open) and time a fresh copy of it: the commit writes into it.
#include "bench/BenchSupport.h"
#include "bench/HouseholdGenerator.h"
#include "data/Database.h"
#include "data/HomeSafe.h"
#include "household/CurrentUser.h"
#include "household/Household.h"
#include "household/IniFile.h"
#include "bills/BillRules.h"
#include "bills/ImportPlan.h"
#include "bills/ImportPreview.h"
#include "bills/ImportStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <ctime>

namespace {

qint64 placeNamed(Database& database, const QString& name, const char* kind) {
    QSqlQuery find(database.connection());
    find.prepare(QStringLiteral("select id from zhangwubiao where mingcheng=:m"));
    find.bindValue(QStringLiteral(":m"), name);
    if (find.exec() && find.next())
        return find.value(0).toLongLong();
    QSqlQuery add(database.connection());
    add.prepare(
        QStringLiteral("insert into zhangwubiao (mingcheng,jine,leibie,edu,guanbi) values "
                       "(:m,100000000000,:k,0,0)"));
    add.bindValue(QStringLiteral(":m"), name);
    add.bindValue(QStringLiteral(":k"), QString::fromLatin1(kind));
    add.exec();
    return add.lastInsertId().toLongLong();
}

Bill bigBill(int lines) {
    Bill bill;
    bill.source = BillSource::Wechat;
    bill.sourceCode = SourceCode(BillSource::Wechat);
    bill.path = QStringLiteral("微信支付账单.csv");
    bill.rows.reserve(lines);
    const QDate first = kGeneratedToday.addDays(-364);
    for (int i = 0; i < lines; ++i) {
        BillRow row;
        row.line = i + 18;
        row.day = first.addDays(qint64(i) * 365 / lines);
        row.counterparty = QStringLiteral("商户%1").arg(i % 500);
        row.description = QStringLiteral("商品%1").arg(i % 97);
        row.direction = i % 10 == 3 ? BillDirection::In : BillDirection::Out;
        row.amount = Money::fromUnits(10000 + (i % 997) * 10000);
        row.method = QStringLiteral("零钱");
        row.status = i % 100 == 7 ? QStringLiteral("交易关闭") : QStringLiteral("支付成功");
        row.number = QStringLiteral("4200000%1").arg(i);
        if (i % 50 == 1) {
            row.category = QStringLiteral("零钱充值");
            row.direction = BillDirection::Neither;
            row.method = QStringLiteral("招商银行储蓄卡(1234)");
            row.fee = Money::fromUnits(1000);
        }
        bill.rows.append(row);
    }
    return bill;
}

double ms(const QElapsedTimer& timer) {
    return timer.nsecsElapsed() / 1e6;
}

// The process's processor time so far, which a busy machine does not inflate.
double cpuMs() {
    return 1000.0 * double(std::clock()) / CLOCKS_PER_SEC;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: tamberlo-import-timing <household file> [lines]\n");
        return 2;
    }
    const int lines = args.size() > 2 ? args[2].toInt() : 100000;
    QuietPrompt prompt;
    Database database;
    if (const Status opened = database.open(args[1]); !opened) {
        std::fprintf(stderr, "%s\n", qPrintable(opened.error()));
        return 1;
    }
    HomeSafe homeSafe(database);
    QTemporaryDir settingsFolder;
    IniFile settings(settingsFolder.filePath(QStringLiteral("lomu.ini")));
    CurrentUser user{QStringLiteral("管理员"), QStringLiteral("1111111"), {}, {}, {}, false};
    const auto every = [](const QString&) { return true; };
    Household household{database, homeSafe, settings, user, every, every, nullptr, QString()};

    const qint64 wallet = placeNamed(database, QStringLiteral("微信零钱"), "dianziqianbao");
    const qint64 card = placeNamed(database, QStringLiteral("招商银行"), "yinhangka");
    SaveMethodPlace(database, QStringLiteral("weixin"), QStringLiteral("零钱"), wallet);
    SaveMethodPlace(database, QStringLiteral("weixin"), QStringLiteral("招商银行储蓄卡(1234)"), card);
    QSqlQuery count(database.connection());
    count.exec(QStringLiteral("select count(*) from shouzhibiao"));
    count.next();
    std::printf("entries: %lld, bill lines: %d\n", count.value(0).toLongLong(), lines);
    count.finish();

    const Bill bill = bigBill(lines);
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = cpuMs();
    Result<ImportPlan> plan = PlanImport(database.connection(), bill);
    if (!plan) {
        std::fprintf(stderr, "%s\n", qPrintable(plan.error()));
        return 1;
    }
    const double planned = ms(timer);
    int added = 0;
    {
        ImportPreview preview(household, plan.value());
        preview.show();
        preview.repaint();
        QApplication::processEvents();
        const double shown = ms(timer);
        const double shownCpu = cpuMs() - cpuStart;
        std::printf("plan: %.0f ms; plan + preview shown: %.0f ms (processor %.0f ms)\n", planned, shown,
                    shownCpu);
        timer.restart();
        const double commitStart = cpuMs();
        const Result<ImportOutcome> done = CommitImport(database, homeSafe, preview.plan(), user.name, true);
        if (!done) {
            std::fprintf(stderr, "%s\n", qPrintable(done.error()));
            return 1;
        }
        added = done->added;
        std::printf("commit: %.0f ms (processor %.0f ms; %d written)\n", ms(timer), cpuMs() - commitStart,
                    added);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory: %.0f MB\n", usage.ru_maxrss / 1024.0);
    return added > 0 ? 0 : 1;
}
