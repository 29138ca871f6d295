#include "app/Folders.h"
#include "kit/MessageBoxPrompt.h"
#include "kopira/KopiraWindow.h"
#include "resources/icon/AppIcon.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

// The backup tool: started by Tamberlo as it ends, or by hand. Takes no arguments.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kopira"));
    QApplication::setApplicationDisplayName(QStringLiteral("kopira"));
    QApplication::setWindowIcon(AppIcon());

    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTranslator);
    }

    MessageBoxPrompt prompt;
    Prompt::install(&prompt);
    KopiraWindow window(HomeFolder(), ProgramFolder());
    window.show();
    const int code = QApplication::exec();
    Prompt::install(nullptr);
    return code;
}
