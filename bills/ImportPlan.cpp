#include "bills/ImportPlan.h"

#include "bills/BillRules.h"
#include "data/DatabaseErrors.h"
#include "data/DateText.h"
#include "data/HomeSafe.h"
#include "data/Statements.h"

#include <QSqlError>
#include <QSqlQuery>

#include <QSet>

#include <initializer_list>
#include <optional>

namespace {

constexpr int kDuplicateDays = 3;

bool containsAny(const QString& text, std::initializer_list<const char*> words) {
    for (const char* word : words) {
        if (text.contains(QString::fromUtf8(word)))
            return true;
    }
    return false;
}

bool isWalletSource(BillSource source) {
    return source == BillSource::Alipay || source == BillSource::Wechat;
}

bool isWalletCode(const QString& code) {
    return code == SourceCode(BillSource::Alipay) || code == SourceCode(BillSource::Wechat);
}

// Closed, failed or wholly refunded: the money never moved.
bool isClosed(const BillRow& row) {
    return containsAny(row.status, {"交易关闭", "支付失败", "已全额退款", "失败", "已关闭", "已撤销"});
}

bool isRefund(const BillRow& row) {
    if (row.direction == BillDirection::Out)
        return false;
    return row.status.contains(QStringLiteral("退款成功")) || row.category.contains(QStringLiteral("退款")) ||
           row.description.startsWith(QStringLiteral("退款"));
}

bool namesWallet(const QString& text) {
    return containsAny(text, {"支付宝", "财付通", "微信"});
}

// Which way a transfer goes: the other side's payment method, and whether the line's own method pays.
struct TransferShape {
    QString otherMethod;
    bool methodPays = true;
};

// The transfers the wallets' bills name by their type or description; nullopt when the line is none.
std::optional<TransferShape> transferShape(const BillRow& row) {
    const QString text = row.category + QLatin1Char(' ') + row.description;
    const bool out = containsAny(text, {"转出", "赎回", "提现"});
    if (text.contains(QStringLiteral("零钱充值")))
        return TransferShape{QStringLiteral("零钱"), true};
    if (text.contains(QStringLiteral("零钱提现")))
        return TransferShape{QStringLiteral("零钱"), false};
    if (text.contains(QStringLiteral("理财通")))
        return TransferShape{QStringLiteral("理财通"), !out};
    if (text.contains(QStringLiteral("余额宝")))
        return TransferShape{QStringLiteral("余额宝"), !out};
    if (text.contains(QStringLiteral("还款")))
        return TransferShape{row.counterparty, true};
    if (text.contains(QStringLiteral("充值")))
        return TransferShape{QStringLiteral("余额"), true};
    if (text.contains(QStringLiteral("提现")))
        return TransferShape{QStringLiteral("余额"), false};
    return std::nullopt;
}

QString rowKey(const BillRow& row, QHash<QString, int>& ranks) {
    const QString number = row.number.trimmed();
    if (!number.isEmpty())
        return number;
    const qint64 signedUnits = row.direction == BillDirection::In ? row.amount.units() : -row.amount.units();
    const QString base = QStringLiteral("k:%1:%2:%3:%4")
                             .arg(ShortDate(row.day))
                             .arg(signedUnits)
                             .arg(row.description, row.balance);
    const int rank = ranks.value(base);
    ranks.insert(base, rank + 1);
    return base + QStringLiteral(":%1").arg(rank);
}

// An entry near the bill's days, as the matching needs it.
struct Candidate {
    qint64 id = 0;
    QDate day;
    QString source;  // the import that made it; empty for an entry typed by hand
    QString remarks;
    bool paired = false;  // already matched by a line of another bill
};

QString candidateKey(qint64 place, EntryType type, Money amount) {
    return QStringLiteral("%1|%2|%3").arg(place).arg(type == EntryType::Income ? 1 : 0).arg(amount.units());
}

Status failed(const QSqlQuery& query) {
    return Status::failure(DatabaseErrors::Describe(query.lastError()));
}

// A stored key: the place it was stored under.
using StoredKeys = QMultiHash<QString, qint64>;

Result<StoredKeys> readStoredKeys(QSqlDatabase db, const QString& source) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT jiaoyihao,zhanghu FROM zhangdanhao WHERE laiyuan=:laiyuan"));
    query.bindValue(QStringLiteral(":laiyuan"), source);
    if (!query.exec())
        return failed(query);
    StoredKeys keys;
    while (query.next())
        keys.insert(query.value(0).toString(), query.value(1).toLongLong());
    if (query.lastError().isValid())
        return failed(query);
    return keys;
}

// The entries of the days from `first` to `last`, with the import that made each (if any) and whether a
// line of another bill was matched to it already, by place, type and amount.
Result<QHash<QString, QList<Candidate>>> readCandidates(QSqlDatabase db, const QDate& first,
                                                        const QDate& last) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(
        QStringLiteral("SELECT s.id,s.leixing,s.feiyong,s.shururiqi,s.zhanghu,s.beizhu,"
                       "(SELECT min(z.laiyuan) FROM zhangdanhao z WHERE z.shouzhi=s.id AND z.chuangjian=1),"
                       "(SELECT count(*) FROM zhangdanhao z WHERE z.shouzhi=s.id AND z.chuangjian=0) "
                       "FROM shouzhibiao s WHERE s.leixing IN ('shouru','zhichu') AND s.shururiqi BETWEEN "
                       ":qishi AND :jishu"));
    query.bindValue(QStringLiteral(":qishi"), ShortDate(first));
    query.bindValue(QStringLiteral(":jishu"), ShortDate(last));
    if (!query.exec())
        return failed(query);
    QHash<QString, QList<Candidate>> candidates;
    while (query.next()) {
        const EntryType type = query.value(1).toString() == QLatin1String(Codes::kIncome)
                                   ? EntryType::Income
                                   : EntryType::Expense;
        Candidate c;
        c.id = query.value(0).toLongLong();
        c.day = QDate::fromString(query.value(3).toString(), QStringLiteral("yyyy-MM-dd"));
        c.remarks = query.value(5).toString();
        c.source = query.value(6).toString();
        c.paired = query.value(7).toLongLong() > 0;
        candidates[candidateKey(query.value(4).toLongLong(), type,
                                Money::fromUnits(query.value(2).toLongLong()))]
            .append(c);
    }
    if (query.lastError().isValid())
        return failed(query);
    return candidates;
}

QString typeWord(EntryType type) {
    return type == EntryType::Income ? QStringLiteral("收入") : QStringLiteral("支出");
}

QString defaultDetail(EntryType type) {
    return type == EntryType::Income ? QStringLiteral("其他收入") : QStringLiteral("其他支出");
}

bool isFeeRow(const PlanRow& row) {
    return row.key.endsWith(QStringLiteral("#fee"));
}

}  // namespace

QString ActionName(PlanAction action) {
    switch (action) {
        case PlanAction::Add:
            return QStringLiteral("新增");
        case PlanAction::AlreadyImported:
            return QStringLiteral("已导入");
        case PlanAction::MaybeDuplicate:
            return QStringLiteral("可能重复");
        case PlanAction::Transfer:
            return QStringLiteral("转帐");
        case PlanAction::NotCounted:
            return QStringLiteral("不计");
        case PlanAction::Unreadable:
            return QStringLiteral("无法读取");
    }
    return {};
}

Result<ImportPlan> PlanImport(QSqlDatabase db, const Bill& bill) {
    ImportPlan plan;
    plan.bill = bill;
    plan.bill.rows.clear();
    const QString source = bill.sourceCode.isEmpty() ? SourceCode(bill.source) : bill.sourceCode;
    const bool walletBill = isWalletSource(bill.source);

    const Result<QHash<QString, qint64>> methods = ReadMethodPlaces(db, source);
    if (!methods)
        return methods.status();
    const Result<QList<DetailRule>> rules = ReadRules(db);
    if (!rules)
        return rules.status();
    const Result<StoredKeys> stored = readStoredKeys(db, source);
    if (!stored)
        return stored.status();
    const Result<QList<PlaceChoice>> places = ReadPlaceChoices(db);
    if (!places)
        return places.status();
    QHash<qint64, QString> placeKinds;
    for (const PlaceChoice& p : places.value())
        placeKinds.insert(p.id, p.kind);

    QDate first;
    QDate last;
    for (const BillRow& row : bill.rows) {
        if (!row.problem.isEmpty() || !row.day.isValid())
            continue;
        if (!first.isValid() || row.day < first)
            first = row.day;
        if (!last.isValid() || row.day > last)
            last = row.day;
    }
    QHash<QString, QList<Candidate>> candidates;
    if (first.isValid()) {
        Result<QHash<QString, QList<Candidate>>> read =
            readCandidates(db, first.addDays(-kDuplicateDays), last.addDays(kDuplicateDays));
        if (!read)
            return read.status();
        candidates = std::move(read.value());
    }

    QStringList unmapped;
    auto placeOfMethod = [&](const QString& method) -> qint64 {
        const auto found = methods->constFind(method);
        if (found != methods->constEnd())
            return found.value();
        if (!unmapped.contains(method))
            unmapped.append(method);
        return 0;
    };

    // The purchases a refund may belong to, by their numbers.
    QHash<QString, int> purchases;
    for (int i = 0; i < bill.rows.size(); ++i) {
        const BillRow& row = bill.rows[i];
        if (row.direction != BillDirection::Out || !row.problem.isEmpty())
            continue;
        if (!row.merchantNumber.isEmpty())
            purchases.insert(QLatin1String("m:") + row.merchantNumber, i);
        if (!row.number.isEmpty())
            purchases.insert(QLatin1String("n:") + row.number, i);
    }
    auto purchaseOf = [&](const BillRow& refund) -> int {
        if (!refund.merchantNumber.isEmpty()) {
            if (const auto m = purchases.constFind(QLatin1String("m:") + refund.merchantNumber);
                m != purchases.constEnd())
                return m.value();
        }
        for (const QString& number : {refund.number, refund.merchantNumber}) {
            if (number.isEmpty())
                continue;
            if (const auto n = purchases.constFind(QLatin1String("n:") + number); n != purchases.constEnd())
                return n.value();
            // A refund's number is often its purchase's number with a suffix.
            const qsizetype cut = number.indexOf(QLatin1Char('_'));
            if (cut > 0) {
                if (const auto p = purchases.constFind(QLatin1String("n:") + number.left(cut));
                    p != purchases.constEnd())
                    return p.value();
            }
        }
        return -1;
    };
    // The refunds that cancel their purchase in full, by the purchase's line index.
    QHash<int, int> fullRefundOf;
    for (int i = 0; i < bill.rows.size(); ++i) {
        const BillRow& row = bill.rows[i];
        if (!row.problem.isEmpty() || !isRefund(row))
            continue;
        const int purchase = purchaseOf(row);
        if (purchase >= 0 && bill.rows[purchase].amount == row.amount)
            fullRefundOf.insert(purchase, i);
    }

    QHash<QString, int> ranks;
    QSet<qint64> used;  // entries matched by an earlier line of this bill
    plan.rows.reserve(bill.rows.size() + bill.rows.size() / 8);
    QList<int> planIndexOfLine(bill.rows.size(), -1);

    for (int i = 0; i < bill.rows.size(); ++i) {
        const BillRow& row = bill.rows[i];
        PlanRow p;
        p.bill = row;
        if (!row.problem.isEmpty()) {
            p.action = PlanAction::Unreadable;
            p.ticked = false;
            p.reason = row.problem;
            planIndexOfLine[i] = plan.rows.size();
            plan.rows.append(p);
            continue;
        }
        p.key = rowKey(row, ranks);
        p.type = row.direction == BillDirection::In ? EntryType::Income : EntryType::Expense;
        const QString method = row.method.isEmpty() ? bill.account : row.method;
        p.place = placeOfMethod(method);

        auto notCounted = [&](const QString& reason) {
            p.action = PlanAction::NotCounted;
            p.ticked = false;
            p.reason = reason;
        };
        const bool storedKey = [&] {
            const QList<qint64> under = stored->values(p.key);
            // A wallet's own numbers are unique across the wallet, whichever place a line was stored
            // under (a transfer's is its paying place); a statement's keys are the account's.
            return !under.isEmpty() &&
                   (p.place == 0 || under.contains(p.place) || (walletBill && !row.number.isEmpty()));
        }();
        const int purchase = isRefund(row) ? purchaseOf(row) : -1;

        if (storedKey) {
            p.action = PlanAction::AlreadyImported;
            p.ticked = false;
            p.reason = QStringLiteral("这一笔以前已导入过（%1），不再记。").arg(p.key);
        } else if (fullRefundOf.contains(i)) {
            notCounted(QStringLiteral("已全额退款（第 %1 行），与退款相抵，不计入。")
                           .arg(bill.rows[fullRefundOf.value(i)].line));
        } else if (purchase >= 0 && fullRefundOf.value(purchase, -1) == i) {
            notCounted(
                QStringLiteral("第 %1 行购买的全额退款，与购买相抵，不计入。").arg(bill.rows[purchase].line));
        } else if (isClosed(row)) {
            notCounted(QStringLiteral("交易状态是“%1”，钱没有动，不计入。").arg(row.status));
        } else if (purchase >= 0 && isClosed(bill.rows[purchase])) {
            notCounted(
                QStringLiteral("所退的第 %1 行已不计入，这笔退款也不计入。").arg(bill.rows[purchase].line));
        } else if (isRefund(row)) {
            p.action = PlanAction::Add;
            p.type = EntryType::Income;
            p.detail = QStringLiteral("退款");
            if (purchase >= 0) {
                const int purchaseRow = planIndexOfLine[purchase];
                if (purchaseRow >= 0 && plan.rows[purchaseRow].place != 0)
                    p.place = plan.rows[purchaseRow].place;
                p.reason =
                    QStringLiteral("第 %1 行购买的部分退款，记为退款收入。").arg(bill.rows[purchase].line);
            } else {
                p.reason = QStringLiteral("退款（所退的购买不在这份帐单里），记为退款收入。");
            }
        } else if (const std::optional<TransferShape> shape =
                       walletBill ? transferShape(row) : std::optional<TransferShape>();
                   shape || row.direction == BillDirection::Neither) {
            qint64 other = 0;
            QString otherMethod;
            if (shape) {
                otherMethod = shape->otherMethod;
                other = placeOfMethod(otherMethod);
            } else if (methods->contains(row.counterparty)) {
                otherMethod = row.counterparty;
                other = methods->value(row.counterparty);
            }
            const bool pays = !shape || shape->methodPays;
            const qint64 from = pays ? p.place : other;
            const qint64 to = pays ? other : p.place;
            if (shape || other != 0) {
                if (from != 0 && from == to) {
                    notCounted(QStringLiteral("转出和转入是同一个帐户，不计入。"));
                } else {
                    p.action = PlanAction::Transfer;
                    p.place = from;
                    p.otherPlace = to;
                    p.reason = from == 0 || to == 0
                                   ? QStringLiteral("转帐：请先为付款方式“%1”选择帐户。")
                                         .arg(from == 0 ? (pays ? method : otherMethod)
                                                        : (pays ? otherMethod : method))
                                   : QStringLiteral("在家里的两个帐户之间转帐，不算收入或支出。");
                }
            } else {
                notCounted(QStringLiteral("不计收支，且不知道钱转去了哪个帐户，不计入。"));
            }
        } else {
            p.action = PlanAction::Add;
            // One purchase seen on a wallet's bill and on the card's statement is one entry.
            const bool crossSource =
                p.place != 0 &&
                (walletBill ? (placeKinds.value(p.place) == QLatin1String(Codes::kBankCard) ||
                               placeKinds.value(p.place) == QLatin1String(Codes::kCreditCard))
                            : (namesWallet(row.description) || namesWallet(row.counterparty)));
            const QList<Candidate> near = candidates.value(candidateKey(p.place, p.type, row.amount));
            const Candidate* match = nullptr;
            const Candidate* typed = nullptr;
            for (const Candidate& c : near) {
                if (used.contains(c.id) || qAbs(c.day.daysTo(row.day)) > kDuplicateDays)
                    continue;
                if (c.source.isEmpty()) {
                    if (!typed)
                        typed = &c;
                } else if (crossSource && !c.paired && isWalletCode(c.source) != walletBill &&
                           (walletBill ? namesWallet(c.remarks) : true)) {
                    match = &c;
                    break;
                }
            }
            if (match) {
                used.insert(match->id);
                p.action = PlanAction::AlreadyImported;
                p.ticked = false;
                p.matchedEntry = match->id;
                p.reason = QStringLiteral("与 %1 从另一份帐单导入的%2 %3 是同一笔，不再记。")
                               .arg(ShortDate(match->day), typeWord(p.type), row.amount.format());
            } else if (typed) {
                used.insert(typed->id);
                p.action = PlanAction::MaybeDuplicate;
                p.ticked = false;
                p.matchedEntry = typed->id;
                p.reason = QStringLiteral("与 %1 手工记的%2 %3 可能是同一笔。")
                               .arg(ShortDate(typed->day), typeWord(p.type), row.amount.format());
            } else if (p.place == 0) {
                p.reason = QStringLiteral("请先为付款方式“%1”选择帐户。").arg(method);
            }
        }
        if ((p.action == PlanAction::Add || p.action == PlanAction::MaybeDuplicate) && p.detail.isEmpty()) {
            p.detail = DetailByRules(rules.value(), p.type, row.counterparty, row.description);
            p.detailFromRule = !p.detail.isEmpty();
            if (p.detail.isEmpty())
                p.detail = defaultDetail(p.type);
        }
        // A line whose place (or a transfer's other place) is not known yet starts unticked: ticking
        // it before choosing its place would only have the whole import refused.
        if (p.place == 0 || (p.action == PlanAction::Transfer && p.otherPlace == 0))
            p.ticked = false;
        planIndexOfLine[i] = plan.rows.size();
        plan.rows.append(p);

        // The line's fee is an expense of its own on the paying place (listed again, as 已导入, when
        // the line was imported before).
        if (!row.fee.isZero() && !row.fee.isNegative() &&
            (p.action == PlanAction::Add || p.action == PlanAction::Transfer ||
             (p.action == PlanAction::AlreadyImported && p.matchedEntry == 0))) {
            PlanRow fee;
            fee.bill = row;
            fee.bill.amount = row.fee;
            fee.bill.fee = Money();
            fee.bill.direction = BillDirection::Out;
            fee.type = EntryType::Expense;
            fee.place = p.action == PlanAction::Transfer ? p.place : placeOfMethod(method);
            if (p.action == PlanAction::AlreadyImported && p.place != 0)
                fee.place = p.place;
            fee.detail = QStringLiteral("手续费");
            fee.key = p.key + QStringLiteral("#fee");
            fee.ticked = p.ticked;
            fee.reason = QStringLiteral("这一笔的服务费 %1，记为手续费支出。").arg(row.fee.format());
            if (stored->contains(fee.key)) {
                fee.action = PlanAction::AlreadyImported;
                fee.ticked = false;
            }
            plan.rows.append(fee);
        }
    }
    plan.unmappedMethods = unmapped;
    return plan;
}

Result<QList<PlaceOutcome>> PlaceOutcomes(QSqlDatabase db, const ImportPlan& plan) {
    QList<qint64> order;
    QHash<qint64, qint64> change;
    auto add = [&](qint64 place, qint64 units) {
        if (place == 0)
            return;
        if (!change.contains(place))
            order.append(place);
        change[place] += units;
    };
    for (const PlanRow& row : plan.rows) {
        if (!row.ticked)
            continue;
        const qint64 units = row.bill.amount.units();
        if (row.action == PlanAction::Transfer) {
            add(row.place, -units);
            add(row.otherPlace, units);
        } else if (row.action == PlanAction::Add || row.action == PlanAction::MaybeDuplicate) {
            add(row.place, row.type == EntryType::Income ? units : -units);
        }
    }
    QList<PlaceOutcome> outcomes;
    for (const qint64 id : order) {
        const Result<StoredPlace> stored = ReadStoredPlace(db, id);
        if (!stored)
            return stored.status();
        PlaceOutcome o;
        o.place = id;
        o.name = stored->name;
        o.kind = stored->kind;
        o.change = Money::fromUnits(change.value(id));
        o.before = stored->balance;
        const Result<Money> after = o.before.plus(o.change);
        if (!after)
            return Status::failure(QStringLiteral("帐户“%1”导入后的余额超出了金额的范围。").arg(o.name));
        o.after = after.value();
        const bool credit = o.kind == QLatin1String(Codes::kCreditCard);
        o.belowZero = !credit && o.after.isNegative();
        o.pastCreditLimit =
            credit && o.change.isNegative() && o.after < Money::fromUnits(-stored->limit.units());
        outcomes.append(o);
    }
    return outcomes;
}

namespace {

template <typename Change>
void changeRows(ImportPlan& plan, int row, bool sameCounterparty, Change change) {
    if (row < 0 || row >= plan.rows.size())
        return;
    const PlanRow chosen = plan.rows[row];
    if (!sameCounterparty) {
        change(plan.rows[row]);
        return;
    }
    for (PlanRow& r : plan.rows) {
        if (r.bill.counterparty == chosen.bill.counterparty && r.type == chosen.type &&
            isFeeRow(r) == isFeeRow(chosen))
            change(r);
    }
}

}  // namespace

void SetDetail(ImportPlan& plan, int row, const QString& detail, bool sameCounterparty) {
    changeRows(plan, row, sameCounterparty, [&](PlanRow& r) {
        if (r.action != PlanAction::Add && r.action != PlanAction::MaybeDuplicate)
            return;
        r.detail = detail;
        r.detailFromRule = false;
    });
}

void SetPlace(ImportPlan& plan, int row, qint64 place, bool sameCounterparty) {
    changeRows(plan, row, sameCounterparty, [&](PlanRow& r) {
        if (r.action == PlanAction::Add || r.action == PlanAction::MaybeDuplicate ||
            r.action == PlanAction::Transfer) {
            // A line that had no place is meant to come in once the user gives it one.
            if (r.place == 0 && r.action != PlanAction::MaybeDuplicate &&
                (r.action != PlanAction::Transfer || r.otherPlace != 0))
                r.ticked = true;
            r.place = place;
        }
    });
}
