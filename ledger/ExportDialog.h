#pragma once

#include <QDate>
#include <QDialog>

class QDateEdit;
class QLineEdit;
class QPushButton;
class QRadioButton;
struct Household;

// "导出收支明细": writes the income and expense entries, or the deposits and withdrawals, of a period to
// a CSV file. Opens on the period the summary shows; the file is chosen through the file chooser or
// typed; an existing file is replaced only after a question.
class ExportDialog : public QDialog {
    Q_OBJECT
  public:
    ExportDialog(Household& household, const QDate& first, const QDate& last, QWidget* parent = nullptr);

  private:
    void browse();
    void exportNow();
    QString suggestedPath() const;

    Household& household_;
    QDateEdit* from_;
    QDateEdit* to_;
    QRadioButton* entries_;
    QRadioButton* transactions_;
    QLineEdit* path_;
    QPushButton* browse_;
    QPushButton* ok_;
    QPushButton* cancel_;
};
