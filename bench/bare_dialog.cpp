// The yardsticks of the start-up benchmark: a bare Qt program that shows one empty dialog, and with
// --text the same dialog holding one line of Chinese, which makes it read the system's fonts as every
// window with text must.
#include "kit/StartupProbe.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QVBoxLayout>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    StartupProbe probe(QStringLiteral("bare"));
    app.installEventFilter(&probe);
    QDialog dialog;
    dialog.setObjectName(QStringLiteral("bare"));
    if (QApplication::arguments().contains(QStringLiteral("--text"))) {
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(new QLabel(QStringLiteral("输入您登录系统的用户ID及密码！"), &dialog));
    }
    dialog.show();
    return QApplication::exec();
}
