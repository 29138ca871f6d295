#pragma once

#include <gtest/gtest.h>

#include <QObject>
#include <QString>

// A control of a window by its objectName; a missing one fails the test.
template <typename T>
T* child(const QObject* parent, const char* name) {
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}
