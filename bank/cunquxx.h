#pragma once

#include <QDialog>

class QRadioButton;
class QStackedWidget;
class QTableWidget;
struct Household;

// The records window "银行账务记录表": every deposit and every withdrawal as they stand when the window
// opens, deposits in StringGrid1 and withdrawals in StringGrid2, one of them in front.
class TForm5 : public QDialog {
    Q_OBJECT
  public:
    explicit TForm5(Household& household, QWidget* parent = nullptr);

  private:
    void FormCreate();
    void RadioButton1Click();   // 存款
    void RadioButton2Click();   // 取款
    void SpeedButton30Click();  // 离开

    Household& household_;
    QStackedWidget* stack_;
    QTableWidget* deposits_;     // StringGrid1
    QTableWidget* withdrawals_;  // StringGrid2
};

// Opens the records window over the main window and frees it when it closes.
void ShowTransactionRecords(Household& household);
