#pragma once

#include "plans/Budgets.h"

#include <QDate>
#include <QDialog>
#include <QList>

class BarChart;
class Database;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;
struct Household;

// "预算": the budgets of one month (明细 | 本月预算 | 已用 | 剩余 | a bar, green below 80 %, amber from
// 80 %, red past 100 %), any month with ◀ and ▶, and on its second page a year's budget against its
// spending, month by month. The boxes under the list edit the chosen budget or make a new one; a refusal
// is shown as the logic words it and nothing is stored. Opening it and every change need 支出管理.
class BudgetWindow : public QDialog {
    Q_OBJECT
  public:
    BudgetWindow(Household& household, const QDate& month, QWidget* parent = nullptr);

    // The month shown (its first day) and the budgets' use in it as listed.
    QDate month() const { return month_; }
    const QList<BudgetUse>& uses() const { return uses_; }
    // Shows another month, or the year of the chart page.
    void showMonth(const QDate& month);
    void showYear(int year);

  private:
    void build();
    void step(int by);
    void showChosen();
    void clearBoxes();
    void save();
    void remove();
    void exportYear();
    bool mayEdit();
    void loadDetails();

    Household& household_;
    QDate month_;
    int year_;
    QList<Budget> budgets_;
    QList<BudgetUse> uses_;
    QTabWidget* pages_ = nullptr;
    QLabel* monthLabel_ = nullptr;
    QTableWidget* grid_ = nullptr;
    BarChart* yearChart_ = nullptr;
    QComboBox* detail_ = nullptr;
    QLineEdit* everyMonth_ = nullptr;
    QCheckBox* rollover_ = nullptr;
    QDateEdit* start_ = nullptr;
    QLabel* yearOfMonths_ = nullptr;
    QList<QLineEdit*> months_;
    qint64 editing_ = 0;
    bool yearShown_ = false;
};

// After an expense of the 明细 was saved for the day: says, in one notice, the budget thresholds it has
// reached for the first time in the month. A failure to look is reported and changes nothing saved.
void SayBudgetAlerts(Database& database, const QString& detail, const QDate& day);

// The month's budget line for the summary; a failure to read it is said in the line itself.
QString BudgetLine(Database& database, const QDate& month);

// The budgets past their amount this month, as lines of the start-up notice; a failure to read them is
// reported and lists none.
QStringList OverBudgetReminders(Database& database);
