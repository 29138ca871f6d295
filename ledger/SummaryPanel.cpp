#include "ledger/SummaryPanel.h"

#include "data/Database.h"
#include "data/DateText.h"
#include "data/Statements.h"
#include "household/Household.h"
#include "kit/BarChart.h"
#include "kit/DatePicks.h"
#include "kit/PieChart.h"
#include "kit/Prompt.h"
#include "kit/StyleEngine.h"
#include "kit/Today.h"
#include "ledger/LedgerTotals.h"
#include "ledger/PlaceFilter.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QResizeEvent>
#include <QToolButton>

namespace {

constexpr int kDetailButtonWidth = 137;
constexpr int kChoiceWidth = 56;
constexpr int kGroupTop = 4;
constexpr int kGroupHeight = 80;
constexpr int kHeadingTop = 88;
constexpr int kBoxTop = 126;
constexpr int kBoxHeight = 98;
constexpr int kChartTop = 232;
constexpr int kBalanceWidth = 230;  // the 结余 at the right end of the heading's row

const QColor kIncomeColour(0x00, 0x80, 0x00);
const QColor kExpenseColour(0xff, 0x00, 0x00);
const QColor kRestColour(0x9e, 0x9e, 0x9e);  // 其他 in the ring
// The share of the chart area the ring takes beside the bars.
constexpr double kRingShare = 0.42;

// The figures stand on the panel's own white, whatever the style.
QColor PanelTone(StyleEngine::Tone tone) {
    return StyleEngine::toneOf(tone, StyleEngine::kOwnBackground);
}

struct Choice {
    const char* name;
    const char* caption;
    PeriodChoice choice;
};

const Choice kChoices[] = {
    {"RadioButton1", "本日", PeriodChoice::Today},     {"RadioButton2", "昨日", PeriodChoice::Yesterday},
    {"RadioButton3", "本月", PeriodChoice::ThisMonth}, {"RadioButton4", "上月", PeriodChoice::LastMonth},
    {"RadioButton5", "本年", PeriodChoice::ThisYear},  {"RadioButton6", "去年", PeriodChoice::LastYear},
    {"RadioButton7", "任意", PeriodChoice::Any},
};

QLabel* label(const QString& name, const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    if (!name.isEmpty())
        l->setObjectName(name);
    return l;
}

QDateEdit* calendarButton(const QString& name, QWidget* parent) {
    auto* picker = new QDateEdit(Today(), parent);
    picker->setObjectName(name);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    picker->setToolTip(QStringLiteral("选择日期"));
    return picker;
}

}  // namespace

SummaryPanel::SummaryPanel(Household& household, QWidget* parent)
    : FunctionPanel(QStringLiteral("Panel2"), parent), household_(household) {
    build();
}

void SummaryPanel::build() {
    group_ = new QGroupBox(this);
    group_->setObjectName(QStringLiteral("GroupBox1"));
    for (const Choice& c : kChoices) {
        auto* button = new QRadioButton(QString::fromUtf8(c.caption), group_);
        button->setObjectName(QString::fromLatin1(c.name));
        button->setGeometry(16, 14, kChoiceWidth, 22);
        choices_.append(button);
        const PeriodChoice choice = c.choice;
        connect(button, &QRadioButton::toggled, this, [this, choice](bool checked) {
            if (checked && !marking_)
                choose(choice);
        });
    }
    // 本月 is the choice at start; its period is set by the start of the run.
    marking_ = true;
    choices_[2]->setChecked(true);
    marking_ = false;

    auto* line = new QFrame(group_);
    line->setObjectName(QStringLiteral("DottedLine"));
    line->setStyleSheet(QStringLiteral("border: none; border-top: 1px dotted green;"));
    line->setGeometry(10, 42, 600, 2);

    label(QString(), QStringLiteral("查看起始日期："), group_)->setGeometry(16, 50, 100, 22);
    first_ = label(QStringLiteral("Label2"), ShortDate(Today()), group_);
    first_->setGeometry(116, 50, 84, 22);
    firstPicker_ = calendarButton(QStringLiteral("DateTimePicker1"), group_);
    firstPicker_->setGeometry(200, 50, 22, 22);
    label(QString(), QStringLiteral("查看中止日期："), group_)->setGeometry(260, 50, 100, 22);
    last_ = label(QStringLiteral("Label3"), ShortDate(Today()), group_);
    last_->setGeometry(360, 50, 84, 22);
    lastPicker_ = calendarButton(QStringLiteral("DateTimePicker2"), group_);
    lastPicker_->setGeometry(444, 50, 22, 22);
    // A pick acts even on the day the button holds; stepping the date computes nothing until done.
    OnDatePicked(firstPicker_, this, [this](const QDate& day) { startPicked(day); });
    OnDatePicked(lastPicker_, this, [this](const QDate& day) { endPicked(day); });

    heading_ = label(QStringLiteral("Label1"), QStringLiteral("本月帐务信息"), this);
    heading_->setAlignment(Qt::AlignCenter);
    heading_->setStyleSheet(
        QStringLiteral("font-size: 22px; font-weight: bold; text-decoration: underline; color: #303030;"));

    const auto totalBox = [this](const char* boxName, const char* titleName, const char* title,
                                 const char* totalName, const QColor& colour, const char* buttonName,
                                 const char* caption, QLabel*& total, QToolButton*& button) {
        auto* box = new QFrame(this);
        box->setObjectName(QString::fromLatin1(boxName));
        box->setFrameShape(QFrame::StyledPanel);
        box->setStyleSheet(QStringLiteral("QFrame#%1 { border: 1px solid #b8b8c8; border-radius: 4px; }")
                               .arg(QString::fromLatin1(boxName)));
        auto* heading = label(QString::fromLatin1(titleName), QString::fromUtf8(title), box);
        heading->setAlignment(Qt::AlignCenter);
        heading->setStyleSheet(QStringLiteral("font-weight: bold; color: navy;"));
        total = label(QString::fromLatin1(totalName), Money().format(), box);
        total->setAlignment(Qt::AlignCenter);
        total->setStyleSheet(
            QStringLiteral("font-size: 24px; font-weight: bold; color: %1;").arg(colour.name()));
        button = new QToolButton(box);
        button->setObjectName(QString::fromLatin1(buttonName));
        button->setText(QString::fromUtf8(caption));
        button->setFixedSize(kDetailButtonWidth, 26);
        return box;
    };
    incomeBox_ = totalBox("Panel7", "Label4", "收入", "Label6", PanelTone(StyleEngine::Tone::Income),
                          "SpeedButton7", "收入明细查看", incomeTotal_, incomeDetails_);
    expenseBox_ = totalBox("Panel8", "Label5", "支出", "Label7", PanelTone(StyleEngine::Tone::Expense),
                           "SpeedButton8", "支出明细查看", expenseTotal_, expenseDetails_);
    balance_ = label(QStringLiteral("LabelBalance"), QString(), this);
    balance_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    showBalance(Money());
    budget_ = label(QStringLiteral("LabelBudget"), QString(), this);
    budget_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    budget_->hide();
    // The place choice takes the left end of the heading's row, across from the 结余.
    placeChoice_ = new QComboBox(this);
    placeChoice_->setObjectName(QStringLiteral("ComboBoxPlaceFilter"));
    placeChoice_->setToolTip(QStringLiteral("只看一个帐户的收支"));
    placeChoice_->addItem(QString::fromUtf8(kEveryPlace));
    connect(placeChoice_, &QComboBox::currentIndexChanged, this, [this] { placeChosen(); });
    connect(incomeDetails_, &QToolButton::clicked, this, [this] { showDetailChart(true); });
    connect(expenseDetails_, &QToolButton::clicked, this, [this] { showDetailChart(false); });

    const char* const panelNames[] = {"Panel9", "Panel10", "Panel11"};
    const char* const chartNames[] = {"Chart1", "Chart2", "Chart3"};
    const char* const seriesNames[] = {"Series1", "BarSeries1", "BarSeries2"};
    const char* const titles[] = {"收支图", "收入项目详细图", "支出项目详细图"};
    for (int i = 0; i < 3; ++i) {
        chartPanels_[i] = new QFrame(this);
        chartPanels_[i]->setObjectName(QString::fromLatin1(panelNames[i]));
        charts_[i] = new BarChart(QString::fromUtf8(titles[i]), chartPanels_[i]);
        charts_[i]->setObjectName(QString::fromLatin1(chartNames[i]));
        charts_[i]->setSeriesName(QString::fromLatin1(seriesNames[i]));
        chartPanels_[i]->setVisible(i == 0);
    }
    pie_ = new PieChart(QStringLiteral("支出构成图"), this);
    pie_->setObjectName(QStringLiteral("ExpensePie"));
    pie_->setEmptyNote(QStringLiteral("本期没有支出记录。"));
}

void SummaryPanel::resizeEvent(QResizeEvent* event) {
    FunctionPanel::resizeEvent(event);
    const int w = width();
    const int h = (w - 72) / 2;
    const int c = (w - 431) / 6;

    group_->setGeometry(8, kGroupTop, w - 16, kGroupHeight);
    for (int k = 0; k < choices_.size(); ++k)
        choices_[k]->move(16 + k * (c + 57), choices_[k]->y());
    if (auto* line = group_->findChild<QFrame*>(QStringLiteral("DottedLine")))
        line->setGeometry(10, 42, group_->width() - 20, 2);

    // The heading keeps its centre; the 结余 takes the right end of its row, clear of the heading.
    const int balanceWidth = qMin(kBalanceWidth, qMax(0, (w - 16) / 3));
    heading_->setGeometry(24 + balanceWidth, kHeadingTop, qMax(0, w - 48 - 2 * balanceWidth), 34);
    balance_->setGeometry(w - 24 - balanceWidth, kHeadingTop, balanceWidth, 34);
    placeChoice_->setGeometry(24, kHeadingTop + 4, qMax(0, balanceWidth - 12), 26);

    incomeBox_->setGeometry(24, kBoxTop, h, kBoxHeight);
    expenseBox_->setGeometry(h + 48, kBoxTop, h, kBoxHeight);
    for (QFrame* box : {incomeBox_, expenseBox_}) {
        const int bw = box->width();
        const QList<QLabel*> labels = box->findChildren<QLabel*>();
        labels[0]->setGeometry(0, 4, bw, 20);
        labels[1]->setGeometry(0, 26, bw, 36);
    }
    incomeDetails_->move((incomeBox_->width() - kDetailButtonWidth) / 2, 66);
    expenseDetails_->move((expenseBox_->width() - kDetailButtonWidth) / 2, 66);

    // The bars on the left, the ring of the expenses on the right; the month's budget line, when there
    // is one, takes the bottom row under both.
    const int budgetRow = budget_->isHidden() ? 0 : 24;
    budget_->setGeometry(24, height() - 8 - 22, qMax(0, w - 48), 22);
    const int areaWidth = qMax(0, w - 48);
    const int ringWidth = int(areaWidth * kRingShare);
    const int chartHeight = qMax(0, height() - kChartTop - 8 - budgetRow);
    const QRect chartArea(24, kChartTop, qMax(0, areaWidth - ringWidth - 8), chartHeight);
    pie_->setGeometry(24 + areaWidth - ringWidth, kChartTop, ringWidth, chartHeight);
    for (int i = 0; i < 3; ++i) {
        chartPanels_[i]->setGeometry(chartArea);
        charts_[i]->setGeometry(0, 0, chartArea.width(), chartArea.height());
    }
}

void SummaryPanel::showBudgetLine() {
    const QString line = household_.budgetLine ? household_.budgetLine(Today()) : QString();
    budget_->setText(line);
    if (budget_->isHidden() != line.isEmpty()) {
        budget_->setHidden(line.isEmpty());
        QResizeEvent again(size(), size());
        resizeEvent(&again);
    }
}

void SummaryPanel::broughtToFront() {
    loadPlaceChoices();
    ComputePeriodTotals();
}

void SummaryPanel::loadPlaceChoices() {
    if (!household_.database.isOpen())
        return;
    const Result<QList<PlaceChoice>> places = ReadPlaceChoices(household_.database.connection());
    if (!places) {
        ReportError(places.error());
        return;
    }
    FillPlaceFilter(placeChoice_, places.value());
}

std::optional<qint64> SummaryPanel::chosenPlace() const {
    return ChosenPlace(placeChoice_);
}

void SummaryPanel::placeChosen() {
    // A detail chart in front is drawn again for the place, over the totals of the place.
    const bool incomeDetails = !chartPanels_[1]->isHidden();
    const bool expenseDetails = !chartPanels_[2]->isHidden();
    ComputePeriodTotals();
    if (incomeDetails || expenseDetails)
        showDetailChart(incomeDetails);
}

void SummaryPanel::SetMonthToDate() {
    const PeriodTexts month = PeriodFor(PeriodChoice::ThisMonth, Today());
    first_->setText(month.first);
    last_->setText(month.last);
}

void SummaryPanel::choose(PeriodChoice choice) {
    const PeriodTexts texts = PeriodFor(choice, Today());
    first_->setText(texts.first);
    last_->setText(texts.last);
    heading_->setText(texts.heading);
    if (choice != PeriodChoice::Any)
        ComputePeriodTotals();
}

void SummaryPanel::markAny() {
    // Marks 任意 without running its own choice, which would put both days back to today.
    marking_ = true;
    choices_[6]->setChecked(true);
    marking_ = false;
    heading_->setText(AnyPeriodHeading());
}

void SummaryPanel::startPicked(const QDate& day) {
    first_->setText(ShortDate(day));
    markAny();
}

void SummaryPanel::endPicked(const QDate& day) {
    last_->setText(ShortDate(day));
    markAny();
    ComputePeriodTotals();
}

void SummaryPanel::showChartPanel(QFrame* panel) {
    for (QFrame* p : chartPanels_)
        p->setVisible(p == panel);
}

void SummaryPanel::ComputePeriodTotals() {
    // The places come with the first figures; bringing the panel up reads them again.
    if (placeChoice_->count() == 1)
        loadPlaceChoices();
    showChartPanel(chartPanels_[0]);
    charts_[0]->clear();
    showBudgetLine();
    const Result<PeriodBounds> period = ReadPeriod(first_->text(), last_->text(), Today());
    if (!period) {
        pie_->clear();
        ReportError(period.error());
        return;
    }
    const Result<PeriodTotals> totals =
        TotalsOfPeriod(household_.database.connection(), period->first, period->last, chosenPlace());
    if (!totals) {
        ReportError(totals.error());
        return;
    }
    if (totals->hasRows) {
        charts_[0]->setBars({{QStringLiteral("收入"), totals->income, kIncomeColour},
                             {QStringLiteral("支出"), totals->expense, kExpenseColour}});
    }
    // The balance comes from the same two sums; a difference too large to hold is reported, and the
    // totals are shown all the same.
    const Result<Money> balance = totals->income.minus(totals->expense);
    incomeTotal_->setText(totals->income.format());
    expenseTotal_->setText(totals->expense.format());
    showExpensePicture(period.value());
    if (!balance) {
        balance_->setText(QStringLiteral("结余：—"));
        ReportError(QStringLiteral("本期结余超出了可记录的范围。请检查是否有录入错误的巨额记录。"));
        return;
    }
    showBalance(balance.value());
}

void SummaryPanel::showBalance(Money balance) {
    balance_->setText(QStringLiteral("结余：") + balance.formatGrouped());
    // A new style sheet polishes the label again: it is set only when the colour changes.
    const QString sheet =
        QStringLiteral("font-size: 18px; font-weight: bold; color: %1;")
            .arg(PanelTone(balance.isNegative() ? StyleEngine::Tone::Expense : StyleEngine::Tone::Income)
                     .name());
    if (balance_->styleSheet() != sheet)
        balance_->setStyleSheet(sheet);
}

void SummaryPanel::showExpensePicture(const PeriodBounds& period) {
    pie_->clear();
    if (!household_.database.isOpen())
        return;
    const Result<DetailPicture> picture =
        DetailPictureOfPeriod(household_.database.connection(), period.first, period.last,
                              QString::fromLatin1(Codes::kExpense), chosenPlace());
    if (!picture) {
        ReportError(picture.error());
        return;
    }
    QList<PieChart::Slice> slices;
    for (const DetailTotal& d : picture->largest)
        slices.append({d.detail, d.total, QColor()});
    if (picture->rest)
        slices.append({picture->rest->detail, picture->rest->total, kRestColour});
    pie_->setSlices(slices);
}

Result<PeriodBounds> SummaryPanel::shownPeriod() const {
    return ReadPeriod(first_->text(), last_->text(), Today());
}

void SummaryPanel::showDetailChart(bool income) {
    QFrame* panel = chartPanels_[income ? 1 : 2];
    BarChart* chart = charts_[income ? 1 : 2];
    showChartPanel(panel);
    chart->clear();
    const Result<PeriodBounds> period = ReadPeriod(first_->text(), last_->text(), Today());
    if (!period) {
        ReportError(period.error());
        return;
    }
    const Result<QList<DetailTotal>> details =
        DetailTotalsOfPeriod(household_.database.connection(), period->first, period->last,
                             QString::fromLatin1(income ? Codes::kIncome : Codes::kExpense), chosenPlace());
    if (!details) {
        ReportError(details.error());
        return;
    }
    QList<BarChart::Bar> bars;
    for (const DetailTotal& d : details.value())
        bars.append({d.detail, d.total, QColor()});
    chart->setBars(bars);
}
