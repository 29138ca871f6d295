#pragma once

#include "kit/Prompt.h"

class QWidget;

// The real prompt: a modal message box with Chinese button texts (确定, 取消, 是, 否).
class MessageBoxPrompt final : public Prompt {
  public:
    Answer show(const QString& caption, const QString& text, Buttons buttons, Icon icon) override;
};
