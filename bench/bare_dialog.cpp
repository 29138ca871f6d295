// The yardstick of the start-up benchmark: a bare Qt program that shows one empty dialog.
#include <QApplication>
#include <QDialog>
#include <QEvent>

#include <cstdio>
#include <cstdlib>

namespace {
class Probe final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->objectName() == QStringLiteral("bare")) {
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
    Probe probe;
    app.installEventFilter(&probe);
    QDialog dialog;
    dialog.setObjectName(QStringLiteral("bare"));
    dialog.show();
    return QApplication::exec();
}
