#include "app/CommandLine.h"
#include "app/mainForm.h"
#include "data/Database.h"
#include "data/Secrets.h"
#include "household/Folders.h"
#include "household/HouseholdLock.h"
#include "kit/ChineseUi.h"
#include "kit/FontWarmUp.h"
#include "kit/MessageBoxPrompt.h"
#include "kit/StartupProbe.h"
#include "kit/UpgradeProgress.h"
#include "kopira/AutoBackup.h"
#include "kopira/KopiraHousehold.h"
#include "kopira/KopiraStore.h"
#include "resources/icon/AppIcon.h"

#include <QApplication>

#include <cstdio>
#include <future>
#include <optional>

namespace {

// Answers --help, --version and a mistaken command line without opening a window. Returns the exit
// status when the program is not to start.
std::optional<int> AnswerCommandLine(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLineChoice choice = ReadCommandLine(arguments);
    switch (choice.action) {
        case CommandLineChoice::Action::Start:
            return std::nullopt;
        case CommandLineChoice::Action::Help: {
            // Knowing the program's folder takes an application object, but not a display.
            QCoreApplication core(argc, argv);
            std::fputs(CommandLineHelp(HomeFolder()).toUtf8().constData(), stdout);
            return 0;
        }
        case CommandLineChoice::Action::Version:
            std::fputs(CommandLineVersion().toUtf8().constData(), stdout);
            return 0;
        case CommandLineChoice::Action::Mistake:
            std::fputs((choice.mistake + QLatin1Char('\n') + CommandLineUsage()).toUtf8().constData(),
                       stderr);
            return kUsageExitStatus;
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char* argv[]) {
    StartupMark("main");
    (void)KeepSecretsOutOfCrashDumps();
    if (const std::optional<int> answered = AnswerCommandLine(argc, argv))
        return *answered;
    QApplication app(argc, argv);
    StartupMark("application");
    const FontWarmUp fonts;
    // One running copy per household. The lock is taken on a thread of its own, as writing it waits on
    // the disk, while the main window is built; the window waits for it before it touches the household,
    // and a second start says so and ends without having touched the file.
    HouseholdLock lock(DatabasePath(HomeFolder()));
    std::future<HouseholdLock::State> locking =
        std::async(std::launch::async, [&lock] { return lock.tryLock(); });
    QApplication::setApplicationName(QStringLiteral("tamberlo"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tamberlo"));
    QApplication::setWindowIcon(AppIcon());
    // Lets the desktop match the windows with the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.tamberlo.tamberlo"));

    InstallChineseQtTranslations(app);

    MessageBoxPrompt prompt;
    Prompt::install(&prompt);
    // Opening a household of an older version upgrades it; past a second the user sees that it does.
    Database::setUpgradeNotice(ShowUpgradeProgress);
    StartupMark("translations");

    // For the start-up benchmark: say when the login window is on screen, then end.
    StartupProbe probe(QStringLiteral("Form2"));
    if (qEnvironmentVariableIsSet("TAMBERLO_PROBE_LOGIN"))
        app.installEventFilter(&probe);

    TForm1 form(HomeFolder(),
                [&lock, &locking] { return ClaimHousehold(lock, locking.get(), Captions::kApplication); });
    // The household is open in another window, or its server could not be used: the message has been
    // shown, nothing was touched.
    if (form.startFailed()) {
        Prompt::install(nullptr);
        return 1;
    }
    QObject::connect(&form, &TForm1::terminateRequested, &app, &QApplication::quit, Qt::QueuedConnection);
    // The day's automatic backup, in the background once the main window is ready after the login.
    AutoBackup autoBackup(Kopira::HouseholdOf(HomeFolder()), Kopira::DefaultBackupFolder(HomeFolder()));
    QObject::connect(&form, &TForm1::firstShowingDone, &autoBackup, [&form, &autoBackup] {
        if (form.database().isOpen() && !form.currentUser().name.isEmpty())
            autoBackup.start();
    });
    // Said once a start, in one box: today's failure, and backups missing for more than three days.
    QObject::connect(&autoBackup, &AutoBackup::finished, &form,
                     [](const QString&, const QString& failure, qint64, const QString& overdue) {
                         QStringList said;
                         if (!failure.isEmpty())
                             said << QStringLiteral("今天的自动备份没有成功。\n%1").arg(failure);
                         if (!overdue.isEmpty())
                             said << overdue;
                         if (!said.isEmpty())
                             ReportError(said.join(QStringLiteral("\n\n")));
                     });
    StartupMark("backup-prepared");
    form.show();
    StartupMark("main-window-shown");
    const int code = QApplication::exec();
    Prompt::install(nullptr);
    return code;
}
