#include "access/UserRows.h"
#include "access/qxgl.h"
#include "support/FindChild.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

namespace {

struct UserWindow : ::testing::Test {
    UserWindow() {
        h.exec(
            "insert into quanxiangbiao (yonghuID,xingming,mima,quangxian) values "
            "('002','张三','abc','1010100')");
        h.exec(
            "insert into quanxiangbiao (yonghuID,xingming,mima,quangxian) values "
            "('003','李四','def','0000000')");
    }

    // Opens the window as N19 does, without its modal loop.
    TForm7& open() {
        window = std::make_unique<TForm7>(h.household);
        window->show();
        return *window;
    }
    void click(const char* name) {
        QTest::mouseClick(child<QToolButton>(window.get(), name), Qt::LeftButton);
    }
    void type(const char* name, const QString& text) {
        // Typed as a whole: the key simulation knows Latin keys only.
        auto* edit = child<QLineEdit>(window.get(), name);
        edit->selectAll();
        edit->insert(text);
    }
    QString text(const char* name) { return child<QLineEdit>(window.get(), name)->text(); }
    QString ticks() {
        auto* list = child<QListWidget>(window.get(), "CheckListBox1");
        QString t;
        for (int i = 0; i < list->count(); ++i)
            t += list->item(i)->checkState() == Qt::Checked ? QLatin1Char('1') : QLatin1Char('0');
        return t;
    }
    void tick(int item, bool on) {
        child<QListWidget>(window.get(), "CheckListBox1")
            ->item(item)
            ->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    void select(int row) { child<QTableWidget>(window.get(), "DBGrid1")->setCurrentCell(row, 0); }
    QString enabledButtons() {
        QString s;
        for (const char* name :
             {"SpeedButton10", "SpeedButton4", "SpeedButton3", "SpeedButton5", "SpeedButton6"})
            s += child<QToolButton>(window.get(), name)->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
        return s;
    }
    QStringList users() {
        QStringList rows;
        const Result<QList<UserRow>> loaded = LoadUsers(h.database.connection());
        for (const UserRow& u : loaded.value())
            rows.append(u.userId + QLatin1Char('|') + u.name + QLatin1Char('|') + u.password +
                        QLatin1Char('|') + u.rights);
        return rows;
    }
    std::optional<QString> chsh() {
        return h.settings.readString(QStringLiteral("qishi "), QStringLiteral("chsh"));
    }

    TestHousehold h;
    ScriptedPrompt prompt;
    std::unique_ptr<TForm7> window;
};

TEST_F(UserWindow, ShowsTheFirstRowWithItsRightsAndTheButtonsOfBrowsing) {
    TForm7& w = open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("用户权限管理"));
    auto* list = child<QTableWidget>(&w, "DBGrid1");
    ASSERT_EQ(list->rowCount(), 3);
    EXPECT_EQ(list->item(1, 0)->text(), QStringLiteral("张三"));
    EXPECT_EQ(text("DBEdit1") + text("DBEdit2") + text("DBEdit3"), QStringLiteral("001管理员123"));
    EXPECT_EQ(child<QLineEdit>(&w, "DBEdit3")->echoMode(), QLineEdit::Normal);
    EXPECT_FALSE(child<QLineEdit>(&w, "DBEdit4")->isVisible());
    EXPECT_TRUE(child<QLineEdit>(&w, "DBEdit1")->isReadOnly());
    EXPECT_EQ(ticks(), QStringLiteral("1111111"));
    EXPECT_EQ(enabledButtons(), QStringLiteral("10110"));

    // Select all, then another row without saving: nothing stored, that row's rights shown.
    click("SpeedButton7");
    EXPECT_EQ(ticks(), QStringLiteral("0000000"));
    click("SpeedButton2");
    select(2);
    EXPECT_EQ(ticks(), QStringLiteral("0000000"));
    EXPECT_EQ(text("DBEdit2"), QStringLiteral("李四"));
    EXPECT_EQ(users()[2], QStringLiteral("003|李四|def|0000000"));
}

TEST_F(UserWindow, ANewRowKeepsTheTicksLocksTheListAndIsStoredOnlyByACheckedSave) {
    open();
    select(1);  // 张三: rights 0, 2 and 4
    click("SpeedButton10");
    EXPECT_EQ(window->state(), TForm7::State::Insert);
    EXPECT_EQ(text("DBEdit1") + text("DBEdit2") + text("DBEdit3"), QString());
    EXPECT_EQ(ticks(), QStringLiteral("1010100"));
    EXPECT_EQ(enabledButtons(), QStringLiteral("01001"));
    EXPECT_FALSE(child<QTableWidget>(window.get(), "DBGrid1")->isEnabled());

    // Incomplete: the message, nothing stored, still adding, the settings key untouched.
    h.user.firstStart = true;
    type("DBEdit1", "004");
    type("DBEdit2", "王五");
    click("SpeedButton4");
    ASSERT_EQ(prompt.texts(), QStringList({"注意:数据输入不完整！请核查！"}));
    EXPECT_EQ(prompt.boxes()[0].caption, QStringLiteral("Quorvane提示"));
    EXPECT_EQ(window->state(), TForm7::State::Insert);
    EXPECT_EQ(users().size(), 3);
    EXPECT_FALSE(chsh().has_value());

    type("DBEdit3", "Pw");
    tick(6, true);
    click("SpeedButton4");
    EXPECT_EQ(prompt.texts().last(), QStringLiteral("保存完成！"));
    EXPECT_EQ(users().last(), QStringLiteral("004|王五|Pw|1010101"));
    EXPECT_EQ(text("DBEdit4"), QStringLiteral("1010101"));
    EXPECT_EQ(window->state(), TForm7::State::Browse);
    EXPECT_EQ(child<QTableWidget>(window.get(), "DBGrid1")->currentRow(), 3);
    EXPECT_EQ(chsh(), QStringLiteral("0"));
    // Rights written here wait for the next login.
    EXPECT_EQ(h.user.rights, QStringLiteral("1111111"));
}

TEST_F(UserWindow, AnEditIsStoredWithTheTicksAndTheFirstStartKeyIsLeftAloneWithoutTheFlag) {
    open();
    select(2);
    click("SpeedButton3");
    EXPECT_EQ(window->state(), TForm7::State::Edit);
    EXPECT_EQ(enabledButtons(), QStringLiteral("01001"));
    type("DBEdit3", "NEW");
    click("SpeedButton2");
    click("SpeedButton4");
    EXPECT_EQ(users()[2], QStringLiteral("003|李四|NEW|1111111"));
    EXPECT_EQ(prompt.texts(), QStringList({"保存完成！"}));
    EXPECT_FALSE(chsh().has_value());

    // With none ticked the string is seven '0'.
    click("SpeedButton3");
    click("SpeedButton7");
    click("SpeedButton4");
    EXPECT_EQ(users()[2], QStringLiteral("003|李四|NEW|0000000"));
}

TEST_F(UserWindow, ADuplicateNameIsRefusedAndTheRowStaysInEdit) {
    open();
    select(2);
    click("SpeedButton3");
    type("DBEdit2", "张三");
    click("SpeedButton4");
    EXPECT_EQ(prompt.texts(), QStringList({"该用户名已存在,请使用其他用户名！"}));
    EXPECT_EQ(window->state(), TForm7::State::Edit);
    EXPECT_EQ(users()[2], QStringLiteral("003|李四|def|0000000"));
}

TEST_F(UserWindow, CancelAndLeaveAbandonTheRow) {
    open();
    select(1);
    click("SpeedButton3");
    type("DBEdit2", "改名");
    click("SpeedButton7");
    click("SpeedButton6");
    EXPECT_EQ(window->state(), TForm7::State::Browse);
    EXPECT_EQ(text("DBEdit2"), QStringLiteral("张三"));
    EXPECT_EQ(ticks(), QStringLiteral("1010100"));

    click("SpeedButton10");
    type("DBEdit1", "009");
    type("DBEdit2", "赵六");
    type("DBEdit3", "x");
    click("SpeedButton1");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(users().size(), 3);
    EXPECT_TRUE(prompt.boxes().isEmpty());
}

TEST_F(UserWindow, DeleteAsksOkOrCancelAndMovesToTheNextRow) {
    open();
    select(1);
    click("SpeedButton5");  // answered Cancel by default
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_EQ(prompt.boxes()[0].text, QStringLiteral("确信要删除该信息吗？"));
    EXPECT_EQ(prompt.boxes()[0].buttons, Prompt::Buttons::OkCancel);
    EXPECT_EQ(users().size(), 3);

    prompt.answerNext(Prompt::Answer::Ok);
    click("SpeedButton5");
    EXPECT_EQ(users(), QStringList({"001|管理员|123|1111111", "003|李四|def|0000000"}));
    EXPECT_EQ(text("DBEdit2"), QStringLiteral("李四"));

    // The last rows too, the current user's own included; then only 增加 is left.
    for (int i = 0; i < 2; ++i) {
        prompt.answerNext(Prompt::Answer::Ok);
        click("SpeedButton5");
    }
    EXPECT_TRUE(users().isEmpty());
    EXPECT_EQ(enabledButtons(), QStringLiteral("10000"));
}

}  // namespace
