#include "access/Login.h"
#include "access/guaqi.h"
#include "access/xgmm.h"
#include "app/WorkArea.h"
#include "app/mainForm.h"
#include "support/FindChild.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

void type(QWidget* window, const char* name, const QString& text) {
    QTest::keyClicks(child<QLineEdit>(window, name), text);
}

struct PasswordDialog : ::testing::Test {
    PasswordDialog() {
        h.addUserRow("007", "管理员", "x", "0");
        h.addUserRow("008", "别人", "123", "0");
        dialog.show();
    }
    // For each row in the table's order, the password of `candidates` its hash matches ("?" for none).
    QStringList passwords(const QStringList& candidates) {
        QStringList p;
        QSqlQuery q(h.database.connection());
        q.exec("select mimasanlie, mima from quanxiangbiao order by id");
        while (q.next()) {
            EXPECT_EQ(q.value(1).toString(), QString()) << "no plain password is stored";
            QString found = QStringLiteral("?");
            for (const QString& candidate : candidates) {
                if (LoginPasswordMatches(q.value(0).toString().toLatin1(), candidate))
                    found = candidate;
            }
            p.append(found);
        }
        return p;
    }
    void fill(const QString& old, const QString& fresh, const QString& again) {
        for (const char* name : {"Edit2", "Edit3", "Edit4"})
            child<QLineEdit>(&dialog, name)->clear();
        type(&dialog, "Edit2", old);
        type(&dialog, "Edit3", fresh);
        type(&dialog, "Edit4", again);
    }

    TestHousehold h;  // logged in as 管理员 with the password 123
    ScriptedPrompt prompt;
    TForm17 dialog{h.household};
};

TEST_F(PasswordDialog, ChecksTheOldPasswordAgainstTheHashAndKeepsTheEntriesAfterARefusal) {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("修改密码"));
    EXPECT_EQ(child<QLineEdit>(&dialog, "Edit1")->text(), QStringLiteral("管理员"));
    EXPECT_TRUE(child<QLineEdit>(&dialog, "Edit1")->isReadOnly());
    for (const char* name : {"Edit2", "Edit3", "Edit4"})
        EXPECT_EQ(child<QLineEdit>(&dialog, name)->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(child<QPushButton>(&dialog, "BitBtn1")->isDefault());

    h.user.passwordHash = HashLoginPassword(QStringLiteral("Abc")).value();
    fill("Abd", "n", "n");
    child<QPushButton>(&dialog, "BitBtn1")->click();
    fill("Abc ", "n", "n");
    child<QPushButton>(&dialog, "BitBtn1")->click();
    fill("abc", "n", "N");  // the old password in another letter case passes, as at the login
    child<QPushButton>(&dialog, "BitBtn1")->click();
    EXPECT_EQ(prompt.texts(), QStringList({"旧口令输入错误,请重新输入！", "旧口令输入错误,请重新输入！",
                                           "两次新口令输入不同,请重新输入！"}));
    EXPECT_EQ(prompt.boxes()[0].caption, QStringLiteral("Quorvane提示"));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(child<QLineEdit>(&dialog, "Edit4")->text(), QStringLiteral("N"));
    EXPECT_EQ(passwords({"123", "x"}), QStringList({"123", "x", "123"}));
}

TEST_F(PasswordDialog, EnterChangesEveryRowOfTheNameAndThePasswordHeldSinceTheLogin) {
    fill("123", "Neu", "Neu");
    QTest::keyClick(child<QLineEdit>(&dialog, "Edit4"), Qt::Key_Return);
    EXPECT_EQ(prompt.texts(), QStringList({"密码修改完毕！"}));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    for (const char* name : {"Edit2", "Edit3", "Edit4"})
        EXPECT_EQ(child<QLineEdit>(&dialog, name)->text(), QString()) << name << ": not kept once stored";
    EXPECT_EQ(passwords({"123", "x", "Neu"}), QStringList({"Neu", "Neu", "123"}));
    EXPECT_TRUE(LoginPasswordMatches(h.user.passwordHash, QStringLiteral("neu")));
    EXPECT_FALSE(LoginPasswordMatches(h.user.passwordHash, QStringLiteral("123")));
    // The user's keys and the household key now open with the new password only.
    const auto login = LookUpLogin(h.database.connection(), QStringLiteral("001"), QStringLiteral("NEU"));
    ASSERT_TRUE(login.value());
    EXPECT_EQ(login.value()->keys.publicKey, h.user.keys.publicKey);
    EXPECT_FALSE(login.value()->householdKey.isEmpty());
}

TEST_F(PasswordDialog, AnEmptyNewPasswordPassesAndCancelOrEscChangeNothing) {
    fill("123", "", "");
    child<QPushButton>(&dialog, "BitBtn1")->click();
    EXPECT_EQ(passwords({"123", "x", ""}), QStringList({"", "", "123"}));

    TForm17 again(h.household);
    again.show();
    type(&again, "Edit2", "");
    type(&again, "Edit3", "zz");
    type(&again, "Edit4", "zz");
    QTest::keyClick(&again, Qt::Key_Escape);
    EXPECT_FALSE(again.isVisible());
    TForm17 third(h.household);
    third.show();
    child<QPushButton>(&third, "BitBtn2")->click();
    EXPECT_EQ(third.result(), QDialog::Rejected);
    EXPECT_EQ(passwords({"123", "x", "", "zz"}), QStringList({"", "", "123"}));
}

TEST_F(PasswordDialog, AUserRenamedOrDeletedMeanwhileIsToldSoAndKeepsThePasswordHeld) {
    // Renamed in the user window since the login: no row carries the name any more.
    h.exec("update quanxiangbiao set xingming='老管理员' where xingming='管理员'");
    fill("123", "Neu", "Neu");
    child<QPushButton>(&dialog, "BitBtn1")->click();
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_EQ(prompt.boxes()[0].caption, QStringLiteral("Quorvane提示"));
    EXPECT_TRUE(prompt.texts()[0].contains(QStringLiteral("“管理员”"))) << prompt.texts()[0].toStdString();
    EXPECT_TRUE(prompt.texts()[0].contains(QStringLiteral("密码没有修改")));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(LoginPasswordMatches(h.user.passwordHash, QStringLiteral("123")));
    EXPECT_EQ(passwords({"123", "x", "Neu"}), QStringList({"123", "x", "123"}));

    // Deleted altogether: the same.
    h.exec("delete from quanxiangbiao where xingming='老管理员'");
    child<QPushButton>(&dialog, "BitBtn1")->click();
    EXPECT_EQ(prompt.boxes().size(), 2);
    EXPECT_FALSE(prompt.texts().contains(QStringLiteral("密码修改完毕！")));
    EXPECT_TRUE(LoginPasswordMatches(h.user.passwordHash, QStringLiteral("123")));
}

TEST_F(PasswordDialog, ADatabaseErrorIsReportedAndTheDialogStays) {
    h.exec("drop table quanxiangbiao");
    fill("123", "a", "a");
    child<QPushButton>(&dialog, "BitBtn1")->click();
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_EQ(prompt.boxes()[0].caption, QStringLiteral("Tamberlo"));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(LoginPasswordMatches(h.user.passwordHash, QStringLiteral("123")));
}

TEST(Lock, OpensOnlyWithTheCurrentPasswordLetterCaseAside) {
    TestHousehold h;
    ScriptedPrompt prompt;
    h.user.passwordHash = HashLoginPassword(QStringLiteral("Pw1")).value();
    TForm3 lock(h.household);
    lock.show();
    EXPECT_EQ(lock.windowTitle(), QStringLiteral("系统挂起"));
    EXPECT_FALSE(lock.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(lock.windowFlags() & Qt::WindowSystemMenuHint);
    auto* box = child<QLineEdit>(&lock, "Edit1");
    EXPECT_EQ(box->echoMode(), QLineEdit::Password);

    for (const char* wrong : {"Pw2", "Pw1 ", ""}) {
        box->setText(QString::fromLatin1(wrong));
        QTest::keyClick(box, Qt::Key_Return);
    }
    child<QToolButton>(&lock, "SpeedButton1")->click();
    EXPECT_EQ(prompt.texts(), QStringList(4, QStringLiteral("口令错误！")));
    EXPECT_EQ(box->text(), QString());
    // Esc and a close request (Alt+F4) are ignored.
    QTest::keyClick(box, Qt::Key_Escape);
    lock.close();
    EXPECT_TRUE(lock.isVisible());

    box->setText(QStringLiteral("pW1"));
    child<QToolButton>(&lock, "SpeedButton1")->click();
    EXPECT_FALSE(lock.isVisible());
    EXPECT_EQ(lock.result(), QDialog::Accepted);
}

TEST(Lock, AnEmptyStoredPasswordOpensWithAnEmptyBox) {
    TestHousehold h;
    ScriptedPrompt prompt;
    h.user.passwordHash = HashLoginPassword(QString()).value();
    TForm3 lock(h.household);
    lock.show();
    QTest::keyClick(child<QLineEdit>(&lock, "Edit1"), Qt::Key_Return);
    EXPECT_FALSE(lock.isVisible());
    EXPECT_TRUE(prompt.boxes().isEmpty());
}

// Runs the action once the next modal window is up.
void whenModal(std::function<void(QWidget*)> action) {
    QTimer::singleShot(0, [action] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        action(modal);
    });
}

TEST(MainWindowAccess, TheLockHidesTheWorkAreaUntilItOpensAndTheMenuOpensTheWindows) {
    TempHome home;
    ScriptedPrompt prompt;
    TForm1 form(home.path());
    form.currentUser() = {QStringLiteral("管理员"),
                          QStringLiteral("1111111"),
                          HashLoginPassword(QStringLiteral("123")).value(),
                          {},
                          {},
                          false};
    form.permissionList()->item(2)->setCheckState(Qt::Checked);
    form.workArea()->show();
    ASSERT_EQ(form.workArea()->objectName(), QStringLiteral("Panel1"));

    bool hiddenWhileLocked = false;
    whenModal([&](QWidget* lock) {
        EXPECT_EQ(lock->objectName(), QStringLiteral("Form3"));
        hiddenWhileLocked = form.workArea()->isHidden();
        child<QLineEdit>(lock, "Edit1")->setText(QStringLiteral("123"));
        child<QToolButton>(lock, "SpeedButton1")->click();
    });
    child<QToolButton>(&form, "SpeedButton14")->click();
    EXPECT_TRUE(hiddenWhileLocked);
    EXPECT_FALSE(form.workArea()->isHidden());

    whenModal([](QWidget* w) {
        EXPECT_EQ(w->objectName(), QStringLiteral("Form17"));
        EXPECT_EQ(child<QLineEdit>(w, "Edit1")->text(), QStringLiteral("管理员"));
        child<QPushButton>(w, "BitBtn2")->click();
    });
    child<QAction>(&form, "N20")->trigger();

    // The user window sits behind the gate 用户权限管理.
    whenModal([](QWidget* w) {
        EXPECT_EQ(w->objectName(), QStringLiteral("Form7"));
        child<QToolButton>(w, "SpeedButton1")->click();
    });
    child<QAction>(&form, "N19")->trigger();
    EXPECT_TRUE(prompt.boxes().isEmpty());
}

}  // namespace
