#include "bench/HouseholdGenerator.h"

#include "data/Database.h"
#include "data/DateText.h"
#include "data/HomeSafe.h"
#include "data/Money.h"
#include "data/Statements.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariantList>

#include <random>

namespace {

struct Detail {
    const char* name;
    int minYuan;
    int maxYuan;
    int weight;
};

const Detail kIncomes[] = {{"工资", 4000, 12000, 10}, {"奖金", 500, 8000, 2},  {"兼职", 100, 2000, 4},
                           {"理财收益", 10, 800, 5},  {"租金", 1500, 3500, 3}, {"红包", 50, 1000, 3},
                           {"报销", 30, 1500, 3},     {"退款", 5, 500, 2}};
const Detail kExpenses[] = {
    {"买菜", 10, 150, 30},   {"水果", 5, 80, 12},     {"早餐", 3, 25, 20},    {"午餐", 10, 60, 20},
    {"晚餐", 15, 200, 12},   {"外卖", 15, 80, 10},    {"水费", 30, 120, 2},   {"电费", 60, 400, 2},
    {"燃气费", 30, 200, 2},  {"物业费", 100, 600, 1}, {"话费", 30, 200, 2},   {"网费", 50, 150, 1},
    {"公交地铁", 2, 10, 15}, {"加油", 150, 500, 4},   {"停车费", 5, 50, 5},   {"打车", 10, 100, 5},
    {"衣服", 50, 1200, 4},   {"鞋帽", 80, 900, 2},    {"日用品", 5, 200, 10}, {"医药", 10, 500, 3},
    {"看病", 50, 3000, 1},   {"学费", 500, 8000, 1},  {"书籍", 20, 300, 3},   {"玩具", 20, 500, 2},
    {"电影", 30, 200, 2},    {"旅游", 500, 9000, 1},  {"聚餐", 100, 1200, 3}, {"礼金", 200, 2000, 1},
    {"保险", 300, 5000, 1},  {"家电", 200, 6000, 1},  {"维修", 50, 1500, 1},  {"宠物", 20, 600, 2},
    {"美容美发", 30, 400, 2}};

const char* const kBanks[] = {"工商银行", "农业银行", "中国银行", "建设银行", "交通银行",
                              "招商银行", "邮储银行", "中信银行", "光大银行", "华夏银行",
                              "民生银行", "广发银行", "平安银行", "兴业银行", "浦发银行",
                              "北京银行", "上海银行", "江苏银行", "宁波银行", "杭州银行"};

const char* const kUsers[][4] = {{"baba", "爸爸", "111", "1111111"},
                                 {"mama", "妈妈", "222", "0011111"},
                                 {"nainai", "奶奶", "333", "0001100"},
                                 {"xiaoming", "小明", "444", "0001000"},
                                 {"guest", "客人", "555", "0000000"}};

const Detail& pick(std::mt19937_64& random, const Detail* details, size_t count) {
    int total = 0;
    for (size_t i = 0; i < count; ++i)
        total += details[i].weight;
    int r = std::uniform_int_distribution<int>(0, total - 1)(random);
    for (size_t i = 0; i < count; ++i) {
        if (r < details[i].weight)
            return details[i];
        r -= details[i].weight;
    }
    return details[0];
}

// An amount in whole fen between the bounds, as ten-thousandths.
qint64 amount(std::mt19937_64& random, int minYuan, int maxYuan) {
    const qint64 fen =
        std::uniform_int_distribution<qint64>(qint64(minYuan) * 100, qint64(maxYuan) * 100)(random);
    return fen * 100;
}

class Batch {
  public:
    Batch(QSqlDatabase db, const QString& statement, int columns) : query_(db), columns_(columns) {
        query_.prepare(statement);
        values_.resize(columns);
    }
    void add(const QVariantList& row) {
        for (int i = 0; i < columns_; ++i)
            values_[i].append(row[i]);
    }
    Status flush() {
        if (values_[0].isEmpty())
            return Status::ok();
        for (int i = 0; i < columns_; ++i)
            query_.addBindValue(values_[i]);
        if (!query_.execBatch())
            return Status::failure(query_.lastError().text());
        for (auto& v : values_)
            v.clear();
        return Status::ok();
    }
    Status addAndMaybeFlush(const QVariantList& row) {
        add(row);
        return values_[0].size() >= 5000 ? flush() : Status::ok();
    }

  private:
    QSqlQuery query_;
    int columns_;
    QList<QVariantList> values_;
};

// The places besides the home safe and the banks that EntryPlaces::Eight adds, and each place's share
// of the entries in hundredths: the home safe, the first four banks' cards, then these three.
struct ExtraPlace {
    const char* name;
    const char* kind;
    qint64 limitYuan;
};
const ExtraPlace kExtraPlaces[] = {{"支付宝", Codes::kWallet, 0},
                                   {"微信零钱", Codes::kWallet, 0},
                                   {"招商银行信用卡", Codes::kCreditCard, 30000}};
constexpr int kSpreadBanks = 4;
constexpr qint64 kPlaceCeiling = 50'000'000;
const int kPlaceShare[] = {25, 12, 12, 12, 12, 12, 10, 5};

int pickPlace(std::mt19937_64& random) {
    int r = std::uniform_int_distribution<int>(0, 99)(random);
    for (int place = 0; place < int(std::size(kPlaceShare)); ++place) {
        if (r < kPlaceShare[place])
            return place;
        r -= kPlaceShare[place];
    }
    return 0;
}

Result<qint64> idOf(QSqlDatabase db, const QString& name) {
    QSqlQuery query(db);
    query.prepare(QString::fromLatin1(Sql::kPlaceId));
    query.bindValue(QStringLiteral(":mingcheng"), name);
    if (!query.exec() || !query.next())
        return Result<qint64>::failure(query.lastError().text());
    return query.value(0).toLongLong();
}

}  // namespace

Status GenerateHousehold(const QString& databasePath, const HouseholdSize& size, quint64 seed,
                         EntryPlaces places) {
    QFile::remove(databasePath);
    QFile::remove(databasePath + QStringLiteral("-wal"));
    QFile::remove(databasePath + QStringLiteral("-shm"));
    Database database;
    if (Status s = database.open(databasePath); !s)
        return s;
    QSqlDatabase db = database.connection();
    std::mt19937_64 random(seed);
    // The places are drawn from a sequence of their own, so that the entries are the same either way.
    std::mt19937_64 placeRandom(seed ^ 0x9E3779B97F4A7C15ULL);
    const bool spread = places == EntryPlaces::Eight;
    const QDate first = kGeneratedToday.addYears(-20).addDays(1);
    const qint64 days = first.daysTo(kGeneratedToday) + 1;

    return database.transaction([&]() -> Status {
        qint64 homeSafe = 0;
        QList<qint64> banks(std::size(kBanks), 0);
        // Each bank's deposits less its withdrawals, which decides the next record's kind (the same as
        // its balance unless entries sit on the bank too).
        QList<qint64> banksRecorded(std::size(kBanks), 0);
        QList<qint64> extras(std::size(kExtraPlaces), 0);
        // The keys of the eight places (home safe, four banks, the extra places), known before the entries
        // name them: the places are written first, their details and balances at the end.
        QList<qint64> placeIds;
        if (spread) {
            QSqlQuery place(db);
            place.prepare(QStringLiteral("insert into zhangwubiao (mingcheng, leibie, edu) values (?,?,?)"));
            for (const char* name : kBanks) {
                place.addBindValue(QString::fromUtf8(name));
                place.addBindValue(QString::fromLatin1(Codes::kBankCard));
                place.addBindValue(0);
                if (!place.exec())
                    return Status::failure(place.lastError().text());
            }
            for (const ExtraPlace& extra : kExtraPlaces) {
                place.addBindValue(QString::fromUtf8(extra.name));
                place.addBindValue(QString::fromLatin1(extra.kind));
                place.addBindValue(extra.limitYuan * 10000);
                if (!place.exec())
                    return Status::failure(place.lastError().text());
            }
            QStringList names{QString::fromUtf8(Codes::kHomeSafe)};
            for (int b = 0; b < kSpreadBanks; ++b)
                names.append(QString::fromUtf8(kBanks[b]));
            for (const ExtraPlace& extra : kExtraPlaces)
                names.append(QString::fromUtf8(extra.name));
            for (const QString& name : names) {
                const Result<qint64> id = idOf(db, name);
                if (!id)
                    return id.status();
                placeIds.append(id.value());
            }
        }
        // The balance of one of the eight places.
        const auto balanceOf = [&](int place) -> qint64& {
            return place == 0              ? homeSafe
                   : place <= kSpreadBanks ? banks[place - 1]
                                           : extras[place - 1 - kSpreadBanks];
        };

        // Entries: evenly spread over the days, about one in fifteen an income, so that a household roughly
        // lives within its means.
        Batch entries(
            db,
            spread
                ? QStringLiteral("insert into shouzhibiao (leixing, mingxi, feiyong, shururiqi, dengjiren, "
                                 "beizhu, zhanghu) values (?,?,?,?,?,?,?)")
                : QStringLiteral("insert into shouzhibiao (leixing, mingxi, feiyong, shururiqi, dengjiren, "
                                 "beizhu) values (?,?,?,?,?,?)"),
            spread ? 7 : 6);
        // Deposits and withdrawals interleaved with the entries in date order.
        Batch records(db,
                      QStringLiteral("insert into yinghanbiao (mingcheng, jine, leixing, riqi, caozuoren) "
                                     "values (?,?,?,?,?)"),
                      5);
        qint64 recordsWritten = 0;
        for (qint64 i = 0; i < size.entries; ++i) {
            const QDate day = first.addDays(i * days / size.entries);
            const bool income = std::uniform_int_distribution<int>(0, 14)(random) == 0;
            const Detail& d = income ? pick(random, kIncomes, std::size(kIncomes))
                                     : pick(random, kExpenses, std::size(kExpenses));
            const qint64 units = amount(random, d.minYuan, d.maxYuan);
            // A place other than the home safe takes an income while it holds less than ￥5000 (a credit
            // card while it is owed), and pays an expense that leaves it above zero (within its limit);
            // otherwise the home safe does, as it holds what the household keeps.
            int place = spread ? pickPlace(placeRandom) : 0;
            if (place != 0) {
                const qint64 limit =
                    place > kSpreadBanks ? kExtraPlaces[place - 1 - kSpreadBanks].limitYuan * 10000 : 0;
                const bool takes = income ? balanceOf(place) < (limit > 0 ? 0 : kPlaceCeiling)
                                          : balanceOf(place) - units >= -limit;
                if (!takes)
                    place = 0;
            }
            balanceOf(place) += income ? units : -units;
            const char* user = kUsers[std::uniform_int_distribution<int>(0, 2)(random)][1];
            const QString remark =
                std::uniform_int_distribution<int>(0, 9)(random) == 0 ? QStringLiteral("备注") : QString();
            QVariantList row{QString::fromLatin1(income ? Codes::kIncome : Codes::kExpense),
                             QString::fromUtf8(d.name),
                             units,
                             ShortDate(day),
                             QString::fromUtf8(user),
                             remark};
            if (spread)
                row.append(placeIds[place]);
            if (Status s = entries.addAndMaybeFlush(row); !s)
                return s;
            // Keep the records in step with the entries so that they also spread over the years.
            while (recordsWritten * size.entries < (i + 1) * size.bankRecords) {
                const int bank = std::uniform_int_distribution<int>(0, int(std::size(kBanks)) - 1)(random);
                const bool deposit =
                    banksRecorded[bank] < 50'000'000 || std::uniform_int_distribution<int>(0, 1)(random) == 0;
                qint64 recorded = amount(random, 100, 5000);
                if (!deposit)
                    recorded = std::min(recorded, banksRecorded[bank]);
                banksRecorded[bank] += deposit ? recorded : -recorded;
                // A withdrawal takes no more than the card holds once its own entries are counted.
                const qint64 moved = deposit ? recorded : std::min(recorded, banks[bank]);
                banks[bank] += deposit ? moved : -moved;
                homeSafe += deposit ? -moved : moved;
                if (Status s = records.addAndMaybeFlush(
                        {QString::fromUtf8(kBanks[bank]), moved,
                         QString::fromLatin1(deposit ? Codes::kDeposit : Codes::kWithdrawal), ShortDate(day),
                         QString::fromUtf8(kUsers[0][1])});
                    !s) {
                    return s;
                }
                ++recordsWritten;
            }
        }
        if (Status s = entries.flush(); !s)
            return s;
        if (Status s = records.flush(); !s)
            return s;

        Batch reminders(db, QStringLiteral("insert into tixing (riqi, fanwei, neirong) values (?,?,?)"), 3);
        const char* const ranges[] = {Codes::kOnce, Codes::kDaily, Codes::kMonthly};
        for (qint64 i = 0; i < size.reminders; ++i) {
            const QDate day = first.addDays(std::uniform_int_distribution<qint64>(0, days - 1)(random));
            // Few repeat daily: a household reminds itself of a handful of things every day.
            const int range = i % 50 == 0 ? 1 : (i % 5 == 0 ? 2 : 0);
            if (Status s = reminders.addAndMaybeFlush({ShortDate(day), QString::fromUtf8(ranges[range]),
                                                       QStringLiteral("提醒事项 %1").arg(i + 1)});
                !s) {
                return s;
            }
        }
        if (Status s = reminders.flush(); !s)
            return s;

        QSqlQuery bank(db);
        bank.prepare(
            spread ? QStringLiteral("update zhangwubiao set mingcheng=?, yonghuming=?, zhanghao=?, mima=?, "
                                    "jine=? where mingcheng=?")
                   : QStringLiteral("insert into zhangwubiao (mingcheng, yonghuming, zhanghao, mima, jine) "
                                    "values (?,?,?,?,?)"));
        for (size_t b = 0; b < std::size(kBanks); ++b) {
            bank.addBindValue(QString::fromUtf8(kBanks[b]));
            bank.addBindValue(QStringLiteral("用户%1").arg(b + 1));
            bank.addBindValue(QStringLiteral("6222%1").arg(qulonglong(random() % 1'000'000'000'000ULL), 12,
                                                           10, QLatin1Char('0')));
            bank.addBindValue(QStringLiteral("%1").arg(random() % 1'000'000, 6, 10, QLatin1Char('0')));
            bank.addBindValue(banks[b]);
            if (spread)
                bank.addBindValue(QString::fromUtf8(kBanks[b]));
            if (!bank.exec())
                return Status::failure(bank.lastError().text());
        }
        if (spread) {
            QSqlQuery extra(db);
            extra.prepare(QString::fromLatin1(Sql::kWritePlaceBalance));
            for (size_t e = 0; e < std::size(kExtraPlaces); ++e) {
                extra.bindValue(QStringLiteral(":jine"), extras[e]);
                extra.bindValue(QStringLiteral(":id"), placeIds[1 + kSpreadBanks + int(e)]);
                if (!extra.exec())
                    return Status::failure(extra.lastError().text());
            }
        }
        if (Status s = WriteBalance(db, QString::fromUtf8(Codes::kHomeSafe), Money::fromUnits(homeSafe)); !s)
            return s;

        QSqlQuery user(db);
        user.prepare(QStringLiteral(
            "insert into quanxiangbiao (yonghuID, xingming, mima, quangxian) values (?,?,?,?)"));
        for (const auto& u : kUsers) {
            for (const char* field : u)
                user.addBindValue(QString::fromUtf8(field));
            if (!user.exec())
                return Status::failure(user.lastError().text());
        }
        return Status::ok();
    });
}
