#pragma once

#include "bank/BankMoves.h"
#include "bank/Transfers.h"
#include "household/FunctionPanel.h"

class BarChart;
class QBoxLayout;
class DataGrid;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QSqlQueryModel;
class QToolButton;
struct Household;

// The bank panel Panel5: every money place with its balance (grid DBGridEh3 with the footer total,
// chart Chart4), deposits into and withdrawals from a bank and transfers between any two places through
// the amount panel Panel19, and the buttons that open the bank information and the records windows.
class BankPanel : public FunctionPanel {
    Q_OBJECT
  public:
    explicit BankPanel(Household& household, QWidget* parent = nullptr);

    void broughtToFront() override { RefreshBankPanel(); }

    // Reloads the places, rebinds the grid, recomputes the footer and redraws the chart.
    void RefreshBankPanel();

    // The footer row "总金额：" under the grid: on while a user is logged in, off when the program ends.
    void setFooterTotalShown(bool shown);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* buildAmountPanel();
    QWidget* buildBottomBar();

    void SpeedButton25Click();  // 存款: deposit mode
    void SpeedButton26Click();  // 取款: withdrawal mode
    void SpeedButton28Click();  // performs the deposit
    void SpeedButton29Click();  // performs the withdrawal
    void SpeedButton35Click();  // 转帐: transfer mode, paying from the selected place
    void SpeedButton33Click();  // performs the transfer
    void SpeedButton30Click();  // 离开
    void SpeedButton27Click();  // 银行信息
    void SpeedButton31Click();  // 存取记录

    void enterMode(MoveKind kind, QToolButton* modeButton);
    void perform(MoveKind kind);
    // Shows what a deposit, withdrawal or transfer came to; a completed one refreshes the panel.
    void showOutcome(const MoveOutcome& outcome);
    // Shows the controls of transfer mode, or hides them for the other two.
    void showTransferControls(bool shown);
    // The column widths follow the grid's width.
    void applyColumnWidths();
    // The figures under the list in a line, or in a column when the list is too narrow for the line.
    void fitFigures();

    Household& household_;
    QSqlQueryModel* places_;  // ADOQuery4
    DataGrid* grid_;          // DBGridEh3
    BarChart* chart_;         // Chart4
    QLabel* assets_;          // LabelAssets
    QLabel* owed_;            // LabelOwed
    QLabel* netWorth_;        // LabelNetWorth
    QBoxLayout* figures_ = nullptr;
    QFrame* amountPanel_ = nullptr;
    QLabel* placeCaption_ = nullptr;  // "银行：", or "转出：" in transfer mode
    QLabel* bankName_ = nullptr;      // Label25
    QLabel* bankBalance_ = nullptr;   // Label28
    QLineEdit* amount_ = nullptr;     // Edit1
    QToolButton* depositMode_ = nullptr;
    QToolButton* withdrawalMode_ = nullptr;
    QToolButton* performDeposit_ = nullptr;
    QToolButton* performWithdrawal_ = nullptr;
    QToolButton* transferMode_ = nullptr;     // SpeedButton35
    QToolButton* performTransfer_ = nullptr;  // SpeedButton33
    QFrame* transferFrame_ = nullptr;         // 转入 with its choice
    QComboBox* transferTo_ = nullptr;         // ComboBoxTransferTo
    QLabel* feeCaption_ = nullptr;            // "手续费："
    QLineEdit* fee_ = nullptr;                // EditFee
    TransferPlace transferFrom_;              // the paying place, captured with transfer mode
};
