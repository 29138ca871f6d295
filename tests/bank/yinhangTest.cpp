#include "bank/BankPasswords.h"
#include "bank/yinhang.h"
#include "kit/DataGrid.h"
#include "support/InputMethod.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

namespace {

// The window over the home safe (row 0) and 工商银行 (row 1) with 500 in it and the bank password "pw",
// opened by a user holding the household key.
class BankWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        h.openInitialUserKeys();
        h.exec(
            QStringLiteral("insert into zhangwubiao (mingcheng, yonghuming, zhanghao, mimami, jine) values "
                           "('工商银行', '张三', '6222', '%1', 5000000)")
                .arg(QString::fromLatin1(SealBankPassword(h.user.householdKey, QStringLiteral("pw")))));
        sealed = storedSealed();
        openForm();
    }
    void openForm() {
        form = std::make_unique<TForm4>(h.household);
        grid = form->findChild<DataGrid*>(QStringLiteral("DBGridEh1"));
        ASSERT_NE(grid, nullptr);
    }
    QString storedSealed() {
        return h.scalar(QStringLiteral("select mimami from zhangwubiao where mingcheng='工商银行'"))
            .toString();
    }
    QString keyNote() { return form->findChild<QLabel*>(QStringLiteral("LabelKeyNote"))->text(); }
    QToolButton* button(const char* name) { return form->findChild<QToolButton*>(QString::fromLatin1(name)); }
    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    QLineEdit* box(int n) { return form->findChild<QLineEdit*>(QStringLiteral("DBEdit%1").arg(n)); }
    int places() { return h.scalar(QStringLiteral("select count(*) from zhangwubiao")).toInt(); }
    // Enabled states of 添加, 修改, 保存, 删除, 取消, 离开.
    QString states() {
        QString s;
        for (const char* name :
             {"SpeedButton1", "SpeedButton2", "SpeedButton3", "SpeedButton4", "SpeedButton6", "SpeedButton5"})
            s += button(name)->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
        return s;
    }

    TestHousehold h;
    QString sealed;
    ScriptedPrompt prompt;
    std::unique_ptr<TForm4> form;
    DataGrid* grid = nullptr;
};

TEST_F(BankWindowTest, BrowsingShowsTheRowInReadOnlyBoxes) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("银行信息数据维护"));
    ASSERT_EQ(grid->model()->rowCount(), 2);
    EXPECT_EQ(grid->model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("密码"));
    grid->setCurrentRow(1);
    EXPECT_EQ(box(1)->text(), QStringLiteral("工商银行"));
    EXPECT_EQ(box(2)->text(), QStringLiteral("张三"));
    EXPECT_TRUE(box(2)->isReadOnly());
    EXPECT_EQ(states(), QStringLiteral("110101"));

    // The password masked, in the list too; 显示 opens it, 隐藏 masks it again.
    EXPECT_EQ(box(4)->text(), QStringLiteral("●●●●●●"));
    EXPECT_EQ(grid->cellText(1, 3), QStringLiteral("●●●●●●"));
    EXPECT_TRUE(form->findChild<QLabel*>(QStringLiteral("LabelPasswordNote"))
                    ->text()
                    .contains(QStringLiteral("都忘了自己的登录密码，银行密码就无法找回")));
    click("ButtonShowPassword");
    EXPECT_EQ(box(4)->text(), QStringLiteral("pw"));
    EXPECT_EQ(button("ButtonShowPassword")->text(), QStringLiteral("隐藏"));
    click("ButtonShowPassword");
    EXPECT_EQ(box(4)->text(), QStringLiteral("●●●●●●"));
    EXPECT_EQ(button("ButtonShowPassword")->text(), QStringLiteral("显示"));
    grid->setCurrentRow(0);
    EXPECT_EQ(box(4)->text(), QString());
    EXPECT_FALSE(button("ButtonShowPassword")->isEnabled());
}

// 修改 offers the password in a password box; what is typed is stored encrypted, and the file holds
// no trace of it.
TEST_F(BankWindowTest, ATypedPasswordIsStoredEncryptedOnly) {
    grid->setCurrentRow(1);
    click("SpeedButton2");
    EXPECT_EQ(box(4)->echoMode(), QLineEdit::Password);
    EXPECT_EQ(box(4)->text(), QStringLiteral("pw"));
    box(4)->selectAll();
    QTest::keyClicks(box(4), QStringLiteral("Zq-48151623"));
    click("SpeedButton3");
    ASSERT_EQ(form->state(), TForm4::State::Browse);
    EXPECT_EQ(ReadBankPassword(h.database.connection(), grid->value(1, QStringLiteral("id")).toLongLong(),
                               h.user.householdKey)
                  .value(),
              QStringLiteral("Zq-48151623"));
    EXPECT_EQ(h.scalar(QStringLiteral("select count(*) from zhangwubiao where mima<>''")).toInt(), 0);
    h.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    QFile file(h.home.databasePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.readAll().contains("Zq-48151623"));

    // A change that leaves the password box alone stores the same password again.
    click("SpeedButton2");
    box(3)->setText(QStringLiteral("6222-9"));
    click("SpeedButton3");
    EXPECT_EQ(ReadBankPassword(h.database.connection(), grid->value(1, QStringLiteral("id")).toLongLong(),
                               h.user.householdKey)
                  .value(),
              QStringLiteral("Zq-48151623"));
}

// Without the bank right no password is shown; with the right but no key in this login, the note says
// what to do and a save keeps the stored password while the other details change.
TEST_F(BankWindowTest, NoPasswordWithoutTheRightOrTheKeyAndTheStoredOneStays) {
    h.refuse = QStringList{QStringLiteral("存款"), QStringLiteral("取款")};
    openForm();
    grid->setCurrentRow(1);
    EXPECT_EQ(box(4)->text(), QString());
    EXPECT_EQ(box(4)->placeholderText(), QStringLiteral("无权查看"));
    EXPECT_FALSE(button("ButtonShowPassword")->isEnabled());

    h.refuse.clear();
    h.user.householdKey = SecretKey();
    openForm();
    grid->setCurrentRow(1);
    EXPECT_EQ(keyNote(), NoHouseholdKeyNote());
    EXPECT_FALSE(button("ButtonShowPassword")->isEnabled());
    EXPECT_FALSE(button("ButtonNewHouseholdKey")->isVisibleTo(form.get()));
    click("SpeedButton2");
    EXPECT_TRUE(box(4)->isReadOnly());
    EXPECT_EQ(box(4)->text(), QString());
    box(3)->setText(QStringLiteral("6222-7"));
    click("SpeedButton3");
    EXPECT_EQ(form->state(), TForm4::State::Browse);
    EXPECT_EQ(h.scalar(QStringLiteral("select zhanghao from zhangwubiao where mingcheng='工商银行'")),
              QStringLiteral("6222-7"));
    EXPECT_EQ(storedSealed(), sealed);
}

// When no user holds the key, a user with the right is told so and, after saying yes, gets a new one;
// the passwords stored under the old key stay unreadable and say so.
TEST_F(BankWindowTest, WhenNoOneHoldsTheKeyANewOneIsStartedAfterAsking) {
    h.exec(QStringLiteral("update quanxiangbiao set jiayao=null"));
    h.user.householdKey = SecretKey();
    openForm();
    EXPECT_EQ(keyNote(), NoKeyHeldNote());
    ASSERT_TRUE(button("ButtonNewHouseholdKey")->isVisibleTo(form.get()));
    click("ButtonNewHouseholdKey");  // 否
    EXPECT_EQ(prompt.texts().last(), StartHouseholdKeyQuestion());
    EXPECT_TRUE(h.user.householdKey.isEmpty());
    prompt.answerNext(Prompt::Answer::Yes);
    click("ButtonNewHouseholdKey");
    EXPECT_FALSE(h.user.householdKey.isEmpty());
    EXPECT_EQ(h.scalar(QStringLiteral("select count(*) from quanxiangbiao where jiayao<>''")).toInt(), 1);
    EXPECT_FALSE(button("ButtonNewHouseholdKey")->isVisibleTo(form.get()));
    grid->setCurrentRow(1);
    click("ButtonShowPassword");
    EXPECT_EQ(box(4)->text(), QStringLiteral("●●●●●●"));
    EXPECT_TRUE(keyNote().contains(QStringLiteral("以前的钥匙"))) << keyNote().toStdString();
    // Saved without a new password typed, the unreadable one stays as stored.
    click("SpeedButton2");
    EXPECT_EQ(box(4)->text(), QString());
    box(2)->setText(QStringLiteral("李四"));
    click("SpeedButton3");
    EXPECT_EQ(storedSealed(), sealed);
}

TEST_F(BankWindowTest, TheHomeSafeIsNeverDeletedAndKeepsItsName) {
    grid->setCurrentRow(0);
    click("SpeedButton4");
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_EQ(prompt.boxes()[0].caption, QStringLiteral("Quorvane提示"));
    EXPECT_EQ(prompt.boxes()[0].text, QStringLiteral("该项目不能删除！"));
    EXPECT_EQ(places(), 2);

    click("SpeedButton2");
    EXPECT_EQ(form->state(), TForm4::State::Edit);
    EXPECT_FALSE(box(1)->isEnabled());
    EXPECT_FALSE(box(2)->isReadOnly());
    EXPECT_FALSE(grid->isEnabled());
    EXPECT_EQ(states(), QStringLiteral("001011"));
    box(1)->setText(QStringLiteral("别的名字"));  // not typeable, but even so it is not stored
    box(2)->setText(QStringLiteral("一家"));
    click("SpeedButton3");
    EXPECT_EQ(form->state(), TForm4::State::Browse);
    EXPECT_EQ(h.scalar(QStringLiteral("select count(*) from zhangwubiao where mingcheng='家庭保险柜' and "
                                      "yonghuming='一家' and jine=0"))
                  .toInt(),
              1);

    // The name box opens again on 修改 of another row.
    grid->setCurrentRow(1);
    click("SpeedButton2");
    EXPECT_TRUE(box(1)->isEnabled());
}

TEST_F(BankWindowTest, DeleteAsksTwiceAndEitherNoKeepsTheRow) {
    grid->setCurrentRow(1);
    click("SpeedButton4");  // No to the first question
    prompt.answerNext(Prompt::Answer::Yes);
    click("SpeedButton4");  // Cancel to the second
    EXPECT_EQ(places(), 2);
    ASSERT_EQ(prompt.boxes().size(), 3);
    EXPECT_EQ(prompt.boxes()[0].text, QStringLiteral("确信要删除该信息吗？"));
    EXPECT_EQ(prompt.boxes()[0].caption, QStringLiteral("Quorvane提示"));
    EXPECT_EQ(prompt.boxes()[0].buttons, Prompt::Buttons::YesNo);
    EXPECT_EQ(prompt.boxes()[2].text, QStringLiteral("Delete record?"));
    EXPECT_EQ(prompt.boxes()[2].buttons, Prompt::Buttons::OkCancel);

    prompt.answerNext(Prompt::Answer::Yes);
    prompt.answerNext(Prompt::Answer::Ok);
    click("SpeedButton4");
    EXPECT_EQ(places(), 1);
    EXPECT_EQ(grid->model()->rowCount(), 1);
    EXPECT_EQ(box(1)->text(), QStringLiteral("家庭保险柜"));
}

TEST_F(BankWindowTest, AddingNeedsANameAndLocksTheList) {
    click("SpeedButton1");
    EXPECT_EQ(form->state(), TForm4::State::Insert);
    EXPECT_EQ(box(1)->text(), QString());
    EXPECT_FALSE(grid->isEnabled());
    EXPECT_EQ(states(), QStringLiteral("001011"));
    click("SpeedButton3");
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_EQ(prompt.boxes()[0].caption, QStringLiteral("Tamberlo"));
    EXPECT_EQ(prompt.boxes()[0].text, QStringLiteral("必须输入银行名称！"));
    EXPECT_EQ(form->state(), TForm4::State::Insert);
    click("SpeedButton6");
    EXPECT_EQ(form->state(), TForm4::State::Browse);
    EXPECT_EQ(places(), 2);

    click("SpeedButton1");
    box(1)->setText(QStringLiteral("建设银行"));
    QTest::keyClicks(box(3), QStringLiteral("6227"));
    click("SpeedButton3");
    EXPECT_EQ(form->state(), TForm4::State::Browse);
    EXPECT_EQ(
        h.scalar(QStringLiteral("select zhanghao||'/'||jine from zhangwubiao where mingcheng='建设银行'"))
            .toString(),
        QStringLiteral("6227/0"));
    EXPECT_EQ(box(1)->text(), QStringLiteral("建设银行"));  // the saved row is current
}

// The bank's name, the holder and the account number take what an input method commits, and the row
// is saved with it. (The password box, as every password box, takes no input method.)
TEST_F(BankWindowTest, TextCommittedByAnInputMethodArrivesAndIsSaved) {
    click("SpeedButton1");
    CommitThroughInputMethod(box(1), QStringLiteral("gongshang"), QStringLiteral("工商银行牡丹卡"));
    CommitThroughInputMethod(box(2), QStringLiteral("lisi"), QStringLiteral("李四"));
    CommitThroughInputMethod(box(3), QString(), QStringLiteral("6222 0200"));
    EXPECT_EQ(box(1)->text(), QStringLiteral("工商银行牡丹卡"));
    click("SpeedButton3");
    EXPECT_TRUE(prompt.boxes().isEmpty()) << prompt.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(
        h.scalar(QStringLiteral(
                     "select yonghuming||'/'||zhanghao from zhangwubiao where mingcheng='工商银行牡丹卡'"))
            .toString(),
        QStringLiteral("李四/6222 0200"));
}

TEST_F(BankWindowTest, ADuplicateNameIsReportedAndTheRowStaysInEdit) {
    click("SpeedButton1");
    box(1)->setText(QStringLiteral("工商银行"));
    click("SpeedButton3");
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_EQ(prompt.boxes()[0].caption, QStringLiteral("Tamberlo"));
    EXPECT_FALSE(prompt.boxes()[0].text.isEmpty());
    EXPECT_EQ(form->state(), TForm4::State::Insert);
    EXPECT_EQ(box(1)->text(), QStringLiteral("工商银行"));
    EXPECT_EQ(places(), 2);

    // 离开, answered 否, discards the unsaved row.
    prompt.answerNext(Prompt::Answer::No);
    click("SpeedButton5");
    EXPECT_EQ(prompt.texts().last(), QStringLiteral("当前记录尚未保存，是否保存？"));
    EXPECT_EQ(form->state(), TForm4::State::Browse);
    EXPECT_EQ(places(), 2);
}

// A credit card is added with its kind and a limit that must be money; a place with records is offered
// 关闭 instead of deletion, and 重新启用 opens it again.
TEST_F(BankWindowTest, ACreditCardNeedsALimitAndAPlaceWithHistoryIsClosedNotDeleted) {
    auto* kind = form->findChild<QComboBox*>(QStringLiteral("ComboBoxKind"));
    auto* limit = form->findChild<QLineEdit*>(QStringLiteral("EditLimit"));
    click("SpeedButton1");
    EXPECT_TRUE(limit->isReadOnly());
    box(1)->setText(QStringLiteral("招行信用卡"));
    kind->setCurrentIndex(kind->findText(QStringLiteral("信用卡")));
    EXPECT_FALSE(limit->isReadOnly());
    limit->setText(QStringLiteral("五千"));
    click("SpeedButton3");
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_EQ(prompt.boxes()[0].text,
              QStringLiteral("信用额度必须是一个金额，例如 5000 或 5000.00，请重新输入。"
                             "（'五千' is not a valid floating point value）"));
    EXPECT_EQ(form->state(), TForm4::State::Insert);
    limit->setText(QStringLiteral("5000"));
    click("SpeedButton3");
    EXPECT_EQ(form->state(), TForm4::State::Browse);
    EXPECT_EQ(h.scalar(QStringLiteral("select leibie||edu from zhangwubiao where mingcheng='招行信用卡'")),
              QStringLiteral("xinyongka50000000"));
    EXPECT_EQ(grid->cellText(grid->currentRow(), 4), QStringLiteral("信用卡"));

    h.exec(
        QStringLiteral("insert into yinghanbiao (mingcheng, jine, leixing, riqi, caozuoren) values "
                       "('工商银行', 100, 'cunkuan', '2007-01-02', '管理员')"));
    grid->setCurrentRow(1);
    prompt.answerNext(Prompt::Answer::Yes);
    click("SpeedButton4");
    EXPECT_TRUE(
        prompt.texts().last().startsWith(QStringLiteral("帐户“工商银行”有收支或存取款记录，不能删除")));
    EXPECT_EQ(places(), 3);
    EXPECT_EQ(h.scalar(QStringLiteral("select guanbi from zhangwubiao where mingcheng='工商银行'")).toInt(),
              1);
    EXPECT_EQ(button("SpeedButton7")->text(), QStringLiteral("重新启用"));
    click("SpeedButton7");
    EXPECT_EQ(h.scalar(QStringLiteral("select guanbi from zhangwubiao where mingcheng='工商银行'")).toInt(),
              0);
    EXPECT_EQ(button("SpeedButton7")->text(), QStringLiteral("关闭"));
}

TEST_F(BankWindowTest, LeavingWithARowNotSavedAsksAndKeepsTheWindowOnCancelOrARefusedSave) {
    form->show();
    grid->setCurrentRow(1);
    click("SpeedButton2");
    box(3)->setText(QStringLiteral("6222-new"));
    click("SpeedButton5");  // 取消 by default
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_EQ(prompt.boxes()[0].caption, QStringLiteral("Quorvane提示"));
    EXPECT_EQ(prompt.boxes()[0].text, QStringLiteral("当前记录尚未保存，是否保存？"));
    EXPECT_EQ(prompt.boxes()[0].buttons, Prompt::Buttons::YesNoCancel);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->state(), TForm4::State::Edit);
    EXPECT_EQ(box(3)->text(), QStringLiteral("6222-new"));

    // 是 with the name emptied: 保存's own message, the window stays on the row.
    box(1)->clear();
    prompt.answerNext(Prompt::Answer::Yes);
    form->close();
    EXPECT_EQ(prompt.texts().last(), QStringLiteral("必须输入银行名称！"));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->state(), TForm4::State::Edit);

    // 是 with the name back: stored, then closed.
    box(1)->setText(QStringLiteral("工商银行"));
    prompt.answerNext(Prompt::Answer::Yes);
    QTest::keyClick(form.get(), Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(
        h.scalar(QStringLiteral("select zhanghao from zhangwubiao where mingcheng='工商银行'")).toString(),
        QStringLiteral("6222-new"));
    EXPECT_EQ(prompt.boxes().size(), 4);
}

}  // namespace
