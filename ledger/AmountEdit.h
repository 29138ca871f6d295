#pragma once

#include <QLineEdit>

// The amount box: takes digits, "+", "-" and the decimal separator, and refuses any other typed
// character with a beep. Pasted text with other characters is refused as a whole. Full-width digits and
// signs ("１２３．５", "－", "＋") are taken as their plain forms, typed, committed or pasted.
class AmountEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit AmountEdit(QWidget* parent = nullptr);

    static bool acceptsCharacter(QChar c);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};
