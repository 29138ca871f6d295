#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>

// kopira for scripts and cron: --help, --version, --backup [DIR] [--encrypt] [--passphrase-fd N],
// --restore FILE [--yes] [--take-over-lock] [--passphrase-fd N] (--take-over-lock takes over a lock left
// on another computer; a passphrase comes from the terminal without echo or from descriptor N). Runs without
// a display and opens no window. Exit status 0 on success, 1 with a Chinese message on standard error when
// the work fails, 2 with the usage text for arguments it does not know.
namespace Kopira {

// The usage text (the same text as the manual page's synopsis).
QString UsageText(const QString& homeFolder);

// Whether the arguments (without the program name) ask for the command line rather than the window.
bool WantsCommandLine(const QStringList& arguments);

// Runs the command on the household of the home folder. `answer` reads the user's reply to the question
// before a restore (a line of standard input); `out` and `err` receive the texts.
int RunCommandLine(const QStringList& arguments, const QString& homeFolder, std::FILE* in, std::FILE* out,
                   std::FILE* err);

// The backup folder the user chose last (kept in the household's settings file), else the default.
QString RememberedBackupFolder(const QString& homeFolder);
void RememberBackupFolder(const QString& homeFolder, const QString& folder);

}  // namespace Kopira
