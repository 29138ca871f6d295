#include "household/Folders.h"
#include "household/HouseholdLock.h"
#include "app/mainForm.h"
#include "kit/ChineseUi.h"
#include "kit/MessageBoxPrompt.h"
#include "kit/StartupProbe.h"
#include "kopira/AutoBackup.h"
#include "kopira/KopiraStore.h"
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

    // One running copy per household: a second start says so and ends without touching the file.
    HouseholdLock lock(DatabasePath(HomeFolder()));
    if (!ClaimHousehold(lock, Captions::kApplication))
        return 1;

    TForm1 form(HomeFolder());
    QObject::connect(&form, &TForm1::terminateRequested, &app, &QApplication::quit, Qt::QueuedConnection);
    // The day's automatic backup, in the background once the main window is ready after the login.
    AutoBackup autoBackup(DatabasePath(HomeFolder()), Kopira::DefaultBackupFolder(HomeFolder()));
    QObject::connect(&form, &TForm1::firstShowingDone, &autoBackup, [&form, &autoBackup] {
        if (form.database().isOpen() && !form.currentUser().name.isEmpty())
            autoBackup.start();
    });
    QObject::connect(
        &autoBackup, &AutoBackup::finished, &form, [](const QString&, const QString& failure, qint64) {
            if (!failure.isEmpty())
                ReportError(
                    QStringLiteral("今天的自动备份没有成功，请用“备份数据库”手动备份。\n%1").arg(failure));
        });
    form.show();
    const int code = QApplication::exec();
    Prompt::install(nullptr);
    return code;
}
