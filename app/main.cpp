#include "app/Folders.h"
#include "app/mainForm.h"
#include "kit/ChineseUi.h"
#include "kit/MessageBoxPrompt.h"
#include "resources/icon/AppIcon.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

class StartupProbe final : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->objectName() == QStringLiteral("Form2")) {
            std::fputs("login-shown\n", stdout);
            std::fflush(stdout);
            std::_Exit(0);
        }
        return false;
    }
};

}  // namespace

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
    StartupProbe probe;
    if (qEnvironmentVariableIsSet("TAMBERLO_PROBE_LOGIN"))
        app.installEventFilter(&probe);

    TForm1 form(HomeFolder());
    QObject::connect(&form, &TForm1::terminateRequested, &app, &QApplication::quit, Qt::QueuedConnection);
    form.show();
    const int code = QApplication::exec();
    Prompt::install(nullptr);
    return code;
}
