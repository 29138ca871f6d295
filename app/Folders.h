#pragma once

#include <QString>

// Where the household's data live. The home folder is $TAMBERLO_HOME when it is set; else the program
// folder when a "database" folder already stands beside the program (a portable copy); else the
// desktop's per-user data folder. Never the build tree by default, so that deleting a build cannot take
// a household's data with it.
QString ResolveHomeFolder(const QString& environmentHome, const QString& programFolder,
                          const QString& userDataFolder);

// The same rule applied to this process: the environment, the running program's folder and
// ~/.local/share/tamberlo.
QString HomeFolder();

// The folder of the running program, where read-only files (help page, the backup tool) are found.
QString ProgramFolder();

QString DatabasePath(const QString& home);  // <home>/database/lomu.mdb
QString IniPath(const QString& home);       // <home>/database/lomu.ini
