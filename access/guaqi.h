#pragma once

#include <QDialog>

class QLineEdit;
struct Household;

// The lock: stays up, without caption buttons and deaf to Esc and Alt+F4, until the current user's
// password is typed. Whoever opens it hides the work area first and shows it again when it closes.
class TForm3 : public QDialog {
    Q_OBJECT
  public:
    explicit TForm3(Household& household, QWidget* parent = nullptr);

    // Only the right password closes the lock.
    void reject() override {}

  private:
    void SpeedButton1Click();  // 解锁, and Enter in the box

    Household& household_;
    QLineEdit* password_;  // Edit1
};
