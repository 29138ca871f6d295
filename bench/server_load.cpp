// tamberlo-server-load <household file> <connection>: puts a generated household onto a PostgreSQL
// server database (set up on first use), replacing its rows, in one transaction.
#include "data/Database.h"
#include "data/HouseholdCopy.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: tamberlo-server-load <household file> <connection>\n");
        return 2;
    }
    Database file;
    Database server;
    QElapsedTimer timer;
    timer.start();
    Status s = file.open(QString::fromLocal8Bit(argv[1]));
    if (s)
        s = server.openServer(QString::fromLocal8Bit(argv[2]));
    if (s)
        s = server.transaction([&] { return CopyHouseholdRows(file.connection(), server.connection()); });
    if (!s) {
        std::fprintf(stderr, "%s\n", qPrintable(s.error()));
        return 1;
    }
    std::printf("loaded onto the server in %.1f s\n", double(timer.elapsed()) / 1e3);
    return 0;
}
