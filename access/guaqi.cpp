#include "access/guaqi.h"

#include "data/Secrets.h"
#include "household/CurrentUser.h"
#include "household/Household.h"
#include "kit/Prompt.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

TForm3::TForm3(Household& household, QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint),
      household_(household) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("系统挂起"));

    auto* label = new QLabel(QStringLiteral("输入口令"), this);
    label->setObjectName(QStringLiteral("Label1"));
    password_ = new QLineEdit(this);
    password_->setObjectName(QStringLiteral("Edit1"));
    password_->setEchoMode(QLineEdit::Password);
    password_->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));  // each character as "*"
    password_->setMinimumWidth(160);
    auto* unlock = new QToolButton(this);
    unlock->setObjectName(QStringLiteral("SpeedButton1"));
    unlock->setText(QStringLiteral("解锁"));
    unlock->setMinimumSize(64, 28);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->addWidget(label);
    layout->addWidget(password_);
    layout->addWidget(unlock);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(unlock, &QToolButton::clicked, this, &TForm3::SpeedButton1Click);
    connect(password_, &QLineEdit::returnPressed, this, &TForm3::SpeedButton1Click);
    password_->setFocus();
}

void TForm3::SpeedButton1Click() {
    // Checked against the stored hash as the login checks it: letter case aside; blanks and length count.
    if (LoginPasswordMatches(household_.user.passwordHash, password_->text())) {
        password_->clear();
        accept();
        return;
    }
    Prompt::current().show(Captions::kNotice, QStringLiteral("口令错误！"), Prompt::Buttons::Ok,
                           Prompt::Icon::Warning);
}
