#pragma once

#include "tools/Launcher.h"

#include <QStringList>

// Records what would have been opened or started; installed for its lifetime.
class RecordingLauncher final : public Launcher {
  public:
    RecordingLauncher() { Launcher::install(this); }
    ~RecordingLauncher() override { Launcher::install(nullptr); }

    bool open(const QString& target) override {
        opened.append(target);
        return opens;
    }
    void start(const QString& program) override { started.append(program); }
    void startAtExit(const QString& program) override { atExit.append(program); }

    bool opens = true;  // false: as a desktop without a browser or mail program
    QStringList opened;
    QStringList started;
    QStringList atExit;
};
