#pragma once

#include "data/Result.h"
#include "data/Secrets.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

// A row of the user table quanxiangbiao. The password is never read back, only whether one is set.
struct UserRow {
    qint64 id = 0;                    // the hidden key; 0 for a user not stored yet
    QString userId;                   // yonghuID, typed at login
    QString name;                     // xingming; the password change selects by it
    QString newPassword;              // typed in the user window: empty keeps the stored password
    QString rights;                   // quangxian, seven characters
    bool passwordSet = false;         // a password hash is stored
    QByteArray publicKey{};           // gongyao: the household key is sealed to it
    QByteArray sealedHouseholdKey{};  // jiayao: empty when the user does not hold the household key
};

// Every user in the table's own order.
Result<QList<UserRow>> LoadUsers(QSqlDatabase db);

// What a save of a user row came to.
enum class UserSave {
    Saved,          // stored; the row's id is set
    Incomplete,     // the ID or the name is empty, or a new user has no password: nothing stored
    DuplicateName,  // another user already carries the name: nothing stored
    DuplicateId,    // another user already logs in with the ID (letter case aside): nothing stored
    LastManager,    // the row would take 用户权限管理 from the last user holding it: nothing stored
    Failed,         // the database refused: nothing stored, the error says why
};

// Stores a new row (id 0) or changes a stored one, after the checks: ID and name must not be empty nor
// the password of a new row, no other row may carry the same name (passwords are changed by name) or
// the same ID (the login finds only the first row of an ID, so a second could never log in), and the
// last user holding 用户权限管理 keeps it (else no one could ever manage users again). The rights are
// stored as given. A new password is stored as its hash with a new key pair sealed under it (the user's
// old keys cannot be opened without the old password). The household key follows the bank right: a
// user who holds the right and not the key is given `givingKey` (the key of the user manager saving,
// empty if that user holds none: the row is then stored without it), a user without the right loses it.
// Run it inside a transaction so that the checks still hold when the row is written.
UserSave SaveUser(QSqlDatabase db, UserRow& row, const SecretKey& givingKey, QString* error = nullptr);
// The row holds the bank right but not the household key: it cannot read the bank passwords.
bool LacksHouseholdKey(const UserRow& row);

// Holds 用户权限管理: the third character of the rights is '1'.
bool IsUserManager(const QString& rights);
// The stored row of the key is the only one holding 用户权限管理.
bool IsLastManager(const QList<UserRow>& rows, qint64 id);

// What a deletion of a user row came to.
enum class UserDelete {
    Deleted,
    LastManager,  // the last user holding 用户权限管理 is never deleted
    Failed,       // the database refused: the error says why
};
UserDelete DeleteUser(QSqlDatabase db, qint64 id, QString* error = nullptr);

// Gives every row whose name equals the name the new password: its hash, and the user's keys sealed
// under it (`keys`, opened at the login; a new pair when they are empty, with `householdKey`, if any,
// sealed to it). Returns the number of rows changed (0 when no row carries the name any more), the new
// hash and the keys now stored.
struct PasswordChange {
    int rows = 0;
    QByteArray hash;
    UserKeyPair keys;
};
Result<PasswordChange> ChangePassword(QSqlDatabase db, const QString& name, const QString& newPassword,
                                      const UserKeyPair& keys, const SecretKey& householdKey);
