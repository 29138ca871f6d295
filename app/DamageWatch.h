#pragma once

#include <QString>

#include <functional>

class Database;
class QObject;

// Checks the household's file for damage once the main window is up, off the window's thread. A damaged
// file gets one notice that names it, every further write to it is refused, and the backup tool kopira
// is offered to restore the newest sound backup: accepted, the program ends and kopira starts, as the
// 恢复 menu item does. `end` ends the program.
void WatchForDamage(QObject* owner, Database& database, const QString& programFolder,
                    const std::function<void()>& end);
