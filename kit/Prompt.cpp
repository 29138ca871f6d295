#include "kit/Prompt.h"

namespace {

// In force until a real prompt is installed: shows nothing and takes the first button.
class SilentPrompt final : public Prompt {
  public:
    Answer show(const QString&, const QString&, Buttons buttons, Icon) override {
        switch (buttons) {
            case Buttons::YesNo:
                return Answer::Yes;
            case Buttons::YesNoCancel:
                return Answer::Cancel;
            case Buttons::YesNoDefaultNo:
                return Answer::No;
            case Buttons::Ok:
            case Buttons::OkCancel:
                break;
        }
        return Answer::Ok;
    }
};

SilentPrompt silent;
Prompt* installed = &silent;

}  // namespace

Prompt& Prompt::current() {
    return *installed;
}

void Prompt::install(Prompt* prompt) {
    installed = prompt ? prompt : &silent;
}

void ReportError(const QString& text) {
    Prompt::current().show(Captions::kApplication, text, Prompt::Buttons::Ok, Prompt::Icon::Critical);
}

void ReportError(const QString& text, const QString& details) {
    Prompt::current().showWithDetails(Captions::kApplication, text, details, Prompt::Buttons::Ok,
                                      Prompt::Icon::Critical);
}

void Notify(const QString& text) {
    Prompt::current().show(Captions::kApplication, text, Prompt::Buttons::Ok, Prompt::Icon::None);
}
