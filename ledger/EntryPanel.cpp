#include "ledger/EntryPanel.h"

#include "data/AmountText.h"
#include "data/Database.h"
#include "data/DateText.h"
#include "data/HomeSafe.h"
#include "data/Statements.h"
#include "household/CurrentUser.h"
#include "household/Household.h"
#include "kit/DataGrid.h"
#include "kit/DatePicks.h"
#include "kit/HalfWidthValidator.h"
#include "kit/Prompt.h"
#include "kit/StyleEngine.h"
#include "kit/Today.h"
#include "ledger/AmountEdit.h"
#include "ledger/EntryList.h"
#include "ledger/LedgerTotals.h"
#include "ledger/PlaceFilter.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QStandardItemModel>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kDeleteQuestion = QStringLiteral("确信要删除选定项目吗？");

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QString name(const char* latin1) {
    return QString::fromLatin1(latin1);
}

// The right that adding, changing and deleting entries of a type needs, as for bringing its panel up.
QString rightNeeded(EntryType type) {
    return type == EntryType::Income ? QStringLiteral("收入管理") : QStringLiteral("支出管理");
}

QLabel* formLabel(const QString& caption, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setStyleSheet(QStringLiteral("color: navy;"));
    return label;
}

}  // namespace

const EntryPanelConfig& EntryPanelConfig::income() {
    static const EntryPanelConfig config{EntryType::Income,
                                         "Panel3",
                                         "Label9",
                                         "恭喜！又有钱入帐",
                                         QColor(0x00, 0x80, 0x00),
                                         "DBGridEh1",
                                         "收入来源：",
                                         "DBComboBox1",
                                         "收入金额：",
                                         "DBEdit1",
                                         "DBEdit2",
                                         "DateTimePicker3",
                                         "DBEdit3",
                                         "DBMemo1",
                                         "DBEdit4",
                                         "SpeedButton10",
                                         "SpeedButton11",
                                         "SpeedButton12",
                                         "SpeedButton13",
                                         "SpeedButton16",
                                         "RadioButton13",
                                         "RadioButton14",
                                         "必须输入收入明细！",
                                         "必须输入收入金额！"};
    return config;
}

const EntryPanelConfig& EntryPanelConfig::expense() {
    static const EntryPanelConfig config{EntryType::Expense,
                                         "Panel4",
                                         "Label11",
                                         "花费明细登记一下吧！",
                                         QColor(0xff, 0x00, 0x00),
                                         "DBGridEh2",
                                         "支出缘由：",
                                         "DBComboBox2",
                                         "支出金额：",
                                         "DBEdit5",
                                         "DBEdit6",
                                         "DateTimePicker4",
                                         "DBEdit7",
                                         "DBMemo2",
                                         "DBEdit8",
                                         "SpeedButton17",
                                         "SpeedButton20",
                                         "SpeedButton21",
                                         "SpeedButton22",
                                         "SpeedButton23",
                                         "RadioButton11",
                                         "RadioButton12",
                                         "必须输入开支明细！",
                                         "必须输入开支金额！"};
    return config;
}

EntryPanel::EntryPanel(Household& household, const EntryPanelConfig& config, QWidget* parent)
    : FunctionPanel(name(config.panel), parent),
      household_(household),
      config_(config),
      book_(household.database, household.homeSafe, config.type),
      model_(new EntryListModel(this)) {
    buildForm();
    stateChange();
}

EntryPanel::~EntryPanel() = default;

void EntryPanel::buildForm() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(12, 8, 12, 10);

    auto* heading = new QLabel(text(config_.heading), this);
    heading->setObjectName(name(config_.headingName));
    heading->setAlignment(Qt::AlignHCenter);
    heading->setStyleSheet(QStringLiteral("font-size: 24px; font-weight: bold; text-decoration: underline; "
                                          "color: %1;")
                               .arg(config_.headingColour.name()));
    outer->addWidget(heading);

    auto* body = new QHBoxLayout;
    body->setSpacing(14);
    outer->addLayout(body, 1);

    // The entry form on the left.
    auto* form = new QVBoxLayout;
    auto* fields = new QGridLayout;
    fields->setVerticalSpacing(10);
    detail_ = new QComboBox(this);
    detail_->setObjectName(name(config_.detailBox));
    detail_->setEditable(true);
    detail_->setInsertPolicy(QComboBox::NoInsert);
    detail_->setMinimumWidth(170);
    fields->addWidget(formLabel(text(config_.detailLabel), this), 0, 0);
    fields->addWidget(detail_, 0, 1, 1, 2);

    amount_ = new AmountEdit(this);
    amount_->setObjectName(name(config_.amountBox));
    auto* yuan = new QLabel(QStringLiteral("元"), this);
    yuan->setStyleSheet(
        QStringLiteral("color: %1;")
            .arg(StyleEngine::toneOf(StyleEngine::Tone::Expense, StyleEngine::kOwnBackground).name()));
    fields->addWidget(formLabel(text(config_.amountLabel), this), 1, 0);
    fields->addWidget(amount_, 1, 1);
    fields->addWidget(yuan, 1, 2);

    // Where the money was paid from or into, on the line under the amount.
    place_ = new QComboBox(this);
    place_->setObjectName(QStringLiteral("ComboBoxPlace"));
    fields->addWidget(formLabel(QStringLiteral("帐        户："), this), 2, 0);
    fields->addWidget(place_, 2, 1);

    date_ = new QLineEdit(this);
    date_->setObjectName(name(config_.dateBox));
    date_->setValidator(new HalfWidthValidator(date_));  // "２０２４－３－５" reads as 2024-3-5
    picker_ = new QDateEdit(Today(), this);
    picker_->setObjectName(name(config_.picker));
    picker_->setCalendarPopup(true);
    picker_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    picker_->setFixedWidth(22);
    picker_->setToolTip(QStringLiteral("选择日期"));
    auto* dateRow = new QHBoxLayout;
    dateRow->setSpacing(0);
    dateRow->addWidget(date_, 1);
    dateRow->addWidget(picker_);
    fields->addWidget(formLabel(QStringLiteral("登记日期："), this), 3, 0);
    fields->addLayout(dateRow, 3, 1);

    registrar_ = new QLineEdit(this);
    registrar_->setObjectName(name(config_.registrarBox));
    fields->addWidget(formLabel(QStringLiteral("登  记  人："), this), 4, 0);
    fields->addWidget(registrar_, 4, 1);

    remarks_ = new QTextEdit(this);
    remarks_->setObjectName(name(config_.remarksBox));
    remarks_->setAcceptRichText(false);
    remarks_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    fields->addWidget(formLabel(QStringLiteral("备         注："), this), 5, 0, Qt::AlignTop);
    fields->addWidget(remarks_, 5, 1, 1, 2);
    fields->setRowStretch(5, 1);

    typeBox_ = new QLineEdit(this);
    typeBox_->setObjectName(name(config_.typeBox));
    typeBox_->hide();
    form->addLayout(fields, 1);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(4);
    const auto makeButton = [this, buttons](const char* objectName, const char* caption) {
        auto* button = new QToolButton(this);
        button->setObjectName(name(objectName));
        button->setText(text(caption));
        button->setMinimumSize(52, 30);
        buttons->addWidget(button);
        return button;
    };
    add_ = makeButton(config_.addButton, "添加");
    edit_ = makeButton(config_.editButton, "修改");
    save_ = makeButton(config_.saveButton, "保存");
    delete_ = makeButton(config_.deleteButton, "删除");
    cancel_ = makeButton(config_.cancelButton, "取消");
    form->addLayout(buttons);
    body->addLayout(form, 0);

    // The list on the right, with its filter under it.
    auto* listSide = new QVBoxLayout;
    grid_ = new DataGrid(this);
    grid_->setObjectName(name(config_.grid));
    grid_->setColumns(
        {{QStringLiteral("明细"), QStringLiteral("mingxi"), DataGrid::Format::Text, Qt::AlignLeft, 110},
         {QStringLiteral("金额"), QStringLiteral("feiyong"), DataGrid::Format::Money, Qt::AlignHCenter, 100,
          StyleEngine::toneOf(StyleEngine::Tone::Expense, StyleEngine::kOwnBackground), true},
         {QStringLiteral("帐户"), QStringLiteral("zhanghu"), DataGrid::Format::Text, Qt::AlignHCenter, 96},
         {QStringLiteral("登记日期"), QStringLiteral("shururiqi"), DataGrid::Format::Text, Qt::AlignHCenter,
          96},
         {QStringLiteral("登  记  人"), QStringLiteral("dengjiren"), DataGrid::Format::Text, Qt::AlignHCenter,
          80},
         {QStringLiteral("备注"), QStringLiteral("beizhu"), DataGrid::Format::Text, Qt::AlignLeft, 160}});
    grid_->setStyleSheet(
        QStringLiteral("QTableView { color: navy; font-weight: bold; } QHeaderView::section { background: "
                       "teal; color: yellow; font-weight: bold; border: 1px solid #0b5e5e; padding: 3px; }"));
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->horizontalHeader()->setSectionsClickable(true);
    listSide->addWidget(grid_, 1);
    auto* filters = new QHBoxLayout;
    today_ = new QRadioButton(QStringLiteral("今天"), this);
    today_->setObjectName(name(config_.todayChoice));
    today_->setChecked(true);
    all_ = new QRadioButton(QStringLiteral("全部"), this);
    all_->setObjectName(name(config_.allChoice));
    filters->addWidget(today_);
    filters->addWidget(all_);
    filters->addSpacing(8);
    filters->addWidget(new QLabel(QStringLiteral("帐户："), this));
    listPlace_ = new QComboBox(this);
    listPlace_->setObjectName(QStringLiteral("ComboBoxListPlace"));
    listPlace_->setToolTip(QStringLiteral("只列出一个帐户的记录"));
    listPlace_->addItem(QString::fromUtf8(kEveryPlace));
    listPlace_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    listPlace_->setMinimumContentsLength(7);
    listPlace_->setMaximumWidth(240);  // room for a long place's label, a few letters on a small window
    filters->addWidget(listPlace_, 1);
    filters->addStretch(1);
    listSide->addLayout(filters);
    // Under the choices, on a line of its own so that they keep their room on a small window.
    listNote_ = new QLabel(this);
    listNote_->setObjectName(QStringLiteral("LabelListPlaceNote"));
    listNote_->setStyleSheet(QStringLiteral("color: #a05000;"));
    listNote_->setWordWrap(true);
    listNote_->hide();
    listSide->addWidget(listNote_);
    body->addLayout(listSide, 1);

    connect(add_, &QToolButton::clicked, this, &EntryPanel::addClick);
    connect(edit_, &QToolButton::clicked, this, &EntryPanel::editClick);
    connect(save_, &QToolButton::clicked, this, &EntryPanel::saveClick);
    connect(delete_, &QToolButton::clicked, this, &EntryPanel::deleteClick);
    connect(cancel_, &QToolButton::clicked, this, &EntryPanel::cancelClick);
    OnDatePicked(picker_, this, [this](const QDate& day) { pickerChange(day); });
    connect(today_, &QRadioButton::toggled, this, &EntryPanel::todayClick);
    connect(all_, &QRadioButton::toggled, this, &EntryPanel::allClick);
    connect(listPlace_, &QComboBox::currentIndexChanged, this, &EntryPanel::listPlaceChosen);
    connect(grid_->horizontalHeader(), &QHeaderView::sectionClicked, this, &EntryPanel::headerClicked);
    connect(grid_, &DataGrid::currentRowChanged, this, [this](int row) {
        if (state_ == State::Browsing)
            showRow(row);
    });
}

void EntryPanel::broughtToFront() {
    loadPlaces();
    LoadToday();
    amountBeforeEdit_ = Money();
}

void EntryPanel::LoadToday() {
    kept_.clear();
    reload(ListFilter::Today);
}

void EntryPanel::LoadDetailChoices() {
    const Result<QStringList> details =
        DistinctDetails(household_.database.connection(), EntryTypeCode(config_.type));
    if (!details) {
        ReportError(details.error());
        return;
    }
    const QString shown = detail_->currentText();
    detail_->clear();
    detail_->addItems(details.value());
    detail_->setEditText(shown);
}

void EntryPanel::loadPlaces() {
    const Result<QList<PlaceChoice>> places = ReadPlaceChoices(household_.database.connection());
    if (!places) {
        ReportError(places.error());
        return;
    }
    const qint64 shown = place_->currentData().toLongLong();
    QHash<qint64, QString> names;
    place_->clear();
    auto* items = qobject_cast<QStandardItemModel*>(place_->model());
    for (const PlaceChoice& place : places.value()) {
        names.insert(place.id, place.name);
        if (place.kind == QLatin1String(Codes::kCash))
            homeSafeId_ = place.id;
        place_->addItem(PlaceLabel(place), place.id);
        // A closed place is no choice for new money, but an entry of its history still shows it.
        if (place.closed && items)
            items->item(place_->count() - 1)->setEnabled(false);
    }
    model_->setPlaceNames(names);
    selectPlace(shown);
    FillPlaceFilter(listPlace_, places.value());
}

void EntryPanel::selectPlace(qint64 id) {
    const int at = place_->findData(id);
    place_->setCurrentIndex(at >= 0 ? at : place_->findData(homeSafeId_));
}

bool EntryPanel::placeIsOpen(qint64 id) const {
    const auto* items = qobject_cast<const QStandardItemModel*>(place_->model());
    const int at = place_->findData(id);
    return at >= 0 && (!items || items->item(at)->isEnabled());
}

bool EntryPanel::reload(ListFilter filter, std::optional<qint64> selectId, int selectRow) {
    std::optional<EntryListModel::Sort> sort;
    if (!sortField_.isEmpty())
        sort = EntryListModel::Sort{sortField_, sortDescending_};
    const Status shown =
        model_->show(household_.database.connection(),
                     {filter == ListFilter::All, EntryTypeCode(config_.type), Today(), kept_, sort},
                     ChosenPlace(listPlace_));
    if (!shown) {
        ReportError(shown.error());
        return false;
    }
    shownFilter_ = filter;
    if (kept_.isEmpty()) {
        listNote_->clear();
        listNote_->hide();
    }
    editingId_.reset();
    if (grid_->sourceModel() != model_)
        grid_->setSourceModel(model_);
    state_ = State::Browsing;

    // The row to select is found by its key and the list's order, never by walking the list: at the
    // given place when the rows before it are known not to have moved (after a deletion), else counted.
    int row = selectId ? -1 : 0;
    if (selectId && selectRow >= 0) {
        if (const Status placed = model_->place(*selectId, selectRow); placed)
            row = selectRow;
    } else if (selectId) {
        const Result<int> at = model_->locate(*selectId);
        row = at ? at.value() : -1;
    }
    grid_->setCurrentRow(row);
    showRow(grid_->currentRow());
    stateChange();
    return true;
}

bool EntryPanel::hasRows() const {
    return state_ != State::Closed && model_->rowCount() > 0;
}

std::optional<qint64> EntryPanel::currentId() const {
    const int row = grid_->currentRow();
    if (row < 0)
        return std::nullopt;
    return grid_->value(row, QStringLiteral("id")).toLongLong();
}

void EntryPanel::showRow(int row) {
    shownRow_ = EntryText{};
    if (row < 0) {
        for (QLineEdit* box : {static_cast<QLineEdit*>(amount_), date_, registrar_, typeBox_})
            box->clear();
        detail_->setEditText(QString());
        remarks_->clear();
        selectPlace(homeSafeId_);
        return;
    }
    const auto field = [this, row](const char* name) { return grid_->value(row, QString::fromLatin1(name)); };
    const QVariant amount = field("feiyong");
    shownRow_ = EntryText{field("mingxi").toString(),    Money::fromUnits(amount.toLongLong()),
                          field("shururiqi").toString(), field("dengjiren").toString(),
                          field("beizhu").toString(),    model_->placeAt(row)};
    selectPlace(shownRow_.place);
    detail_->setEditText(shownRow_.detail);
    amount_->setText(amount.isNull() ? QString() : shownRow_.amount.toPlainText());
    date_->setText(shownRow_.date);
    registrar_->setText(shownRow_.registrar);
    remarks_->setPlainText(shownRow_.remarks);
    typeBox_->setText(field("leixing").toString());
}

void EntryPanel::showAsItNowStands(qint64 id) {
    state_ = State::Browsing;
    editingId_.reset();
    amountBeforeEdit_ = Money();
    const bool stillThere = book_.read(id).isOk();
    if (stillThere && !kept_.contains(id))
        kept_.append(id);
    reload(shownFilter_, stillThere ? std::optional<qint64>(id) : std::nullopt);
}

void EntryPanel::stateChange() {
    const bool open = state_ != State::Closed;
    const bool pending = state_ == State::Adding || state_ == State::Editing;
    const bool browsing = state_ == State::Browsing;
    add_->setEnabled(open && !pending);
    edit_->setEnabled(browsing);
    save_->setEnabled(pending);
    delete_->setEnabled(browsing && hasRows());
    cancel_->setEnabled(pending);

    // The list is locked while a row is pending; the boxes take input only then.
    grid_->setEnabled(!pending);
    today_->setEnabled(!pending);
    all_->setEnabled(!pending);
    listPlace_->setEnabled(!pending);
    for (QLineEdit* box : {static_cast<QLineEdit*>(amount_), date_, registrar_})
        box->setReadOnly(!pending);
    remarks_->setReadOnly(!pending);
    detail_->setEnabled(pending);
    picker_->setEnabled(pending);
    place_->setEnabled(pending);
}

void EntryPanel::addClick() {
    if (state_ != State::Browsing || !household_.permissionGate(rightNeeded(config_.type)))
        return;
    state_ = State::Adding;
    editingId_.reset();
    showRow(-1);
    typeBox_->setText(EntryTypeCode(config_.type));
    date_->setText(ShortDate(Today()));
    registrar_->setText(household_.user.name);
    amountBeforeEdit_ = Money();
    // Places added or closed in the bank window meanwhile are offered as they now stand. A new entry
    // starts on the place this panel last saved to in this run, while it is open; else the home safe.
    loadPlaces();
    selectPlace(placeIsOpen(lastPlace_) ? lastPlace_ : homeSafeId_);
    stateChange();
    detail_->setFocus();
}

void EntryPanel::editClick() {
    if (state_ != State::Browsing || !household_.permissionGate(rightNeeded(config_.type)) || !hasRows())
        return;
    const std::optional<qint64> id = currentId();
    if (!id)
        return;
    const Result<Money> before = Money::parse(amount_->text());
    if (!before) {
        ReportError(before.error());
        return;
    }
    state_ = State::Editing;
    editingId_ = id;
    amountBeforeEdit_ = before.value();
    loadPlaces();
    selectPlace(shownRow_.place);
    stateChange();
    detail_->setFocus();
}

bool EntryPanel::saveClick() {
    if (state_ != State::Adding && state_ != State::Editing)
        return false;
    if (detail_->currentText().isEmpty()) {
        Notify(text(config_.emptyDetailMessage));
        detail_->setFocus();
        return false;
    }
    if (amount_->text().isEmpty()) {
        Notify(text(config_.emptyAmountMessage));
        amount_->setFocus();
        return false;
    }
    // A figure beyond what one entry may carry is refused before anything is written.
    const TypedAmount amount = ReadTypedAmount(amount_->text());
    if (amount.kind == TypedAmount::Kind::NotANumber) {
        ReportError(amount.message);
        return false;
    }
    if (amount.kind == TypedAmount::Kind::TooLarge) {
        Notify(amount.message);
        amount_->setFocus();
        return false;
    }
    // The date as typed, a two-digit year read around today; the row gets it in the stored form.
    const Result<QDate> day = ParseDate(date_->text(), Today());
    if (!day) {
        ReportError(day.error());
        return false;
    }
    const EntryText entry{detail_->currentText(),  amount.amount,
                          ShortDate(day.value()),  registrar_->text(),
                          remarks_->toPlainText(), place_->currentData().toLongLong()};
    const std::optional<qint64> edited = state_ == State::Editing ? editingId_ : std::nullopt;
    model_->entryWriting();
    const Result<qint64> saved = book_.save(edited, entry, shownRow_);
    if (!saved) {
        if (edited && book_.refusedAsChanged())
            showAsItNowStands(*edited);
        ReportError(saved.error());
        return false;
    }
    model_->entryWritten(edited, saved.value());
    lastPlace_ = entry.place;
    // The row is stored: whatever the reload gives, nothing is pending any more.
    state_ = State::Browsing;
    editingId_.reset();
    stateChange();
    if (!kept_.contains(saved.value()))
        kept_.append(saved.value());
    // A row saved on another place than the list's stays listed, after the list's own rows, until the
    // list is read again; the note says why it is there.
    const std::optional<qint64> listed = ChosenPlace(listPlace_);
    const bool elsewhere = listed && *listed != entry.place;
    const QString savedOn = place_->currentText();
    reload(shownFilter_, saved.value());
    if (elsewhere) {
        listNote_->show();
        listNote_->setText(QStringLiteral("刚保存的记录记在“%1”上，不属于所选帐户，暂列在列表末尾；"
                                          "选“全部帐户”可照常看到它。")
                               .arg(savedOn));
    }
    // The budget of the 明细, and of the whole month, may have reached a threshold with this expense.
    if (config_.type == EntryType::Expense && household_.expenseSaved)
        household_.expenseSaved(entry.detail, day.value());
    return true;
}

void EntryPanel::deleteClick() {
    if (state_ != State::Browsing || !household_.permissionGate(rightNeeded(config_.type)) || !hasRows())
        return;
    const std::optional<qint64> id = currentId();
    if (!id)
        return;
    if (Prompt::current().show(Captions::kNotice, kDeleteQuestion, Prompt::Buttons::YesNo,
                               Prompt::Icon::Question) != Prompt::Answer::Yes) {
        return;
    }
    // The row that takes the deleted row's place, or the one before it when it was the last.
    const int row = grid_->currentRow();
    std::optional<qint64> neighbour;
    int neighbourRow = row + 1;
    if (neighbourRow >= model_->rowCount() && model_->canFetchMore())
        model_->fetchMore();
    if (neighbourRow >= model_->rowCount())
        neighbourRow = row - 1;
    if (neighbourRow >= 0)
        neighbour = grid_->value(neighbourRow, QStringLiteral("id")).toLongLong();
    model_->entryWriting();
    if (const Status removed = book_.remove(*id, shownRow_, household_.user.name); !removed) {
        if (book_.refusedAsChanged())
            showAsItNowStands(*id);
        ReportError(removed.error());
        return;
    }
    model_->entryWritten(*id, std::nullopt);
    kept_.removeAll(*id);
    reload(shownFilter_, neighbour, neighbour ? qMin(row, neighbourRow) : -1);
}

void EntryPanel::cancelClick() {
    if (state_ == State::Adding || state_ == State::Editing) {
        state_ = State::Browsing;
        editingId_.reset();
        showRow(grid_->currentRow());
        stateChange();
    }
    amountBeforeEdit_ = Money();
}

void EntryPanel::pickerChange(const QDate& day) {
    if (state_ == State::Adding || state_ == State::Editing)
        date_->setText(ShortDate(day));
}

void EntryPanel::todayClick(bool checked) {
    if (!checked)
        return;
    kept_.clear();
    reload(ListFilter::Today);
}

void EntryPanel::allClick(bool checked) {
    if (!checked)
        return;
    kept_.clear();
    reload(ListFilter::All);
}

void EntryPanel::listPlaceChosen() {
    if (state_ != State::Browsing)
        return;
    kept_.clear();
    reload(shownFilter_);
}

void EntryPanel::headerClicked(int section) {
    const QString field =
        section >= 0 && section < grid_->columns().size() ? grid_->columns().at(section).field : QString();
    if (state_ == State::Browsing && EntryListModel::Sortable(field)) {
        // The same header again turns the order round; another starts with the way most asked for.
        sortDescending_ = field == sortField_ ? !sortDescending_ : field == QLatin1String("shururiqi");
        sortField_ = field;
        // The new order is shown from its top, its first row current: what the click asked to see.
        reload(shownFilter_);
    }
    // The header moves its mark on any click: it is put back where the order is.
    QHeaderView* header = grid_->horizontalHeader();
    int sorted = -1;
    for (int c = 0; c < grid_->columns().size(); ++c) {
        if (grid_->columns().at(c).field == sortField_)
            sorted = c;
    }
    header->setSortIndicatorShown(sorted >= 0);
    header->setSortIndicator(sorted, sortDescending_ ? Qt::DescendingOrder : Qt::AscendingOrder);
}

bool EntryPanel::hasPendingEdit() const {
    return state_ == State::Adding || state_ == State::Editing;
}

bool EntryPanel::savePendingEdit() {
    return saveClick();
}

void EntryPanel::discardPendingEdit() {
    cancelClick();
}
