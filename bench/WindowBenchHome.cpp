#include "bench/WindowBenchHome.h"

#include "app/WorkArea.h"
#include "app/mainForm.h"
#include "bank/BankPanel.h"
#include "bench/BenchSupport.h"
#include "bench/HouseholdGenerator.h"
#include "data/DateText.h"
#include "ledger/EntryPanel.h"
#include "ledger/SummaryPanel.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <vector>

namespace WindowBenchHome {

QString sourceHousehold;
QString serverConnection;
std::unique_ptr<TForm1> sharedMainWindow;

// A copy of the generated household in a home folder of its own, so that the saves leave the cached
// file as it was.
struct Home {
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/tamberlo-bench-XXXXXX")};
    QString folder;
    QString databaseFile;

    Home() {
        folder = dir.path();
        QDir(folder).mkpath(QStringLiteral("database"));
        databaseFile = folder + QStringLiteral("/database/lomu.mdb");
        if (!QFile::copy(sourceHousehold, databaseFile))
            qFatal("cannot copy %s", qPrintable(sourceHousehold));
        QFile::setPermissions(databaseFile, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        if (!serverConnection.isEmpty()) {
            QFile ini(folder + QStringLiteral("/database/lomu.ini"));
            if (!ini.open(QIODevice::WriteOnly))
                qFatal("cannot write lomu.ini");
            ini.write(
                QStringLiteral("[shujuku]\nleixing=postgresql\nlianjie=%1\n").arg(serverConnection).toUtf8());
        }
    }
};

Home& home() {
    static Home h;
    return h;
}

// Logs in as 001 whenever the login window shows, and notes the moment it goes away.
class LoginDriver final : public QObject {
  public:
    QElapsedTimer closed;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched->objectName() != QStringLiteral("Form2") || !watched->isWidgetType())
            return false;
        auto* login = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show) {
            QTimer::singleShot(0, login, [login] {
                login->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(QStringLiteral("001"));
                login->findChild<QLineEdit*>(QStringLiteral("Edit2"))->setText(QStringLiteral("123"));
                login->findChild<QToolButton*>(QStringLiteral("SpeedButton1"))->click();
            });
        } else if (event->type() == QEvent::Hide) {
            closed.start();
        }
        return false;
    }
};

LoginDriver& loginDriver() {
    static LoginDriver* driver = [] {
        auto* d = new LoginDriver;
        qApp->installEventFilter(d);
        return d;
    }();
    return *driver;
}

// Shows a created main window and waits for its first-showing steps; gives the milliseconds from the
// login window's close to the end of those steps.
double showAndLogIn(TForm1& form) {
    loginDriver();
    QEventLoop loop;
    QObject::connect(&form, &TForm1::firstShowingDone, &loop, &QEventLoop::quit);
    double afterLogin = -1;
    QObject::connect(&form, &TForm1::firstShowingDone, &loop,
                     [&afterLogin] { afterLogin = double(loginDriver().closed.nsecsElapsed()) / 1e6; });
    form.show();
    loop.exec();
    return afterLogin;
}

TForm1& mainWindow() {
    if (!sharedMainWindow) {
        sharedMainWindow = std::make_unique<TForm1>(home().folder);
        showAndLogIn(*sharedMainWindow);
    }
    return *sharedMainWindow;
}

template <>
SummaryPanel* panelOf<SummaryPanel>() {
    return static_cast<SummaryPanel*>(mainWindow().panels().summary());
}
template <>
BankPanel* panelOf<BankPanel>() {
    return static_cast<BankPanel*>(mainWindow().panels().bank());
}

EntryPanel* incomePanel() {
    return static_cast<EntryPanel*>(mainWindow().panels().income());
}

void bringToFront(int sideButton) {
    mainWindow().findChild<WorkArea*>()->sideButtons()[sideButton]->click();
    QCoreApplication::processEvents();
}

void setSummaryPeriod(const Period& p) {
    auto* summary = panelOf<SummaryPanel>();
    summary->findChild<QLabel*>(QStringLiteral("Label2"))->setText(ShortDate(p.first));
    summary->findChild<QLabel*>(QStringLiteral("Label3"))->setText(ShortDate(p.last));
}

QDate today() {
    return kGeneratedToday;
}

Period period(int which) {
    switch (which) {
        case 0:
            return {today(), today()};
        case 1:
            return {QDate(today().year(), today().month(), 1), today()};
        case 2:
            return {QDate(today().year(), 1, 1), today()};
        default:
            return {QDate(1990, 1, 1), today()};
    }
}

const char* const kPeriodNames[4] = {"today", "month", "year", "all"};

void namePeriod(benchmark::State& state) {
    state.SetLabel(kPeriodNames[state.range(0)]);
}

// A fixed statement with its parameters written as literals, as a user would type it into the shell.
QByteArray literal(const char* statement, const std::map<QString, QByteArray>& values) {
    QByteArray text(statement);
    std::vector<std::pair<QString, QByteArray>> ordered(values.begin(), values.end());
    // Longer names first, so that no name is replaced inside another.
    std::sort(ordered.begin(), ordered.end(),
              [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
    for (const auto& [name, value] : ordered)
        text.replace(name.toUtf8(), value);
    return text + ";\n";
}

QByteArray dateLiteral(const QDate& d) {
    return SqlText(ShortDate(d));
}

QString homeFolder() {
    return home().folder;
}

QString homeDatabaseFile() {
    return home().databaseFile;
}

}  // namespace WindowBenchHome
