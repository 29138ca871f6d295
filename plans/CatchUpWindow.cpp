#include "plans/CatchUpWindow.h"

#include "data/AmountText.h"
#include "data/Database.h"
#include "data/DateText.h"
#include "data/HomeSafe.h"
#include "household/CurrentUser.h"
#include "household/Household.h"
#include "household/IniFile.h"
#include "kit/Prompt.h"
#include "kit/Today.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("dingqi");
const QString kLastRunKey = QStringLiteral("shangci");

enum Column { DateColumn, TypeColumn, DetailColumn, AmountColumn, PlaceColumn, ChoiceColumn, Columns };

QString StateText(const DueOccurrence& item) {
    switch (item.state) {
        case DueOccurrence::State::Entered:
            return item.done ? QStringLiteral("已自动入帐") : QStringLiteral("入帐");
        case DueOccurrence::State::Skipped:
            return QStringLiteral("跳过");
        case DueOccurrence::State::Postponed:
            return QStringLiteral("推迟");
        case DueOccurrence::State::Failed:
            return QStringLiteral("未能入帐");
        case DueOccurrence::State::Proposed:
            break;
    }
    return QStringLiteral("入帐");
}

QPushButton* Button(const QString& text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

}  // namespace

CatchUpWindow::CatchUpWindow(Household& household, CatchUpList list, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint),
      household_(household),
      list_(std::move(list)) {
    setObjectName(QStringLiteral("CatchUpWindow"));
    setWindowTitle(QStringLiteral("定期收支到期"));
    resize(720, 480);
    if (const auto places = ReadPlaceChoices(household_.database.connection())) {
        for (const PlaceChoice& place : places.value())
            placeNames_.insert(place.id, place.name);
    }
    // A proposal is entered unless the user chooses otherwise.
    for (DueOccurrence& item : list_.items) {
        if (item.state == DueOccurrence::State::Proposed)
            item.state = DueOccurrence::State::Entered;
    }

    auto* heading = new QLabel(
        QStringLiteral(
            "以下定期收支自上次运行以来已到期。请为每一笔选择入帐、跳过或推迟（推迟的下次启动时再问，"
            "同一条定期收支以后的各笔也一起推迟）；金额可双击修改，只改这一次。"),
        this);
    heading->setWordWrap(true);

    grid_ = new QTableWidget(static_cast<int>(list_.items.size()), Columns, this);
    grid_->setObjectName(QStringLiteral("catchUpGrid"));
    grid_->setHorizontalHeaderLabels({QStringLiteral("日期"), QStringLiteral("收/支"), QStringLiteral("明细"),
                                      QStringLiteral("金额"), QStringLiteral("帐户"),
                                      QStringLiteral("处理")});
    grid_->verticalHeader()->hide();
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    // The widths follow the first rows only: a list of years of occurrences opens as fast as a short one.
    grid_->horizontalHeader()->setResizeContentsPrecision(64);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grid_->horizontalHeader()->setSectionResizeMode(DetailColumn, QHeaderView::Stretch);
    for (int row = 0; row < list_.items.size(); ++row)
        showRow(row);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("catchUpStatus"));
    int entered = 0;
    for (const DueOccurrence& item : list_.items)
        entered += item.done ? 1 : 0;
    status_->setText(
        QStringLiteral("共 %1 笔到期，其中 %2 笔已自动入帐。").arg(list_.items.size()).arg(entered));

    auto* enter = Button(QStringLiteral("入帐(&E)"), "catchUpEnter", this);
    auto* skip = Button(QStringLiteral("跳过(&S)"), "catchUpSkip", this);
    auto* postpone = Button(QStringLiteral("推迟(&P)"), "catchUpPostpone", this);
    auto* ok = Button(QStringLiteral("确定"), "catchUpApply", this);
    auto* later = Button(QStringLiteral("以后再说"), "catchUpLater", this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(status_, 1);
    for (QPushButton* b : {enter, skip, postpone, ok, later})
        buttons->addWidget(b);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(grid_, 1);
    layout->addLayout(buttons);

    connect(enter, &QPushButton::clicked, this, [this] { choose(DueOccurrence::State::Entered); });
    connect(skip, &QPushButton::clicked, this, [this] { choose(DueOccurrence::State::Skipped); });
    connect(postpone, &QPushButton::clicked, this, [this] { choose(DueOccurrence::State::Postponed); });
    connect(ok, &QPushButton::clicked, this, &CatchUpWindow::apply);
    connect(later, &QPushButton::clicked, this, &QDialog::reject);
}

void CatchUpWindow::showRow(int row) {
    const DueOccurrence& item = list_.items[row];
    const RegularEntry& entry = list_.entries[item.entry];
    const QStringList cells = {
        ShortDate(item.date),
        entry.type == EntryType::Income ? QStringLiteral("收入") : QStringLiteral("支出"),
        entry.detail,
        item.amount.format(),
        placeNames_.value(entry.place),
        StateText(item)};
    for (int column = 0; column < Columns; ++column) {
        auto* cell = new QTableWidgetItem(cells[column]);
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (column == AmountColumn && !item.done)
            flags |= Qt::ItemIsEditable;
        cell->setFlags(flags);
        if (column == ChoiceColumn && !item.message.isEmpty())
            cell->setToolTip(item.message);
        grid_->setItem(row, column, cell);
    }
}

void CatchUpWindow::choose(DueOccurrence::State state) {
    for (const QModelIndex& index : grid_->selectionModel()->selectedRows()) {
        DueOccurrence& item = list_.items[index.row()];
        if (item.done)
            continue;
        item.state = state;
        grid_->item(index.row(), ChoiceColumn)->setText(StateText(item));
    }
}

void CatchUpWindow::apply() {
    // The amounts as typed, each read before anything is written.
    for (int row = 0; row < list_.items.size(); ++row) {
        DueOccurrence& item = list_.items[row];
        if (item.done || item.state != DueOccurrence::State::Entered)
            continue;
        const QString text = grid_->item(row, AmountColumn)->text().trimmed();
        if (text == item.amount.format())
            continue;
        const TypedAmount typed = ReadTypedAmount(QString(text).remove(QStringLiteral("￥")));
        QString refusal;
        if (typed.kind != TypedAmount::Kind::Amount)
            refusal = typed.message;
        else if (typed.amount.isZero() || typed.amount.isNegative())
            refusal = QStringLiteral("金额必须大于零，请重新输入。");
        if (!refusal.isEmpty()) {
            Prompt::current().show(Captions::kNotice,
                                   QStringLiteral("%1 的“%2”：%3")
                                       .arg(ShortDate(item.date), list_.entries[item.entry].detail, refusal),
                                   Prompt::Buttons::Ok, Prompt::Icon::Warning);
            grid_->setCurrentCell(row, AmountColumn);
            return;
        }
        item.amount = typed.amount;
    }
    written_ = ApplyDecisions(household_.database, household_.homeSafe, list_, household_.user.name);
    QStringList failures;
    for (const DueOccurrence& item : list_.items) {
        if (item.state == DueOccurrence::State::Failed)
            failures.append(QStringLiteral("%1 %2：%3")
                                .arg(ShortDate(item.date), list_.entries[item.entry].detail, item.message));
    }
    if (!failures.isEmpty())
        ReportError(QStringLiteral("以下定期收支没有入帐，下次启动时会再列出：\n%1")
                        .arg(failures.join(QLatin1Char('\n'))));
    accept();
}

bool RunCatchUp(Household& household, QWidget* parent) {
    const Result<QList<RegularEntry>> entries = ReadRegularEntries(household.database.connection());
    if (!entries) {
        ReportError(
            QStringLiteral("无法读取定期收支，到期的定期收支下次启动时再列出。（%1）").arg(entries.error()));
        return false;
    }
    const QDate today = Today();
    const QDate lastRun = QDate::fromString(
        household.settings.readString(kSection, kLastRunKey).value_or(QString()), Qt::ISODate);
    CatchUpList list = DueOccurrences(entries.value(), today, lastRun, [&](EntryType type) {
        return household.holdsRight(type == EntryType::Income ? QStringLiteral("收入管理")
                                                              : QStringLiteral("支出管理"));
    });
    const int entered = EnterAutomatic(household.database, household.homeSafe, list, household.user.name);
    // A clock set back leaves the day of the last run where it was.
    if (!lastRun.isValid() || today > lastRun)
        (void)household.settings.writeString(kSection, kLastRunKey, ShortDate(today));
    if (list.items.isEmpty())
        return entered > 0;
    CatchUpWindow window(household, std::move(list), parent);
    window.exec();
    return entered > 0 || window.written() > 0;
}
