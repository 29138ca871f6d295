#pragma once

#include "plans/RegularEntries.h"

#include <QDialog>
#include <QList>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
struct Household;

// "定期收支": the incomes and expenses that repeat (salary, rent, utilities), listed with how they
// repeat and when they are next due. Anyone may look; 添加, 修改 and 删除 need 收入管理 for an income and
// 支出管理 for an expense (for a change, the right of the type it had and of the type it gets). What is
// wrong with the boxes is said in Chinese and nothing is stored.
class RegularWindow : public QDialog {
    Q_OBJECT
  public:
    explicit RegularWindow(Household& household, QWidget* parent = nullptr);

    // Reads the regular entries again, choosing the one of key `chosen` when it is listed.
    void reload(qint64 chosen = 0);

  private:
    void showChosen();
    void endKindChanged();
    void unitChanged();
    // The boxes as a regular entry of key `id`; false, with the message shown, when the amount does not
    // read.
    bool typed(qint64 id, RegularEntry& entry);
    bool mayWrite(EntryType type);
    void store(qint64 id);
    void removeChosen();
    const RegularEntry* chosen() const;

    Household& household_;
    QList<RegularEntry> entries_;
    QTableWidget* grid_;
    QComboBox* type_;
    QLineEdit* detail_;
    QLineEdit* amount_;
    QComboBox* place_;
    QLineEdit* remarks_;
    QSpinBox* every_;
    QComboBox* unit_;
    QSpinBox* day_;
    QDateEdit* start_;
    QComboBox* endKind_;
    QDateEdit* end_;
    QSpinBox* times_;
    QCheckBox* automatic_;
    QLabel* status_;
    QPushButton* add_;
    QPushButton* change_;
    QPushButton* delete_;
};
