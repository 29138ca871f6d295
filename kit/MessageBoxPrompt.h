#pragma once

#include "kit/Prompt.h"

class QWidget;

// The real prompt: a modal message box with Chinese button texts (确定, 取消, 是, 否). A text taller
// than the screen scrolls inside the box, so that the box and its buttons stay on the screen.
class MessageBoxPrompt final : public Prompt {
  public:
    Answer show(const QString& caption, const QString& text, Buttons buttons, Icon icon) override;
    Answer showWithDetails(const QString& caption, const QString& text, const QString& details,
                           Buttons buttons, Icon icon) override;
};
