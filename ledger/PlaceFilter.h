#pragma once

#include "data/HomeSafe.h"

#include <QList>

#include <optional>

class QComboBox;

// The choice that limits the summary's figures or an entry list to one place: "全部帐户" first, then every
// place by its label, closed ones too (their history still counts). Each item carries the place's key;
// 全部帐户 none.
inline constexpr char kEveryPlace[] = "全部帐户";

// Fills the choice with the places, keeping the place chosen while it is still there (全部帐户
// otherwise), without telling of a change. True when the choice now stands on another item.
bool FillPlaceFilter(QComboBox* box, const QList<PlaceChoice>& places);
// The place chosen; none for 全部帐户.
std::optional<qint64> ChosenPlace(const QComboBox* box);
