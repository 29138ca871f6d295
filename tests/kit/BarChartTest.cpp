#include "kit/BarChart.h"

#include <gtest/gtest.h>

#include <QChart>

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
