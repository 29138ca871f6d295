#include "kit/Today.h"

namespace {
QDate pinned;
}

QDate Today() {
    return pinned.isValid() ? pinned : QDate::currentDate();
}

void PinToday(const QDate& date) {
    pinned = date;
}

void UnpinToday() {
    pinned = QDate();
}
