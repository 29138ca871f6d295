#pragma once

#include "kit/Prompt.h"

#include <QList>
#include <QString>

#include <functional>

// A prompt for tests: records every box and answers from a queue. With the queue empty it gives the
// safe answer: OK, No, or Cancel (also for a
// question with 是/否/取消). Installed for its lifetime.
class ScriptedPrompt final : public Prompt {
  public:
    struct Box {
        QString caption;
        QString text;
        Buttons buttons;
        Icon icon;
        QString details;  // the lines behind the 详细信息 button, if any
    };

    ScriptedPrompt();
    ~ScriptedPrompt() override;

    Answer show(const QString& caption, const QString& text, Buttons buttons, Icon icon) override;
    Answer showWithDetails(const QString& caption, const QString& text, const QString& details,
                           Buttons buttons, Icon icon) override;

    void answerNext(Answer answer) { answers_.append(answer); }
    // Runs while a box is up, before it is answered (to look at the windows behind it).
    void onShow(std::function<void(const Box&)> hook) { hook_ = std::move(hook); }

    const QList<Box>& boxes() const { return boxes_; }
    QStringList texts() const;
    void clear() { boxes_.clear(); }

  private:
    QList<Box> boxes_;
    QList<Answer> answers_;
    std::function<void(const Box&)> hook_;
};
