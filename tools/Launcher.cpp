#include "tools/Launcher.h"

#include "kit/Prompt.h"
#include "tools/Launchers.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace {

QString programAtExit;

void startProgramAtExit() {
    if (!programAtExit.isEmpty())
        QProcess::startDetached(programAtExit, {});
}

class DesktopLauncher final : public Launcher {
  public:
    bool open(const QString& target) override {
        const QFileInfo file(target);
        const QUrl url =
            file.isAbsolute() && file.exists() ? QUrl::fromLocalFile(target) : QUrl::fromUserInput(target);
        return QDesktopServices::openUrl(url);
    }
    void start(const QString& program) override { QProcess::startDetached(program, {}); }
    void startAtExit(const QString& program) override {
        // Run after the main window, and with it the database connection, is gone.
        if (programAtExit.isEmpty())
            qAddPostRoutine(startProgramAtExit);
        programAtExit = program;
    }
};

DesktopLauncher desktopLauncher;
Launcher* installed = &desktopLauncher;

}  // namespace

Launcher& Launcher::current() {
    return *installed;
}

void Launcher::install(Launcher* launcher) {
    installed = launcher ? launcher : &desktopLauncher;
}

void StartKopiraAtExit(const QString& programFolder) {
    const QString kopira = Launch::KopiraPath(programFolder);
    if (!kopira.isEmpty())
        Launcher::current().startAtExit(kopira);
}

void OpenOrTell(const QString& target, const QString& what) {
    if (!Launcher::current().open(target))
        Notify(QStringLiteral("这台电脑上没有找到可以打开%1的程序（例如浏览器）。%1在：%2，请手动打开它。")
                   .arg(what, target));
}
