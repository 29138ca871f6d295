#pragma once

#include "plans/CatchUp.h"

#include <QDialog>
#include <QHash>

class QLabel;
class QTableWidget;
struct Household;

// "定期收支到期": every occurrence due since the last run, once. Those that enter themselves are shown
// as entered; each of the others is to be entered (入帐, the amount may be changed for this time),
// skipped (跳过) or postponed (推迟, asked again next time, with the later ones of its regular entry).
// 确定 carries the choices out; closing the window postpones every one.
class CatchUpWindow : public QDialog {
    Q_OBJECT
  public:
    CatchUpWindow(Household& household, CatchUpList list, QWidget* parent = nullptr);

    const CatchUpList& list() const { return list_; }
    // How many occurrences 确定 entered or skipped.
    int written() const { return written_; }

  private:
    void choose(DueOccurrence::State state);
    void apply();
    void showRow(int row);

    Household& household_;
    CatchUpList list_;
    QHash<qint64, QString> placeNames_;
    QTableWidget* grid_;
    QLabel* status_;
    int written_ = 0;
};

// The catch-up of the household: lists what is due from the day after each regular entry's last date
// done up to today (of the types the user holds the rights for), enters the occurrences that enter
// themselves, and shows the window when anything was due. The day of this computer's last catch-up is
// kept in the settings file (not in the database, so that a restored older file is recognised by it).
// True when anything was entered or skipped, so that the windows showing totals read them again.
bool RunCatchUp(Household& household, QWidget* parent);
