#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A user's rights as stored: seven characters '1' (granted) or '0' (refused), one per item of the
// permission lists, in this order.
QStringList PermissionItems();
inline constexpr int kPermissionCount = 7;

// The string of the ticks, one character per item: always seven characters.
QString BuildPermissionString(const QList<bool>& ticks);

// Applies a stored string to a list of ticks: '1' ticks item i, '0' unticks it, any other character,
// and any item the string does not reach, keeps its tick. Characters past the seventh are ignored.
void ApplyPermissionString(const QString& rights, QList<bool>& ticks);
