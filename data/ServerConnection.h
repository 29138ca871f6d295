#pragma once

#include "data/Result.h"

#include <QList>
#include <QString>

// A libpq connection string as libpq itself reads it, through the copy of libpq that Qt's PostgreSQL
// driver loads (the program does not link libpq).

// One keyword the string sets, with its value. `secret` marks the keywords libpq hides when it shows
// its options (password, sslpassword): they never belong in a settings file or a message.
struct ConnectionSetting {
    QString keyword;
    QString value;
    bool secret = false;
};

// The text libpq receives for the connection string: Qt's driver turns every ';' into a blank before
// handing it on, so "host=a;password=b" sets two keywords.
QString AsLibpqReceives(const QString& connection);

// The text with every password it may quote masked (●●●): password=… and sslpassword=… pairs, quoted or
// not, in any letter case, and the password of a postgresql:// address and of its query.
QString MaskConnectionPasswords(const QString& text);

// Every keyword the string sets, read by libpq's own parser (key=value pairs with any blanks between
// them, or a postgresql:// address). A string libpq cannot read, or a program without the PostgreSQL
// driver, is a failure that says why in Chinese.
Result<QList<ConnectionSetting>> ReadConnectionSettings(const QString& connection);

// The server as messages and windows name it: host, port, dbname and user as the string sets them
// (service, when the string names an entry of the service file), nothing else, so that no password or
// other option is ever shown. A string that sets none of these is shown as libpq's default connection.
QString ShownConnection(const QString& connection);

// A function of the libpq that Qt's PostgreSQL driver has loaded; null while no such copy is loaded.
void* LoadedLibpqFunction(const char* name);
