#pragma once

#include "bank/BankPlaces.h"
#include "household/PendingEdit.h"

#include <QDialog>

#include <optional>

class DataGrid;
class QComboBox;
class QLabel;
class QLineEdit;
class QSqlQueryModel;
class QToolButton;
struct Household;

// The bank information window "银行信息数据维护": the list of money places with kind, user name, account
// number, password, credit limit and state, and the adding, changing, closing and deleting of places. The
// home safe cannot be deleted or closed and keeps its name and kind; a place with history is offered
// 关闭 instead of deletion. Balances are neither shown nor changed here. Leaving while a row is added or
// changed asks whether to save it first.
//
// Bank passwords are shown masked (●●●●●●); 显示 opens the current row's alone, with the household key
// the login holds. A user without the bank right sees none; a user with the right but without the key
// sees why, and keeps the stored password when saving the other details. When no user holds the key any
// more, 新建钥匙 starts a new one for this user.
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
    void SpeedButton7Click();  // 关闭 / 重新启用
    void setClosed(bool closed);
    void ButtonShowPasswordClick();     // 显示 / 隐藏
    void ButtonNewHouseholdKeyClick();  // 新建钥匙
    // The user holds 存款 or 取款; and holds the household key as well.
    bool holdsBankRight() const;
    bool mayReadPasswords() const;
    // The password box of the current row: its mask, nothing, or (editing) the password opened.
    void showPasswordBox();
    void loadPasswordForEdit();
    // The note under the password box on the key this login holds.
    void showKeyNote();
    // Runs whenever the list's state changes: button states, boxes and list lock.
    void DataSource1StateChange();

    void setState(State state);
    // Reopens the list and makes the row with the given key current (else the row at fallbackRow).
    void reload(qint64 currentId, int fallbackRow);
    // Shows the current row in the four boxes.
    void showCurrentRow();
    // The details typed, or nothing after telling the user what is wrong with the credit limit.
    std::optional<BankDetails> typedDetails();
    // The name and closed mark of the current row as the list read them.
    PlaceAsRead shownAsRead() const;
    qint64 currentId() const;
    bool isEmpty() const;

    Household& household_;
    QSqlQueryModel* query_;         // ADOQuery1
    DataGrid* grid_;                // DBGridEh1
    QLineEdit* boxes_[4];           // DBEdit1 … DBEdit4
    QToolButton* add_;              // SpeedButton1
    QToolButton* change_;           // SpeedButton2
    QToolButton* save_;             // SpeedButton3
    QToolButton* remove_;           // SpeedButton4
    QToolButton* leave_;            // SpeedButton5
    QToolButton* cancel_;           // SpeedButton6
    QToolButton* close_;            // SpeedButton7 关闭 / 重新启用
    QComboBox* kind_;               // ComboBoxKind
    QLineEdit* limit_;              // EditLimit
    QToolButton* showPassword_;     // ButtonShowPassword 显示 / 隐藏
    QToolButton* newKey_;           // ButtonNewHouseholdKey 新建钥匙
    QLabel* keyNote_;               // LabelKeyNote
    QLabel* lossNote_;              // LabelPasswordNote
    bool revealed_ = false;         // the password box shows the password itself
    bool passwordOffered_ = false;  // editing: the password box holds the whole password to store
    bool keyHeld_ = true;           // some user of the household holds the household key
    QString readNote_;              // why the current row's password could not be opened
    PlaceAsRead editedAsRead_;
    State state_ = State::Closed;
};

// Opens the bank information window over the main window and frees it when it closes.
void ShowBankInformation(Household& household);
