#include "bills/XlsxRows.h"
#include "support/TestZip.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QByteArray kRelations = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

class XlsxRowsTest : public ::testing::Test {
  protected:
    QString write(const TestWorkbook& workbook, const QString& name = QStringLiteral("微信支付账单.xlsx")) {
        const QString path = dir.filePath(name);
        const QString written = workbook.write(path);
        EXPECT_TRUE(written.isEmpty()) << written.toStdString();
        return path;
    }
    QTemporaryDir dir;
};

// The first sheet in the workbook's order is found through the relations, whatever its part is called;
// every kind of cell gives its text in its own column, dates from day counts in date-formatted cells.
TEST_F(XlsxRowsTest, ReadsTheFirstSheetCellByCellIntoItsColumns) {
    TestWorkbook workbook;
    workbook.workbook = "<workbook xmlns:r=\"" + kRelations +
                        "\"><workbookPr/><sheets><sheet name=\"账单\" sheetId=\"2\" r:id=\"rId7\"/>"
                        "<sheet name=\"说明\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
    workbook.relations =
        "<Relationships><Relationship Id=\"rId1\" Target=\"worksheets/sheet1.xml\"/>"
        "<Relationship Id=\"rId7\" Target=\"/xl/worksheets/bill.xml\"/></Relationships>";
    workbook.sheet = "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>不是这一张</t></is></c></row>";
    workbook.sharedStrings =
        "<si><t>交易时间</t></si>"
        "<si><r><rPr><b/></rPr><t>微信</t></r><r><t xml:space=\"preserve\">支付 </t></r>"
        "<rPh sb=\"0\" eb=\"2\"><t>ウェイシン</t></rPh></si>";
    // Style 1: a custom date and time; 2: built-in date 14; 3: a money format whose quoted 元 and
    // "d" in brackets are no date; 4: built-in 2 (0.00).
    workbook.styles =
        "<numFmts count=\"2\"><numFmt numFmtId=\"176\" formatCode=\"yyyy-mm-dd hh:mm:ss\"/>"
        "<numFmt numFmtId=\"177\" formatCode=\"[$-804]0.00&quot;元 d&quot;\"/></numFmts>"
        "<cellStyleXfs count=\"1\"><xf numFmtId=\"14\"/></cellStyleXfs>"
        "<cellXfs count=\"5\"><xf numFmtId=\"0\"/><xf numFmtId=\"176\"/><xf numFmtId=\"14\"/>"
        "<xf numFmtId=\"177\"/><xf numFmtId=\"2\"/></cellXfs>";
    const QByteArray bill =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><worksheet><sheetData>"
        "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"C1\" t=\"s\"><v>1</v></c></row>"
        "<row r=\"3\">"
        "<c r=\"A3\" s=\"1\"><v>45627.5208333333</v></c>"
        "<c r=\"B3\" t=\"inlineStr\"><is><t>2024-12-01 12:30:00</t></is></c>"
        "<c r=\"C3\" s=\"3\"><v>28.16</v></c>"
        "<c r=\"D3\" s=\"4\"><v>1234567890.1200001</v></c>"
        "<c r=\"E3\" t=\"b\"><v>1</v></c>"
        "<c r=\"F3\" s=\"2\"><v>45628</v></c>"
        "<c r=\"G3\" s=\"2\"><v>61</v></c>"
        "<c r=\"H3\" s=\"2\"><v>1.75</v></c>"
        "<c r=\"I3\" t=\"str\" s=\"1\"><f>TEXT(A3)</f><v>十二月</v></c>"
        "</row>"
        "<row r=\"4\"><c t=\"inlineStr\"><is><t>零钱</t></is></c><c><v>7</v></c><c r=\"Z4\" s=\"1\"/></row>"
        "</sheetData></worksheet>";
    workbook.more.append({QStringLiteral("xl/worksheets/bill.xml"), bill});

    const Result<QList<QStringList>> rows = ReadXlsxRows(write(workbook));
    ASSERT_TRUE(rows) << rows.error().toStdString();
    const QList<QStringList> expected = {
        {QStringLiteral("交易时间"), QString(), QStringLiteral("微信支付 ")},
        {},
        {QStringLiteral("2024-12-01 12:30:00"), QStringLiteral("2024-12-01 12:30:00"),
         QStringLiteral("28.16"), QStringLiteral("1234567890.1200001"), QStringLiteral("TRUE"),
         QStringLiteral("2024-12-02 00:00:00"), QStringLiteral("1900-03-01 00:00:00"),
         QStringLiteral("1900-01-01 18:00:00"), QStringLiteral("十二月")},
        {QStringLiteral("零钱"), QStringLiteral("7")},
    };
    EXPECT_EQ(*rows, expected);

    // Without the workbook's relations the sheet of the usual name is read; a workbook counting from 1904
    // shifts its day counts.
    TestWorkbook plain;
    plain.workbook = "<workbook><workbookPr date1904=\"1\"/></workbook>";
    plain.styles = "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"22\"/></cellXfs>";
    plain.sheet = "<row><c s=\"1\"><v>0.5</v></c><c r=\"C1\"><v>-3</v></c></row>";
    const Result<QList<QStringList>> shifted = ReadXlsxRows(write(plain, QStringLiteral("b.xlsx")));
    ASSERT_TRUE(shifted) << shifted.error().toStdString();
    EXPECT_EQ(*shifted,
              QList<QStringList>({{QStringLiteral("1904-01-01 12:00:00"), QString(), QStringLiteral("-3")}}));
}

// What is no workbook, a damaged one and one too large for a bill are refused with a message saying so.
TEST_F(XlsxRowsTest, RefusesWhatIsNoWorkbookOrIsDamagedOrTooLarge) {
    const auto refusal = [&](const QString& path) {
        const Result<QList<QStringList>> rows = ReadXlsxRows(path);
        EXPECT_FALSE(rows) << path.toStdString();
        return rows ? QString() : rows.error();
    };
    const QString text = dir.filePath(QStringLiteral("bill.xlsx"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("交易时间,金额\n");
    file.close();
    EXPECT_TRUE(refusal(text).contains(QStringLiteral("不是 Excel 工作簿"))) << refusal(text).toStdString();

    const QString xls = dir.filePath(QStringLiteral("old.xls"));
    QFile old(xls);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(504, '\0'));
    old.close();
    EXPECT_TRUE(refusal(xls).contains(QStringLiteral("旧式的 Excel 文件"))) << refusal(xls).toStdString();

    const QString otherZip = dir.filePath(QStringLiteral("other.xlsx"));
    ASSERT_TRUE(WriteTestZip(otherZip, {{QStringLiteral("bill.csv"), "a,b\n"}}).isEmpty());
    EXPECT_TRUE(refusal(otherZip).contains(QStringLiteral("不是 Excel 工作簿")));

    TestWorkbook unclosed;
    unclosed.sheet = "<row r=\"1\"><c r=\"A1\"><v>1</v></c>";
    const QString broken = refusal(write(unclosed, QStringLiteral("broken.xlsx")));
    EXPECT_TRUE(broken.contains(QStringLiteral("已损坏"))) << broken.toStdString();
    EXPECT_TRUE(broken.contains(QStringLiteral("sheet1.xml"))) << broken.toStdString();

    TestWorkbook missingString;
    missingString.sharedStrings = "<si><t>a</t></si>";
    missingString.sheet = "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>1</v></c></row>";
    EXPECT_TRUE(refusal(write(missingString, QStringLiteral("s.xlsx"))).contains(QStringLiteral("已损坏")));

    TestWorkbook backwards;
    backwards.sheet = "<row r=\"2\"/><row r=\"1\"/>";
    EXPECT_TRUE(refusal(write(backwards, QStringLiteral("r.xlsx"))).contains(QStringLiteral("已损坏")));

    // Column 257 (IW) holds a value.
    TestWorkbook wide;
    wide.sheet = "<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"IW1\"><v>2</v></c></row>";
    EXPECT_TRUE(refusal(write(wide, QStringLiteral("w.xlsx"))).contains(QStringLiteral("超过 256 列")));

    // Rows far apart: the gaps count as cells.
    TestWorkbook sparse;
    sparse.sheet = "<row r=\"1\"><c r=\"IV1\"><v>1</v></c></row>";
    for (int row = 2; row <= 16400; ++row)
        sparse.sheet += "<row r=\"" + QByteArray::number(row) + "\"><c r=\"IV" + QByteArray::number(row) +
                        "\"><v>1</v></c></row>";
    EXPECT_TRUE(refusal(write(sparse, QStringLiteral("c.xlsx"))).contains(QStringLiteral("单元格超过")));

    // A sheet that unpacks to more than a bill may hold, from a few kilobytes.
    TestWorkbook bomb;
    bomb.sheet = "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>" + QByteArray(65 * 1024 * 1024, ' ');
    const QString big = refusal(write(bomb, QStringLiteral("bomb.xlsx")));
    EXPECT_TRUE(big.contains(QStringLiteral("解压后超过 64 MB"))) << big.toStdString();
}

}  // namespace
