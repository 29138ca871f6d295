// Reading a large generated bill: `tamberlo-bill-read generate FILE ROWS` writes a 支付宝 CSV in GBK of
// ROWS lines; `tamberlo-bill-read read FILE` reads it as the import does and prints the time, the rows
// and the peak memory of the process.
#include "bills/BillReader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringEncoder>

#include <cstdio>

namespace {

int Generate(const QString& path, int rows) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    QStringEncoder gbk("GB18030");
    QString text;
    for (int i = 0; i < 23; ++i)
        text += QStringLiteral("导出信息：第%1行说明\r\n").arg(i);
    text += QStringLiteral("---------------------------------------------\r\n");
    text += QStringLiteral(
        "交易时间,交易分类,交易对方,对方账号,商品说明,收/支,金额,收/付款方式,交易状态,交易订单号,"
        "商家订单号,备注,\r\n");
    file.write(gbk.encode(text));
    const QStringList shops = {QStringLiteral("星巴克"), QStringLiteral("美团外卖"),
                               QStringLiteral("滴滴出行"), QStringLiteral("盒马鲜生")};
    for (int i = 0; i < rows; ++i) {
        const QString line = QStringLiteral(
                                 "2026-%1-%2 %3:%4:05,餐饮美食,%5  ,sh***@x.com,订单%6 商品说明,%7,%8.%9,"
                                 "招商银行储蓄卡(1234),交易成功,20261130220014%10\t,M%10\t,,\r\n")
                                 .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                                 .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                                 .arg(i % 24, 2, 10, QLatin1Char('0'))
                                 .arg(i % 60, 2, 10, QLatin1Char('0'))
                                 .arg(shops[i % shops.size()])
                                 .arg(i)
                                 .arg(i % 7 == 0 ? QStringLiteral("收入") : QStringLiteral("支出"))
                                 .arg(1 + i % 500)
                                 .arg(i % 100, 2, 10, QLatin1Char('0'))
                                 .arg(i, 10, 10, QLatin1Char('0'));
        file.write(gbk.encode(line));
    }
    return 0;
}

long PeakKilobytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QStringLiteral("generate"))
        return Generate(args[2], args[3].toInt());
    if (args.size() != 3 || args[1] != QStringLiteral("read")) {
        std::fprintf(stderr, "usage: tamberlo-bill-read generate FILE ROWS | read FILE\n");
        return 2;
    }
    QElapsedTimer timer;
    timer.start();
    const ReadResult read = ReadBill(args[2]);
    const qint64 ms = timer.elapsed();
    if (!read.bill) {
        std::fprintf(stderr, "%s\n", qPrintable(read.bill.error()));
        return 1;
    }
    std::printf("rows %lld, %lld ms, peak %ld kB\n", static_cast<long long>(read.bill->rows.size()),
                static_cast<long long>(ms), PeakKilobytes());
    return 0;
}
