#include "support/ScriptedPrompt.h"

#include <QStringList>

ScriptedPrompt::ScriptedPrompt() {
    Prompt::install(this);
}

ScriptedPrompt::~ScriptedPrompt() {
    Prompt::install(nullptr);
}

Prompt::Answer ScriptedPrompt::show(const QString& caption, const QString& text, Buttons buttons, Icon icon) {
    return showWithDetails(caption, text, QString(), buttons, icon);
}

Prompt::Answer ScriptedPrompt::showWithDetails(const QString& caption, const QString& text,
                                               const QString& details, Buttons buttons, Icon icon) {
    boxes_.append({caption, text, buttons, icon, details});
    if (hook_)
        hook_(boxes_.last());
    if (!answers_.isEmpty())
        return answers_.takeFirst();
    switch (buttons) {
        case Buttons::Ok:
            return Answer::Ok;
        case Buttons::YesNo:
        case Buttons::YesNoDefaultNo:
            return Answer::No;
        case Buttons::OkCancel:
        case Buttons::YesNoCancel:
            return Answer::Cancel;
    }
    return Answer::Ok;
}

QStringList ScriptedPrompt::texts() const {
    QStringList list;
    for (const Box& box : boxes_)
        list.append(box.text);
    return list;
}
