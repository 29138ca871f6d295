#include "MainWindowFixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {

using LoginWindow = MainWindowFixture;

TEST_F(LoginWindow, SuccessFillsTheUserStatusBarAndTicks) {
    addUser(QStringLiteral("mama"), QStringLiteral("妈妈"), QStringLiteral("Secret"),
            QStringLiteral("1010101"));
    startAs(QStringLiteral("MAMA"), QStringLiteral("secret"));
    EXPECT_EQ(form->currentUser().name, QStringLiteral("妈妈"));
    EXPECT_TRUE(LoginPasswordMatches(form->currentUser().passwordHash, QStringLiteral("Secret")));
    EXPECT_EQ(form->currentUser().rights, QStringLiteral("1010101"));
    EXPECT_EQ(form->statusPanels()->panelText(2), QStringLiteral("妈妈"));
    EXPECT_EQ(ticks(), QList<bool>({true, false, true, false, true, false, true}));
    EXPECT_TRUE(form->isMaximized());
    EXPECT_TRUE(prompt.boxes().isEmpty());
}

TEST_F(LoginWindow, WrongLoginEmptiesBothBoxesAndKeepsTheWindowOpen) {
    bool stayedOpen = false;
    bool emptied = false;
    bool focusInId = false;
    start([&](QWidget* login) {
        TypeInto(login, "Edit1", QStringLiteral("001"));
        TypeInto(login, "Edit2", QStringLiteral("999"));
        ClickButton(login, "SpeedButton1");
        stayedOpen = login->isVisible();
        emptied = login->findChild<QLineEdit*>(QStringLiteral("Edit1"))->text().isEmpty() &&
                  login->findChild<QLineEdit*>(QStringLiteral("Edit2"))->text().isEmpty();
        focusInId = login->focusWidget() == login->findChild<QLineEdit*>(QStringLiteral("Edit1"));
        // Enter in the ID box does nothing; Enter in the password box logs in.
        TypeInto(login, "Edit1", QStringLiteral("001"));
        QTest::keyClick(login->findChild<QLineEdit*>(QStringLiteral("Edit1")), Qt::Key_Return);
        EXPECT_TRUE(login->isVisible());
        TypeInto(login, "Edit2", QStringLiteral("123"));
        QTest::keyClick(login->findChild<QLineEdit*>(QStringLiteral("Edit2")), Qt::Key_Return);
    });
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(emptied);
    EXPECT_TRUE(focusInId);
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_EQ(prompt.boxes()[0].caption, QStringLiteral("Quorvane提示"));
    EXPECT_EQ(prompt.boxes()[0].text, QStringLiteral("用户名或密码不正确,请核对后登陆,谢谢！"));
    EXPECT_EQ(prompt.boxes()[0].buttons, Prompt::Buttons::Ok);
    EXPECT_EQ(form->currentUser().name, QStringLiteral("管理员"));
}

TEST_F(LoginWindow, NeitherEscNorCloseLeavesTheLoginAndItHasNoCloseBox) {
    start([](QWidget* login) {
        EXPECT_EQ(login->windowTitle(), QStringLiteral("登陆"));
        EXPECT_FALSE(login->windowFlags() & Qt::WindowCloseButtonHint);
        EXPECT_FALSE(login->windowFlags() & Qt::WindowSystemMenuHint);
        QTest::keyClick(login, Qt::Key_Escape);
        EXPECT_FALSE(login->close());
        EXPECT_TRUE(login->isVisible());
        TypeInto(login, "Edit1", QStringLiteral("001"));
        TypeInto(login, "Edit2", QStringLiteral("123"));
        ClickButton(login, "SpeedButton1");
    });
    EXPECT_EQ(form->currentUser().name, QStringLiteral("管理员"));
}

TEST_F(LoginWindow, ExitEndsTheProgramWithoutTheFirstShowingSteps) {
    QSignalSpy terminate(form.get(), &TForm1::terminateRequested);
    start([](QWidget* login) { ClickButton(login, "SpeedButton2"); });
    EXPECT_EQ(terminate.count(), 1);
    EXPECT_FALSE(form->isMaximized());
    EXPECT_TRUE(form->statusPanels()->panelText(3).isEmpty());
    EXPECT_TRUE(form->currentUser().name.isEmpty());
    EXPECT_TRUE(prompt.boxes().isEmpty());
}

TEST_F(LoginWindow, FirstStartHintFollowsTheSettingOnEveryShowing) {
    bool hintShown = false;
    start([&](QWidget* login) {
        auto* hint = login->findChild<QLabel*>(QStringLiteral("Label4"));
        hintShown = hint->isVisible();
        EXPECT_EQ(hint->text(), QStringLiteral("初始用户ID：001    密码：123 "));
        TypeInto(login, "Edit1", QStringLiteral("001"));
        TypeInto(login, "Edit2", QStringLiteral("123"));
        ClickButton(login, "SpeedButton1");
    });
    EXPECT_TRUE(hintShown);
    EXPECT_TRUE(form->currentUser().firstStart);

    // Once the key is false the hint is gone at the next showing; the flag stays set for this run.
    ASSERT_TRUE(
        form->settings().writeBool(Settings::kFirstStartSection, Settings::kFirstStartKey, false).isOk());
    bool hintAgain = true;
    WhenModal([&](QWidget* login) {
        hintAgain = login->findChild<QLabel*>(QStringLiteral("Label4"))->isVisible();
        TypeInto(login, "Edit1", QStringLiteral("001"));
        TypeInto(login, "Edit2", QStringLiteral("123"));
        ClickButton(login, "SpeedButton1");
    });
    child<QToolButton>("SpeedButton9")->click();
    EXPECT_FALSE(hintAgain);
    EXPECT_TRUE(form->currentUser().firstStart);
}

TEST_F(LoginWindow, ADatabaseErrorKeepsTheWindowOpenAndTheUserUnchanged) {
    startAs(QStringLiteral("001"), QStringLiteral("123"));
    QSqlQuery(form->database().connection()).exec(QStringLiteral("alter table quanxiangbiao rename to gone"));
    bool stayedOpen = false;
    WhenModal([&](QWidget* login) {
        TypeInto(login, "Edit1", QStringLiteral("001"));
        TypeInto(login, "Edit2", QStringLiteral("123"));
        ClickButton(login, "SpeedButton1");
        stayedOpen = login->isVisible();
        ClickButton(login, "SpeedButton2");
    });
    QSignalSpy terminate(form.get(), &TForm1::terminateRequested);
    child<QAction>("N8")->trigger();
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_EQ(prompt.boxes()[0].caption, QStringLiteral("Tamberlo"));
    EXPECT_EQ(form->currentUser().name, QStringLiteral("管理员"));
    EXPECT_EQ(terminate.count(), 1);
}

}  // namespace
