#pragma once

#include "bills/BillRules.h"

#include <QDialog>
#include <QList>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
struct Household;

// "明细规则": the rules that suggest a 明细 for a bill line whose counterparty or description holds a
// keyword, the longest keyword first. Anyone may look; 添加, 修改 and 删除 need 收入管理 or 支出管理. A
// refusal (an empty field, a keyword already used for the direction) is shown as the logic words it.
class RulesWindow : public QDialog {
    Q_OBJECT
  public:
    explicit RulesWindow(Household& household, QWidget* parent = nullptr);

    // Reads the rules again into the list, choosing the rule `chosen` when it is listed.
    void reload(qint64 chosen = 0);

  private:
    void showChosen();
    void addRule();
    void changeRule();
    void deleteRule();
    // The boxes as a rule of the key `id`.
    DetailRule typed(qint64 id) const;
    bool mayEdit();
    void store(qint64 id);

    Household& household_;
    QList<DetailRule> rules_;
    QTableWidget* grid_;
    QLineEdit* keyword_;
    QComboBox* type_;
    QLineEdit* detail_;
    QLabel* status_;
    QPushButton* add_;
    QPushButton* change_;
    QPushButton* delete_;
    QPushButton* close_;
};
