#pragma once

class FunctionPanel;
struct Household;

// The five function panels in side-button order.
struct FunctionPanels {
    FunctionPanel* summary;   // Panel2 帐务信息
    FunctionPanel* income;    // Panel3 收入管理
    FunctionPanel* expense;   // Panel4 支出管理
    FunctionPanel* bank;      // Panel5 银行帐务
    FunctionPanel* reminder;  // Panel6 提醒操作
};

FunctionPanels CreateFunctionPanels(Household& household);
