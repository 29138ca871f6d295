#include "kit/BarChart.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>

#include <cmath>

namespace {

const QColor kPalette[] = {QColor(0x2e, 0x8b, 0x57), QColor(0xd9, 0x4f, 0x3d), QColor(0x3a, 0x6e, 0xc8),
                           QColor(0xe0, 0x9b, 0x22), QColor(0x8e, 0x44, 0xad), QColor(0x16, 0xa0, 0x85),
                           QColor(0xc0, 0x39, 0x6b), QColor(0x7f, 0x8c, 0x2d), QColor(0x5d, 0x6d, 0x7e),
                           QColor(0xb0, 0x6a, 0x2c)};

constexpr double kBarWidth = 0.55;

// The step of the value axis: 1, 2 or 5 times a power of ten, giving about five intervals for the span
// (with room for the marks above the bars).
double roundStep(double span) {
    const double rough = span / 5;
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    for (double mantissa : {1.0, 2.0, 5.0}) {
        if (rough <= mantissa * magnitude * (1 + 1e-9))
            return mantissa * magnitude;
    }
    return 10 * magnitude;
}

}  // namespace

BarChart::BarChart(const QString& title, QWidget* parent)
    : QWidget(parent), title_(title), series_(new QObject(this)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(120, 90);
    clear();  // the empty chart's scale
}

void BarChart::setSeriesName(const QString& name) {
    series_->setObjectName(name);
}

void BarChart::setGroupSize(int n) {
    groupSize_ = std::max(1, n);
    update();
}

void BarChart::clear() {
    setBars({});
}

void BarChart::setBars(const QList<Bar>& bars) {
    bars_ = bars;
    marks_.clear();
    colours_.clear();
    double low = 0;
    double high = 0;
    for (qsizetype i = 0; i < bars_.size(); ++i) {
        marks_.append(bars_[i].value.format());
        colours_.append(bars_[i].color.isValid() ? bars_[i].color : kPalette[i % std::size(kPalette)]);
        low = std::min(low, bars_[i].value.toYuan());
        high = std::max(high, bars_[i].value.toYuan());
    }
    // Round steps from zero, the top above the highest bar, below zero only for a negative bar. An empty
    // or all-zero chart still gets a readable scale.
    const double headroom = 1.1;
    const double span = (high - low) * headroom;
    // A cent is the finest step an amount needs.
    step_ = span > 0 ? std::max(roundStep(span), 0.01) : 20;
    const qint64 topSteps = high > 0 ? qint64(std::ceil(high * headroom / step_ - 1e-9)) : 0;
    const qint64 bottomSteps = low < 0 ? qint64(std::ceil(-low * headroom / step_ - 1e-9)) : 0;
    top_ = span > 0 ? double(topSteps) * step_ : 100;
    bottom_ = -double(bottomSteps) * step_;
    // As many decimals as the step needs and no trailing zeros ("0", "0.5", "1"), so no two labels read
    // alike.
    const int decimals = std::max(0, int(-std::floor(std::log10(step_) + 1e-9)));
    axisLabels_.clear();
    for (qint64 k = -bottomSteps; double(k) * step_ <= top_ + step_ / 2; ++k) {
        QString label = QString::number(double(k) * step_, 'f', decimals);
        if (decimals > 0) {
            while (label.endsWith(QLatin1Char('0')))
                label.chop(1);
            if (label.endsWith(QLatin1Char('.')))
                label.chop(1);
        }
        axisLabels_.append(label == QStringLiteral("-0") ? QStringLiteral("0") : label);
    }
    update();
}

void BarChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, height());
    background.setColorAt(0, QColor(0xfd, 0xfd, 0xff));
    background.setColorAt(1, QColor(0xdc, 0xe6, 0xf2));
    p.fillRect(rect(), background);

    QFont titleFont = font();
    titleFont.setPointSize(titleFont.pointSize() + 2);
    titleFont.setBold(true);
    p.setFont(titleFont);
    p.setPen(QColor(0x20, 0x20, 0x20));
    const int titleHeight = QFontMetrics(titleFont).height() + 10;
    p.drawText(QRect(0, 4, width(), titleHeight), Qt::AlignHCenter | Qt::AlignTop, title_);

    p.setFont(font());
    const QFontMetrics fm(font());
    const QStringList& tickTexts = axisLabels_;
    int tickWidth = 0;
    for (const QString& text : tickTexts)
        tickWidth = std::max(tickWidth, fm.horizontalAdvance(text));
    // When the marks are wider than a bar's share of the width, marks and labels stand upright, with room
    // reserved above the bars and under the axis, so that many bars do not print over each other.
    int widestMark = 0;
    int widestLabel = 0;
    for (qsizetype i = 0; i < bars_.size(); ++i) {
        widestMark = std::max(widestMark, fm.horizontalAdvance(marks_[i]));
        widestLabel = std::max(widestLabel, fm.horizontalAdvance(bars_[i].label));
    }
    const double fullWidth = width() - tickWidth - 32;
    const bool upright = !bars_.isEmpty() && widestMark + 4 > fullWidth / double(bars_.size());
    const int labelRoom = upright ? std::min(widestLabel, 80) + 6 : fm.height();
    const int markRoom = upright ? widestMark + 4 : 0;
    const QRectF plot(tickWidth + 16, titleHeight + fm.height() / 2 + markRoom, fullWidth,
                      height() - titleHeight - fm.height() / 2 - markRoom - labelRoom - 14);
    if (plot.width() <= 0 || plot.height() <= 0)
        return;
    const auto yOf = [&](double v) {
        return plot.bottom() - (v - bottom_) / (top_ - bottom_) * plot.height();
    };

    // The value axis and its grid.
    for (qsizetype t = 0; t < tickTexts.size(); ++t) {
        const double y = yOf(bottom_ + double(t) * step_);
        p.setPen(QPen(QColor(0xc8, 0xd0, 0xdc), 1));
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        p.setPen(QColor(0x30, 0x30, 0x30));
        p.drawText(QRectF(0, y - fm.height() / 2.0, tickWidth + 10, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, tickTexts[t]);
    }
    p.setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
    p.drawLine(plot.topLeft(), plot.bottomLeft());
    p.drawLine(QPointF(plot.left(), plot.bottom()), plot.bottomRight());
    if (bars_.isEmpty())
        return;

    // The bars, their labels underneath and their value marks.
    // A group of bars shares one slot and one label; each bar takes its part of the slot's bar width.
    const qsizetype groups = (bars_.size() + groupSize_ - 1) / groupSize_;
    const double slot = plot.width() / double(groups);
    const double barWidth = slot * kBarWidth / groupSize_;
    const double zero = yOf(0);
    for (qsizetype i = 0; i < bars_.size(); ++i) {
        const double v = bars_[i].value.toYuan();
        const double groupCentre = plot.left() + (double(i / groupSize_) + 0.5) * slot;
        const double centre = groupCentre + (double(i % groupSize_) - (groupSize_ - 1) / 2.0) * barWidth;
        const QRectF bar =
            QRectF(QPointF(centre - barWidth / 2, yOf(v)), QPointF(centre + barWidth / 2, zero)).normalized();
        const bool labelled = i % groupSize_ == 0;
        p.setPen(QPen(colours_[i].darker(130), 1));
        p.setBrush(colours_[i]);
        p.drawRect(bar);

        p.setPen(QColor(0x30, 0x30, 0x30));
        const int markWidth = fm.horizontalAdvance(marks_[i]);
        if (upright) {
            // Rotated a quarter turn, text runs upwards from the anchor point.
            const QString label = fm.elidedText(bars_[i].label, Qt::ElideRight, labelRoom - 6);
            const int labelWidth = fm.horizontalAdvance(label);
            if (labelled && groupSize_ > 1 && fm.horizontalAdvance(bars_[i].label) + 4 <= slot) {
                // A group's slot is wide enough for its label to stand level under it.
                p.drawText(QRectF(groupCentre - slot / 2, plot.bottom() + 4, slot, fm.height()),
                           Qt::AlignHCenter | Qt::AlignTop, bars_[i].label);
            } else if (labelled) {
                p.save();
                p.translate(groupCentre + fm.ascent() / 2.0 - fm.descent(), plot.bottom() + 4 + labelWidth);
                p.rotate(-90);
                p.drawText(QPointF(0, 0), label);
                p.restore();
            }
            p.setPen(QColor(0x20, 0x20, 0x20));
            p.save();
            const double anchor = v >= 0 ? bar.top() - 2 : bar.bottom() + 2 + markWidth;
            p.translate(centre + fm.ascent() / 2.0 - fm.descent(), anchor);
            p.rotate(-90);
            p.drawText(QPointF(0, 0), marks_[i]);
            p.restore();
            continue;
        }
        const QString label = fm.elidedText(bars_[i].label, Qt::ElideRight, int(slot));
        if (labelled) {
            p.drawText(QRectF(groupCentre - slot / 2, plot.bottom() + 4, slot, fm.height()),
                       Qt::AlignHCenter | Qt::AlignTop, label);
        }
        p.setPen(QColor(0x20, 0x20, 0x20));
        const double markTop = v >= 0 ? bar.top() - fm.height() - 2 : bar.bottom() + 2;
        p.drawText(QRectF(centre - markWidth / 2.0 - 1, markTop, markWidth + 2, fm.height()), Qt::AlignCenter,
                   marks_[i]);
    }
}
