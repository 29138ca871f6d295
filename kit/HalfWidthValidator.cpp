#include "kit/HalfWidthValidator.h"

#include "data/TypedText.h"

HalfWidthValidator::HalfWidthValidator(QObject* parent) : QValidator(parent) {}

HalfWidthValidator::HalfWidthValidator(const QRegularExpression& allowed, QObject* parent)
    : QValidator(parent),
      allowed_(QRegularExpression::anchoredPattern(allowed.pattern()), allowed.patternOptions()) {}

QValidator::State HalfWidthValidator::validate(QString& input, int& pos) const {
    Q_UNUSED(pos);  // one character for one: the cursor stays where it is
    input = HalfWidthForms(input);
    if (!allowed_.pattern().isEmpty() && !allowed_.match(input).hasMatch())
        return Invalid;
    return Acceptable;
}
