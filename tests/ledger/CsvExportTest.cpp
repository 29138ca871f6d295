#include "ledger/CsvExport.h"
#include "support/TempHome.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QScopeGuard>
#include <QSqlQuery>

#include <sys/stat.h>

namespace {

// The file read back by Python's csv module (strict: a stray quote is an error), as rows of fields.
QList<QStringList> readWithPython(const QString& path) {
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import csv, json, sys\n"
                                 "raw = open(sys.argv[1], 'rb').read()\n"
                                 "assert raw.startswith(b'\\xef\\xbb\\xbf'), 'no byte-order mark'\n"
                                 "with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:\n"
                                 "    rows = list(csv.reader(f, strict=True))\n"
                                 "sys.stdout.write(json.dumps(rows))\n"),
                  path});
    EXPECT_TRUE(python.waitForFinished(30000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    QList<QStringList> rows;
    for (const QJsonValue& row : QJsonDocument::fromJson(python.readAllStandardOutput()).array()) {
        QStringList fields;
        for (const QJsonValue& f : row.toArray())
            fields.append(f.toString());
        rows.append(fields);
    }
    return rows;
}

class CsvExportTest : public ::testing::Test {
  protected:
    void entry(const char* type, const QString& detail, qint64 units, const char* date,
               const QString& remarks) {
        QSqlQuery q(th.database.connection());
        q.prepare(
            QStringLiteral("insert into shouzhibiao (leixing,mingxi,feiyong,shururiqi,dengjiren,beizhu) "
                           "values (?,?,?,?,?,?)"));
        q.addBindValue(QString::fromLatin1(type));
        q.addBindValue(detail);
        q.addBindValue(units);
        q.addBindValue(QString::fromLatin1(date));
        q.addBindValue(QStringLiteral("管理员"));
        q.addBindValue(remarks);
        ASSERT_TRUE(q.exec());
    }
    QString out(const char* name) { return QDir(th.home.path()).filePath(QString::fromUtf8(name)); }

    TestHousehold th;
};

TEST(CsvRecord, QuotesOnlyWhatNeedsIt) {
    EXPECT_EQ(CsvRecord({QStringLiteral("a"), QStringLiteral("b c"), QString()}), QByteArray("a,b c,\r\n"));
    EXPECT_EQ(CsvRecord({QStringLiteral("x,y"), QStringLiteral("say \"hi\""), QStringLiteral("1\n2")}),
              QByteArray("\"x,y\",\"say \"\"hi\"\"\",\"1\n2\"\r\n"));
    EXPECT_EQ(CsvRecord({QStringLiteral("工资")}), QStringLiteral("工资\r\n").toUtf8());
}

TEST_F(CsvExportTest, EntriesReadBackByARealCsvReaderAsTheyWereStored) {
    const QString awkward = QStringLiteral("逗号,引号\"内\"\n第二行\r\n第三行 🎉");
    entry("zhichu", QStringLiteral("房租"), 12000000, "2007-01-10", QString());
    entry("shouru", QStringLiteral("工资, 一月"), 30000000, "2007-01-01", awkward);
    entry("zhichu", QStringLiteral("\"午饭\""), 255000, "2007-01-14", QStringLiteral("  前后空格  "));
    entry("shouru", QStringLiteral("零头"), 5, "2007-01-14", QString());  // 0.0005, exported exactly
    entry("zhichu", QStringLiteral("退款"), -125000, "2007-01-15", QString());
    entry("shouru", QStringLiteral("期外"), 10000, "2006-12-31", QString());

    const QString path = out("收支 明细.csv");
    const Result<int> written = ExportToCsv(th.database.connection(), ExportKind::Entries, QDate(2007, 1, 1),
                                            QDate(2007, 1, 15), path);
    ASSERT_TRUE(written.isOk()) << written.error().toStdString();
    EXPECT_EQ(written.value(), 5);

    const QList<QStringList> expected = {
        {"类型", "明细", "金额", "帐户", "登记日期", "登记人", "备注"},
        {"收入", "工资, 一月", "3000.00", "家庭保险柜", "2007-01-01", "管理员", awkward},
        {"支出", "房租", "1200.00", "家庭保险柜", "2007-01-10", "管理员", ""},
        {"支出", "\"午饭\"", "25.50", "家庭保险柜", "2007-01-14", "管理员", "  前后空格  "},
        {"收入", "零头", "0.0005", "家庭保险柜", "2007-01-14", "管理员", ""},
        {"支出", "退款", "-12.50", "家庭保险柜", "2007-01-15", "管理员", ""},
    };
    EXPECT_EQ(readWithPython(path), expected);
}

// A family member's text that a spreadsheet would run as a formula is written with a leading
// apostrophe, the program's own amounts never; every amount is the stored figure, not the cent.
TEST_F(CsvExportTest, FormulaTextIsDefusedAndAmountsAreExact) {
    const QString link = QStringLiteral("=HYPERLINK(\"http://example.invalid/\",\"点这里\")");
    entry("shouru", QStringLiteral("工资"), 200000, "2007-01-02", link);
    entry("zhichu", QStringLiteral("+1"), 50, "2007-01-03", QStringLiteral("@SUM(A1)"));
    entry("zhichu", QStringLiteral("-5"), 50, "2007-01-04", QStringLiteral("\t=1"));
    entry("zhichu", QStringLiteral("\r=2"), 50, "2007-01-05", QStringLiteral("a=b"));
    entry("zhichu", QStringLiteral("退款"), -125000, "2007-01-06", QStringLiteral("-"));
    // Each entry goes out with the name of its place, a formula-like name defused too.
    th.exec(QStringLiteral("insert into zhangwubiao (mingcheng, jine) values ('=卡', 0)"));
    th.exec(
        QStringLiteral("update shouzhibiao set zhanghu=(select id from zhangwubiao where mingcheng='=卡') "
                       "where mingxi='+1'"));
    const QString path = out("inject.csv");
    ASSERT_TRUE(ExportToCsv(th.database.connection(), ExportKind::Entries, QDate(2007, 1, 1),
                            QDate(2007, 1, 31), path)
                    .isOk());
    const QList<QStringList> expected = {
        {"类型", "明细", "金额", "帐户", "登记日期", "登记人", "备注"},
        {"收入", "工资", "20.00", "家庭保险柜", "2007-01-02", "管理员", "'" + link},
        {"支出", "'+1", "0.0050", "'=卡", "2007-01-03", "管理员", "'@SUM(A1)"},
        {"支出", "'-5", "0.0050", "家庭保险柜", "2007-01-04", "管理员", "'\t=1"},
        {"支出", "'\r=2", "0.0050", "家庭保险柜", "2007-01-05", "管理员", "a=b"},
        {"支出", "退款", "-12.50", "家庭保险柜", "2007-01-06", "管理员", "'-"},
    };
    const QList<QStringList> rows = readWithPython(path);
    EXPECT_EQ(rows, expected);
    // The file's amounts add up to what is stored: 20 + 3 × 0.005 - 12.5.
    Money total;
    for (qsizetype i = 1; i < rows.size(); ++i)
        total = total.plus(Money::parse(rows[i].value(2)).value()).value();
    EXPECT_EQ(total, Money::fromUnits(200000 + 150 - 125000));

    // Bank names and operators are the family's text too.
    th.exec(
        QStringLiteral("insert into yinghanbiao (mingcheng,jine,leixing,riqi,caozuoren) values "
                       "('=1+1',12345,'cunkuan','2007-01-12','@小王')"));
    ASSERT_TRUE(ExportToCsv(th.database.connection(), ExportKind::Transactions, QDate(2007, 1, 1),
                            QDate(2007, 1, 31), path)
                    .isOk());
    EXPECT_EQ(readWithPython(path).value(1),
              (QStringList{"存款", "'=1+1", "1.2345", "2007-01-12", "'@小王", "", ""}));
}

TEST_F(CsvExportTest, DepositsWithdrawalsAndTransfersOfThePeriod) {
    th.exec(
        QStringLiteral("insert into yinghanbiao (mingcheng,jine,leixing,riqi,caozuoren) values "
                       "('工商银行',5000000,'cunkuan','2007-01-12','管理员'),"
                       "('建设银行',1250000,'qukuan','2007-01-03','小王'),"
                       "('工商银行',10000,'cunkuan','2007-02-01','管理员')"));
    th.exec(
        QStringLiteral("insert into yinghanbiao (mingcheng,zhuanchu,jine,shouxufei,leixing,riqi,caozuoren) "
                       "values ('支付宝','工商银行',1000000,15000,'zhuanzhang','2007-01-20','小王')"));
    const QString path = out("records.csv");
    const Result<int> written = ExportToCsv(th.database.connection(), ExportKind::Transactions,
                                            QDate(2007, 1, 1), QDate(2007, 1, 31), path);
    ASSERT_TRUE(written.isOk()) << written.error().toStdString();
    const QList<QStringList> expected = {
        {"类型", "银行名称", "金额", "日期", "操作人", "转出帐户", "手续费"},
        {"取款", "建设银行", "125.00", "2007-01-03", "小王", "", ""},
        {"存款", "工商银行", "500.00", "2007-01-12", "管理员", "", ""},
        {"转帐", "支付宝", "100.00", "2007-01-20", "小王", "工商银行", "1.50"},
    };
    EXPECT_EQ(readWithPython(path), expected);
}

TEST_F(CsvExportTest, AFailedExportLeavesTheOldFileAndNoHalfFile) {
    // Enough rows that part of the new file has been written when the bad row at the end is met.
    th.exec(QStringLiteral(
        "with recursive n(i) as (select 1 union all select i+1 from n where i<3000) "
        "insert into shouzhibiao (leixing,mingxi,feiyong,shururiqi,beizhu) select 'shouru',"
        "'工资',10000,'2007-01-01','一段足够长的备注文字，让导出的内容超过一次写入的大小' from n"));
    th.exec(
        QStringLiteral("insert into shouzhibiao (leixing,mingxi,feiyong,shururiqi) values "
                       "('zhichu','坏金额',NULL,'2007-01-31')"));
    const QString folder = out("exports");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/old.csv");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old content\n");
    }
    const Result<int> written = ExportToCsv(th.database.connection(), ExportKind::Entries, QDate(2007, 1, 1),
                                            QDate(2007, 1, 31), path);
    ASSERT_FALSE(written.isOk());
    EXPECT_TRUE(written.error().startsWith(QStringLiteral("第 3001 条记录的金额无法读取，文件未写。")))
        << written.error().toStdString();
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old content\n"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("old.csv")});

    // A file that cannot be made at all says where and why, in Chinese.
    const Result<int> nowhere = ExportToCsv(th.database.connection(), ExportKind::Entries, QDate(2007, 1, 1),
                                            QDate(2007, 1, 31), out("missing/x.csv"));
    ASSERT_FALSE(nowhere.isOk());
    EXPECT_TRUE(nowhere.error().startsWith(QStringLiteral("无法写入文件 ") + out("missing/x.csv")))
        << nowhere.error().toStdString();
}

// The export holds the household's rows: readable by its owner only, also where it replaces a file
// that others could read.
TEST_F(CsvExportTest, TheFileIsReadableByItsOwnerOnly) {
    const mode_t previous = umask(022);
    const auto restoreUmask = qScopeGuard([previous] { umask(previous); });
    const QString fresh = out("new.csv");
    const QString replaced = out("old.csv");
    {
        QFile old(replaced);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QFile::permissions(replaced) & QFileDevice::ReadOther);
    for (const QString& path : {fresh, replaced}) {
        ASSERT_TRUE(ExportToCsv(th.database.connection(), ExportKind::Entries, QDate(2007, 1, 1),
                                QDate(2007, 1, 31), path)
                        .isOk());
        EXPECT_EQ(QFile::permissions(path) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
                  QFileDevice::ReadOwner | QFileDevice::WriteOwner)
            << path.toStdString();
    }
}

}  // namespace

// An export that reports its progress writes the same bytes; stopped on the way, it leaves no file (and
// an older one of the name as it was), never a part that looks complete.
TEST_F(CsvExportTest, AnExportStoppedOnTheWayLeavesNoFileAndOneCarriedOnIsExact) {
    th.exec(QStringLiteral(
        "with recursive n(i) as (select 1 union all select i+1 from n where i<3000) "
        "insert into shouzhibiao (leixing,mingxi,feiyong,shururiqi,beizhu) select 'zhichu',"
        "'菜钱'||i,i*123,'2007-01-15','一段足够长的备注文字，让导出的内容超过一次写入的大小' from n"));
    const auto exportTo = [this](const QString& path, const std::function<bool(int)>& carryOn) {
        return ExportToCsv(th.database.connection(), ExportKind::Entries, QDate(2007, 1, 1),
                           QDate(2007, 1, 31), path, std::nullopt, carryOn);
    };
    const auto bytes = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    ASSERT_EQ(exportTo(out("plain.csv"), {}).value(), 3000);
    QList<int> told;
    ASSERT_EQ(exportTo(out("told.csv"), [&told](int rows) { return told.append(rows), true; }).value(), 3000);
    EXPECT_GT(told.size(), 1);
    EXPECT_EQ(bytes(out("told.csv")), bytes(out("plain.csv")));

    const QString folder = out("stopped");
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const bool oldFile : {false, true}) {
        const QString path = folder + QStringLiteral("/x.csv");
        if (oldFile) {
            QFile old(path);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write("old content\n");
        }
        const Result<int> stopped = exportTo(path, [](int) { return false; });
        ASSERT_FALSE(stopped.isOk());
        EXPECT_EQ(stopped.error(), ExportCancelled(path));
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                  oldFile ? QStringList{QStringLiteral("x.csv")} : QStringList());
        if (oldFile) {
            EXPECT_EQ(bytes(path), QByteArray("old content\n"));
        }
    }
}
