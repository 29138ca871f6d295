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
    Failed,         // the database refused: nothing stored, the error says why
};

// Stores a new row (id 0) or changes a stored one, after the checks: ID, name and password must not be
// empty, and no other row may carry the same name (passwords are changed by name). The rights are
// stored as given.
UserSave SaveUser(QSqlDatabase db, UserRow& row, QString* error = nullptr);

Status DeleteUser(QSqlDatabase db, qint64 id);

// Gives every row whose name equals the name the new password.
Status ChangePassword(QSqlDatabase db, const QString& name, const QString& newPassword);
