#include "kopira/KopiraWindow.h"

#include "data/Secrets.h"
#include "household/Folders.h"
#include "household/HouseholdLock.h"
#include "kit/Prompt.h"
#include "kopira/BackupSecretStore.h"
#include "kopira/CommandLine.h"
#include "kopira/KopiraStore.h"
#include "kopira/PassphraseDialog.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <memory>

namespace {

constexpr int kWatchMs = 500;
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
      household_(Kopira::HouseholdOf(homeFolder)),
      status_(new QLabel(this)),
      folder_(new QLineEdit(Kopira::RememberedBackupFolder(homeFolder), this)),
      backupButton_(button("backupButton", QStringLiteral("备份"), this)),
      restoreButton_(button("restoreButton", QStringLiteral("恢复所选备份"), this)),
      restoreFileButton_(button("restoreFileButton", QStringLiteral("从其他文件恢复…"), this)),
      encrypt_(new QCheckBox(QStringLiteral("用口令加密这份备份（适合放到U盘或网盘上）"), this)),
      autoEncrypt_(new QCheckBox(QStringLiteral("每天的自动备份也用口令加密"), this)),
      autoEncryptStatus_(new QLabel(this)),
      list_(new QTreeWidget(this)),
      watch_(new QTimer(this)) {
    setObjectName(QStringLiteral("KopiraWindow"));
    setWindowTitle(QStringLiteral("kopira — Tamberlo 数据库备份与恢复"));
    status_->setObjectName(QStringLiteral("status"));
    status_->setWordWrap(true);
    folder_->setObjectName(QStringLiteral("folder"));
    list_->setObjectName(QStringLiteral("backupList"));
    list_->setHeaderLabels({QStringLiteral("备份时间"), QStringLiteral("类型"), QStringLiteral("大小"),
                            QStringLiteral("收支记录"), QStringLiteral("文件")});
    list_->setRootIsDecorated(false);
    list_->setAlternatingRowColors(true);
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    encrypt_->setObjectName(QStringLiteral("encryptBox"));
    autoEncrypt_->setObjectName(QStringLiteral("autoEncryptBox"));
    autoEncryptStatus_->setObjectName(QStringLiteral("autoEncryptStatus"));
    autoEncryptStatus_->setWordWrap(true);
    pickBackup = [this](const QString& folder) {
        return QFileDialog::getOpenFileName(this, QStringLiteral("选择要恢复的备份"), folder,
                                            QStringLiteral("Tamberlo 备份 (*.mdb *.mdb.tbk);;所有文件 (*)"));
    };
    const auto ask = [this](PassphraseDialog::Mode mode, const QString& what) -> std::optional<QString> {
        PassphraseDialog dialog(mode, what, this);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.passphrase();
    };
    askPassphrase = [ask](const QString& file) {
        return ask(PassphraseDialog::Mode::OpenBackup, QFileInfo(file).fileName());
    };
    askNewPassphrase = [ask](const QString& what) {
        return ask(PassphraseDialog::Mode::NewPassphrase, what);
    };

    auto* layout = new QVBoxLayout(this);
    auto* database = new QLabel(QStringLiteral("帐本：%1").arg(household_.name()), this);
    database->setObjectName(QStringLiteral("database"));
    database->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(database);
    layout->addWidget(status_);

    auto* backup = new QGroupBox(QStringLiteral("备份"), this);
    auto* backupLayout = new QVBoxLayout(backup);
    backupLayout->addWidget(new QLabel(
        QStringLiteral("把帐本完整地复制一份，文件名带有日期和时间；Tamberlo 运行时也可以备份。备份文件夹："),
        backup));
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(folder_, 1);
    QPushButton* browse = button("browseButton", QStringLiteral("浏览…"), backup);
    folderRow->addWidget(browse);
    folderRow->addWidget(backupButton_);
    backupLayout->addLayout(folderRow);
    backupLayout->addWidget(encrypt_);
    backupLayout->addWidget(autoEncrypt_);
    backupLayout->addWidget(autoEncryptStatus_);
    layout->addWidget(backup);

    auto* restoreBox = new QGroupBox(QStringLiteral("恢复"), this);
    auto* restoreLayout = new QVBoxLayout(restoreBox);
    auto* restoreText = new QLabel(QStringLiteral("文件夹里的备份（最新的在最前）。选中一个，按“恢复所选备份”"
                                                  "（或双击它）；替换之前，当前帐本会另存一份安全副本。"),
                                   restoreBox);
    restoreText->setWordWrap(true);
    restoreLayout->addWidget(restoreText);
    restoreLayout->addWidget(list_, 1);
    auto* restoreRow = new QHBoxLayout;
    restoreRow->addStretch(1);
    restoreRow->addWidget(restoreFileButton_);
    restoreRow->addWidget(restoreButton_);
    restoreLayout->addLayout(restoreRow);
    layout->addWidget(restoreBox, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    QPushButton* start = button("startButton", QStringLiteral("启动 Tamberlo"), this);
    QPushButton* quit = button("quitButton", QStringLiteral("退出"), this);
    bottom->addWidget(start);
    bottom->addWidget(quit);
    layout->addLayout(bottom);
    resize(720, 480);

    connect(browse, &QPushButton::clicked, this, [this] {
        const QString chosen =
            QFileDialog::getExistingDirectory(this, QStringLiteral("选择备份文件夹"), folder_->text());
        if (!chosen.isEmpty()) {
            folder_->setText(chosen);
            refreshList();
        }
    });
    connect(folder_, &QLineEdit::editingFinished, this, &KopiraWindow::refreshList);
    connect(backupButton_, &QPushButton::clicked, this, &KopiraWindow::backUp);
    connect(restoreButton_, &QPushButton::clicked, this, &KopiraWindow::restoreSelected);
    connect(restoreFileButton_, &QPushButton::clicked, this, &KopiraWindow::restoreFromFile);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &KopiraWindow::restoreSelected);
    connect(list_, &QTreeWidget::currentItemChanged, this, [this] { setBusy(busy_); });
    connect(autoEncrypt_, &QCheckBox::clicked, this, &KopiraWindow::setAutomaticEncryption);
    connect(start, &QPushButton::clicked, this, &KopiraWindow::startTamberlo);
    connect(quit, &QPushButton::clicked, this, &QWidget::close);

    // Waiting for Tamberlo to end looks at its lock only: the database is never touched meanwhile.
    watch_->setInterval(kWatchMs);
    connect(watch_, &QTimer::timeout, this, &KopiraWindow::checkHousehold);
    watch_->start();
    checkHousehold();
    showAutomaticEncryption();
    refreshList();
}

void KopiraWindow::showAutomaticEncryption() {
    Kopira::BackupSecretStore& store = Kopira::SecretStore();
    const bool available = household_.problem.isEmpty() && store.available();
    const bool on = available && store.lookup(Kopira::SecretStoreKey(household_)).has_value();
    autoEncrypt_->setEnabled(available);
    autoEncrypt_->setChecked(on);
    if (!available)
        autoEncryptStatus_->setText(Kopira::NoSecretServiceText());
    else if (on)
        autoEncryptStatus_->setText(
            QStringLiteral("每天的自动备份用口令加密，口令保存在桌面的密码保管服务里。") +
            Kopira::LostPassphraseText());
    else
        autoEncryptStatus_->setText(QStringLiteral("每天的自动备份不加密。"));
}

void KopiraWindow::setAutomaticEncryption(bool on) {
    Kopira::BackupSecretStore& store = Kopira::SecretStore();
    const QString key = Kopira::SecretStoreKey(household_);
    if (!on) {
        if (!store.clear(key))
            Prompt::current().show(
                kCaption, QStringLiteral("无法从桌面的密码保管服务里删除自动备份的口令，请稍后再试。"),
                Prompt::Buttons::Ok, Prompt::Icon::Warning);
        showAutomaticEncryption();
        return;
    }
    std::optional<QString> passphrase =
        askNewPassphrase ? askNewPassphrase(QStringLiteral("每天的自动备份")) : std::nullopt;
    if (passphrase) {
        const bool stored = store.store(key, *passphrase);
        WipeText(*passphrase);
        if (!stored)
            Prompt::current().show(kCaption, Kopira::NoSecretServiceText(), Prompt::Buttons::Ok,
                                   Prompt::Icon::Warning);
    }
    showAutomaticEncryption();
}

KopiraWindow::~KopiraWindow() {
    // The folder box loses its focus while the base class takes the children down, after this part of
    // the window is gone: it must not call back into it then.
    folder_->disconnect(this);
    // Background work holds pointers into this window: it ends first.
    for (QThread* thread : findChildren<QThread*>())
        thread->wait();
}

void KopiraWindow::checkHousehold() {
    // Reads the lock file only: a program that starts meanwhile always gets the lock.
    const HouseholdLock lock(databasePath_);
    const std::optional<HouseholdLock::Holder> holder =
        HouseholdLock::heldByAnother(databasePath_) ? lock.holderInfo() : std::nullopt;
    const bool elsewhere = holder && holder->otherComputer;
    const bool open = holder && !elsewhere;
    const QString watched =
        !holder ? QString()
                : QStringLiteral("%1 %2 %3").arg(holder->computer, holder->program).arg(holder->pid);
    if (watched == watched_ && !status_->text().isEmpty())
        return;
    watched_ = watched;
    householdOpen_ = open;
    lockedElsewhere_ = elsewhere;
    if (!household_.problem.isEmpty())
        status_->setText(household_.problem);
    else if (elsewhere)
        status_->setText(HouseholdInUseText(lock) +
                         QStringLiteral("\n现在可以备份；恢复时会先问是否接管这个锁。"));
    else if (open)
        status_->setText(
            QStringLiteral("%1 正在使用这个帐本。现在可以备份；恢复要等 %1 关闭，关闭后会自动可用。")
                .arg(holder->program));
    else
        status_->setText(QStringLiteral("请选择“备份”或“恢复”。"));
    setBusy(busy_);
}

void KopiraWindow::setBusy(bool busy) {
    busy_ = busy;
    // A lomu.ini that cannot be used names no household to work on.
    const bool usable = household_.problem.isEmpty();
    backupButton_->setEnabled(!busy && usable);
    restoreButton_->setEnabled(!busy && usable && !householdOpen_ && list_->currentItem() != nullptr);
    restoreFileButton_->setEnabled(!busy && usable && !householdOpen_);
}

void KopiraWindow::inBackground(const QString& label, std::function<void()> work,
                                std::function<void()> done) {
    setBusy(true);
    QThread* thread = QThread::create(std::move(work));
    thread->setParent(this);
    // The progress dialog shows only for work that takes over a second; the window keeps painting.
    auto progress = std::make_shared<QPointer<QProgressDialog>>();
    auto* later = new QTimer(this);
    later->setSingleShot(true);
    connect(later, &QTimer::timeout, this, [this, label, progress] {
        auto* dialog = new QProgressDialog(label, QString(), 0, 0, this);
        dialog->setObjectName(QStringLiteral("progress"));
        dialog->setWindowTitle(kCaption);
        dialog->setWindowModality(Qt::WindowModal);
        dialog->setCancelButton(nullptr);
        dialog->setMinimumDuration(0);
        dialog->show();
        *progress = dialog;
    });
    connect(thread, &QThread::finished, this, [this, thread, later, progress, done = std::move(done)] {
        later->stop();
        later->deleteLater();
        delete progress->data();
        thread->deleteLater();
        setBusy(false);
        done();
        Q_EMIT workFinished();
    });
    later->start(1000);
    thread->start();
}

void KopiraWindow::refreshList() {
    if (busy_)
        return;
    const QString folder = folder_->text().trimmed();
    auto found = std::make_shared<QList<Kopira::BackupSummary>>();
    inBackground(
        QStringLiteral("正在读取备份列表……"), [folder, found] { *found = Kopira::ListBackups(folder); },
        [this, found] { showList(*found); });
}

void KopiraWindow::showList(const QList<Kopira::BackupSummary>& backups) {
    list_->clear();
    for (const Kopira::BackupSummary& b : backups) {
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, b.made.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        item->setText(1, b.encrypted ? Kopira::KindText(b.kind) + QStringLiteral("（已加密）")
                                     : Kopira::KindText(b.kind));
        item->setText(2, Kopira::SizeText(b.size));
        if (b.encrypted) {
            item->setText(3, QStringLiteral("需要口令"));
            item->setToolTip(3, QStringLiteral("已用口令加密：恢复时输入口令后才能看到内容。"));
        } else {
            item->setText(3, b.problem.isEmpty() ? QString::number(b.entries) : QStringLiteral("无法恢复"));
            item->setToolTip(3, b.problem);
        }
        item->setText(4, QFileInfo(b.path).fileName());
        item->setData(0, Qt::UserRole, b.path);
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    }
    // Drawn anew as a whole: after a backup, an X display showed only the first cell of the new top
    // row, the other cells still the row that stood there before (the older file's type and count)
    // until the list was clicked.
    list_->viewport()->update();
    setBusy(busy_);
}

void KopiraWindow::backUp() {
    const QString folder = folder_->text().trimmed();
    Kopira::RememberBackupFolder(homeFolder_, folder);
    QString passphrase;
    if (encrypt_->isChecked()) {
        const std::optional<QString> chosen =
            askNewPassphrase ? askNewPassphrase(QStringLiteral("这份备份")) : std::nullopt;
        if (!chosen)
            return;
        passphrase = *chosen;
    }
    auto made = std::make_shared<Result<QString>>(QString());
    const QDateTime when = now();
    const Kopira::Household household = household_;
    inBackground(
        QStringLiteral("正在备份，请稍候……"),
        [=]() mutable {
            *made = passphrase.isEmpty()
                        ? Kopira::BackUpHousehold(household, folder, when)
                        : Kopira::BackUpHouseholdEncrypted(household, folder, when, passphrase);
            WipeText(passphrase);
        },
        [this, made] {
            if (!made->isOk()) {
                Prompt::current().show(kCaption, QStringLiteral("备份失败：%1").arg(made->error()),
                                       Prompt::Buttons::Ok, Prompt::Icon::Critical);
                return;
            }
            const QString path = QDir::toNativeSeparators(made->value());
            status_->setText(QStringLiteral("已备份到 %1").arg(path));
            QString text = QStringLiteral("备份完成：\n%1").arg(path);
            if (Kopira::IsEncryptedBackup(made->value()))
                text += QStringLiteral("\n\n这份备份已用口令加密。") + Kopira::LostPassphraseText();
            Prompt::current().show(kCaption, text, Prompt::Buttons::Ok, Prompt::Icon::Information);
            QTimer::singleShot(0, this, &KopiraWindow::refreshList);
        });
}

void KopiraWindow::restoreSelected() {
    if (busy_ || householdOpen_ || !list_->currentItem())
        return;
    restore(list_->currentItem()->data(0, Qt::UserRole).toString());
}

void KopiraWindow::restoreFromFile() {
    const QString chosen = pickBackup ? pickBackup(folder_->text().trimmed()) : QString();
    if (!chosen.isEmpty())
        restore(chosen);
}

void KopiraWindow::restore(const QString& file) {
    if (householdOpen_) {
        HouseholdLock lock(databasePath_);
        Prompt::current().show(kCaption, Kopira::RestoreRefusal(lock), Prompt::Buttons::Ok,
                               Prompt::Icon::Warning);
        return;
    }
    if (lockedElsewhere_) {
        HouseholdLock lock(databasePath_);
        if (!OfferTakeOver(lock, kCaption))
            return;
        // The restore takes the lock again for itself.
        lock.unlock();
        watched_.clear();
        checkHousehold();
    }
    QString passphrase;
    if (Kopira::IsEncryptedBackup(file)) {
        const std::optional<QString> typed = askPassphrase ? askPassphrase(file) : std::nullopt;
        if (!typed)
            return;
        passphrase = *typed;
    }
    auto summary = std::make_shared<Kopira::BackupSummary>();
    auto decrypted = std::make_shared<std::shared_ptr<Kopira::DecryptedBackup>>();
    const QString databasePath = databasePath_;
    inBackground(
        QStringLiteral("正在检查备份……"),
        [file, summary, decrypted, databasePath, passphrase]() mutable {
            if (passphrase.isEmpty()) {
                *summary = Kopira::Summarize(file);
                return;
            }
            const Result<std::shared_ptr<Kopira::DecryptedBackup>> opened =
                Kopira::DecryptedBackup::Open(file, passphrase, databasePath);
            WipeText(passphrase);
            if (!opened) {
                summary->path = file;
                summary->problem = opened.error();
                return;
            }
            *decrypted = opened.value();
            *summary = (*decrypted)->summary();
        },
        [this, summary, decrypted] {
            QTimer::singleShot(0, this,
                               [this, summary, decrypted] { confirmAndRestore(*summary, *decrypted); });
        });
}

void KopiraWindow::confirmAndRestore(const Kopira::BackupSummary& summary,
                                     const std::shared_ptr<Kopira::DecryptedBackup>& decrypted) {
    if (!summary.problem.isEmpty()) {
        Prompt::current().show(kCaption, summary.problem + QStringLiteral("\n当前帐本未作任何改动。"),
                               Prompt::Buttons::Ok, Prompt::Icon::Warning);
        return;
    }
    const QString question =
        household_.onServer()
            ? QStringLiteral(
                  "\n\n确信要用这个备份替换%1吗？替换之前，服务器上的帐本会另存一份安全副本。"
                  "请先让其他电脑上的 Tamberlo 都退出。")
                  .arg(household_.name())
            : QStringLiteral(
                  "\n\n确信要用这个备份替换当前帐本吗？替换之前，当前帐本会另存"
                  "一份安全副本。");
    if (Prompt::current().show(kCaption, Kopira::DescribeBackup(summary) + question,
                               Prompt::Buttons::OkCancel, Prompt::Icon::Question) != Prompt::Answer::Ok) {
        return;
    }
    auto restored = std::make_shared<Result<QString>>(QString());
    const Kopira::Household household = household_;
    const QString file = summary.path;
    const QString source = decrypted ? decrypted->path() : file;
    const QString safety = Kopira::DefaultBackupFolder(homeFolder_);
    const QDateTime when = now();
    inBackground(
        QStringLiteral("正在恢复，请稍候……"),
        // The decrypted copy lives until the restore has ended.
        [=] { *restored = Kopira::RestoreHousehold(household, source, safety, when); },
        [this, restored, file, decrypted] {
            if (!restored->isOk()) {
                Prompt::current().show(kCaption, restored->error(), Prompt::Buttons::Ok,
                                       Prompt::Icon::Critical);
                return;
            }
            QString text = QStringLiteral("恢复完成。");
            if (!restored->value().isEmpty())
                text += QStringLiteral("\n原来的帐本已另存为：\n%1")
                            .arg(QDir::toNativeSeparators(restored->value()));
            status_->setText(QStringLiteral("已从 %1 恢复").arg(QDir::toNativeSeparators(file)));
            Prompt::current().show(kCaption, text, Prompt::Buttons::Ok, Prompt::Icon::Information);
            QTimer::singleShot(0, this, &KopiraWindow::refreshList);
        });
}

void KopiraWindow::startTamberlo() {
    // The same rule as the program's own start: one running copy per household.
    HouseholdLock lock(databasePath_);
    if (!ClaimHousehold(lock, kCaption))
        return;
    lock.unlock();
#ifdef Q_OS_WIN
    const QString program = QDir(programFolder_).filePath(QStringLiteral("tamberlo.exe"));
#else
    const QString program = QDir(programFolder_).filePath(QStringLiteral("tamberlo"));
#endif
    if (!QProcess::startDetached(program, {})) {
        Prompt::current().show(kCaption,
                               QStringLiteral("无法启动 %1，请检查 Tamberlo 是否安装完整。")
                                   .arg(QDir::toNativeSeparators(program)),
                               Prompt::Buttons::Ok, Prompt::Icon::Warning);
        return;
    }
    close();
}
