// tamberlo-upgrade-timing <household file of an older version> [runs]: the time Database::open takes on a
// fresh copy of an older household, the safety copy and the upgrade included, for each run and their
// median. The copy is made before the clock starts and removed after each run.
#include "data/Database.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: tamberlo-upgrade-timing <household file> [runs]\n");
        return 2;
    }
    const int runs = args.size() > 2 ? std::max(1, args[2].toInt()) : 3;
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/tamberlo-upgrade-XXXXXX"));
        const QString file = scratch.filePath(QStringLiteral("lomu.mdb"));
        if (!QFile::copy(args[1], file))
            qFatal("cannot copy %s", qPrintable(args[1]));
        QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        Database database;
        QElapsedTimer timer;
        timer.start();
        const Status opened = database.open(file);
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        if (!opened) {
            std::fprintf(stderr, "%s\n", qPrintable(opened.error()));
            return 1;
        }
        times.append(ms);
        std::printf("run %d: open with upgrade %.1f ms\n", i + 1, ms);
        std::fflush(stdout);
    }
    std::sort(times.begin(), times.end());
    std::printf("median of %d runs: %.1f ms\n", runs, times[times.size() / 2]);
    return 0;
}
