#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// What the launchers of the main window start or open, worked out without starting anything.
namespace Launch {

// The support mail link, the maker's page (a bare host name, as users type it) and the download page.
inline const QString kSupportMail = QStringLiteral("mailto:support@quorvane.com");
inline const QString kMakerSite = QStringLiteral("www.quorvane.com");
inline const QString kDownloadPage = QStringLiteral("https://www.quorvane.com/download/");

// The desktop calculators and text editors tried, most common first.
QStringList CalculatorCandidates();
QStringList TextEditorCandidates();

// The full path of the first program of the list that the search path holds, or empty. The finder
// answers a name with a full path or empty; by default it searches PATH.
using Finder = std::function<QString(const QString& name)>;
QString FirstProgramFound(const QStringList& names, const Finder& find = {});

// The backup tool's file name on this platform ("kopira", "kopira.exe" on Windows).
QString KopiraFileName();
// The backup tool beside the program, or empty when it is not there.
QString KopiraPath(const QString& programFolder);
// The help page help/index.htm beside the program or among the installed files (share/tamberlo), or
// empty when neither holds it.
QString HelpPagePath(const QString& programFolder);

}  // namespace Launch
