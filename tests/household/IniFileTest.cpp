#include "household/IniFile.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <QFile>

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(IniFile, MissingFileSectionOrKeyGivesTheDefault) {
    TempHome home;
    IniFile ini(home.iniPath());
    EXPECT_EQ(ini.readInteger(Settings::kStyleSection, Settings::kStyleKey, 2), 2);
    EXPECT_TRUE(ini.readBool(Settings::kFirstStartSection, Settings::kFirstStartKey, true));
    home.writeIni("[other]\nyangshi=5\n[ysxuanze]\nfoo=1\n");
    EXPECT_EQ(ini.readInteger(QStringLiteral("ysxuanze"), QStringLiteral("yangshi"), 2), 2);
}

TEST(IniFile, ValuesThatAreNotNumbersGiveTheDefault) {
    TempHome home;
    IniFile ini(home.iniPath());
    for (const char* value : {"abc", "", "6x", "1.5", "99999999999", "0x10"}) {
        home.writeIni(QByteArray("[ysxuanze]\nyangshi=") + value + "\n");
        EXPECT_EQ(ini.readInteger(QStringLiteral("ysxuanze"), QStringLiteral("yangshi"), 2), 2) << value;
    }
    home.writeIni("[ysxuanze]\nyangshi = -3 \n");
    EXPECT_EQ(ini.readInteger(QStringLiteral("ysxuanze"), QStringLiteral("yangshi"), 2), -3);
    home.writeIni("[qishi ]\nchsh=7\n");
    EXPECT_TRUE(ini.readBool(QStringLiteral("qishi "), QStringLiteral("chsh"), false));
    home.writeIni("[qishi ]\nchsh=0\n");
    EXPECT_FALSE(ini.readBool(QStringLiteral("qishi "), QStringLiteral("chsh"), true));
}

TEST(IniFile, SectionWithTrailingBlankIsAnotherSection) {
    TempHome home;
    IniFile ini(home.iniPath());
    home.writeIni("[qishi]\nchsh=0\n");
    EXPECT_TRUE(ini.readBool(QStringLiteral("qishi "), QStringLiteral("chsh"), true));
    ASSERT_TRUE(ini.writeBool(QStringLiteral("qishi "), QStringLiteral("chsh"), false).isOk());
    EXPECT_EQ(contents(home.iniPath()), QByteArray("[qishi]\nchsh=0\n[qishi ]\nchsh=0\n"));
    EXPECT_FALSE(ini.readBool(QStringLiteral("qishi "), QStringLiteral("chsh"), true));
}

TEST(IniFile, WriteReplacesOneKeyAndKeepsEveryOtherLine) {
    TempHome home;
    IniFile ini(home.iniPath());
    home.writeIni(
        "; household settings\r\n[ysxuanze]\r\nyangshi=2\r\nextra = keep me\r\n\r\n[qishi ]\r\nchsh=1\r\n");
    ASSERT_TRUE(ini.writeInteger(QStringLiteral("ysxuanze"), QStringLiteral("YANGSHI"), 6).isOk());
    EXPECT_EQ(contents(home.iniPath()), QByteArray("; household settings\r\n[ysxuanze]\r\nYANGSHI=6\r\nextra "
                                                   "= keep me\r\n\r\n[qishi ]\r\nchsh=1\r\n"));
    ASSERT_TRUE(ini.writeInteger(QStringLiteral("ysxuanze"), QStringLiteral("new"), 1).isOk());
    EXPECT_EQ(contents(home.iniPath()),
              QByteArray(
                  "; household settings\r\n[ysxuanze]\r\nYANGSHI=6\r\nextra = keep me\r\nnew=1\r\n\r\n[qishi "
                  "]\r\nchsh=1\r\n"));
    EXPECT_EQ(ini.readInteger(QStringLiteral("ysxuanze"), QStringLiteral("yangshi"), 2), 6);
}

TEST(IniFile, FirstWriteCreatesAPrivateFile) {
    TempHome home;
    home.writeIni("");  // creates the folder
    QFile::remove(home.iniPath());
    IniFile ini(home.iniPath());
    ASSERT_TRUE(ini.writeInteger(Settings::kStyleSection, Settings::kStyleKey, 6).isOk());
    EXPECT_EQ(contents(home.iniPath()), QByteArray("[ysxuanze]\nyangshi=6\n"));
    EXPECT_FALSE(QFile::permissions(home.iniPath()) & (QFileDevice::ReadGroup | QFileDevice::ReadOther));
    EXPECT_EQ(ini.readInteger(Settings::kStyleSection, Settings::kStyleKey, 2), 6);
}

TEST(IniFile, UnwritableFileOrMissingFolderFailsNamingTheFile) {
    TempHome home;
    IniFile missingFolder(home.path() + QStringLiteral("/nowhere/lomu.ini"));
    const Status s = missingFolder.writeInteger(Settings::kStyleSection, Settings::kStyleKey, 1);
    EXPECT_FALSE(s.isOk());
    EXPECT_TRUE(s.error().contains(missingFolder.path()));

    home.writeIni("[ysxuanze]\nyangshi=3\n");
    QFile::setPermissions(home.iniPath(), QFileDevice::ReadOwner);
    IniFile readOnly(home.iniPath());
    EXPECT_FALSE(readOnly.writeInteger(Settings::kStyleSection, Settings::kStyleKey, 1).isOk());
    EXPECT_EQ(readOnly.readInteger(Settings::kStyleSection, Settings::kStyleKey, 2), 3);
}

TEST(IniFile, GarbageLinesAreIgnored) {
    TempHome home;
    home.writeIni(QByteArray("\x01\x02garbage\n=novalue\n[ysxuanze\n[ysxuanze]\nnoequals\nyangshi=4\n"));
    IniFile ini(home.iniPath());
    EXPECT_EQ(ini.readInteger(Settings::kStyleSection, Settings::kStyleKey, 2), 4);
}

}  // namespace
