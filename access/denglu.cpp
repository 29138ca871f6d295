#include "access/denglu.h"

#include "access/Login.h"
#include "data/Database.h"
#include "data/DatabaseErrors.h"
#include "household/CurrentUser.h"
#include "household/Household.h"
#include "household/IniFile.h"
#include "kit/Prompt.h"
#include "kit/StyleEngine.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The login button's picture: the word 登录 on a green key.
QPixmap loginPicture() {
    QPixmap pixmap(96, 56);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 56);
    g.setColorAt(0, QColor(0x6c, 0xc0, 0x5a));
    g.setColorAt(1, QColor(0x2e, 0x86, 0x3a));
    p.setBrush(g);
    p.setPen(QPen(QColor(0x1f, 0x5e, 0x28), 2));
    p.drawRoundedRect(QRectF(2, 2, 92, 52), 10, 10);
    QFont f = p.font();
    f.setPixelSize(24);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 96, 56), Qt::AlignCenter, QStringLiteral("登录"));
    return pixmap;
}

// The exit button's picture: a figure walking out of a door.
QPixmap exitPicture() {
    QPixmap pixmap(48, 48);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x7a, 0x4a, 0x20), 2));
    p.setBrush(QColor(0xd8, 0xb0, 0x7a));
    p.drawRect(QRectF(4, 4, 20, 40));
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(QColor(0x30, 0x30, 0x30));
    p.drawEllipse(QPointF(34, 10), 4, 4);
    QPainterPath body;
    body.moveTo(33, 15);
    body.lineTo(31, 29);
    body.lineTo(38, 42);
    body.moveTo(31, 29);
    body.lineTo(25, 42);
    body.moveTo(32, 19);
    body.lineTo(40, 25);
    body.moveTo(32, 19);
    body.lineTo(26, 26);
    p.setBrush(Qt::NoBrush);
    p.drawPath(body);
    return pixmap;
}

}  // namespace

TForm2::TForm2(Household& household, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      household_(household),
      edit1_(new QLineEdit(this)),
      edit2_(new QLineEdit(this)),
      label4_(new QLabel(FirstStartHint(), this)) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("登陆"));
    setModal(true);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(style()->standardIcon(QStyle::SP_DialogApplyButton).pixmap(32, 32));
    auto* prompt = new QLabel(QStringLiteral("输入您登录系统的用户ID及密码！"), this);
    prompt->setObjectName(QStringLiteral("Label1"));
    prompt->setStyleSheet(StyleEngine::toneSheet(StyleEngine::Tone::Heading) +
                          QStringLiteral(" font-weight: bold;"));

    auto* idLabel = new QLabel(QStringLiteral("用户ID："), this);
    idLabel->setObjectName(QStringLiteral("Label2"));
    auto* passwordLabel = new QLabel(QStringLiteral("密  码："), this);
    passwordLabel->setObjectName(QStringLiteral("Label3"));
    edit1_->setObjectName(QStringLiteral("Edit1"));
    edit2_->setObjectName(QStringLiteral("Edit2"));
    edit2_->setEchoMode(QLineEdit::Password);
    edit2_->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));  // "*"

    auto* loginButton = new QToolButton(this);
    loginButton->setObjectName(QStringLiteral("SpeedButton1"));
    loginButton->setIcon(loginPicture());
    loginButton->setIconSize(QSize(96, 56));
    loginButton->setAutoRaise(true);
    loginButton->setToolTip(QStringLiteral("登录"));
    auto* exitButton = new QToolButton(this);
    exitButton->setObjectName(QStringLiteral("SpeedButton2"));
    exitButton->setIcon(exitPicture());
    exitButton->setIconSize(QSize(48, 48));
    exitButton->setAutoRaise(true);
    exitButton->setToolTip(QStringLiteral("退出"));

    label4_->setObjectName(QStringLiteral("Label4"));
    label4_->setStyleSheet(StyleEngine::toneSheet(StyleEngine::Tone::Expense));

    auto* header = new QHBoxLayout;
    header->addWidget(picture);
    header->addWidget(prompt, 1);
    auto* fields = new QGridLayout;
    fields->addWidget(idLabel, 0, 0);
    fields->addWidget(edit1_, 0, 1);
    fields->addWidget(passwordLabel, 1, 0);
    fields->addWidget(edit2_, 1, 1);
    fields->setColumnMinimumWidth(1, 180);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(loginButton, 0, Qt::AlignHCenter);
    buttons->addWidget(exitButton, 0, Qt::AlignHCenter);
    auto* middle = new QHBoxLayout;
    middle->addLayout(fields, 1);
    middle->addSpacing(12);
    middle->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addLayout(middle);
    layout->addWidget(label4_);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(edit1_, edit2_);
    connect(loginButton, &QToolButton::clicked, this, &TForm2::SpeedButton1Click);
    connect(exitButton, &QToolButton::clicked, this, &TForm2::SpeedButton2Click);
    // Enter in the password box logs in; Enter in the ID box does nothing.
    connect(edit2_, &QLineEdit::returnPressed, this, &TForm2::SpeedButton1Click);
}

void TForm2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    const bool hintDue =
        household_.settings.readBool(Settings::kFirstStartSection, Settings::kFirstStartKey, true);
    label4_->setVisible(hintDue);
    if (hintDue)
        household_.user.firstStart = true;
    edit1_->setFocus();
}

void TForm2::SpeedButton1Click() {
    // Without its database nobody can log in: say why it could not be opened.
    if (const Database& database = household_.database; !database.isOpen()) {
        ReportError(DatabaseErrors::NotOpened(database.path(), database.openError()),
                    database.openErrorDetails());
        return;
    }
    const auto found = LookUpLogin(household_.database.connection(), edit1_->text(), edit2_->text());
    if (!found) {
        ReportError(found.error());
        return;
    }
    if (!found.value()) {
        Prompt::current().show(Captions::kNotice, QStringLiteral("用户名或密码不正确,请核对后登陆,谢谢！"),
                               Prompt::Buttons::Ok, Prompt::Icon::Warning);
        edit1_->clear();
        edit2_->clear();
        edit1_->setFocus();
        return;
    }
    const LoginMatch& match = *found.value();
    household_.user.name = match.name;
    household_.user.rights = match.rights;
    household_.user.passwordHash = match.passwordHash;
    household_.user.keys = match.keys;
    household_.user.householdKey = match.householdKey;
    // The typed password is not kept in the box once it has been checked.
    edit2_->clear();
    leaving_ = true;
    accept();
}

void TForm2::SpeedButton2Click() {
    exitChosen_ = true;
    leaving_ = true;
    QDialog::reject();
}

void TForm2::reject() {}

void TForm2::closeEvent(QCloseEvent* event) {
    // Neither the window manager's close nor Alt+F4 leaves the login.
    if (leaving_) {
        QDialog::closeEvent(event);
    } else {
        event->ignore();
    }
}
