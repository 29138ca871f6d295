#include "ledger/CsvExport.h"

#include "data/DatabaseErrors.h"
#include "data/DateText.h"
#include "data/Statements.h"
#include "household/Household.h"
#include "ledger/LedgerTotals.h"

#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>

namespace {

QString writeFailure(const QString& path, const QString& reason) {
    return QStringLiteral("无法写入文件 %1（%2）。请选择其他位置，或检查该文件夹的写入权限和磁盘空间。")
        .arg(path, reason);
}

// The stored amount exactly, as a plain decimal without currency sign: two places, or four where it has
// digits past the cent ("-12.50", "0.0050"), so that the file adds up to what the books hold.
QString plainAmount(const Money& amount) {
    QString text = amount.toPlainText();
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    const qsizetype decimals = point < 0 ? 0 : text.size() - point - 1;
    if (point < 0)
        text += QLatin1Char('.');
    return text + QString(decimals <= 2 ? 2 - decimals : 4 - decimals, QLatin1Char('0'));
}

// A text cell as written: one that a spreadsheet would take for a formula (starting with "=", "+", "-",
// "@", a tab or a carriage return) gets a leading apostrophe, so that WPS and Excel show it as the text
// it is instead of running it.
QString textCell(const QString& text) {
    static const QString kFormulaStarts = QStringLiteral("=+-@\t\r");
    return !text.isEmpty() && kFormulaStarts.contains(text.front()) ? QLatin1Char('\'') + text : text;
}

QString typeName(const QString& code) {
    if (code == QLatin1String(Codes::kIncome))
        return QStringLiteral("收入");
    if (code == QLatin1String(Codes::kExpense))
        return QStringLiteral("支出");
    if (code == QLatin1String(Codes::kDeposit))
        return QStringLiteral("存款");
    if (code == QLatin1String(Codes::kWithdrawal))
        return QStringLiteral("取款");
    if (code == QLatin1String(Codes::kTransfer))
        return QStringLiteral("转帐");
    return code;
}

}  // namespace

QByteArray CsvRecord(const QStringList& fields) {
    QByteArray line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += ',';
        const QByteArray field = fields[i].toUtf8();
        if (field.contains(',') || field.contains('"') || field.contains('\n') || field.contains('\r')) {
            QByteArray quoted = field;
            quoted.replace("\"", "\"\"");
            line += '"' + quoted + '"';
        } else {
            line += field;
        }
    }
    return line + "\r\n";
}

QStringList ExportHeader(ExportKind kind) {
    if (kind == ExportKind::Entries) {
        return {QStringLiteral("类型"), QStringLiteral("明细"),     QStringLiteral("金额"),
                QStringLiteral("帐户"), QStringLiteral("登记日期"), QStringLiteral("登记人"),
                QStringLiteral("备注")};
    }
    // A transfer's receiving place stands under 银行名称, its paying place and fee in the last two columns
    // (empty for a deposit or withdrawal), so that the first five columns mean what they always did.
    return {QStringLiteral("类型"),  QStringLiteral("银行名称"), QStringLiteral("金额"),
            QStringLiteral("日期"),  QStringLiteral("操作人"),   QStringLiteral("转出帐户"),
            QStringLiteral("手续费")};
}

QStringList ExportRights(ExportKind kind) {
    if (kind == ExportKind::Transactions)
        return BankRights();
    return {QStringLiteral("收入管理"), QStringLiteral("支出管理")};
}

ExportAllowance ExportAllowance::Of(const std::function<bool(const QString&)>& holds) {
    const QStringList entries = ExportRights(ExportKind::Entries);
    const QStringList bank = ExportRights(ExportKind::Transactions);
    return {holds(entries[0]), holds(entries[1]), std::any_of(bank.cbegin(), bank.cend(), holds)};
}

bool ExportAllowance::allowsAny(ExportKind kind) const {
    return kind == ExportKind::Transactions ? transactions : income || expense;
}

bool ExportAllowance::allows(ExportKind kind, const QString& typeCode) const {
    if (kind == ExportKind::Transactions)
        return transactions;
    return typeCode == QLatin1String(Codes::kIncome) ? income : expense;
}

QString ExportCancelled(const QString& path) {
    return QStringLiteral("导出已取消，文件 %1 没有写入（原有的同名文件保持不变）。").arg(path);
}

Result<int> ExportToCsv(QSqlDatabase db, ExportKind kind, const QDate& first, const QDate& last,
                        const QString& path, const std::optional<ExportAllowance>& allowance,
                        const std::function<bool(int rows)>& carryOn) {
    const bool entries = kind == ExportKind::Entries;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(QString::fromUtf8(entries ? Sql::kEntriesOfPeriod : Sql::kTransactionsOfPeriod)))
        return Result<int>::failure(DatabaseErrors::Describe(query.lastError()));
    query.bindValue(QStringLiteral(":qishi"), ShortDate(first));
    query.bindValue(QStringLiteral(":jishu"), ShortDate(last));
    if (!query.exec()) {
        return Result<int>::failure(QStringLiteral("无法读取要导出的记录，文件未写。请稍后再试。（%1）")
                                        .arg(query.lastError().text()));
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Result<int>::failure(writeFailure(path, file.errorString()));
    // The household's rows are for its owner's eyes, also where a file of that name stood before.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // The byte-order mark tells WPS and Excel that the file is UTF-8.
    QByteArray chunk("\xEF\xBB\xBF");
    chunk += CsvRecord(ExportHeader(kind));

    const QSqlRecord r = query.record();
    const QStringList columns =
        entries
            ? QStringList{QStringLiteral("leixing"),   QStringLiteral("mingxi"),
                          QStringLiteral("feiyong"),   QStringLiteral("zhanghuming"),
                          QStringLiteral("shururiqi"), QStringLiteral("dengjiren"),
                          QStringLiteral("beizhu")}
            : QStringList{QStringLiteral("leixing"),  QStringLiteral("mingcheng"), QStringLiteral("jine"),
                          QStringLiteral("riqi"),     QStringLiteral("caozuoren"), QStringLiteral("zhuanchu"),
                          QStringLiteral("shouxufei")};
    QList<int> at;
    for (const QString& c : columns)
        at.append(r.indexOf(c));
    const int amountColumn = 2;
    const int feeColumn = entries ? -1 : 6;  // a transfer's only

    int rows = 0;
    while (query.next()) {
        if (allowance && !allowance->allows(kind, query.value(at[0]).toString()))
            continue;
        const QString type = query.value(at[0]).toString();
        QStringList fields;
        for (int i = 0; i < at.size(); ++i) {
            const QVariant value = query.value(at[i]);
            if (i == 0) {
                fields.append(textCell(typeName(type)));
            } else if (i == feeColumn && type != QLatin1String(Codes::kTransfer)) {
                fields.append(QString());
            } else if (i == amountColumn || i == feeColumn) {
                const Result<Money> amount = MoneyFromColumn(value);
                if (!amount) {
                    file.cancelWriting();
                    return Result<int>::failure(
                        QStringLiteral(
                            "第 %1 条记录的金额无法读取，文件未写。请在相应面板中改正这条记录。（%2）")
                            .arg(rows + 1)
                            .arg(amount.error()));
                }
                fields.append(plainAmount(amount.value()));
            } else {
                fields.append(textCell(value.toString()));
            }
        }
        chunk += CsvRecord(fields);
        ++rows;
        if (chunk.size() > (1 << 16)) {
            if (file.write(chunk) != chunk.size()) {
                const QString reason = file.errorString();
                file.cancelWriting();
                return Result<int>::failure(writeFailure(path, reason));
            }
            chunk.clear();
            if (carryOn && !carryOn(rows)) {
                file.cancelWriting();
                return Result<int>::failure(ExportCancelled(path));
            }
        }
    }
    if (query.lastError().isValid()) {
        file.cancelWriting();
        return Result<int>::failure(QStringLiteral("读取要导出的记录时出错，文件未写。请稍后再试。（%1）")
                                        .arg(query.lastError().text()));
    }
    if (!chunk.isEmpty() && file.write(chunk) != chunk.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return Result<int>::failure(writeFailure(path, reason));
    }
    if (!file.commit())
        return Result<int>::failure(writeFailure(path, file.errorString()));
    return rows;
}
