#include "MainWindowFixture.h"

#include "app/WorkArea.h"
#include "ledger/EntryPanel.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

const QString kQuestion = QStringLiteral("当前记录尚未保存，是否保存？");
const QString kRefusal = QStringLiteral("您没有操作该项目的权限，请与管理员联系！谢谢！");

// The main window with a row being added on a panel, and what the user answers when it would be lost.
class PendingEdits : public MainWindowFixture {
  protected:
    QWidget* front() const { return form->workArea()->frontPanel(); }
    QToolButton* button(const char* name) const { return child<QToolButton>(name); }
    EntryPanel* entries(const char* name) const { return child<EntryPanel>(name); }
    int stored(const char* type) {
        QSqlQuery q(form->database().connection());
        q.exec(
            QStringLiteral("select count(*) from shouzhibiao where leixing='%1'").arg(QLatin1String(type)));
        return q.next() ? q.value(0).toInt() : -1;
    }
    // 添加 on the income panel and a detail and amount typed.
    void startIncome(const char* detail, const char* amount) {
        button("SpeedButton3")->click();
        button("SpeedButton10")->click();
        child<QComboBox>("DBComboBox1")->setEditText(QString::fromUtf8(detail));
        child<QLineEdit>("DBEdit1")->setText(QString::fromLatin1(amount));
    }
    void logInWhenAsked(const QString& id, const QString& password, bool* shown) {
        WhenModal([id, password, shown](QWidget* login) {
            *shown = true;
            TypeInto(login, "Edit1", id);
            TypeInto(login, "Edit2", password);
            ClickButton(login, "SpeedButton1");
        });
    }
};

TEST_F(PendingEdits, AnotherPanelAsksAndCancelStaysNoDropsYesSaves) {
    startAs(QStringLiteral("001"), QStringLiteral("123"));
    startIncome("工资", "3000");

    // 取消 on a side button: nothing happens, the row stays as typed and its button shows pressed.
    QTest::mouseClick(button("SpeedButton2"), Qt::LeftButton);
    ASSERT_EQ(prompt.texts(), QStringList({kQuestion}));
    EXPECT_EQ(prompt.boxes()[0].caption, QStringLiteral("Quorvane提示"));
    EXPECT_EQ(prompt.boxes()[0].buttons, Prompt::Buttons::YesNoCancel);
    EXPECT_EQ(front(), child<QWidget>("Panel3"));
    EXPECT_TRUE(button("SpeedButton3")->isChecked());
    EXPECT_EQ(entries("Panel3")->state(), EntryPanel::State::Adding);
    EXPECT_EQ(child<QLineEdit>("DBEdit1")->text(), QStringLiteral("3000"));
    // Bringing the same panel up again would reload it: asked too.
    child<QAction>("N26")->trigger();
    EXPECT_EQ(prompt.boxes().size(), 2);
    EXPECT_EQ(entries("Panel3")->state(), EntryPanel::State::Adding);

    // 否 through the toolbar's 刷新帐务: dropped, the summary in front.
    prompt.answerNext(Prompt::Answer::No);
    button("SpeedButton19")->click();
    EXPECT_EQ(front(), child<QWidget>("Panel2"));
    EXPECT_EQ(entries("Panel3")->state(), EntryPanel::State::Browsing);
    EXPECT_EQ(stored("shouru"), 0);

    // 是 with the amount left empty: 保存's own message, the user stays on the row.
    startIncome("奖金", "");
    prompt.clear();
    prompt.answerNext(Prompt::Answer::Yes);
    child<QAction>("N28")->trigger();
    EXPECT_EQ(prompt.texts(), QStringList({kQuestion, QStringLiteral("必须输入收入金额！")}));
    EXPECT_EQ(front(), child<QWidget>("Panel3"));
    EXPECT_EQ(entries("Panel3")->state(), EntryPanel::State::Adding);

    // 是 once it is complete: saved through 保存, then the expense panel comes up.
    child<QLineEdit>("DBEdit1")->setText(QStringLiteral("200"));
    prompt.answerNext(Prompt::Answer::Yes);
    button("SpeedButton4")->click();
    EXPECT_EQ(front(), child<QWidget>("Panel4"));
    EXPECT_EQ(stored("shouru"), 1);
    EXPECT_EQ(form->homeSafe().balance().format(), QStringLiteral("￥200.00"));

    // Browsing, nothing is asked.
    prompt.clear();
    button("SpeedButton5")->click();
    EXPECT_TRUE(prompt.boxes().isEmpty());
}

TEST_F(PendingEdits, AChangeOfUserSettlesTheRowFirstAndTheNewUsersRightsGuardTheButtons) {
    addUser(QStringLiteral("kid"), QStringLiteral("小明"), QStringLiteral("456"), QStringLiteral("1100011"));
    startAs(QStringLiteral("001"), QStringLiteral("123"));
    startIncome("工资", "3000");

    // 取消: no login window, the same user on the same row. (Were one shown, the watch would log 001
    // in again, so that the test goes on to fail instead of hanging.)
    bool loginShown = false;
    {
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&loginShown] {
            QWidget* login = QApplication::activeModalWidget();
            if (!login || !login->isVisible() || loginShown)
                return;
            loginShown = true;
            TypeInto(login, "Edit1", QStringLiteral("001"));
            TypeInto(login, "Edit2", QStringLiteral("123"));
            ClickButton(login, "SpeedButton1");
        });
        watch.start(5);
        child<QAction>("N8")->trigger();
    }
    EXPECT_FALSE(loginShown);
    EXPECT_EQ(prompt.texts(), QStringList({kQuestion}));
    EXPECT_EQ(form->statusPanels()->panelText(2), QStringLiteral("管理员"));
    EXPECT_EQ(entries("Panel3")->state(), EntryPanel::State::Adding);

    // 是: stored in the name of the one who typed it, then the login.
    prompt.answerNext(Prompt::Answer::Yes);
    logInWhenAsked(QStringLiteral("kid"), QStringLiteral("456"), &loginShown);
    button("SpeedButton9")->click();
    EXPECT_TRUE(loginShown);
    EXPECT_EQ(form->statusPanels()->panelText(2), QStringLiteral("小明"));
    EXPECT_EQ(stored("shouru"), 1);
    QSqlQuery q(form->database().connection());
    q.exec(QStringLiteral("select dengjiren from shouzhibiao"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("管理员"));

    // The income panel is still in front; 小明 may not add, change or delete there.
    ASSERT_EQ(front(), child<QWidget>("Panel3"));
    prompt.clear();
    for (const char* action : {"SpeedButton10", "SpeedButton11", "SpeedButton13"}) {
        button(action)->click();
        EXPECT_EQ(entries("Panel3")->state(), EntryPanel::State::Browsing) << action;
    }
    EXPECT_EQ(prompt.texts(), QStringList({kRefusal, kRefusal, kRefusal}));
    EXPECT_EQ(prompt.boxes()[0].caption, QStringLiteral("Quorvane提示"));
    EXPECT_EQ(stored("shouru"), 1);
    EXPECT_EQ(form->homeSafe().balance().format(), QStringLiteral("￥3000.00"));
}

TEST_F(PendingEdits, TheExpensePanelAsksItsOwnRight) {
    addUser(QStringLiteral("mum"), QStringLiteral("妈妈"), QStringLiteral("m"), QStringLiteral("0001011"));
    startAs(QStringLiteral("001"), QStringLiteral("123"));
    button("SpeedButton4")->click();
    LogInWhenAsked(QStringLiteral("mum"), QStringLiteral("m"));
    child<QAction>("N8")->trigger();
    button("SpeedButton17")->click();
    EXPECT_EQ(prompt.texts(), QStringList({kRefusal}));
    EXPECT_EQ(entries("Panel4")->state(), EntryPanel::State::Browsing);
    // The income right she holds opens the income panel's 添加.
    button("SpeedButton3")->click();
    button("SpeedButton10")->click();
    EXPECT_EQ(entries("Panel3")->state(), EntryPanel::State::Adding);
    EXPECT_EQ(prompt.boxes().size(), 1);
}

TEST_F(PendingEdits, ExitAsksForTheRowAndForATypedReminder) {
    startAs(QStringLiteral("001"), QStringLiteral("123"));
    QSignalSpy ended(form.get(), &TForm1::terminateRequested);
    button("SpeedButton6")->click();
    child<QPlainTextEdit>("Memo1")->setPlainText(QStringLiteral("交电费"));

    // 取消 at 退出系统 and at the close box: the program goes on, the text stays.
    button("SpeedButton1")->click();
    EXPECT_EQ(prompt.texts(), QStringList({kQuestion}));
    EXPECT_TRUE(ended.isEmpty());
    EXPECT_FALSE(form->close());
    EXPECT_EQ(prompt.boxes().size(), 2);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(child<QPlainTextEdit>("Memo1")->toPlainText(), QStringLiteral("交电费"));

    // 是 at the close box: the event saved as 保存提醒 would, then the window closes.
    prompt.answerNext(Prompt::Answer::Yes);
    EXPECT_TRUE(form->close());
    QSqlQuery q(form->database().connection());
    q.exec(QStringLiteral("select neirong from tixing"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("交电费"));

    // Saved once, the same text is no longer pending; 否 on a new text empties the box and ends.
    form->show();
    prompt.clear();
    button("SpeedButton1")->click();
    EXPECT_TRUE(prompt.boxes().isEmpty());
    EXPECT_EQ(ended.size(), 1);
    child<QPlainTextEdit>("Memo1")->setPlainText(QStringLiteral("交水费"));
    prompt.answerNext(Prompt::Answer::No);
    child<QAction>("N9")->trigger();
    EXPECT_EQ(prompt.texts(), QStringList({kQuestion}));
    EXPECT_EQ(ended.size(), 2);
    EXPECT_TRUE(child<QPlainTextEdit>("Memo1")->toPlainText().isEmpty());
}

}  // namespace
