#pragma once

#include <QColor>
#include <QString>

class QPainter;
class QWidget;

// What the program's charts share: the gradient background with the title on it, and the palette the
// bars and slices take their colours from when they are given none.

// Paints the background and the title over the whole widget; returns the height the title takes.
int PaintChartFrame(QPainter& painter, const QWidget& chart, const QString& title);
// The i-th colour of the palette, repeating after the last.
QColor ChartColour(qsizetype i);
// The colour of the chart's background near its middle, for what is drawn over it to blend in.
QColor ChartBackgroundMiddle();
