#include "ledger/AmountEdit.h"

#include "data/TypedText.h"
#include "kit/HalfWidthValidator.h"

#include <QApplication>
#include <QKeyEvent>

AmountEdit::AmountEdit(QWidget* parent) : QLineEdit(parent) {
    setValidator(new HalfWidthValidator(QRegularExpression(QStringLiteral("[0-9+\\-.]*")), this));
}

bool AmountEdit::acceptsCharacter(QChar typed) {
    const QChar c = HalfWidthForms(QString(typed)).at(0);
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('+') ||
           c == QLatin1Char('-') || c == QLatin1Char('.');
}

void AmountEdit::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    const bool typed = !text.isEmpty() && text.at(0).isPrint() &&
                       !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (typed && !isReadOnly()) {
        for (QChar c : text) {
            if (!acceptsCharacter(c)) {
                QApplication::beep();
                event->accept();
                return;
            }
        }
    }
    QLineEdit::keyPressEvent(event);
}
