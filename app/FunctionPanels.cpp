#include "app/FunctionPanels.h"

#include "app/FunctionPanel.h"
#include "app/Household.h"
#include "bank/BankPanel.h"

FunctionPanels CreateFunctionPanels(Household& household) {
    Q_UNUSED(household);
    FunctionPanels panels{};
    panels.summary =
        HeadingPanel(QStringLiteral("Panel2"), QStringLiteral("本月帐务信息"), QStringLiteral("#303030"));
    panels.income =
        HeadingPanel(QStringLiteral("Panel3"), QStringLiteral("恭喜！又有钱入帐"), QStringLiteral("#1d8a2e"));
    panels.expense = HeadingPanel(QStringLiteral("Panel4"), QStringLiteral("花费明细登记一下吧！"),
                                  QStringLiteral("#c0282d"));
    panels.bank = new BankPanel(household);
    panels.reminder =
        HeadingPanel(QStringLiteral("Panel6"), QStringLiteral("提醒事件"), QStringLiteral("#7a3e9d"));
    return panels;
}
