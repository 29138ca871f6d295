#pragma once

#include "data/Database.h"
#include "data/HomeSafe.h"
#include "household/CurrentUser.h"
#include "household/Household.h"
#include "household/IniFile.h"
#include "support/TempHome.h"
#include "support/TestEngine.h"

#include <QStringList>
#include <QVariant>

// A household for tests of panels and windows without the main window: a fresh database under a
// temporary home folder, today pinned to 2007-01-15, a logged-in user with every right and a
// permission gate that refuses the texts listed in `refuse` (and records every text it was asked).
struct TestHousehold {
    TestHousehold();

    // Runs one statement, failing the test when it fails.
    void exec(const QString& sql);
    // The first column of the first row of a query.
    QVariant scalar(const QString& sql);
    // Adds a user row as an older household may hold it (no checks: twins and empty passwords pass), its
    // password stored as the hash alone; the keys come at the first login.
    void addUserRow(const QString& id, const QString& name, const QString& password, const QVariant& rights);
    // Every user as "ID|name|password|rights" in the table's order, the password being the one of the
    // tests' usual passwords its hash matches ("?" for none). Fails the test if a plain password is stored.
    QStringList userRows();
    // Adds an open bank card holding `units` ten-thousandths of a yuan and gives back its key.
    qint64 addBankCard(const QString& name, qint64 units);
    // Opens the keys of the initial user (001, password 123) into `user` as the login does, so that the
    // test user holds the household key of the bank passwords. About 0.1 s of key derivation.
    void openInitialUserKeys();

    TempHome home;
    // The file, or a scratch database on the tests' server in a suite run on both engines.
    EngineHousehold place{CurrentTestEngine(), home};
    Database database;
    HomeSafe homeSafe{database};
    IniFile settings{home.iniPath()};
    // Filled with the initial user's hash and keys once the household is open.
    CurrentUser user{QStringLiteral("管理员"), QStringLiteral("1111111"), {}, {}, {}, false};
    QStringList refuse;
    QStringList gateAsked;
    Household household{database,
                        homeSafe,
                        settings,
                        user,
                        [this](const QString& text) {
                            gateAsked.append(text);
                            return !refuse.contains(text);
                        },
                        [this](const QString& text) { return !refuse.contains(text); },
                        nullptr,
                        QString()};
};

// Adds a user as the user window does: the password as its hash with the user's keys, the household key
// given (when `givingKey` is one) if the rights hold 存款 or 取款.
void AddTestUser(QSqlDatabase db, const QString& id, const QString& name, const QString& password,
                 const QString& rights, const SecretKey& givingKey = {});

// Deletes the entries that `where` selects from the table of a closed household's file while their
// entries in the indexes stay, as damage of the disk or a crashed writer would leave them: the indexes
// and the table disagree, which PRAGMA quick_check does not see and PRAGMA integrity_check does. The
// indexes are taken out of the schema while the rows go and put back as they were.
void DeleteBehindTheIndexes(const QString& file, const QString& where);
