#pragma once

#include "ledger/EntryBin.h"

#include <QDialog>
#include <QList>

class QLabel;
class QPushButton;
class QTableWidget;
struct Household;

// "回收站": the deleted income and expense entries, newest first. 恢复 puts the chosen entry back as a
// new save of it would (the home safe moves with it); 清空 removes the entries listed after a question
// (one deleted elsewhere after the list was read stays). Both pass the permission gate of the entry's
// type (收入管理 or 支出管理); only the types whose right the user holds are listed. Entries deleted more
// than a year ago leave the bin when it opens.
class BinWindow : public QDialog {
    Q_OBJECT
  public:
    explicit BinWindow(Household& household, QWidget* parent = nullptr);

    // Reads the bin again into the list.
    void reload();

  private:
    void restoreChosen();
    void emptyAll();

    Household& household_;
    QList<BinEntry> entries_;      // the entries listed: those of the types the user may manage
    QList<EntryType> shownTypes_;  // the types the user may manage, as the window opened
    QTableWidget* grid_;
    bool sized_ = false;  // the columns fit the rows once; after that they keep what the user gave them
    QLabel* status_;
    QPushButton* restore_;
    QPushButton* empty_;
    QPushButton* close_;
};

// Entries of either type pass the gate of their own panel.
QString GateTextOf(EntryType type);
