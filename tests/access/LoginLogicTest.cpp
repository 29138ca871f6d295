#include "access/Login.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

namespace {

TEST(LookUpLogin, IgnoresLetterCaseTakesTheFirstRowAndKeepsTheStoredPassword) {
    TestHousehold h;
    h.exec(
        QStringLiteral("insert into quanxiangbiao (yonghuID, xingming, mima, quangxian) values "
                       "('Mama', '妈妈', 'PassWord', '0001100'), ('mama', '第二个', 'password', '1111111')"));
    const auto found =
        LookUpLogin(h.database.connection(), QStringLiteral("MAMA"), QStringLiteral("password"));
    ASSERT_TRUE(found.isOk());
    ASSERT_TRUE(found.value().has_value());
    EXPECT_EQ(found.value()->name, QStringLiteral("妈妈"));
    EXPECT_EQ(found.value()->password, QStringLiteral("PassWord"));
    EXPECT_EQ(found.value()->rights, QStringLiteral("0001100"));

    // Nothing is trimmed: a blank typed after the password is part of it.
    EXPECT_FALSE(
        LookUpLogin(h.database.connection(), QStringLiteral("mama"), QStringLiteral("password ")).value());
    EXPECT_FALSE(LookUpLogin(h.database.connection(), QString(), QString()).value());
    h.exec(QStringLiteral(
        "insert into quanxiangbiao (yonghuID, xingming, mima, quangxian) values ('', '空', '', NULL)"));
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
