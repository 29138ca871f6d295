#include "bills/OfxBill.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QByteArray kSgmlHeader =
    "OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\nSECURITY:NONE\r\nENCODING:USASCII\r\nCHARSET:1252\r\n"
    "COMPRESSION:NONE\r\nOLDFILEUID:NONE\r\nNEWFILEUID:NONE\r\n\r\n";

// A checking account statement in OFX 1.x SGML: no closing tags for values.
const QByteArray kSgml =
    kSgmlHeader +
    "<OFX><SIGNONMSGSRSV1><SONRS><STATUS><CODE>0<SEVERITY>INFO</STATUS><DTSERVER>20261205"
    "<LANGUAGE>ENG</SONRS></SIGNONMSGSRSV1>"
    "<BANKMSGSRSV1><STMTTRNRS><TRNUID>1<STATUS><CODE>0<SEVERITY>INFO</STATUS>"
    "<STMTRS><CURDEF>CNY<BANKACCTFROM><BANKID>308584000013<ACCTID>6225880012345678"
    "<ACCTTYPE>CHECKING</BANKACCTFROM><BANKTRANLIST><DTSTART>20261101<DTEND>20261130\r\n"
    "<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20261103<TRNAMT>-28.16<FITID>A0001<NAME>Starbucks"
    "<MEMO>coffee</STMTTRN>\r\n"
    "<STMTTRN><TRNTYPE>CHECK<DTPOSTED>20261104<TRNAMT>-1234.57<FITID>A0002<CHECKNUM>1001"
    "<NAME>Landlord</STMTTRN>\r\n"
    "<STMTTRN><TRNTYPE>INT<DTPOSTED>20261130<TRNAMT>0.1<FITID>A0003<NAME>Interest</STMTTRN>\r\n"
    "</BANKTRANLIST><LEDGERBAL><BALAMT>100.00<DTASOF>20261130</LEDGERBAL></STMTRS></STMTTRNRS>"
    "</BANKMSGSRSV1></OFX>\r\n";

// A credit card statement in OFX 2.x XML, with Chinese names.
const QByteArray kXml =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
    "<?OFX OFXHEADER=\"200\" VERSION=\"211\" SECURITY=\"NONE\" OLDFILEUID=\"NONE\" NEWFILEUID=\"NONE\"?>\n"
    "<OFX><SIGNONMSGSRSV1><SONRS><STATUS><CODE>0</CODE><SEVERITY>INFO</SEVERITY></STATUS>"
    "<DTSERVER>20261205</DTSERVER><LANGUAGE>CHI</LANGUAGE></SONRS></SIGNONMSGSRSV1>"
    "<CREDITCARDMSGSRSV1><CCSTMTTRNRS><TRNUID>1</TRNUID><STATUS><CODE>0</CODE><SEVERITY>INFO</SEVERITY></"
    "STATUS>"
    "<CCSTMTRS><CURDEF>CNY</CURDEF><CCACCTFROM><ACCTID>4392261234</ACCTID></CCACCTFROM>"
    "<BANKTRANLIST><DTSTART>20261101</DTSTART><DTEND>20261130</DTEND>\n"
    "<STMTTRN><TRNTYPE>POS</TRNTYPE><DTPOSTED>20261110</DTPOSTED><TRNAMT>-99.90</TRNAMT><FITID>C1</FITID>"
    "<NAME>盒马鲜生</NAME><MEMO>买菜</MEMO></STMTTRN>\n"
    "<STMTTRN><TRNTYPE>PAYMENT</TRNTYPE><DTPOSTED>20261120</DTPOSTED><TRNAMT>8000.005</TRNAMT><FITID>C2</"
    "FITID>"
    "<NAME>还款</NAME></STMTTRN>\n"
    "</BANKTRANLIST><LEDGERBAL><BALAMT>-100</BALAMT><DTASOF>20261130</DTASOF></LEDGERBAL></CCSTMTRS>"
    "</CCSTMTTRNRS></CREDITCARDMSGSRSV1></OFX>\n";

class OfxBillTest : public ::testing::Test {
  protected:
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QTemporaryDir dir;
};

// Both generations of OFX give their lines with the FITID, the day, the amount exact to the cent and its
// direction, and the account number.
TEST_F(OfxBillTest, ReadsSgmlAndXmlStatementsExactToTheCent) {
    const Result<Bill> sgml = ReadOfxBill(write(QStringLiteral("checking.ofx"), kSgml));
    ASSERT_TRUE(sgml) << sgml.error().toStdString();
    EXPECT_EQ(sgml->source, BillSource::Ofx);
    EXPECT_EQ(sgml->sourceCode, QStringLiteral("ofx"));
    EXPECT_EQ(sgml->account, QStringLiteral("6225880012345678"));
    ASSERT_EQ(sgml->rows.size(), 3);
    const BillRow& coffee = sgml->rows.at(0);
    EXPECT_EQ(coffee.line, 1);
    EXPECT_EQ(coffee.number, QStringLiteral("A0001"));
    EXPECT_EQ(coffee.day, QDate(2026, 11, 3));
    EXPECT_EQ(coffee.amount, Money::fromUnits(281600));
    EXPECT_EQ(coffee.direction, BillDirection::Out);
    EXPECT_EQ(coffee.counterparty, QStringLiteral("Starbucks"));
    EXPECT_EQ(coffee.description, QStringLiteral("coffee"));
    EXPECT_TRUE(coffee.problem.isEmpty());
    const BillRow& rent = sgml->rows.at(1);
    EXPECT_EQ(rent.amount, Money::fromUnits(12345700));
    EXPECT_EQ(rent.remark, QStringLiteral("支票号 1001"));
    EXPECT_EQ(rent.category, QStringLiteral("支票"));
    const BillRow& interest = sgml->rows.at(2);
    EXPECT_EQ(interest.amount, Money::fromUnits(1000));
    EXPECT_EQ(interest.direction, BillDirection::In);
    EXPECT_EQ(interest.day, QDate(2026, 11, 30));

    const Result<Bill> xml = ReadOfxBill(write(QStringLiteral("card.qfx"), kXml));
    ASSERT_TRUE(xml) << xml.error().toStdString();
    EXPECT_EQ(xml->account, QStringLiteral("4392261234"));
    ASSERT_EQ(xml->rows.size(), 2);
    EXPECT_EQ(xml->rows.at(0).number, QStringLiteral("C1"));
    EXPECT_EQ(xml->rows.at(0).counterparty, QStringLiteral("盒马鲜生"));
    EXPECT_EQ(xml->rows.at(0).description, QStringLiteral("买菜"));
    EXPECT_EQ(xml->rows.at(0).amount, Money::fromUnits(999000));
    EXPECT_EQ(xml->rows.at(0).day, QDate(2026, 11, 10));
    // Half a cent rounds away from zero.
    EXPECT_EQ(xml->rows.at(1).amount, Money::fromUnits(80000100));
    EXPECT_EQ(xml->rows.at(1).direction, BillDirection::In);
}

// A file that is no OFX, and one cut off inside its list of lines, are refused; nothing half read.
TEST_F(OfxBillTest, RefusesWhatIsNoOfxOrWasCutOff) {
    const Result<Bill> csv =
        ReadOfxBill(write(QStringLiteral("bill.ofx"), "交易时间,金额\n2026-11-01,1.00\n"));
    ASSERT_FALSE(csv);
    EXPECT_TRUE(csv.error().contains(QStringLiteral("不是 OFX 文件"))) << csv.error().toStdString();

    const Result<Bill> cut =
        ReadOfxBill(write(QStringLiteral("cut.ofx"), kSgml.left(kSgml.indexOf("<FITID>A0002"))));
    ASSERT_FALSE(cut);
    EXPECT_TRUE(cut.error().contains(QStringLiteral("已损坏或不完整"))) << cut.error().toStdString();
}

}  // namespace
