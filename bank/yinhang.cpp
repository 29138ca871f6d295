#include "bank/yinhang.h"

#include "bank/BankMoves.h"
#include "bank/BankPasswords.h"
#include "bank/BankPlaces.h"
#include "data/AmountText.h"
#include "data/Database.h"
#include "data/DatabaseErrors.h"
#include "data/HomeSafe.h"
#include "data/Statements.h"
#include "household/CurrentUser.h"
#include "household/Household.h"
#include "kit/DataGrid.h"
#include "kit/Prompt.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSqlError>
#include <QSqlQueryModel>
#include <QStandardItemModel>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

struct BoxSpec {
    const char* name;
    const char* label;
    const char* field;
};

const BoxSpec kBoxes[] = {
    {"DBEdit1", "银行名称：", "mingcheng"},
    {"DBEdit2", "用  户  名：", "yonghuming"},
    {"DBEdit3", "帐号：", "zhanghao"},
    {"DBEdit4", "密码：", "mima"},
};

const QString kConfirmCaption = QStringLiteral("Confirm");
constexpr int kPasswordBox = 3;

}  // namespace

TForm4::TForm4(Household& household, QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      household_(household),
      query_(new QSqlQueryModel(this)),
      grid_(new DataGrid(this)) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("银行信息数据维护"));
    resize(820, 440);

    grid_->setObjectName(QStringLiteral("DBGridEh1"));
    QList<DataGrid::Column> columns;
    const char* const titles[] = {"银行名称", "用户名", "帐号", "密码"};
    for (int i = 0; i < 4; ++i)
        columns.append({QString::fromUtf8(titles[i]), QString::fromLatin1(kBoxes[i].field)});
    columns[0].width = 150;
    columns[2].width = 160;
    columns.append({QStringLiteral("类别"), QStringLiteral("leibiemingcheng"), DataGrid::Format::Text,
                    Qt::AlignHCenter, 70});
    columns.append(
        {QStringLiteral("信用额度"), QStringLiteral("edu"), DataGrid::Format::Money, Qt::AlignRight, 100});
    columns.append(
        {QStringLiteral("状态"), QStringLiteral("zhuangtai"), DataGrid::Format::Text, Qt::AlignHCenter, 60});
    grid_->setColumns(columns);
    grid_->setSourceModel(query_);
    connect(grid_, &DataGrid::currentRowChanged, this, [this] {
        if (state_ == State::Browse)
            showCurrentRow();
    });

    auto* boxes = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        boxes_[i] = new QLineEdit(this);
        boxes_[i]->setObjectName(QString::fromLatin1(kBoxes[i].name));
        boxes->addWidget(new QLabel(QString::fromUtf8(kBoxes[i].label), this), i / 2, (i % 2) * 2);
        boxes->addWidget(boxes_[i], i / 2, (i % 2) * 2 + 1);
    }
    // The kind of place and, for a credit card, how far below zero it may go.
    kind_ = new QComboBox(this);
    kind_->setObjectName(QStringLiteral("ComboBoxKind"));
    for (const char* code : {Codes::kBankCard, Codes::kWallet, Codes::kCreditCard, Codes::kCash})
        kind_->addItem(PlaceKindName(QString::fromLatin1(code)), QString::fromLatin1(code));
    // Cash is the home safe's kind alone.
    if (auto* items = qobject_cast<QStandardItemModel*>(kind_->model()))
        items->item(kind_->findData(QString::fromLatin1(Codes::kCash)))->setEnabled(false);
    limit_ = new QLineEdit(this);
    limit_->setObjectName(QStringLiteral("EditLimit"));
    limit_->setPlaceholderText(QStringLiteral("信用卡可欠的最大金额"));
    boxes->addWidget(new QLabel(QStringLiteral("类别："), this), 2, 0);
    boxes->addWidget(kind_, 2, 1);
    boxes->addWidget(new QLabel(QStringLiteral("信用额度："), this), 2, 2);
    boxes->addWidget(limit_, 2, 3);
    connect(kind_, &QComboBox::currentIndexChanged, this, [this] { DataSource1StateChange(); });

    // The bank password: masked, 显示 opens the current row's; the notes say who may read it and that it
    // is lost with the passwords of all who may.
    boxes_[kPasswordBox]->setToolTip(BankPasswordLossNote());
    showPassword_ = new QToolButton(this);
    showPassword_->setObjectName(QStringLiteral("ButtonShowPassword"));
    showPassword_->setText(QStringLiteral("显示"));
    boxes->addWidget(showPassword_, 1, 4);
    connect(showPassword_, &QToolButton::clicked, this, &TForm4::ButtonShowPasswordClick);
    lossNote_ = new QLabel(BankPasswordLossNote(), this);
    lossNote_->setObjectName(QStringLiteral("LabelPasswordNote"));
    lossNote_->setWordWrap(true);
    lossNote_->setStyleSheet(QStringLiteral("color: gray; font-size: small;"));
    boxes->addWidget(lossNote_, 3, 0, 1, 5);
    keyNote_ = new QLabel(this);
    keyNote_->setObjectName(QStringLiteral("LabelKeyNote"));
    keyNote_->setWordWrap(true);
    keyNote_->setStyleSheet(QStringLiteral("color: #a00000;"));
    newKey_ = new QToolButton(this);
    newKey_->setObjectName(QStringLiteral("ButtonNewHouseholdKey"));
    newKey_->setText(QStringLiteral("新建钥匙"));
    boxes->addWidget(keyNote_, 4, 0, 1, 4);
    boxes->addWidget(newKey_, 4, 4);
    connect(newKey_, &QToolButton::clicked, this, &TForm4::ButtonNewHouseholdKeyClick);

    const auto button = [this](const char* name, const char* caption) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(QString::fromUtf8(caption));
        b->setMinimumSize(72, 30);
        return b;
    };
    add_ = button("SpeedButton1", "添加");
    change_ = button("SpeedButton2", "修改");
    save_ = button("SpeedButton3", "保存");
    remove_ = button("SpeedButton4", "删除");
    cancel_ = button("SpeedButton6", "取消");
    close_ = button("SpeedButton7", "关闭");
    leave_ = button("SpeedButton5", "离开");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QToolButton* b : {add_, change_, save_, remove_, cancel_, close_, leave_})
        buttons->addWidget(b);
    buttons->addStretch(1);

    connect(add_, &QToolButton::clicked, this, &TForm4::SpeedButton1Click);
    connect(change_, &QToolButton::clicked, this, &TForm4::SpeedButton2Click);
    connect(save_, &QToolButton::clicked, this, &TForm4::SpeedButton3Click);
    connect(remove_, &QToolButton::clicked, this, &TForm4::SpeedButton4Click);
    connect(cancel_, &QToolButton::clicked, this, &TForm4::SpeedButton6Click);
    connect(leave_, &QToolButton::clicked, this, &TForm4::SpeedButton5Click);
    connect(close_, &QToolButton::clicked, this, &TForm4::SpeedButton7Click);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid_, 1);
    layout->addLayout(boxes);
    layout->addLayout(buttons);

    FormCreate();
}

void TForm4::FormCreate() {
    boxes_[0]->setEnabled(true);
    // Whether anyone holds the household key matters only to a user with the right who lacks it.
    if (holdsBankRight() && household_.user.householdKey.isEmpty()) {
        const Result<bool> held = HouseholdKeyHeld(household_.database.connection());
        keyHeld_ = !held || held.value();
    }
    reload(-1, 0);
    boxes_[0]->setFocus();
}

void TForm4::reload(qint64 currentId, int fallbackRow) {
    query_->setQuery(QString::fromUtf8(Sql::kPlacesOfWindow), household_.database.connection());
    if (query_->lastError().isValid()) {
        ReportError(DatabaseErrors::Describe(query_->lastError()));
        setState(State::Closed);
        return;
    }
    while (query_->canFetchMore())
        query_->fetchMore();
    int row = -1;
    for (int r = 0; r < query_->rowCount() && currentId >= 0; ++r) {
        if (grid_->value(r, QStringLiteral("id")).toLongLong() == currentId) {
            row = r;
            break;
        }
    }
    if (row < 0)
        row = std::min(fallbackRow, query_->rowCount() - 1);
    grid_->setCurrentRow(row);
    setState(State::Browse);
}

void TForm4::setState(State state) {
    state_ = state;
    DataSource1StateChange();
    if (state_ == State::Browse || state_ == State::Closed)
        showCurrentRow();
}

void TForm4::DataSource1StateChange() {
    const bool changeable = state_ != State::Closed;
    const bool editing = state_ == State::Edit || state_ == State::Insert;
    // While a row is added or changed, the list and the buttons that would leave the row are locked.
    add_->setEnabled(changeable && !editing);
    change_->setEnabled(changeable && !editing && !isEmpty());
    save_->setEnabled(changeable && editing);
    cancel_->setEnabled(changeable && editing);
    remove_->setEnabled(changeable && !editing && !isEmpty());
    const bool homeSafe = !isEmpty() && IsHomeSafe(shownAsRead().name);
    close_->setEnabled(changeable && !editing && !isEmpty() && !homeSafe);
    close_->setText(!isEmpty() && shownAsRead().closed ? QStringLiteral("重新启用") : QStringLiteral("关闭"));
    leave_->setEnabled(true);
    // The home safe's kind is fixed; a limit belongs to a credit card only.
    kind_->setEnabled(editing && !(state_ == State::Edit && homeSafe));
    limit_->setReadOnly(!(editing && kind_->currentData().toString() == QLatin1String(Codes::kCreditCard)));
    grid_->setEnabled(!editing);
    // The boxes take typing only while a row is added or changed; the password only with the key.
    for (QLineEdit* box : boxes_)
        box->setReadOnly(!editing);
    boxes_[kPasswordBox]->setReadOnly(!editing || !mayReadPasswords());
    const int row = grid_->currentRow();
    const bool stored = row >= 0 && !grid_->value(row, QStringLiteral("mima")).toString().isEmpty();
    showPassword_->setEnabled(changeable && mayReadPasswords() && (editing || stored));
    showKeyNote();
}

bool TForm4::holdsBankRight() const {
    const QStringList rights = BankRights();
    return std::any_of(rights.cbegin(), rights.cend(),
                       [this](const QString& right) { return household_.holdsRight(right); });
}

bool TForm4::mayReadPasswords() const {
    return holdsBankRight() && !household_.user.householdKey.isEmpty();
}

void TForm4::showKeyNote() {
    QString note;
    if (!holdsBankRight())
        note = QStringLiteral("您没有存款或取款权限，看不到银行密码。");
    else if (household_.user.householdKey.isEmpty())
        note = keyHeld_ ? NoHouseholdKeyNote() : NoKeyHeldNote();
    else
        note = readNote_;
    keyNote_->setText(note);
    keyNote_->setVisible(!note.isEmpty());
    newKey_->setVisible(holdsBankRight() && household_.user.householdKey.isEmpty() && !keyHeld_);
    newKey_->setEnabled(state_ == State::Browse);
}

void TForm4::showPasswordBox() {
    QLineEdit* box = boxes_[kPasswordBox];
    const int row = grid_->currentRow();
    revealed_ = false;
    readNote_.clear();
    showPassword_->setText(QStringLiteral("显示"));
    box->setEchoMode(QLineEdit::Normal);
    box->setPlaceholderText(holdsBankRight() ? QString() : QStringLiteral("无权查看"));
    // The mask only says that a password is stored.
    box->setText(row < 0 || !holdsBankRight() ? QString()
                                              : grid_->value(row, QStringLiteral("mima")).toString());
}

void TForm4::loadPasswordForEdit() {
    QLineEdit* box = boxes_[kPasswordBox];
    showPasswordBox();
    box->clear();
    box->setModified(false);
    box->setEchoMode(QLineEdit::Password);
    passwordOffered_ = false;
    if (!mayReadPasswords()) {
        if (holdsBankRight())
            box->setPlaceholderText(QStringLiteral("没有钥匙：原来的密码保持不变"));
        return;
    }
    const int row = grid_->currentRow();
    if (state_ != State::Edit || row < 0 || grid_->value(row, QStringLiteral("mima")).toString().isEmpty()) {
        passwordOffered_ = true;
        return;
    }
    Result<QString> opened =
        ReadBankPassword(household_.database.connection(), currentId(), household_.user.householdKey);
    if (!opened) {
        readNote_ = opened.error();
        return;
    }
    box->setText(opened.value());
    WipeText(opened.value());
    passwordOffered_ = true;
}

void TForm4::ButtonShowPasswordClick() {
    QLineEdit* box = boxes_[kPasswordBox];
    if (!mayReadPasswords())
        return;
    if (state_ == State::Edit || state_ == State::Insert) {
        const bool show = box->echoMode() == QLineEdit::Password;
        box->setEchoMode(show ? QLineEdit::Normal : QLineEdit::Password);
        showPassword_->setText(show ? QStringLiteral("隐藏") : QStringLiteral("显示"));
        return;
    }
    if (revealed_) {
        showPasswordBox();
        showKeyNote();
        return;
    }
    Result<QString> opened =
        ReadBankPassword(household_.database.connection(), currentId(), household_.user.householdKey);
    if (!opened) {
        readNote_ = opened.error();
        showKeyNote();
        return;
    }
    box->setText(opened.value());
    WipeText(opened.value());
    revealed_ = true;
    showPassword_->setText(QStringLiteral("隐藏"));
}

void TForm4::ButtonNewHouseholdKeyClick() {
    if (state_ != State::Browse || !holdsBankRight() || !household_.user.householdKey.isEmpty() || keyHeld_)
        return;
    if (Prompt::current().show(Captions::kNotice, StartHouseholdKeyQuestion(), Prompt::Buttons::YesNo,
                               Prompt::Icon::Question) != Prompt::Answer::Yes)
        return;
    SecretKey key;
    const Status started = household_.database.transaction([&]() -> Status {
        Result<SecretKey> made = StartHouseholdKey(household_.database.connection(), household_.user.keys);
        if (made)
            key = made.value();
        return made.status();
    });
    if (!started) {
        ReportError(started.error());
        return;
    }
    household_.user.householdKey = key;
    keyHeld_ = true;
    showPasswordBox();
    DataSource1StateChange();
}

bool TForm4::isEmpty() const {
    return query_->rowCount() == 0;
}

qint64 TForm4::currentId() const {
    const int row = grid_->currentRow();
    return row < 0 ? -1 : grid_->value(row, QStringLiteral("id")).toLongLong();
}

void TForm4::showCurrentRow() {
    const int row = grid_->currentRow();
    for (int i = 0; i < kPasswordBox; ++i) {
        boxes_[i]->setText(row < 0 ? QString()
                                   : grid_->value(row, QString::fromLatin1(kBoxes[i].field)).toString());
    }
    showPasswordBox();
    const QString kind = row < 0 ? QString::fromLatin1(Codes::kBankCard)
                                 : grid_->value(row, QStringLiteral("leibie")).toString();
    kind_->setCurrentIndex(std::max(0, kind_->findData(kind)));
    const Money limit = Money::fromUnits(row < 0 ? 0 : grid_->value(row, QStringLiteral("edu")).toLongLong());
    limit_->setText(kind == QLatin1String(Codes::kCreditCard) ? limit.toPlainText() : QString());
    DataSource1StateChange();
}

PlaceAsRead TForm4::shownAsRead() const {
    const int row = grid_->currentRow();
    if (row < 0)
        return {};
    return {grid_->value(row, QStringLiteral("mingcheng")).toString(),
            grid_->value(row, QStringLiteral("guanbi")).toInt() != 0};
}

std::optional<BankDetails> TForm4::typedDetails() {
    // The box holds the password to store when it was offered whole or typed into; an untouched box
    // over a password that could not be opened keeps the stored one.
    QLineEdit* password = boxes_[kPasswordBox];
    const bool given = mayReadPasswords() && (passwordOffered_ || password->isModified());
    BankDetails details{boxes_[0]->text(),
                        boxes_[1]->text(),
                        boxes_[2]->text(),
                        given ? std::optional(password->text()) : std::nullopt,
                        kind_->currentData().toString(),
                        Money()};
    if (details.kind != QLatin1String(Codes::kCreditCard))
        return details;
    if (limit_->text().trimmed().isEmpty()) {
        Notify(QStringLiteral("信用卡必须输入信用额度！"));
        limit_->setFocus();
        return std::nullopt;
    }
    const TypedAmount limit = ReadTypedAmount(limit_->text().trimmed());
    if (limit.kind != TypedAmount::Kind::Amount) {
        Notify(limit.kind == TypedAmount::Kind::TooLarge
                   ? limit.message
                   : QStringLiteral("信用额度必须是一个金额，例如 5000 或 5000.00，请重新输入。（%1）")
                         .arg(NotAFloatMessage(limit_->text().trimmed())));
        limit_->setFocus();
        return std::nullopt;
    }
    details.limit = limit.amount;
    return details;
}

void TForm4::SpeedButton1Click() {
    if (state_ != State::Browse)
        return;
    setState(State::Insert);
    for (QLineEdit* box : boxes_)
        box->clear();
    loadPasswordForEdit();
    kind_->setCurrentIndex(kind_->findData(QString::fromLatin1(Codes::kBankCard)));
    limit_->clear();
    boxes_[0]->setEnabled(true);
    boxes_[0]->setFocus();
}

void TForm4::SpeedButton2Click() {
    if (state_ != State::Browse || isEmpty())
        return;
    // The home safe keeps its name; its other details may change.
    boxes_[0]->setEnabled(!IsHomeSafe(boxes_[0]->text()));
    editedAsRead_ = shownAsRead();
    setState(State::Edit);
    loadPasswordForEdit();
    showKeyNote();
    (boxes_[0]->isEnabled() ? boxes_[0] : boxes_[1])->setFocus();
}

void TForm4::SpeedButton3Click() {
    if (state_ != State::Edit && state_ != State::Insert)
        return;
    if (boxes_[0]->text().isEmpty()) {
        Notify(QStringLiteral("必须输入银行名称！"));
        boxes_[0]->setFocus();
        return;
    }
    const std::optional<BankDetails> details = typedDetails();
    if (!details)
        return;
    QSqlDatabase db = household_.database.connection();
    qint64 id = currentId();
    const Status written = household_.database.transaction([&]() -> Status {
        if (state_ == State::Insert) {
            const Result<qint64> added = InsertBank(db, *details, household_.user.householdKey);
            if (added)
                id = added.value();
            return added.status();
        }
        return UpdateBank(db, id, *details, editedAsRead_, household_.user.householdKey);
    });
    if (!written) {
        ReportError(written.error());
        // A place renamed, closed or removed meanwhile is shown again as it now stands; else the row
        // stays in edit with what was typed.
        if (state_ == State::Edit && !CheckPlaceAsRead(db, id, editedAsRead_))
            reload(id, grid_->currentRow());
        return;
    }
    reload(id, grid_->currentRow());
}

void TForm4::SpeedButton4Click() {
    if (state_ != State::Browse || isEmpty())
        return;
    if (IsHomeSafe(boxes_[0]->text())) {
        Prompt::current().show(Captions::kNotice, QStringLiteral("该项目不能删除！"), Prompt::Buttons::Ok,
                               Prompt::Icon::Warning);
        return;
    }
    // A place with entries or records is closed instead, so that no record loses its place.
    const Result<bool> history = PlaceHasHistory(household_.database.connection(), currentId());
    if (!history) {
        ReportError(history.error());
        return;
    }
    if (history.value()) {
        if (shownAsRead().closed) {
            Notify(QStringLiteral("帐户“%1”有收支或存取款记录，不能删除；它已经关闭了。")
                       .arg(shownAsRead().name));
            return;
        }
        if (Prompt::current().show(
                Captions::kNotice,
                QStringLiteral("帐户“%1”有收支或存取款记录，不能删除，否则这些记录就没有了帐户。"
                               "要把它关闭吗？关闭后它不再出现在选择里，记录和合计都保留，"
                               "以后可以重新启用。")
                    .arg(shownAsRead().name),
                Prompt::Buttons::YesNo, Prompt::Icon::Question) == Prompt::Answer::Yes) {
            setClosed(true);
        }
        return;
    }
    if (Prompt::current().show(Captions::kNotice, QStringLiteral("确信要删除该信息吗？"),
                               Prompt::Buttons::YesNo, Prompt::Icon::Question) != Prompt::Answer::Yes) {
        return;
    }
    if (Prompt::current().show(kConfirmCaption, QStringLiteral("Delete record?"), Prompt::Buttons::OkCancel,
                               Prompt::Icon::Question) != Prompt::Answer::Ok) {
        return;
    }
    const int row = grid_->currentRow();
    const qint64 id = currentId();
    if (Status s =
            household_.database.transaction([&] { return DeleteBank(household_.database.connection(), id); });
        !s) {
        ReportError(s.error());
        return;
    }
    reload(-1, row);
}

void TForm4::SpeedButton7Click() {
    if (state_ != State::Browse || isEmpty() || IsHomeSafe(shownAsRead().name))
        return;
    const bool closing = !shownAsRead().closed;
    if (closing &&
        Prompt::current().show(Captions::kNotice,
                               QStringLiteral("关闭帐户“%1”吗？关闭后它不再出现在收支和存取款的选择里，"
                                              "它的记录和余额仍留在列表和合计里，以后可以重新启用。")
                                   .arg(shownAsRead().name),
                               Prompt::Buttons::YesNo, Prompt::Icon::Question) != Prompt::Answer::Yes) {
        return;
    }
    setClosed(closing);
}

void TForm4::setClosed(bool closed) {
    const qint64 id = currentId();
    const PlaceAsRead asRead = shownAsRead();
    QSqlDatabase db = household_.database.connection();
    if (Status s = household_.database.transaction([&] { return SetPlaceClosed(db, id, closed, asRead); });
        !s)
        ReportError(s.error());
    reload(id, grid_->currentRow());
}

void TForm4::SpeedButton6Click() {
    if (state_ == State::Edit || state_ == State::Insert)
        setState(State::Browse);
}

void TForm4::SpeedButton5Click() {
    reject();
}

void TForm4::reject() {
    // 离开, Esc and the close box: a row not saved yet is saved or dropped as the user answers; on 取消
    // or a refused save the window stays open on the row.
    if (!SettlePendingEdit(*this))
        return;
    QDialog::reject();
}

bool TForm4::hasPendingEdit() const {
    return state_ == State::Edit || state_ == State::Insert;
}

bool TForm4::savePendingEdit() {
    SpeedButton3Click();
    return !hasPendingEdit();
}

void TForm4::discardPendingEdit() {
    SpeedButton6Click();
}

void ShowBankInformation(Household& household) {
    // The window lists every bank's password: only a user who may move money through a bank opens it.
    if (!PermissionGateAny(household, BankRights()))
        return;
    TForm4 form(household, household.mainWindow);
    form.exec();
}
