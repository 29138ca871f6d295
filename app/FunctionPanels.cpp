#include "app/FunctionPanels.h"

#include "bank/BankPanel.h"
#include "household/FunctionPanel.h"
#include "household/Household.h"
#include "ledger/EntryPanel.h"
#include "ledger/SummaryPanel.h"
#include "reminders/ReminderPanel.h"

FunctionPanels::FunctionPanels(Household& household, Placed placed)
    : household_(household), placed_(std::move(placed)) {}

FunctionPanel* FunctionPanels::get(Slot slot) {
    if (FunctionPanel* panel = panels_[slot])
        return panel;
    FunctionPanel* panel = nullptr;
    switch (slot) {
        case Summary:
            panel = new SummaryPanel(household_);
            break;
        case Income:
            panel = new EntryPanel(household_, EntryPanelConfig::income());
            break;
        case Expense:
            panel = new EntryPanel(household_, EntryPanelConfig::expense());
            break;
        case Bank:
            panel = new BankPanel(household_);
            break;
        case Reminder:
        case SlotCount:
            panel = new ReminderPanel(household_);
            slot = Reminder;
            break;
    }
    panels_[slot] = panel;
    if (placed_)
        placed_(slot, panel);
    return panel;
}

std::optional<FunctionPanels::Slot> FunctionPanels::slotOf(const QWidget* panel) const {
    for (int slot = 0; slot < SlotCount; ++slot) {
        if (panel && panels_[slot] == panel)
            return Slot(slot);
    }
    return std::nullopt;
}
