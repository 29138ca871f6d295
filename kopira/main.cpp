#include "household/Folders.h"
#include "kit/ChineseUi.h"
#include "kit/MessageBoxPrompt.h"
#include "kopira/KopiraWindow.h"
#include "resources/icon/AppIcon.h"

#include <QApplication>

// The backup tool: started by Tamberlo as it ends, or by hand. Takes no arguments.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kopira"));
    QApplication::setApplicationDisplayName(QStringLiteral("kopira"));
    QApplication::setWindowIcon(AppIcon());

    InstallChineseQtTranslations(app);

    MessageBoxPrompt prompt;
    Prompt::install(&prompt);
    KopiraWindow window(HomeFolder(), ProgramFolder());
    window.show();
    const int code = QApplication::exec();
    Prompt::install(nullptr);
    return code;
}
