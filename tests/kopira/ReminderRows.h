#pragma once

// Reminder rows as a visible mark of which household a file holds: the kopira tests add some, back up,
// add more, restore, and count what came back.
#include "data/Database.h"
#include "kopira/KopiraStore.h"

#include <gtest/gtest.h>

#include <QSqlQuery>

inline void addReminders(const QString& db, int n) {
    Database open;
    ASSERT_TRUE(open.open(db).isOk());
    for (int i = 0; i < n; ++i)
        QSqlQuery(open.connection()).exec(QStringLiteral("insert into tixing (riqi) values ('2007-01-15')"));
}

inline qint64 reminders(const QString& db) {
    qint64 n = -1;
    Kopira::WithConnection(db, [&](QSqlDatabase& c) {
        QSqlQuery q(c);
        if (q.exec(QStringLiteral("select count(*) from tixing")) && q.next())
            n = q.value(0).toLongLong();
        return Status::ok();
    });
    return n;
}
