#include "access/Login.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

namespace {

TEST(LookUpLogin, IgnoresLetterCaseTakesTheFirstRowThatMatchesAndOpensItsKeys) {
    TestHousehold h;
    h.addUserRow(QStringLiteral("Mama"), QStringLiteral("妈妈"), QStringLiteral("PassWord"),
                 QStringLiteral("0001100"));
    h.addUserRow(QStringLiteral("mama"), QStringLiteral("第二个"), QStringLiteral("password"),
                 QStringLiteral("1111111"));
    const auto found =
        LookUpLogin(h.database.connection(), QStringLiteral("MAMA"), QStringLiteral("password"));
    ASSERT_TRUE(found.isOk());
    ASSERT_TRUE(found.value().has_value());
    EXPECT_EQ(found.value()->name, QStringLiteral("妈妈"));
    EXPECT_EQ(found.value()->rights, QStringLiteral("0001100"));
    EXPECT_TRUE(LoginPasswordMatches(found.value()->passwordHash, QStringLiteral("PASSWORD")));
    // A row without keys gets them at its first login, sealed under the password typed.
    EXPECT_FALSE(found.value()->keys.secretKey.isEmpty());
    EXPECT_TRUE(found.value()->householdKey.isEmpty()) << "no one gave this user the household key";
    EXPECT_FALSE(h.scalar(QStringLiteral("select gongyao from quanxiangbiao where xingming='妈妈'"))
                     .toString()
                     .isEmpty());
    const auto again =
        LookUpLogin(h.database.connection(), QStringLiteral("mama"), QStringLiteral("PASSWORD"));
    EXPECT_EQ(again.value()->keys.publicKey, found.value()->keys.publicKey);
    // The initial user holds the household key.
    const auto first = LookUpLogin(h.database.connection(), QStringLiteral("001"), QStringLiteral("123"));
    EXPECT_FALSE(first.value()->householdKey.isEmpty());

    // Nothing is trimmed: a blank typed after the password is part of it.
    EXPECT_FALSE(
        LookUpLogin(h.database.connection(), QStringLiteral("mama"), QStringLiteral("password ")).value());
    EXPECT_FALSE(LookUpLogin(h.database.connection(), QString(), QString()).value());
    h.addUserRow(QString(""), QStringLiteral("空"), QString(""), QVariant(QMetaType::fromType<QString>()));
    const auto empty = LookUpLogin(h.database.connection(), QString(), QString());
    ASSERT_TRUE(empty.value().has_value());
    EXPECT_EQ(empty.value()->rights, QString());  // a null column gives empty text
    // Quotes are just characters.
    EXPECT_FALSE(
        LookUpLogin(h.database.connection(), QStringLiteral("' or '1'='1"), QStringLiteral("' or '1'='1"))
            .value());
}

TEST(LookUpLogin, ADatabaseErrorIsReported) {
    TestHousehold h;
    h.exec(QStringLiteral("drop table quanxiangbiao"));
    const auto found = LookUpLogin(h.database.connection(), QStringLiteral("001"), QStringLiteral("123"));
    EXPECT_FALSE(found.isOk());
    EXPECT_TRUE(found.error().contains(QStringLiteral("quanxiangbiao")));
}

TEST(FirstStartHint, NamesTheInitialUserAndItsPassword) {
    EXPECT_EQ(FirstStartHint(), QStringLiteral("初始用户ID：001    密码：123 "));
}

}  // namespace
