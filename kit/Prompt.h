#pragma once

#include <QString>

// Message boxes. Every box the program shows goes through the installed Prompt: the real one shows a
// dialog, a test installs one that records each box and answers from a script.
class Prompt {
  public:
    // YesNoDefaultNo: 是 and 否 with 否 the default button, for a question whose 是 is risky (Enter
    // and Esc both answer 否).
    enum class Buttons { Ok, YesNo, OkCancel, YesNoCancel, YesNoDefaultNo };
    enum class Icon { None, Information, Warning, Critical, Question };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~Prompt() = default;
    virtual Answer show(const QString& caption, const QString& text, Buttons buttons, Icon icon) = 0;
    // The same box with more lines behind its 详细信息 button: what the engine or a tool reported, in
    // its own words, for whoever helps. A prompt that has no such button shows the text alone.
    virtual Answer showWithDetails(const QString& caption, const QString& text, const QString& details,
                                   Buttons buttons, Icon icon) {
        (void)details;
        return show(caption, text, buttons, icon);
    }

    // The installed prompt. The caller keeps ownership; installing nullptr restores the one in force at
    // start (which answers Ok, Yes or Cancel without showing anything until a real one is installed; a
    // question with Cancel is answered Cancel, so nothing happens).
    static Prompt& current();
    static void install(Prompt* prompt);
};

// Captions of the program's own boxes.
namespace Captions {
inline const QString kNotice = QStringLiteral("Quorvane提示");
inline const QString kApplication = QStringLiteral("Tamberlo");
}  // namespace Captions

// The standard error report: a box with the error's text, caption "Tamberlo", OK. The action that
// failed ends there and the program goes on.
void ReportError(const QString& text);
// The same, with the engine's own lines behind the box's 详细信息 button.
void ReportError(const QString& text, const QString& details);

// A plain notice with the application's caption and an OK button.
void Notify(const QString& text);
