#include "access/Login.h"
#include "access/UserRows.h"
#include "data/Database.h"
#include "support/TempHome.h"
#include "support/TestEngine.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

namespace {

QStringList users(TestHousehold& h) {
    return h.userRows();
}

TEST(UserRows, SaveStoresNewAndChangedRowsAfterItsChecks) {
    TestHousehold h;
    QSqlDatabase db = h.database.connection();
    UserRow row{0, "002", "张三", "abc", "0001100"};
    ASSERT_EQ(SaveUser(db, row, {}), UserSave::Saved);
    EXPECT_NE(row.id, 0);
    EXPECT_TRUE(row.passwordSet);
    EXPECT_TRUE(row.newPassword.isEmpty());

    row.newPassword = "xyz";
    ASSERT_EQ(SaveUser(db, row, {}), UserSave::Saved);  // its own name is no duplicate
    EXPECT_EQ(users(h), QStringList({"001|管理员|123|1111111", "002|张三|xyz|0001100"}));
    // A change without a new password keeps the stored one.
    row.rights = "0001000";
    ASSERT_EQ(SaveUser(db, row, {}), UserSave::Saved);
    EXPECT_EQ(users(h).at(1), QStringLiteral("002|张三|xyz|0001000"));
    EXPECT_FALSE(LoadUsers(db)->at(1).newPassword.size());

    for (UserRow incomplete : {UserRow{0, "", "李四", "1", "0"}, UserRow{0, "003", "", "1", "0"},
                               UserRow{0, "003", "李四", "", "0"}}) {
        EXPECT_EQ(SaveUser(db, incomplete, {}), UserSave::Incomplete);
    }
    UserRow twin{0, "003", "张三", "p", "1111111"};
    EXPECT_EQ(SaveUser(db, twin, {}), UserSave::DuplicateName);
    UserRow renamed = row;
    renamed.name = "管理员";
    EXPECT_EQ(SaveUser(db, renamed, {}), UserSave::DuplicateName);
    EXPECT_EQ(users(h).size(), 2);

    h.exec("drop table quanxiangbiao");
    QString error;
    UserRow lost{0, "004", "王五", "p", "0"};
    EXPECT_EQ(SaveUser(db, lost, {}, &error), UserSave::Failed);
    EXPECT_FALSE(error.isEmpty());
}

TEST(UserRows, ThePasswordChangeReachesEveryRowOfThatNameAndNoOther) {
    TestHousehold h;
    // Rows stored before names were kept distinct.
    h.addUserRow("009", "管理员", "old", "0");
    h.addUserRow("010", "管理员 ", "keep", "0");
    EXPECT_EQ(
        ChangePassword(h.database.connection(), "管理员", "N3w", h.user.keys, h.user.householdKey)->rows, 2);
    EXPECT_EQ(users(h), QStringList({"001|管理员|N3w|1111111", "009|管理员|N3w|0", "010|管理员 |keep|0"}));
    EXPECT_EQ(ChangePassword(h.database.connection(), "无此人", "x", {}, {})->rows, 0);

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
    ASSERT_EQ(SaveUser(db, kid, {}), UserSave::Saved);
    for (const char* id : {"Kid", "kid", "KID", "001"}) {
        UserRow twin{0, id, "小红", "q", "0001100"};
        EXPECT_EQ(SaveUser(db, twin, {}), UserSave::DuplicateId) << id;
    }
    UserRow changed = kid;
    changed.userId = "001";
    EXPECT_EQ(SaveUser(db, changed, {}), UserSave::DuplicateId);
    changed.userId = "KID";  // its own ID in another case is no duplicate
    EXPECT_EQ(SaveUser(db, changed, {}), UserSave::Saved);
    UserRow other{0, "kid2", "小红", "q", "0"};
    EXPECT_EQ(SaveUser(db, other, {}), UserSave::Saved);
    EXPECT_EQ(LoadUsers(db)->size(), 3);
}

QByteArray bytesOf(const SecretKey& key) {
    return key.isEmpty() ? QByteArray()
                         : QByteArray(reinterpret_cast<const char*>(key.data()), SecretKey::kSize);
}

// The login in either letter case, the lock, the password change and the bank right given by a manager
// holding the household key, against the hashes and keys each engine stores.
TEST_P(UserRowsOnEngine, LoginLockPasswordChangeAndTheBankRightWorkOnTheEngine) {
    Database database;
    ASSERT_TRUE(place.open(database).isOk());
    QSqlDatabase db = database.connection();
    const auto login = [&db](const char* id, const char* password) {
        const auto found = LookUpLogin(db, QString::fromUtf8(id), QString::fromUtf8(password));
        EXPECT_TRUE(found.isOk()) << found.error().toStdString();
        return found.isOk() ? found.value() : std::nullopt;
    };
    const auto admin = login("001", "123");
    ASSERT_TRUE(admin);
    const QByteArray householdKey = bytesOf(admin->householdKey);
    ASSERT_FALSE(householdKey.isEmpty());

    UserRow mama{0, "Mama", "妈妈", "Geheim-7", "0001100"};
    ASSERT_EQ(SaveUser(db, mama, admin->householdKey), UserSave::Saved);
    const auto asTyped = login("mAMA", "gEHEIM-7");
    ASSERT_TRUE(asTyped);
    EXPECT_TRUE(asTyped->householdKey.isEmpty()) << "no bank right, no key";
    EXPECT_FALSE(login("Mama", "Geheim-8"));
    // The lock asks for the password the login matched, letter case aside.
    EXPECT_TRUE(LoginPasswordMatches(asTyped->passwordHash, "GEHEIM-7"));
    EXPECT_FALSE(LoginPasswordMatches(asTyped->passwordHash, "Geheim-"));

    // The bank right, given by the manager who holds the key: the grantee opens it at the login.
    mama.rights = "0001101";
    ASSERT_EQ(SaveUser(db, mama, admin->householdKey), UserSave::Saved);
    EXPECT_EQ(bytesOf(login("MAMA", "geheim-7").value_or(LoginMatch{}).householdKey), householdKey);

    // A password change: the old one no longer logs in, the new one does, the key stays.
    const auto changed = ChangePassword(db, "管理员", "Neu-Wort", admin->keys, admin->householdKey);
    ASSERT_TRUE(changed.isOk()) << changed.error().toStdString();
    EXPECT_EQ(changed->rows, 1);
    EXPECT_FALSE(login("001", "123"));
    const auto again = login("001", "NEU-WORT");
    ASSERT_TRUE(again);
    EXPECT_EQ(bytesOf(again->householdKey), householdKey);
    EXPECT_TRUE(LoginPasswordMatches(changed->hash, "neu-wort"));
    EXPECT_FALSE(LoginPasswordMatches(changed->hash, "123"));
    EXPECT_EQ(bytesOf(login("Mama", "Geheim-7").value_or(LoginMatch{}).householdKey), householdKey);
}

TAMBERLO_ON_BOTH_ENGINES(UserRowsOnEngine);

TEST(UserRows, TheLastUserWhoManagesUsersKeepsTheRightAndIsNotDeleted) {
    TestHousehold h;
    QSqlDatabase db = h.database.connection();
    UserRow admin = LoadUsers(db)->at(0);
    UserRow helper{0, "002", "帮手", "p", "0010000"};
    ASSERT_EQ(SaveUser(db, helper, {}), UserSave::Saved);
    EXPECT_TRUE(IsUserManager("0010000"));
    EXPECT_FALSE(IsUserManager("11"));
    EXPECT_FALSE(IsLastManager(LoadUsers(db).value(), admin.id));

    // With a second manager the first may give the right up; then the second may not, nor be deleted.
    admin.rights = "1101111";
    ASSERT_EQ(SaveUser(db, admin, {}), UserSave::Saved);
    EXPECT_TRUE(IsLastManager(LoadUsers(db).value(), helper.id));
    helper.rights = "0000000";
    EXPECT_EQ(SaveUser(db, helper, {}), UserSave::LastManager);
    EXPECT_EQ(DeleteUser(db, helper.id), UserDelete::LastManager);
    // Its other details still change, and the rows without the right go.
    helper.rights = "0010001";
    helper.newPassword = "neu";
    EXPECT_EQ(SaveUser(db, helper, {}), UserSave::Saved);
    EXPECT_EQ(DeleteUser(db, admin.id), UserDelete::Deleted);
    EXPECT_EQ(users(h), QStringList({"002|帮手|neu|0010001"}));

    h.exec("drop table quanxiangbiao");
    QString error;
    EXPECT_EQ(DeleteUser(db, helper.id, &error), UserDelete::Failed);
    EXPECT_FALSE(error.isEmpty());
}

// The household key follows the bank right: given by a user manager who holds it, kept while the right
// stays, taken with the right; a manager without it stores the right alone.
TEST(UserRows, TheBankRightBringsTheHouseholdKeyFromAManagerWhoHoldsIt) {
    TestHousehold h;
    QSqlDatabase db = h.database.connection();
    ASSERT_FALSE(h.user.householdKey.isEmpty());
    const auto keyOf = [&](const char* id, const char* password) {
        const auto login = LookUpLogin(db, QString::fromLatin1(id), QString::fromLatin1(password));
        EXPECT_TRUE(login.value().has_value()) << id;
        return login.value() ? login.value()->householdKey : SecretKey();
    };
    UserRow kid{0, "kid", "小明", "p", "0001100"};
    ASSERT_EQ(SaveUser(db, kid, h.user.householdKey), UserSave::Saved);
    EXPECT_TRUE(keyOf("kid", "p").isEmpty()) << "no bank right, no key";

    kid.rights = "0001110";  // 存款
    ASSERT_EQ(SaveUser(db, kid, {}), UserSave::Saved);
    EXPECT_TRUE(LacksHouseholdKey(kid));
    ASSERT_EQ(SaveUser(db, kid, h.user.householdKey), UserSave::Saved);
    EXPECT_FALSE(LacksHouseholdKey(kid));
    const SecretKey given = keyOf("kid", "P");
    ASSERT_FALSE(given.isEmpty());
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(given.data()), SecretKey::kSize),
              QByteArray(reinterpret_cast<const char*>(h.user.householdKey.data()), SecretKey::kSize));

    // A new password set by the manager: new keys, and the key sealed to them again.
    kid.newPassword = "q";
    ASSERT_EQ(SaveUser(db, kid, h.user.householdKey), UserSave::Saved);
    EXPECT_FALSE(keyOf("kid", "q").isEmpty());
    // Taken with the right.
    kid.rights = "0001100";
    ASSERT_EQ(SaveUser(db, kid, h.user.householdKey), UserSave::Saved);
    EXPECT_TRUE(keyOf("kid", "q").isEmpty());
}

}  // namespace
