#include "household/PendingEdit.h"

#include "kit/Prompt.h"

bool SettlePendingEdit(PendingEdit& edit) {
    if (!edit.hasPendingEdit())
        return true;
    switch (Prompt::current().show(Captions::kNotice, kPendingEditQuestion, Prompt::Buttons::YesNoCancel,
                                   Prompt::Icon::Question)) {
        case Prompt::Answer::Yes:
            return edit.savePendingEdit();
        case Prompt::Answer::No:
            edit.discardPendingEdit();
            return true;
        case Prompt::Answer::Ok:
        case Prompt::Answer::Cancel:
            break;
    }
    return false;
}
