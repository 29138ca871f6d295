#include "access/xgmm.h"

#include "access/UserRows.h"
#include "data/Database.h"
#include "household/CurrentUser.h"
#include "household/Household.h"
#include "kit/Prompt.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit* passwordBox(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));  // each character as "*"
    return edit;
}

}  // namespace

TForm17::TForm17(Household& household, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      household_(household) {
    setObjectName(QStringLiteral("Form17"));
    setWindowTitle(QStringLiteral("修改密码"));

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    name_ = new QLineEdit(household_.user.name, panel);
    name_->setObjectName(QStringLiteral("Edit1"));
    name_->setReadOnly(true);
    oldPassword_ = passwordBox("Edit2", panel);
    newPassword_ = passwordBox("Edit3", panel);
    confirm_ = passwordBox("Edit4", panel);

    auto* grid = new QGridLayout(panel);
    const QString labels[] = {QStringLiteral("用   户   名："), QStringLiteral("请输入旧口令："),
                              QStringLiteral("请输入新口令："), QStringLiteral("请确认新口令：")};
    QLineEdit* const boxes[] = {name_, oldPassword_, newPassword_, confirm_};
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(new QLabel(labels[i], panel), i, 0);
        grid->addWidget(boxes[i], i, 1);
    }

    auto* ok = new QPushButton(QStringLiteral("确认"), this);
    ok->setObjectName(QStringLiteral("BitBtn1"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("BitBtn2"));
    cancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addSpacing(20);
    buttons->addWidget(cancel);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(ok, &QPushButton::clicked, this, &TForm17::BitBtn1Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    oldPassword_->setFocus();
}

void TForm17::BitBtn1Click() {
    // The old password is checked against the stored hash as the login checks it, letter case aside;
    // the two new ones are compared exactly.
    if (!LoginPasswordMatches(household_.user.passwordHash, oldPassword_->text())) {
        Prompt::current().show(Captions::kNotice, QStringLiteral("旧口令输入错误,请重新输入！"),
                               Prompt::Buttons::Ok, Prompt::Icon::Warning);
        return;
    }
    if (newPassword_->text() != confirm_->text()) {
        Prompt::current().show(Captions::kNotice, QStringLiteral("两次新口令输入不同,请重新输入！"),
                               Prompt::Buttons::Ok, Prompt::Icon::Warning);
        return;
    }
    Database& database = household_.database;
    if (!database.isOpen() && !database.path().isEmpty()) {
        if (const Status opened = database.open(database.path()); !opened) {
            ReportError(opened.error());
            return;
        }
    }
    QString newPassword = newPassword_->text();
    const Result<PasswordChange> changed =
        ChangePassword(database.connection(), household_.user.name, newPassword, household_.user.keys,
                       household_.user.householdKey);
    WipeText(newPassword);
    if (!changed) {
        ReportError(changed.error());
        return;
    }
    if (changed->rows == 0) {
        // The row was renamed or deleted in the user window since the login: nothing was changed.
        Prompt::current().show(
            Captions::kNotice,
            QStringLiteral("找不到用户名为“%1”的用户（可能已被改名或删除），密码没有修改！请重新登录后再试。")
                .arg(household_.user.name),
            Prompt::Buttons::Ok, Prompt::Icon::Critical);
        return;
    }
    // The password held since the login follows the stored one, so the lock and a second change in
    // this run ask for the new password.
    household_.user.passwordHash = changed->hash;
    household_.user.keys = changed->keys;
    // The passwords typed are not kept in the boxes once they are stored.
    oldPassword_->clear();
    newPassword_->clear();
    confirm_->clear();
    Prompt::current().show(Captions::kNotice, QStringLiteral("密码修改完毕！"), Prompt::Buttons::Ok,
                           Prompt::Icon::Information);
    accept();
}
