#pragma once

#include <QDialog>

#include <memory>

class QRadioButton;
class QStackedWidget;
class QTableView;
class TransactionReader;
struct Household;

// The records window "银行账务记录表": every deposit, withdrawal and transfer as they stand when the
// window opens, deposits in StringGrid1, withdrawals in StringGrid2 and transfers with both places and
// the fee in StringGrid3, one of them in front. Each grid has a row for every record of any kind, the rows of
// its kind at the top and the rest blank; the rows are read as they are scrolled to, by one read begun when
// the window opens (nothing writes while this modal window is up).
class TForm5 : public QDialog {
    Q_OBJECT
  public:
    explicit TForm5(Household& household, QWidget* parent = nullptr);
    ~TForm5() override;

  private:
    void FormCreate();
    void RadioButton1Click();   // 存款
    void RadioButton2Click();   // 取款
    void RadioButton3Click();   // 转帐
    void SpeedButton30Click();  // 离开
    // A header of a grid clicked: every grid sorted by that column (日期 newest first, then oldest
    // first; the others up, then down), read again from its first row, the mark on the column.
    void headerClicked(QTableView* grid, int section);
    void showSortMark(QTableView* grid);

    Household& household_;
    QStackedWidget* stack_;
    std::unique_ptr<TransactionReader> reader_;
    QTableView* deposits_;             // StringGrid1
    QTableView* withdrawals_;          // StringGrid2
    QTableView* transfers_ = nullptr;  // StringGrid3, made at the first 转帐
    QString sortField_;                // empty: the order the records were made
    bool sortDescending_ = false;
};

// Opens the records window over the main window and frees it when it closes.
void ShowTransactionRecords(Household& household);
