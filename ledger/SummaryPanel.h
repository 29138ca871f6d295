#pragma once

#include "data/Money.h"
#include "household/FunctionPanel.h"
#include "ledger/Period.h"

#include <QDate>
#include <QList>

#include <optional>

class BarChart;
class PieChart;
class QComboBox;
class QDateEdit;
class QFrame;
class QGroupBox;
class QLabel;
class QRadioButton;
class QToolButton;
struct Household;

// The account summary: the period choice, the income and expense totals of the period and three charts
// on one spot (income against expense, and income or expense by detail), with a ring of the period's
// expenses by detail beside them, of every place or of one.
class SummaryPanel : public FunctionPanel {
    Q_OBJECT
  public:
    explicit SummaryPanel(Household& household, QWidget* parent = nullptr);

    // Bringing the panel up recomputes the period shown.
    void broughtToFront() override;

    // The period of the current month up to today, as the start of the run sets it; the heading is left
    // as it is.
    void SetMonthToDate();
    // ComputePeriodTotals: the two totals and the income/expense chart of the period in the labels.
    void ComputePeriodTotals();
    // The period the labels show, read back as dates (an export starts from it).
    Result<PeriodBounds> shownPeriod() const;
    // The place the figures are limited to; none for 全部帐户.
    std::optional<qint64> chosenPlace() const;
    // The ring of where the period's expenses went (the largest details and the rest), for the place
    // chosen; part of ComputePeriodTotals.
    void showExpensePicture(const PeriodBounds& period);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void build();
    void choose(PeriodChoice choice);
    // DateTimePicker1Change / DateTimePicker2Change.
    void startPicked(const QDate& day);
    void endPicked(const QDate& day);
    void markAny();
    // SpeedButton7Click / SpeedButton8Click.
    void showDetailChart(bool income);
    void showChartPanel(QFrame* panel);
    void showBalance(Money balance);
    // The month's budget use in one line under the charts, hidden when the household has no budget.
    void showBudgetLine();
    // The places of the place choice, every one (closed ones keep their history), the one chosen kept
    // while it is there; 全部帐户 otherwise.
    void loadPlaceChoices();
    // A place chosen: the figures of the chart in front, and the totals, again for it.
    void placeChosen();

    Household& household_;
    QGroupBox* group_ = nullptr;
    QList<QRadioButton*> choices_;
    QLabel* heading_ = nullptr;  // Label1
    QLabel* first_ = nullptr;    // Label2
    QLabel* last_ = nullptr;     // Label3
    QDateEdit* firstPicker_ = nullptr;
    QDateEdit* lastPicker_ = nullptr;
    QFrame* incomeBox_ = nullptr;            // Panel7
    QFrame* expenseBox_ = nullptr;           // Panel8
    QLabel* incomeTotal_ = nullptr;          // Label6
    QLabel* expenseTotal_ = nullptr;         // Label7
    QLabel* balance_ = nullptr;              // 结余: income minus expense of the period
    QLabel* budget_ = nullptr;               // LabelBudget: the month's budget use
    QComboBox* placeChoice_ = nullptr;       // ComboBoxPlaceFilter: 全部帐户 or one place
    QToolButton* incomeDetails_ = nullptr;   // SpeedButton7
    QToolButton* expenseDetails_ = nullptr;  // SpeedButton8
    QFrame* chartPanels_[3] = {};            // Panel9, Panel10, Panel11
    BarChart* charts_[3] = {};               // Chart1, Chart2, Chart3
    PieChart* pie_ = nullptr;                // ExpensePie
    bool marking_ = false;
};
