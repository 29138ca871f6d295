#pragma once

#include <QDateTime>
#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

// The backup tool's window: waits until Tamberlo has released the database, then offers 备份 into a
// folder of the user's choice and 恢复 from a backup the user picks, and can start Tamberlo again.
class KopiraWindow : public QWidget {
    Q_OBJECT
  public:
    KopiraWindow(const QString& homeFolder, const QString& programFolder, QWidget* parent = nullptr);

    // Seams for tests: the file the user picks for a restore (empty: none) and the clock.
    std::function<QString(const QString& folder)> pickBackup;
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };

    void backUp();
    void restore();
    void startTamberlo();

  private:
    void checkReleased();
    void setWaiting(bool waiting);

    QString homeFolder_;
    QString programFolder_;
    QString databasePath_;
    QLabel* status_;
    QLineEdit* folder_;
    QPushButton* backupButton_;
    QPushButton* restoreButton_;
    QTimer* wait_;
    int waitedTicks_ = 0;
};
