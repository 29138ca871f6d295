#pragma once

#include <QDialog>

class BarChart;
class QLabel;
class QPushButton;
class QTableWidget;
struct Household;

// "收支趋势": the income and the expense of each month of one year as bars side by side, each month's
// change against the same month of the year before (同比) and against the month before (环比) in a table
// under them, the year's totals and 结余 beneath. Opens on this year; the arrows step to earlier and later
// years.
class TrendWindow : public QDialog {
    Q_OBJECT
  public:
    explicit TrendWindow(Household& household, QWidget* parent = nullptr);

    int year() const { return year_; }
    void showYear(int year);

  protected:
    // PageUp and PageDown step to the earlier and the later year from anywhere in the window.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    Household& household_;
    int year_ = 0;
    QPushButton* previous_;
    QPushButton* next_;
    QLabel* yearLabel_;
    BarChart* chart_;
    QTableWidget* changes_;
    QLabel* income_;
    QLabel* expense_;
    QLabel* balance_;
    QPushButton* close_;
};
