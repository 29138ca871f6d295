#pragma once

#include "data/Secrets.h"

#include <QByteArray>
#include <QString>

// The logged-in user, filled by each successful login and read by the rest of the program. All empty
// before the first login. The ID used to log in is not kept, nor the password typed.
struct CurrentUser {
    QString name;    // xingming: status bar, registrar of entries, operator of deposits, password key
    QString rights;  // quangxian: seven characters "1"/"0"
    QByteArray
        passwordHash;  // the stored hash: the lock and the password change check what is typed against it
    UserKeyPair keys;  // the user's key pair, opened with the password at the login
    SecretKey householdKey;   // the key of the bank passwords; empty when this user does not hold it
    bool firstStart = false;  // the login showed the first-start hint during this run
};
