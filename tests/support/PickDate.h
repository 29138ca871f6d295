#pragma once

#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QDateEdit>
#include <QKeyEvent>
#include <QTableView>
#include <QTest>

// Types text key by key as a keyboard or an input method sends it, also characters that have no key of
// their own (full-width digits): each key event carries its character as text.
inline void TypeKeys(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(widget, &release);
    }
}

// Picks a day on a calendar drop-down button as a user does: opens its calendar with F4, moves the
// calendar to the day and clicks the day with the mouse.
inline void PickOnCalendar(QDateEdit* picker, const QDate& day) {
    ASSERT_TRUE(picker->calendarPopup());
    picker->setFocus();
    QTest::keyClick(picker, Qt::Key_F4);
    QCalendarWidget* calendar = picker->calendarWidget();
    ASSERT_NE(calendar, nullptr);
    calendar->setSelectedDate(day);
    auto* view = calendar->findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"));
    ASSERT_NE(view, nullptr);
    const QRect cell = view->visualRect(view->currentIndex());
    ASSERT_TRUE(cell.isValid());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
}
