// tamberlo-xlsx-timing write <file.xlsx> [rows]: writes a 微信支付 bill workbook of that many lines (10^5
// by default): 16 lines of preamble, the header, then one line a transaction with its time as a
// date-formatted day count, its amount as a number and every text a shared string.
// tamberlo-xlsx-timing read <file.xlsx>: the time ReadXlsxRows takes on it and the process's peak memory.
#include "bills/XlsxRows.h"
#include "support/TestZip.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>

#include <cstdio>

namespace {

// The shared strings of a workbook being written: each text once, cells point at it.
class SharedStrings {
  public:
    int indexOf(const QString& text) {
        const auto found = index_.constFind(text);
        if (found != index_.cend())
            return *found;
        const int index = static_cast<int>(index_.size());
        index_.insert(text, index);
        xml_ += "<si><t>" + text.toHtmlEscaped().toUtf8() + "</t></si>";
        return index;
    }
    QByteArray xml() const { return xml_; }

  private:
    QHash<QString, int> index_;
    QByteArray xml_;
};

QByteArray Column(int column) {
    return QByteArray(1, static_cast<char>('A' + column));
}

int Write(const QString& path, int count) {
    SharedStrings shared;
    QByteArray sheet;
    int row = 0;
    const auto textCell = [&](int column, const QString& text) {
        return "<c r=\"" + Column(column) + QByteArray::number(row) + "\" t=\"s\"><v>" +
               QByteArray::number(shared.indexOf(text)) + "</v></c>";
    };
    for (int line = 1; line <= 16; ++line) {
        row = line;
        sheet += "<row r=\"" + QByteArray::number(row) + "\">" +
                 textCell(0, QStringLiteral("微信支付账单明细说明第%1行").arg(line)) + "</row>";
    }
    const QStringList header = {
        QStringLiteral("交易时间"), QStringLiteral("交易类型"), QStringLiteral("交易对方"),
        QStringLiteral("商品"),     QStringLiteral("收/支"),    QStringLiteral("金额(元)"),
        QStringLiteral("支付方式"), QStringLiteral("当前状态"), QStringLiteral("交易单号"),
        QStringLiteral("商户单号"), QStringLiteral("备注")};
    row = 17;
    sheet += "<row r=\"17\">";
    for (int column = 0; column < header.size(); ++column)
        sheet += textCell(column, header.at(column));
    sheet += "</row>";
    const QStringList shops = {QStringLiteral("美团"), QStringLiteral("滴滴出行"), QStringLiteral("盒马鲜生"),
                               QStringLiteral("瑞幸咖啡"), QStringLiteral("中国石化")};
    for (int i = 0; i < count; ++i) {
        row = 18 + i;
        const QByteArray r = QByteArray::number(row);
        // 2024-01-01 plus one minute a line: a day count with its fraction.
        const qint64 minutes = i;
        const QByteArray serial =
            QByteArray::number(45292 + minutes / 1440) + "." +
            QByteArray::number((minutes % 1440) * 694444444444LL / 1000).rightJustified(12, '0');
        sheet += "<row r=\"" + r + "\"><c r=\"A" + r + "\" s=\"1\"><v>" + serial + "</v></c>" +
                 textCell(1, QStringLiteral("商户消费")) + textCell(2, shops.at(i % shops.size())) +
                 textCell(3, QStringLiteral("商品%1").arg(i % 50)) + textCell(4, QStringLiteral("支出")) +
                 "<c r=\"F" + r + "\"><v>" + QByteArray::number(1 + i % 500) + "." +
                 QByteArray::number(10 + i % 90) + "</v></c>" + textCell(6, QStringLiteral("零钱")) +
                 textCell(7, QStringLiteral("支付成功")) +
                 textCell(8, QStringLiteral("4200001%1").arg(i, 21, 10, QLatin1Char('0'))) +
                 textCell(9, QStringLiteral("M%1").arg(i, 16, 10, QLatin1Char('0'))) +
                 textCell(10, QStringLiteral("/")) + "</row>";
    }
    TestWorkbook workbook;
    workbook.sheet = sheet;
    workbook.sharedStrings = shared.xml();
    workbook.styles = "<cellXfs count=\"2\"><xf numFmtId=\"0\"/><xf numFmtId=\"22\"/></cellXfs>";
    const QString written = workbook.write(path);
    if (!written.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(written));
        return 1;
    }
    std::printf("%s: %d lines, %lld bytes (sheet %lld bytes unpacked)\n", qPrintable(path), count,
                static_cast<long long>(QFile(path).size()), static_cast<long long>(sheet.size()));
    return 0;
}

QByteArray PeakMemory() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return "?";
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed();
    }
    return "?";
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() >= 3 && args[1] == QLatin1String("write"))
        return Write(args[2], args.size() > 3 ? args[3].toInt() : 100000);
    if (args.size() < 3 || args[1] != QLatin1String("read")) {
        std::fprintf(stderr, "usage: tamberlo-xlsx-timing write <file.xlsx> [rows] | read <file.xlsx>\n");
        return 2;
    }
    QElapsedTimer timer;
    timer.start();
    const Result<QList<QStringList>> rows = ReadXlsxRows(args[2]);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    if (!rows) {
        std::fprintf(stderr, "%s\n", qPrintable(rows.error()));
        return 1;
    }
    std::printf("ReadXlsxRows: %lld rows in %.0f ms, peak memory %s; last line: %s\n",
                static_cast<long long>(rows->size()), ms, PeakMemory().constData(),
                qPrintable(rows->last().join(QLatin1Char('|'))));
    return 0;
}
