#include "household/Folders.h"
#include "app/mainForm.h"
#include "kit/ChineseUi.h"
#include "kit/MessageBoxPrompt.h"
#include "kit/StartupProbe.h"
#include "resources/icon/AppIcon.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tamberlo"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tamberlo"));
    QApplication::setWindowIcon(AppIcon());
    // Lets the desktop match the windows with the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("tamberlo"));

    InstallChineseQtTranslations(app);

    MessageBoxPrompt prompt;
    Prompt::install(&prompt);

    // For the start-up benchmark: say when the login window is on screen, then end.
    StartupProbe probe(QStringLiteral("Form2"));
    if (qEnvironmentVariableIsSet("TAMBERLO_PROBE_LOGIN"))
        app.installEventFilter(&probe);

    TForm1 form(HomeFolder());
    // The household's server could not be used: the message has been shown, nothing was touched.
    if (form.startFailed()) {
        Prompt::install(nullptr);
        return 1;
    }
    QObject::connect(&form, &TForm1::terminateRequested, &app, &QApplication::quit, Qt::QueuedConnection);
    form.show();
    const int code = QApplication::exec();
    Prompt::install(nullptr);
    return code;
}
