#include "kit/BarChart.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace {

TEST(BarChart, MarksEachBarWithItsAmountAndClears) {
    BarChart chart(QStringLiteral("收支图"));
    chart.resize(400, 300);
    chart.setBars({{QStringLiteral("收入"), Money::fromUnits(125000), QColor()},
                   {QStringLiteral("支出"), Money::fromYuan(-3), QColor(Qt::red)}});
    EXPECT_EQ(chart.title(), QStringLiteral("收支图"));
    EXPECT_EQ(chart.valueMarks(), QStringList({"￥12.50", "-￥3.00"}));
    chart.show();
    chart.clear();
    EXPECT_TRUE(chart.valueMarks().isEmpty());
    EXPECT_TRUE(chart.bars().isEmpty());
}

}  // namespace

namespace {

bool hasPixel(const QImage& image, const QColor& colour) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == colour)
                return true;
        }
    }
    return false;
}

TEST(BarChart, DrawsEveryBarInItsOwnColourHoweverManyThereAre) {
    BarChart chart(QStringLiteral("支出项目详细图"));
    chart.resize(640, 360);
    chart.setSeriesName(QStringLiteral("BarSeries2"));
    EXPECT_NE(chart.findChild<QObject*>(QStringLiteral("BarSeries2")), nullptr);
    QList<BarChart::Bar> bars;
    for (int i = 0; i < 41; ++i)
        bars.append({QStringLiteral("项目%1").arg(i), Money::fromYuan(10 + i), QColor()});
    bars[3].color = QColor(0x12, 0x34, 0x56);
    bars[40].color = QColor(0x65, 0x43, 0x21);
    chart.setBars(bars);
    EXPECT_EQ(chart.valueMarks().size(), 41);
    EXPECT_EQ(chart.valueMarks()[40], QStringLiteral("￥50.00"));
    const QImage image = chart.grab().toImage();
    EXPECT_TRUE(hasPixel(image, QColor(0x12, 0x34, 0x56)));
    EXPECT_TRUE(hasPixel(image, QColor(0x65, 0x43, 0x21)));
    EXPECT_TRUE(hasPixel(image, QColor(0x2e, 0x8b, 0x57)));  // the palette's first colour, bar 0
    chart.clear();
    EXPECT_FALSE(hasPixel(chart.grab().toImage(), QColor(0x12, 0x34, 0x56)));
}

}  // namespace

namespace {

QList<double> axisValues(const BarChart& chart) {
    QList<double> values;
    for (const QString& label : chart.axisLabels())
        values.append(label.toDouble());
    return values;
}

// Round steps of 1, 2 or 5 times a power of ten, every label different, the top above every bar, and
// below zero only for a negative bar.
void expectRoundAxis(const BarChart& chart, const QList<double>& bars) {
    const QStringList labels = chart.axisLabels();
    ASSERT_GE(labels.size(), 3) << labels.join(' ').toStdString();
    EXPECT_EQ(QSet<QString>(labels.begin(), labels.end()).size(), labels.size())
        << labels.join(' ').toStdString();
    const QList<double> values = axisValues(chart);
    const double step = values[1] - values[0];
    const double power = std::pow(10.0, std::floor(std::log10(step)));
    const double mantissa = step / power;
    EXPECT_TRUE(std::abs(mantissa - 1) < 1e-9 || std::abs(mantissa - 2) < 1e-9 ||
                std::abs(mantissa - 5) < 1e-9)
        << labels.join(' ').toStdString();
    for (int i = 1; i < values.size(); ++i)
        EXPECT_NEAR(values[i] - values[i - 1], step, step * 1e-9) << labels.join(' ').toStdString();
    const double low = *std::min_element(bars.begin(), bars.end());
    const double high = *std::max_element(bars.begin(), bars.end());
    EXPECT_GE(values.last(), high);
    EXPECT_LE(values.first(), low);
    EXPECT_EQ(values.first() < 0, low < 0) << labels.join(' ').toStdString();
    EXPECT_TRUE(values.contains(0.0)) << labels.join(' ').toStdString();
}

TEST(BarChart, ValueAxisHasRoundStepsAndNoRepeatedLabels) {
    BarChart chart(QStringLiteral("收支图"));
    const QList<QList<double>> cases = {{0, 0},         {0.8, 0.3},        {3, 0},
                                        {4321.5, 1200}, {-3, 12.5},        {-250, -1},
                                        {0.01, 0},      {999999999.99, 0}, {-1000000000, 1000000000}};
    for (const QList<double>& values : cases) {
        QList<BarChart::Bar> bars;
        for (double v : values)
            bars.append({QStringLiteral("收入"), Money::fromUnits(qRound64(v * 10000)), QColor()});
        chart.setBars(bars);
        expectRoundAxis(chart, values);
    }
    chart.clear();
    expectRoundAxis(chart, {0});
    EXPECT_EQ(chart.axisLabels().first(), QStringLiteral("0"));
    chart.setBars({{QStringLiteral("收入"), Money::fromYuan(0), QColor()},
                   {QStringLiteral("支出"), Money::fromUnits(8000), QColor()}});
    EXPECT_EQ(chart.axisLabels().mid(0, 3), QStringList({"0", "0.2", "0.4"}));
    chart.setBars({{QStringLiteral("收入"), Money::fromYuan(4500), QColor()}});
    EXPECT_EQ(chart.axisLabels().mid(0, 3), QStringList({"0", "1000", "2000"}));
}

}  // namespace
