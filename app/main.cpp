#include "app/Folders.h"
#include "app/mainForm.h"
#include "kit/MessageBoxPrompt.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tamberlo"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tamberlo"));

    // Standard dialog buttons in Chinese, whatever the system locale is.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTranslator);
    }

    MessageBoxPrompt prompt;
    Prompt::install(&prompt);

    TForm1 form(HomeFolder());
    QObject::connect(&form, &TForm1::terminateRequested, &app, &QApplication::quit, Qt::QueuedConnection);
    form.show();
    const int code = QApplication::exec();
    Prompt::install(nullptr);
    return code;
}
