#pragma once

#include <QApplication>
#include <QInputMethodEvent>
#include <QString>
#include <QWidget>

// Types into a box as an input method (fcitx5, ibus) does, without a key press reaching it: the pinyin
// first shown as preedit text under composition, then the chosen characters committed in its place.
inline void CommitThroughInputMethod(QWidget* box, const QString& pinyin, const QString& committed) {
    QInputMethodEvent composing(pinyin, {QInputMethodEvent::Attribute(QInputMethodEvent::Cursor,
                                                                      static_cast<int>(pinyin.size()), 1)});
    QApplication::sendEvent(box, &composing);
    QInputMethodEvent committing;
    committing.setCommitString(committed);
    QApplication::sendEvent(box, &committing);
}
