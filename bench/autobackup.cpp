// tamberlo-autobackup-bench <home> [baseline]: the day's automatic backup of the household under <home>, run
// as the program runs it (on its own thread), while the window's thread ticks every 5 ms and saves an entry
// every 200 ms. Prints how long the backup took, the longest pause of the window's thread and the slowest
// save.
#include "kopira/AutoBackup.h"
#include "data/Database.h"
#include "household/Folders.h"
#include "kopira/KopiraStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTimer>

#include <algorithm>
#include <cstdio>

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: tamberlo-autobackup-bench <home> [baseline]\n");
        return 2;
    }
    const QString home = QString::fromLocal8Bit(argv[1]);
    Database db;
    if (Status opened = db.open(DatabasePath(home)); !opened) {
        std::fprintf(stderr, "%s\n", qPrintable(opened.error()));
        return 1;
    }
    AutoBackup backup(DatabasePath(home), Kopira::DefaultBackupFolder(home));
    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longestPause = 0;
    qint64 slowestSave = 0;
    int saves = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 t = clock.elapsed();
        longestPause = std::max(longestPause, t - lastTick);
        lastTick = t;
    });
    QTimer save;
    QObject::connect(&save, &QTimer::timeout, [&] {
        QElapsedTimer s;
        s.start();
        db.transaction([&] {
            QSqlQuery q(db.connection());
            return q.exec(QStringLiteral(
                       "insert into tixing (riqi, fanwei, neirong) values ('2007-01-15', '当天', 'bench')"))
                       ? Status::ok()
                       : Status::failure(QStringLiteral("insert"));
        });
        slowestSave = std::max(slowestSave, s.elapsed());
        ++saves;
        lastTick = clock.elapsed();  // a save's own time is the save's, not a pause caused by the backup
    });
    QObject::connect(
        &backup, &AutoBackup::finished, [&](const QString& written, const QString& failure, qint64 ms) {
            std::printf(
                "backup: %s%s\nbackup took %lld ms on its own thread; window thread's longest pause outside "
                "saves %lld ms "
                "(ticks every 5 ms); %d saves meanwhile, slowest %lld ms\n",
                qPrintable(written), qPrintable(failure), static_cast<long long>(ms),
                static_cast<long long>(longestPause), saves, static_cast<long long>(slowestSave));
            QApplication::quit();
        });
    clock.start();
    tick.start(5);
    save.start(200);
    // With a second argument "baseline": the same ticks and saves for five seconds without a backup.
    if (argc > 2)
        QTimer::singleShot(5000, &backup, [&] {
            Q_EMIT backup.finished(QStringLiteral("(baseline)"), QString(), 0, QString());
        });
    else
        backup.start();
    return QApplication::exec();
}
