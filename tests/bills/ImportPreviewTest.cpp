#include "bills/BillRules.h"
#include "bills/ImportPreview.h"
#include "kit/FileChooser.h"
#include "support/FindChild.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHousehold.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>

#include <gtest/gtest.h>

namespace {

BillRow purchase(int line, const char* counterparty, qint64 yuan, const char* number) {
    BillRow row;
    row.line = line;
    row.day = QDate(2026, 12, 3);
    row.counterparty = QString::fromUtf8(counterparty);
    row.direction = BillDirection::Out;
    row.amount = Money::fromYuan(yuan);
    row.method = QStringLiteral("零钱");
    row.status = QStringLiteral("支付成功");
    row.number = QString::fromUtf8(number);
    return row;
}

// A line unticked stays out, a 明细 changed for one counterparty reaches each of its lines, and 导入
// writes the rest and says how many.
TEST(ImportPreview, UntickChangeDetailForTheCounterpartyAndImport) {
    TestHousehold th;
    ScriptedPrompt prompt;
    const qint64 wallet = th.addBankCard(QStringLiteral("微信零钱"), Money::fromYuan(100).units());
    ASSERT_TRUE(SaveMethodPlace(th.database, QStringLiteral("weixin"), QStringLiteral("零钱"), wallet));
    Bill bill;
    bill.source = BillSource::Wechat;
    bill.sourceCode = SourceCode(BillSource::Wechat);
    bill.path = QStringLiteral("微信支付账单.csv");
    bill.rows = {purchase(2, "星巴克", 30, "W1"), purchase(3, "便利店", 5, "W2"),
                 purchase(4, "星巴克", 20, "W3")};
    Result<ImportPlan> plan = PlanImport(th.database.connection(), bill);
    ASSERT_TRUE(plan) << plan.error().toStdString();

    ImportPreview preview(th.household, plan.value());
    preview.show();
    auto* grid = child<QTableView>(&preview, "PreviewGrid");
    ASSERT_NE(grid, nullptr);
    QAbstractItemModel* model = grid->model();
    ASSERT_EQ(model->rowCount(), 3);
    EXPECT_EQ(model->headerData(10, Qt::Horizontal).toString(), QStringLiteral("原因"));
    EXPECT_EQ(model->data(model->index(1, 9)).toString(), QStringLiteral("新增"));
    EXPECT_EQ(model->data(model->index(1, 7)).toString(), QStringLiteral("微信零钱"));

    ASSERT_TRUE(model->setData(model->index(1, 0), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_FALSE(preview.plan().rows[1].ticked);
    EXPECT_TRUE(child<QLabel>(&preview, "SummaryLabel")->text().contains(QStringLiteral("勾选 2 行将导入")));
    auto* outcomes = child<QTableWidget>(&preview, "OutcomeGrid");
    ASSERT_EQ(outcomes->rowCount(), 1);
    EXPECT_EQ(outcomes->item(0, 2)->text(), Money::fromYuan(50).format());

    child<QCheckBox>(&preview, "SameCounterpartyBox")->setChecked(true);
    preview.changeDetail(2, QStringLiteral("咖啡"));
    EXPECT_EQ(model->data(model->index(0, 8)).toString(), QStringLiteral("咖啡"));
    EXPECT_EQ(model->data(model->index(1, 8)).toString(), QStringLiteral("其他支出"));

    child<QPushButton>(&preview, "ImportButton")->click();
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("已导入 2 笔。")});
    EXPECT_EQ(preview.result(), QDialog::Accepted);
    EXPECT_EQ(th.scalar(QStringLiteral("select count(*) from shouzhibiao where mingxi='咖啡'")).toInt(), 2);
    EXPECT_EQ(th.scalar(QStringLiteral("select count(*) from shouzhibiao")).toInt(), 2);
    EXPECT_EQ(th.scalar(QStringLiteral("select jine from zhangwubiao where id=%1").arg(wallet)).toLongLong(),
              Money::fromYuan(50).units());
}

// Importing needs both entry rights: without 支出管理 no file is even asked for.
TEST(ImportPreview, ImportingNeedsBothIncomeAndExpenseRights) {
    TestHousehold th;
    int asked = 0;
    FileChooser::installOpen([&](QWidget*, const QString&, const QString&) {
        ++asked;
        return QStringList();
    });
    th.refuse = {QStringLiteral("支出管理")};
    RunBillImport(th.household, nullptr);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(th.gateAsked, (QStringList{QStringLiteral("收入管理"), QStringLiteral("支出管理")}));
    th.refuse.clear();
    RunBillImport(th.household, nullptr);
    EXPECT_EQ(asked, 1);
    FileChooser::installOpen({});
}

}  // namespace
