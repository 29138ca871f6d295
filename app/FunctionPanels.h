#pragma once

#include <array>
#include <functional>
#include <optional>

class FunctionPanel;
class QWidget;
struct Household;

// The five function panels in side-button order. Each is built the first time it is asked for, so that
// the main window comes up without the grids and charts of panels nobody has opened yet; `placed` puts
// a newly built panel into the window and brings it up to date.
class FunctionPanels {
  public:
    enum Slot { Summary, Income, Expense, Bank, Reminder, SlotCount };
    using Placed = std::function<void(Slot, FunctionPanel*)>;

    FunctionPanels(Household& household, Placed placed);

    // The panel of a slot, built now if it was not yet.
    FunctionPanel* get(Slot slot);
    // The panel of a slot if it has been built, otherwise nullptr.
    FunctionPanel* built(Slot slot) const { return panels_[slot]; }
    // The slot a built panel stands in.
    std::optional<Slot> slotOf(const QWidget* panel) const;

    FunctionPanel* summary() { return get(Summary); }    // Panel2 帐务信息
    FunctionPanel* income() { return get(Income); }      // Panel3 收入管理
    FunctionPanel* expense() { return get(Expense); }    // Panel4 支出管理
    FunctionPanel* bank() { return get(Bank); }          // Panel5 银行帐务
    FunctionPanel* reminder() { return get(Reminder); }  // Panel6 提醒操作

  private:
    Household& household_;
    Placed placed_;
    std::array<FunctionPanel*, SlotCount> panels_{};
};
