#pragma once

#include "data/Money.h"

#include <QChartView>
#include <QColor>
#include <QList>

class QGraphicsSimpleTextItem;
class QBarCategoryAxis;
class QStackedBarSeries;
class QValueAxis;

// A bar chart of amounts: one bar per label, each in its own colour, each marked with its value as
// "￥0.00" (drawn by the chart itself, since the chart library would print 12.5 for 12.50). Takes no
// mouse input; can be cleared and refilled.
class BarChart : public QChartView {
    Q_OBJECT
  public:
    struct Bar {
        QString label;
        Money value;
        QColor color;  // invalid: the next colour of the chart's palette
    };

    explicit BarChart(const QString& title, QWidget* parent = nullptr);

    void setBars(const QList<Bar>& bars);
    void clear();
    const QList<Bar>& bars() const { return bars_; }
    QString title() const;
    // The texts of the value marks, in bar order.
    QStringList valueMarks() const;

  private:
    void placeMarks();

    QList<Bar> bars_;
    QStackedBarSeries* series_;
    QBarCategoryAxis* categories_;
    QValueAxis* values_;
    QList<QGraphicsSimpleTextItem*> marks_;
};
