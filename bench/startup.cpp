// tamberlo-startup <program> <bare program> <home folder> [runs]: the time from starting a process to
// its login window on screen, for the program and for a bare Qt dialog, as medians over the runs.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>

#include <algorithm>
#include <cstdio>

namespace {

double timeToLogin(const QString& program, const QString& home) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TAMBERLO_HOME"), home);
    env.insert(QStringLiteral("TAMBERLO_PROBE_LOGIN"), QStringLiteral("1"));
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM"))) env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    process.start(program, {});
    while (process.state() != QProcess::NotRunning || process.bytesAvailable() > 0) {
        process.waitForReadyRead(50);
        if (process.readAll().contains("login-shown")) {
            const double ms = double(timer.nsecsElapsed()) / 1e6;
            process.waitForFinished(5000);
            return ms;
        }
    }
    return -1;
}

double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? -1 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: tamberlo-startup <program> <bare program> <home folder> [runs]\n");
        return 2;
    }
    const int runs = args.size() > 4 ? args[4].toInt() : 11;
    QList<double> program;
    QList<double> bare;
    for (int i = 0; i < runs; ++i) {  // interleaved, so that both see the same load
        bare.append(timeToLogin(args[2], args[3]));
        program.append(timeToLogin(args[1], args[3]));
    }
    const double p = median(program);
    const double b = median(bare);
    std::printf("start to login window: tamberlo %.1f ms, bare Qt dialog %.1f ms, ratio %.2f\n", p, b, p / b);
    return 0;
}
