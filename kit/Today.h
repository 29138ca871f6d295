#pragma once

#include <QDate>

// Today's date. Every part of the program asks here, never the clock; tests pin it to a fixed day.
QDate Today();
void PinToday(const QDate& date);
void UnpinToday();
