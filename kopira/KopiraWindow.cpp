#include "kopira/KopiraWindow.h"

#include "household/Folders.h"
#include "kit/Prompt.h"
#include "kopira/KopiraStore.h"

#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kTickMs = 250;
constexpr int kPatienceTicks = 120;  // half a minute

const QString kCaption = QStringLiteral("kopira");

QPushButton* button(const char* name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

}  // namespace

KopiraWindow::KopiraWindow(const QString& homeFolder, const QString& programFolder, QWidget* parent)
    : QWidget(parent),
      homeFolder_(homeFolder),
      programFolder_(programFolder),
      databasePath_(DatabasePath(homeFolder)),
      status_(new QLabel(this)),
      folder_(new QLineEdit(Kopira::DefaultBackupFolder(homeFolder), this)),
      backupButton_(button("backupButton", QStringLiteral("备份"), this)),
      restoreButton_(button("restoreButton", QStringLiteral("恢复…"), this)),
      wait_(new QTimer(this)) {
    setObjectName(QStringLiteral("KopiraWindow"));
    setWindowTitle(QStringLiteral("kopira — Tamberlo 数据库备份与恢复"));
    status_->setObjectName(QStringLiteral("status"));
    status_->setWordWrap(true);
    folder_->setObjectName(QStringLiteral("folder"));
    pickBackup = [this](const QString& folder) {
        return QFileDialog::getOpenFileName(this, QStringLiteral("选择要恢复的备份"), folder,
                                            QStringLiteral("Tamberlo 数据库 (*.mdb);;所有文件 (*)"));
    };

    auto* layout = new QVBoxLayout(this);
    auto* database =
        new QLabel(QStringLiteral("数据库：%1").arg(QDir::toNativeSeparators(databasePath_)), this);
    database->setObjectName(QStringLiteral("database"));
    database->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(database);
    layout->addWidget(status_);

    auto* backup = new QGroupBox(QStringLiteral("备份"), this);
    auto* backupLayout = new QVBoxLayout(backup);
    backupLayout->addWidget(
        new QLabel(QStringLiteral("把数据库完整地复制一份，文件名带有日期和时间。备份文件夹："), backup));
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(folder_, 1);
    QPushButton* browse = button("browseButton", QStringLiteral("浏览…"), backup);
    folderRow->addWidget(browse);
    folderRow->addWidget(backupButton_);
    backupLayout->addLayout(folderRow);
    layout->addWidget(backup);

    auto* restoreBox = new QGroupBox(QStringLiteral("恢复"), this);
    auto* restoreLayout = new QHBoxLayout(restoreBox);
    auto* restoreText = new QLabel(
        QStringLiteral("用所选的备份替换当前数据库。替换之前，当前数据库会另存一份安全副本。"), restoreBox);
    restoreText->setWordWrap(true);
    restoreLayout->addWidget(restoreText, 1);
    restoreLayout->addWidget(restoreButton_);
    layout->addWidget(restoreBox);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    QPushButton* start = button("startButton", QStringLiteral("启动 Tamberlo"), this);
    QPushButton* quit = button("quitButton", QStringLiteral("退出"), this);
    bottom->addWidget(start);
    bottom->addWidget(quit);
    layout->addLayout(bottom);
    resize(560, 300);

    connect(browse, &QPushButton::clicked, this, [this] {
        const QString chosen =
            QFileDialog::getExistingDirectory(this, QStringLiteral("选择备份文件夹"), folder_->text());
        if (!chosen.isEmpty())
            folder_->setText(chosen);
    });
    connect(backupButton_, &QPushButton::clicked, this, &KopiraWindow::backUp);
    connect(restoreButton_, &QPushButton::clicked, this, &KopiraWindow::restore);
    connect(start, &QPushButton::clicked, this, &KopiraWindow::startTamberlo);
    connect(quit, &QPushButton::clicked, this, &QWidget::close);

    wait_->setInterval(kTickMs);
    connect(wait_, &QTimer::timeout, this, &KopiraWindow::checkReleased);
    setWaiting(true);
    checkReleased();
}

void KopiraWindow::setWaiting(bool waiting) {
    backupButton_->setEnabled(!waiting);
    restoreButton_->setEnabled(!waiting);
    if (waiting) {
        status_->setText(QStringLiteral("正在等待 Tamberlo 关闭数据库……"));
        wait_->start();
    } else {
        wait_->stop();
        status_->setText(QStringLiteral("请选择“备份”或“恢复”。"));
    }
}

void KopiraWindow::checkReleased() {
    if (Kopira::DatabaseReleased(databasePath_)) {
        setWaiting(false);
        return;
    }
    if (++waitedTicks_ >= kPatienceTicks) {
        // Backing up is safe while the database is open; a restore checks again and refuses.
        wait_->stop();
        backupButton_->setEnabled(true);
        restoreButton_->setEnabled(true);
        status_->setText(QStringLiteral("Tamberlo 仍在使用数据库。可以备份；恢复之前请先关闭 Tamberlo。"));
    }
}

void KopiraWindow::backUp() {
    const Result<QString> made = Kopira::Backup(databasePath_, folder_->text().trimmed(), now());
    if (!made) {
        Prompt::current().show(kCaption, QStringLiteral("备份失败：%1").arg(made.error()),
                               Prompt::Buttons::Ok, Prompt::Icon::Critical);
        return;
    }
    status_->setText(QStringLiteral("已备份到 %1").arg(QDir::toNativeSeparators(made.value())));
    Prompt::current().show(kCaption,
                           QStringLiteral("备份完成：\n%1").arg(QDir::toNativeSeparators(made.value())),
                           Prompt::Buttons::Ok, Prompt::Icon::Information);
}

void KopiraWindow::restore() {
    const QString chosen = pickBackup ? pickBackup(folder_->text().trimmed()) : QString();
    if (chosen.isEmpty())
        return;
    if (Status checked = Kopira::CheckBackup(chosen); !checked) {
        Prompt::current().show(kCaption, checked.error() + QStringLiteral("\n当前数据库未作任何改动。"),
                               Prompt::Buttons::Ok, Prompt::Icon::Warning);
        return;
    }
    if (Prompt::current().show(
            kCaption,
            QStringLiteral("确信要用\n%1\n替换当前数据库吗？").arg(QDir::toNativeSeparators(chosen)),
            Prompt::Buttons::OkCancel, Prompt::Icon::Question) != Prompt::Answer::Ok) {
        return;
    }
    const Result<QString> restored =
        Kopira::Restore(databasePath_, chosen, Kopira::DefaultBackupFolder(homeFolder_), now());
    if (!restored) {
        Prompt::current().show(kCaption, restored.error(), Prompt::Buttons::Ok, Prompt::Icon::Critical);
        return;
    }
    QString text = QStringLiteral("恢复完成。");
    if (!restored.value().isEmpty())
        text +=
            QStringLiteral("\n原来的数据库已另存为：\n%1").arg(QDir::toNativeSeparators(restored.value()));
    status_->setText(QStringLiteral("已从 %1 恢复").arg(QDir::toNativeSeparators(chosen)));
    Prompt::current().show(kCaption, text, Prompt::Buttons::Ok, Prompt::Icon::Information);
}

void KopiraWindow::startTamberlo() {
#ifdef Q_OS_WIN
    const QString program = QDir(programFolder_).filePath(QStringLiteral("tamberlo.exe"));
#else
    const QString program = QDir(programFolder_).filePath(QStringLiteral("tamberlo"));
#endif
    if (!QProcess::startDetached(program, {})) {
        Prompt::current().show(kCaption, QStringLiteral("无法启动 %1").arg(QDir::toNativeSeparators(program)),
                               Prompt::Buttons::Ok, Prompt::Icon::Warning);
        return;
    }
    close();
}
