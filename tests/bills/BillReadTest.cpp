#include "bills/BillReader.h"
#include "bills/BillTable.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Bills written by the tests: the text in the bill's own encoding and line ends.
class BillFiles : public ::testing::Test {
  protected:
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    static QByteArray Gbk(const QString& text) {
        QStringEncoder encoder("GB18030");
        QByteArray bytes = encoder.encode(text);
        EXPECT_FALSE(encoder.hasError());
        return bytes;
    }
    static QString Lines(const QStringList& lines, const QString& end = QStringLiteral("\n")) {
        return lines.join(end) + end;
    }
    static Bill Read(const QString& path, const ReadOptions& options = {}) {
        const ReadResult read = ReadBill(path, options);
        EXPECT_TRUE(read.bill) << read.bill.error().toStdString();
        return read.bill ? read.bill.value() : Bill();
    }
    static QString Fails(const QString& path, ReadFailure failure, const ReadOptions& options = {}) {
        const ReadResult read = ReadBill(path, options);
        EXPECT_FALSE(read.bill);
        EXPECT_EQ(read.failure, failure);
        return read.bill ? QString() : read.bill.error();
    }
    static Money Yuan(const char* text) { return Money::parse(QString::fromLatin1(text)).value(); }

    QTemporaryDir dir;
};

QStringList AlipayPreamble() {
    QStringList lines = {
        QStringLiteral(
            "------------------------------------------------------------------------------------"),
        QStringLiteral("导出信息："),
        QStringLiteral("姓名：张三"),
        QStringLiteral("起始时间：[2026-11-01 00:00:00]    终止时间：[2026-12-01 00:00:00]"),
        QStringLiteral("共4笔记录"),
        QStringLiteral("收入：1笔 100.00元"),
        QStringLiteral("支出：2笔 46.16元"),
        QStringLiteral("不计收支：1笔 500.00元")};
    while (lines.size() < 23)
        lines.append(QStringLiteral("特别提示：本回单仅供参考，逗号,引号\"不成对"));
    lines.append(QStringLiteral(
        "----------------------支付宝（中国）网络技术有限公司  电子客户回单----------------------"));
    return lines;
}

// The current 支付宝 export in GBK: found by its content in a file named .txt, cells padded, numbers
// ending in a tab, a comma after every row, CRLF; a line with a bad amount and one with a bad date are
// kept with their reasons, the rest read.
TEST_F(BillFiles, AlipayCurrentExportInGbkIsReadByItsHeader) {
    QStringList lines = AlipayPreamble();
    lines
        << QStringLiteral(
               "交易时间,交易分类,交易对方,对方账号,商品说明,收/支,金额,收/"
               "付款方式,交易状态,交易订单号,商家订单号,备注,")
        << QStringLiteral(
               "2026-11-30 12:30:01,餐饮美食,星巴克  ,sb***@x.com,\"拿铁, "
               "大杯\",支出,28.16,招商银行储蓄卡(1234),"
               "交易成功,2026113022001400001\t,M20261130001\t,,")
        << QStringLiteral(
               "2026/11/5 9:05  ,转账红包,李四,,收红包,收入,   100.00   "
               ",余额,交易成功,2026110522001400002\t,,,")
        << QStringLiteral(
               "2026-11-03 "
               "08:00:00,投资理财,余额宝,,转入余额宝,不计收支,500,余额,交易成功,2026110322001400003\t,,,")
        << QStringLiteral(
               "2026-11-02 10:00:00,餐饮美食,肯德基,,午餐,支出,abc,花呗,交易成功,2026110222001400004\t,,,")
        << QStringLiteral(
               "2026-13-40 10:00:00,餐饮美食,肯德基,,晚餐,支出,18.00,花呗,交易关闭,2026110222001400005\t,,,");
    const QString path = write(QStringLiteral("账单.txt"), Gbk(Lines(lines, QStringLiteral("\r\n"))));

    const Bill bill = Read(path);
    EXPECT_EQ(bill.source, BillSource::Alipay);
    EXPECT_EQ(bill.sourceCode, QStringLiteral("zhifubao"));
    ASSERT_EQ(bill.rows.size(), 5);
    const BillRow& coffee = bill.rows[0];
    EXPECT_EQ(coffee.line, 26);
    EXPECT_EQ(coffee.day, QDate(2026, 11, 30));
    EXPECT_EQ(coffee.time, QTime(12, 30, 1));
    EXPECT_EQ(coffee.counterparty, QStringLiteral("星巴克"));
    EXPECT_EQ(coffee.description, QStringLiteral("拿铁, 大杯"));
    EXPECT_EQ(coffee.category, QStringLiteral("餐饮美食"));
    EXPECT_EQ(coffee.direction, BillDirection::Out);
    EXPECT_EQ(coffee.amount, Yuan("28.16"));
    EXPECT_EQ(coffee.method, QStringLiteral("招商银行储蓄卡(1234)"));
    EXPECT_EQ(coffee.status, QStringLiteral("交易成功"));
    EXPECT_EQ(coffee.number, QStringLiteral("2026113022001400001"));
    EXPECT_EQ(coffee.merchantNumber, QStringLiteral("M20261130001"));
    EXPECT_TRUE(coffee.problem.isEmpty());
    EXPECT_EQ(bill.rows[1].day, QDate(2026, 11, 5));
    EXPECT_EQ(bill.rows[1].time, QTime(9, 5));
    EXPECT_EQ(bill.rows[1].direction, BillDirection::In);
    EXPECT_EQ(bill.rows[1].amount, Yuan("100"));
    EXPECT_EQ(bill.rows[2].direction, BillDirection::Neither);
    EXPECT_EQ(bill.rows[3].problem, QStringLiteral("金额“abc”不是数字"));
    EXPECT_EQ(bill.rows[3].line, 29);
    EXPECT_EQ(bill.rows[4].problem, QStringLiteral("日期“2026-13-40 10:00:00”无法识别"));
}

// The older web export: 服务费 and 成功退款 are read, an empty 收/支 takes its way from 资金状态, and the
// totals under the closing dashes are no rows.
TEST_F(BillFiles, AlipayOlderExportReadsFeeRefundAndFundState) {
    const QStringList lines = {
        QStringLiteral("支付宝交易记录明细查询"),
        QStringLiteral("账号:[zhangsan@example.com]"),
        QStringLiteral(
            "---------------------------------交易记录明细列表------------------------------------"),
        QStringLiteral(
            "交易号              ,商家订单号          ,交易创建时间              ,付款时间                ,"
            "最近修改时间              ,交易来源地     ,类型              ,交易对方            ,商品名称     "
            "           ,"
            "金额（元）,收/支     ,交易状态    ,服务费（元）,成功退款（元）,备注                  ,资金状态  "
            "   ,"),
        QStringLiteral(
            "2016081221001004\t,T200P1\t,2016-08-12 10:00:00 ,2016-08-12 10:00:05 ,2016-08-12 10:00:05 ,"
            "其他（包括阿里巴巴和外部商家）,即时到账交易 ,某商店 ,手机壳 ,35.00 ,支出 ,交易成功 ,0.00 ,"
            "10.00 , ,已支出 ,"),
        QStringLiteral(
            "2016081321001005\t, ,2016-08-13 11:00:00 , , ,支付宝网站 ,提现 ,张三 ,提现 ,1000.00 , ,"
            "提现成功 ,2.00 ,0.00 , ,已支出 ,"),
        QStringLiteral(
            "------------------------------------------------------------------------------------"),
        QStringLiteral("共2笔记录"),
        QStringLiteral("已收入:0笔,0.00元")};
    const QString path =
        write(QStringLiteral("old.csv"), QByteArrayLiteral("\xEF\xBB\xBF") + Lines(lines).toUtf8());

    const Bill bill = Read(path);
    EXPECT_EQ(bill.source, BillSource::Alipay);
    ASSERT_EQ(bill.rows.size(), 2);
    EXPECT_EQ(bill.rows[0].number, QStringLiteral("2016081221001004"));
    EXPECT_EQ(bill.rows[0].merchantNumber, QStringLiteral("T200P1"));
    EXPECT_EQ(bill.rows[0].description, QStringLiteral("手机壳"));
    EXPECT_EQ(bill.rows[0].amount, Yuan("35"));
    EXPECT_EQ(bill.rows[0].refunded, Yuan("10"));
    EXPECT_EQ(bill.rows[1].fee, Yuan("2"));
    EXPECT_EQ(bill.rows[1].direction, BillDirection::Out);
    EXPECT_EQ(bill.rows[1].status, QStringLiteral("提现成功"));
}

QStringList WechatPreamble() {
    QStringList lines = {
        QStringLiteral("微信支付账单明细,,,,,,,,"), QStringLiteral("微信昵称：[小明],,,,,,,,"),
        QStringLiteral("起始时间：[2026-11-01 00:00:00] 终止时间：[2026-12-01 00:00:00],,,,,,,,")};
    while (lines.size() < 15)
        lines.append(QStringLiteral(",,,,,,,,"));
    lines.append(QStringLiteral("----------------------微信支付账单明细列表--------------------,,,,,,,,"));
    return lines;
}

QStringList WechatHeader() {
    return {QStringLiteral("交易时间"), QStringLiteral("交易类型"), QStringLiteral("交易对方"),
            QStringLiteral("商品"),     QStringLiteral("收/支"),    QStringLiteral("金额(元)"),
            QStringLiteral("支付方式"), QStringLiteral("当前状态"), QStringLiteral("交易单号"),
            QStringLiteral("商户单号"), QStringLiteral("备注")};
}

// The 微信 CSV in a file named like a 支付宝 bill is still read as 微信: "¥" amounts, "/" for neither
// way, the fee in the remark; its sheet, a table of cells with the amounts as numbers, reads the same.
TEST_F(BillFiles, WechatCsvAndItsSheetReadAlike) {
    QStringList lines = WechatPreamble();
    lines << WechatHeader().join(QLatin1Char(','))
          << QStringLiteral(
                 "2026-11-30 12:30:01,商户消费,美宜佳,\"\"\"冰红茶\"\"\",支出,¥28.16,零钱,支付成功,"
                 "4200001234202611300001\t,100023\t,/")
          << QStringLiteral(
                 "2026-11-29 08:00:00,零钱提现,招商银行(1234),/,/,¥200.00,招商银行(1234),提现已到账,"
                 "4200001234202611290002\t,/,服务费¥0.20")
          << QStringLiteral("2026-11-28 20:00:00,微信红包,王五,/,收入,¥8.88");
    const QString path = write(QStringLiteral("alipay.csv"), Lines(lines).toUtf8());

    const Bill bill = Read(path);
    EXPECT_EQ(bill.source, BillSource::Wechat);
    ASSERT_EQ(bill.rows.size(), 3);
    EXPECT_EQ(bill.rows[0].line, 18);
    EXPECT_EQ(bill.rows[0].description, QStringLiteral("\"冰红茶\""));
    EXPECT_EQ(bill.rows[0].amount, Yuan("28.16"));
    EXPECT_EQ(bill.rows[0].number, QStringLiteral("4200001234202611300001"));
    EXPECT_EQ(bill.rows[0].merchantNumber, QStringLiteral("100023"));
    EXPECT_EQ(bill.rows[1].direction, BillDirection::Neither);
    EXPECT_EQ(bill.rows[1].fee, Yuan("0.2"));
    EXPECT_EQ(bill.rows[1].category, QStringLiteral("零钱提现"));
    EXPECT_EQ(bill.rows[2].direction, BillDirection::In);
    EXPECT_TRUE(bill.rows[2].problem.isEmpty()) << "a row without its trailing cells still has its money";

    QList<QStringList> sheet;
    for (int i = 0; i < 16; ++i)
        sheet.append(i == 0 ? QStringList{QStringLiteral("微信支付账单明细")} : QStringList{});
    sheet.append(WechatHeader());
    sheet.append({QStringLiteral("46357.52084"), QStringLiteral("商户消费"), QStringLiteral("美宜佳"),
                  QStringLiteral("冰红茶"), QStringLiteral("支出"), QStringLiteral("28.16"),
                  QStringLiteral("零钱"), QStringLiteral("支付成功"),
                  QStringLiteral("4200001234202611300001\t"), QStringLiteral("100023"), QStringLiteral("/")});
    const ReadResult fromSheet = BillFromTable(sheet, QStringLiteral("微信.xlsx"), {});
    ASSERT_TRUE(fromSheet.bill) << fromSheet.bill.error().toStdString();
    ASSERT_EQ(fromSheet.bill->rows.size(), 1);
    const BillRow& row = fromSheet.bill->rows[0];
    EXPECT_EQ(row.line, 18);
    EXPECT_EQ(row.day, QDate(2026, 12, 1));
    EXPECT_EQ(row.time, QTime(12, 30, 1));
    EXPECT_EQ(row.amount, Yuan("28.16"));
    EXPECT_EQ(row.number, bill.rows[0].number);
}

// The bank statements: 工商银行 in GBK with tab-padded grouped amounts in two columns, 招商银行's credit
// card (a positive amount is spending, the card's last four digits the account) and debit card
// (a signed amount, the running balance kept).
TEST_F(BillFiles, BankStatementsReadTheirWayAndBalance) {
    const QStringList icbc = {
        QStringLiteral("中国工商银行借记卡账户历史明细(电子版)"),
        QStringLiteral("卡号: 6222****1234"),
        QStringLiteral(
            "交易日期,摘要,交易详情,交易场所,交易国家或地区简称,钞/汇,交易金额(收入),交易金额(支出),交易币种,"
            "记账金额(收入),记账金额(支出),记账币种,余额,对方户名,对方账户"),
        QStringLiteral(
            "2026-11-02,工资,,,CHN,钞,\"\t12,345.60\t\",,人民币,\"\t12,345.60\t\",,人民币,\"\t20,000.00\t\","
            "某公司,6222****0001"),
        QStringLiteral(
            "2026-11-03,消费,支付宝-星巴克,上海,CHN,钞,,\t28.16\t,人民币,,\t28.16\t,人民币,\"\t19,971.84\t\","
            "支付宝（中国）网络技术有限公司,"),
        QStringLiteral("2026-11-04,消费"),
        QStringLiteral("人民币合计,,,,,,\"12,345.60\",28.16,,,,,,,")};
    Bill bill = Read(write(QStringLiteral("icbc.csv"), Gbk(Lines(icbc))));
    EXPECT_EQ(bill.source, BillSource::Icbc);
    ASSERT_EQ(bill.rows.size(), 4);
    EXPECT_EQ(bill.rows[0].direction, BillDirection::In);
    EXPECT_EQ(bill.rows[0].amount, Yuan("12345.6"));
    EXPECT_EQ(bill.rows[0].balance, QStringLiteral("20,000.00"));
    EXPECT_EQ(bill.rows[0].description, QStringLiteral("工资"));
    EXPECT_EQ(bill.rows[1].direction, BillDirection::Out);
    EXPECT_EQ(bill.rows[1].description, QStringLiteral("支付宝-星巴克"));
    EXPECT_EQ(bill.rows[1].counterparty, QStringLiteral("支付宝（中国）网络技术有限公司"));
    EXPECT_TRUE(bill.rows[2].problem.contains(QStringLiteral("只有 2 列")))
        << bill.rows[2].problem.toStdString();
    EXPECT_FALSE(bill.rows[3].problem.isEmpty()) << "a totals line is listed, never imported";

    const QStringList credit = {QStringLiteral("交易日,记账日,交易摘要,人民币金额,卡号末四位,交易地金额"),
                                QStringLiteral("2026/11/05,2026/11/06,财付通-美团,58.50,8888,58.50"),
                                QStringLiteral("2026/11/20,2026/11/20,还款,\"-1,000.00\",8888,-1000.00")};
    bill = Read(write(QStringLiteral("cmb-credit.csv"), Gbk(Lines(credit))));
    EXPECT_EQ(bill.source, BillSource::CmbCredit);
    EXPECT_EQ(bill.account, QStringLiteral("8888"));
    ASSERT_EQ(bill.rows.size(), 2);
    EXPECT_EQ(bill.rows[0].direction, BillDirection::Out);
    EXPECT_EQ(bill.rows[1].direction, BillDirection::In);
    EXPECT_EQ(bill.rows[1].amount, Yuan("1000"));

    const QStringList debit = {
        QStringLiteral("# 招商银行交易记录"), QStringLiteral("# 账号: [6214****5678]"),
        QStringLiteral("记账日期,货币,交易金额,联机余额,交易摘要,对手信息"),
        QStringLiteral("20261105\t,人民币\t,-35.00\t,965.00\t,快捷支付\t,支付宝-淘宝\t"),
        QStringLiteral("20261106\t,人民币\t,1000.00\t,1965.00\t,转账汇款\t,张三\t")};
    bill = Read(write(QStringLiteral("cmb-debit.csv"), Lines(debit).toUtf8()));
    EXPECT_EQ(bill.source, BillSource::CmbDebit);
    ASSERT_EQ(bill.rows.size(), 2);
    EXPECT_EQ(bill.rows[0].day, QDate(2026, 11, 5));
    EXPECT_EQ(bill.rows[0].direction, BillDirection::Out);
    EXPECT_EQ(bill.rows[0].balance, QStringLiteral("965.00"));
    EXPECT_EQ(bill.rows[0].counterparty, QStringLiteral("支付宝-淘宝"));
    EXPECT_EQ(bill.rows[1].direction, BillDirection::In);
}

// A CSV of no known layout is refused naming the known ones and quoting its first lines; read through
// a mapping it gives its rows, and its sample is split for the mapping step.
TEST_F(BillFiles, UnknownCsvIsRefusedThenReadThroughItsMapping) {
    const QStringList lines = {QStringLiteral("我的记账本导出"), QStringLiteral("日期;金额"),
                               QStringLiteral("日期,说明,对方,金额,流水号"),
                               QStringLiteral("2026-11-01,午饭,食堂,-15.5,A1\t"),
                               QStringLiteral("2026-11-02,报销,公司,200,A2")};
    const QString path = write(QStringLiteral("mine.csv"), Gbk(Lines(lines)));
    const QString refusal = Fails(path, ReadFailure::Unknown);
    EXPECT_TRUE(refusal.contains(QStringLiteral("支付宝帐单"))) << refusal.toStdString();
    EXPECT_TRUE(refusal.contains(QStringLiteral("QIF")));
    EXPECT_TRUE(refusal.contains(QStringLiteral("我的记账本导出")));
    EXPECT_TRUE(refusal.contains(QStringLiteral("日期,说明,对方,金额,流水号")));

    const Result<CsvSample> sample = SampleCsv(path);
    ASSERT_TRUE(sample);
    EXPECT_EQ(sample->encoding, QStringLiteral("GB18030"));
    ASSERT_EQ(sample->lines.size(), 5);
    EXPECT_EQ(sample->lines[2].value(3), QStringLiteral("金额"));

    ColumnMapping mapping;
    mapping.name = QStringLiteral("记账本");
    mapping.date = QStringLiteral("日期");
    mapping.amount = QStringLiteral("金额");
    mapping.description = QStringLiteral("说明");
    mapping.counterparty = QStringLiteral("对方");
    mapping.number = QStringLiteral("流水号");
    ReadOptions options;
    options.mapping = &mapping;
    const Bill bill = Read(path, options);
    EXPECT_EQ(bill.source, BillSource::MappedCsv);
    EXPECT_EQ(bill.sourceCode, QStringLiteral("csv:记账本"));
    ASSERT_EQ(bill.rows.size(), 2);
    EXPECT_EQ(bill.rows[0].direction, BillDirection::Out);
    EXPECT_EQ(bill.rows[0].amount, Yuan("15.5"));
    EXPECT_EQ(bill.rows[0].number, QStringLiteral("A1"));
    EXPECT_EQ(bill.rows[1].direction, BillDirection::In);

    mapping.headerLine = 2;  // a line without the mapped columns
    EXPECT_TRUE(Fails(path, ReadFailure::Unknown, options).contains(QStringLiteral("请重新对应各列")));
}

// Files that are no bill, or cannot be read whole and unchanged, are refused with what to do.
TEST_F(BillFiles, BadFilesAreRefusedQuickly) {
    EXPECT_TRUE(
        Fails(write(QStringLiteral("empty.csv"), {}), ReadFailure::Other).contains(QStringLiteral("是空的")));
    EXPECT_TRUE(Fails(dir.filePath(QStringLiteral("gone.csv")), ReadFailure::Other)
                    .contains(QStringLiteral("找不到")));

    const QString huge = write(QStringLiteral("huge.csv"), {});
    {
        QFile file(huge);
        ASSERT_TRUE(file.resize(kMaxBillBytes + 1));  // sparse: no disk, no memory
    }
    EXPECT_TRUE(Fails(huge, ReadFailure::Other).contains(QStringLiteral("分几次导入")));

    const QString wide = write(QStringLiteral("wide.csv"), QByteArray(300, ','));
    EXPECT_TRUE(Fails(wide, ReadFailure::Other).contains(QStringLiteral("第 1 行多于 256 列")));
    const QString longLine = write(QStringLiteral("long.csv"), "a\n" + QByteArray(kMaxLineBytes + 10, 'x') +
                                                                   "\n" + QByteArray(1000, ','));
    EXPECT_TRUE(Fails(longLine, ReadFailure::Other).contains(QStringLiteral("第 2 行长于 64 KB")));

    QStringList lines = WechatPreamble();
    lines << WechatHeader().join(QLatin1Char(','));
    for (int i = 0; i < 20000; ++i)
        lines << QStringLiteral("2026-11-30 12:30:01,商户消费,美宜佳,冰红茶,支出,¥1.00,零钱,支付成功,%1,,/")
                     .arg(i);
    const QString bill = write(QStringLiteral("wechat.csv"), Lines(lines).toUtf8());
    ReadOptions options;
    int calls = 0;
    options.progress = [&](qint64 done, qint64 total) {
        EXPECT_LE(done, total);
        return ++calls < 2;
    };
    EXPECT_EQ(Fails(bill, ReadFailure::Other, options), QStringLiteral("已取消"));

    options.progress = [&](qint64, qint64) {
        QFile file(bill);
        EXPECT_TRUE(file.open(QIODevice::Append));
        file.write("2026-11-30 12:30:01,商户消费,美宜佳,冰红茶,支出,¥1.00,零钱,支付成功,x,,/\n");
        return true;
    };
    EXPECT_TRUE(Fails(bill, ReadFailure::Other, options).contains(QStringLiteral("在读取时被改动了")));

    EXPECT_TRUE(
        Fails(write(QStringLiteral("bill.zip"), QByteArrayLiteral("PK\x03\x04 secret")), ReadFailure::Other)
            .contains(QStringLiteral("压缩包")));
    EXPECT_TRUE(
        Fails(write(QStringLiteral("bill.qfx"), "OFXHEADER:100\nDATA:OFXSGML\n<OFX>"), ReadFailure::Other)
            .contains(QStringLiteral("OFX")));
}

// QIF of bank and card accounts: the usual date forms, signed amounts, payee, memo and category; the
// account block and an investment section pass by, a record with a bad date is kept with its reason.
TEST_F(BillFiles, QifRecordsOfBankAndCardAccounts) {
    const QStringList lines = {QStringLiteral("!Option:AutoSwitch"),
                               QStringLiteral("!Account"),
                               QStringLiteral("N工资卡"),
                               QStringLiteral("TBank"),
                               QStringLiteral("^"),
                               QStringLiteral("!Clear:AutoSwitch"),
                               QStringLiteral("!Type:Bank"),
                               QStringLiteral("D12/ 5'26"),
                               QStringLiteral("T-1,234.56"),
                               QStringLiteral("PSuper Market"),
                               QStringLiteral("M周末采购"),
                               QStringLiteral("NATM"),
                               QStringLiteral("L食品:超市"),
                               QStringLiteral("SFood"),
                               QStringLiteral("$-1,234.56"),
                               QStringLiteral("^"),
                               QStringLiteral("D2026-12-06"),
                               QStringLiteral("U300.00"),
                               QStringLiteral("P工资"),
                               QStringLiteral("^"),
                               QStringLiteral("!Type:Invst"),
                               QStringLiteral("D12/7/2026"),
                               QStringLiteral("NBuy"),
                               QStringLiteral("T100"),
                               QStringLiteral("^"),
                               QStringLiteral("!Type:CCard"),
                               QStringLiteral("D12/31/2026"),
                               QStringLiteral("T-5"),
                               QStringLiteral("^"),
                               QStringLiteral("D13/45/2026"),
                               QStringLiteral("T-5"),
                               QStringLiteral("^")};
    const Bill bill =
        Read(write(QStringLiteral("export.qif"), Lines(lines, QStringLiteral("\r\n")).toUtf8()));
    EXPECT_EQ(bill.source, BillSource::Qif);
    ASSERT_EQ(bill.rows.size(), 4);
    EXPECT_EQ(bill.rows[0].line, 8);
    EXPECT_EQ(bill.rows[0].day, QDate(2026, 12, 5));
    EXPECT_EQ(bill.rows[0].direction, BillDirection::Out);
    EXPECT_EQ(bill.rows[0].amount, Yuan("1234.56"));
    EXPECT_EQ(bill.rows[0].counterparty, QStringLiteral("Super Market"));
    EXPECT_EQ(bill.rows[0].description, QStringLiteral("周末采购"));
    EXPECT_EQ(bill.rows[0].category, QStringLiteral("食品:超市"));
    EXPECT_TRUE(bill.rows[0].number.isEmpty()) << "a cheque number or ATM is no transaction's own number";
    EXPECT_EQ(bill.rows[1].day, QDate(2026, 12, 6));
    EXPECT_EQ(bill.rows[1].direction, BillDirection::In);
    EXPECT_EQ(bill.rows[2].day, QDate(2026, 12, 31));
    EXPECT_EQ(bill.rows[3].problem, QStringLiteral("日期“13/45/2026”无法识别"));

    const QString invest = write(QStringLiteral("invest.qif"), "!Type:Invst\nD12/7/2026\nNBuy\nT100\n^\n");
    EXPECT_TRUE(Fails(invest, ReadFailure::Other).contains(QStringLiteral("投资帐户")));
}

}  // namespace
