#pragma once

#include <QString>
#include <QStringList>

// tamberlo's command line, read before the application object and any window exist: --help and
// --version answer without a display, and a mistyped option or a stray argument never starts the
// program. Qt's own options (-platform, -style, ...) are accepted with one dash or two and left to Qt.
struct CommandLineChoice {
    enum class Action { Start, Help, Version, Mistake };
    Action action = Action::Start;
    QString mistake;  // for Mistake: what was wrong, in Chinese with the parser's English in brackets
};

CommandLineChoice ReadCommandLine(const QStringList& arguments);

// The help text, naming the household folder this run would use.
QString CommandLineHelp(const QString& currentHome);
// "tamberlo 0.2.0"
QString CommandLineVersion();
// The one-line usage and where to read more, printed after a mistake.
QString CommandLineUsage();

// Exit status of a command line that is not understood.
inline constexpr int kUsageExitStatus = 2;
