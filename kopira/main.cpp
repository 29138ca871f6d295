#include "data/Secrets.h"
#include "household/Folders.h"
#include "kit/ChineseUi.h"
#include "kit/MessageBoxPrompt.h"
#include "kopira/CommandLine.h"
#include "kopira/InterruptedRestore.h"
#include "kopira/KopiraWindow.h"
#include "resources/icon/AppIcon.h"

#include <QApplication>
#include <QDateTime>

#include <cstdio>

// The backup tool: started by Tamberlo as it ends, or by hand. With options it works on the command line
// and never opens a window (no display needed: over ssh, from cron).
int main(int argc, char* argv[]) {
    (void)KeepSecretsOutOfCrashDumps();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (Kopira::WantsCommandLine(arguments)) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("kopira"));
        return Kopira::RunCommandLine(arguments, HomeFolder(), stdin, stdout, stderr);
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kopira"));
    QApplication::setApplicationDisplayName(QStringLiteral("kopira"));
    QApplication::setWindowIcon(AppIcon());

    InstallChineseQtTranslations(app);

    MessageBoxPrompt prompt;
    Prompt::install(&prompt);
    Kopira::RemoveLeftovers(HomeFolder(), QDateTime::currentDateTime(), false);
    KopiraWindow window(HomeFolder(), ProgramFolder());
    window.show();
    const int code = QApplication::exec();
    Prompt::install(nullptr);
    return code;
}
