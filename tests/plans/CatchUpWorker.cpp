// A program that catches up the regular entries of the household named on its command line, for the
// test that starts two at once, as two computers starting together would. It lists what is due (today
// given on the command line), says "ready", waits for a line on its input, enters what enters itself and
// says "entered N".
#include "data/Database.h"
#include "data/HomeSafe.h"
#include "plans/CatchUp.h"

#include <QCoreApplication>
#include <QDate>

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <database|postgresql:connection> <today>\n", argv[0]);
        return 2;
    }
    Database database;
    const QString where = QString::fromLocal8Bit(argv[1]);
    const QString server = QStringLiteral("postgresql:");
    if (Status s =
            where.startsWith(server) ? database.openServer(where.mid(server.size())) : database.open(where);
        !s) {
        std::fprintf(stderr, "%s\n", qPrintable(s.error()));
        return 1;
    }
    HomeSafe homeSafe(database);
    const Result<QList<RegularEntry>> entries = ReadRegularEntries(database.connection());
    if (!entries) {
        std::fprintf(stderr, "%s\n", qPrintable(entries.error()));
        return 1;
    }
    CatchUpList list =
        DueOccurrences(entries.value(), QDate::fromString(QString::fromLatin1(argv[2]), Qt::ISODate), {});
    std::puts("ready");
    std::fflush(stdout);
    std::string go;
    std::getline(std::cin, go);
    std::printf("entered %d\n", EnterAutomatic(database, homeSafe, list, QStringLiteral("管理员")));
    return 0;
}
