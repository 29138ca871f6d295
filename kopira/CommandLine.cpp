#include "kopira/CommandLine.h"

#include "data/Secrets.h"
#include "data/Version.h"
#include "household/Folders.h"
#include "household/HouseholdLock.h"
#include "household/IniFile.h"
#include "kopira/BackupInfo.h"
#include "kopira/EncryptedBackup.h"
#include "kopira/InterruptedRestore.h"
#include "kopira/KopiraHousehold.h"
#include "kopira/KopiraStore.h"
#include "kopira/Passphrase.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace {

const QString kSection = QStringLiteral("kopira");
const QString kFolderKey = QStringLiteral("beifenmulu");

void print(std::FILE* to, const QString& text) {
    std::fputs(text.toUtf8().constData(), to);
    std::fputc('\n', to);
    std::fflush(to);
}

struct Command {
    enum class Action { Window, Help, Version, Backup, Restore, Wrong } action = Action::Window;
    QString target;
    bool yes = false;
    bool takeOver = false;  // --take-over-lock: a lock left on another computer may be taken over
    bool encrypt = false;   // --encrypt: the backup under a passphrase typed on the terminal
    int passphraseFd = -1;  // --passphrase-fd N: the passphrase from descriptor N
    QString problem;        // what was wrong with the options, in Chinese; empty when nothing was said yet
};

Command parse(const QStringList& args) {
    Command command;
    const auto wrong = [&command](const QString& problem) {
        command.action = Command::Action::Wrong;
        if (command.problem.isEmpty())
            command.problem = problem;
    };
    const auto set = [&](Command::Action action, const QString& option) {
        if (command.action == Command::Action::Window)
            command.action = action;
        else
            wrong(QStringLiteral("选项 %1 不能和前面的选项一起用。").arg(option));
    };
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QStringLiteral("--help") || arg == QStringLiteral("-h")) {
            set(Command::Action::Help, arg);
        } else if (arg == QStringLiteral("--version")) {
            set(Command::Action::Version, arg);
        } else if (arg == QStringLiteral("--yes")) {
            command.yes = true;
        } else if (arg == QStringLiteral("--take-over-lock")) {
            command.takeOver = true;
        } else if (arg == QStringLiteral("--encrypt")) {
            command.encrypt = true;
        } else if (arg == QStringLiteral("--passphrase-fd")) {
            bool number = false;
            command.passphraseFd = i + 1 < args.size() ? args[++i].toInt(&number) : -1;
            if (!number || command.passphraseFd < 0)
                wrong(QStringLiteral("选项 --passphrase-fd 后面要写一个文件描述符的号码（如 3）。"));
        } else if (arg == QStringLiteral("--backup")) {
            set(Command::Action::Backup, arg);
            if (i + 1 < args.size() && !args[i + 1].startsWith(QStringLiteral("--")))
                command.target = args[++i];
        } else if (arg == QStringLiteral("--restore")) {
            set(Command::Action::Restore, arg);
            if (i + 1 < args.size() && !args[i + 1].startsWith(QStringLiteral("--")))
                command.target = args[++i];
            else
                wrong(QStringLiteral("选项 --restore 后面要写备份文件的路径。"));
        } else if (arg.startsWith(QStringLiteral("--passphrase")) ||
                   arg.startsWith(QStringLiteral("--password"))) {
            // A passphrase on the command line would stand in the shell's history and the process list;
            // the option is named without what follows '=', which may be the passphrase itself.
            wrong(
                QStringLiteral("不认识的选项：%1。口令不能写在命令行上：请在终端输入，或用 --passphrase-fd N "
                               "从文件描述符读入。")
                    .arg(arg.section(QLatin1Char('='), 0, 0)));
        } else {
            wrong(arg.startsWith(QLatin1Char('-')) ? QStringLiteral("不认识的选项：%1").arg(arg)
                                                   : QStringLiteral("多余的参数：%1").arg(arg));
        }
    }
    if ((command.yes || command.takeOver) && command.action != Command::Action::Restore &&
        command.action != Command::Action::Help)
        wrong(QStringLiteral("选项 --yes 和 --take-over-lock 只能和 --restore 一起用。"));
    if (command.encrypt && command.action != Command::Action::Backup &&
        command.action != Command::Action::Help)
        wrong(QStringLiteral("选项 --encrypt 只能和 --backup 一起用。"));
    if (command.passphraseFd >= 0 && command.action != Command::Action::Backup &&
        command.action != Command::Action::Restore && command.action != Command::Action::Help)
        wrong(QStringLiteral("选项 --passphrase-fd 只能和 --backup 或 --restore 一起用。"));
    return command;
}

bool confirmed(std::FILE* in, std::FILE* out) {
    std::fputs(QStringLiteral("确信要用这个备份替换当前帐本吗？输入 y 并回车确认：").toUtf8().constData(),
               out);
    std::fflush(out);
    char line[64] = {};
    if (!std::fgets(line, sizeof line, in))
        return false;
    const QString reply = QString::fromUtf8(line).trimmed().toLower();
    return reply == QStringLiteral("y") || reply == QStringLiteral("yes") || reply == QStringLiteral("是");
}

// Whether the restore may go on as far as the household's lock goes. A lock held on this computer
// refuses it; a lock left on another computer is taken over only when --take-over-lock says so.
bool claimForRestore(const Kopira::Household& household, const Command& command, std::FILE* err) {
    HouseholdLock lock(household.file);
    if (lock.tryLock() != HouseholdLock::State::HeldElsewhere)
        return true;  // let go at once: the restore takes it for itself
    const std::optional<HouseholdLock::Holder> holder = lock.holderInfo();
    if (!holder || !holder->otherComputer) {
        print(err, QStringLiteral("未恢复：%1").arg(Kopira::RestoreRefusal(lock)));
        return false;
    }
    if (!command.takeOver) {
        print(err, QStringLiteral(
                       "未恢复：%1\n确定那台电脑上的程序已经不在运行时，加上 --take-over-lock "
                       "再运行一次即可接管：\n  kopira --restore %2 --take-over-lock\n当前帐本未作任何改动。")
                       .arg(HouseholdInUseText(lock), command.target));
        return false;
    }
    if (lock.takeOver() == HouseholdLock::State::HeldElsewhere) {
        print(err, QStringLiteral("未恢复：%1").arg(TakeOverFailedText(lock)));
        return false;
    }
    return true;
}

// The passphrase for a new encrypted backup: from the descriptor, else typed twice on the terminal.
Result<QString> newPassphrase(const Command& command) {
    if (command.passphraseFd >= 0)
        return Kopira::ReadPassphraseFromDescriptor(command.passphraseFd);
    Result<QString> first = Kopira::ReadPassphraseFromTerminal(QStringLiteral("备份口令："));
    if (!first)
        return first;
    Result<QString> again = Kopira::ReadPassphraseFromTerminal(QStringLiteral("再输入一次备份口令："));
    const bool same = again && again.value() == first.value();
    if (again)
        WipeText(again.value());
    if (!same) {
        WipeText(first.value());
        return Result<QString>::failure(again ? QStringLiteral("两次输入的口令不一样，没有备份。请重新运行。")
                                              : again.error());
    }
    return first;
}

Result<QString> backUp(const Kopira::Household& household, const QString& folder, const Command& command) {
    const QDateTime when = QDateTime::currentDateTime();
    if (!command.encrypt && command.passphraseFd < 0)
        return Kopira::BackUpHousehold(household, folder, when);
    Result<QString> passphrase = newPassphrase(command);
    if (!passphrase)
        return passphrase;
    const Result<QString> made =
        Kopira::BackUpHouseholdEncrypted(household, folder, when, passphrase.value());
    WipeText(passphrase.value());
    return made;
}

}  // namespace

namespace Kopira {

QString RememberedBackupFolder(const QString& homeFolder) {
    const std::optional<QString> kept = IniFile(IniPath(homeFolder)).readString(kSection, kFolderKey);
    return kept && !kept->trimmed().isEmpty() ? kept->trimmed() : DefaultBackupFolder(homeFolder);
}

void RememberBackupFolder(const QString& homeFolder, const QString& folder) {
    if (folder != RememberedBackupFolder(homeFolder))
        IniFile(IniPath(homeFolder)).writeString(kSection, kFolderKey, folder);
}

QString UsageText(const QString& homeFolder) {
    return QStringLiteral(
               "用法：kopira [--backup [文件夹] [--encrypt] [--passphrase-fd N] |\n"
               "              --restore 备份文件 [--yes] [--take-over-lock] [--passphrase-fd N] |\n"
               "              --version | --help]\n"
               "Tamberlo 家庭帐本的备份与恢复工具。不带选项时打开窗口。\n"
               "\n"
               "  --backup [文件夹]       把帐本完整地备份到文件夹（不写时用上次选用的备份文件夹，\n"
               "                          默认是 <帐本文件夹>/database/backup）；Tamberlo 运行时也可以备份\n"
               "  --restore 备份文件      先显示备份的内容并询问，确认后用它替换当前帐本；\n"
               "                          原来的帐本先另存为安全副本。Tamberlo 运行时不能恢复\n"
               "  --encrypt               备份时用口令加密（在终端上输入两次，不显示），文件名以 .mdb.tbk "
               "结尾；\n"
               "                          口令丢失后，加密的备份无法恢复\n"
               "  --passphrase-fd N       从已打开的文件描述符 N 读入口令的第一行（用于脚本）；和 --backup\n"
               "                          一起用时备份即加密。恢复加密的备份时不写这个选项就在终端上询问。\n"
               "                          口令从不写在命令行上\n"
               "  --yes                   恢复时不询问（用于脚本）\n"
               "  --take-over-lock        帐本被另一台电脑上的 Tamberlo 或 kopira 锁定（锁文件\n"
               "                          database/lomu.lock），而那台电脑上的程序已经不在运行时，\n"
               "                          恢复前接管这个锁\n"
               "  --version               显示版本\n"
               "  --help                  显示本说明\n"
               "\n"
               "帐本文件夹：环境变量 TAMBERLO_HOME，否则按 Tamberlo 的规则查找（现在是 %1）。\n"
               "帐本文件夹的 database/lomu.ini 写了 [shujuku] leixing=postgresql 时，备份与恢复的是\n"
               "数据库服务器上的帐本；备份仍是普通的帐本文件。\n"
               "退出状态：0 成功；1 失败，原因写在标准错误上；2 选项不对。")
        .arg(QDir::toNativeSeparators(homeFolder));
}

bool WantsCommandLine(const QStringList& arguments) {
    return !arguments.isEmpty();
}

int RunCommandLine(const QStringList& arguments, const QString& homeFolder, std::FILE* in, std::FILE* out,
                   std::FILE* err) {
    const Command command = parse(arguments);
    const Household household = HouseholdOf(homeFolder);
    switch (command.action) {
        case Command::Action::Window:
        case Command::Action::Wrong:
            if (!command.problem.isEmpty())
                print(err, QStringLiteral("kopira：%1\n").arg(command.problem));
            print(err, UsageText(homeFolder));
            return 2;
        case Command::Action::Help:
            print(out, UsageText(homeFolder));
            return 0;
        case Command::Action::Version:
            print(out, QStringLiteral("kopira (Tamberlo) %1").arg(QString::fromLatin1(kTamberloVersion)));
            return 0;
        case Command::Action::Backup: {
            RemoveLeftovers(homeFolder, QDateTime::currentDateTime(), false);
            const QString folder =
                command.target.isEmpty() ? RememberedBackupFolder(homeFolder) : command.target;
            const Result<QString> made = backUp(household, folder, command);
            if (!made) {
                print(err, QStringLiteral("备份失败：%1").arg(made.error()));
                return 1;
            }
            print(out, QStringLiteral("已备份到 %1").arg(QDir::toNativeSeparators(made.value())));
            if (IsEncryptedBackup(made.value()))
                print(out, LostPassphraseText());
            return 0;
        }
        case Command::Action::Restore: {
            RemoveLeftovers(homeFolder, QDateTime::currentDateTime(), false);
            BackupSummary summary = Summarize(command.target);
            // An encrypted backup is decrypted beside the household first, and restored from there.
            std::shared_ptr<DecryptedBackup> decrypted;
            if (summary.encrypted) {
                Result<QString> passphrase =
                    command.passphraseFd >= 0
                        ? ReadPassphraseFromDescriptor(command.passphraseFd)
                        : ReadPassphraseFromTerminal(QStringLiteral("备份 %1 的口令：").arg(command.target));
                if (!passphrase) {
                    print(err, QStringLiteral("未恢复：%1\n当前帐本未作任何改动。").arg(passphrase.error()));
                    return 1;
                }
                const Result<std::shared_ptr<DecryptedBackup>> opened =
                    DecryptedBackup::Open(command.target, passphrase.value(), household.file);
                WipeText(passphrase.value());
                if (!opened) {
                    print(err, QStringLiteral("未恢复：%1").arg(opened.error()));
                    return 1;
                }
                decrypted = opened.value();
                summary = decrypted->summary();
            }
            if (!summary.problem.isEmpty()) {
                print(err, QStringLiteral("未恢复：%1\n当前帐本未作任何改动。").arg(summary.problem));
                return 1;
            }
            if (!household.problem.isEmpty()) {
                print(err, QStringLiteral("未恢复：%1").arg(household.problem));
                return 1;
            }
            if (!claimForRestore(household, command, err))
                return 1;
            print(out, DescribeBackup(summary));
            if (household.onServer())
                print(out,
                      QStringLiteral("将替换%1。请先让其他电脑上的 Tamberlo 都退出。").arg(household.name()));
            if (!command.yes && !confirmed(in, out)) {
                print(err, QStringLiteral("未恢复：没有确认。当前帐本未作任何改动。"));
                return 1;
            }
            const Result<QString> restored =
                RestoreHousehold(household, decrypted ? decrypted->path() : command.target,
                                 DefaultBackupFolder(homeFolder), QDateTime::currentDateTime());
            if (!restored) {
                print(err, QStringLiteral("恢复失败：%1").arg(restored.error()));
                return 1;
            }
            QString done = QStringLiteral("恢复完成：%1").arg(household.name());
            if (!restored.value().isEmpty())
                done +=
                    QStringLiteral("\n原来的帐本已另存为 %1").arg(QDir::toNativeSeparators(restored.value()));
            print(out, done);
            return 0;
        }
    }
    return 2;
}

}  // namespace Kopira
