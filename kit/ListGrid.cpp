#include "kit/ListGrid.h"

#include <QHeaderView>
#include <QStringList>
#include <QTableWidget>

QTableWidget* NewListGrid(QWidget* parent, const QString& objectName,
                          std::initializer_list<const char*> headers) {
    auto* grid = new QTableWidget(0, static_cast<int>(headers.size()), parent);
    grid->setObjectName(objectName);
    QStringList titles;
    for (const char* h : headers)
        titles.append(QString::fromUtf8(h));
    grid->setHorizontalHeaderLabels(titles);
    grid->verticalHeader()->hide();
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setWordWrap(false);
    return grid;
}

void FillListGrid(QTableWidget* grid, const QList<QStringList>& rows, int chosen) {
    grid->setRowCount(static_cast<int>(rows.size()));
    for (int row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < rows[row].size(); ++column)
            grid->setItem(row, column, new QTableWidgetItem(rows[row][column]));
    }
    if (chosen >= 0 && chosen < rows.size())
        grid->selectRow(chosen);
    else
        grid->setCurrentCell(-1, -1);
}
