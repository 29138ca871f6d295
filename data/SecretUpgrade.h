#pragma once

#include "data/Result.h"

#include <QSqlDatabase>
#include <QString>

// The columns that keep the household's secrets from version 6 on. The plain columns `mima` of the user
// table and of the places stay, empty, so that the tables keep the shape every version had.
namespace SecretColumns {
inline constexpr char kHash[] = "mimasanlie";      // quanxiangbiao: the login password's Argon2id hash
inline constexpr char kPublicKey[] = "gongyao";    // quanxiangbiao: the user's public key
inline constexpr char kSealedSecret[] = "siyao";   // quanxiangbiao: the user's secret key, sealed
inline constexpr char kHouseholdKey[] = "jiayao";  // quanxiangbiao: the household key sealed to the user
inline constexpr char kBankPassword[] = "mimami";  // zhangwubiao: the bank password, encrypted
}  // namespace SecretColumns

// The data version from which no password is kept as plain text.
inline constexpr int kSecretsHiddenVersion = 6;

// Whether a user's rights hold the bank right: 存款 or 取款, the rights the places need.
bool HoldsBankRight(const QString& rights);

// Version 6: no password is kept as plain text. Every user's password still plain becomes its hash and
// the user's key pair; the bank passwords are encrypted under a household key made now and sealed to
// every user holding the bank right (to the user managers when no one does, and to every user when
// there is no user manager either, so that they are not lost at once); the plain columns are emptied.
// Safe to run again: rows already hidden are left alone. Runs inside the caller's transaction.
Status HidePlainSecrets(QSqlDatabase& db);

// The same for a copy of the household written before the upgrade (the safety copy), so that no copy
// the program writes keeps the passwords. Its own transaction; the copy keeps its data version and is
// upgraded the ordinary way when it is opened. Free pages are wiped and the log emptied.
Status HidePlainSecretsInCopy(const QString& path);

// On the server, after the commit that hid the secrets: the tables that held them are written anew
// (VACUUM FULL, outside any transaction), so that the old rows with plain passwords do not linger in
// the server's files. Best effort and quick; a failure (a role that may not, tables busy on another
// computer) says what is left to do. The caller restores the session's lock timeout afterwards.
Status SweepServerSecretTables(QSqlDatabase& db);
