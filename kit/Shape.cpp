#include "kit/Shape.h"

#include <QPainter>
#include <QPen>

Shape::Shape(Kind kind, QColor pen, Qt::PenStyle penStyle, QColor brush, QWidget* parent)
    : QWidget(parent), kind_(kind), pen_(pen), penStyle_(penStyle), brush_(brush) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Shape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(pen_, 2, penStyle_);
    painter.setPen(penStyle_ == Qt::NoPen ? QPen(Qt::NoPen) : pen);
    painter.setBrush(brush_.isValid() ? QBrush(brush_) : QBrush(Qt::NoBrush));
    const QRectF r = QRectF(rect()).adjusted(1, 1, -1, -1);
    if (kind_ == Kind::RoundRect) {
        painter.drawRoundedRect(r, 10, 10);
    } else {
        painter.drawRect(r);
    }
}
