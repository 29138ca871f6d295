#pragma once

#include "bills/ImportPlan.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QTableView;
class QTableWidget;
struct Household;

// 导入预览: what an import will do with every line of a bill, before anything is written. One grid row
// per line (勾选, 行号, 日期, 交易对方, 说明, 金额, 收/支, 帐户, 明细, 处理, 原因) read lazily from the
// plan; lines can be unticked, their 明细 or place changed one by one or for every line of the same
// counterparty, a 明细 kept as a rule; under the grid the totals per place and the balances after. 导入
// commits the ticked lines in one transaction, 取消 closes with nothing written.
class ImportPreview : public QDialog {
    Q_OBJECT
  public:
    ImportPreview(Household& household, ImportPlan plan, QWidget* parent = nullptr);
    ~ImportPreview() override;

    const ImportPlan& plan() const { return plan_; }

    // The changes the buttons and the grid's context menu make, on a line of the plan (with
    // 同一交易对方一起改 ticked, on every line of its counterparty too).
    void changeDetail(int row, const QString& detail);
    void changePlace(int row, qint64 place);
    // "记住为规则": the line's counterparty (or its description) gives its 明细 from now on.
    bool rememberRule(int row);
    // 导入: asks first about a place that would end below zero; true when the import was committed.
    bool commit();

  private:
    int currentRow() const;
    void askDetail();
    void askPlace();
    void refreshFigures();

    Household& household_;
    ImportPlan plan_;
    class PlanModel* model_;
    QTableView* grid_;
    QCheckBox* sameCounterparty_;
    QPushButton* detail_;
    QPushButton* place_;
    QPushButton* rule_;
    QLabel* summary_;
    QTableWidget* outcomes_;
    QPushButton* import_;
    QPushButton* cancel_;
};

// 导入帐单…: the whole import from the menu or the toolbar, behind the rights 收入管理 and 支出管理:
// choose one or several files, read each (on a worker thread, with a progress dialog that offers 取消
// past a second), ask for the place of every payment method not seen before, then show the preview.
void RunBillImport(Household& household, QWidget* parent);
