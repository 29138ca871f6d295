#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QToolButton;
struct Household;

// The login window: asks for a user ID and password and, on a match, fills the current user. It can be
// left only by a successful login (accepted) or by its exit button (rejected, and the program ends).
class TForm2 : public QDialog {
    Q_OBJECT
  public:
    explicit TForm2(Household& household, QWidget* parent = nullptr);

    // Whether the window was left by its exit button.
    bool exitChosen() const { return exitChosen_; }

    void SpeedButton1Click();  // one login attempt
    void SpeedButton2Click();  // exit

  public Q_SLOTS:
    void reject() override;  // Esc does not close the window

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    Household& household_;
    QLineEdit* edit1_;  // user ID
    QLineEdit* edit2_;  // password
    QLabel* label4_;    // first-start hint
    bool exitChosen_ = false;
    bool leaving_ = false;
};
