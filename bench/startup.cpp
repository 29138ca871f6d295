// tamberlo-startup <program> <bare program> <home folder> [runs] [--profile]: the time from starting a
// process to its login window on screen, for the program, for a bare Qt dialog and for the same dialog
// with one line of Chinese (fonts read), as medians over the runs. With --profile it also prints where the
// program's time goes: the median moment each step of its start was reached (the "mark" lines the program
// prints when probed) and the time since the step before.
#include <QCoreApplication>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

qint64 monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

struct Run {
    double ms = -1;
    QList<QPair<QString, double>> marks;  // step, ms since the process was started
};

Run timeToLogin(const QString& program, const QString& home, const QStringList& arguments = {}) {
    // The probe ends the program at once, leaving its lock behind; a real start finds none after a
    // clean exit, so the stale one is not left to be examined and taken over.
    QFile::remove(home + QStringLiteral("/database/lomu.lock"));
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TAMBERLO_HOME"), home);
    env.insert(QStringLiteral("TAMBERLO_PROBE_LOGIN"), QStringLiteral("1"));
    env.insert(QStringLiteral("TAMBERLO_PROBE_PROFILE"), QStringLiteral("1"));
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    Run run;
    QByteArray output;
    const qint64 started = monotonicNs();
    process.start(program, arguments);
    while (process.state() != QProcess::NotRunning || process.bytesAvailable() > 0) {
        process.waitForReadyRead(50);
        output += process.readAll();
        if (output.contains("login-shown")) {
            run.ms = double(monotonicNs() - started) / 1e6;
            process.waitForFinished(5000);
            break;
        }
    }
    for (const QByteArray& line : output.split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 3 && parts[0] == "mark")
            run.marks.append({QString::fromLatin1(parts[1]), double(parts[2].toLongLong() - started) / 1e6});
    }
    return run;
}

double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? -1 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    const bool profile = args.removeAll(QStringLiteral("--profile")) > 0;
    if (args.size() < 4) {
        std::fprintf(stderr,
                     "usage: tamberlo-startup <program> <bare program> <home folder> [runs] [--profile]\n");
        return 2;
    }
    const int runs = args.size() > 4 ? args[4].toInt() : 11;
    QList<double> program;
    QList<double> bare;
    QList<double> bareText;
    QStringList steps;
    QMap<QString, QList<double>> stepTimes;
    for (int i = 0; i < runs; ++i) {  // interleaved, so that both see the same load
        bare.append(timeToLogin(args[2], args[3]).ms);
        bareText.append(timeToLogin(args[2], args[3], {QStringLiteral("--text")}).ms);
        const Run run = timeToLogin(args[1], args[3]);
        program.append(run.ms);
        for (const auto& [step, ms] : run.marks) {
            if (!steps.contains(step))
                steps.append(step);
            stepTimes[step].append(ms);
        }
    }
    const double p = median(program);
    const double b = median(bare);
    const double t = median(bareText);
    std::printf("start to login window: tamberlo %.1f ms, bare Qt dialog %.1f ms, ratio %.2f\n", p, b, p / b);
    std::printf("start to login window: bare Qt dialog with one line of Chinese %.1f ms, ratio %.2f\n", t,
                p / t);
    if (profile) {
        std::printf("  %-22s %9s %9s\n", "step reached", "at ms", "step ms");
        double before = 0;
        for (const QString& step : steps) {
            const double at = median(stepTimes[step]);
            std::printf("  %-22s %9.1f %9.1f\n", qPrintable(step), at, at - before);
            before = at;
        }
        std::printf("  %-22s %9.1f %9.1f\n", "login-shown", p, p - before);
    }
    return 0;
}
