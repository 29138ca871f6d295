#include "access/UserRows.h"
#include "data/Database.h"
#include "support/TempHome.h"
#include "support/TestEngine.h"
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
    EXPECT_EQ(ChangePassword(h.database.connection(), "管理员", "N3w").value(), 2);
    EXPECT_EQ(users(h), QStringList({"001|管理员|N3w|1111111", "009|管理员|N3w|0", "010|管理员 |keep|0"}));
    EXPECT_EQ(ChangePassword(h.database.connection(), "无此人", "x").value(), 0);

    ASSERT_EQ(DeleteUser(h.database.connection(), LoadUsers(h.database.connection())->at(1).id),
              UserDelete::Deleted);
    EXPECT_EQ(users(h).size(), 2);
}

class UserRowsOnEngine : public ::testing::TestWithParam<TestEngine> {
  protected:
    TempHome home;
    EngineHousehold place{CurrentTestEngine(), home};
};

// The login compares IDs without letter case on either engine, so a second user may not take an ID that
// differs from another's in case only.
TEST_P(UserRowsOnEngine, ASecondUserWithAnIdThatLogsInAlreadyIsRefusedLetterCaseAside) {
    Database database;
    ASSERT_TRUE(place.open(database).isOk());
    QSqlDatabase db = database.connection();
    UserRow kid{0, "Kid", "小明", "p", "0001100"};
    ASSERT_EQ(SaveUser(db, kid), UserSave::Saved);
    for (const char* id : {"Kid", "kid", "KID", "001"}) {
        UserRow twin{0, id, "小红", "q", "0001100"};
        EXPECT_EQ(SaveUser(db, twin), UserSave::DuplicateId) << id;
    }
    UserRow changed = kid;
    changed.userId = "001";
    EXPECT_EQ(SaveUser(db, changed), UserSave::DuplicateId);
    changed.userId = "KID";  // its own ID in another case is no duplicate
    EXPECT_EQ(SaveUser(db, changed), UserSave::Saved);
    UserRow other{0, "kid2", "小红", "q", "0"};
    EXPECT_EQ(SaveUser(db, other), UserSave::Saved);
    EXPECT_EQ(LoadUsers(db)->size(), 3);
}

TAMBERLO_ON_BOTH_ENGINES(UserRowsOnEngine);

TEST(UserRows, TheLastUserWhoManagesUsersKeepsTheRightAndIsNotDeleted) {
    TestHousehold h;
    QSqlDatabase db = h.database.connection();
    UserRow admin = LoadUsers(db)->at(0);
    UserRow helper{0, "002", "帮手", "p", "0010000"};
    ASSERT_EQ(SaveUser(db, helper), UserSave::Saved);
    EXPECT_TRUE(IsUserManager("0010000"));
    EXPECT_FALSE(IsUserManager("11"));
    EXPECT_FALSE(IsLastManager(LoadUsers(db).value(), admin.id));

    // With a second manager the first may give the right up; then the second may not, nor be deleted.
    admin.rights = "1101111";
    ASSERT_EQ(SaveUser(db, admin), UserSave::Saved);
    EXPECT_TRUE(IsLastManager(LoadUsers(db).value(), helper.id));
    helper.rights = "0000000";
    EXPECT_EQ(SaveUser(db, helper), UserSave::LastManager);
    EXPECT_EQ(DeleteUser(db, helper.id), UserDelete::LastManager);
    // Its other details still change, and the rows without the right go.
    helper.rights = "0010001";
    helper.password = "neu";
    EXPECT_EQ(SaveUser(db, helper), UserSave::Saved);
    EXPECT_EQ(DeleteUser(db, admin.id), UserDelete::Deleted);
    EXPECT_EQ(users(h), QStringList({"002|帮手|neu|0010001"}));

    h.exec("drop table quanxiangbiao");
    QString error;
    EXPECT_EQ(DeleteUser(db, helper.id, &error), UserDelete::Failed);
    EXPECT_FALSE(error.isEmpty());
}

}  // namespace
