#pragma once

#include "kopira/BackupInfo.h"
#include "kopira/EncryptedBackup.h"
#include "kopira/KopiraHousehold.h"

#include <QDateTime>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QTreeWidget;

// The backup tool's window, on the household of the home folder: its local file, or the books on the
// server that lomu.ini names (the window says which). Backing up works at once, also while Tamberlo runs (a
// consistent copy from one read). Restoring waits until Tamberlo has let go of the household (its lock, never
// the database's write lock). Lists every backup of the chosen folder, newest first; the chosen one is
// restored after a question that shows what it holds. Long work runs off the window's thread behind a
// progress dialog.
class KopiraWindow : public QWidget {
    Q_OBJECT
  public:
    KopiraWindow(const QString& homeFolder, const QString& programFolder, QWidget* parent = nullptr);
    ~KopiraWindow() override;

    // Seams for tests: the file the user picks for a restore (empty: none) and the clock.
    std::function<QString(const QString& folder)> pickBackup;
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    // The passphrase of an encrypted backup about to be restored, and a new one (for a backup or the
    // automatic backups); none when the user cancels.
    std::function<std::optional<QString>(const QString& file)> askPassphrase;
    std::function<std::optional<QString>(const QString& what)> askNewPassphrase;

    void backUp();
    void restoreSelected();
    void restoreFromFile();
    void startTamberlo();
    void refreshList();
    bool isBusy() const { return busy_; }

  Q_SIGNALS:
    // A piece of background work (a backup, a restore, reading the list) has ended.
    void workFinished();

  private:
    void checkHousehold();
    void restore(const QString& file);
    // `decrypted` holds the plain copy of an encrypted backup, restored in its place.
    void confirmAndRestore(const Kopira::BackupSummary& summary,
                           const std::shared_ptr<Kopira::DecryptedBackup>& decrypted);
    void showAutomaticEncryption();
    void setAutomaticEncryption(bool on);
    void showList(const QList<Kopira::BackupSummary>& backups);
    void setBusy(bool busy);
    // Runs the work on a thread of its own; a Chinese progress dialog shows once it takes over a second.
    void inBackground(const QString& label, std::function<void()> work, std::function<void()> done);

    QString homeFolder_;
    QString programFolder_;
    QString databasePath_;
    Kopira::Household household_;
    QLabel* status_;
    QLineEdit* folder_;
    QPushButton* backupButton_;
    QPushButton* restoreButton_;
    QPushButton* restoreFileButton_;
    QCheckBox* encrypt_;
    QCheckBox* autoEncrypt_;
    QLabel* autoEncryptStatus_;
    QTreeWidget* list_;
    QTimer* watch_;
    bool busy_ = false;
    bool householdOpen_ = false;    // a program on this computer holds the household
    bool lockedElsewhere_ = false;  // a lock from another computer, taken over only when the user confirms
    QString watched_;               // who held the household at the last look
};
