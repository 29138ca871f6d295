#include "bench/BenchSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

QuietPrompt::QuietPrompt() {
    Prompt::install(this);
}

QuietPrompt::~QuietPrompt() {
    Prompt::install(nullptr);
}

Prompt::Answer QuietPrompt::show(const QString&, const QString& text, Buttons buttons, Icon) {
    ++boxes_;
    lastText_ = text;
    switch (buttons) {
        case Buttons::Ok:
            return Answer::Ok;
        case Buttons::YesNo:
        case Buttons::YesNoDefaultNo:
            return Answer::No;
        case Buttons::OkCancel:
        case Buttons::YesNoCancel:
            return Answer::Cancel;
    }
    return Answer::Cancel;
}

double ResidentMiB() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2)
        return -1;
    return fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double HeapInUseMiB() {
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
}

namespace {

double runShellOnce(const QString& databaseFile, const QByteArray& script) {
    QProcess shell;
    shell.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer timer;
    timer.start();
    shell.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), databaseFile});
    if (!shell.waitForStarted(10000))
        return -1;
    shell.write(script);
    shell.closeWriteChannel();
    if (!shell.waitForFinished(600000))
        return -1;
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    const QByteArray errors = shell.readAllStandardError();
    if (shell.exitCode() != 0 || !errors.isEmpty()) {
        std::fprintf(stderr, "sqlite3: %s\n", errors.constData());
        return -1;
    }
    return seconds;
}

}  // namespace

double ShellSecondsPerRun(const QString& databaseFile, const QByteArray& setup, const QByteArray& statements,
                          int repeats, int rounds) {
    repeats = std::max(repeats, 2);
    const QByteArray head = QByteArrayLiteral(".output /dev/null\n") + setup;
    const QByteArray once = head + statements;
    QByteArray many = head;
    for (int i = 0; i < repeats; ++i)
        many += statements;
    QList<double> once1;
    QList<double> onceN;
    for (int r = 0; r < std::max(rounds, 1); ++r) {
        const double t1 = runShellOnce(databaseFile, once);
        const double tn = runShellOnce(databaseFile, many);
        if (t1 < 0 || tn < 0)
            return -1;
        once1.append(t1);
        onceN.append(tn);
    }
    std::sort(once1.begin(), once1.end());
    std::sort(onceN.begin(), onceN.end());
    return std::max(0.0, onceN[onceN.size() / 2] - once1[once1.size() / 2]) / double(repeats - 1);
}

double ShellTimedSecondsPerRun(const QString& databaseFile, const QByteArray& statements,
                               int statementsPerRun, int runs) {
    // The shell's timer line goes to its standard output even while the results go to /dev/null.
    QByteArray script = QByteArrayLiteral(".output /dev/null\n") + statements + ".timer on\n";
    for (int i = 0; i < runs; ++i)
        script += statements;
    QProcess shell;
    shell.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), databaseFile});
    if (!shell.waitForStarted(10000))
        return -1;
    shell.write(script);
    shell.closeWriteChannel();
    if (!shell.waitForFinished(600000) || shell.exitCode() != 0)
        return -1;
    static const QRegularExpression timer(QStringLiteral("Run Time: real ([0-9.]+)"));
    QList<double> times;
    auto it = timer.globalMatch(QString::fromUtf8(shell.readAllStandardOutput()));
    while (it.hasNext())
        times.append(it.next().captured(1).toDouble());
    if (times.size() != runs * statementsPerRun)
        return -1;
    QList<double> perRun;
    for (int i = 0; i < runs; ++i) {
        double sum = 0;
        for (int k = 0; k < statementsPerRun; ++k)
            sum += times[i * statementsPerRun + k];
        perRun.append(sum);
    }
    std::sort(perRun.begin(), perRun.end());
    return perRun[perRun.size() / 2];
}

QByteArray SqlText(const QString& text) {
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return (QLatin1Char('\'') + quoted + QLatin1Char('\'')).toUtf8();
}
