#pragma once

#include <QString>

#include <initializer_list>

class QTableWidget;
class QWidget;

// A read-only list of whole rows, one selected at a time, without row numbers or wrapping: the grid of
// the windows that list what the household keeps (the bin, the imports). The headers are UTF-8 texts.
QTableWidget* NewListGrid(QWidget* parent, const QString& objectName,
                          std::initializer_list<const char*> headers);
