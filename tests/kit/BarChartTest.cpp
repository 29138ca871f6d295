#include "kit/BarChart.h"

#include <gtest/gtest.h>

#include <QImage>

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
