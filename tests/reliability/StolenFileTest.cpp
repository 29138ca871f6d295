// What a thief finds in the files the program writes: the household with its log, the upgrade's safety
// copy, plain and encrypted backups, the copy kept before a restore and the exports. None of them holds
// a password or passphrase as it was typed, in UTF-8 or in the UTF-16 that Qt keeps strings in.
#include "access/Login.h"
#include "access/UserRows.h"
#include "data/Database.h"
#include "data/SecretUpgrade.h"
#include "data/Secrets.h"
#include "kopira/EncryptedBackup.h"
#include "kopira/KopiraHousehold.h"
#include "kopira/KopiraStore.h"
#include "ledger/CsvExport.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// Distinctive texts, so that a hit can only be the secret itself.
const QString kAdminPassword = QStringLiteral("Zq8-Lm3Vx-Wp");
const QString kKidPassword = QStringLiteral("Kd7-Uy2Rt-Ha");
const QString kKidNewPassword = QStringLiteral("Nw3-Kd8Zx-Jo");
const QString kBankPassword = QStringLiteral("Bk5-Hs9Pn-Qe");
const QString kPassphrase = QStringLiteral("Pp4-Gj6Ld-密语");

void exec(QSqlDatabase db, const QString& sql) {
    QSqlQuery q(db);
    EXPECT_TRUE(q.exec(sql)) << sql.toStdString() << ": " << q.lastError().text().toStdString();
}

// Every file under the folder, with its size, and each secret found in it (as typed and with its letter
// case folded, in UTF-8 and UTF-16LE).
struct Search {
    QStringList files;
    qint64 bytes = 0;
    QStringList hits;
};
Search searchAll(const QString& folder) {
    Search search;
    QDirIterator files(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        const QByteArray bytes = file.readAll();
        search.files.append(QStringLiteral("%1 (%2 B)").arg(path.mid(folder.size() + 1)).arg(bytes.size()));
        search.bytes += bytes.size();
        for (const QString& secret :
             {kAdminPassword, kKidPassword, kKidNewPassword, kBankPassword, kPassphrase}) {
            for (const QString& form : {secret, FoldPasswordCase(secret)}) {
                const QByteArray utf16(reinterpret_cast<const char*>(form.utf16()), form.size() * 2);
                if (bytes.contains(form.toUtf8()) || bytes.contains(utf16))
                    search.hits.append(path + QStringLiteral(": ") + form);
            }
        }
    }
    return search;
}

void expectNoSecretIn(const QString& folder, int atLeastFiles) {
    const Search search = searchAll(folder);
    EXPECT_GE(search.files.size(), atLeastFiles) << search.files.join('\n').toStdString();
    EXPECT_TRUE(search.hits.isEmpty()) << search.hits.join('\n').toStdString();
    std::printf("searched %lld files, %lld bytes, %lld hits:\n  %s\n",
                static_cast<long long>(search.files.size()), static_cast<long long>(search.bytes),
                static_cast<long long>(search.hits.size()),
                qUtf8Printable(search.files.join(QStringLiteral("\n  "))));
}

std::optional<LoginMatch> login(const Database& db, const QString& id, const QString& password) {
    const auto found = LookUpLogin(db.connection(), id, password);
    EXPECT_TRUE(found.isOk()) << found.error().toStdString();
    return found.isOk() ? found.value() : std::nullopt;
}

QString bankPasswordRead(const Database& db, const SecretKey& key) {
    QSqlQuery q(db.connection());
    EXPECT_TRUE(q.exec(QStringLiteral("select mimami from zhangwubiao where mingcheng='招商银行'")));
    const QByteArray sealed = q.next() ? q.value(0).toString().toLatin1() : QByteArray();
    const Result<QString> opened = OpenBankPassword(key, sealed);
    return opened ? opened.value() : QString();
}

// A household of data version 5 as the program wrote it then: the passwords and the bank password plain.
void writeVersion5Household(const TempHome& home) {
    Database db;
    ASSERT_TRUE(db.open(home.databasePath()).isOk());
    QSqlDatabase c = db.connection();
    exec(c, QStringLiteral("update quanxiangbiao set mima='%1', mimasanlie=null, gongyao=null, siyao=null, "
                           "jiayao=null")
                .arg(kAdminPassword));
    exec(c, QStringLiteral("insert into quanxiangbiao (yonghuID, xingming, mima, quangxian) values "
                           "('kid', '小明', '%1', '0001110')")
                .arg(kKidPassword));
    exec(c, QStringLiteral("insert into zhangwubiao (mingcheng, yonghuming, zhanghao, mima, jine, leibie) "
                           "values ('招商银行', '张三', '6225880012345678', '%1', 0, 'yinhangka')")
                .arg(kBankPassword));
    exec(c, QStringLiteral("insert into shouzhibiao (leixing, mingxi, feiyong, shururiqi, zhanghu) values "
                           "('shouru', '工资', 50000000, '2007-01-10', 1)"));
    exec(c, QStringLiteral("insert into yinghanbiao (mingcheng, jine, leixing, riqi, caozuoren) values "
                           "('招商银行', 10000000, 'cunkuan', '2007-01-11', '管理员')"));
    exec(c, QStringLiteral("PRAGMA user_version = 5"));
}

TEST(StolenFile, NoFileTheProgramWritesHoldsAPasswordTypedAndARestoreElsewhereReadsTheBank) {
    TempHome home;
    writeVersion5Household(home);
    const Kopira::Household household = Kopira::HouseholdOf(home.path());
    ASSERT_TRUE(household.problem.isEmpty()) << household.problem.toStdString();
    const QString backups = Kopira::DefaultBackupFolder(home.path());
    const QDateTime when(QDate(2007, 1, 15), QTime(9, 0));
    QString plainBackup;
    QString encrypted;
    {
        Database db;
        const Status opened = db.open(home.databasePath());  // the upgrade, after its safety copy
        ASSERT_TRUE(opened.isOk()) << opened.error().toStdString();
        const auto admin = login(db, QStringLiteral("001"), kAdminPassword.toUpper());
        ASSERT_TRUE(admin && !admin->householdKey.isEmpty());
        EXPECT_EQ(bankPasswordRead(db, admin->householdKey), kBankPassword);
        const auto kid = login(db, QStringLiteral("KID"), kKidPassword);
        ASSERT_TRUE(kid);
        const auto changed = ChangePassword(db.connection(), QStringLiteral("小明"), kKidNewPassword,
                                            kid->keys, kid->householdKey);
        ASSERT_TRUE(changed.isOk() && changed->rows == 1);

        for (const auto& [kind, name] : {std::pair{ExportKind::Entries, "收支明细.csv"},
                                         std::pair{ExportKind::Transactions, "银行记录.csv"}}) {
            const Result<int> rows = ExportToCsv(db.connection(), kind, QDate(2007, 1, 1), QDate(2007, 1, 31),
                                                 home.path() + QLatin1Char('/') + QString::fromUtf8(name));
            ASSERT_TRUE(rows.isOk()) << rows.error().toStdString();
            EXPECT_EQ(rows.value(), 1);
        }
        const Result<QString> plain = Kopira::BackUpHousehold(household, backups, when);
        ASSERT_TRUE(plain.isOk()) << plain.error().toStdString();
        plainBackup = plain.value();
        const Result<QString> sealed =
            Kopira::BackUpHouseholdEncrypted(household, backups, when.addSecs(60), kPassphrase);
        ASSERT_TRUE(sealed.isOk()) << sealed.error().toStdString();
        encrypted = sealed.value();
        // The household, its log, the safety copy, two exports, two backups.
        ASSERT_TRUE(QFile::exists(home.databasePath() + QStringLiteral("-wal")));
        expectNoSecretIn(home.path(), 7);
    }
    // A restore keeps what it replaces in a copy of its own.
    const Result<QString> kept = Kopira::RestoreHousehold(household, plainBackup, backups, when.addSecs(120));
    ASSERT_TRUE(kept.isOk()) << kept.error().toStdString();
    EXPECT_TRUE(QFileInfo(kept.value()).fileName().startsWith(QStringLiteral("lomu-恢复前-")))
        << kept.value().toStdString();
    expectNoSecretIn(home.path(), 7);

    // On a new computer: the encrypted backup restored into an empty home folder; the same users with the
    // same passwords read the bank password.
    TempHome elsewhere;
    const Kopira::Household there = Kopira::HouseholdOf(elsewhere.path());
    {
        const auto decrypted = Kopira::DecryptedBackup::Open(encrypted, kPassphrase, there.file);
        ASSERT_TRUE(decrypted.isOk()) << decrypted.error().toStdString();
        const Result<QString> restored =
            Kopira::RestoreHousehold(there, decrypted.value()->path(),
                                     Kopira::DefaultBackupFolder(elsewhere.path()), when.addSecs(180));
        ASSERT_TRUE(restored.isOk()) << restored.error().toStdString();
    }
    Database db;
    ASSERT_TRUE(db.open(elsewhere.databasePath()).isOk());
    EXPECT_FALSE(login(db, QStringLiteral("kid"), kKidPassword));
    for (const auto& [id, password] : {std::pair{QStringLiteral("001"), kAdminPassword},
                                       std::pair{QStringLiteral("Kid"), kKidNewPassword.toLower()}}) {
        const auto user = login(db, id, password);
        ASSERT_TRUE(user) << id.toStdString();
        EXPECT_EQ(bankPasswordRead(db, user->householdKey), kBankPassword) << id.toStdString();
    }
    expectNoSecretIn(elsewhere.path(), 1);
}

}  // namespace
