#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>

class Database;
class HomeSafe;
class IniFile;
struct CurrentUser;
class QWidget;

// What the panels and secondary windows work with: the one connection, the home safe, the settings
// file, the current user and the permission gate. Owned by the main window for the whole run.
struct Household {
    Database& database;
    HomeSafe& homeSafe;
    IniFile& settings;
    CurrentUser& user;
    // PermissionGate: true when the current user may run the function named by text; otherwise the
    // refusal has been shown and the caller abandons the whole action.
    std::function<bool(const QString& text)> permissionGate;
    // Whether the current user holds the right named by text, asked without a message: for what a
    // window lists or writes out, where a refusal box would be out of place.
    std::function<bool(const QString& text)> holdsRight;
    // The main window, parent of the secondary windows.
    QWidget* mainWindow;
    // The program folder, where read-only files (help page, backup tool) are found.
    QString programFolder;
    // Told by the expense panel after an expense of the 明细 was saved for the day (the budget alerts);
    // may be empty.
    std::function<void(const QString& detail, const QDate& day)> expenseSaved = {};
    // The line of the month's budget use for the summary, empty when there is none; may be empty.
    std::function<QString(const QDate& month)> budgetLine = {};
};

// The two bank rights. A holder of either may open the bank information window (with the bank
// passwords) and export the deposit and withdrawal records.
inline QStringList BankRights() {
    return {QStringLiteral("存款"), QStringLiteral("取款")};
}

// The gate for a function open to a holder of any one of several rights: passes when the user holds
// one of them, otherwise the gate refuses (with its message) under the first.
inline bool PermissionGateAny(const Household& household, const QStringList& texts) {
    for (const QString& text : texts) {
        if (household.holdsRight(text))
            return true;
    }
    return texts.isEmpty() || household.permissionGate(texts.first());
}
