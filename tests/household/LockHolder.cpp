// Holds a household's lock the way the program does and waits to be killed: "locked" on standard output
// once it holds the lock, "refused" when another program holds it.
#include "household/HouseholdLock.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    HouseholdLock lock(QString::fromLocal8Bit(argv[1]));
    if (lock.tryLock() != HouseholdLock::State::Held) {
        std::puts("refused");
        return 1;
    }
    std::puts("locked");
    std::fflush(stdout);
    for (;;)
        QThread::sleep(1);
}
