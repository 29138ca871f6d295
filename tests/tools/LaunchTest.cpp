#include "app/mainForm.h"
#include "data/Version.h"
#include "support/ScriptedPrompt.h"
#include "support/TempHome.h"
#include "tools/Launchers.h"
#include "tools/RecordingLauncher.h"
#include "tools/abord.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

// A main window whose user holds every right, with a program folder the test controls.
struct Launching {
    TempHome home;
    ScriptedPrompt prompt;
    RecordingLauncher launcher;
    QTemporaryDir programFolder;
    TForm1 form{home.path()};
    QSignalSpy terminated{&form, &TForm1::terminateRequested};

    Launching() {
        form.household().programFolder = programFolder.path();
        for (int i = 0; i < form.permissionList()->count(); ++i)
            form.permissionList()->item(i)->setCheckState(Qt::Checked);
    }
    void put(const QString& relative) {
        QDir(programFolder.path()).mkpath(QFileInfo(relative).path());
        QFile file(QDir(programFolder.path()).filePath(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    void trigger(const char* name) { form.findChild<QAction*>(QString::fromLatin1(name))->trigger(); }
    QString kopira() const { return QDir(programFolder.path()).filePath(Launch::KopiraFileName()); }
};

TEST(BackupAndRestore, ConfirmedBackupEndsTheProgramAndStartsTheToolAfterwards) {
    Launching l;
    l.put(Launch::KopiraFileName());
    l.prompt.answerNext(Prompt::Answer::Yes);
    QTest::mouseClick(l.form.findChild<QToolButton*>(QStringLiteral("SpeedButton24")), Qt::LeftButton);
    ASSERT_EQ(l.prompt.boxes().size(), 1);
    EXPECT_EQ(l.prompt.boxes()[0].caption, QStringLiteral("Quorvane提示"));
    EXPECT_EQ(l.prompt.boxes()[0].text, QStringLiteral("备份数据时，主程序需要关闭，现在确信要备份数据？"));
    EXPECT_EQ(l.prompt.boxes()[0].buttons, Prompt::Buttons::YesNo);
    EXPECT_EQ(l.terminated.count(), 1);
    EXPECT_EQ(l.launcher.atExit, QStringList({l.kopira()}));
    EXPECT_TRUE(l.launcher.started.isEmpty());

    // Restore asks its own question with OK and Cancel, and starts the same tool the same way.
    l.prompt.answerNext(Prompt::Answer::Ok);
    l.trigger("N17");
    EXPECT_EQ(l.prompt.boxes()[1].text, QStringLiteral("恢复数据时系统将关闭，确信要进行恢复？"));
    EXPECT_EQ(l.prompt.boxes()[1].buttons, Prompt::Buttons::OkCancel);
    EXPECT_EQ(l.terminated.count(), 2);
    EXPECT_EQ(l.launcher.atExit, QStringList({l.kopira(), l.kopira()}));
}

TEST(BackupAndRestore, NoCancelRefusalAndMissingToolStartNothing) {
    Launching l;
    l.put(Launch::KopiraFileName());
    l.prompt.answerNext(Prompt::Answer::No);
    l.trigger("N16");
    l.prompt.answerNext(Prompt::Answer::Cancel);
    l.trigger("N17");
    EXPECT_EQ(l.prompt.boxes().size(), 2);
    EXPECT_EQ(l.terminated.count(), 0);
    EXPECT_TRUE(l.launcher.atExit.isEmpty());

    // Without the right "备份数据库" neither the menu nor the toolbar button asks anything.
    l.form.permissionList()->item(0)->setCheckState(Qt::Unchecked);
    l.prompt.clear();
    l.trigger("N16");
    QTest::mouseClick(l.form.findChild<QToolButton*>(QStringLiteral("SpeedButton24")), Qt::LeftButton);
    ASSERT_EQ(l.prompt.boxes().size(), 2);
    EXPECT_EQ(l.prompt.boxes()[0].text, QStringLiteral("您没有操作该项目的权限，请与管理员联系！谢谢！"));
    EXPECT_EQ(l.terminated.count(), 0);

    // A missing tool: the program still ends, silently.
    QFile::remove(l.kopira());
    l.prompt.clear();
    l.prompt.answerNext(Prompt::Answer::Ok);
    l.trigger("N17");
    EXPECT_EQ(l.prompt.boxes().size(), 1);
    EXPECT_EQ(l.terminated.count(), 1);
    EXPECT_TRUE(l.launcher.atExit.isEmpty());
}

TEST(Launchers, InstalledProgramOpensTheHelpPageOfShareTamberlo) {
    // <prefix>/bin/tamberlo with its help page in <prefix>/share/tamberlo, and kopira beside it in bin.
    Launching l;
    const QString bin = QDir(l.programFolder.path()).filePath(QStringLiteral("bin"));
    l.form.household().programFolder = bin;
    l.put(QStringLiteral("share/tamberlo/help/index.htm"));
    l.put(QStringLiteral("bin/") + Launch::KopiraFileName());
    l.trigger("N10");
    EXPECT_EQ(l.launcher.opened,
              QStringList(
                  {QDir(l.programFolder.path()).filePath(QStringLiteral("share/tamberlo/help/index.htm"))}));
    l.prompt.answerNext(Prompt::Answer::Yes);
    l.trigger("N16");
    EXPECT_EQ(l.launcher.atExit, QStringList({QDir(bin).filePath(Launch::KopiraFileName())}));
}

TEST(Launchers, HelpMailSiteAndToolsGoToTheDesktop) {
    Launching l;
    l.trigger("N10");  // no help page: nothing
    EXPECT_TRUE(l.launcher.opened.isEmpty());
    l.put(QStringLiteral("help/index.htm"));
    l.trigger("N10");
    l.trigger("N12");
    l.trigger("N13");
    EXPECT_EQ(
        l.launcher.opened,
        QStringList({QDir(l.programFolder.path()).filePath(QStringLiteral("help/index.htm")),
                     QStringLiteral("mailto:support@quorvane.com"), QStringLiteral("www.quorvane.com")}));
    EXPECT_TRUE(l.prompt.boxes().isEmpty());

    // A desktop with no browser registered: the user is told where the help page is.
    l.launcher.opens = false;
    l.trigger("N10");
    ASSERT_EQ(l.prompt.boxes().size(), 1);
    EXPECT_EQ(l.prompt.boxes()[0].text,
              QStringLiteral(
                  "这台电脑上没有找到可以打开帮助文档的程序（例如浏览器）。帮助文档在：%1，请手动打开它。")
                  .arg(QDir(l.programFolder.path()).filePath(QStringLiteral("help/index.htm"))));

    // The first calculator or editor found on the search path is the one started.
    const auto finder = [](const QString& name) {
        return name == QStringLiteral("kcalc") || name == QStringLiteral("mousepad")
                   ? QStringLiteral("/usr/bin/") + name
                   : QString();
    };
    EXPECT_EQ(Launch::FirstProgramFound(Launch::CalculatorCandidates(), finder),
              QStringLiteral("/usr/bin/kcalc"));
    EXPECT_EQ(Launch::FirstProgramFound(Launch::TextEditorCandidates(), finder),
              QStringLiteral("/usr/bin/mousepad"));
    EXPECT_TRUE(Launch::FirstProgramFound(Launch::TextEditorCandidates(), [](const QString&) {
                    return QString();
                }).isEmpty());
}

TEST(Launchers, AboutBoxShowsItsLabelsOpensTheDownloadPageAndClosesWithOk) {
    Launching l;
    bool checked = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<TAboutBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("关于······"));
        EXPECT_EQ(box->findChild<QLabel*>(QStringLiteral("ProductName"))->text(), QStringLiteral("Tamberlo"));
        // The one version number of the build, not a text of its own.
        EXPECT_EQ(box->findChild<QLabel*>(QStringLiteral("Version"))->text(),
                  QStringLiteral("版本 ") + QLatin1String(kTamberloVersion));
        auto* link = box->findChild<QLabel*>(QStringLiteral("Label4"));
        EXPECT_EQ(link->text(), QStringLiteral("作者其他软件下载中心！欢迎您的光临！"));
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseClick(link, Qt::LeftButton);
        EXPECT_EQ(l.launcher.opened, QStringList({Launch::kDownloadPage}));
        auto* ok = box->findChild<QPushButton*>(QStringLiteral("OKButton"));
        EXPECT_TRUE(ok->isDefault());
        EXPECT_EQ(ok->text(), QStringLiteral("确定"));
        checked = true;
        QTest::mouseClick(ok, Qt::LeftButton);
    });
    l.trigger("N15");
    EXPECT_TRUE(checked);
    EXPECT_TRUE(l.form.findChildren<TAboutBox*>().isEmpty());  // freed when closed
}

}  // namespace
