// tamberlo-generate S|M|L <database file>: writes a generated household for the benchmarks.
#include "bench/HouseholdGenerator.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3 || !QStringList({"S", "M", "L"}).contains(args[1])) {
        std::fprintf(stderr, "usage: tamberlo-generate S|M|L <database file>\n");
        return 2;
    }
    const HouseholdSize size = args[1] == QStringLiteral("S") ? kSmall : args[1] == QStringLiteral("M") ? kMedium : kLarge;
    QElapsedTimer timer;
    timer.start();
    const Status written = GenerateHousehold(args[2], size);
    if (!written) {
        std::fprintf(stderr, "%s\n", qPrintable(written.error()));
        return 1;
    }
    std::printf("%s: %lld entries in %.1f s\n", qPrintable(args[2]), static_cast<long long>(size.entries),
                timer.elapsed() / 1000.0);
    return 0;
}
