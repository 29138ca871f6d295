#pragma once

#include "kit/Prompt.h"

#include <QByteArray>
#include <QString>

// What the benchmarks share: a prompt that answers at once, the resident memory of the process and the
// time the bare sqlite3 shell needs for a statement.

// Answers every box at once with the safe answer (OK, No, Cancel) and counts the boxes.
class QuietPrompt final : public Prompt {
  public:
    QuietPrompt();
    ~QuietPrompt() override;
    Answer show(const QString& caption, const QString& text, Buttons buttons, Icon icon) override;
    int boxes() const { return boxes_; }
    const QString& lastText() const { return lastText_; }

  private:
    int boxes_ = 0;
    QString lastText_;
};

// The resident memory of this process in MiB.
double ResidentMiB();
// The memory the process's heap holds in use, in MiB (unlike the resident size, not hidden by freed
// memory being used again).
double HeapInUseMiB();

// The seconds the sqlite3 shell needs for one run of `statements` on the file, warm: the shell runs
// `setup` and then the statements `repeats` times, and once more with a single run; the difference
// divided by repeats - 1 leaves out the start of the process and the first, cold run. Each figure is
// the median of `rounds` runs. Negative when the shell fails.
double ShellSecondsPerRun(const QString& databaseFile, const QByteArray& setup, const QByteArray& statements,
                          int repeats, int rounds = 3);

// The same for statements long enough for the shell's own timer (a millisecond's resolution): the
// median of `runs` timed runs after one untimed run, each run the sum of its statements' times.
double ShellTimedSecondsPerRun(const QString& databaseFile, const QByteArray& statements,
                               int statementsPerRun, int runs = 7);

// Quotes a text as an SQL literal.
QByteArray SqlText(const QString& text);
