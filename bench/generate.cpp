// tamberlo-generate S|M|L|S8|M8|L8 <database file>: writes a generated household for the benchmarks;
// with 8 its entries are spread over eight places instead of all on the home safe.
#include "bench/HouseholdGenerator.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3 || !QStringList({"S", "M", "L", "S8", "M8", "L8"}).contains(args[1])) {
        std::fprintf(stderr, "usage: tamberlo-generate S|M|L|S8|M8|L8 <database file>\n");
        return 2;
    }
    const QChar letter = args[1].at(0);
    const HouseholdSize size = letter == QLatin1Char('S')   ? kSmall
                               : letter == QLatin1Char('M') ? kMedium
                                                            : kLarge;
    const EntryPlaces places =
        args[1].endsWith(QLatin1Char('8')) ? EntryPlaces::Eight : EntryPlaces::HomeSafe;
    QElapsedTimer timer;
    timer.start();
    const Status written = GenerateHousehold(args[2], size, kGeneratorSeed, places);
    if (!written) {
        std::fprintf(stderr, "%s\n", qPrintable(written.error()));
        return 1;
    }
    std::printf("%s: %lld entries in %.1f s\n", qPrintable(args[2]), static_cast<long long>(size.entries),
                timer.elapsed() / 1000.0);
    return 0;
}
