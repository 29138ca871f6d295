#pragma once

#include <QString>

#include <functional>

// The window that shows that an older household is being upgraded while the program waits for it:
// modal, a busy bar and the text, no way to cancel (the upgrade runs in one piece) and no way to close
// it. It appears only once the upgrade has taken a second, so a quick upgrade shows nothing. Returns
// what closes it; made to be installed as Database's upgrade notice.
std::function<void()> ShowUpgradeProgress(const QString& text);
