#pragma once

#include "data/Result.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

// A row of the user table quanxiangbiao.
struct UserRow {
    qint64 id = 0;     // the hidden key; 0 for a user not stored yet
    QString userId;    // yonghuID, typed at login
    QString name;      // xingming; the password change selects by it
    QString password;  // mima, plain text
    QString rights;    // quangxian, seven characters
};

// Every user in the table's own order.
Result<QList<UserRow>> LoadUsers(QSqlDatabase db);

// What a save of a user row came to.
enum class UserSave {
    Saved,          // stored; the row's id is set
    Incomplete,     // the ID, the name or the password is empty: nothing stored
    DuplicateName,  // another user already carries the name: nothing stored
    DuplicateId,    // another user already logs in with the ID (letter case aside): nothing stored
    LastManager,    // the row would take 用户权限管理 from the last user holding it: nothing stored
    Failed,         // the database refused: nothing stored, the error says why
};

// Stores a new row (id 0) or changes a stored one, after the checks: ID, name and password must not be
// empty, no other row may carry the same name (passwords are changed by name) or the same ID (the
// login finds only the first row of an ID, so a second could never log in), and the last user holding
// 用户权限管理 keeps it (else no one could ever manage users again). The rights are stored as given.
// Run it inside a transaction so that the checks still hold when the row is written.
UserSave SaveUser(QSqlDatabase db, UserRow& row, QString* error = nullptr);

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

// Gives every row whose name equals the name the new password. The number of rows changed is returned:
// 0 when no row carries the name any more.
Result<int> ChangePassword(QSqlDatabase db, const QString& name, const QString& newPassword);
