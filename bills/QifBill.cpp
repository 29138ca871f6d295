#include "bills/QifBill.h"

#include "bills/BillCells.h"
#include "data/DateText.h"
#include "kit/Today.h"

#include <QRegularExpression>

QDate ReadQifDate(const QString& text) {
    QString plain = text;
    plain.remove(QLatin1Char(' '));
    const bool twoThousands = plain.contains(QLatin1Char('\''));
    plain.replace(QLatin1Char('\''), QLatin1Char('/'));
    static const QRegularExpression separators(QStringLiteral("[-/.]"));
    const QStringList parts = plain.split(separators);
    if (parts.size() != 3)
        return {};
    bool okA = false, okB = false, okC = false;
    const int a = parts[0].toInt(&okA), b = parts[1].toInt(&okB), c = parts[2].toInt(&okC);
    if (!okA || !okB || !okC || parts[0].startsWith(QLatin1Char('-')) || parts[2].size() > 4)
        return {};
    if (parts[0].size() == 4)
        return QDate(a, b, c);
    if (parts[0].size() > 2 || parts[1].size() > 2)
        return {};
    int year = c;
    if (parts[2].size() <= 2)
        year = twoThousands ? 2000 + c : YearInCenturyWindow(c, Today());
    else if (parts[2].size() != 4)
        return {};
    return QDate(year, a, b);
}

QifReader::QifReader(const QString& path) {
    bill_.source = BillSource::Qif;
    bill_.sourceCode = SourceCode(BillSource::Qif);
    bill_.path = path;
}

bool QifReader::Opens(const QString& firstLine) {
    const QString head = firstLine.trimmed();
    return head.startsWith(QStringLiteral("!Type:"), Qt::CaseInsensitive) ||
           head.startsWith(QStringLiteral("!Account"), Qt::CaseInsensitive) ||
           head.startsWith(QStringLiteral("!Option:"), Qt::CaseInsensitive) ||
           head.startsWith(QStringLiteral("!Clear:"), Qt::CaseInsensitive);
}

void QifReader::feed(int line, const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return;
    if (trimmed.startsWith(QLatin1Char('!'))) {
        endRecord();
        if (trimmed.startsWith(QStringLiteral("!Account"), Qt::CaseInsensitive)) {
            inAccount_ = true;
            return;
        }
        if (!trimmed.startsWith(QStringLiteral("!Type:"), Qt::CaseInsensitive))
            return;  // options and the like
        const QString type = trimmed.mid(6).trimmed().toLower();
        inTransactions_ = type == QStringLiteral("bank") || type == QStringLiteral("ccard") ||
                          type == QStringLiteral("cash") || type == QStringLiteral("oth a") ||
                          type == QStringLiteral("oth l");
        inAccount_ = false;
        if (!inTransactions_)
            sawOtherSection_ = true;
        return;
    }
    const QChar code = trimmed[0];
    const QString value = trimmed.mid(1).trimmed();
    if (inAccount_) {
        if (code == QLatin1Char('^'))
            inAccount_ = false;
        return;
    }
    if (!inTransactions_)
        return;
    if (code == QLatin1Char('^')) {
        endRecord();
        return;
    }
    if (!open_) {
        open_ = true;
        row_ = BillRow();
        row_.line = line;
        dateText_.clear();
        amountText_.clear();
        otherAmountText_.clear();
    }
    switch (code.unicode()) {
        case 'D':
            dateText_ = value;
            break;
        case 'T':
            amountText_ = value;
            break;
        case 'U':
            otherAmountText_ = value;
            break;
        case 'P':
            row_.counterparty = value;
            break;
        case 'M':
            row_.description = value;
            break;
        case 'N':
            // A cheque number or a word such as "ATM": no transaction's own number, so never its key.
            row_.remark = value;
            break;
        case 'L':
            row_.category = value;
            break;
        default:
            break;  // cleared mark, address, the parts of a split: the total stands for them
    }
}

void QifReader::endRecord() {
    if (!open_)
        return;
    open_ = false;
    const auto fault = [&](const QString& reason) {
        if (row_.problem.isEmpty())
            row_.problem = reason;
    };
    row_.day = ReadQifDate(dateText_);
    if (!row_.day.isValid())
        fault(dateText_.isEmpty() ? QStringLiteral("没有日期（D 行）") : BadDateReason(dateText_));
    const QString amountText = amountText_.isEmpty() ? otherAmountText_ : amountText_;
    if (amountText.isEmpty()) {
        fault(QStringLiteral("没有金额（T 行）"));
    } else {
        const Result<Money> amount = ReadBillAmount(amountText);
        if (amount) {
            row_.direction = amount->isNegative() ? BillDirection::Out : BillDirection::In;
            row_.amount = amount->isNegative() ? Money::fromUnits(-amount->units()) : amount.value();
        } else {
            fault(amount.error());
        }
    }
    bill_.rows.append(row_);
}

ReadResult QifReader::finish() {
    endRecord();
    if (bill_.rows.isEmpty() && sawOtherSection_)
        return {Result<Bill>::failure(
                    QStringLiteral("“%1”里没有银行、信用卡或现金帐户的交易（投资帐户和列表不导入）。"
                                   "请在原程序里导出银行、信用卡或现金帐户的 QIF 文件。")
                        .arg(bill_.path)),
                ReadFailure::Other};
    return {std::move(bill_), ReadFailure::None};
}
