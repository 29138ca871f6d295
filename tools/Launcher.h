#pragma once

#include <QString>

// Hands targets to the desktop: pages, links and files to their default handlers, programs started on
// their own. Nothing waits for what it starts; opening says whether the desktop took the target. Tests
// install a recording launcher so that nothing real is started.
class Launcher {
  public:
    virtual ~Launcher() = default;

    // Opens a file path, a link ("mailto:…", "https://…") or a bare host name with the desktop's
    // default handler; false when the desktop has none for it (no browser registered, no mail program).
    virtual bool open(const QString& target) = 0;
    // Starts a program without arguments.
    virtual void start(const QString& program) = 0;
    // Starts a program without arguments once this program has released everything and is ending.
    virtual void startAtExit(const QString& program) = 0;

    // The installed launcher; installing nullptr restores the desktop one. The caller keeps ownership.
    static Launcher& current();
    static void install(Launcher* launcher);
};

// Opens a target with the desktop; when the desktop has nothing to open it with, tells the user so in
// Chinese and names what to open by hand (`what`: "帮助文档", "网站").
void OpenOrTell(const QString& target, const QString& what);

// Starts the backup tool beside the program as the program ends; a missing tool starts nothing.
void StartKopiraAtExit(const QString& programFolder);
