#include "kit/BarChart.h"
#include "kit/DataGrid.h"
#include "kit/StyleEngine.h"
#include "ledger/EntryPanel.h"
#include "ledger/SummaryPanel.h"
#include "support/FindChild.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QTest>

namespace {

// The entry lists show 金额 centred in bold red, whole up to the largest amount one entry may hold.
TEST(LedgerLook, EntryGridsShowEveryAmountWholeCentredInBoldRed) {
    for (const EntryPanelConfig* config : {&EntryPanelConfig::income(), &EntryPanelConfig::expense()}) {
        TestHousehold th;
        ScriptedPrompt prompt;
        const QString type =
            config == &EntryPanelConfig::income() ? QStringLiteral("shouru") : QStringLiteral("zhichu");
        th.exec(QStringLiteral("insert into shouzhibiao (leixing,mingxi,feiyong,shururiqi,dengjiren) values "
                               "('%1','工资',10000000000000,'2007-01-15','甲'), "
                               "('%1','退款',-10000000000000,'2007-01-15','甲')")
                    .arg(type));
        EntryPanel panel(th.household, *config);
        panel.resize(900, 520);
        panel.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
        panel.broughtToFront();
        auto* grid = panel.findChild<DataGrid*>();
        ASSERT_NE(grid, nullptr);
        ASSERT_EQ(grid->model()->rowCount(), 2);
        const QModelIndex amount = grid->model()->index(0, 1);
        EXPECT_EQ(grid->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("金额"));
        // The panel's own red, readable on its white.
        EXPECT_EQ(amount.data(Qt::ForegroundRole).value<QColor>(),
                  StyleEngine::toneOf(StyleEngine::Tone::Expense, StyleEngine::kOwnBackground));
        EXPECT_TRUE(amount.data(Qt::FontRole).value<QFont>().bold());
        EXPECT_TRUE(amount.data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHCenter);
        QFont bold = grid->font();
        bold.setBold(true);
        for (int row = 0; row < 2; ++row) {
            const QString text = grid->cellText(row, 1);
            EXPECT_TRUE(text.contains(QStringLiteral("￥1000000000.00"))) << text.toStdString();
            // The cell's text and the margins the grid draws on each side of it.
            EXPECT_GE(grid->columnWidth(1), QFontMetrics(bold).horizontalAdvance(text) + 8)
                << text.toStdString();
        }
    }
}

TEST(LedgerLook, ChartSeriesCarryTheirNames) {
    TestHousehold th;
    ScriptedPrompt prompt;
    SummaryPanel panel(th.household);
    const char* const charts[] = {"Chart1", "Chart2", "Chart3"};
    const char* const series[] = {"Series1", "BarSeries1", "BarSeries2"};
    for (int i = 0; i < 3; ++i) {
        auto* chart = child<BarChart>(&panel, charts[i]);
        ASSERT_NE(chart, nullptr);
        EXPECT_NE(chart->findChild<QObject*>(QString::fromLatin1(series[i])), nullptr) << series[i];
    }
}

}  // namespace
