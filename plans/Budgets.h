#pragma once

#include "data/Money.h"
#include "data/Result.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QMap>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

class Database;

// Monthly budgets of spending (yusuan): one per expense 明细, and one for the whole month's spending
// (stored with the empty 明细). A budget has the same amount every month, and may give single months of
// a year an amount of their own (yusuanyue, month "yyyy-MM"); a month with neither has a budget of 0.
// With rollover (结转) what was left of a month, or overspent, is carried into the next one, from the
// budget's first month (qishi) on, across year ends as well. Spending is read from the expense entries
// (leixing 'zhichu') by one aggregate query per use, never by loading entries.

struct Budget {
    qint64 id = 0;
    QString detail;                   // empty: the whole month's spending
    std::optional<Money> everyMonth;  // the usual amount; none: only the months given below have one
    bool rollover = false;
    QDate start;                  // the first day of the first month counted (rollover starts there)
    QMap<QString, Money> months;  // "yyyy-MM" -> the amount of that month, where it differs

    bool wholeMonth() const { return detail.isEmpty(); }
    // The month's own amount: its own, else the usual one, else 0.
    Money amountOf(const QDate& month) const;
};

// What the 明细 of the whole month's budget is shown as.
QString WholeMonthName();
// "yyyy-MM" of a day's month.
QString MonthKey(const QDate& day);

// Every budget with its months' amounts, the whole month's first, then by 明细.
Result<QList<Budget>> ReadBudgets(QSqlDatabase db);

// What a budget window's editor hands over: the amounts as typed (empty: none).
struct BudgetInput {
    qint64 id = 0;  // 0: a new budget
    bool wholeMonth = false;
    QString detail;
    QString everyMonth;  // the usual amount; may be empty when months are given
    bool rollover = false;
    QDate start;                        // any day of the first month
    int year = 0;                       // the year the month amounts belong to
    QList<QPair<int, QString>> months;  // month 1..12 and its amount as typed; an empty text drops the month
};

// Checks the input and stores it in one transaction: the budget row, and the months of the year as given
// (the year's other months keep what they had). Refused with a Chinese message, nothing stored: a 明细
// left empty, an amount that is no number, negative or beyond the limit of an amount, a month outside
// 1–12, neither a usual amount nor any month, a second budget of the same 明细. Gives the budget's key.
Result<qint64> SaveBudget(Database& database, const BudgetInput& input);
// Deletes a budget and its months in one transaction.
Status DeleteBudget(Database& database, qint64 id);

// The expense of one month, per 明细 and in all.
struct MonthSpending {
    QHash<QString, Money> byDetail;
    Money total;
};
// The month's expenses per 明细: one aggregate query on the index of type and date.
Result<MonthSpending> SpendingOfMonth(QSqlDatabase db, const QDate& month);
// The expenses of the days from `from` to `to` (both included), of one 明细 or (none) of all: one sum on
// an index that holds every column asked.
Result<Money> SpentBetween(QSqlDatabase db, const QDate& from, const QDate& to,
                           const std::optional<QString>& detail = std::nullopt);
// What each rollover budget's 明细 (or the whole month) spent from its first month up to the end of the
// month before `month`, by budget key; one sum each.
Result<QHash<qint64, Money>> SpentBeforeMonth(QSqlDatabase db, const QList<Budget>& budgets,
                                              const QDate& month);

// One budget in one month: what may be spent (the month's amount and what was carried into it), what was.
enum class BudgetLevel { Green, Amber, Red };
struct BudgetUse {
    QString detail;  // empty for the whole month
    Money amount;    // the month's own amount
    Money carried;   // carried in from the months before (rollover only; negative when overspent)
    Money budget;    // amount + carried
    Money spent;
    Money left;       // budget - spent
    int percent = 0;  // spent of budget, whole percents rounded down; 0 for nothing spent, 999 for a
                      // spending against a budget of 0 or less
    BudgetLevel level = BudgetLevel::Green;  // green below 80 %, amber from 80 % to 100 %, red past 100 %
};
// The level of a spending against its budget.
BudgetLevel LevelOf(Money spent, Money budget);
// The use of each budget in the month, in the budgets' order: the carry of a rollover budget is what its
// months from the first one up to the month before had (their amounts) less what was spent in them
// (`spentBefore`). Fails only when a sum leaves the range of an amount.
Result<QList<BudgetUse>> UseOfMonth(const QList<Budget>& budgets, const MonthSpending& spending,
                                    const QHash<qint64, Money>& spentBefore, const QDate& month);
// The steps above for one month: the month's spending in one query, one sum per rollover budget.
Result<QList<BudgetUse>> ReadUseOfMonth(QSqlDatabase db, const QDate& month);
Result<QList<BudgetUse>> ReadUseOfMonth(QSqlDatabase db, const QList<Budget>& budgets, const QDate& month);

// A month's budget and spending in all: the whole month's budget and spending when there is one, else
// the budgets of the 明细 and their spending added up.
struct BudgetTotal {
    Money budget;
    Money spent;
};
Result<BudgetTotal> TotalOfUses(const QList<BudgetUse>& uses);
// The totals of each month of a year, January first.
Result<QList<BudgetTotal>> YearOfBudgets(QSqlDatabase db, int year);

// The month's budget use in one line for the summary ("本月预算：已用 ￥1234.00 / ￥3000.00（41%）"): as
// TotalOfUses adds them; empty without budgets.
Result<QString> BudgetLineOfMonth(QSqlDatabase db, const QDate& month);

// The lines of the start-up notice: each budget past its amount this month, empty when none is.
Result<QStringList> OverBudgetLines(QSqlDatabase db, const QDate& month);

// After an expense of the 明细 was saved for the day: the notices of the thresholds (80 %, 100 %) that
// its budget, or the whole month's, has now reached and that were not said before in that month. Each
// one is recorded as said (yusuan_tixing) in one transaction, so it is never said twice, also not by
// another computer of a shared household.
Result<QStringList> BudgetAlerts(Database& database, const QString& detail, const QDate& day);

// Writes each budget against its spending for every month of the year to a CSV file (UTF-8, private to
// its owner, whole or not at all): 月份, 明细, 预算, 已用, 剩余. Returns the number of rows.
Result<int> ExportBudgetsToCsv(QSqlDatabase db, int year, const QString& path);
