#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <initializer_list>

class QTableWidget;
class QWidget;

// A read-only list of whole rows, one selected at a time, without row numbers or wrapping: the grid of
// the windows that list what the household keeps (the bin, the imports). The headers are UTF-8 texts.
QTableWidget* NewListGrid(QWidget* parent, const QString& objectName,
                          std::initializer_list<const char*> headers);

// Puts one row of texts per item into such a grid and selects the row `chosen` (-1: none).
void FillListGrid(QTableWidget* grid, const QList<QStringList>& rows, int chosen);
