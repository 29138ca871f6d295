#include "kopira/PassphraseDialog.h"

#include "kopira/EncryptedBackup.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit* maskedBox(const char* name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEchoMode(QLineEdit::Password);
    box->setMinimumWidth(260);
    return box;
}

}  // namespace

PassphraseDialog::PassphraseDialog(Mode mode, const QString& what, QWidget* parent)
    : QDialog(parent), mode_(mode), passphrase_(maskedBox("passphrase", this)), problem_(new QLabel(this)) {
    setObjectName(QStringLiteral("PassphraseDialog"));
    const bool fresh = mode == Mode::NewPassphrase;
    setWindowTitle(fresh ? QStringLiteral("设置备份口令") : QStringLiteral("输入备份口令"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(fresh ? QStringLiteral("为%1设置口令。加密的备份可以放到U盘或网盘上：没有口令，"
                                                    "谁也看不到里面的帐目和密码。")
                                         .arg(what)
                                   : QStringLiteral("备份 %1 已用口令加密，请输入它的口令：").arg(what),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("口令："), passphrase_);
    if (fresh) {
        again_ = maskedBox("passphraseAgain", this);
        form->addRow(QStringLiteral("再输入一次："), again_);
    }
    layout->addLayout(form);
    if (fresh) {
        auto* warning = new QLabel(Kopira::LostPassphraseText(), this);
        warning->setObjectName(QStringLiteral("lostPassphraseWarning"));
        warning->setWordWrap(true);
        warning->setStyleSheet(QStringLiteral("color: #b00020;"));
        layout->addWidget(warning);
    }
    problem_->setObjectName(QStringLiteral("passphraseProblem"));
    problem_->setWordWrap(true);
    problem_->hide();
    layout->addWidget(problem_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &PassphraseDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PassphraseDialog::reject);
    setMinimumWidth(440);
}

QString PassphraseDialog::passphrase() const {
    return passphrase_->text();
}

void PassphraseDialog::accept() {
    QString problem;
    if (passphrase_->text().isEmpty())
        problem = QStringLiteral("口令不能是空的，请输入口令。");
    else if (again_ && again_->text() != passphrase_->text())
        problem = QStringLiteral("两次输入的口令不一样，请再输入一次。");
    if (!problem.isEmpty()) {
        problem_->setText(problem);
        problem_->show();
        (again_ && !passphrase_->text().isEmpty() ? again_ : passphrase_)->setFocus();
        return;
    }
    QDialog::accept();
}
