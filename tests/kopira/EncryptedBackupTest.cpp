// Backups under a passphrase: what they hold, and what a wrong passphrase or a changed file does.
#include "data/Database.h"
#include "kopira/AutoBackup.h"
#include "kopira/BackupSecretStore.h"
#include "kopira/EncryptedBackup.h"
#include "kopira/KopiraStore.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSqlQuery>

#include <map>

namespace {

const QDateTime kWhen(QDate(2007, 1, 15), QTime(9, 30, 5));
const QString kPassphrase = QStringLiteral("搬家 Umzug 2007");
const QString kMarker = QStringLiteral("钥匙在花盆下面-7731");

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// A household of a few hundred KB (several chunks), a marker text in one reminder.
void fill(const QString& db, int rows) {
    Database open;
    ASSERT_TRUE(open.open(db).isOk());
    QSqlQuery q(open.connection());
    q.exec(QStringLiteral("begin"));
    q.exec(QStringLiteral("insert into tixing (riqi, fanwei, neirong) values ('2007-01-15', '当天', '%1')")
               .arg(kMarker));
    for (int i = 0; i < rows; ++i)
        q.exec(
            QStringLiteral("insert into tixing (riqi, fanwei, neirong) values ('2007-01-15', '当天', '%1')")
                .arg(QString(100, QLatin1Char('a' + i % 26))));
    q.exec(QStringLiteral("commit"));
}

qint64 count(const QString& db, const QString& where) {
    qint64 n = -1;
    Kopira::WithConnection(db, [&](QSqlDatabase& c) {
        QSqlQuery q(c);
        if (q.exec(QStringLiteral("select count(*) from tixing where %1").arg(where)) && q.next())
            n = q.value(0).toLongLong();
        return Status::ok();
    });
    return n;
}

QStringList plainLeftovers(const QString& db) {
    return QDir(QFileInfo(db).absolutePath()).entryList({QStringLiteral("lomu-*.part")}, QDir::Files);
}

struct Tool {
    TempHome home;
    QString db = home.databasePath();
    QString folder = Kopira::DefaultBackupFolder(home.path());
    Kopira::Household household{home.databasePath(), QString(), QString()};
};

TEST(EncryptedBackup, RoundTripBringsTheHouseholdBackAndTheFileHoldsNoPlainByte) {
    Tool t;
    fill(t.db, 3000);
    const Result<QString> made = Kopira::BackUpHouseholdEncrypted(t.household, t.folder, kWhen, kPassphrase);
    ASSERT_TRUE(made.isOk()) << made.error().toStdString();
    EXPECT_EQ(QFileInfo(made.value()).fileName(), QStringLiteral("lomu-20070115-093005.mdb.tbk"));
    EXPECT_EQ(QFile::permissions(made.value()) & (QFileDevice::ReadOther | QFileDevice::ReadGroup), 0);
    const QByteArray bytes = bytesOf(made.value());
    EXPECT_GT(bytes.size(), 3 * 65536);
    EXPECT_FALSE(bytes.contains(kMarker.toUtf8()));
    EXPECT_FALSE(bytes.contains(QByteArray("SQLite format 3")));
    EXPECT_FALSE(bytes.contains(QByteArray(100, 'a')));
    EXPECT_TRUE(plainLeftovers(t.db).isEmpty());
    // Nothing plain beside it in the backup folder either.
    EXPECT_EQ(QDir(t.folder).entryList(QDir::Files), QStringList{QFileInfo(made.value()).fileName()});

    const QList<Kopira::BackupSummary> listed = Kopira::ListBackups(t.folder);
    ASSERT_EQ(listed.size(), 1);
    EXPECT_TRUE(listed[0].encrypted);
    EXPECT_EQ(listed[0].kind, Kopira::BackupKind::Manual);
    EXPECT_EQ(listed[0].made, kWhen);
    EXPECT_TRUE(listed[0].problem.isEmpty());

    fill(t.db, 10);
    {
        const auto opened = Kopira::DecryptedBackup::Open(made.value(), kPassphrase, t.db);
        ASSERT_TRUE(opened.isOk()) << opened.error().toStdString();
        const Kopira::BackupSummary summary = opened.value()->summary();
        EXPECT_TRUE(summary.problem.isEmpty()) << summary.problem.toStdString();
        EXPECT_EQ(summary.path, made.value());
        EXPECT_TRUE(Kopira::DescribeBackup(summary).contains(QStringLiteral("已用口令加密")));
        const Result<QString> restored =
            Kopira::RestoreHousehold(t.household, opened.value()->path(), t.folder, kWhen.addSecs(60));
        ASSERT_TRUE(restored.isOk()) << restored.error().toStdString();
    }
    EXPECT_EQ(count(t.db, QStringLiteral("1")), 3001);
    EXPECT_EQ(count(t.db, QStringLiteral("neirong = '%1'").arg(kMarker)), 1);
    EXPECT_TRUE(plainLeftovers(t.db).isEmpty());
}

TEST(EncryptedBackup, WrongPassphraseChangedByteOrCutFileRestoresNothing) {
    Tool t;
    fill(t.db, 3000);
    const QString made = Kopira::BackUpHouseholdEncrypted(t.household, t.folder, kWhen, kPassphrase).value();
    const QByteArray good = bytesOf(made);
    fill(t.db, 10);
    const QByteArray household = bytesOf(t.db);
    const int header = 77;
    const int sealedChunk = 65536 + 17;
    std::map<std::string, QByteArray> cases;
    QByteArray flipped = good;
    flipped[good.size() / 2] = static_cast<char>(flipped[good.size() / 2] ^ 0x01);
    cases["a byte in the middle"] = flipped;
    QByteArray salt = good;
    salt[header - 30] = static_cast<char>(salt[header - 30] ^ 0x80);
    cases["a byte of the salt"] = salt;
    cases["cut after whole chunks, the final one missing"] = good.left(header + 2 * sealedChunk);
    cases["cut inside the last chunk"] = good.left(good.size() - 5);
    cases["a byte added at the end"] = good + QByteArray(1, '\0');
    const QString changed = QDir(t.folder).filePath(QStringLiteral("lomu-20070116-093005.mdb.tbk"));
    for (const auto& [what, bytes] : cases) {
        writeBytes(changed, bytes);
        const auto opened = Kopira::DecryptedBackup::Open(changed, kPassphrase, t.db);
        ASSERT_FALSE(opened.isOk()) << what;
        EXPECT_EQ(opened.error(), Kopira::WrongPassphraseText()) << what;
        EXPECT_TRUE(plainLeftovers(t.db).isEmpty()) << what;
    }
    const auto wrong = Kopira::DecryptedBackup::Open(made, kPassphrase + QStringLiteral(" "), t.db);
    ASSERT_FALSE(wrong.isOk());
    EXPECT_TRUE(wrong.error().startsWith(
        QStringLiteral("备份口令不对，或者备份文件已被改动或不完整：没有恢复任何内容。")));
    EXPECT_TRUE(plainLeftovers(t.db).isEmpty());
    EXPECT_EQ(bytesOf(t.db), household);
    // Never taken for a plain household.
    EXPECT_FALSE(Kopira::RestoreHousehold(t.household, made, t.folder, kWhen).isOk());
    EXPECT_EQ(bytesOf(t.db), household);
}

class FakeStore : public Kopira::BackupSecretStore {
  public:
    bool running = false;
    QMap<QString, QString> kept;
    bool available() override { return running; }
    std::optional<QString> lookup(const QString& household) override {
        return running && kept.contains(household) ? std::optional<QString>(kept[household]) : std::nullopt;
    }
    bool store(const QString& household, const QString& passphrase) override {
        if (running)
            kept[household] = passphrase;
        return running;
    }
    bool clear(const QString& household) override { return running && kept.remove(household) >= 0; }
};

QString automaticBackup(const Kopira::Household& household, const QString& folder) {
    AutoBackup backup(household, folder);
    QSignalSpy done(&backup, &AutoBackup::finished);
    backup.start();
    EXPECT_TRUE(done.wait(60000));
    return done.isEmpty() ? QString() : done[0][0].toString();
}

TEST(EncryptedBackup, DailyBackupsAreEncryptedOnlyUnderAPassphraseFromTheSecretStore) {
    Tool t;
    fill(t.db, 10);
    FakeStore store;
    Kopira::InstallSecretStore(&store);
    // A passphrase kept, but no secret service answering: the day's backup stays plain.
    store.kept[Kopira::SecretStoreKey(t.household)] = kPassphrase;
    const QString plain = automaticBackup(t.household, t.folder);
    EXPECT_TRUE(plain.endsWith(QStringLiteral(".mdb"))) << plain.toStdString();
    EXPECT_TRUE(Kopira::CheckBackup(plain).isOk());

    QFile::remove(plain);
    store.running = true;
    const QString encrypted = automaticBackup(t.household, t.folder);
    Kopira::InstallSecretStore(nullptr);
    ASSERT_TRUE(encrypted.endsWith(QStringLiteral(".mdb.tbk"))) << encrypted.toStdString();
    EXPECT_EQ(Kopira::KindOfBackup(QFileInfo(encrypted).fileName()), Kopira::BackupKind::Automatic);
    EXPECT_FALSE(bytesOf(encrypted).contains(kMarker.toUtf8()));
    EXPECT_TRUE(Kopira::DecryptedBackup::Open(encrypted, kPassphrase, t.db).isOk());
    // It counts as the day's backup: a second start the same day writes none.
    EXPECT_TRUE(automaticBackup(t.household, t.folder).isEmpty());
}

}  // namespace
