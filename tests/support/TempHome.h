#pragma once

#include <QDateTime>
#include <QString>
#include <QTemporaryDir>

// A fresh home folder for one test, with today's date pinned for as long as it lives.
class TempHome {
  public:
    TempHome();
    ~TempHome();

    QString path() const { return dir_.path(); }
    QString databasePath() const;
    QString iniPath() const;
    // Creates the database folder and writes the settings file with the given content.
    void writeIni(const QByteArray& content) const;
    void writeDatabaseFile(const QByteArray& content) const;
    // The household's lock as a program on another computer leaves it when it crashes: its process id,
    // program and computer, written at `since`. Gives the lock file's path.
    QString writeLockOfAnotherComputer(const QString& computer, const QDateTime& since) const;

  private:
    QTemporaryDir dir_;
};
