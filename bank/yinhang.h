#pragma once

#include "household/PendingEdit.h"

#include <QDialog>

class DataGrid;
class QLineEdit;
class QSqlQueryModel;
class QToolButton;
struct Household;
struct BankDetails;

// The bank information window "银行信息数据维护": the list of money places with user name, account
// number and password, and the adding, changing and deleting of banks. The home safe cannot be deleted
// and keeps its name. Balances are neither shown nor changed here. Leaving while a row is added or
// changed asks whether to save it first.
class TForm4 : public QDialog, public PendingEdit {
    Q_OBJECT
  public:
    enum class State { Closed, Browse, Edit, Insert };

    explicit TForm4(Household& household, QWidget* parent = nullptr);

    State state() const { return state_; }

    bool hasPendingEdit() const override;
    bool savePendingEdit() override;     // 保存
    void discardPendingEdit() override;  // 取消

  protected:
    void reject() override;

  private:
    void FormCreate();
    void SpeedButton1Click();  // 添加
    void SpeedButton2Click();  // 修改
    void SpeedButton3Click();  // 保存
    void SpeedButton4Click();  // 删除
    void SpeedButton6Click();  // 取消
    void SpeedButton5Click();  // 离开
    // Runs whenever the list's state changes: button states, boxes and list lock.
    void DataSource1StateChange();

    void setState(State state);
    // Reopens the list and makes the row with the given key current (else the row at fallbackRow).
    void reload(qint64 currentId, int fallbackRow);
    // Shows the current row in the four boxes.
    void showCurrentRow();
    BankDetails typedDetails() const;
    qint64 currentId() const;
    bool isEmpty() const;

    Household& household_;
    QSqlQueryModel* query_;  // ADOQuery1
    DataGrid* grid_;         // DBGridEh1
    QLineEdit* boxes_[4];    // DBEdit1 … DBEdit4
    QToolButton* add_;       // SpeedButton1
    QToolButton* change_;    // SpeedButton2
    QToolButton* save_;      // SpeedButton3
    QToolButton* remove_;    // SpeedButton4
    QToolButton* leave_;     // SpeedButton5
    QToolButton* cancel_;    // SpeedButton6
    State state_ = State::Closed;
};

// Opens the bank information window over the main window and frees it when it closes.
void ShowBankInformation(Household& household);
