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
        h.addUserRow("002", "张三", "abc", "1010100");
        h.addUserRow("003", "李四", "def", "0000000");
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
    QStringList users() { return h.userRows(); }
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
    // The password is never shown, only that one is set.
    EXPECT_EQ(text("DBEdit1") + text("DBEdit2") + text("DBEdit3"), QStringLiteral("001管理员"));
    EXPECT_EQ(child<QLineEdit>(&w, "DBEdit3")->placeholderText(), QStringLiteral("已设置"));
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

TEST_F(UserWindow, CancelAbandonsTheRow) {
    open();
    select(1);
    click("SpeedButton3");
    type("DBEdit2", "改名");
    click("SpeedButton7");
    click("SpeedButton6");
    EXPECT_EQ(window->state(), TForm7::State::Browse);
    EXPECT_EQ(text("DBEdit2"), QStringLiteral("张三"));
    EXPECT_EQ(ticks(), QStringLiteral("1010100"));

    EXPECT_TRUE(prompt.boxes().isEmpty());
}

TEST_F(UserWindow, LeavingWithARowNotSavedAsksWhetherToSaveIt) {
    open();
    click("SpeedButton10");
    type("DBEdit1", "009");
    type("DBEdit2", "赵六");
    // 取消: the window stays on the row, as typed.
    click("SpeedButton1");
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_EQ(prompt.boxes()[0].caption, QStringLiteral("Quorvane提示"));
    EXPECT_EQ(prompt.boxes()[0].text, QStringLiteral("当前记录尚未保存，是否保存？"));
    EXPECT_EQ(prompt.boxes()[0].buttons, Prompt::Buttons::YesNoCancel);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->state(), TForm7::State::Insert);
    EXPECT_EQ(text("DBEdit2"), QStringLiteral("赵六"));

    // 是 with the password missing: the check's message, and the window stays (the close box too).
    prompt.answerNext(Prompt::Answer::Yes);
    window->close();
    EXPECT_EQ(prompt.texts().mid(1),
              QStringList({"当前记录尚未保存，是否保存？", "注意:数据输入不完整！请核查！"}));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(users().size(), 3);

    // 是 once it is complete: stored through 保存, then closed.
    type("DBEdit3", "x");
    prompt.answerNext(Prompt::Answer::Yes);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(users().size(), 4);
    EXPECT_EQ(prompt.texts().last(), QStringLiteral("保存完成！"));

    // 否 drops the row and closes; browsing leaves without a question.
    open();
    click("SpeedButton3");
    type("DBEdit2", "改名");
    prompt.clear();
    prompt.answerNext(Prompt::Answer::No);
    click("SpeedButton1");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(prompt.boxes().size(), 1);
    EXPECT_EQ(users()[0], QStringLiteral("001|管理员|123|1111111"));
    open();
    click("SpeedButton1");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(prompt.boxes().size(), 1);
}

TEST_F(UserWindow, TheLastUserManagerIsNeitherDeletedNorStrippedAndIdsStayUnique) {
    const QString lastManagerDeleted =
        QStringLiteral("该用户是唯一拥有“用户权限管理”权限的用户,不能删除！请先将此权限授予其他用户。");
    const QString lastManagerKept =
        QStringLiteral("该用户是唯一拥有“用户权限管理”权限的用户,不能取消此权限！请先将此权限授予其他用户。");
    h.exec("update quanxiangbiao set quangxian='1000100' where yonghuID='002'");  // 张三 no longer manages
    open();
    // 001 is the only manager: refused before the question, nothing deleted.
    click("SpeedButton5");
    EXPECT_EQ(prompt.texts(), QStringList({lastManagerDeleted}));
    EXPECT_EQ(prompt.boxes()[0].caption, QStringLiteral("Quorvane提示"));
    EXPECT_EQ(users().size(), 3);
    // Nor does a save take the right away; the row stays in edit.
    click("SpeedButton3");
    tick(2, false);
    click("SpeedButton4");
    EXPECT_EQ(prompt.texts().last(), lastManagerKept);
    EXPECT_EQ(window->state(), TForm7::State::Edit);
    EXPECT_EQ(users()[0], QStringLiteral("001|管理员|123|1111111"));
    click("SpeedButton6");

    // A second user with the ID 001 in another case could never log in: refused like a twin name.
    click("SpeedButton10");
    type("DBEdit1", "001");
    type("DBEdit2", "王五");
    type("DBEdit3", "p");
    click("SpeedButton4");
    EXPECT_EQ(prompt.texts().last(), QStringLiteral("该用户ID已存在,请使用其他用户ID！"));
    EXPECT_EQ(window->state(), TForm7::State::Insert);
    EXPECT_EQ(users().size(), 3);

    // Once 王五 manages users too, the first one may go.
    type("DBEdit1", "005");
    click("SpeedButton2");
    click("SpeedButton4");
    EXPECT_EQ(prompt.texts().last(), QStringLiteral("保存完成！"));
    select(0);
    prompt.answerNext(Prompt::Answer::Ok);
    click("SpeedButton5");
    EXPECT_EQ(users(), QStringList({"002|张三|abc|1000100", "003|李四|def|0000000", "005|王五|p|1111111"}));
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

    // 李四 goes too; the last user who manages users stays, refused before the question.
    prompt.answerNext(Prompt::Answer::Ok);
    click("SpeedButton5");
    EXPECT_EQ(users(), QStringList({"001|管理员|123|1111111"}));
    const qsizetype asked = prompt.boxes().size();
    click("SpeedButton5");
    EXPECT_EQ(prompt.boxes().size(), asked + 1);
    EXPECT_NE(prompt.boxes().last().buttons, Prompt::Buttons::OkCancel);
    EXPECT_EQ(users(), QStringList({"001|管理员|123|1111111"}));
}

}  // namespace
