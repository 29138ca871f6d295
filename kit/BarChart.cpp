#include "kit/BarChart.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QGraphicsSimpleTextItem>
#include <QLinearGradient>
#include <QStackedBarSeries>
#include <QValueAxis>

#include <cmath>

namespace {

const QColor kPalette[] = {QColor(0x2e, 0x8b, 0x57), QColor(0xd9, 0x4f, 0x3d), QColor(0x3a, 0x6e, 0xc8),
                           QColor(0xe0, 0x9b, 0x22), QColor(0x8e, 0x44, 0xad), QColor(0x16, 0xa0, 0x85),
                           QColor(0xc0, 0x39, 0x6b), QColor(0x7f, 0x8c, 0x2d), QColor(0x5d, 0x6d, 0x7e),
                           QColor(0xb0, 0x6a, 0x2c)};

// A round upper bound for the value axis, so the marks above the bars stay inside the plot.
double niceCeiling(double v) {
    if (v <= 0)
        return 0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(v)));
    for (double step : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (v <= step * magnitude)
            return step * magnitude;
    }
    return 10 * magnitude;
}

}  // namespace

BarChart::BarChart(const QString& title, QWidget* parent)
    : QChartView(parent),
      series_(new QStackedBarSeries),
      categories_(new QBarCategoryAxis),
      values_(new QValueAxis) {
    auto* c = new QChart;
    c->setTitle(title);
    QFont titleFont = c->titleFont();
    titleFont.setPointSize(titleFont.pointSize() + 2);
    titleFont.setBold(true);
    c->setTitleFont(titleFont);
    c->legend()->hide();
    QLinearGradient background(0, 0, 0, 1);
    background.setCoordinateMode(QGradient::ObjectBoundingMode);
    background.setColorAt(0, QColor(0xfd, 0xfd, 0xff));
    background.setColorAt(1, QColor(0xdc, 0xe6, 0xf2));
    c->setBackgroundBrush(background);
    c->addSeries(series_);
    c->addAxis(categories_, Qt::AlignBottom);
    c->addAxis(values_, Qt::AlignLeft);
    series_->attachAxis(categories_);
    series_->attachAxis(values_);
    series_->setBarWidth(0.55);
    values_->setLabelFormat(QStringLiteral("%.0f"));
    setChart(c);
    setRenderHint(QPainter::Antialiasing);
    setInteractive(false);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(c, &QChart::plotAreaChanged, this, [this] { placeMarks(); });
}

QString BarChart::title() const {
    return chart()->title();
}

void BarChart::clear() {
    setBars({});
}

void BarChart::setBars(const QList<Bar>& bars) {
    bars_ = bars;
    series_->clear();
    categories_->clear();
    for (QGraphicsSimpleTextItem* mark : marks_)
        delete mark;
    marks_.clear();

    QStringList labels;
    double low = 0;
    double high = 0;
    for (qsizetype i = 0; i < bars_.size(); ++i) {
        // Each bar is its own set, with a value in its own category only, so each has its own colour.
        auto* set = new QBarSet(bars_[i].label);
        for (qsizetype j = 0; j < bars_.size(); ++j)
            *set << (i == j ? bars_[i].value.toYuan() : 0.0);
        const QColor colour = bars_[i].color.isValid() ? bars_[i].color : kPalette[i % std::size(kPalette)];
        set->setColor(colour);
        set->setBorderColor(colour.darker(130));
        series_->append(set);
        labels.append(bars_[i].label);
        low = std::min(low, bars_[i].value.toYuan());
        high = std::max(high, bars_[i].value.toYuan());

        auto* mark = new QGraphicsSimpleTextItem(bars_[i].value.format(), chart());
        mark->setBrush(QColor(0x20, 0x20, 0x20));
        marks_.append(mark);
    }
    categories_->append(labels);
    // A round range with room for the marks; an empty or all-zero chart still gets a readable scale.
    double top = niceCeiling(high * (bars_.size() > 6 ? 1.4 : 1.15));
    double bottom = low < 0 ? -niceCeiling(-low * 1.15) : 0;
    if (top <= 0 && bottom >= 0)
        top = 100;
    values_->setRange(bottom, top);
    values_->setTickCount(bottom < 0 ? 9 : 5);
    values_->setLabelFormat(std::max(top, -bottom) >= 100 ? QStringLiteral("%.0f") : QStringLiteral("%.2f"));
    placeMarks();
}

QStringList BarChart::valueMarks() const {
    QStringList texts;
    for (const QGraphicsSimpleTextItem* mark : marks_)
        texts.append(mark->text());
    return texts;
}

void BarChart::placeMarks() {
    if (marks_.isEmpty())
        return;
    // When the marks are wider than a bar's share of the plot, they stand upright above their bars,
    // and the category labels are turned too, so that nothing overlaps.
    const double share = chart()->plotArea().width() / double(marks_.size());
    double widest = 0;
    for (const QGraphicsSimpleTextItem* mark : marks_)
        widest = std::max(widest, mark->boundingRect().width());
    const bool upright = widest + 4 > share;
    categories_->setLabelsAngle(upright ? -60 : 0);
    for (qsizetype i = 0; i < marks_.size(); ++i) {
        const double v = bars_[i].value.toYuan();
        const QPointF top = chart()->mapToPosition(QPointF(double(i), v), series_);
        const QRectF box = marks_[i]->boundingRect();
        marks_[i]->setRotation(upright ? -90 : 0);
        if (upright) {
            // Rotated about its origin, the text runs upwards from (x, y) with its height to the right.
            const double y = v >= 0 ? top.y() - 2 : top.y() + box.width() + 2;
            marks_[i]->setPos(top.x() - box.height() / 2, y);
        } else {
            const double y = v >= 0 ? top.y() - box.height() - 2 : top.y() + 2;
            marks_[i]->setPos(top.x() - box.width() / 2, y);
        }
    }
}
