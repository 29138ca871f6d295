#pragma once

#include <QRegularExpression>
#include <QValidator>

// Lets a line edit take full-width digits and signs as their plain forms, whichever way they arrive:
// typed keys, text committed by an input method, pasted text. When a pattern is given, text that does
// not match it after the change is refused as a whole (a typed or pasted piece does not go in).
class HalfWidthValidator : public QValidator {
    Q_OBJECT
  public:
    explicit HalfWidthValidator(QObject* parent = nullptr);
    HalfWidthValidator(const QRegularExpression& allowed, QObject* parent);

    State validate(QString& input, int& pos) const override;

  private:
    QRegularExpression allowed_;
};
