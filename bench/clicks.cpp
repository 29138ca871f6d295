// tamberlo-clicks <household file> [repetitions]
//
// Drives the real main window on a copy of a generated household the way a user does, by the
// objectNames of the controls only, and times every everyday click: the side buttons, the summary's
// period choices and detail charts, 今天 and 全部 on both entry panels, 添加 with typing and 保存, 修改
// and 保存, 删除, a deposit and a withdrawal, the records window, the reminder panel, the user window and
// the postal lookup. Today is pinned to the household's last day and the login runs through the real
// login window as 001/123. Questions are answered through the Prompt seam (删除: yes).
//
// How a step is timed: the clock starts right before the mouse press and release are delivered to the
// control (as the window system delivers them) and stops when the event loop is idle again. "Idle"
// means: an application-wide event filter counts every event the application delivers (posted events,
// queued calls, timers, the update request that repaints the window and the paint events it sends to
// each widget); the loop is run pass after pass, and the step ends at the first two passes in a row
// that deliver nothing. The paint of the window (into its backing store and out to the screen) is
// therefore part of every figure. A click that opens a modal window is timed until the loop inside that
// window is idle with the window painted.
//
// The first session visits every panel and shows 全部 on both entry panels; the program then prints
// the peak resident memory (VmHWM) of that session, runs the steps again `repetitions` times (5 when not
// given) and prints one table: step, its time in the first session, median and worst ms of the
// repetitions, and whether it stays within one frame (16 ms). With TAMBERLO_CLICKS_SHOTS=<prefix> it
// also saves pictures of the reminder panel and the summary after the first session.
#include "app/mainForm.h"
#include "bench/HouseholdGenerator.h"
#include "kit/Prompt.h"
#include "kit/Today.h"
#include "ledger/EntryList.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <vector>

namespace {

constexpr double kFrameMs = 16.0;

// Counts every event the application delivers.
class EventCounter final : public QObject {
  public:
    quint64 delivered = 0;
    quint64 paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        ++delivered;
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

EventCounter* counter = nullptr;

// Runs the event loop until two passes in a row deliver no event.
void settle() {
    for (int quiet = 0; quiet < 2;) {
        const quint64 before = counter->delivered;
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        quiet = counter->delivered == before ? quiet + 1 : 0;
    }
}

// Answers every question yes and every notice OK at once. An error report or a refusal is printed, as
// it means the step did not do what it was meant to.
class YesPrompt final : public Prompt {
  public:
    YesPrompt() { Prompt::install(this); }
    ~YesPrompt() override { Prompt::install(nullptr); }
    // The notice of today's reminders at the first showing is expected; boxes are reported after it.
    bool reporting = false;

    Answer show(const QString&, const QString& text, Buttons buttons, Icon icon) override {
        if (reporting && (icon == Icon::Critical || icon == Icon::Warning))
            std::fprintf(stderr, "box: %s\n", qPrintable(text.left(60)));
        return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Answer::Yes : Answer::Ok;
    }
};

// The figures of every step: its first time in the run (a window or list used for the first time) and
// the times of the repeated sessions.
struct Timings {
    std::vector<QString> order;
    std::map<QString, double> first;
    std::map<QString, QList<double>> ms;
    bool firstSession = true;

    void add(const QString& step, double value) {
        if (firstSession) {
            if (!first.count(step)) {
                order.push_back(step);
                first[step] = value;
            }
            return;
        }
        ms[step].append(value);
    }
};

Timings timings;

double elapsedMs(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

// One timed step: the action (a click, a key) from idle to idle.
void timed(const QString& step, const std::function<void()>& action) {
    settle();
    QElapsedTimer t;
    const quint64 paintsBefore = counter->paints;
    t.start();
    action();
    settle();
    timings.add(step, elapsedMs(t));
    if (qEnvironmentVariableIsSet("TAMBERLO_CLICKS_PAINTS"))
        std::fprintf(stderr, "%s: %llu paint events\n", qPrintable(step),
                     static_cast<unsigned long long>(counter->paints - paintsBefore));
}

void click(QWidget* widget) {
    if (!widget->isEnabled() || !widget->isVisible())
        std::fprintf(stderr, "clicking %s, which is %s\n", qPrintable(widget->objectName()),
                     widget->isEnabled() ? "hidden" : "disabled");
    QTest::mouseClick(widget, Qt::LeftButton);
}

std::function<void()> clicking(QWidget* widget) {
    return [widget] { click(widget); };
}

template <typename T = QWidget>
T* child(QObject* parent, const char* name) {
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

// Times a click (or a menu item, `open`) that opens a modal window until the window is up and idle;
// `inside` then drives the window (its own steps timed) and leaves it; the way back is timed as `step`
// + " 离开".
void timedModal(const QString& step, const std::function<void()>& open,
                const std::function<void(QWidget*)>& inside) {
    settle();
    QElapsedTimer t;
    QElapsedTimer leaving;
    bool opened = false;
    QTimer::singleShot(0, qApp, [&] {
        settle();
        timings.add(step, elapsedMs(t));
        opened = true;
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog)
            qFatal("%s opened no window", qPrintable(step));
        inside(dialog);
        leaving.start();
    });
    t.start();
    open();
    settle();
    if (!opened)
        qFatal("%s opened no window", qPrintable(step));
    timings.add(step + QStringLiteral(" 离开"), elapsedMs(leaving));
}

// One key typed, as the window system delivers it: a press and a release carrying the character (an
// input method hands over a Chinese character the same way).
void typeKey(QWidget* box, QChar c) {
    if (c.unicode() < 0x80) {
        QTest::keyClick(box, char(c.unicode()));
        return;
    }
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(box, &press);
    QApplication::sendEvent(box, &release);
}

void typeInto(const QString& step, QWidget* box, const QString& text) {
    for (const QChar c : text)
        timed(step, [box, c] { typeKey(box, c); });
}

void clickAction(QMainWindow& form, const char* name) {
    child<QAction>(&form, name)->trigger();
}

// The session of one user: every step once.
class Session {
  public:
    explicit Session(QMainWindow& form) : form_(form) {}

    void sideButtons() {
        static const char* const kButtons[][2] = {{"SpeedButton3", "收入管理"},
                                                  {"SpeedButton4", "支出管理"},
                                                  {"SpeedButton5", "银行帐务"},
                                                  {"SpeedButton6", "提醒操作"},
                                                  {"SpeedButton2", "帐务信息"}};
        for (const auto& b : kButtons)
            timed(QStringLiteral("侧边按钮 ") + QString::fromUtf8(b[1]), [&] { click(child(&form_, b[0])); });
    }

    void summary() {
        timed(QStringLiteral("侧边按钮 帐务信息"), [&] { click(child(&form_, "SpeedButton2")); });
        QWidget* panel = child(&form_, "Panel2");
        static const char* const kChoices[][2] = {{"RadioButton1", "本日"}, {"RadioButton2", "昨日"},
                                                  {"RadioButton3", "本月"}, {"RadioButton4", "上月"},
                                                  {"RadioButton5", "本年"}, {"RadioButton6", "去年"}};
        for (const auto& c : kChoices) {
            const QString period = QString::fromUtf8(c[1]);
            timed(QStringLiteral("帐务 ") + period, [&] { click(child(panel, c[0])); });
            timed(QStringLiteral("帐务 ") + period + QStringLiteral(" 收入明细查看"),
                  [&] { click(child(panel, "SpeedButton7")); });
            timed(QStringLiteral("帐务 ") + period + QStringLiteral(" 支出明细查看"),
                  [&] { click(child(panel, "SpeedButton8")); });
        }
        timed(QStringLiteral("帐务 任意"), [&] { click(child(panel, "RadioButton7")); });
        click(child(panel, "RadioButton3"));
    }

    struct EntryNames {
        const char* side;
        const char* panel;
        const char* title;
        const char* todayChoice;
        const char* allChoice;
        const char* grid;
        const char* detail;
        const char* amount;
        const char* add;
        const char* edit;
        const char* save;
        const char* remove;
    };

    static constexpr EntryNames kIncome{"SpeedButton3",  "Panel3",        "收入",          "RadioButton13",
                                        "RadioButton14", "DBGridEh1",     "DBComboBox1",   "DBEdit1",
                                        "SpeedButton10", "SpeedButton11", "SpeedButton12", "SpeedButton13"};
    static constexpr EntryNames kExpense{"SpeedButton4",  "Panel4",        "支出",          "RadioButton11",
                                         "RadioButton12", "DBGridEh2",     "DBComboBox2",   "DBEdit5",
                                         "SpeedButton17", "SpeedButton20", "SpeedButton21", "SpeedButton22"};

    // 全部 and 今天, then a row added, edited and deleted while `listAll` decides which list is shown.
    void entries(const EntryNames& n, bool listAll) {
        click(child(&form_, n.side));
        settle();
        QWidget* panel = child(&form_, n.panel);
        const QString title = QString::fromUtf8(n.title);
        timed(title + QStringLiteral(" 全部"), [&] { click(child(panel, n.allChoice)); });
        timed(title + QStringLiteral(" 今天"), [&] { click(child(panel, n.todayChoice)); });
        if (listAll) {
            click(child(panel, n.allChoice));
            // A user looks at the list before adding to it; meanwhile it reads its landmarks in the
            // background. Their time is printed, not counted as a click.
            auto* rows = panel->findChild<EntryListModel*>();
            QElapsedTimer reading;
            reading.start();
            while (rows && !rows->hasLandmarks() && reading.elapsed() < 10000)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
            std::printf("%s 全部: landmarks read in the background in %.0f ms\n", n.title,
                        double(reading.nsecsElapsed()) / 1e6);
        }
        const QString list = listAll ? QStringLiteral("（全部）") : QStringLiteral("（今天）");
        auto* detail = child<QComboBox>(panel, n.detail);
        auto* amount = child<QLineEdit>(panel, n.amount);
        timed(title + QStringLiteral(" 添加") + list, [&] { click(child(panel, n.add)); });
        // A detail that sorts last among those recorded puts the row near the end of 全部.
        detail->lineEdit()->clear();
        typeInto(title + QStringLiteral(" 键入一个字"), detail->lineEdit(), QStringLiteral("鼠标垫"));
        typeInto(title + QStringLiteral(" 键入一个字"), amount, QStringLiteral("12.5"));
        timed(title + QStringLiteral(" 保存（新行）") + list, [&] { click(child(panel, n.save)); });
        auto* grid = child<QTableView>(panel, n.grid);
        if (detail->currentText() != QStringLiteral("鼠标垫") || !grid->currentIndex().isValid())
            std::fprintf(stderr, "%s: the saved row is not the current one\n", qPrintable(title));
        timed(title + QStringLiteral(" 修改") + list, [&] { click(child(panel, n.edit)); });
        amount->selectAll();
        typeInto(title + QStringLiteral(" 键入一个字"), amount, QStringLiteral("13"));
        timed(title + QStringLiteral(" 保存（修改）") + list, [&] { click(child(panel, n.save)); });
        timed(title + QStringLiteral(" 删除") + list, [&] { click(child(panel, n.remove)); });
        if (listAll)
            click(child(panel, n.todayChoice));
        settle();
    }

    void bank() {
        timed(QStringLiteral("侧边按钮 银行帐务"), [&] { click(child(&form_, "SpeedButton5")); });
        QWidget* panel = child(&form_, "Panel5");
        auto* grid = child<QTableView>(panel, "DBGridEh3");
        // The second place listed is a bank (the first is the home safe).
        const auto chooseBank = [grid] {
            const QRect row = grid->visualRect(grid->model()->index(1, 0));
            timed(QStringLiteral("银行 选中一行"),
                  [&] { QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row.center()); });
        };
        chooseBank();
        auto* amount = child<QLineEdit>(panel, "Edit1");
        timed(QStringLiteral("银行 存款"), [&] { click(child(panel, "SpeedButton25")); });
        typeInto(QStringLiteral("银行 键入一个字"), amount, QStringLiteral("100"));
        timed(QStringLiteral("银行 存款（执行）"), [&] { click(child(panel, "SpeedButton28")); });
        chooseBank();
        timed(QStringLiteral("银行 取款"), [&] { click(child(panel, "SpeedButton26")); });
        typeInto(QStringLiteral("银行 键入一个字"), amount, QStringLiteral("100"));
        timed(QStringLiteral("银行 取款（执行）"), [&] { click(child(panel, "SpeedButton29")); });
        timedModal(QStringLiteral("存取记录"), clicking(child(panel, "SpeedButton31")), [](QWidget* records) {
            timed(QStringLiteral("存取记录 取款"), [&] { click(child(records, "RadioButton2")); });
            timed(QStringLiteral("存取记录 存款"), [&] { click(child(records, "RadioButton1")); });
            click(child(records, "SpeedButton30"));
        });
    }

    void reminders() {
        timed(QStringLiteral("侧边按钮 提醒操作"), [&] { click(child(&form_, "SpeedButton6")); });
        QWidget* panel = child(&form_, "Panel6");
        auto* content = child<QPlainTextEdit>(panel, "Memo1");
        content->setFocus();
        typeInto(QStringLiteral("提醒 键入一个字"), content, QStringLiteral("交电费"));
        timed(QStringLiteral("提醒 保存提醒"), [&] { click(child(panel, "SpeedButton34")); });
        timed(QStringLiteral("提醒 删除提醒"), [&] { click(child(panel, "SpeedButton32")); });
        content->clear();
    }

    void users() {
        timedModal(QStringLiteral("用户权限管理"), clicking(child(&form_, "SpeedButton15")),
                   [](QWidget* window) { click(child(window, "SpeedButton1")); });
    }

    // The about box holds no data: what any new modal window costs here, to set the others against.
    void about() {
        timedModal(
            QStringLiteral("关于（无数据的窗口，参照）"), [this] { clickAction(form_, "N15"); },
            [](QWidget* box) { click(child(box, "OKButton")); });
    }

    void postal() {
        // The menu item 邮政编码 has no button; its action is triggered as the menu does.
        timedModal(
            QStringLiteral("邮编（菜单）"), [this] { clickAction(form_, "N55"); },
            [](QWidget* lookup) {
                auto* text = child<QLineEdit>(lookup, "Edit1");
                text->setFocus();
                typeInto(QStringLiteral("邮编 键入一个字"), text, QStringLiteral("海"));
                timed(QStringLiteral("邮编 查询"), [&] { click(child(lookup, "SpeedButton2")); });
                timed(QStringLiteral("邮编 全部"), [&] { click(child(lookup, "SpeedButton9")); });
                click(child(lookup, "SpeedButton1"));
            });
    }

    void everything() {
        sideButtons();
        summary();
        entries(kIncome, false);
        entries(kExpense, true);
        entries(kIncome, true);
        bank();
        reminders();
        users();
        postal();
        about();
        click(child(&form_, "SpeedButton2"));
        settle();
    }

  private:
    QMainWindow& form_;
};

// Logs in as 001/123 through the login window's own boxes and button whenever it shows.
class LoginDriver final : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->objectName() == QStringLiteral("Form2") &&
            watched->isWidgetType()) {
            auto* login = static_cast<QWidget*>(watched);
            QTimer::singleShot(0, login, [login] {
                QTest::keyClicks(child(login, "Edit1"), QStringLiteral("001"));
                QTest::keyClicks(child(login, "Edit2"), QStringLiteral("123"));
                click(child(login, "SpeedButton1"));
            });
        }
        return false;
    }
};

QString peakResident() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return QString::fromLatin1(line.mid(6).trimmed());
    }
    return QStringLiteral("?");
}

double kib(const QString& field) {
    return field.section(QLatin1Char(' '), 0, 0).toDouble();
}

// Display width: a Chinese character takes two columns.
int width(const QString& s) {
    int w = 0;
    for (const QChar c : s)
        w += c.unicode() >= 0x2E80 ? 2 : 1;
    return w;
}

void printTable() {
    int nameWidth = width(QStringLiteral("step"));
    for (const QString& step : timings.order)
        nameWidth = std::max(nameWidth, width(step));
    const auto pad = [nameWidth](const QString& s) {
        return s + QString(nameWidth - width(s), QLatin1Char(' '));
    };
    // "yes": even the worst repetition within one frame; "median": the usual time is, a slower repetition
    // was not; "NO": the usual time is not.
    std::printf("%s | first ms | median ms | worst ms | within 16 ms\n",
                qPrintable(pad(QStringLiteral("step"))));
    std::printf("%s-+----------+-----------+----------+-------------\n",
                qPrintable(QString(nameWidth, QLatin1Char('-'))));
    int over = 0;
    for (const QString& step : timings.order) {
        QList<double> values = timings.ms[step];
        if (values.isEmpty())
            continue;
        std::sort(values.begin(), values.end());
        const double median = values[values.size() / 2];
        const double worst = values.last();
        const char* verdict = worst < kFrameMs ? "yes" : median < kFrameMs ? "median" : "NO";
        over += median < kFrameMs ? 0 : 1;
        std::printf("%s | %8.2f | %9.2f | %8.2f | %s\n", qPrintable(pad(step)), timings.first[step], median,
                    worst, verdict);
    }
    std::printf("steps: %zu, over one frame (median): %d\n", timings.order.size(), over);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tamberlo-clicks <household file> [repetitions]\n");
        return 2;
    }
    const QString source = QString::fromLocal8Bit(argv[1]);
    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

    // Offscreen unless told otherwise, on a screen of a common desktop size, so that the grids show
    // as many rows as a user sees.
    QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/tamberlo-clicks-XXXXXX"));
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen") {
        const QString screen = scratch.filePath(QStringLiteral("screen.json"));
        QFile json(screen);
        if (!json.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(screen));
        json.write(R"({"screens": [{"name": "bench", "x": 0, "y": 0, "width": 1920, "height": 1080,
                    "logicalDpi": 96, "logicalBpi": 96, "dpr": 1}]})");
        json.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screen));
    }
    QApplication app(argc, argv);

    const QString home = scratch.path();
    QDir(home).mkpath(QStringLiteral("database"));
    const QString database = home + QStringLiteral("/database/lomu.mdb");
    if (!QFile::copy(source, database))
        qFatal("cannot copy %s", qPrintable(source));
    QFile::setPermissions(database, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    PinToday(kGeneratedToday);
    YesPrompt prompt;
    LoginDriver login;
    app.installEventFilter(&login);
    EventCounter events;
    counter = &events;
    app.installEventFilter(&events);

    TForm1 form(home);
    bool ready = false;
    QObject::connect(&form, &TForm1::firstShowingDone, &form, [&ready] { ready = true; });
    form.show();
    while (!ready)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    settle();
    prompt.reporting = true;

    const QString afterLogin = peakResident();
    std::printf("peak resident memory at the main window after the login: %s\n", qPrintable(afterLogin));

    Session session(form);
    session.everything();
    const QString afterSession = peakResident();
    std::printf(
        "peak resident memory after a session over every panel (全部 on both entry panels): %s "
        "(%.1f MiB, target under 80 MiB)\n",
        qPrintable(afterSession), kib(afterSession) / 1024.0);

    // Pictures of the panels after the first session, to look at what the clicks drew.
    if (const QString shots = qEnvironmentVariable("TAMBERLO_CLICKS_SHOTS"); !shots.isEmpty()) {
        const auto shoot = [&form, &shots](const char* button, const char* what) {
            click(child(&form, button));
            settle();
            form.grab().save(shots + QStringLiteral("-%1.png").arg(QString::fromLatin1(what)));
        };
        shoot("SpeedButton6", "reminders");
        shoot("SpeedButton2", "summary");
        click(child(child(&form, "Panel2"), "RadioButton5"));
        shoot("SpeedButton8", "summary-year-expense");
    }

    timings.firstSession = false;
    for (int i = 0; i < repetitions; ++i)
        session.everything();
    printTable();
    std::printf("peak resident memory after %d more sessions: %s\n", repetitions, qPrintable(peakResident()));
    std::fflush(stdout);
    return 0;
}
