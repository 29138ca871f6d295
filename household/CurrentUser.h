#pragma once

#include <QString>

// The logged-in user, filled by each successful login and read by the rest of the program. All empty
// before the first login. The ID used to log in is not kept.
struct CurrentUser {
    QString name;      // xingming: status bar, registrar of entries, operator of deposits, password key
    QString rights;    // quangxian: seven characters "1"/"0"
    QString password;  // mima as stored, not as typed: the lock and the password change compare with it
    bool firstStart = false;  // the login showed the first-start hint during this run
};
