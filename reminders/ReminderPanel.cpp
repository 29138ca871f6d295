#include "reminders/ReminderPanel.h"

#include "data/Database.h"
#include "data/DateText.h"
#include "data/Statements.h"
#include "household/Household.h"
#include "kit/DataGrid.h"
#include "kit/Prompt.h"
#include "kit/Today.h"
#include "reminders/ReminderList.h"
#include "reminders/Reminders.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QLabel* caption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setStyleSheet(QStringLiteral("font-weight: bold; color: #1f3f1f;"));
    return label;
}

QToolButton* actionButton(const char* name, const QString& text, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setMinimumSize(110, 32);
    return button;
}

}  // namespace

ReminderPanel::ReminderPanel(Household& household, QWidget* parent)
    : FunctionPanel(QStringLiteral("Panel6"), parent),
      household_(household),
      model_(new ReminderListModel(this)) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);
    auto* inner = new QFrame(this);
    inner->setObjectName(QStringLiteral("Panel6Inner"));
    inner->setFrameShape(QFrame::StyledPanel);
    inner->setStyleSheet(QStringLiteral("QFrame#Panel6Inner { background: #d9f2d0; }"));
    outer->addWidget(inner);

    date_ = new QDateEdit(Today(), inner);
    date_->setObjectName(QStringLiteral("DateTimePicker5"));
    date_->setCalendarPopup(true);
    date_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));

    once_ = new QRadioButton(QString::fromUtf8(Codes::kOnce), inner);
    once_->setObjectName(QStringLiteral("RadioButton8"));
    daily_ = new QRadioButton(QString::fromUtf8(Codes::kDaily), inner);
    daily_->setObjectName(QStringLiteral("RadioButton9"));
    monthly_ = new QRadioButton(QString::fromUtf8(Codes::kMonthly), inner);
    monthly_->setObjectName(QStringLiteral("RadioButton10"));
    once_->setChecked(true);

    rangeHolder_ = new QLineEdit(QString::fromUtf8(Codes::kOnce), inner);
    rangeHolder_->setObjectName(QStringLiteral("Edit2"));
    rangeHolder_->hide();

    content_ = new QPlainTextEdit(inner);
    content_->setObjectName(QStringLiteral("Memo1"));
    content_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    grid_ = new DataGrid(inner);
    grid_->setObjectName(QStringLiteral("DBGridEh4"));
    grid_->setProperty("tag", 99);
    grid_->setColumns(
        {{QStringLiteral("日期"), QStringLiteral("riqi"), DataGrid::Format::Text, Qt::AlignCenter},
         {QStringLiteral("范围"), QStringLiteral("fanwei"), DataGrid::Format::Text, Qt::AlignCenter},
         {QStringLiteral("提醒内容"), QStringLiteral("neirong"), DataGrid::Format::Text, Qt::AlignCenter}});
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid_->setSourceModel(model_);

    save_ = actionButton("SpeedButton34", QStringLiteral("保存提醒"), inner);
    remove_ = actionButton("SpeedButton32", QStringLiteral("删除提醒"), inner);

    auto* ranges = new QHBoxLayout;
    for (QRadioButton* r : {once_, daily_, monthly_})
        ranges->addWidget(r);
    ranges->addStretch(1);

    auto* left = new QVBoxLayout;
    left->addWidget(caption(QStringLiteral("选择提醒预约日期："), inner));
    left->addWidget(date_);
    left->addSpacing(10);
    left->addWidget(caption(QStringLiteral("选择提醒范围："), inner));
    left->addLayout(ranges);
    left->addSpacing(10);
    left->addWidget(caption(QStringLiteral("输入提醒内容："), inner));
    left->addWidget(content_, 1);

    auto* right = new QVBoxLayout;
    right->addWidget(caption(QStringLiteral("提醒事件浏览："), inner));
    right->addWidget(grid_, 1);

    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 2);
    columns->addSpacing(12);
    columns->addLayout(right, 3);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(save_);
    buttons->addStretch(1);
    buttons->addWidget(remove_);

    auto* layout = new QVBoxLayout(inner);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->addLayout(columns, 1);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    connect(once_, &QRadioButton::clicked, this, [this] { setRange(once_->text()); });
    connect(daily_, &QRadioButton::clicked, this, [this] { setRange(daily_->text()); });
    connect(monthly_, &QRadioButton::clicked, this, [this] { setRange(monthly_->text()); });
    connect(save_, &QToolButton::clicked, this, &ReminderPanel::SpeedButton34Click);
    connect(remove_, &QToolButton::clicked, this, &ReminderPanel::SpeedButton32Click);
}

void ReminderPanel::setRange(const QString& range) {
    rangeHolder_->setText(range);
}

void ReminderPanel::openTable() {
    if (const Status shown = model_->show(household_.database.connection()); !shown)
        ReportError(shown.error());
}

void ReminderPanel::SpeedButton34Click() {
    // No check and no reset: the same event can be saved twice on purpose.
    const Reminder reminder{0, ShortDate(date_->date()), rangeHolder_->text(), content_->toPlainText()};
    const Result<qint64> added = AddReminder(household_.database.connection(), reminder);
    if (!added) {
        ReportError(added.error());
        return;
    }
    savedContent_ = reminder.content;
    openTable();
    grid_->setCurrentRow(model_->rowCount() - 1);
}

void ReminderPanel::SpeedButton32Click() {
    if (model_->rowCount() == 0)
        return;
    if (Prompt::current().show(Captions::kNotice, QStringLiteral("确信要删除该信息吗？"),
                               Prompt::Buttons::YesNo, Prompt::Icon::Question) != Prompt::Answer::Yes) {
        return;
    }
    // The grid always has a current row while the table has rows; the first one if none was chosen.
    const int row = qMax(grid_->currentRow(), 0);
    const Status deleted = DeleteReminder(household_.database.connection(),
                                          grid_->value(row, QStringLiteral("id")).toLongLong());
    if (!deleted) {
        ReportError(deleted.error());
        return;
    }
    openTable();
    grid_->setCurrentRow(qMin(row, model_->rowCount() - 1));
}

bool ReminderPanel::hasPendingEdit() const {
    const QString typed = content_->toPlainText();
    return !typed.isEmpty() && typed != savedContent_;
}

bool ReminderPanel::savePendingEdit() {
    SpeedButton34Click();
    return !hasPendingEdit();
}

void ReminderPanel::discardPendingEdit() {
    content_->clear();
}
