#pragma once

#include "data/Result.h"
#include "data/Secrets.h"

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>

#include <optional>

// The user row a login matched, with the keys the password opened.
struct LoginMatch {
    QString name;             // xingming
    QString rights;           // quangxian
    QByteArray passwordHash;  // mimasanlie
    UserKeyPair keys;         // opened with the password; empty if the row's keys are damaged
    SecretKey householdKey;   // empty when the row holds none (or it could not be opened)
};

// Looks up the rows of the ID as typed (no trimming; compared without letter case) and checks the
// password typed against each row's hash, letter case aside; the first row that matches wins, no row
// gives nothing. The password never reaches the database. A row without keys yet gets them now, sealed
// under this password. A database error fails with the engine's text.
Result<std::optional<LoginMatch>> LookUpLogin(QSqlDatabase db, const QString& id, const QString& password);

// The first-start hint of the login window, naming the initial user and password.
QString FirstStartHint();
