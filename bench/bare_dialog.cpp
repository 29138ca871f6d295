// The yardstick of the start-up benchmark: a bare Qt program that shows one empty dialog.
#include "kit/StartupProbe.h"

#include <QApplication>
#include <QDialog>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    StartupProbe probe(QStringLiteral("bare"));
    app.installEventFilter(&probe);
    QDialog dialog;
    dialog.setObjectName(QStringLiteral("bare"));
    dialog.show();
    return QApplication::exec();
}
