#include "app/CommandLine.h"

#include "data/Version.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <algorithm>
#include <iterator>

namespace {

struct QtOption {
    const char* name;
    const char* value;  // nullptr for a switch
    const char* help;
};

// The options QApplication takes out of the command line itself (X11's included).
constexpr QtOption kQtOptions[] = {
    {"platform", "名称", "窗口系统插件，如 xcb、wayland、offscreen (platform plugin)"},
    {"platformpluginpath", "路径", "再到此文件夹查找窗口系统插件"},
    {"platformtheme", "名称", "桌面主题插件 (platform theme)"},
    {"plugin", "名称", "另外加载的输入插件"},
    {"qwindowgeometry", "几何", "第一个窗口的大小和位置，如 800x600+0+0"},
    {"qwindowicon", "图标", "窗口的默认图标"},
    {"qwindowtitle", "标题", "第一个窗口的标题"},
    {"qmljsdebugger", "端口", "QML 调试器的设置"},
    {"style", "样式", "Qt 的控件样式，如 Fusion (widget style)"},
    {"stylesheet", "文件", "另外应用的样式表文件"},
    {"session", "会话", "恢复桌面会话"},
    {"display", "显示", "X11 的显示，如 :0"},
    {"geometry", "几何", "同 -qwindowgeometry (X11)"},
    {"name", "名称", "X11 的程序名"},
    {"visual", "名称", "X11 的显示模式"},
    {"reverse", nullptr, "界面从右到左排列"},
    {"widgetcount", nullptr, "结束时报告还剩多少控件"},
    {"nograb", nullptr, "不独占鼠标和键盘（调试用）"},
    {"dograb", nullptr, "仍然独占鼠标和键盘（调试用）"},
    {"sync", nullptr, "X11 同步模式（调试用）"},
};

QString brackets(const QString& english) {
    return english.isEmpty() ? QString() : QStringLiteral(" (") + english + QLatin1Char(')');
}

}  // namespace

CommandLineChoice ReadCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    // -platform is one word, not -p -l -a ...; --platform works as well.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOption(help);
    parser.addOption(version);
    for (const QtOption& option : kQtOptions) {
        if (option.value)
            parser.addOption(QCommandLineOption(QString::fromLatin1(option.name), QString(),
                                                QString::fromUtf8(option.value)));
        else
            parser.addOption(QCommandLineOption(QString::fromLatin1(option.name)));
    }

    CommandLineChoice choice;
    // Qt reads its options only as "-platform xcb", never "-platform=xcb": the program would start with
    // the option silently unused. (Only -qmljsdebugger=port:N is written with an equals sign.)
    for (const QString& argument : arguments.mid(1)) {
        const QString name =
            argument.section(QLatin1Char('='), 0, 0).remove(QRegularExpression(QStringLiteral("^--?")));
        const bool qtOption = name != QLatin1String("qmljsdebugger") &&
                              std::any_of(std::begin(kQtOptions), std::end(kQtOptions),
                                          [&](const QtOption& o) { return name == QLatin1String(o.name); });
        if (argument.startsWith(QLatin1Char('-')) && argument.contains(QLatin1Char('=')) && qtOption) {
            choice.action = CommandLineChoice::Action::Mistake;
            choice.mistake =
                QStringLiteral("Qt 的选项和它的取值之间请用空格，不要用等号，例如 -platform xcb。") +
                brackets(QStringLiteral("Qt does not read '%1'").arg(argument));
            return choice;
        }
    }
    if (!parser.parse(arguments)) {
        choice.action = CommandLineChoice::Action::Mistake;
        choice.mistake =
            QStringLiteral("命令行有误，请检查选项的拼写和取值。") + brackets(parser.errorText());
        return choice;
    }
    if (parser.isSet(help)) {
        choice.action = CommandLineChoice::Action::Help;
    } else if (parser.isSet(version)) {
        choice.action = CommandLineChoice::Action::Version;
    } else if (!parser.positionalArguments().isEmpty()) {
        choice.action = CommandLineChoice::Action::Mistake;
        choice.mistake = QStringLiteral("tamberlo 不接受文件名或其他参数：") +
                         parser.positionalArguments().join(QLatin1Char(' ')) +
                         QStringLiteral("。家庭数据的位置请用环境变量 TAMBERLO_HOME 指定。") +
                         brackets(QStringLiteral("unexpected argument"));
    }
    return choice;
}

QString CommandLineVersion() {
    return QStringLiteral("tamberlo ") + QString::fromLatin1(kTamberloVersion) + QLatin1Char('\n');
}

QString CommandLineUsage() {
    return QStringLiteral(
        "用法 (usage): tamberlo [选项]\n"
        "请用 tamberlo --help 查看全部选项 (see tamberlo --help)。\n");
}

QString CommandLineHelp(const QString& currentHome) {
    QString text = QStringLiteral(
                       "用法 (usage): tamberlo [选项]\n\n"
                       "Tamberlo 家庭理财 %1：记录家庭的收入与支出，管理家中的现金和银行帐户。\n"
                       "A household money keeper; its windows are in Chinese.\n\n"
                       "选项 (options):\n"
                       "  -h, --help                   显示本帮助后退出 (show this help)\n"
                       "  -v, --version                显示版本号后退出 (show the version)\n\n"
                       "Qt 的选项，一个或两个短横线均可 (Qt's own options):\n")
                       .arg(QString::fromLatin1(kTamberloVersion));
    for (const QtOption& option : kQtOptions) {
        QString left = QStringLiteral("  -") + QString::fromLatin1(option.name);
        if (option.value)
            left += QStringLiteral(" <") + QString::fromUtf8(option.value) + QLatin1Char('>');
        // Chinese characters take two columns: pad by the visible width.
        int width = 0;
        for (const QChar c : left)
            width += c.unicode() >= 0x2E80 ? 2 : 1;
        text += left + QString(qMax(1, 31 - width), QLatin1Char(' ')) + QString::fromUtf8(option.help) +
                QLatin1Char('\n');
    }
    text += QStringLiteral(
                "\n家庭数据所在的文件夹 (where the household lives)，依次为：\n"
                "  1. 环境变量 $TAMBERLO_HOME 所指的文件夹；\n"
                "  2. 程序所在的文件夹，如果它旁边已有 database 文件夹（便携版；安装的程序不用此项）；\n"
                "  3. ~/.local/share/tamberlo。\n"
                "本次为 (this run)：%1\n"
                "其中 database/lomu.mdb 是数据库，database/lomu.ini 是设置，database/backup/ 存放自动备份。\n"
                "备份和恢复请用 kopira（见 kopira --help 和 man kopira）。\n\n"
                "退出状态 (exit status)：0 正常结束；2 命令行有误；其他非零值表示程序因错误而结束。\n")
                .arg(currentHome);
    return text;
}
