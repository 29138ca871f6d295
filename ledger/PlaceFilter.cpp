#include "ledger/PlaceFilter.h"

#include <QComboBox>
#include <QSignalBlocker>

bool FillPlaceFilter(QComboBox* box, const QList<PlaceChoice>& places) {
    const std::optional<qint64> chosen = ChosenPlace(box);
    const QSignalBlocker quiet(box);
    box->clear();
    box->addItem(QString::fromUtf8(kEveryPlace));
    for (const PlaceChoice& place : places)
        box->addItem(PlaceLabel(place), place.id);
    const int at = chosen ? box->findData(*chosen) : 0;
    box->setCurrentIndex(qMax(at, 0));
    return chosen && at < 0;
}

std::optional<qint64> ChosenPlace(const QComboBox* box) {
    const QVariant id = box->currentData();
    if (!id.isValid())
        return std::nullopt;
    return id.toLongLong();
}
