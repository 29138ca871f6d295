#include "access/qxgl.h"

#include "access/PermissionString.h"
#include "data/Database.h"
#include "household/CurrentUser.h"
#include "household/Household.h"
#include "household/IniFile.h"
#include "kit/FindDialog.h"
#include "kit/Prompt.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kIncomplete = QStringLiteral("注意:数据输入不完整！请核查！");
const QString kSaved = QStringLiteral("保存完成！");
// The password box of a stored user: the password itself is kept only as a hash.
const QString kPasswordSet = QStringLiteral("已设置");
const QString kKeyNotGiven = QStringLiteral(
    "“%1”有存款或取款权限，但您的登录没有银行密码的钥匙，无法交给他：他暂时看不到银行密码。"
    "请让一位有存款或取款权限的用户管理者登录后，在这里再保存一次“%1”。");
const QString kDeleteQuestion = QStringLiteral("确信要删除该信息吗？");
const QString kDuplicateName = QStringLiteral("该用户名已存在,请使用其他用户名！");
const QString kDuplicateId = QStringLiteral("该用户ID已存在,请使用其他用户ID！");
const QString kLastManagerKept =
    QStringLiteral("该用户是唯一拥有“用户权限管理”权限的用户,不能取消此权限！请先将此权限授予其他用户。");
const QString kLastManagerDeleted =
    QStringLiteral("该用户是唯一拥有“用户权限管理”权限的用户,不能删除！请先将此权限授予其他用户。");

void refuse(const QString& text) {
    Prompt::current().show(Captions::kNotice, text, Prompt::Buttons::Ok, Prompt::Icon::Warning);
}

QToolButton* button(const char* name, const QString& text, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setMinimumSize(120, 30);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return b;
}

QLineEdit* box(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

}  // namespace

TForm7::TForm7(Household& household, QWidget* parent) : QDialog(parent), household_(household) {
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("用户权限管理"));

    auto* usersBox = new QGroupBox(QStringLiteral("用户名单"), this);
    list_ = new QTableWidget(0, 1, usersBox);
    list_->setObjectName(QStringLiteral("DBGrid1"));
    list_->horizontalHeader()->hide();
    list_->horizontalHeader()->setStretchLastSection(true);
    list_->verticalHeader()->hide();
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FindDialog::install(list_);
    (new QVBoxLayout(usersBox))->addWidget(list_);

    auto* basicsBox = new QGroupBox(QStringLiteral("用户基本情况"), this);
    userId_ = box("DBEdit1", basicsBox);
    name_ = box("DBEdit2", basicsBox);
    password_ = box("DBEdit3", basicsBox);
    rights_ = box("DBEdit4", basicsBox);
    rights_->hide();
    auto* basics = new QVBoxLayout(basicsBox);
    basics->addWidget(new QLabel(QStringLiteral("用户ID："), basicsBox));
    basics->addWidget(userId_);
    basics->addWidget(new QLabel(QStringLiteral("用户名："), basicsBox));
    basics->addWidget(name_);
    basics->addWidget(new QLabel(QStringLiteral("权限密码："), basicsBox));
    basics->addWidget(password_);
    basics->addStretch(1);

    auto* rightsBox = new QGroupBox(QStringLiteral("用户权限选择"), this);
    ticks_ = new QListWidget(rightsBox);
    ticks_->setObjectName(QStringLiteral("CheckListBox1"));
    for (const QString& text : PermissionItems()) {
        auto* item = new QListWidgetItem(text, ticks_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    auto* selectAll = button("SpeedButton2", QStringLiteral("全选"), rightsBox);
    auto* clearAll = button("SpeedButton7", QStringLiteral("清空"), rightsBox);
    selectAll->setMinimumWidth(60);
    clearAll->setMinimumWidth(60);
    auto* tickButtons = new QHBoxLayout;
    tickButtons->addWidget(selectAll);
    tickButtons->addWidget(clearAll);
    auto* rightsLayout = new QVBoxLayout(rightsBox);
    rightsLayout->addWidget(ticks_);
    rightsLayout->addLayout(tickButtons);

    auto* actionsBox = new QGroupBox(QStringLiteral("操作按钮"), this);
    add_ = button("SpeedButton10", QStringLiteral("增  加  新  项"), actionsBox);
    save_ = button("SpeedButton4", QStringLiteral("保  存  项  目"), actionsBox);
    edit_ = button("SpeedButton3", QStringLiteral("修 改 选 定 项"), actionsBox);
    remove_ = button("SpeedButton5", QStringLiteral("删 除 选 定 项"), actionsBox);
    cancel_ = button("SpeedButton6", QStringLiteral("取消当前操作"), actionsBox);
    auto* leave = button("SpeedButton1", QStringLiteral("离  开  关  闭"), actionsBox);
    auto* actions = new QVBoxLayout(actionsBox);
    for (QToolButton* b : {add_, save_, edit_, remove_, cancel_, leave})
        actions->addWidget(b);
    actions->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(usersBox, 3);
    layout->addWidget(basicsBox, 3);
    layout->addWidget(rightsBox, 3);
    layout->addWidget(actionsBox, 3);
    resize(760, 330);

    connect(rights_, &QLineEdit::textChanged, this, &TForm7::DBEdit4Change);
    connect(list_, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (state_ == State::Browse && row != current_)
            showRow(row);
    });
    connect(add_, &QToolButton::clicked, this, &TForm7::SpeedButton10Click);
    connect(edit_, &QToolButton::clicked, this, &TForm7::SpeedButton3Click);
    connect(save_, &QToolButton::clicked, this, &TForm7::SpeedButton4Click);
    connect(remove_, &QToolButton::clicked, this, &TForm7::SpeedButton5Click);
    connect(cancel_, &QToolButton::clicked, this, &TForm7::SpeedButton6Click);
    connect(selectAll, &QToolButton::clicked, this, &TForm7::SpeedButton2Click);
    connect(clearAll, &QToolButton::clicked, this, &TForm7::SpeedButton7Click);
    connect(leave, &QToolButton::clicked, this, &TForm7::SpeedButton1Click);

    FormCreate();
}

void TForm7::FormCreate() {
    tableOpen_ = reload(0);
    setState(State::Browse);
}

bool TForm7::reload(qint64 currentId) {
    Result<QList<UserRow>> loaded = LoadUsers(household_.database.connection());
    if (!loaded) {
        ReportError(loaded.error());
        return false;
    }
    rows_ = std::move(loaded.value());
    int row = rows_.isEmpty() ? -1 : 0;
    for (int i = 0; i < rows_.size(); ++i) {
        if (rows_[i].id == currentId)
            row = i;
    }
    const QSignalBlocker blocker(list_);
    list_->setRowCount(static_cast<int>(rows_.size()));
    for (int i = 0; i < rows_.size(); ++i)
        list_->setItem(i, 0, new QTableWidgetItem(rows_[i].name));
    list_->setCurrentCell(row, 0);
    showRow(row);
    return true;
}

void TForm7::showRow(int row) {
    current_ = row;
    const UserRow shown = row >= 0 && row < rows_.size() ? rows_[row] : UserRow{};
    userId_->setText(shown.userId);
    name_->setText(shown.name);
    // A stored password is never shown, only that one is set; a new one is typed over the empty box.
    password_->clear();
    password_->setPlaceholderText(shown.passwordSet ? kPasswordSet : QString());
    password_->setToolTip(
        shown.passwordSet
            ? QStringLiteral("密码只保存为无法还原的散列值，谁也看不到；修改时输入新密码即可更改")
            : QString());
    if (rights_->text() == shown.rights)
        DBEdit4Change();  // the same string: the ticks still follow the row
    else
        rights_->setText(shown.rights);
}

void TForm7::DBEdit4Change() {
    const QString text = rights_->text();
    if (text.isEmpty())
        return;
    QList<bool> ticks;
    for (int i = 0; i < ticks_->count(); ++i)
        ticks.append(ticks_->item(i)->checkState() == Qt::Checked);
    ApplyPermissionString(text, ticks);
    for (int i = 0; i < ticks_->count(); ++i)
        ticks_->item(i)->setCheckState(ticks[i] ? Qt::Checked : Qt::Unchecked);
}

void TForm7::setState(State state) {
    state_ = state;
    DataSource1StateChange();
}

void TForm7::DataSource1StateChange() {
    const bool browsing = state_ == State::Browse;
    const bool hasRow = current_ >= 0 && current_ < rows_.size();
    add_->setEnabled(tableOpen_ && browsing);
    edit_->setEnabled(tableOpen_ && browsing && hasRow);
    save_->setEnabled(!browsing);
    cancel_->setEnabled(!browsing);
    remove_->setEnabled(tableOpen_ && browsing && hasRow);
    list_->setEnabled(browsing);
    for (QLineEdit* edit : {userId_, name_, password_})
        edit->setReadOnly(browsing);
}

void TForm7::SpeedButton10Click() {
    if (!tableOpen_ || state_ != State::Browse)
        return;
    // The boxes empty; the ticks stay as they were.
    userId_->clear();
    name_->clear();
    password_->clear();
    password_->setPlaceholderText(QString());
    rights_->clear();
    setState(State::Insert);
    userId_->setFocus();
}

void TForm7::SpeedButton3Click() {
    if (!tableOpen_ || state_ != State::Browse || current_ < 0)
        return;
    setState(State::Edit);
    userId_->setFocus();
}

void TForm7::SpeedButton4Click() {
    if (state_ == State::Browse)
        return;
    const bool passwordKept = state_ == State::Edit && rows_[current_].passwordSet;
    if (userId_->text().isEmpty() || name_->text().isEmpty() ||
        (password_->text().isEmpty() && !passwordKept)) {
        Prompt::current().show(Captions::kNotice, kIncomplete, Prompt::Buttons::Ok, Prompt::Icon::Warning);
        return;
    }
    QList<bool> ticks;
    for (int i = 0; i < ticks_->count(); ++i)
        ticks.append(ticks_->item(i)->checkState() == Qt::Checked);
    rights_->setText(BuildPermissionString(ticks));

    UserRow row = state_ == State::Edit ? rows_[current_] : UserRow{};
    row.userId = userId_->text();
    row.name = name_->text();
    row.newPassword = password_->text();
    row.rights = rights_->text();
    // The checks and the write in one transaction, so that another copy cannot slip a twin in between.
    QString error;
    UserSave saved = UserSave::Failed;
    const Status done = household_.database.transaction([&] {
        saved = SaveUser(household_.database.connection(), row, household_.user.householdKey, &error);
        return saved == UserSave::Saved ? Status::ok() : Status::failure(error);
    });
    if (saved == UserSave::Saved && !done)
        saved = UserSave::Failed;  // the commit failed: nothing is stored
    switch (saved) {
        case UserSave::Saved:
            break;
        case UserSave::Incomplete:
            refuse(kIncomplete);
            return;
        case UserSave::DuplicateName:
            refuse(kDuplicateName);
            return;
        case UserSave::DuplicateId:
            refuse(kDuplicateId);
            userId_->setFocus();
            return;
        case UserSave::LastManager:
            refuse(kLastManagerKept);
            return;
        case UserSave::Failed:
            ReportError(done.error());
            return;
    }
    password_->clear();
    state_ = State::Browse;
    reload(row.id);
    DataSource1StateChange();

    if (household_.user.firstStart) {
        const Status written =
            household_.settings.writeBool(Settings::kFirstStartSection, Settings::kFirstStartKey, false);
        if (!written) {
            ReportError(written.error());
            return;
        }
    }
    Prompt::current().show(Captions::kNotice, kSaved, Prompt::Buttons::Ok, Prompt::Icon::Information);
    // The right is stored; the key to the bank passwords can only come from a user holding it.
    if (LacksHouseholdKey(row))
        Prompt::current().show(Captions::kNotice, kKeyNotGiven.arg(row.name), Prompt::Buttons::Ok,
                               Prompt::Icon::Warning);
}

void TForm7::SpeedButton5Click() {
    if (state_ != State::Browse || current_ < 0 || current_ >= rows_.size())
        return;
    // Refused before the question; the deletion checks again against the stored rows.
    if (IsLastManager(rows_, rows_[current_].id)) {
        refuse(kLastManagerDeleted);
        return;
    }
    if (Prompt::current().show(Captions::kNotice, kDeleteQuestion, Prompt::Buttons::OkCancel,
                               Prompt::Icon::Question) != Prompt::Answer::Ok) {
        return;
    }
    const int row = current_;
    QString error;
    UserDelete deleted = UserDelete::Failed;
    const Status done = household_.database.transaction([&] {
        deleted = DeleteUser(household_.database.connection(), rows_[row].id, &error);
        return deleted == UserDelete::Deleted ? Status::ok() : Status::failure(error);
    });
    if (deleted == UserDelete::LastManager) {
        refuse(kLastManagerDeleted);
        return;
    }
    if (!done) {
        ReportError(done.error());
        return;
    }
    // The row after the deleted one becomes current, or the one before when it was the last.
    const qint64 next = row + 1 < rows_.size() ? rows_[row + 1].id : (row > 0 ? rows_[row - 1].id : 0);
    tableOpen_ = reload(next);
    DataSource1StateChange();
}

void TForm7::SpeedButton6Click() {
    if (state_ == State::Browse)
        return;
    state_ = State::Browse;
    showRow(current_);
    DataSource1StateChange();
}

void TForm7::setAllTicks(bool ticked) {
    for (int i = 0; i < ticks_->count(); ++i)
        ticks_->item(i)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

void TForm7::SpeedButton2Click() {
    setAllTicks(true);
}

void TForm7::SpeedButton7Click() {
    setAllTicks(false);
}

void TForm7::SpeedButton1Click() {
    reject();
}

void TForm7::reject() {
    // 离开关闭, Esc and the close box: a row not saved yet is saved or dropped as the user answers; on
    // 取消 or a refused save the window stays open on the row.
    if (!SettlePendingEdit(*this))
        return;
    QDialog::reject();
}

bool TForm7::hasPendingEdit() const {
    return state_ != State::Browse;
}

bool TForm7::savePendingEdit() {
    SpeedButton4Click();
    return !hasPendingEdit();
}

void TForm7::discardPendingEdit() {
    SpeedButton6Click();
}
