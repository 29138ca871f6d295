#include "app/CommandLine.h"
#include "data/Version.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

namespace {

using Action = CommandLineChoice::Action;

Action actionOf(const QStringList& rest) {
    return ReadCommandLine(QStringList{QStringLiteral("tamberlo")} + rest).action;
}

TEST(CommandLine, QtsOwnOptionsStartTheProgramWithOneDashOrTwo) {
    EXPECT_EQ(actionOf({}), Action::Start);
    EXPECT_EQ(actionOf({QStringLiteral("-platform"), QStringLiteral("offscreen")}), Action::Start);
    EXPECT_EQ(actionOf({QStringLiteral("--platform"), QStringLiteral("xcb")}), Action::Start);
    EXPECT_EQ(actionOf({QStringLiteral("-style"), QStringLiteral("Fusion"), QStringLiteral("-reverse"),
                        QStringLiteral("-qwindowgeometry"), QStringLiteral("800x600+0+0"),
                        QStringLiteral("-display"), QStringLiteral(":0"), QStringLiteral("-sync")}),
              Action::Start);
    EXPECT_EQ(actionOf({QStringLiteral("-qmljsdebugger=port:3768")}), Action::Start);
}

TEST(CommandLine, HelpAndVersionInEveryUsualSpelling) {
    for (const char* help : {"-h", "--help", "-help"})
        EXPECT_EQ(actionOf({QString::fromLatin1(help)}), Action::Help) << help;
    for (const char* version : {"-v", "--version", "-version"})
        EXPECT_EQ(actionOf({QString::fromLatin1(version)}), Action::Version) << version;
    // Help wins over a Qt option beside it, and nothing starts.
    EXPECT_EQ(actionOf({QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("--help")}),
              Action::Help);
    EXPECT_EQ(CommandLineVersion(), QStringLiteral("tamberlo ") + QLatin1String(kTamberloVersion) + '\n');
}

TEST(CommandLine, MistakesAreNamedInChineseAndNeverStart) {
    // A typo of a Qt option, an option Qt does not know, a value left off, a stray file name.
    for (const QStringList& wrong :
         {QStringList{QStringLiteral("--platfrom"), QStringLiteral("xcb")},
          QStringList{QStringLiteral("--fullscreen")}, QStringList{QStringLiteral("-x")},
          QStringList{QStringLiteral("-platform")}, QStringList{QStringLiteral("lomu.mdb")}}) {
        const CommandLineChoice choice = ReadCommandLine(QStringList{QStringLiteral("tamberlo")} + wrong);
        EXPECT_EQ(choice.action, Action::Mistake) << wrong.join(' ').toStdString();
        EXPECT_TRUE(choice.mistake.contains(QRegularExpression(QStringLiteral("[\\x{4e00}-\\x{9fff}]"))))
            << choice.mistake.toStdString();
    }
    EXPECT_TRUE(ReadCommandLine({QStringLiteral("tamberlo"), QStringLiteral("--fullscreen")})
                    .mistake.contains(QStringLiteral("fullscreen")));
}

TEST(CommandLine, HelpNamesQtsOptionsAndEveryPlaceTheHouseholdMayLive) {
    const QString help = CommandLineHelp(QStringLiteral("/home/li/.local/share/tamberlo"));
    for (const char* word :
         {"--help", "--version", "-platform <", "-style <", "-reverse", "$TAMBERLO_HOME", "database",
          "~/.local/share/tamberlo", "/home/li/.local/share/tamberlo", "kopira", "2"})
        EXPECT_TRUE(help.contains(QString::fromUtf8(word))) << word;
    EXPECT_TRUE(CommandLineUsage().contains(QStringLiteral("tamberlo --help")));
}

}  // namespace
