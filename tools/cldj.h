#pragma once

#include "data/Result.h"

#include <QDialog>

class DataGrid;
class QComboBox;
class QLabel;
class QLineEdit;
class QSqlQueryModel;
class QToolButton;
struct Household;

// The postal and area-code lookup: the rows of yzbh by province and region, or by a text in one
// chosen column. Reads only.
class TForm9 : public QDialog {
    Q_OBJECT
  public:
    explicit TForm9(Household& household, QWidget* parent = nullptr);

  private:
    void FormCreate();
    void ComboBox1Change();
    void ComboBox2Change();
    void SpeedButton2Click();  // 查询
    void SpeedButton9Click();  // 全部
    void SpeedButton1Click();  // 离开

    void buildLayout();
    // Reports a failed grid query with the standard error report.
    static void report(const Status& status);

    Household& household_;
    QSqlQueryModel* ADOQuery1_;  // the grid's rows
    QLabel* Label4_ = nullptr;
    QComboBox* ComboBox1_ = nullptr;
    QComboBox* ComboBox2_ = nullptr;
    QComboBox* ComboBox3_ = nullptr;
    QLineEdit* Edit1_ = nullptr;
    DataGrid* DBGridEh1_ = nullptr;
};
