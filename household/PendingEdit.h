#pragma once

#include <QString>

// A panel or window where a row can be on its way in: added or changed but not yet saved. Whoever is
// about to take that row away (another panel, a change of user, the end of the program, closing the
// window) asks through SettlePendingEdit first, so nothing typed is dropped without a word.
class PendingEdit {
  public:
    virtual ~PendingEdit() = default;

    // Something was typed that 保存 has not stored yet.
    virtual bool hasPendingEdit() const = 0;
    // Stores it through every check of 保存; false (the check's message shown, the row still open)
    // when a check or the database refused.
    virtual bool savePendingEdit() = 0;
    // Drops it, as 取消 does.
    virtual void discardPendingEdit() = 0;
};

// The question asked before a pending row would be lost.
inline const QString kPendingEditQuestion = QStringLiteral("当前记录尚未保存，是否保存？");

// Asks "当前记录尚未保存，是否保存？" (是 / 否 / 取消) when something is pending. True when the caller
// may go on: nothing was pending, it was saved (是) or dropped (否). False on 取消 or a refused save:
// the user stays on the row and the caller abandons what it was about to do.
bool SettlePendingEdit(PendingEdit& edit);
