#include "access/UserRows.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

namespace {

QStringList users(TestHousehold& h) {
    QStringList rows;
    const Result<QList<UserRow>> loaded = LoadUsers(h.database.connection());
    for (const UserRow& u : loaded.value())
        rows.append(u.userId + QLatin1Char('|') + u.name + QLatin1Char('|') + u.password + QLatin1Char('|') +
                    u.rights);
    return rows;
}

TEST(UserRows, SaveStoresNewAndChangedRowsAfterItsChecks) {
    TestHousehold h;
    QSqlDatabase db = h.database.connection();
    UserRow row{0, "002", "张三", "abc", "0001100"};
    ASSERT_EQ(SaveUser(db, row), UserSave::Saved);
    EXPECT_NE(row.id, 0);

    row.password = "xyz";
    ASSERT_EQ(SaveUser(db, row), UserSave::Saved);  // its own name is no duplicate
    EXPECT_EQ(users(h), QStringList({"001|管理员|123|1111111", "002|张三|xyz|0001100"}));

    for (UserRow incomplete : {UserRow{0, "", "李四", "1", "0"}, UserRow{0, "003", "", "1", "0"},
                               UserRow{0, "003", "李四", "", "0"}}) {
        EXPECT_EQ(SaveUser(db, incomplete), UserSave::Incomplete);
    }
    UserRow twin{0, "003", "张三", "p", "1111111"};
    EXPECT_EQ(SaveUser(db, twin), UserSave::DuplicateName);
    UserRow renamed = row;
    renamed.name = "管理员";
    EXPECT_EQ(SaveUser(db, renamed), UserSave::DuplicateName);
    EXPECT_EQ(users(h).size(), 2);

    h.exec("drop table quanxiangbiao");
    QString error;
    UserRow lost{0, "004", "王五", "p", "0"};
    EXPECT_EQ(SaveUser(db, lost, &error), UserSave::Failed);
    EXPECT_FALSE(error.isEmpty());
}

TEST(UserRows, ThePasswordChangeReachesEveryRowOfThatNameAndNoOther) {
    TestHousehold h;
    // Rows stored before names were kept distinct.
    h.exec("insert into quanxiangbiao (yonghuID,xingming,mima,quangxian) values ('009','管理员','old','0')");
    h.exec(
        "insert into quanxiangbiao (yonghuID,xingming,mima,quangxian) values ('010','管理员 ','keep','0')");
    ASSERT_TRUE(ChangePassword(h.database.connection(), "管理员", "N3w").isOk());
    EXPECT_EQ(users(h), QStringList({"001|管理员|N3w|1111111", "009|管理员|N3w|0", "010|管理员 |keep|0"}));

    ASSERT_TRUE(DeleteUser(h.database.connection(), LoadUsers(h.database.connection())->at(1).id).isOk());
    EXPECT_EQ(users(h).size(), 2);
}

}  // namespace
