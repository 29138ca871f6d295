#include "app/FunctionPanels.h"

#include "household/FunctionPanel.h"
#include "household/Household.h"
#include "bank/BankPanel.h"
#include "ledger/EntryPanel.h"
#include "ledger/SummaryPanel.h"
#include "reminders/ReminderPanel.h"

FunctionPanels CreateFunctionPanels(Household& household) {
    FunctionPanels panels{};
    panels.summary = new SummaryPanel(household);
    panels.income = new EntryPanel(household, EntryPanelConfig::income());
    panels.expense = new EntryPanel(household, EntryPanelConfig::expense());
    panels.bank = new BankPanel(household);
    panels.reminder = new ReminderPanel(household);
    return panels;
}
