#include "data/DateText.h"
#include "kit/BarChart.h"
#include "kit/PieChart.h"
#include "kit/StyleEngine.h"
#include "ledger/SummaryPanel.h"
#include "support/PickDate.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

namespace {

class SummaryPanelTest : public ::testing::Test {
  protected:
    SummaryPanelTest() {
        // Today is 2007-01-15.
        add("shouru", "工资", 3000, "2007-01-01");
        add("shouru", "奖金", 500, "2007-01-15");
        add("zhichu", "房租", 1200, "2007-01-10");
        add("zhichu", "午饭", 20, "2007-01-14");
        add("zhichu", "午饭", 25, "2007-01-14");
        add("shouru", "年终", 8000, "2006-12-31");
        add("zhichu", "礼物", 300, "2006-12-24");
        panel.resize(700, 460);
        panel.show();
        panel.SetMonthToDate();
        panel.ComputePeriodTotals();
    }
    void add(const char* type, const char* detail, qint64 yuan, const char* date) {
        th.exec(QStringLiteral(
                    "insert into shouzhibiao (leixing,mingxi,feiyong,shururiqi) values ('%1','%2',%3,'%4')")
                    .arg(QString::fromLatin1(type), QString::fromUtf8(detail))
                    .arg(yuan * Money::kUnitsPerYuan)
                    .arg(QString::fromLatin1(date)));
    }
    template <typename T>
    T* find(const char* name) {
        T* w = panel.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString text(const char* label) { return find<QLabel>(label)->text(); }
    // "label=mark" of every bar of a chart.
    QStringList bars(const char* chart) {
        BarChart* c = find<BarChart>(chart);
        QStringList shown;
        const QStringList marks = c->valueMarks();
        for (int i = 0; i < c->bars().size(); ++i)
            shown.append(c->bars()[i].label + QLatin1Char('=') + marks.value(i));
        return shown;
    }
    void choose(const char* radio) { QTest::mouseClick(find<QRadioButton>(radio), Qt::LeftButton); }
    QString visibleChart() {
        QString v;
        for (const char* p : {"Panel9", "Panel10", "Panel11"})
            v += find<QWidget>(p)->isVisibleTo(&panel) ? QLatin1Char('1') : QLatin1Char('0');
        return v;
    }

    TestHousehold th;
    ScriptedPrompt prompt;
    SummaryPanel panel{th.household};
};

TEST_F(SummaryPanelTest, StartsOnThisMonthWithBothBars) {
    EXPECT_EQ(text("Label1"), QStringLiteral("本月帐务信息"));
    EXPECT_EQ(text("Label2"), QStringLiteral("2007-1-01"));
    EXPECT_EQ(text("Label3"), QStringLiteral("2007-01-15"));
    EXPECT_EQ(text("Label6"), QStringLiteral("￥3500.00"));
    EXPECT_EQ(text("Label7"), QStringLiteral("￥1245.00"));
    EXPECT_TRUE(find<QRadioButton>("RadioButton3")->isChecked());
    EXPECT_EQ(bars("Chart1"), QStringList({"收入=￥3500.00", "支出=￥1245.00"}));
    const QList<BarChart::Bar>& b = find<BarChart>("Chart1")->bars();
    EXPECT_EQ(b[0].color, QColor(0x00, 0x80, 0x00));
    EXPECT_EQ(b[1].color, QColor(0xff, 0x00, 0x00));
    EXPECT_EQ(find<BarChart>("Chart1")->title(), QStringLiteral("收支图"));
    EXPECT_EQ(visibleChart(), QStringLiteral("100"));
}

TEST_F(SummaryPanelTest, PeriodChoicesSetLabelsHeadingAndTotals) {
    choose("RadioButton4");  // 上月
    EXPECT_EQ(text("Label2") + QLatin1Char('~') + text("Label3"), QStringLiteral("2006-12-01~2006-12-31"));
    EXPECT_EQ(text("Label1"), QStringLiteral("上月帐务信息"));
    EXPECT_EQ(text("Label6") + text("Label7"), QStringLiteral("￥8000.00￥300.00"));

    choose("RadioButton2");  // 昨日: only expense
    EXPECT_EQ(text("Label2") + QLatin1Char('~') + text("Label3"), QStringLiteral("2007-01-14~2007-01-14"));
    EXPECT_EQ(bars("Chart1"), QStringList({"收入=￥0.00", "支出=￥45.00"}));

    choose("RadioButton1");  // 本日: the last day counts
    EXPECT_EQ(text("Label6") + text("Label7"), QStringLiteral("￥500.00￥0.00"));
    EXPECT_EQ(text("Label1"), QStringLiteral("今日帐务信息"));

    choose("RadioButton6");  // 去年
    EXPECT_EQ(text("Label2") + QLatin1Char('~') + text("Label3"), QStringLiteral("2006-01-01~2006-12-31"));
    EXPECT_EQ(text("Label6"), QStringLiteral("￥8000.00"));

    choose("RadioButton5");  // 本年
    EXPECT_EQ(text("Label2") + QLatin1Char('~') + text("Label3"), QStringLiteral("2007-01-01~2007-01-15"));
    EXPECT_EQ(text("Label1"), QStringLiteral("本年帐务信息"));
}

TEST_F(SummaryPanelTest, AnyAndTheCalendarButtons) {
    choose("RadioButton7");  // 任意: today twice, totals left as they were
    EXPECT_EQ(text("Label2") + QLatin1Char('~') + text("Label3"), QStringLiteral("2007-01-15~2007-01-15"));
    EXPECT_EQ(text("Label1"), QStringLiteral("帐务信息"));
    EXPECT_EQ(text("Label6"), QStringLiteral("￥3500.00"));

    choose("RadioButton3");
    PickOnCalendar(find<QDateEdit>("DateTimePicker1"), QDate(2006, 12, 1));
    EXPECT_TRUE(find<QRadioButton>("RadioButton7")->isChecked());
    EXPECT_EQ(text("Label2") + QLatin1Char('~') + text("Label3"), QStringLiteral("2006-12-01~2007-01-15"));
    EXPECT_EQ(text("Label1"), QStringLiteral("帐务信息"));
    EXPECT_EQ(text("Label6"), QStringLiteral("￥3500.00"));  // nothing recomputed yet

    PickOnCalendar(find<QDateEdit>("DateTimePicker2"), QDate(2007, 1, 1));
    EXPECT_EQ(text("Label2") + QLatin1Char('~') + text("Label3"), QStringLiteral("2006-12-01~2007-01-01"));
    EXPECT_EQ(text("Label6") + text("Label7"), QStringLiteral("￥11000.00￥300.00"));

    // A first day after the last gives nothing, and an empty chart.
    PickOnCalendar(find<QDateEdit>("DateTimePicker1"), QDate(2007, 1, 10));
    panel.ComputePeriodTotals();
    EXPECT_EQ(text("Label6") + text("Label7"), QStringLiteral("￥0.00￥0.00"));
    EXPECT_TRUE(bars("Chart1").isEmpty());
    EXPECT_TRUE(prompt.boxes().isEmpty());
}

// Picking today as the last day after a first day: the calendar already holds today, and the pick
// still counts.
TEST_F(SummaryPanelTest, PickingTheDayTheCalendarHoldsStillActs) {
    PickOnCalendar(find<QDateEdit>("DateTimePicker1"), QDate(2006, 12, 24));
    EXPECT_EQ(text("Label6"), QStringLiteral("￥3500.00"));
    PickOnCalendar(find<QDateEdit>("DateTimePicker2"), QDate(2007, 1, 15));
    EXPECT_TRUE(find<QRadioButton>("RadioButton7")->isChecked());
    EXPECT_EQ(text("Label2") + QLatin1Char('~') + text("Label3"), QStringLiteral("2006-12-24~2007-01-15"));
    EXPECT_EQ(text("Label6") + text("Label7"), QStringLiteral("￥11500.00￥1545.00"));

    // Back to 本月, then the same first day again: it is written again and 任意 marked.
    choose("RadioButton3");
    PickOnCalendar(find<QDateEdit>("DateTimePicker1"), QDate(2006, 12, 24));
    EXPECT_EQ(text("Label2"), QStringLiteral("2006-12-24"));
    EXPECT_TRUE(find<QRadioButton>("RadioButton7")->isChecked());
    EXPECT_TRUE(prompt.boxes().isEmpty());
}

// Stepping the last day with the arrow keys computes nothing until the user is done (Enter).
TEST_F(SummaryPanelTest, SteppingTheEndDateComputesOnceWhenDone) {
    auto* end = find<QDateEdit>("DateTimePicker2");
    end->setFocus();
    end->setCurrentSection(QDateTimeEdit::DaySection);
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(end, Qt::Key_Down);
    EXPECT_EQ(end->date(), QDate(2007, 1, 10));
    EXPECT_EQ(text("Label3"), QStringLiteral("2007-01-15"));
    EXPECT_EQ(text("Label1"), QStringLiteral("本月帐务信息"));
    EXPECT_EQ(text("Label6") + text("Label7"), QStringLiteral("￥3500.00￥1245.00"));
    QTest::keyClick(end, Qt::Key_Return);
    EXPECT_EQ(text("Label3"), QStringLiteral("2007-01-10"));
    EXPECT_EQ(text("Label1"), QStringLiteral("帐务信息"));
    EXPECT_EQ(text("Label6") + text("Label7"), QStringLiteral("￥3000.00￥1200.00"));
}

// Two stored incomes of 9×10^14 yuan: a Chinese message, never the engine's overflow.
TEST_F(SummaryPanelTest, TotalsTooLargeToShowAreSaidInChinese) {
    th.exec(
        QStringLiteral("insert into shouzhibiao (leixing,mingxi,feiyong,shururiqi) values "
                       "('shouru','巨款',9000000000000000000,'2007-01-02'),"
                       "('shouru','巨款',9000000000000000000,'2007-01-03')"));
    panel.ComputePeriodTotals();
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_TRUE(prompt.boxes()[0].text.contains(QStringLiteral("超出")))
        << prompt.boxes()[0].text.toStdString();
    EXPECT_FALSE(prompt.boxes()[0].text.contains(QStringLiteral("overflow")));
}

TEST_F(SummaryPanelTest, DetailChartsShowOneBarPerDetailUntilTheNextComputation) {
    QTest::mouseClick(find<QToolButton>("SpeedButton8"), Qt::LeftButton);
    EXPECT_EQ(visibleChart(), QStringLiteral("001"));
    QStringList shown = bars("Chart3");
    shown.sort();
    EXPECT_EQ(shown, QStringList({"午饭=￥45.00", "房租=￥1200.00"}));
    EXPECT_EQ(find<BarChart>("Chart3")->title(), QStringLiteral("支出项目详细图"));
    EXPECT_EQ(text("Label1"), QStringLiteral("本月帐务信息"));

    QTest::mouseClick(find<QToolButton>("SpeedButton7"), Qt::LeftButton);
    EXPECT_EQ(visibleChart(), QStringLiteral("010"));
    EXPECT_EQ(bars("Chart2").size(), 2);

    choose("RadioButton2");  // yesterday had no income: the detail chart would be empty
    EXPECT_EQ(visibleChart(), QStringLiteral("100"));
    QTest::mouseClick(find<QToolButton>("SpeedButton7"), Qt::LeftButton);
    EXPECT_TRUE(bars("Chart2").isEmpty());
    EXPECT_EQ(text("Label7"), QStringLiteral("￥45.00"));
    panel.broughtToFront();
    EXPECT_EQ(visibleChart(), QStringLiteral("100"));
}

TEST_F(SummaryPanelTest, ALabelThatIsNotADateStopsWithItsMessage) {
    find<QLabel>("Label2")->setText(QStringLiteral("2007-2-30"));
    panel.ComputePeriodTotals();
    EXPECT_EQ(prompt.texts(), QStringList({InvalidDateMessage(QStringLiteral("2007-2-30"))}));
    EXPECT_EQ(prompt.boxes()[0].caption, QStringLiteral("Tamberlo"));
    EXPECT_TRUE(bars("Chart1").isEmpty());
    EXPECT_EQ(text("Label6"), QStringLiteral("￥3500.00"));
}

TEST_F(SummaryPanelTest, ResizeSharesTheWidthAndSpreadsTheChoices) {
    for (int w : {700, 1001}) {
        panel.resize(w, 500);
        const int h = (w - 72) / 2;
        const int c = (w - 431) / 6;
        EXPECT_EQ(find<QWidget>("Panel7")->geometry(),
                  QRect(24, find<QWidget>("Panel7")->y(), h, find<QWidget>("Panel7")->height()));
        EXPECT_EQ(find<QWidget>("Panel8")->x(), h + 48);
        EXPECT_EQ(find<QWidget>("Panel8")->width(), h);
        EXPECT_EQ(find<QWidget>("SpeedButton7")->x(), (h - 137) / 2);
        EXPECT_EQ(find<QWidget>("SpeedButton8")->x(), (h - 137) / 2);
        for (int k = 1; k <= 7; ++k) {
            const QByteArray name = "RadioButton" + QByteArray::number(k);
            EXPECT_EQ(find<QWidget>(name.constData())->x(), 16 + (k - 1) * (c + 57)) << name.constData();
        }
    }
}

// The ring of the period's expenses stands beside the bars, its legend of detail, amount and share clear of
// itself, at the summary's size in a main window on an 800×576 screen; a period without expenses shows a
// note instead.
TEST_F(SummaryPanelTest, TheRingOfExpensesStandsBesideTheBars) {
    panel.resize(650, 460);
    auto* pie = find<PieChart>("ExpensePie");
    EXPECT_TRUE(pie->isVisible());
    EXPECT_FALSE(pie->geometry().intersects(find<QWidget>("Panel9")->geometry()));
    EXPECT_GE(pie->width(), 240);
    EXPECT_EQ(pie->legend(), QStringList({"房租 ￥1,200.00 96.4%", "午饭 ￥45.00 3.6%"}));
    (void)pie->grab();
    const QList<QRectF> texts = pie->drawnTexts();
    EXPECT_GE(texts.size(), 2 * 2);  // at least the name and the share of each line
    for (int i = 0; i < texts.size(); ++i) {
        EXPECT_TRUE(QRectF(pie->rect()).contains(texts[i])) << i;
        for (int j = i + 1; j < texts.size(); ++j)
            EXPECT_FALSE(texts[i].intersects(texts[j])) << i << " " << j;
    }
    choose("RadioButton1");  // 本日: an income only
    EXPECT_TRUE(pie->legend().isEmpty());
    EXPECT_EQ(pie->emptyNote(), QStringLiteral("本期没有支出记录。"));
}

// 结余 follows every computation of the totals, green when not negative, red below zero.
TEST_F(SummaryPanelTest, TheBalanceFollowsTheTotals) {
    const auto colour = [this] {
        const QString sheet = find<QLabel>("LabelBalance")->styleSheet();
        const auto has = [&sheet](StyleEngine::Tone tone) {
            return sheet.contains(StyleEngine::toneOf(tone, StyleEngine::kOwnBackground).name());
        };
        return has(StyleEngine::Tone::Income) ? "green" : has(StyleEngine::Tone::Expense) ? "red" : "?";
    };
    EXPECT_EQ(text("LabelBalance"), QStringLiteral("结余：￥2,255.00"));
    EXPECT_STREQ(colour(), "green");
    choose("RadioButton2");  // 昨日: only expense
    EXPECT_EQ(text("LabelBalance"), QStringLiteral("结余：-￥45.00"));
    EXPECT_STREQ(colour(), "red");
    choose("RadioButton7");  // 任意 leaves totals and balance as they were
    EXPECT_EQ(text("LabelBalance"), QStringLiteral("结余：-￥45.00"));
    PickOnCalendar(find<QDateEdit>("DateTimePicker2"),
                   QDate(2006, 12, 31));  // 2007-01-15 .. 2006-12-31: nothing
    EXPECT_EQ(text("LabelBalance"), QStringLiteral("结余：￥0.00"));
    EXPECT_STREQ(colour(), "green");
    choose("RadioButton6");  // 去年
    EXPECT_EQ(text("LabelBalance"), QStringLiteral("结余：￥7,700.00"));
    // A period that does not read keeps the balance with the totals.
    find<QLabel>("Label2")->setText(QStringLiteral("2007-2-30"));
    panel.ComputePeriodTotals();
    EXPECT_EQ(text("LabelBalance"), QStringLiteral("结余：￥7,700.00"));
}

// The balance shares the heading's row without covering the heading, the boxes or the choices.
TEST_F(SummaryPanelTest, TheBalanceOverlapsNothing) {
    for (int w : {560, 640, 700, 1001, 1500}) {
        panel.resize(w, 500);
        const QRect balance = find<QWidget>("LabelBalance")->geometry();
        EXPECT_TRUE(QRect(0, 0, w, 500).contains(balance)) << w;
        for (const char* other : {"Label1", "Panel7", "Panel8", "GroupBox1", "Panel9"})
            EXPECT_FALSE(balance.intersects(find<QWidget>(other)->geometry())) << w << other;
        const QLabel* label = find<QLabel>("LabelBalance");
        EXPECT_GE(balance.width(),
                  label->fontMetrics().horizontalAdvance(QStringLiteral("结余：-￥99,999.00")))
            << w;
        // The place choice takes the other end of the row, as clear of everything.
        const QRect places = find<QWidget>("ComboBoxPlaceFilter")->geometry();
        EXPECT_TRUE(QRect(0, 0, w, 500).contains(places)) << w;
        for (const char* other : {"Label1", "LabelBalance", "Panel7", "GroupBox1"})
            EXPECT_FALSE(places.intersects(find<QWidget>(other)->geometry())) << w << other;
    }
}

// The place choice limits the totals, the 结余 and the charts to one place; 全部帐户 is every place.
TEST_F(SummaryPanelTest, APlaceChoiceLimitsTheFiguresToThatPlace) {
    const qint64 card = th.addBankCard(QStringLiteral("招商银行"), 0);
    th.exec(QStringLiteral("update shouzhibiao set zhanghu=%1 where mingxi in ('奖金','午饭')").arg(card));
    th.exec(QStringLiteral("update zhangwubiao set guanbi=1 where id=%1").arg(card));  // closed: still there
    panel.broughtToFront();
    auto* places = find<QComboBox>("ComboBoxPlaceFilter");
    ASSERT_EQ(places->count(), 3);
    EXPECT_EQ(places->currentText(), QStringLiteral("全部帐户"));
    EXPECT_EQ(places->itemText(1), QStringLiteral("家庭保险柜（现金）"));
    EXPECT_EQ(places->itemText(2), QStringLiteral("招商银行（银行卡，已关闭）"));

    places->setCurrentIndex(2);
    EXPECT_EQ(bars("Chart1"), QStringList({"收入=￥500.00", "支出=￥45.00"}));
    EXPECT_EQ(text("Label6"), QStringLiteral("￥500.00"));
    EXPECT_EQ(text("Label7"), QStringLiteral("￥45.00"));
    EXPECT_EQ(text("LabelBalance"), QStringLiteral("结余：￥455.00"));
    QTest::mouseClick(find<QToolButton>("SpeedButton8"), Qt::LeftButton);
    EXPECT_EQ(bars("Chart3"), QStringList({"午饭=￥45.00"}));
    EXPECT_EQ(find<PieChart>("ExpensePie")->legend(), QStringList({"午饭 ￥45.00 100.0%"}));
    // Another place with a detail chart in front: that chart is drawn for it, over its totals.
    places->setCurrentIndex(1);
    EXPECT_EQ(visibleChart(), QStringLiteral("001"));
    EXPECT_EQ(bars("Chart3"), QStringList({"房租=￥1200.00"}));
    EXPECT_EQ(text("Label6"), QStringLiteral("￥3000.00"));
    choose("RadioButton6");  // 去年 on the home safe
    EXPECT_EQ(text("LabelBalance"), QStringLiteral("结余：￥7,700.00"));

    places->setCurrentIndex(0);
    choose("RadioButton3");
    EXPECT_EQ(text("Label6"), QStringLiteral("￥3500.00"));
    EXPECT_EQ(text("Label7"), QStringLiteral("￥1245.00"));
    EXPECT_TRUE(prompt.boxes().isEmpty());
}

}  // namespace
