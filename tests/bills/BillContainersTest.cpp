#include "bills/BillReader.h"
#include "support/TestZip.h"

#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <zip.h>

namespace {

QByteArray inlineCell(const char* ref, const QString& text) {
    return "<c r=\"" + QByteArray(ref) + "\" t=\"inlineStr\"><is><t>" + text.toUtf8() + "</t></is></c>";
}

// The file chosen is read by what it holds: a 微信支付 workbook through the sheet's header at row 17, a
// 支付宝 bill in the zip it is mailed in only with its password, as the same rows its CSV gives.
TEST(BillContainers, AWorkbookAndAMailedZipAreReadAsTheBillsTheyHold) {
    QTemporaryDir dir;
    const QStringList header = {
        QStringLiteral("交易时间"), QStringLiteral("交易类型"), QStringLiteral("交易对方"),
        QStringLiteral("商品"),     QStringLiteral("收/支"),    QStringLiteral("金额(元)"),
        QStringLiteral("支付方式"), QStringLiteral("当前状态"), QStringLiteral("交易单号"),
        QStringLiteral("商户单号"), QStringLiteral("备注")};
    QByteArray headerRow = "<row r=\"17\">";
    for (int c = 0; c < header.size(); ++c)
        headerRow += inlineCell(QByteArray(1, char('A' + c)).append("17").constData(), header[c]);
    TestWorkbook workbook;
    workbook.sheet =
        "<row r=\"1\">" + inlineCell("A1", QStringLiteral("微信支付账单明细")) + "</row>" + headerRow +
        "</row><row r=\"18\">" + inlineCell("A18", QStringLiteral("2026-11-05 12:30:01")) +
        inlineCell("B18", QStringLiteral("商户消费")) + inlineCell("C18", QStringLiteral("便利店")) +
        inlineCell("D18", QStringLiteral("饮料")) + inlineCell("E18", QStringLiteral("支出")) +
        "<c r=\"F18\"><v>28.16</v></c>" + inlineCell("G18", QStringLiteral("零钱")) +
        inlineCell("H18", QStringLiteral("支付成功")) + inlineCell("I18", QStringLiteral("42000001")) +
        "</row>";
    const QString sheet = dir.filePath(QStringLiteral("bill.data"));
    ASSERT_EQ(workbook.write(sheet), QString());
    const ReadResult wechat = ReadBill(sheet);
    ASSERT_TRUE(wechat.bill) << wechat.bill.error().toStdString();
    EXPECT_EQ(wechat.bill->source, BillSource::Wechat);
    ASSERT_EQ(wechat.bill->rows.size(), 1);
    EXPECT_EQ(wechat.bill->rows[0].amount, Money::fromUnits(281600));
    EXPECT_EQ(wechat.bill->rows[0].number, QStringLiteral("42000001"));
    EXPECT_EQ(wechat.bill->rows[0].method, QStringLiteral("零钱"));

    const QByteArray csv = QStringEncoder("GB18030").encode(QStringLiteral(
        "支付宝交易明细\n"
        "交易时间,交易分类,交易对方,对方账号,商品说明,收/支,金额,收/"
        "付款方式,交易状态,交易订单号,商家订单号,备注,\n"
        "2026-11-06 08:00:00,餐饮美食,早餐店,,包子,支出,6.50,余额,交易成功,2026110622001\t,M1\t,,\n"));
    const QString mailed = dir.filePath(QStringLiteral("alipay.zip"));
    ASSERT_EQ(WriteTestZip(mailed, {{QStringLiteral("支付宝交易明细.csv"), csv}}, "314159", ZIP_EM_AES_256),
              QString());
    const ReadResult locked = ReadBill(mailed);
    ASSERT_FALSE(locked.bill);
    EXPECT_EQ(locked.failure, ReadFailure::NeedsPassword);
    ReadOptions options;
    options.zipPassword = QStringLiteral("000000");
    EXPECT_EQ(ReadBill(mailed, options).failure, ReadFailure::NeedsPassword);
    options.zipPassword = QStringLiteral("314159");
    const ReadResult alipay = ReadBill(mailed, options);
    ASSERT_TRUE(alipay.bill) << alipay.bill.error().toStdString();
    EXPECT_EQ(alipay.bill->source, BillSource::Alipay);
    ASSERT_EQ(alipay.bill->rows.size(), 1);
    EXPECT_EQ(alipay.bill->rows[0].amount, Money::fromUnits(65000));
    EXPECT_EQ(alipay.bill->rows[0].number, QStringLiteral("2026110622001"));
}

}  // namespace
