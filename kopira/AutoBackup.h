#pragma once

#include "kopira/KopiraHousehold.h"

#include <QObject>
#include <QString>

class QThread;

// Runs the day's automatic backup on a thread of its own, so that no window waits for it. Started once
// the main window is ready; the object waits for a running backup when it is destroyed.
class AutoBackup : public QObject {
    Q_OBJECT
  public:
    AutoBackup(const QString& databasePath, const QString& folder, QObject* parent = nullptr);
    // The household wherever it lives: on a server, the server's books are backed up into the folder.
    AutoBackup(const Kopira::Household& household, const QString& folder, QObject* parent = nullptr);
    ~AutoBackup() override;

    void start();
    bool isRunning() const;
    // Waits until a started backup has ended (the program's exit, tests).
    void wait();

  Q_SIGNALS:
    // On the starting thread once the work has ended: the new backup (empty when none was due), the
    // failure's message (empty when it went well) and, when no backup was written, what to say of a
    // household changed but not backed up for more than three days (empty when nothing is overdue).
    void finished(const QString& written, const QString& failure, qint64 milliseconds,
                  const QString& overdue);

  private:
    Kopira::Household household_;
    QString folder_;
    QThread* thread_ = nullptr;
};
