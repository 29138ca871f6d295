#include "kit/BarChart.h"

#include "kit/ChartFrame.h"

#include <QFontMetrics>
#include <QPainter>

#include <cmath>
#include <optional>

namespace {

constexpr double kBarWidth = 0.55;
// The share of a slot that a group of bars takes: wider than one bar's, so that two bars side by side
// leave room for an upright mark over each.
constexpr double kGroupWidth = 0.8;
// The smallest type that upright texts are shrunk to before they are left out.
constexpr int kSmallestPixels = 8;

// The font for texts standing upright side by side `pitch` pixels apart: the chart's own when its line
// fits, else a smaller one whose line does, none when even the smallest would not.
std::optional<QFont> uprightFont(const QFont& base, double pitch) {
    QFont font = base;
    int pixels = QFontMetrics(base).height();
    while (QFontMetrics(font).height() + 1 > pitch) {
        if (--pixels < kSmallestPixels)
            return std::nullopt;
        font.setPixelSize(pixels);
    }
    return font;
}

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

void BarChart::setShortMarks(bool on) {
    shortMarks_ = on;
    setBars(bars_);
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
        const Money value = bars_[i].value;
        marks_.append(!shortMarks_ ? value.format() : value.isZero() ? QString() : value.formatChartMark());
        colours_.append(bars_[i].color.isValid() ? bars_[i].color : ChartColour(i));
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
    drawnTexts_.clear();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int titleHeight = PaintChartFrame(p, *this, title_);

    p.setFont(font());
    const QFontMetrics fm(font());
    const QStringList& tickTexts = axisLabels_;
    int tickWidth = 0;
    for (const QString& text : tickTexts)
        tickWidth = std::max(tickWidth, fm.horizontalAdvance(text));
    int widestMark = 0;
    int widestLabel = 0;
    for (qsizetype i = 0; i < bars_.size(); ++i) {
        widestMark = std::max(widestMark, fm.horizontalAdvance(marks_[i]));
        widestLabel = std::max(widestLabel, fm.horizontalAdvance(bars_[i].label));
    }
    // Slots of the groups across the plot, the bars in them, and the least distance between the centres of
    // two neighbouring bars, where their marks stand.
    const double fullWidth = width() - tickWidth - 32;
    const qsizetype groups = std::max<qsizetype>(1, (bars_.size() + groupSize_ - 1) / groupSize_);
    const double slot = fullWidth / double(groups);
    const double barWidth = groupSize_ > 1 ? slot * kGroupWidth / groupSize_ : slot * kBarWidth;
    const double markPitch = groupSize_ > 1 ? std::min(barWidth, slot - (groupSize_ - 1) * barWidth) : slot;
    // When the marks are wider than the room between bars, marks and labels stand upright, with room
    // reserved above the bars and under the axis, so that many bars do not print over each other. Upright
    // texts closer than a line's height take a smaller type, and are left out where even that would touch.
    const bool upright = !bars_.isEmpty() && widestMark + 4 > markPitch;
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

    const std::optional<QFont> markFont = upright ? uprightFont(font(), markPitch) : std::optional(font());
    const std::optional<QFont> labelFont = upright ? uprightFont(font(), slot) : std::optional(font());
    // Draws a text turned a quarter turn, running upwards from (centre, foot), and notes where it stands.
    const auto drawUpright = [&](const QFont& f, double centre, double foot, const QString& text) {
        const QFontMetricsF m(f);
        const double x = centre + m.ascent() / 2.0 - m.descent();
        p.save();
        p.setFont(f);
        p.translate(x, foot);
        p.rotate(-90);
        p.drawText(QPointF(0, 0), text);
        p.restore();
        drawnTexts_.append(
            QRectF(x - m.ascent(), foot - m.horizontalAdvance(text), m.height(), m.horizontalAdvance(text)));
    };
    const auto drawLevel = [&](const QRectF& box, const QString& text) {
        p.drawText(box, Qt::AlignHCenter | Qt::AlignTop, text);
        const double w = fm.horizontalAdvance(text);
        drawnTexts_.append(QRectF(box.center().x() - w / 2, box.top(), w, fm.height()));
    };

    // The bars, their labels underneath and their value marks.
    // A group of bars shares one slot and one label; each bar takes its part of the slot's bar width.
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
        if (upright) {
            if (labelled && groupSize_ > 1 && fm.horizontalAdvance(bars_[i].label) + 4 <= slot) {
                // A group's slot is wide enough for its label to stand level under it.
                drawLevel(QRectF(groupCentre - slot / 2, plot.bottom() + 4, slot, fm.height()),
                          bars_[i].label);
            } else if (labelled && labelFont) {
                const QString label =
                    QFontMetrics(*labelFont).elidedText(bars_[i].label, Qt::ElideRight, labelRoom - 6);
                drawUpright(*labelFont, groupCentre,
                            plot.bottom() + 4 + QFontMetrics(*labelFont).horizontalAdvance(label), label);
            }
            if (markFont && !marks_[i].isEmpty()) {
                p.setPen(QColor(0x20, 0x20, 0x20));
                const int markWidth = QFontMetrics(*markFont).horizontalAdvance(marks_[i]);
                drawUpright(*markFont, centre, v >= 0 ? bar.top() - 2 : bar.bottom() + 2 + markWidth,
                            marks_[i]);
            }
            continue;
        }
        if (labelled) {
            drawLevel(QRectF(groupCentre - slot / 2, plot.bottom() + 4, slot, fm.height()),
                      fm.elidedText(bars_[i].label, Qt::ElideRight, int(slot)));
        }
        if (marks_[i].isEmpty())
            continue;
        p.setPen(QColor(0x20, 0x20, 0x20));
        const int markWidth = fm.horizontalAdvance(marks_[i]);
        const double markTop = v >= 0 ? bar.top() - fm.height() - 2 : bar.bottom() + 2;
        p.drawText(QRectF(centre - markWidth / 2.0 - 1, markTop, markWidth + 2, fm.height()), Qt::AlignCenter,
                   marks_[i]);
        drawnTexts_.append(QRectF(centre - markWidth / 2.0, markTop, markWidth, fm.height()));
    }
}
