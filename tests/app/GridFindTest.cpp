// The find dialog of every grid of the program, on the household file and on the server: it finds a text
// the grid shows far down its rows, selects that row and brings it into view.
#include "access/qxgl.h"
#include "bank/BankPanel.h"
#include "bank/cunquxx.h"
#include "bank/yinhang.h"
#include "kit/FindDialog.h"
#include "ledger/EntryPanel.h"
#include "reminders/ReminderPanel.h"
#include "support/FindChild.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHousehold.h"
#include "tools/cldj.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

class GridFind : public ::testing::TestWithParam<TestEngine> {
  protected:
    void SetUp() override {
        // Each table gets enough rows to scroll, with one row showing a text of its own far down.
        const auto rows = [this](int n, const QString& insert) {
            th.exec(
                QStringLiteral("with recursive n(i) as (select 1 union all select i+1 from n where i<%1) ")
                    .arg(n) +
                insert);
        };
        // Each type: 600 entries of an earlier day ("d1001".."d1600", one to six hundred yuan) and three of
        // today ("a1".."a3", first in 全部).
        for (const char* type : {"shouru", "zhichu"}) {
            rows(603,
                 QStringLiteral("insert into shouzhibiao (leixing,mingxi,feiyong,shururiqi) select '%1',case "
                                "when i>600 then 'a'||(i-600) else 'd'||(1000+i) end,i*10000,case when i>600 "
                                "then '2007-01-15' else '2006-05-01' end from n")
                     .arg(QString::fromLatin1(type)));
        }
        // Found: a remark of today's third row, a remark and an amount ("￥12.50") far down 全部.
        th.exec(
            QStringLiteral("update shouzhibiao set beizhu=case when mingxi='d1590' then '寻找收入' when "
                           "leixing='zhichu' then '今天支出' else '今天收入' end where mingxi='a3' or "
                           "(mingxi='d1590' and leixing='shouru')"));
        th.exec(QStringLiteral(
            "update shouzhibiao set feiyong=125000 where leixing='zhichu' and mingxi='d1590'"));
        rows(41, QStringLiteral(
                     "insert into zhangwubiao (mingcheng,jine) select case when i=41 then '寻找银行' else "
                     "'银行'||(100+i) end,i from n"));
        // An earlier expense paid from that place: found by the place's name its 帐户 column shows.
        th.exec(
            QStringLiteral("update shouzhibiao set zhanghu=(select id from zhangwubiao where "
                           "mingcheng='寻找银行') where leixing='zhichu' and mingxi='d1595'"));
        rows(302,
             QStringLiteral(
                 "insert into yinghanbiao (mingcheng,jine,leixing,riqi,caozuoren,zhuanchu) select case i "
                 "when 301 "
                 "then '取款目标' when 302 then '存款目标' else '银行101' end,10000,case when i%3=0 then "
                 "'zhuanzhang' when i%2=0 then 'cunkuan' else 'qukuan' end,'2006-05-01','管理员',case i when "
                 "300 "
                 "then '转出目标' end from n"));
        rows(301,
             QStringLiteral(
                 "insert into tixing (riqi,fanwei,neirong) select '2006-05-01','当天',case when i=301 then "
                 "'寻找提醒' else 'r'||i end from n"));
        rows(61,
             QStringLiteral(
                 "insert into quanxiangbiao (yonghuID,xingming,mima,quangxian) select 'u'||(100+i),case when "
                 "i=61 then '寻找用户' else '用户'||i end,'123','0000000' from n"));
        th.exec(QStringLiteral(
            "insert into yzbh (省份,地区,区号,邮编) values ('寻找省份','某地','000','000000')"));
    }

    // Shows the window at a fixed size and looks for the text through the grid's find dialog from its
    // current row down; the row found must show the text, be the current row and lie wholly in view.
    void expectFound(QWidget& window, const char* gridName, const QString& text) {
        SCOPED_TRACE(std::string(gridName) + " " + text.toStdString());
        window.resize(800, 500);
        window.show();
        auto* grid = child<QAbstractItemView>(&window, gridName);
        ASSERT_NE(grid, nullptr);
        FindDialog* dialog = FindDialog::open(grid);
        dialog->findChild<QLineEdit*>(QStringLiteral("findText"))->setText(text);
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("findNext")), Qt::LeftButton);
        dialog->close();
        EXPECT_TRUE(prompt.boxes().isEmpty()) << prompt.texts().join(QLatin1Char('|')).toStdString();
        prompt.clear();
        const QModelIndex current = grid->currentIndex();
        ASSERT_TRUE(current.isValid());
        QStringList cells;
        for (int c = 0; c < grid->model()->columnCount(); ++c)
            cells.append(grid->model()->index(current.row(), c).data().toString());
        EXPECT_TRUE(cells.join(QLatin1Char('|')).contains(text))
            << cells.join(QLatin1Char('|')).toStdString();
        const QRect cell = grid->visualRect(current);
        EXPECT_TRUE(cell.top() >= 0 && cell.bottom() < grid->viewport()->height())
            << "row " << current.row() << " at " << cell.top();
    }

    TestHousehold th;
    ScriptedPrompt prompt;
};

TEST_P(GridFind, EveryGridFindsWhatItShowsAndBringsTheRowIntoView) {
    const struct {
        const EntryPanelConfig& config;
        const char* grid;
        const char* allChoice;
        const char* today;
        const char* earlier;
    } panels[] = {
        {EntryPanelConfig::income(), "DBGridEh1", "RadioButton14", "今天收入", "寻找收入"},
        {EntryPanelConfig::expense(), "DBGridEh2", "RadioButton12", "今天支出", "￥12.50"},
    };
    for (const auto& p : panels) {
        EntryPanel panel(th.household, p.config);
        panel.broughtToFront();
        expectFound(panel, p.grid, QString::fromUtf8(p.today));
        QTest::mouseClick(child<QRadioButton>(&panel, p.allChoice), Qt::LeftButton);
        expectFound(panel, p.grid, QString::fromUtf8(p.earlier));
        if (p.config.type == EntryType::Expense)
            expectFound(panel, p.grid, QStringLiteral("寻找银行"));
    }
    {
        BankPanel panel(th.household);
        panel.broughtToFront();
        expectFound(panel, "DBGridEh3", QStringLiteral("寻找银行"));
    }
    {
        TForm4 banks(th.household);
        expectFound(banks, "DBGridEh1", QStringLiteral("寻找银行"));
    }
    {
        TForm5 records(th.household);
        expectFound(records, "StringGrid1", QStringLiteral("存款目标"));
        QTest::mouseClick(child<QRadioButton>(&records, "RadioButton2"), Qt::LeftButton);
        expectFound(records, "StringGrid2", QStringLiteral("取款目标"));
        QTest::mouseClick(child<QRadioButton>(&records, "RadioButton3"), Qt::LeftButton);
        expectFound(records, "StringGrid3", QStringLiteral("转出目标"));
    }
    {
        ReminderPanel panel(th.household);
        panel.openTable();
        expectFound(panel, "DBGridEh4", QStringLiteral("寻找提醒"));
    }
    {
        TForm7 users(th.household);
        expectFound(users, "DBGrid1", QStringLiteral("寻找用户"));
    }
    {
        TForm9 postal(th.household);
        expectFound(postal, "DBGridEh1", QStringLiteral("寻找省份"));
    }
}

TAMBERLO_ON_BOTH_ENGINES(GridFind);

}  // namespace
