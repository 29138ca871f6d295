#pragma once

#include "household/FunctionPanel.h"
#include "household/PendingEdit.h"

#include <QString>

class DataGrid;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class ReminderListModel;
class QToolButton;
struct Household;

// The reminder panel Panel6: the date, range and content of a new event, 保存提醒 and 删除提醒, and
// the grid of every event in the table's own order. A content typed and not saved yet is pending.
class ReminderPanel : public FunctionPanel, public PendingEdit {
    Q_OBJECT
  public:
    explicit ReminderPanel(Household& household, QWidget* parent = nullptr);

    // Opens the reminder table (first showing of the main window) or reads it again.
    void openTable();

    void SpeedButton34Click();  // 保存提醒
    void SpeedButton32Click();  // 删除提醒

    bool hasPendingEdit() const override;
    bool savePendingEdit() override;     // 保存提醒
    void discardPendingEdit() override;  // empties the content box

  private:
    void setRange(const QString& range);

    Household& household_;
    QDateEdit* date_;           // DateTimePicker5
    QRadioButton* once_;        // RadioButton8 当天
    QRadioButton* daily_;       // RadioButton9 每天
    QRadioButton* monthly_;     // RadioButton10 每月
    QLineEdit* rangeHolder_;    // Edit2, hidden: the range the next save writes
    QPlainTextEdit* content_;   // Memo1
    DataGrid* grid_;            // DBGridEh4
    QToolButton* save_;         // SpeedButton34
    QToolButton* remove_;       // SpeedButton32
    ReminderListModel* model_;  // the rows of tixing
    QString savedContent_;      // the content as last saved: the box keeps it after 保存提醒
};
