#include "plans/Budgets.h"

#include "data/AmountText.h"
#include "data/Database.h"
#include "data/DatabaseErrors.h"
#include "data/DateText.h"
#include "ledger/CsvExport.h"

#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>

namespace {

QDate firstOfMonth(const QDate& day) {
    return QDate(day.year(), day.month(), 1);
}

QDate lastOfMonth(const QDate& day) {
    return QDate(day.year(), day.month(), day.daysInMonth());
}

Status failed(const QSqlQuery& query) {
    return Status::failure(DatabaseErrors::Describe(query.lastError()));
}

// An amount typed for a budget: a number within the limit, not below zero.
Result<Money> budgetAmount(const QString& text) {
    const TypedAmount typed = ReadTypedAmount(text);
    if (typed.kind != TypedAmount::Kind::Amount)
        return Result<Money>::failure(typed.message);
    if (typed.amount.isNegative())
        return Result<Money>::failure(
            QStringLiteral("预算金额“%1”是负数，预算须是 0 或更大的金额，请改正后再保存。")
                .arg(text.trimmed()));
    return typed.amount;
}

// The 明细 as bound to a statement: the whole month's is the empty text, never a null.
QString storedDetail(const QString& detail) {
    return detail.isEmpty() ? QStringLiteral("") : detail;
}

// What a budget's use is called in a message.
QString nameInText(const QString& detail) {
    return detail.isEmpty() ? WholeMonthName() : QStringLiteral("“%1”").arg(detail);
}

// spent * 100 >= budget * share, exactly.
bool reaches(Money spent, Money budget, int share) {
    return static_cast<WideUnits>(spent.units()) * 100 >= static_cast<WideUnits>(budget.units()) * share;
}

Result<Money> sumOf(const QVariant& high, const QVariant& low) {
    return MoneyFromSumHalves(high, low);
}

}  // namespace

Money Budget::amountOf(const QDate& month) const {
    const auto own = months.constFind(MonthKey(month));
    if (own != months.constEnd())
        return *own;
    return everyMonth.value_or(Money());
}

QString WholeMonthName() {
    return QStringLiteral("全部支出");
}

QString MonthKey(const QDate& day) {
    return day.toString(QStringLiteral("yyyy-MM"));
}

Result<QList<Budget>> ReadBudgets(QSqlDatabase db) {
    QSqlQuery rows(db);
    rows.setForwardOnly(true);
    if (!rows.exec(QStringLiteral("SELECT id, mingxi, meiyue, jiezhuan, qishi FROM yusuan ORDER BY mingxi")))
        return failed(rows);
    QList<Budget> budgets;
    QHash<qint64, qsizetype> byId;
    while (rows.next()) {
        Budget budget;
        budget.id = rows.value(0).toLongLong();
        budget.detail = rows.value(1).toString();
        if (!rows.value(2).isNull())
            budget.everyMonth = Money::fromUnits(rows.value(2).toLongLong());
        budget.rollover = rows.value(3).toLongLong() != 0;
        budget.start =
            QDate::fromString(rows.value(4).toString() + QStringLiteral("-01"), QStringLiteral("yyyy-MM-dd"));
        byId.insert(budget.id, budgets.size());
        budgets.append(budget);
    }
    if (budgets.isEmpty())
        return budgets;
    QSqlQuery months(db);
    months.setForwardOnly(true);
    if (!months.exec(QStringLiteral("SELECT yusuan, yuefen, jine FROM yusuanyue")))
        return failed(months);
    while (months.next()) {
        const auto at = byId.constFind(months.value(0).toLongLong());
        if (at != byId.constEnd())
            budgets[*at].months.insert(months.value(1).toString(),
                                       Money::fromUnits(months.value(2).toLongLong()));
    }
    return budgets;
}

Result<qint64> SaveBudget(Database& database, const BudgetInput& input) {
    const QString detail = input.wholeMonth ? QString() : input.detail.trimmed();
    if (!input.wholeMonth && detail.isEmpty())
        return Result<qint64>::failure(QStringLiteral("请填写预算的明细，或选“全部支出”作为整月的预算。"));
    if (!input.start.isValid())
        return Result<qint64>::failure(QStringLiteral("请选择预算从哪个月开始。"));
    std::optional<Money> everyMonth;
    if (!input.everyMonth.trimmed().isEmpty()) {
        const Result<Money> amount = budgetAmount(input.everyMonth);
        if (!amount)
            return amount.status();
        everyMonth = amount.value();
    }
    QList<QPair<QString, std::optional<Money>>> months;
    for (const auto& [month, text] : input.months) {
        if (month < 1 || month > 12)
            return Result<qint64>::failure(
                QStringLiteral("月份 %1 不存在，月份须在 1 到 12 之间，请改正后再保存。").arg(month));
        if (input.year < 1 || input.year > 9999)
            return Result<qint64>::failure(
                QStringLiteral("年份 %1 不对，请选择 1 到 9999 之间的年份。").arg(input.year));
        std::optional<Money> amount;
        if (!text.trimmed().isEmpty()) {
            const Result<Money> typed = budgetAmount(text);
            if (!typed)
                return typed.status();
            amount = typed.value();
        }
        months.append({MonthKey(QDate(input.year, month, 1)), amount});
    }
    const bool anyMonth =
        std::any_of(months.cbegin(), months.cend(), [](const auto& m) { return m.second.has_value(); });
    if (input.id == 0 && !everyMonth && !anyMonth)
        return Result<qint64>::failure(QStringLiteral("请填写每月的预算金额，或至少一个月份的金额。"));

    qint64 id = input.id;
    const Status written = database.transaction([&]() -> Status {
        QSqlDatabase db = database.connection();
        QSqlQuery twin(db);
        twin.prepare(QStringLiteral("SELECT count(*) FROM yusuan WHERE mingxi=:mingxi AND id<>:id"));
        twin.bindValue(QStringLiteral(":mingxi"), storedDetail(detail));
        twin.bindValue(QStringLiteral(":id"), id);
        if (!twin.exec() || !twin.next())
            return failed(twin);
        if (twin.value(0).toLongLong() > 0)
            return Status::failure(
                QStringLiteral("%1已经有预算了，请在列表里选中它修改。")
                    .arg(detail.isEmpty() ? WholeMonthName() : QStringLiteral("“%1”").arg(detail)));
        twin.finish();
        QSqlQuery write(db);
        write.prepare(id == 0 ? QStringLiteral("INSERT INTO yusuan (mingxi, meiyue, jiezhuan, qishi) VALUES "
                                               "(:mingxi, :meiyue, :jiezhuan, :qishi)")
                              : QStringLiteral("UPDATE yusuan SET mingxi=:mingxi, meiyue=:meiyue, "
                                               "jiezhuan=:jiezhuan, qishi=:qishi WHERE id=:id"));
        write.bindValue(QStringLiteral(":mingxi"), storedDetail(detail));
        write.bindValue(QStringLiteral(":meiyue"), everyMonth ? QVariant(everyMonth->units())
                                                              : QVariant(QMetaType(QMetaType::LongLong)));
        write.bindValue(QStringLiteral(":jiezhuan"), input.rollover ? 1 : 0);
        write.bindValue(QStringLiteral(":qishi"), MonthKey(input.start));
        if (id != 0)
            write.bindValue(QStringLiteral(":id"), id);
        if (!write.exec())
            return failed(write);
        if (id == 0)
            id = write.lastInsertId().toLongLong();
        else if (write.numRowsAffected() == 0)
            return Status::failure(
                QStringLiteral("这项预算已被删除（可能是另一台电脑），请关闭预算窗口后重新打开。"));
        for (const auto& [key, amount] : months) {
            QSqlQuery drop(db);
            drop.prepare(QStringLiteral("DELETE FROM yusuanyue WHERE yusuan=:yusuan AND yuefen=:yuefen"));
            drop.bindValue(QStringLiteral(":yusuan"), id);
            drop.bindValue(QStringLiteral(":yuefen"), key);
            if (!drop.exec())
                return failed(drop);
            if (!amount)
                continue;
            QSqlQuery add(db);
            add.prepare(QStringLiteral(
                "INSERT INTO yusuanyue (yusuan, yuefen, jine) VALUES (:yusuan, :yuefen, :jine)"));
            add.bindValue(QStringLiteral(":yusuan"), id);
            add.bindValue(QStringLiteral(":yuefen"), key);
            add.bindValue(QStringLiteral(":jine"), amount->units());
            if (!add.exec())
                return failed(add);
        }
        return Status::ok();
    });
    if (!written)
        return written;
    return id;
}

Status DeleteBudget(Database& database, qint64 id) {
    return database.transaction([&]() -> Status {
        QSqlDatabase db = database.connection();
        for (const QString& statement : {QStringLiteral("DELETE FROM yusuanyue WHERE yusuan=:id"),
                                         QStringLiteral("DELETE FROM yusuan WHERE id=:id")}) {
            QSqlQuery query(db);
            query.prepare(statement);
            query.bindValue(QStringLiteral(":id"), id);
            if (!query.exec())
                return failed(query);
        }
        return Status::ok();
    });
}

Result<MonthSpending> SpendingOfMonth(QSqlDatabase db, const QDate& month) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    // The index (leixing, shururiqi, mingxi, feiyong) holds every column asked: the entries' rows are
    // never read. The sum comes in two halves so that the engine's own sum cannot overflow.
    if (!query.prepare(
            QStringLiteral("SELECT mingxi, SUM(feiyong>>32) AS hi, SUM(feiyong&4294967295) AS lo FROM "
                           "shouzhibiao WHERE leixing='zhichu' AND shururiqi BETWEEN :qishi AND :jishu "
                           "GROUP BY mingxi")))
        return failed(query);
    query.bindValue(QStringLiteral(":qishi"), ShortDate(firstOfMonth(month)));
    query.bindValue(QStringLiteral(":jishu"), ShortDate(lastOfMonth(month)));
    if (!query.exec())
        return failed(query);
    MonthSpending spending;
    MoneyTotal total;
    while (query.next()) {
        const Result<Money> sum = sumOf(query.value(1), query.value(2));
        if (!sum)
            return sum.status();
        spending.byDetail.insert(query.value(0).toString(), sum.value());
        total.add(sum.value());
    }
    const Result<Money> all = total.value();
    if (!all)
        return all.status();
    spending.total = all.value();
    return spending;
}

Result<Money> SpentBetween(QSqlDatabase db, const QDate& from, const QDate& to,
                           const std::optional<QString>& detail) {
    if (to < from)
        return Money();
    QSqlQuery query(db);
    query.setForwardOnly(true);
    // One 明细's on the index (mingxi, leixing, shururiqi, feiyong), all on (leixing, shururiqi, ...).
    if (!query.prepare(QStringLiteral("SELECT SUM(feiyong>>32) AS hi, SUM(feiyong&4294967295) AS lo FROM "
                                      "shouzhibiao WHERE leixing='zhichu'%1 AND shururiqi BETWEEN :qishi AND "
                                      ":jishu")
                           .arg(detail ? QStringLiteral(" AND mingxi=:mingxi") : QString())))
        return failed(query);
    if (detail)
        query.bindValue(QStringLiteral(":mingxi"), storedDetail(*detail));
    query.bindValue(QStringLiteral(":qishi"), ShortDate(from));
    query.bindValue(QStringLiteral(":jishu"), ShortDate(to));
    if (!query.exec() || !query.next())
        return failed(query);
    if (query.value(0).isNull())
        return Money();
    return sumOf(query.value(0), query.value(1));
}

Result<QHash<qint64, Money>> SpentBeforeMonth(QSqlDatabase db, const QList<Budget>& budgets,
                                              const QDate& month) {
    QHash<qint64, Money> before;
    const QDate first = firstOfMonth(month);
    for (const Budget& budget : budgets) {
        if (!budget.rollover || !budget.start.isValid() || budget.start >= first)
            continue;
        const Result<Money> spent =
            SpentBetween(db, firstOfMonth(budget.start), first.addDays(-1),
                         budget.wholeMonth() ? std::nullopt : std::optional<QString>(budget.detail));
        if (!spent)
            return spent.status();
        before.insert(budget.id, spent.value());
    }
    return before;
}

BudgetLevel LevelOf(Money spent, Money budget) {
    if (spent > budget)
        return BudgetLevel::Red;
    if (spent.units() > 0 && reaches(spent, budget, 80))
        return BudgetLevel::Amber;
    return BudgetLevel::Green;
}

Result<QList<BudgetUse>> UseOfMonth(const QList<Budget>& budgets, const MonthSpending& spending,
                                    const QHash<qint64, Money>& spentBefore, const QDate& month) {
    const QDate shown = firstOfMonth(month);
    QList<BudgetUse> uses;
    for (const Budget& budget : budgets) {
        BudgetUse use;
        use.detail = budget.detail;
        use.amount = budget.amountOf(shown);
        if (budget.rollover && budget.start.isValid() && firstOfMonth(budget.start) < shown) {
            // What each month from the first one on had, less what was spent in them all: what was left
            // of them, overspending taken off.
            MoneyTotal carried;
            for (QDate m = firstOfMonth(budget.start); m < shown; m = m.addMonths(1))
                carried.add(budget.amountOf(m));
            carried.add(Money::fromUnits(-spentBefore.value(budget.id).units()));
            const Result<Money> carry = carried.value();
            if (!carry)
                return carry.status();
            use.carried = carry.value();
        }
        use.spent = budget.wholeMonth() ? spending.total : spending.byDetail.value(budget.detail);
        const Result<Money> total = use.amount.plus(use.carried);
        if (!total)
            return total.status();
        use.budget = total.value();
        const Result<Money> left = use.budget.minus(use.spent);
        if (!left)
            return left.status();
        use.left = left.value();
        if (use.budget.units() > 0)
            use.percent = static_cast<int>(std::min<WideUnits>(
                static_cast<WideUnits>(std::max<qint64>(use.spent.units(), 0)) * 100 / use.budget.units(),
                999));
        else
            use.percent = use.spent.units() > 0 ? 999 : 0;
        use.level = LevelOf(use.spent, use.budget);
        uses.append(use);
    }
    return uses;
}

Result<QList<BudgetUse>> ReadUseOfMonth(QSqlDatabase db, const QList<Budget>& budgets, const QDate& month) {
    if (budgets.isEmpty())
        return QList<BudgetUse>();
    const Result<MonthSpending> spending = SpendingOfMonth(db, month);
    if (!spending)
        return spending.status();
    const Result<QHash<qint64, Money>> before = SpentBeforeMonth(db, budgets, month);
    if (!before)
        return before.status();
    return UseOfMonth(budgets, spending.value(), before.value(), month);
}

Result<QList<BudgetUse>> ReadUseOfMonth(QSqlDatabase db, const QDate& month) {
    const Result<QList<Budget>> budgets = ReadBudgets(db);
    if (!budgets)
        return budgets.status();
    return ReadUseOfMonth(db, budgets.value(), month);
}

Result<BudgetTotal> TotalOfUses(const QList<BudgetUse>& uses) {
    if (!uses.isEmpty() && uses.first().detail.isEmpty())
        return BudgetTotal{uses.first().budget, uses.first().spent};
    MoneyTotal budgets;
    MoneyTotal spending;
    for (const BudgetUse& use : uses) {
        budgets.add(use.budget);
        spending.add(use.spent);
    }
    const Result<Money> budget = budgets.value();
    const Result<Money> spent = spending.value();
    if (!budget || !spent)
        return Result<BudgetTotal>::failure(OutOfRangeMessage());
    return BudgetTotal{budget.value(), spent.value()};
}

Result<QList<BudgetTotal>> YearOfBudgets(QSqlDatabase db, int year) {
    const Result<QList<Budget>> budgets = ReadBudgets(db);
    if (!budgets)
        return budgets.status();
    QList<BudgetTotal> months;
    for (int m = 1; m <= 12; ++m) {
        const Result<QList<BudgetUse>> uses = ReadUseOfMonth(db, budgets.value(), QDate(year, m, 1));
        if (!uses)
            return uses.status();
        const Result<BudgetTotal> total = TotalOfUses(uses.value());
        if (!total)
            return total.status();
        months.append(total.value());
    }
    return months;
}

Result<QString> BudgetLineOfMonth(QSqlDatabase db, const QDate& month) {
    const Result<QList<BudgetUse>> uses = ReadUseOfMonth(db, month);
    if (!uses)
        return uses.status();
    if (uses->isEmpty())
        return QString();
    const Result<BudgetTotal> total = TotalOfUses(uses.value());
    if (!total)
        return total.status();
    QString line =
        QStringLiteral("本月预算：已用 %1 / %2").arg(total->spent.format(), total->budget.format());
    if (total->budget.units() > 0)
        line += QStringLiteral("（%1%）").arg(
            static_cast<qint64>(static_cast<WideUnits>(total->spent.units()) * 100 / total->budget.units()));
    return line;
}

Result<QStringList> OverBudgetLines(QSqlDatabase db, const QDate& month) {
    const Result<QList<BudgetUse>> uses = ReadUseOfMonth(db, month);
    if (!uses)
        return uses.status();
    QStringList lines;
    for (const BudgetUse& use : uses.value()) {
        if (use.spent > use.budget)
            lines.append(QStringLiteral("预算超支：%1已用 %2，预算 %3，超出 %4")
                             .arg(use.detail.isEmpty() ? WholeMonthName() : use.detail, use.spent.format(),
                                  use.budget.format(), Money::fromUnits(-use.left.units()).format()));
    }
    return lines;
}

Result<QStringList> BudgetAlerts(Database& database, const QString& detail, const QDate& day) {
    QSqlDatabase db = database.connection();
    const Result<QList<Budget>> all = ReadBudgets(db);
    if (!all)
        return all.status();
    QList<Budget> concerned;
    for (const Budget& budget : all.value()) {
        if (budget.wholeMonth() || budget.detail == detail)
            concerned.append(budget);
    }
    if (concerned.isEmpty())
        return QStringList();
    // Only what the concerned budgets need: the 明细's sum and the month's, each on its own index.
    const QDate first = firstOfMonth(day);
    MonthSpending spending;
    for (const Budget& budget : concerned) {
        const Result<Money> spent =
            SpentBetween(db, first, lastOfMonth(day),
                         budget.wholeMonth() ? std::nullopt : std::optional<QString>(budget.detail));
        if (!spent)
            return spent.status();
        if (budget.wholeMonth())
            spending.total = spent.value();
        else
            spending.byDetail.insert(budget.detail, spent.value());
    }
    const Result<QHash<qint64, Money>> before = SpentBeforeMonth(db, concerned, day);
    if (!before)
        return before.status();
    const Result<QList<BudgetUse>> uses = UseOfMonth(concerned, spending, before.value(), day);
    if (!uses)
        return uses.status();

    struct Reached {
        const BudgetUse* use;
        int level;
    };
    QList<Reached> reached;
    for (const BudgetUse& use : uses.value()) {
        // A month without any budget (no amount, nothing carried) warns of nothing.
        if (use.spent.units() <= 0 || (use.amount.isZero() && use.carried.isZero()))
            continue;
        if (use.spent >= use.budget)
            reached.append({&use, 100});
        else if (reaches(use.spent, use.budget, 80))
            reached.append({&use, 80});
    }
    if (reached.isEmpty())
        return QStringList();

    QStringList said;
    const QString month = MonthKey(day);
    const Status written = database.transaction([&]() -> Status {
        said.clear();
        for (const Reached& r : reached) {
            bool newest = false;
            for (int level : {80, 100}) {
                if (level > r.level)
                    continue;
                QSqlQuery mark(db);
                mark.prepare(
                    QStringLiteral("INSERT INTO yusuan_tixing (mingxi, yuefen, jibie) VALUES (:mingxi, "
                                   ":yuefen, :jibie) ON CONFLICT DO NOTHING"));
                mark.bindValue(QStringLiteral(":mingxi"), storedDetail(r.use->detail));
                mark.bindValue(QStringLiteral(":yuefen"), month);
                mark.bindValue(QStringLiteral(":jibie"), level);
                if (!mark.exec())
                    return failed(mark);
                if (level == r.level)
                    newest = mark.numRowsAffected() > 0;
            }
            if (!newest)
                continue;
            const BudgetUse& use = *r.use;
            if (r.level == 100 && use.spent > use.budget)
                said.append(QStringLiteral("%1在 %2 已用 %3，超出了预算 %4，超支 %5。请控制这方面的开支。")
                                .arg(nameInText(use.detail), day.toString(QStringLiteral("yyyy年M月")),
                                     use.spent.format(), use.budget.format(),
                                     Money::fromUnits(-use.left.units()).format()));
            else if (r.level == 100)
                said.append(QStringLiteral("%1在 %2 已用 %3，预算 %4 已经用完。")
                                .arg(nameInText(use.detail), day.toString(QStringLiteral("yyyy年M月")),
                                     use.spent.format(), use.budget.format()));
            else
                said.append(QStringLiteral("%1在 %2 已用 %3，达到预算 %4 的 %5%，还剩 %6。")
                                .arg(nameInText(use.detail), day.toString(QStringLiteral("yyyy年M月")),
                                     use.spent.format(), use.budget.format())
                                .arg(use.percent)
                                .arg(use.left.format()));
        }
        return Status::ok();
    });
    if (!written)
        return written;
    return said;
}

Result<int> ExportBudgetsToCsv(QSqlDatabase db, int year, const QString& path) {
    const Result<QList<Budget>> budgets = ReadBudgets(db);
    if (!budgets)
        return budgets.status();
    QByteArray text("\xEF\xBB\xBF");
    text += CsvRecord({QStringLiteral("月份"), QStringLiteral("明细"), QStringLiteral("预算"),
                       QStringLiteral("已用"), QStringLiteral("剩余")});
    int rows = 0;
    for (int m = 1; m <= 12; ++m) {
        const QDate month(year, m, 1);
        const Result<QList<BudgetUse>> uses = ReadUseOfMonth(db, budgets.value(), month);
        if (!uses)
            return uses.status();
        for (const BudgetUse& use : uses.value()) {
            text += CsvRecord({MonthKey(month), use.detail.isEmpty() ? WholeMonthName() : use.detail,
                               use.budget.toPlainText(), use.spent.toPlainText(), use.left.toPlainText()});
            ++rows;
        }
    }
    QSaveFile file(path);
    const QString refusal = QStringLiteral("无法写入文件“%1”，请换一个文件夹或文件名再试。（%2）");
    if (!file.open(QIODevice::WriteOnly))
        return Result<int>::failure(refusal.arg(path, file.errorString()));
    // The household's figures are for its owner's eyes only.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(text) != text.size() || !file.commit())
        return Result<int>::failure(refusal.arg(path, file.errorString()));
    return rows;
}
