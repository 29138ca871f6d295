#pragma once

#include <QString>

#include <functional>

class Database;
class QObject;

// Checks the household's file for damage once the main window is up, off the window's thread; a query
// of any window that meets damage before or after counts as well. A damaged file gets one notice that
// names it, every further write to it is refused, and the backup tool kopira is offered to restore the
// newest sound backup: accepted, the program ends and kopira starts, as the 恢复 menu item does. When
// only the indexes disagree with the rows, rebuilding them is offered first; a file sound after the
// rebuild takes writes again and `mended` runs, so that what the windows show is read again through the
// rebuilt indexes. `end` ends the program.
void WatchForDamage(QObject* owner, Database& database, const QString& programFolder,
                    const std::function<void()>& end, const std::function<void()>& mended);
