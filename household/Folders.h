#pragma once

#include <QString>

// Where the household's data live. The home folder is $TAMBERLO_HOME when it is set; else the program
// folder when a "database" folder already stands beside the program (a portable copy); else the
// desktop's per-user data folder. Never the build tree by default, so that deleting a build cannot take
// a household's data with it. An installed program (one with a share/tamberlo folder beside its bin
// folder) is never a portable copy: its data always go to the per-user folder, whatever stands beside it
// in the system's bin folder.
QString ResolveHomeFolder(const QString& environmentHome, const QString& programFolder,
                          const QString& userDataFolder);

// The same rule applied to this process: the environment, the running program's folder and
// ~/.local/share/tamberlo.
QString HomeFolder();

// The folder of the running program, where the backup tool is found.
QString ProgramFolder();

// The folder of the installed read-only files of a program installed in <prefix>/bin:
// <prefix>/share/tamberlo. It need not exist.
QString InstalledFilesFolder(const QString& programFolder);

// Whether the program in this folder is an installed one (its share/tamberlo folder exists).
bool IsInstalledProgram(const QString& programFolder);

// A read-only file (the help page) by its name relative to the program: beside the program (the build
// tree, a portable copy), else in the installed files folder. Empty when neither holds it.
QString ReadOnlyFile(const QString& programFolder, const QString& relative);

QString DatabasePath(const QString& home);  // <home>/database/lomu.mdb
QString IniPath(const QString& home);       // <home>/database/lomu.ini
