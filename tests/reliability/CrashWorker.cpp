// A stand-in for the program that only moves money: it opens the household given on the command line
// (a file, or "postgresql:" and a connection string for a server) and runs a long random sequence of entry
// saves, edits and deletions (on the home safe and the banks), deposits, withdrawals and transfers with and
// without a fee through the same calls the panels make, until it is killed. Each start says "ready" once the
// database is open. Given a number of operations, it instead waits for a line on its input after "ready" (so
// that two copies start together), runs that many and ends, saying how many were stored ("stored N of M").
// With "hold" instead of a seed it saves one expense and stops inside the transaction, saying "inside".
#include "bank/BankMoves.h"
#include "bank/Transfers.h"
#include "data/Database.h"
#include "data/HomeSafe.h"
#include "data/Statements.h"
#include "ledger/EntryBook.h"

#include <QCoreApplication>
#include <QDate>
#include <QSqlQuery>
#include <QStringList>
#include <QThread>

#include <cstdio>
#include <cstring>
#include <optional>
#include <random>

namespace {

const QStringList kBanks = {QStringLiteral("工商银行"), QStringLiteral("农业银行"),
                            QStringLiteral("招商银行")};
const QStringList kDetails = {QStringLiteral("工资"), QStringLiteral("菜钱"), QStringLiteral("房租 'A'"),
                              QStringLiteral("50% 折扣"), QStringLiteral("𠀀 😀")};

struct Row {
    qint64 id;
    EntryText asRead;
};

// A random row of the book's type, as the list would show it, or none when there is none.
std::optional<Row> pickRow(Database& db, const EntryBook& book, std::mt19937_64& random) {
    const EntryType type = book.type();
    QSqlQuery count(db.connection());
    count.prepare(QStringLiteral("select count(*) from shouzhibiao where leixing=:t"));
    count.bindValue(QStringLiteral(":t"), EntryTypeCode(type));
    if (!count.exec() || !count.next() || count.value(0).toLongLong() == 0)
        return std::nullopt;
    const qint64 offset = static_cast<qint64>(random() % count.value(0).toULongLong());
    QSqlQuery row(db.connection());
    row.prepare(QStringLiteral("select id from shouzhibiao where leixing=:t order by id limit 1 offset :o"));
    row.bindValue(QStringLiteral(":t"), EntryTypeCode(type));
    row.bindValue(QStringLiteral(":o"), offset);
    if (!row.exec() || !row.next())
        return std::nullopt;
    const qint64 id = row.value(0).toLongLong();
    const Result<EntryText> asRead = book.read(id);
    if (!asRead)
        return std::nullopt;
    return Row{id, asRead.value()};
}

Money randomAmount(std::mt19937_64& random, qint64 maxYuan) {
    return Money::fromUnits(
        1 + static_cast<qint64>(random() % static_cast<quint64>(maxYuan * Money::kUnitsPerYuan)));
}

// The places an entry may name: the home safe (0) and every bank the household has.
QList<qint64> entryPlaces(Database& db) {
    QList<qint64> places{0};
    for (const QString& bank : kBanks) {
        QSqlQuery id(db.connection());
        id.prepare(QStringLiteral("select id from zhangwubiao where mingcheng=:n"));
        id.bindValue(QStringLiteral(":n"), bank);
        if (id.exec() && id.next())
            places.append(id.value(0).toLongLong());
    }
    return places;
}

// A transfer between two different places of the household, a third of them with a fee.
TransferRequest randomTransfer(Database& db, std::mt19937_64& random, const QString& copy) {
    QStringList names = kBanks;
    names.append(QString::fromUtf8(Codes::kHomeSafe));
    const int from = static_cast<int>(random() % names.size());
    const int to = (from + 1 + static_cast<int>(random() % (names.size() - 1))) % names.size();
    auto place = [&db](const QString& name) {
        QSqlQuery id(db.connection());
        id.prepare(QStringLiteral("select id from zhangwubiao where mingcheng=:n"));
        id.bindValue(QStringLiteral(":n"), name);
        return TransferPlace{id.exec() && id.next() ? id.value(0).toLongLong() : 0, name};
    };
    TransferRequest request;
    request.from = place(names[from]);
    request.to = place(names[to]);
    request.amountText = randomAmount(random, 2000).toPlainText();
    if (random() % 3 == 0)
        request.feeText = randomAmount(random, 5).toPlainText();
    request.operatorName = QStringLiteral("管理员%1").arg(copy);
    request.day = QDate(2007, 1, 16);
    return request;
}

EntryText randomEntry(std::mt19937_64& random, Money amount, const QList<qint64>& places) {
    const QDate day = QDate(2007, 1, 1).addDays(static_cast<qint64>(random() % 400));
    return EntryText{kDetails[static_cast<int>(random() % kDetails.size())],
                     amount,
                     day.toString(Qt::ISODate),
                     QStringLiteral("管理员"),
                     QStringLiteral("备注 %1").arg(random() % 1000),
                     places[static_cast<int>(random() % places.size())]};
}

// Saves an expense of 1 yuan and stops before the commit, holding the write lock, until it is killed.
int holdInsideATransaction(Database& database) {
    std::puts("ready");
    (void)database.transaction([&database]() -> Status {
        QSqlQuery write(database.connection());
        write.exec(QStringLiteral("update zhangwubiao set jine = jine - 10000 where mingcheng='家庭保险柜'"));
        write.exec(
            QStringLiteral("insert into shouzhibiao (leixing, mingxi, feiyong, shururiqi) values "
                           "('zhichu', '半途', 10000, '2007-01-15')"));
        std::puts("inside");
        std::fflush(stdout);
        for (;;)
            QThread::sleep(1);
        return Status::ok();
    });
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s <database|postgresql:connection> <seed|hold> [operations]\n",
                     argv[0]);
        return 2;
    }
    Database database;
    const QString where = QString::fromLocal8Bit(argv[1]);
    const QString server = QStringLiteral("postgresql:");
    if (Status s =
            where.startsWith(server) ? database.openServer(where.mid(server.size())) : database.open(where);
        !s) {
        std::fprintf(stderr, "%s\n", qPrintable(s.error()));
        return 1;
    }
    HomeSafe homeSafe(database);
    if (Status s = homeSafe.ReadHomeSafeBalance(); !s) {
        std::fprintf(stderr, "%s\n", qPrintable(s.error()));
        return 1;
    }
    EntryBook income(database, homeSafe, EntryType::Income);
    EntryBook expense(database, homeSafe, EntryType::Expense);
    if (std::strcmp(argv[2], "hold") == 0)
        return holdInsideATransaction(database);
    std::mt19937_64 random(std::stoull(argv[2]));
    const QList<qint64> places = entryPlaces(database);
    const long long operations = argc == 4 ? std::stoll(argv[3]) : -1;
    std::puts("ready");
    std::fflush(stdout);
    if (operations >= 0) {
        char line[16];
        if (!std::fgets(line, sizeof line, stdin))
            return 1;
    }

    long long stored = 0;
    for (long long done = 0; operations < 0 || done < operations; ++done) {
        // Two copies run side by side: a short pause between operations, as a user makes, lets the
        // other copy's waiting save through instead of starving it.
        if (operations >= 0)
            QThread::usleep(static_cast<unsigned long>(random() % 4000));
        const unsigned choice = static_cast<unsigned>(random() % 100);
        EntryBook& book = random() % 2 ? income : expense;
        if (choice < 25) {
            stored +=
                income.save(std::nullopt, randomEntry(random, randomAmount(random, 5000), places)).isOk();
        } else if (choice < 45) {
            stored +=
                expense.save(std::nullopt, randomEntry(random, randomAmount(random, 500), places)).isOk();
        } else if (choice < 60) {
            if (const auto row = pickRow(database, book, random)) {
                stored +=
                    book.save(row->id, randomEntry(random, randomAmount(random, 800), places), row->asRead)
                        .isOk();
            }
        } else if (choice < 70) {
            if (const auto row = pickRow(database, book, random))
                stored += book.remove(row->id, row->asRead, QStringLiteral("管理员")).isOk();
        } else if (choice >= 90) {
            stored += PerformTransfer(database, homeSafe,
                                      randomTransfer(database, random, QString::fromLatin1(argv[2])))
                          .kind == MoveOutcome::Kind::Done;
        } else {
            MoveRequest request;
            request.kind = choice < 80 ? MoveKind::Deposit : MoveKind::Withdrawal;
            request.bank = kBanks[static_cast<int>(random() % kBanks.size())];
            request.amountText = randomAmount(random, 3000).toPlainText();
            // The operator names the copy, so that a test can see the copies take turns.
            request.operatorName = QStringLiteral("管理员%1").arg(QString::fromLatin1(argv[2]));
            request.day = QDate(2007, 1, 15);
            stored += PerformMove(database, homeSafe, request).kind == MoveOutcome::Kind::Done;
        }
    }
    std::printf("stored %lld of %lld\n", stored, operations);
    return 0;
}
