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
