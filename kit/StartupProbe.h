#pragma once

#include <QEvent>
#include <QObject>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <ctime>

// For the start-up benchmark: installed on the application, it prints "login-shown" the moment the
// window of the given objectName is shown, and ends the process at once.
class StartupProbe final : public QObject {
  public:
    explicit StartupProbe(QString windowName) : windowName_(std::move(windowName)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->objectName() == windowName_) {
            std::fputs("login-shown\n", stdout);
            std::fflush(stdout);
            std::_Exit(0);
        }
        return false;
    }

  private:
    QString windowName_;
};

// The start-up profile: with TAMBERLO_PROBE_PROFILE set, each step of the start prints "mark <step>
// <monotonic ns>", so that the benchmark, which knows when it started the process on the same clock,
// can say how long the process took to reach each step. Costs one getenv otherwise.
inline void StartupMark(const char* step) {
    static const bool probing = std::getenv("TAMBERLO_PROBE_PROFILE") != nullptr;
    if (!probing)
        return;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::printf("mark %s %lld\n", step, static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    std::fflush(stdout);
}
