#include "plans/RegularWindow.h"

#include "data/AmountText.h"
#include "data/Database.h"
#include "data/DateText.h"
#include "data/HomeSafe.h"
#include "household/Household.h"
#include "kit/ListGrid.h"
#include "kit/Prompt.h"
#include "kit/Today.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum EndKind { Never, ByDate, ByTimes };

QString TypeText(EntryType type) {
    return type == EntryType::Income ? QStringLiteral("收入") : QStringLiteral("支出");
}

QString RightOf(EntryType type) {
    return type == EntryType::Income ? QStringLiteral("收入管理") : QStringLiteral("支出管理");
}

template <typename T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QDateEdit* DateBox(const char* name, QWidget* parent) {
    auto* box = Named(new QDateEdit(Today(), parent), name);
    box->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    box->setCalendarPopup(true);
    return box;
}

}  // namespace

RegularWindow::RegularWindow(Household& household, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint),
      household_(household) {
    setObjectName(QStringLiteral("RegularWindow"));
    setWindowTitle(QStringLiteral("定期收支"));
    resize(820, 560);

    auto* heading = new QLabel(
        QStringLiteral("到期的定期收支在启动时（以及程序开着过了午夜时）列出：自动入帐的直接记入收支，"
                       "其余的等您确认、跳过或推迟。"),
        this);
    heading->setWordWrap(true);

    grid_ = Named(new QTableWidget(0, 8, this), "regularGrid");
    grid_->setHorizontalHeaderLabels({QStringLiteral("收/支"), QStringLiteral("明细"), QStringLiteral("金额"),
                                      QStringLiteral("帐户"), QStringLiteral("重复"), QStringLiteral("起止"),
                                      QStringLiteral("入帐方式"), QStringLiteral("下次")});
    grid_->verticalHeader()->hide();
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grid_->horizontalHeader()->setStretchLastSection(true);

    type_ = Named(new QComboBox(this), "regularType");
    for (EntryType type : {EntryType::Expense, EntryType::Income})
        type_->addItem(TypeText(type), static_cast<int>(type));
    detail_ = Named(new QLineEdit(this), "regularDetail");
    detail_->setPlaceholderText(QStringLiteral("例如：房租"));
    amount_ = Named(new QLineEdit(this), "regularAmount");
    amount_->setPlaceholderText(QStringLiteral("例如：2500.00"));
    place_ = Named(new QComboBox(this), "regularPlace");
    if (const auto places = ReadPlaceChoices(household_.database.connection())) {
        for (const PlaceChoice& place : places.value()) {
            if (!place.closed)
                place_->addItem(PlaceLabel(place), place.id);
        }
    }
    remarks_ = Named(new QLineEdit(this), "regularRemarks");

    every_ = Named(new QSpinBox(this), "regularEvery");
    every_->setRange(0, 999);
    every_->setValue(1);
    unit_ = Named(new QComboBox(this), "regularUnit");
    for (Schedule::Unit unit :
         {Schedule::Unit::Month, Schedule::Unit::Week, Schedule::Unit::Day, Schedule::Unit::Year})
        unit_->addItem(UnitName(unit), static_cast<int>(unit));
    day_ = Named(new QSpinBox(this), "regularDay");
    day_->setRange(0, 32);
    day_->setValue(Today().day());
    day_->setSuffix(QStringLiteral(" 日"));
    day_->setToolTip(QStringLiteral("31 表示每月最后一天；29、30 日在较短的月份落在月末。"));
    auto* repeat = new QHBoxLayout;
    repeat->addWidget(new QLabel(QStringLiteral("每"), this));
    repeat->addWidget(every_);
    repeat->addWidget(unit_);
    repeat->addWidget(new QLabel(QStringLiteral("，在"), this));
    repeat->addWidget(day_);
    repeat->addWidget(new QLabel(QStringLiteral("（31 = 月末）"), this));
    repeat->addStretch(1);

    start_ = DateBox("regularStart", this);
    endKind_ = Named(new QComboBox(this), "regularEndKind");
    endKind_->addItem(QStringLiteral("一直重复"), Never);
    endKind_->addItem(QStringLiteral("到日期为止"), ByDate);
    endKind_->addItem(QStringLiteral("共几次"), ByTimes);
    end_ = DateBox("regularEnd", this);
    times_ = Named(new QSpinBox(this), "regularTimes");
    times_->setRange(0, 9999);
    times_->setValue(12);
    times_->setSuffix(QStringLiteral(" 次"));
    auto* span = new QHBoxLayout;
    span->addWidget(start_);
    span->addWidget(new QLabel(QStringLiteral("起，"), this));
    span->addWidget(endKind_);
    span->addWidget(end_);
    span->addWidget(times_);
    span->addStretch(1);
    automatic_ =
        Named(new QCheckBox(QStringLiteral("到期自动入帐（不勾选则到期时请您确认，金额可改）"), this),
              "regularAutomatic");

    auto* boxes = new QFormLayout;
    boxes->addRow(QStringLiteral("收/支："), type_);
    boxes->addRow(QStringLiteral("明细："), detail_);
    boxes->addRow(QStringLiteral("金额："), amount_);
    boxes->addRow(QStringLiteral("帐户："), place_);
    boxes->addRow(QStringLiteral("备注："), remarks_);
    boxes->addRow(QStringLiteral("重复："), repeat);
    boxes->addRow(QStringLiteral("开始："), span);
    boxes->addRow(QString(), automatic_);

    status_ = Named(new QLabel(this), "regularStatus");
    add_ = Named(new QPushButton(QStringLiteral("添加(&A)"), this), "regularAdd");
    change_ = Named(new QPushButton(QStringLiteral("修改(&M)"), this), "regularChange");
    delete_ = Named(new QPushButton(QStringLiteral("删除(&D)"), this), "regularDelete");
    auto* close = Named(new QPushButton(QStringLiteral("关闭"), this), "regularClose");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(status_, 1);
    for (QPushButton* b : {add_, change_, delete_, close}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(grid_, 1);
    layout->addLayout(boxes);
    layout->addLayout(buttons);

    connect(grid_, &QTableWidget::currentCellChanged, this, &RegularWindow::showChosen);
    connect(endKind_, &QComboBox::currentIndexChanged, this, &RegularWindow::endKindChanged);
    connect(unit_, &QComboBox::currentIndexChanged, this, &RegularWindow::unitChanged);
    connect(add_, &QPushButton::clicked, this, [this] { store(0); });
    connect(change_, &QPushButton::clicked, this, [this] {
        if (const RegularEntry* entry = chosen())
            store(entry->id);
    });
    connect(delete_, &QPushButton::clicked, this, &RegularWindow::removeChosen);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    endKindChanged();
    unitChanged();
    reload();
}

void RegularWindow::reload(qint64 chosenId) {
    const Result<QList<RegularEntry>> read = ReadRegularEntries(household_.database.connection());
    entries_ = read ? read.value() : QList<RegularEntry>();
    const QSignalBlocker quiet(grid_);
    QList<QStringList> rows;
    int chosenRow = entries_.isEmpty() ? -1 : 0;
    for (const RegularEntry& e : entries_) {
        const int placeRow = place_->findData(e.place);
        QString span = ShortDate(e.schedule.start) + QStringLiteral(" 起");
        if (e.schedule.end)
            span += QStringLiteral("，至 ") + ShortDate(*e.schedule.end);
        const std::optional<QDate> next = NextOccurrence(e.schedule, e.lastDone);
        if (e.id == chosenId)
            chosenRow = static_cast<int>(rows.size());
        rows.append({TypeText(e.type), e.detail, e.amount.format(),
                     placeRow >= 0 ? place_->itemText(placeRow) : QStringLiteral("（已关闭的帐户）"),
                     RepetitionText(e.schedule), span,
                     e.automatic ? QStringLiteral("自动入帐") : QStringLiteral("确认后入帐"),
                     next ? ShortDate(*next) : QStringLiteral("已结束")});
    }
    FillListGrid(grid_, rows, chosenRow);
    showChosen();
    if (!read) {
        status_->setText(QStringLiteral("无法读取定期收支。"));
        ReportError(QStringLiteral("无法读取定期收支，请稍后再试。（%1）").arg(read.error()));
    } else {
        status_->setText(entries_.isEmpty() ? QStringLiteral("还没有定期收支。")
                                            : QStringLiteral("共 %1 条定期收支。").arg(entries_.size()));
    }
}

const RegularEntry* RegularWindow::chosen() const {
    const int row = grid_->currentRow();
    return row >= 0 && row < entries_.size() ? &entries_[row] : nullptr;
}

void RegularWindow::showChosen() {
    const RegularEntry* e = chosen();
    change_->setEnabled(e != nullptr);
    delete_->setEnabled(e != nullptr);
    if (!e)
        return;
    type_->setCurrentIndex(type_->findData(static_cast<int>(e->type)));
    detail_->setText(e->detail);
    amount_->setText(e->amount.toPlainText());
    place_->setCurrentIndex(place_->findData(e->place));
    remarks_->setText(e->remarks);
    every_->setValue(e->schedule.every);
    unit_->setCurrentIndex(unit_->findData(static_cast<int>(e->schedule.unit)));
    day_->setValue(e->schedule.day);
    start_->setDate(e->schedule.start);
    endKind_->setCurrentIndex(e->schedule.end ? ByDate : e->schedule.times ? ByTimes : Never);
    if (e->schedule.end)
        end_->setDate(*e->schedule.end);
    if (e->schedule.times)
        times_->setValue(*e->schedule.times);
    automatic_->setChecked(e->automatic);
}

void RegularWindow::endKindChanged() {
    end_->setVisible(endKind_->currentData().toInt() == ByDate);
    times_->setVisible(endKind_->currentData().toInt() == ByTimes);
}

void RegularWindow::unitChanged() {
    const auto unit = static_cast<Schedule::Unit>(unit_->currentData().toInt());
    day_->setEnabled(unit == Schedule::Unit::Month || unit == Schedule::Unit::Year);
}

bool RegularWindow::typed(qint64 id, RegularEntry& entry) {
    const TypedAmount amount = ReadTypedAmount(amount_->text().trimmed());
    if (amount.kind != TypedAmount::Kind::Amount) {
        Prompt::current().show(
            Captions::kNotice,
            amount_->text().trimmed().isEmpty() ? QStringLiteral("请填写金额。") : amount.message,
            Prompt::Buttons::Ok, Prompt::Icon::Warning);
        amount_->setFocus();
        return false;
    }
    entry.id = id;
    entry.type = static_cast<EntryType>(type_->currentData().toInt());
    entry.detail = detail_->text().trimmed();
    entry.amount = amount.amount;
    entry.place = place_->currentData().toLongLong();
    entry.remarks = remarks_->text().trimmed();
    entry.schedule.every = every_->value();
    entry.schedule.unit = static_cast<Schedule::Unit>(unit_->currentData().toInt());
    entry.schedule.day = day_->isEnabled() ? day_->value() : start_->date().day();
    entry.schedule.start = start_->date();
    entry.schedule.end.reset();
    entry.schedule.times.reset();
    if (endKind_->currentData().toInt() == ByDate)
        entry.schedule.end = end_->date();
    else if (endKind_->currentData().toInt() == ByTimes)
        entry.schedule.times = times_->value();
    entry.automatic = automatic_->isChecked();
    return true;
}

bool RegularWindow::mayWrite(EntryType type) {
    return household_.permissionGate(RightOf(type));
}

void RegularWindow::store(qint64 id) {
    RegularEntry entry;
    if (!typed(id, entry))
        return;
    const RegularEntry* before = id != 0 ? chosen() : nullptr;
    if ((before && !mayWrite(before->type)) ||
        ((!before || before->type != entry.type) && !mayWrite(entry.type)))
        return;
    const Result<qint64> saved =
        SaveRegularEntry(household_.database, entry, before ? *before : RegularEntry());
    if (!saved) {
        Prompt::current().show(Captions::kNotice, saved.error(), Prompt::Buttons::Ok, Prompt::Icon::Warning);
        // An entry changed or deleted elsewhere meanwhile is shown as it now stands.
        if (id != 0 && CheckRegularEntry(entry).isOk())
            reload(id);
        return;
    }
    reload(saved.value());
    status_->setText(id == 0 ? QStringLiteral("已添加定期收支“%1”。").arg(entry.detail)
                             : QStringLiteral("已修改定期收支“%1”。").arg(entry.detail));
}

void RegularWindow::removeChosen() {
    const RegularEntry* e = chosen();
    if (!e || !mayWrite(e->type))
        return;
    const RegularEntry entry = *e;
    if (Prompt::current().show(Captions::kNotice,
                               QStringLiteral("要删除定期收支“%1”（%2，%3）吗？已记入的收支不受影响。")
                                   .arg(entry.detail, TypeText(entry.type), entry.amount.format()),
                               Prompt::Buttons::YesNoDefaultNo,
                               Prompt::Icon::Question) != Prompt::Answer::Yes)
        return;
    if (const Status removed = DeleteRegularEntry(household_.database, entry); !removed) {
        ReportError(QStringLiteral("未能删除这条定期收支。\n%1").arg(removed.error()));
        reload();
        return;
    }
    reload();
    status_->setText(QStringLiteral("已删除定期收支“%1”。").arg(entry.detail));
}
