#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include "data/Result.h"

#include <functional>

class QThread;

// Looks for damage in a household's file without holding up the windows: PRAGMA integrity_check on a
// connection of its own, opened read-only, in a thread of its own. The whole check also compares every
// index with its table, which the quick check does not: an entry gone from the table while an index
// still holds it is counted by every total read from that index. The check never writes to the file.
class DamageCheck : public QObject {
    Q_OBJECT
  public:
    // What the check found: damage with the engine's words, or a sound file. A check that could not
    // run (the file busy, gone) reports no damage: only a damaged file is called damaged.
    struct Verdict {
        bool damaged = false;
        QString detail;          // the first few of the engine's lines
        bool indexOnly = false;  // every line says an index disagrees with its table
    };
    // The whole check, or the engine's quick look (the pages and their order, not the indexes against
    // the tables) where a window waits for the answer.
    enum class Depth { Whole, Quick };

    explicit DamageCheck(QObject* parent = nullptr);
    ~DamageCheck() override;  // waits for a running check

    // Starts the whole check; finished() follows on this object's thread.
    void start(const QString& path);
    // Starts RebuildIndexes; rebuilt() follows on this object's thread.
    void startRebuild(const QString& path);

    // The check itself, run on the calling thread.
    static Verdict Run(const QString& path, Depth depth = Depth::Whole);

    // Whether every line the engine reported is about an index that disagrees with its table (an entry
    // missing from it, or a count that differs): the rows themselves passed, and rebuilding the indexes
    // from them (REINDEX) mends the file.
    static bool IndexOnly(const QStringList& lines);

    // Rebuilds every index of the file from the table rows (REINDEX, in one transaction on a connection
    // of its own) and then runs the whole check. Gives the check's verdict after the rebuild, or why the
    // rebuild failed (nothing changed then). Only the indexes are written; no row is touched.
    static Result<Verdict> RebuildIndexes(const QString& path);

  Q_SIGNALS:
    void finished(bool damaged, const QString& detail, bool indexOnly);
    // `done` false: the rebuild failed and `detail` says why.
    void rebuilt(bool done, bool damaged, const QString& detail);

  private:
    void runInThread(const std::function<void()>& work);

    QThread* thread_ = nullptr;
};
