#include "bills/OfxBill.h"

#include "bills/BillReader.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <libofx/libofx.h>

#include <cmath>

namespace {

constexpr int kMegabyte = 1024 * 1024;

template <std::size_t N>
QString Text(const char (&field)[N]) {
    return QString::fromUtf8(field, static_cast<qsizetype>(qstrnlen(field, N))).trimmed();
}

QString TypeName(TransactionType type) {
    switch (type) {
        case OFX_CREDIT:
            return QStringLiteral("收入");
        case OFX_DEBIT:
            return QStringLiteral("支出");
        case OFX_INT:
            return QStringLiteral("利息");
        case OFX_DIV:
            return QStringLiteral("分红");
        case OFX_FEE:
            return QStringLiteral("手续费");
        case OFX_SRVCHG:
            return QStringLiteral("服务费");
        case OFX_DEP:
            return QStringLiteral("存入");
        case OFX_ATM:
            return QStringLiteral("ATM");
        case OFX_POS:
            return QStringLiteral("刷卡消费");
        case OFX_XFER:
            return QStringLiteral("转帐");
        case OFX_CHECK:
            return QStringLiteral("支票");
        case OFX_PAYMENT:
            return QStringLiteral("付款");
        case OFX_CASH:
            return QStringLiteral("取现");
        case OFX_DIRECTDEP:
            return QStringLiteral("代发");
        case OFX_DIRECTDEBIT:
            return QStringLiteral("代扣");
        case OFX_REPEATPMT:
            return QStringLiteral("定期付款");
        case OFX_OTHER:
            break;
    }
    return QStringLiteral("其他");
}

// libofx hands the amount over as a double, the OFX text itself is not kept. The double is written out
// with six decimals (far more than a bank's amount carries, and exact in the integer part up to 2^53),
// that decimal text is read as Money and rounded half away from zero to the cent. So -1234.57, which the
// double holds as -1234.5699999999999, is exactly -1234.57 again.
Result<Money> AmountOf(double amount) {
    if (!std::isfinite(amount))
        return Result<Money>::failure(QStringLiteral("金额不是数字"));
    const Result<Money> exact = Money::parse(QString::number(std::fabs(amount), 'f', 6));
    if (!exact)
        return exact;
    const qint64 units = exact->units();
    return Money::fromUnits((units + 50) / 100 * 100);
}

struct Collected {
    QList<BillRow> rows;
    QHash<QString, QString> accountNumbers;  // libofx's account id → ACCTID
    QSet<QString> transactionAccounts;
};

int OnAccount(const OfxAccountData data, void* context) {
    auto* collected = static_cast<Collected*>(context);
    const QString id = Text(data.account_id);
    collected->accountNumbers.insert(id, data.account_number_valid ? Text(data.account_number) : id);
    return 0;
}

int OnTransaction(const OfxTransactionData data, void* context) {
    auto* collected = static_cast<Collected*>(context);
    BillRow row;
    row.line = static_cast<int>(collected->rows.size()) + 1;
    if (data.account_id_valid)
        collected->transactionAccounts.insert(Text(data.account_id));
    // The day in this computer's time zone: libofx turns the posted date into a moment, and a date
    // given without its time stays on its day across the time zones where households live. The time
    // is left out, as most statements give none.
    if (data.date_posted_valid)
        row.day = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(data.date_posted)).date();
    else if (data.date_initiated_valid)
        row.day = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(data.date_initiated)).date();
    else
        row.problem = QStringLiteral("没有记帐日期");
    if (data.amount_valid) {
        const Result<Money> amount = AmountOf(data.amount);
        if (amount) {
            row.amount = *amount;
            row.direction = data.amount < 0 ? BillDirection::Out : BillDirection::In;
        } else if (row.problem.isEmpty()) {
            row.problem = amount.error();
        }
    } else if (row.problem.isEmpty()) {
        row.problem = QStringLiteral("没有金额");
    }
    if (data.fi_id_valid)
        row.number = Text(data.fi_id);
    if (data.name_valid)
        row.counterparty = Text(data.name);
    if (data.memo_valid)
        row.description = Text(data.memo);
    if (data.transactiontype_valid)
        row.category = TypeName(data.transactiontype);
    if (data.check_number_valid && !Text(data.check_number).isEmpty())
        row.remark = QStringLiteral("支票号 %1").arg(Text(data.check_number));
    collected->rows.append(row);
    return 0;
}

// libofx reports what it parses on the standard error stream unless told not to.
void SilenceLibofx() {
    for (int* flag :
         {&ofx_PARSER_msg, &ofx_DEBUG_msg, &ofx_DEBUG1_msg, &ofx_DEBUG2_msg, &ofx_DEBUG3_msg, &ofx_DEBUG4_msg,
          &ofx_DEBUG5_msg, &ofx_STATUS_msg, &ofx_INFO_msg, &ofx_WARNING_msg, &ofx_ERROR_msg})
        *flag = 0;
}

}  // namespace

Result<Bill> ReadOfxBill(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result<Bill>::failure(QStringLiteral("无法打开“%1”，请确认文件还在原处并且可以读取。（%2）")
                                         .arg(name, file.errorString()));
    if (file.size() > kMaxBillBytes)
        return Result<Bill>::failure(
            QStringLiteral(
                "“%1”超过 %2 MB，不像一份帐单，没有读取。请确认选对了文件，或分段导出帐单后再导入。")
                .arg(name)
                .arg(kMaxBillBytes / kMegabyte));
    // The statement lines the file holds, to tell a file libofx read whole from one it gave up on.
    qsizetype statementLines = 0;
    qsizetype closedLines = 0;
    {
        const QByteArray upper = file.readAll().toUpper();
        if (!upper.contains("<OFX"))
            return Result<Bill>::failure(
                QStringLiteral(
                    "“%1”不是 OFX 文件，无法读取。请确认选对了文件，或在网上银行重新导出 OFX/QFX 帐单。")
                    .arg(name));
        statementLines = upper.count("<STMTTRN>");
        closedLines = upper.count("</STMTTRN>");
    }
    file.close();

    Collected collected;
    SilenceLibofx();
    LibofxContextPtr context = libofx_get_new_context();
    ofx_set_account_cb(context, OnAccount, &collected);
    ofx_set_transaction_cb(context, OnTransaction, &collected);
    const int parsed = libofx_proc_file(context, QFile::encodeName(path).constData(), OFX);
    libofx_free_context(context);

    // libofx reports an error for any tag it does not know, yet goes on; what counts is that no
    // statement line was lost or cut off (a file that ends inside its last line).
    if (parsed != 0 &&
        (collected.rows.isEmpty() || collected.rows.size() < statementLines || closedLines < statementLines))
        return Result<Bill>::failure(
            QStringLiteral(
                "OFX 文件“%1”已损坏或不完整，读出 %2 笔交易，文件中有 %3 笔。请在网上银行重新导出后再导入。")
                .arg(name)
                .arg(collected.rows.size())
                .arg(statementLines));
    QSet<QString> accounts = collected.transactionAccounts;
    for (auto it = collected.accountNumbers.cbegin(); it != collected.accountNumbers.cend(); ++it)
        accounts.insert(it.key());
    if (accounts.size() > 1)
        return Result<Bill>::failure(
            QStringLiteral("OFX 文件“%1”含有 %2 个帐户的交易。请在网上银行每次只导出一个帐户，"
                           "再分别导入。")
                .arg(name)
                .arg(accounts.size()));
    if (collected.rows.isEmpty())
        return Result<Bill>::failure(
            QStringLiteral("OFX 文件“%1”里没有交易。请确认导出的时间段内有交易，再重新导出。").arg(name));

    Bill bill;
    bill.source = BillSource::Ofx;
    bill.sourceCode = SourceCode(BillSource::Ofx);
    bill.path = path;
    if (!accounts.isEmpty()) {
        const QString id = *accounts.cbegin();
        bill.account = collected.accountNumbers.value(id, id);
    }
    bill.rows = std::move(collected.rows);
    return bill;
}
