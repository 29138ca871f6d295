#include "AwkwardTexts.h"
#include "access/denglu.h"
#include "data/Secrets.h"
#include "access/guaqi.h"
#include "access/qxgl.h"
#include "access/xgmm.h"
#include "bank/BankPasswords.h"
#include "bank/yinhang.h"
#include "kit/DataGrid.h"
#include "support/FindChild.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

void click(const QObject* parent, const char* name) {
    QTest::mouseClick(child<QToolButton>(parent, name), Qt::LeftButton);
}

void put(const QObject* parent, const char* name, const QString& text) {
    child<QLineEdit>(parent, name)->setText(text);
}

QString shown(const QObject* parent, const char* name) {
    return child<QLineEdit>(parent, name)->text();
}

// The awkward texts and one aimed at the user table.
QStringList texts() {
    return awkwardTexts() << QStringLiteral("'); DROP TABLE quanxiangbiao;--");
}

// Every table is still there and the file is sound.
void expectTablesIntact(TestHousehold& h) {
    EXPECT_EQ(h.scalar(QStringLiteral("pragma integrity_check")).toString(), QStringLiteral("ok"));
    EXPECT_EQ(h.scalar(QStringLiteral("select count(*) from sqlite_master where type='table' and name in "
                                      "('shouzhibiao','zhangwubiao','yinghanbiao','tixing','quanxiangbiao',"
                                      "'yzbh')"))
                  .toInt(),
              6);
}

// The user's ID, name, and `password` if the stored hash matches it ("?" if not); no plain text stored.
QStringList userRow(TestHousehold& h, const QString& name, const QString& password) {
    QSqlQuery q(h.database.connection());
    q.prepare(
        QStringLiteral("select yonghuID, xingming, mimasanlie, mima from quanxiangbiao where xingming=:n"));
    q.bindValue(QStringLiteral(":n"), name);
    if (!q.exec() || !q.next())
        return {};
    EXPECT_EQ(q.value(3).toString(), QString());
    return {
        q.value(0).toString(), q.value(1).toString(),
        LoginPasswordMatches(q.value(2).toString().toLatin1(), password) ? password : QStringLiteral("?")};
}

}  // namespace

// The user window stores any ID and name as typed and shows them back, and any password as its hash
// (shown as set, never as text); an empty box is refused with the notice for incomplete input.
TEST(UserWindowInput, AnyTextIsStoredAndShownBackAndEmptyBoxesAreRefused) {
    TestHousehold h;
    ScriptedPrompt prompt;
    TForm7 form(h.household);
    form.show();
    const int before = h.scalar(QStringLiteral("select count(*) from quanxiangbiao")).toInt();
    const QStringList all = texts();
    for (const QString& text : all) {
        SCOPED_TRACE(text.left(40).toStdString());
        prompt.clear();
        click(&form, "SpeedButton10");
        for (const char* name : {"DBEdit1", "DBEdit2", "DBEdit3"})
            put(&form, name, text);
        click(&form, "SpeedButton4");
        EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("保存完成！")});
        EXPECT_EQ(form.state(), TForm7::State::Browse);
        const QString held = text.left(kLineBoxLimit);
        for (const char* name : {"DBEdit1", "DBEdit2"})
            EXPECT_EQ(shown(&form, name), held) << name;
        EXPECT_EQ(shown(&form, "DBEdit3"), QString());
        EXPECT_EQ(userRow(h, held, held), QStringList({held, held, held}));
        auto* list = child<QTableWidget>(&form, "DBGrid1");
        ASSERT_NE(list->currentItem(), nullptr);
        EXPECT_EQ(list->currentItem()->text(), held);
    }
    // Any one box left empty keeps the row from being stored.
    for (const char* empty : {"DBEdit1", "DBEdit2", "DBEdit3"}) {
        SCOPED_TRACE(empty);
        prompt.clear();
        click(&form, "SpeedButton10");
        for (const char* name : {"DBEdit1", "DBEdit2", "DBEdit3"})
            put(&form, name, QString::fromLatin1(name) == QLatin1String(empty) ? QString() : "新用户");
        click(&form, "SpeedButton4");
        EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("注意:数据输入不完整！请核查！")});
        EXPECT_EQ(form.state(), TForm7::State::Insert);
        click(&form, "SpeedButton6");
    }
    EXPECT_EQ(h.scalar(QStringLiteral("select count(*) from quanxiangbiao")).toInt(), before + all.size());
    expectTablesIntact(h);
}

// Any text becomes the new password (its hash); the lock then opens with that text, letter case aside,
// and with nothing else. A wrong old password of any kind changes nothing.
TEST(PasswordInput, AnyNewPasswordIsStoredExactlyAndOpensTheLock) {
    TestHousehold h;  // 管理员, password 123
    ScriptedPrompt prompt;
    const QStringList all = texts() << QString();
    QString old = QStringLiteral("123");
    for (const QString& text : all) {
        SCOPED_TRACE(text.left(40).toStdString());
        const QString held = text.left(kLineBoxLimit);

        // A wrong old password: refused, nothing written.
        prompt.clear();
        auto refused = std::make_unique<TForm17>(h.household);
        refused->show();
        put(refused.get(), "Edit2", text.isEmpty() ? QStringLiteral("x") : text);
        put(refused.get(), "Edit3", text);
        put(refused.get(), "Edit4", text);
        child<QPushButton>(refused.get(), "BitBtn1")->click();
        if (FoldPasswordCase(held) != FoldPasswordCase(old)) {
            EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("旧口令输入错误,请重新输入！")});
            EXPECT_TRUE(refused->isVisible());
            EXPECT_EQ(userRow(h, h.user.name, old).value(2), old);
        }
        refused.reset();

        prompt.clear();
        TForm17 change(h.household);
        change.show();
        put(&change, "Edit2", old);
        put(&change, "Edit3", text);
        put(&change, "Edit4", text);
        child<QPushButton>(&change, "BitBtn1")->click();
        EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("密码修改完毕！")});
        EXPECT_EQ(change.result(), QDialog::Accepted);
        EXPECT_EQ(userRow(h, h.user.name, held).value(2), held);
        EXPECT_TRUE(LoginPasswordMatches(h.user.passwordHash, held));
        old = held;

        // The lock: one character short (or one too many) is refused, the exact text opens it.
        TForm3 lock(h.household);
        lock.show();
        prompt.clear();
        put(&lock, "Edit1", held.isEmpty() ? QStringLiteral(" ") : held.chopped(1));
        click(&lock, "SpeedButton1");
        EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("口令错误！")});
        EXPECT_TRUE(lock.isVisible());
        EXPECT_EQ(shown(&lock, "Edit1"), held.isEmpty() ? QStringLiteral(" ") : held.chopped(1));
        prompt.clear();
        put(&lock, "Edit1", text);
        click(&lock, "SpeedButton1");
        EXPECT_TRUE(prompt.boxes().isEmpty());
        EXPECT_EQ(lock.result(), QDialog::Accepted);
    }
    expectTablesIntact(h);
}

// The login finds a user whose ID and password are any text, typed exactly; texts that would match
// in a pattern or as a statement find nobody.
TEST(LoginInput, AnyIdAndPasswordMatchExactlyAndNothingElseGetsIn) {
    TestHousehold h;
    ScriptedPrompt prompt;
    const QStringList all = texts();
    for (int i = 0; i < all.size(); ++i) {
        h.addUserRow(all[i].left(kLineBoxLimit), QStringLiteral("用户%1").arg(i), all[i].left(kLineBoxLimit),
                     QStringLiteral("0000000"));
    }
    const int users = h.scalar(QStringLiteral("select count(*) from quanxiangbiao")).toInt();
    const auto logIn = [&](const QString& id, const QString& password) {
        prompt.clear();
        h.user.name.clear();
        TForm2 login(h.household);
        login.show();
        put(&login, "Edit1", id);
        put(&login, "Edit2", password);
        click(&login, "SpeedButton1");
        return login.result() == QDialog::Accepted;
    };
    for (int i = 0; i < all.size(); ++i) {
        SCOPED_TRACE(all[i].left(40).toStdString());
        EXPECT_TRUE(logIn(all[i], all[i]));
        EXPECT_TRUE(prompt.boxes().isEmpty());
        EXPECT_EQ(h.user.name, QStringLiteral("用户%1").arg(i));
    }
    const QString wrong = QStringLiteral("用户名或密码不正确,请核对后登陆,谢谢！");
    const QList<std::pair<QString, QString>> strangers = {
        {QString(), QString()},
        {QStringLiteral("   "), QString()},
        {QStringLiteral("%"), QStringLiteral("%")},
        {QStringLiteral("_"), QStringLiteral("_")},
        {QStringLiteral("001"), QStringLiteral("' or '1'='1")},
        {QStringLiteral("' or 1=1 --"), QStringLiteral("x")},
        {QStringLiteral("001"), QStringLiteral("123\x01")},
        {QStringLiteral("😀"), QStringLiteral("😀")}};
    for (const auto& [id, password] : strangers) {
        SCOPED_TRACE((id + QLatin1Char('/') + password).toStdString());
        EXPECT_FALSE(logIn(id, password));
        EXPECT_EQ(prompt.texts(), QStringList{wrong});
        EXPECT_TRUE(h.user.name.isEmpty());
    }
    EXPECT_EQ(h.scalar(QStringLiteral("select count(*) from quanxiangbiao")).toInt(), users);
    expectTablesIntact(h);
}

// The bank information window stores any name, user name, account and password as typed and shows
// them back (the password masked, stored encrypted); an empty name is refused with its notice.
TEST(BankInformationInput, AnyTextIsStoredAndShownBackAndAnEmptyNameIsRefused) {
    TestHousehold h;
    h.openInitialUserKeys();
    ScriptedPrompt prompt;
    TForm4 form(h.household);
    form.show();
    auto* grid = child<DataGrid>(&form, "DBGridEh1");
    const char* const boxes[] = {"DBEdit1", "DBEdit2", "DBEdit3", "DBEdit4"};
    const char* const fields[] = {"mingcheng", "yonghuming", "zhanghao", "mima"};
    const QStringList all = texts() << QStringLiteral("'); DROP TABLE zhangwubiao;--");
    for (const QString& text : all) {
        SCOPED_TRACE(text.left(40).toStdString());
        prompt.clear();
        click(&form, "SpeedButton1");
        for (const char* name : boxes)
            put(&form, name, text);
        click(&form, "SpeedButton3");
        EXPECT_TRUE(prompt.boxes().isEmpty()) << prompt.texts().join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(form.state(), TForm4::State::Browse);
        const QString held = text.left(kLineBoxLimit);
        const int row = grid->currentRow();
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(shown(&form, boxes[i]), held) << boxes[i];
            EXPECT_EQ(grid->value(row, QString::fromLatin1(fields[i])).toString(), held) << fields[i];
        }
        EXPECT_EQ(shown(&form, "DBEdit4"), QStringLiteral("●●●●●●"));
        EXPECT_EQ(ReadBankPassword(h.database.connection(),
                                   grid->value(row, QStringLiteral("id")).toLongLong(), h.user.householdKey)
                      .value(),
                  held);
        QSqlQuery q(h.database.connection());
        q.prepare(
            QStringLiteral("select yonghuming, zhanghao, mima, jine from zhangwubiao where mingcheng=:n"));
        q.bindValue(QStringLiteral(":n"), held);
        ASSERT_TRUE(q.exec() && q.next());
        EXPECT_EQ(q.value(0).toString(), held);
        EXPECT_EQ(q.value(1).toString(), held);
        EXPECT_EQ(q.value(2).toString(), QString());
        EXPECT_EQ(q.value(3).toLongLong(), 0);
    }
    prompt.clear();
    click(&form, "SpeedButton1");
    put(&form, "DBEdit2", QStringLiteral("张三"));
    click(&form, "SpeedButton3");
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("必须输入银行名称！")});
    EXPECT_EQ(form.state(), TForm4::State::Insert);
    click(&form, "SpeedButton6");
    EXPECT_EQ(h.scalar(QStringLiteral("select count(*) from zhangwubiao")).toInt(), 1 + all.size());
    expectTablesIntact(h);
}
