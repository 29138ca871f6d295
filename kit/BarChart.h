#pragma once

#include "data/Money.h"

#include <QColor>
#include <QList>
#include <QRectF>
#include <QStringList>
#include <QWidget>

// A bar chart of amounts: one bar per label, each in its own colour, each marked with its value as
// "￥0.00" (or in short form), on a gradient background under a title, with a value axis on the left and the
// labels under the bars. Takes no mouse input; can be cleared and refilled. Filling it only stores the bars:
// the drawing is done when the chart is painted, so a chart of forty details costs no more to fill than one
// of two.
class BarChart : public QWidget {
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
    QString title() const { return title_; }
    // The texts of the value marks, in bar order.
    QStringList valueMarks() const { return marks_; }
    // The labels of the value axis, from the bottom up.
    QStringList axisLabels() const { return axisLabels_; }
    // The name of the chart's one series of bars (a child object found by that name).
    void setSeriesName(const QString& name);
    // Bars drawn side by side in groups of n (several series over one label): bars 0..n-1 share the first
    // slot and the label of the first of them, and so on. 1, the default, gives every bar its own slot.
    void setGroupSize(int n);
    int groupSize() const { return groupSize_; }
    // Short marks: large amounts in 万 ("￥1.25万"), the rest grouped ("￥9,999.99"), and no mark on a bar
    // of nothing (its mark text is empty). Off, the default, every bar carries "￥0.00".
    void setShortMarks(bool on);
    // Where the texts stood at the last painting, as the rectangles they cover: the value marks and the
    // bar labels, for checking that no two of them overlap.
    QList<QRectF> drawnTexts() const { return drawnTexts_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString title_;
    QObject* series_;
    QList<Bar> bars_;
    QStringList marks_;
    QList<QColor> colours_;
    QStringList axisLabels_;
    double bottom_ = 0;  // the value axis's range
    double top_ = 1;
    double step_ = 1;
    int groupSize_ = 1;
    bool shortMarks_ = false;
    QList<QRectF> drawnTexts_;
};
