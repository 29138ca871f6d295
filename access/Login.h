#pragma once

#include "data/Result.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <optional>

// The user row a login matched.
struct LoginMatch {
    QString name;      // xingming
    QString password;  // mima as stored
    QString rights;    // quangxian
};

// Looks the ID and password up exactly as typed (no trimming); both compare without letter case. The
// first row returned wins; no row gives nothing. A database error fails with the engine's text.
Result<std::optional<LoginMatch>> LookUpLogin(QSqlDatabase db, const QString& id, const QString& password);

// The first-start hint of the login window, naming the initial user and password.
QString FirstStartHint();
