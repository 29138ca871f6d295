#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
struct Household;

// The password change of the logged-in user: the old password once, the new one twice.
class TForm17 : public QDialog {
    Q_OBJECT
  public:
    explicit TForm17(Household& household, QWidget* parent = nullptr);

  private:
    void BitBtn1Click();  // 确认

    Household& household_;
    QLineEdit* name_;         // Edit1, read-only
    QLineEdit* oldPassword_;  // Edit2
    QLineEdit* newPassword_;  // Edit3
    QLineEdit* confirm_;      // Edit4
};
