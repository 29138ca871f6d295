#pragma once

#include <QEvent>
#include <QObject>
#include <QString>

#include <cstdio>
#include <cstdlib>

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
