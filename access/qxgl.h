#pragma once

#include "access/UserRows.h"
#include "household/PendingEdit.h"

#include <QDialog>
#include <QList>

class QLineEdit;
class QListWidget;
class QTableWidget;
class QToolButton;
struct Household;

// The user permission window: the list of users, the ID, name and password of the current one, its
// seven rights as ticks, and the buttons that add, change, save, delete and cancel. While a row is
// being added or changed the list, 增加 and 删除 are locked, so a row is stored only by 保存 and its
// checks; while browsing the boxes are read-only. Leaving while a row is added or changed asks whether
// to save it first.
class TForm7 : public QDialog, public PendingEdit {
    Q_OBJECT
  public:
    enum class State { Browse, Insert, Edit };

    explicit TForm7(Household& household, QWidget* parent = nullptr);

    State state() const { return state_; }

    bool hasPendingEdit() const override;
    bool savePendingEdit() override;     // 保存项目
    void discardPendingEdit() override;  // 取消当前操作

  protected:
    void reject() override;

  private:
    void FormCreate();
    void DBEdit4Change();
    void DataSource1StateChange();
    void SpeedButton10Click();  // 增加新项
    void SpeedButton3Click();   // 修改选定项
    void SpeedButton4Click();   // 保存项目
    void SpeedButton5Click();   // 删除选定项
    void SpeedButton6Click();   // 取消当前操作
    void SpeedButton2Click();   // 全选
    void SpeedButton7Click();   // 清空
    void SpeedButton1Click();   // 离开关闭

    void setState(State state);
    // Reads the table again and makes the row with the key current (the first row when none has it).
    bool reload(qint64 currentId);
    void showRow(int row);
    void setAllTicks(bool ticked);

    Household& household_;
    State state_ = State::Browse;
    bool tableOpen_ = false;
    QList<UserRow> rows_;
    int current_ = -1;

    QTableWidget* list_;   // DBGrid1
    QLineEdit* userId_;    // DBEdit1
    QLineEdit* name_;      // DBEdit2
    QLineEdit* password_;  // DBEdit3
    QLineEdit* rights_;    // DBEdit4, hidden
    QListWidget* ticks_;   // CheckListBox1
    QToolButton* add_;     // SpeedButton10
    QToolButton* save_;    // SpeedButton4
    QToolButton* edit_;    // SpeedButton3
    QToolButton* remove_;  // SpeedButton5
    QToolButton* cancel_;  // SpeedButton6
};
