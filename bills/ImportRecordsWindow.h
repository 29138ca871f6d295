#pragma once

#include "bills/ImportHistory.h"

#include <QDialog>
#include <QList>

class QLabel;
class QPushButton;
class QTableWidget;
struct Household;

// "导入记录": every bill import, the newest first, with when, the file, its layout, the lines added, who
// imported it and whether it was undone. 撤销这次导入 asks first, naming the file and the lines, and
// needs both 收入管理 and 支出管理 (importing needed both); the list is read again afterwards.
class ImportRecordsWindow : public QDialog {
    Q_OBJECT
  public:
    explicit ImportRecordsWindow(Household& household, QWidget* parent = nullptr);

    // Reads the imports again into the list.
    void reload();

  private:
    void undoChosen();
    void updateButtons();

    Household& household_;
    QList<ImportRecord> records_;
    QTableWidget* grid_;
    QLabel* status_;
    QPushButton* undo_;
    QPushButton* close_;
};
