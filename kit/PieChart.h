#pragma once

#include "data/Money.h"

#include <QColor>
#include <QList>
#include <QRectF>
#include <QStringList>
#include <QWidget>

// A ring chart of amounts: one slice per part, each in its own colour, with a legend of each part's name,
// amount and share of the whole, and the whole in the ring's middle. A chart without parts shows a short
// note instead of an empty ring. Takes no mouse input; filling it only stores the parts.
class PieChart : public QWidget {
    Q_OBJECT
  public:
    struct Slice {
        QString label;
        Money value;   // above zero
        QColor color;  // invalid: the next colour of the charts' palette
    };

    explicit PieChart(const QString& title, QWidget* parent = nullptr);

    void setSlices(const QList<Slice>& slices);
    void clear() { setSlices({}); }
    const QList<Slice>& slices() const { return slices_; }
    // The note shown when there are no parts.
    void setEmptyNote(const QString& note);
    QString emptyNote() const { return emptyNote_; }
    // The legend's lines in slice order: name, amount and share ("餐饮 ￥1,234.00 35.2%").
    QStringList legend() const;
    // Each part's share of the whole in tenths of a per cent, rounded half up.
    QList<int> sharesInTenths() const { return shares_; }
    // Where the texts stood at the last painting, for checking that none covers another.
    QList<QRectF> drawnTexts() const { return drawnTexts_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString title_;
    QString emptyNote_;
    QList<Slice> slices_;
    QList<QColor> colours_;
    QList<int> shares_;
    Money whole_;
    QList<QRectF> drawnTexts_;
};
