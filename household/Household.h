#pragma once

#include <QString>

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
    // The main window, parent of the secondary windows.
    QWidget* mainWindow;
    // The program folder, where read-only files (help page, backup tool) are found.
    QString programFolder;
};
