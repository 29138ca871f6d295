#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QSqlError>
#include <QSqlQuery>

TestHousehold::TestHousehold() {
    const Status opened = place.open(database);
    EXPECT_TRUE(opened.isOk()) << opened.error().toStdString();
    EXPECT_TRUE(homeSafe.ReadHomeSafeBalance().isOk());
}

void TestHousehold::exec(const QString& sql) {
    QSqlQuery q(database.connection());
    EXPECT_TRUE(q.exec(sql)) << sql.toStdString() << ": " << q.lastError().text().toStdString();
}

QVariant TestHousehold::scalar(const QString& sql) {
    QSqlQuery q(database.connection());
    EXPECT_TRUE(q.exec(sql)) << sql.toStdString() << ": " << q.lastError().text().toStdString();
    return q.next() ? q.value(0) : QVariant();
}
