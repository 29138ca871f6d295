#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

#include <functional>

// Runs `act` on the next modal window that comes up (a modal window runs its own event loop, so the
// test acts on it from a timer). The action may be queued before the window exists.
inline void WhenModal(std::function<void(QWidget*)> act, int attemptsLeft = 400) {
    QTimer::singleShot(5, [act = std::move(act), attemptsLeft]() mutable {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible()) {
            act(modal);
        } else if (attemptsLeft > 0) {
            WhenModal(std::move(act), attemptsLeft - 1);
        }
    });
}

// Types into a line edit of a window found by objectName.
inline void TypeInto(QWidget* window, const char* name, const QString& text) {
    if (auto* edit = window->findChild<QLineEdit*>(QString::fromLatin1(name)))
        edit->setText(text);
}

inline void ClickButton(QWidget* window, const char* name) {
    if (auto* button = window->findChild<QToolButton*>(QString::fromLatin1(name)))
        button->click();
}

// Fills the login window with an ID and password and presses the login button.
inline void LogInWhenAsked(const QString& id, const QString& password) {
    WhenModal([id, password](QWidget* login) {
        TypeInto(login, "Edit1", id);
        TypeInto(login, "Edit2", password);
        ClickButton(login, "SpeedButton1");
    });
}
