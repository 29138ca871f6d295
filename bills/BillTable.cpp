#include "bills/BillTable.h"

#include "bills/BillCells.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {

using Field = BillTableReader::Field;
using Layout = BillTableReader::Layout;

// A header looks for no longer than this many lines before the file is taken as of no known layout.
constexpr int kHeaderSearchLines = 200;
constexpr int kQuotedLines = 3;
constexpr int kQuotedChars = 100;

// Header names compare with their brackets in one width: the exports write 金额(元) and 金额（元）.
QString HeaderName(const QString& cell) {
    QString name = cell.trimmed();
    name.remove(QChar(0xFEFF));
    name.replace(QChar(0xFF08), QLatin1Char('('));
    name.replace(QChar(0xFF09), QLatin1Char(')'));
    return name;
}

Layout MakeLayout(BillSource source, std::initializer_list<std::pair<Field, const char16_t*>> fields,
                  std::initializer_list<Field> required, bool positiveIsOut = false) {
    Layout layout;
    layout.source = source;
    layout.positiveIsOut = positiveIsOut;
    for (const auto& [field, name] : fields)
        layout.names[field] = HeaderName(QString::fromUtf16(name));
    for (Field field : required)
        layout.required.append(layout.names[field]);
    return layout;
}

const QList<Layout>& KnownTableLayouts() {
    using F = BillTableReader;
    static const QList<Layout> layouts = {
        MakeLayout(BillSource::Alipay,
                   {{F::Date, u"交易时间"},
                    {F::Category, u"交易分类"},
                    {F::Counterparty, u"交易对方"},
                    {F::Description, u"商品说明"},
                    {F::Direction, u"收/支"},
                    {F::Amount, u"金额"},
                    {F::Method, u"收/付款方式"},
                    {F::Status, u"交易状态"},
                    {F::Number, u"交易订单号"},
                    {F::Merchant, u"商家订单号"},
                    {F::Remark, u"备注"}},
                   {F::Date, F::Counterparty, F::Description, F::Direction, F::Amount, F::Status, F::Number}),
        // The older web export.
        MakeLayout(BillSource::Alipay,
                   {{F::Number, u"交易号"},
                    {F::Merchant, u"商家订单号"},
                    {F::Date, u"交易创建时间"},
                    {F::Category, u"类型"},
                    {F::Counterparty, u"交易对方"},
                    {F::Description, u"商品名称"},
                    {F::Amount, u"金额（元）"},
                    {F::Direction, u"收/支"},
                    {F::Status, u"交易状态"},
                    {F::Fee, u"服务费（元）"},
                    {F::Refunded, u"成功退款（元）"},
                    {F::Remark, u"备注"},
                    {F::FundState, u"资金状态"}},
                   {F::Number, F::Date, F::Amount, F::Direction, F::Status}),
        MakeLayout(BillSource::Wechat,
                   {{F::Date, u"交易时间"},
                    {F::Category, u"交易类型"},
                    {F::Counterparty, u"交易对方"},
                    {F::Description, u"商品"},
                    {F::Direction, u"收/支"},
                    {F::Amount, u"金额(元)"},
                    {F::Method, u"支付方式"},
                    {F::Status, u"当前状态"},
                    {F::Number, u"交易单号"},
                    {F::Merchant, u"商户单号"},
                    {F::Remark, u"备注"}},
                   {F::Date, F::Category, F::Counterparty, F::Direction, F::Amount, F::Status, F::Number}),
        MakeLayout(BillSource::Icbc,
                   {{F::Date, u"交易日期"},
                    {F::Category, u"摘要"},
                    {F::Description, u"交易详情"},
                    {F::Income, u"交易金额(收入)"},
                    {F::Expense, u"交易金额(支出)"},
                    {F::Balance, u"余额"},
                    {F::Counterparty, u"对方户名"}},
                   {F::Date, F::Category, F::Income, F::Expense}),
        MakeLayout(BillSource::CmbCredit,
                   {{F::Date, u"交易日"},
                    {F::Description, u"交易摘要"},
                    {F::Signed, u"人民币金额"},
                    {F::Account, u"卡号末四位"}},
                   {F::Date, F::Description, F::Signed}, true),
        MakeLayout(BillSource::CmbDebit,
                   {{F::Date, u"记账日期"},
                    {F::Time, u"交易时间"},
                    {F::Signed, u"交易金额"},
                    {F::Balance, u"联机余额"},
                    {F::Description, u"交易摘要"},
                    {F::Counterparty, u"对手信息"}},
                   {F::Date, F::Signed, F::Balance, F::Description}),
    };
    return layouts;
}

bool IsDashes(const QStringList& cells) {
    const QString first = cells.value(0);
    return first.size() >= 3 && std::all_of(first.begin(), first.end(), [](QChar c) {
               return c == QLatin1Char('-') || c == QChar(0x2014) || c == QChar(0x2500);
           });
}

bool IsBlank(const QStringList& cells) {
    return std::all_of(cells.begin(), cells.end(),
                       [](const QString& cell) { return cell.trimmed().isEmpty(); });
}

QString JoinedLine(const QStringList& cells) {
    QString text = cells.join(QLatin1Char(','));
    if (text.size() > kQuotedChars)
        text = text.left(kQuotedChars) + QStringLiteral("…");
    return text;
}

BillDirection DirectionOf(const QString& text, const QString& fundState) {
    if (text == QStringLiteral("支出"))
        return BillDirection::Out;
    if (text == QStringLiteral("收入"))
        return BillDirection::In;
    if (text.isEmpty() && fundState == QStringLiteral("已支出"))
        return BillDirection::Out;
    if (text.isEmpty() && fundState == QStringLiteral("已收入"))
        return BillDirection::In;
    return BillDirection::Neither;
}

// 微信 writes a fee into the remark: "服务费¥0.10".
Money FeeInRemark(const QString& remark) {
    static const QRegularExpression fee(QStringLiteral("服务费\\s*[¥￥]?\\s*([0-9][0-9,]*(?:\\.[0-9]+)?)"));
    const QRegularExpressionMatch match = fee.match(remark);
    if (!match.hasMatch())
        return {};
    const Result<Money> money = ReadBillAmount(match.captured(1));
    return money ? money.value() : Money();
}

Money Magnitude(Money money) {
    return money.isNegative() ? Money::fromUnits(-money.units()) : money;
}

}  // namespace

BillTableReader::BillTableReader(const QString& path, const ReadOptions& options)
    : path_(path), options_(options) {
    bill_.path = path;
    columns_.fill(-1);
    if (const ColumnMapping* mapping = options.mapping) {
        mapped_.source = BillSource::MappedCsv;
        const auto name = [&](Field field, const QString& header) {
            mapped_.names[field] = HeaderName(header);
            if (!mapped_.names[field].isEmpty())
                mapped_.required.append(mapped_.names[field]);
        };
        name(Date, mapping->date);
        name(Signed, mapping->amount);
        name(Income, mapping->income);
        name(Expense, mapping->expense);
        name(Description, mapping->description);
        name(Counterparty, mapping->counterparty);
        name(Number, mapping->number);
        mapped_.required.removeDuplicates();
        // A mapping without its day or its money reads nothing.
        if (mapped_.names[Date].isEmpty() ||
            (mapped_.names[Signed].isEmpty() && mapped_.names[Income].isEmpty() &&
             mapped_.names[Expense].isEmpty()))
            mapped_.required.clear();
    }
}

bool BillTableReader::findHeader(int line, const QStringList& cells) {
    QStringList names;
    names.reserve(cells.size());
    for (const QString& cell : cells)
        names.append(HeaderName(cell));
    const auto holds = [&](const Layout& layout) {
        return !layout.required.isEmpty() && std::all_of(layout.required.begin(), layout.required.end(),
                                                         [&](const QString& n) { return names.contains(n); });
    };
    for (const Layout& layout : KnownTableLayouts()) {
        if (holds(layout)) {
            layout_ = &layout;
            break;
        }
    }
    const ColumnMapping* mapping = options_.mapping;
    if (!layout_ && mapping && !mapped_.required.isEmpty()) {
        const bool atLine =
            mapping->headerLine > 0 ? line == mapping->headerLine : names.contains(mapped_.names[Date]);
        if (atLine && holds(mapped_)) {
            layout_ = &mapped_;
        } else if (atLine) {
            QStringList missing;
            for (const QString& n : mapped_.required)
                if (!names.contains(n))
                    missing.append(QStringLiteral("“%1”").arg(n));
            headerFault_ = QStringLiteral("第 %1 行没有列对应“%2”里的 %3 列。请重新对应各列。")
                               .arg(line)
                               .arg(mapping->name, missing.join(QStringLiteral("、")));
        }
    }
    if (!layout_)
        return false;
    bill_.source = layout_->source;
    bill_.sourceCode = SourceCode(layout_->source, mapping ? mapping->name : QString());
    for (int field = 0; field < FieldCount; ++field)
        if (!layout_->names[field].isEmpty())
            columns_[field] = static_cast<int>(names.indexOf(layout_->names[field]));
    return true;
}

void BillTableReader::readRow(int line, const QStringList& cells) {
    BillRow row;
    row.line = line;
    const auto cell = [&](Field field) {
        const int column = columns_[field];
        return column >= 0 && column < cells.size() ? cells[column].trimmed() : QString();
    };
    const auto fault = [&](const QString& reason) {
        if (row.problem.isEmpty())
            row.problem = reason;
    };
    const auto money = [&](Field field) {
        const Result<Money> read = ReadBillAmount(cell(field));
        if (!read) {
            fault(read.error());
            return Money();
        }
        return read.value();
    };

    int needed = columns_[Date];
    for (Field field : {Amount, Signed, Income, Expense})
        needed = std::max(needed, columns_[field]);
    if (cells.size() <= needed)
        fault(QStringLiteral("这一行只有 %1 列，读不到日期或金额").arg(cells.size()));

    const Result<BillMoment> moment = ReadBillMoment(cell(Date));
    if (moment) {
        row.day = moment->day;
        row.time = moment->time;
    } else {
        fault(moment.error());
    }
    if (columns_[Time] >= 0 && !cell(Time).isEmpty()) {
        const Result<BillMoment> at =
            ReadBillMoment(row.day.toString(QStringLiteral("yyyy-MM-dd ")) + cell(Time));
        if (at)
            row.time = at->time;
    }
    row.counterparty = cell(Counterparty);
    row.category = cell(Category);
    row.description = cell(Description);
    if (row.description.isEmpty())
        row.description = row.category;
    row.method = cell(Method);
    row.status = cell(Status);
    row.number = cell(Number);
    row.merchantNumber = cell(Merchant);
    row.remark = cell(Remark);
    row.balance = cell(Balance);

    if (columns_[Amount] >= 0) {
        row.amount = Magnitude(money(Amount));
        row.direction = DirectionOf(cell(Direction), cell(FundState));
    } else if (columns_[Signed] >= 0) {
        const Money signedAmount = money(Signed);
        row.amount = Magnitude(signedAmount);
        const bool positive = !signedAmount.isNegative();
        row.direction = positive == layout_->positiveIsOut ? BillDirection::Out : BillDirection::In;
    } else {
        const Money in = Magnitude(money(Income));
        const Money out = Magnitude(money(Expense));
        if (!in.isZero() && !out.isZero())
            fault(QStringLiteral("收入和支出两列都有金额"));
        row.direction = in.isZero() ? BillDirection::Out : BillDirection::In;
        row.amount = in.isZero() ? out : in;
    }
    if (columns_[Fee] >= 0)
        row.fee = Magnitude(money(Fee));
    else if (layout_->source == BillSource::Wechat)
        row.fee = FeeInRemark(row.remark);
    if (columns_[Refunded] >= 0)
        row.refunded = Magnitude(money(Refunded));
    if (bill_.account.isEmpty())
        bill_.account = cell(Account);
    if (!row.problem.isEmpty() && row.description.isEmpty())
        row.description = JoinedLine(cells);
    bill_.rows.append(std::move(row));
}

bool BillTableReader::feed(int line, const QStringList& cells) {
    if (ended_)
        return false;
    if (IsBlank(cells))
        return true;
    if (!layout_) {
        if (firstLines_.size() < kQuotedLines)
            firstLines_.append(JoinedLine(cells));
        if (findHeader(line, cells))
            return true;
        if (++seen_ >= kHeaderSearchLines ||
            (options_.mapping && options_.mapping->headerLine > 0 && line >= options_.mapping->headerLine)) {
            ended_ = true;
            return false;
        }
        return true;
    }
    if (IsDashes(cells)) {
        ended_ = true;  // the totals and notices under the table
        return false;
    }
    readRow(line, cells);
    return true;
}

ReadResult BillTableReader::finish() {
    if (layout_)
        return {std::move(bill_), ReadFailure::None};
    QString message = headerFault_;
    if (message.isEmpty()) {
        QStringList quoted;
        for (const QString& line : firstLines_)
            quoted.append(QStringLiteral("  ") + line);
        message =
            QStringLiteral(
                "无法识别“%1”的格式：它不是已知的帐单。已知的有：%2。文件开头是：\n%3\n"
                "请确认选的是导出的帐单文件；其他 CSV 可以按列对应后导入。")
                .arg(QFileInfo(path_).fileName(), KnownLayouts().join(QStringLiteral("、")),
                     quoted.isEmpty() ? QStringLiteral("  （没有文字）") : quoted.join(QLatin1Char('\n')));
    }
    return {Result<Bill>::failure(message), ReadFailure::Unknown};
}

ReadResult BillFromTable(const QList<QStringList>& rows, const QString& path, const ReadOptions& options) {
    BillTableReader reader(path, options);
    reader.reserve(rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i)
        if (!reader.feed(static_cast<int>(i + 1), rows[i]))
            break;
    return reader.finish();
}
