#include "access/PermissionString.h"

#include <gtest/gtest.h>

namespace {

QList<bool> ticks(const char* pattern) {
    QList<bool> t;
    for (const char* c = pattern; *c; ++c)
        t.append(*c == 'x');
    return t;
}

TEST(PermissionString, HasOneCharacterPerRightInTheFixedOrder) {
    EXPECT_EQ(PermissionItems(), QStringList({"备份数据库", "恢复数据库", "用户权限管理", "收入管理",
                                              "支出管理", "存款", "取款"}));
    EXPECT_EQ(BuildPermissionString(ticks("x.x.x..")), QStringLiteral("1010100"));
    // Always seven characters, whatever the list gives.
    EXPECT_EQ(BuildPermissionString(ticks("xx")), QStringLiteral("1100000"));
    EXPECT_EQ(BuildPermissionString(ticks("xxxxxxxxx")), QStringLiteral("1111111"));
}

TEST(PermissionString, RoundTripsThroughTheTicks) {
    for (const char* s : {"1111111", "0000000", "1010101", "0110010"}) {
        QList<bool> t = ticks(".......");
        ApplyPermissionString(QString::fromLatin1(s), t);
        EXPECT_EQ(BuildPermissionString(t), QString::fromLatin1(s));
    }
}

TEST(PermissionString, LeavesTicksItDoesNotReachOrCannotRead) {
    QList<bool> t = ticks("...xxxx");
    ApplyPermissionString(QStringLiteral("110"), t);
    EXPECT_EQ(t, ticks("xx.xxxx"));

    ApplyPermissionString(QStringLiteral("0?1 a0"), t);
    EXPECT_EQ(t, ticks(".xxxx.x"));

    ApplyPermissionString(QString(), t);
    EXPECT_EQ(t, ticks(".xxxx.x"));

    // Characters past the seventh point at no item.
    ApplyPermissionString(QStringLiteral("000000000"), t);
    EXPECT_EQ(t, ticks("......."));
}

}  // namespace
