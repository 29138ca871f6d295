#pragma once

#include "data/Result.h"
#include "data/Secrets.h"

#include <QSqlDatabase>
#include <QString>

#include <optional>

// The bank passwords of the places: kept encrypted under the household key (zhangwubiao.mimami), read one
// place at a time and only by a user whose login holds that key. The household key itself is kept sealed
// to every user with the bank right (存款 or 取款); when no user holds it any more, a user with the
// right may start a new one, and the passwords stored under the old one can no longer be read.

// What the bank information window says under the password box.
QString BankPasswordLossNote();
// Said to a user with the bank right whose login holds no household key.
QString NoHouseholdKeyNote();
// Said to a user with the bank right when no user of the household holds the key any more.
QString NoKeyHeldNote();
// Asked before a new household key is started.
QString StartHouseholdKeyQuestion();

// The bank password of the place with the given key, opened with the household key; empty when none is
// stored. Fails, saying why in Chinese, without the key, when the place is gone, and when the password
// was stored under another household key or changed.
Result<QString> ReadBankPassword(QSqlDatabase db, qint64 id, const SecretKey& householdKey);

// Refuses a password typed without the household key: it could not be encrypted. None or an empty one
// passes.
Status CheckPasswordSealable(const std::optional<QString>& password, const SecretKey& householdKey);

// Stores the bank password of a place encrypted under the household key, the plain column emptied. No
// password (nullopt) keeps the stored one. A password typed without the household key is refused: it
// could not be encrypted, and the stored one stays. Call inside Database::transaction.
Status WriteBankPassword(QSqlDatabase db, qint64 id, const std::optional<QString>& password,
                         const SecretKey& householdKey);

// Whether any user of the household holds the household key.
Result<bool> HouseholdKeyHeld(QSqlDatabase db);

// Starts a new household key, sealed to the user with these keys alone and stored in that user's row.
// Refused while any user still holds a household key. Call inside Database::transaction; the caller
// keeps the key returned in memory after the commit.
Result<SecretKey> StartHouseholdKey(QSqlDatabase db, const UserKeyPair& keys);
