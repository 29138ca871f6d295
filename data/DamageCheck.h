#pragma once

#include <QObject>
#include <QString>

class QThread;

// Looks for damage in a household's file without holding up the windows: PRAGMA quick_check on a
// connection of its own, opened read-only, in a thread of its own. The check never writes to the file.
class DamageCheck : public QObject {
    Q_OBJECT
  public:
    // What the check found: damage with the engine's words, or a sound file. A check that could not
    // run (the file busy, gone) reports no damage: only a damaged file is called damaged.
    struct Verdict {
        bool damaged = false;
        QString detail;
    };

    explicit DamageCheck(QObject* parent = nullptr);
    ~DamageCheck() override;  // waits for a running check

    // Starts the check; finished() follows on this object's thread.
    void start(const QString& path);

    // The check itself, run on the calling thread.
    static Verdict Run(const QString& path);

  Q_SIGNALS:
    void finished(bool damaged, const QString& detail);

  private:
    QThread* thread_ = nullptr;
};
