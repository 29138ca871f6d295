#include "bank/BankMoves.h"
#include "data/HomeSafe.h"
#include "ledger/EntryPanel.h"
#include "support/FindChild.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>

#include <future>
#include <thread>

namespace {

// An income typed into the real income panel while the file misbehaves. Before each fault the home safe
// holds 500 and the file one entry of 100.
class FaultTest : public ::testing::Test {
  protected:
    void SetUp() override {
        th.exec(QStringLiteral("update zhangwubiao set jine=5000000"));
        th.exec(
            QStringLiteral("insert into shouzhibiao (leixing,mingxi,feiyong,shururiqi,dengjiren) values "
                           "('shouru','旧帐',1000000,'2007-01-15','管理员')"));
        th.exec(QStringLiteral("insert into zhangwubiao (mingcheng, jine) values ('工商银行', 2000000)"));
        ASSERT_TRUE(th.homeSafe.ReadHomeSafeBalance().isOk());
        panel = std::make_unique<EntryPanel>(th.household, EntryPanelConfig::income());
        panel->resize(900, 520);
        panel->show();
        panel->broughtToFront();
    }
    template <typename T>
    T* find(const char* name) {
        return child<T>(panel.get(), name);
    }
    // 添加, the detail, amount and remarks typed, 保存.
    void addIncome(const QString& amount, const QString& remarks = QString()) {
        QTest::mouseClick(find<QToolButton>("SpeedButton10"), Qt::LeftButton);
        find<QComboBox>("DBComboBox1")->setEditText(QStringLiteral("工资"));
        find<QLineEdit>("DBEdit1")->setText(amount);
        find<QTextEdit>("DBMemo1")->setPlainText(remarks);
        QTest::mouseClick(find<QToolButton>("SpeedButton12"), Qt::LeftButton);
    }
    void pressSave() { QTest::mouseClick(find<QToolButton>("SpeedButton12"), Qt::LeftButton); }
    // The one error report shown, with the application's caption.
    QString reportedError() {
        EXPECT_EQ(prompt.boxes().size(), 1) << prompt.texts().join(QLatin1Char('|')).toStdString();
        if (prompt.boxes().isEmpty())
            return QString();
        EXPECT_EQ(prompt.boxes().first().caption, QStringLiteral("Tamberlo"));
        EXPECT_EQ(prompt.boxes().first().icon, Prompt::Icon::Critical);
        return prompt.boxes().first().text;
    }
    qint64 storedUnits(const char* place) {
        return th
            .scalar(QStringLiteral("select jine from zhangwubiao where mingcheng='%1'")
                        .arg(QString::fromUtf8(place)))
            .toLongLong();
    }
    // Nothing of the failed save reached the file or memory, and the typed entry is still there to retry.
    void expectNothingChanged() {
        EXPECT_EQ(th.homeSafe.balance(), Money::fromYuan(500));
        EXPECT_EQ(storedUnits("家庭保险柜"), 5000000);
        EXPECT_EQ(storedUnits("工商银行"), 2000000);
        EXPECT_EQ(th.scalar(QStringLiteral("select count(*) from shouzhibiao")).toInt(), 1);
        EXPECT_EQ(th.scalar(QStringLiteral("select count(*) from yinghanbiao")).toInt(), 0);
        EXPECT_EQ(panel->state(), EntryPanel::State::Adding);
    }
    void expectSavedOnRetry() {
        prompt.clear();
        pressSave();
        EXPECT_TRUE(prompt.boxes().isEmpty()) << prompt.texts().join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(panel->state(), EntryPanel::State::Browsing);
        EXPECT_EQ(th.homeSafe.balance(), Money::fromYuan(550));
        EXPECT_EQ(storedUnits("家庭保险柜"), 5500000);
        EXPECT_EQ(th.scalar(QStringLiteral("select count(*) from shouzhibiao")).toInt(), 2);
    }
    MoveOutcome deposit(const QString& amount) {
        return PerformMove(
            th.database, th.homeSafe,
            {MoveKind::Deposit, QStringLiteral("工商银行"), amount, th.user.name, QDate(2007, 1, 15)});
    }

    TestHousehold th;
    ScriptedPrompt prompt;
    std::unique_ptr<EntryPanel> panel;
};

// Another program's connection that takes the write lock and keeps it until released.
class LockHolder {
  public:
    explicit LockHolder(const QString& path) {
        std::promise<bool> locked;
        std::future<bool> isLocked = locked.get_future();
        thread_ = std::thread([this, path, locked = std::move(locked)]() mutable {
            {
                QSqlDatabase db =
                    QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
                db.setDatabaseName(path);
                bool ok = db.open();
                QSqlQuery q(db);
                ok = ok && q.exec(QStringLiteral("BEGIN IMMEDIATE")) &&
                     q.exec(QStringLiteral(
                         "insert into tixing (riqi, fanwei, neirong) values ('2007-01-15','当天','备份中')"));
                locked.set_value(ok);
                release_.get_future().wait();
                q.exec(QStringLiteral("COMMIT"));
                db.close();
            }
            QSqlDatabase::removeDatabase(QStringLiteral("holder"));
        });
        locked_ = isLocked.get();
    }
    ~LockHolder() { release(); }
    bool locked() const { return locked_; }
    void release() {
        if (thread_.joinable()) {
            release_.set_value();
            thread_.join();
        }
    }
    // Lets go by itself after the given time.
    void releaseAfter(int ms) {
        releaser_ = std::thread([this, ms] {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            release_.set_value();
        });
    }
    void join() {
        if (releaser_.joinable())
            releaser_.join();
        if (thread_.joinable())
            thread_.join();
    }

  private:
    std::promise<void> release_;
    std::thread thread_;
    std::thread releaser_;
    bool locked_ = false;
};

QByteArray fileHash(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

}  // namespace

// A file the engine may only read (as a write-protected file is opened): the save is refused with the
// engine's reason, and once writing is possible again the same typed entry is saved.
TEST_F(FaultTest, ReadOnlyFileRefusesTheSaveAndLosesNothing) {
    th.exec(QStringLiteral("PRAGMA query_only = ON"));
    addIncome(QStringLiteral("50"));
    EXPECT_TRUE(reportedError().contains(QStringLiteral("readonly"))) << reportedError().toStdString();
    expectNothingChanged();

    const MoveOutcome refused = deposit(QStringLiteral("10"));
    EXPECT_EQ(refused.kind, MoveOutcome::Kind::Error);
    EXPECT_TRUE(refused.message.contains(QStringLiteral("readonly"))) << refused.message.toStdString();
    EXPECT_EQ(storedUnits("工商银行"), 2000000);

    th.exec(QStringLiteral("PRAGMA query_only = OFF"));
    expectSavedOnRetry();
}

// The disk fills up in the middle of a save (the file may grow no further): the engine's message is
// shown and no part of the save stays behind.
TEST_F(FaultTest, DiskFullDuringASaveLeavesEverythingAsItWas) {
    const qint64 pages = th.scalar(QStringLiteral("PRAGMA page_count")).toLongLong();
    th.exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages));
    // A long remark needs new pages; the balance's page was already written when the file runs out.
    addIncome(QStringLiteral("50"), QString(100000, QChar(0x8D26)));
    EXPECT_TRUE(reportedError().contains(QStringLiteral("full"))) << reportedError().toStdString();
    expectNothingChanged();

    th.exec(QStringLiteral("PRAGMA max_page_count = 1073741823"));
    expectSavedOnRetry();
    EXPECT_EQ(th.scalar(QStringLiteral("select length(beizhu) from shouzhibiao where mingxi='工资'")).toInt(),
              100000);
}

// The backup tool or another program holds the file for a moment: the save waits for it and goes through.
TEST_F(FaultTest, ABriefLockIsWaitedFor) {
    LockHolder holder(th.home.databasePath());
    ASSERT_TRUE(holder.locked());
    holder.releaseAfter(300);
    QElapsedTimer waited;
    waited.start();
    addIncome(QStringLiteral("50"));
    holder.join();
    EXPECT_GE(waited.elapsed(), 250);
    EXPECT_TRUE(prompt.boxes().isEmpty()) << prompt.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(th.homeSafe.balance(), Money::fromYuan(550));
    EXPECT_EQ(th.scalar(QStringLiteral("select count(*) from tixing")).toInt(), 1);  // the other's row too
}

// A lock held past the wait: the save is refused with the engine's reason and nothing is half written;
// after the other program lets go the same entry is saved. (The wait is shortened for the test.)
TEST_F(FaultTest, ALockHeldTooLongRefusesTheSaveAndLosesNothing) {
    th.exec(QStringLiteral("PRAGMA busy_timeout = 200"));
    LockHolder holder(th.home.databasePath());
    ASSERT_TRUE(holder.locked());
    addIncome(QStringLiteral("50"));
    EXPECT_TRUE(reportedError().contains(QStringLiteral("locked"))) << reportedError().toStdString();
    expectNothingChanged();
    EXPECT_EQ(deposit(QStringLiteral("10")).kind, MoveOutcome::Kind::Error);
    EXPECT_EQ(storedUnits("工商银行"), 2000000);

    holder.release();
    expectSavedOnRetry();
}

// The home safe's row gone or its balance emptied by another program: a save would store an entry whose
// money goes nowhere, so it is refused with a message that names the home safe.
TEST_F(FaultTest, MissingOrNullHomeSafeRefusesEveryMove) {
    for (const char* damage : {"update zhangwubiao set jine=NULL where mingcheng='家庭保险柜'",
                               "delete from zhangwubiao where mingcheng='家庭保险柜'"}) {
        SCOPED_TRACE(damage);
        th.exec(QString::fromUtf8(damage));
        prompt.clear();
        if (panel->state() == EntryPanel::State::Adding)
            pressSave();
        else
            addIncome(QStringLiteral("50"));
        EXPECT_TRUE(reportedError().contains(QStringLiteral("“家庭保险柜”的余额在数据库中缺失或为空")))
            << reportedError().toStdString();
        EXPECT_EQ(th.homeSafe.balance(), Money::fromYuan(500));
        EXPECT_EQ(th.scalar(QStringLiteral("select count(*) from shouzhibiao")).toInt(), 1);
        EXPECT_EQ(panel->state(), EntryPanel::State::Adding);

        const MoveOutcome refused = deposit(QStringLiteral("10"));
        EXPECT_EQ(refused.kind, MoveOutcome::Kind::Error);
        EXPECT_EQ(storedUnits("工商银行"), 2000000);
        EXPECT_EQ(th.scalar(QStringLiteral("select count(*) from yinghanbiao")).toInt(), 0);
    }
}

// A file damaged on disk: opening or the first read reports the engine's reason, and the program never
// writes over what is left of it.
TEST(DamagedFile, IsReportedAndNeverWrittenOver) {
    TempHome home;
    {
        Database db;
        ASSERT_TRUE(db.open(home.databasePath()).isOk());
    }  // the last connection's close writes everything into the file itself
    QFile file(home.databasePath());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const qint64 size = file.size();
    // Every page after the first is overwritten; the header still says what the file is.
    file.seek(4096);
    file.write(QByteArray(size - 4096, '\x5a'));
    file.close();
    const QByteArray before = fileHash(home.databasePath());

    ScriptedPrompt prompt;
    Database db;
    HomeSafe safe(db);
    Status status = db.open(home.databasePath());
    if (status)
        status = safe.ReadHomeSafeBalance();
    ASSERT_FALSE(status.isOk());
    EXPECT_TRUE(status.error().contains(QStringLiteral("malformed"))) << status.error().toStdString();
    EXPECT_EQ(safe.balance(), Money());
    db.close();
    EXPECT_EQ(fileHash(home.databasePath()), before);

    // Cut short in the middle: reported the same way, and left as it is.
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.resize(size / 3));
    file.close();
    const QByteArray cut = fileHash(home.databasePath());
    status = db.open(home.databasePath());
    if (status)
        status = safe.ReadHomeSafeBalance();
    EXPECT_FALSE(status.isOk());
    db.close();
    EXPECT_EQ(fileHash(home.databasePath()), cut);
}
