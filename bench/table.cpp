// tamberlo-bench-table <results folder> <size>...: one table of the figures of a benchmark run. For each
// size it reads <size>.json (tamberlo_bench --benchmark_format=json) and startup-<size>.txt (the line
// of tamberlo-startup), and sets each figure beside the bare engine's or the bare dialog's where there is
// one. The last column says whether the largest size meets its target.
#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>

namespace {

struct Figure {
    double ms = -1;
    QJsonObject row;
};

// Every benchmark of a run by its base name and argument ("BM_TotalsQuery/2").
using Run = QMap<QString, Figure>;

QString keyOf(const QString& name) {
    QStringList parts = name.split(QLatin1Char('/'));
    QStringList kept;
    for (const QString& p : parts) {
        if (p.startsWith(QLatin1String("manual_time")) || p.startsWith(QLatin1String("iterations:")) ||
            p.startsWith(QLatin1String("repeats:")) || p.startsWith(QLatin1String("real_time")))
            continue;
        kept.append(p);
    }
    return kept.join(QLatin1Char('/'));
}

Run readRun(const QString& file) {
    Run run;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return run;
    const QJsonArray rows =
        QJsonDocument::fromJson(f.readAll()).object().value(QStringLiteral("benchmarks")).toArray();
    for (const QJsonValue& v : rows) {
        const QJsonObject row = v.toObject();
        if (row.value(QStringLiteral("error_occurred")).toBool())
            continue;
        double ms = row.value(QStringLiteral("real_time")).toDouble();
        const QString unit = row.value(QStringLiteral("time_unit")).toString();
        if (unit == QLatin1String("ns"))
            ms /= 1e6;
        else if (unit == QLatin1String("us"))
            ms /= 1e3;
        else if (unit == QLatin1String("s"))
            ms *= 1e3;
        // Of repeated benchmarks the median is kept.
        const QString aggregate = row.value(QStringLiteral("aggregate_name")).toString();
        if (!aggregate.isEmpty() && aggregate != QLatin1String("median"))
            continue;
        QString name = row.value(QStringLiteral("run_name")).toString();
        if (name.isEmpty())
            name = row.value(QStringLiteral("name")).toString();
        run.insert(keyOf(name), {ms, row});
    }
    return run;
}

// The figures of tamberlo-clicks (its table's lines "step | first | median | worst | verdict" and its
// peak memory line), put into the run as "click:<step>" (median, with worst_ms beside it) and
// "click-peak" (MiB). Gives the steps in the order printed.
QStringList readClicks(const QString& file, Run& run) {
    QStringList steps;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return steps;
    static const QRegularExpression step(
        QStringLiteral("^(.+?)\\s*\\|\\s*([0-9.]+)\\s*\\|\\s*([0-9.]+)\\s*\\|\\s*([0-9.]+)\\s*\\|"));
    static const QRegularExpression peak(
        QStringLiteral("^peak resident memory after a session.*\\(([0-9.]+) MiB"));
    for (const QString& line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
        if (const QRegularExpressionMatch m = step.match(line); m.hasMatch()) {
            QJsonObject row;
            row.insert(QStringLiteral("worst_ms"), m.captured(4).toDouble());
            run.insert(QStringLiteral("click:") + m.captured(1), {m.captured(3).toDouble(), row});
            steps.append(m.captured(1));
        } else if (const QRegularExpressionMatch p = peak.match(line); p.hasMatch()) {
            run.insert(QStringLiteral("click-peak"), {p.captured(1).toDouble(), {}});
        }
    }
    return steps;
}

struct Startup {
    double program = -1;
    double bare = -1;
    double bareText = -1;  // the bare dialog with one line of Chinese
};

Startup readStartup(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    static const QRegularExpression line(
        QStringLiteral("tamberlo ([0-9.]+) ms, bare Qt dialog ([0-9.]+) ms"));
    static const QRegularExpression textLine(QStringLiteral("one line of Chinese ([0-9.]+) ms"));
    const QString text = QString::fromUtf8(f.readAll());
    const QRegularExpressionMatch m = line.match(text);
    if (!m.hasMatch())
        return {};
    const QRegularExpressionMatch t = textLine.match(text);
    return {m.captured(1).toDouble(), m.captured(2).toDouble(), t.hasMatch() ? t.captured(1).toDouble() : -1};
}

QString ms(double v) {
    if (v < 0)
        return QStringLiteral("-");
    if (v < 1)
        return QString::number(v, 'f', 3) + QStringLiteral(" ms");
    if (v < 100)
        return QString::number(v, 'f', 2) + QStringLiteral(" ms");
    return QString::number(v, 'f', 0) + QStringLiteral(" ms");
}

QString ratio(double a, double b) {
    return a < 0 || b <= 0 ? QStringLiteral("-") : QString::number(a / b, 'f', 2) + QStringLiteral("x");
}

// One line of the table: the cell text for a size, and whether the figures of a size meet the target.
struct Line {
    QString what;
    std::function<QString(const Run&, const Startup&)> cell;
    QString target;
    std::function<std::optional<bool>(const Run&, const Startup&)> met;
};

double fig(const Run& run, const QString& key) {
    return run.value(key).ms;
}

double counter(const Run& run, const QString& key, const char* name) {
    const QJsonValue v = run.value(key).row.value(QString::fromLatin1(name));
    return v.isDouble() ? v.toDouble() : -1;
}

double oursOf(const Run& run, const QString& ours, const QString& shell) {
    return ours.isEmpty() ? counter(run, shell, "ours_ms") : fig(run, ours);
}

std::optional<bool> within(double value, double limit) {
    if (value < 0)
        return std::nullopt;
    return value <= limit;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: tamberlo-bench-table <results folder> <size>...\n");
        return 2;
    }
    const QString folder = args[1];
    const QStringList sizes = args.mid(2);
    QMap<QString, Run> runs;
    QMap<QString, Startup> startups;
    QStringList clickSteps;
    for (const QString& s : sizes) {
        runs.insert(s, readRun(folder + QStringLiteral("/%1.json").arg(s)));
        for (const QString& step : readClicks(folder + QStringLiteral("/clicks-%1.txt").arg(s), runs[s])) {
            if (!clickSteps.contains(step))
                clickSteps.append(step);
        }
        startups.insert(s, readStartup(folder + QStringLiteral("/startup-%1.txt").arg(s)));
    }

    QList<Line> lines;
    lines.append({QStringLiteral("start to login window (vs bare Qt dialog)"),
                  [](const Run&, const Startup& st) {
                      return QStringLiteral("%1 / %2 = %3")
                          .arg(ms(st.program), ms(st.bare), ratio(st.program, st.bare));
                  },
                  QStringLiteral("<= 1.5x"),
                  [](const Run&, const Startup& st) {
                      return st.bare > 0 ? within(st.program / st.bare, 1.5) : std::nullopt;
                  }});
    lines.append({QStringLiteral("start to login window (vs bare dialog with one line of Chinese)"),
                  [](const Run&, const Startup& st) {
                      return QStringLiteral("%1 / %2 = %3")
                          .arg(ms(st.program), ms(st.bareText), ratio(st.program, st.bareText));
                  },
                  QStringLiteral("<= 1.5x"),
                  [](const Run&, const Startup& st) {
                      return st.bareText > 0 ? within(st.program / st.bareText, 1.5) : std::nullopt;
                  }});
    lines.append(
        {QStringLiteral("main window created (part of the start)"),
         [](const Run& r, const Startup&) { return ms(fig(r, QStringLiteral("BM_MainWindowCreated"))); },
         QString(), nullptr});
    lines.append(
        {QStringLiteral("first showing after login"),
         [](const Run& r, const Startup&) { return ms(fig(r, QStringLiteral("BM_FirstShowingAfterLogin"))); },
         QStringLiteral("< 150 ms"),
         [](const Run& r, const Startup&) {
             return within(fig(r, QStringLiteral("BM_FirstShowingAfterLogin")), 150);
         }});
    const char* const periods[] = {"today", "month", "year", "all"};
    const auto versusShell = [&lines, &periods](const QString& title, const QString& ours,
                                                const QString& shell, bool timeLimitForMonth) {
        for (int p = 0; p < 4; ++p) {
            // Without a benchmark of its own, the program's figure is the one taken in turns with the shell.
            const QString a = ours.isEmpty() ? QString() : ours + QStringLiteral("/%1").arg(p);
            const QString b = shell + QStringLiteral("/%1").arg(p);
            const bool month = timeLimitForMonth && p == 1;
            lines.append({title + QStringLiteral(", ") + QString::fromLatin1(periods[p]) +
                              QStringLiteral(" (vs sqlite3)"),
                          [a, b](const Run& r, const Startup&) {
                              return QStringLiteral("%1 / %2 = %3")
                                  .arg(ms(oursOf(r, a, b)), ms(fig(r, b)), ratio(oursOf(r, a, b), fig(r, b)));
                          },
                          month ? QStringLiteral("<= 1.3x, < 5 ms") : QStringLiteral("<= 1.3x"),
                          [a, b, month](const Run& r, const Startup&) -> std::optional<bool> {
                              const double x = oursOf(r, a, b);
                              const double y = fig(r, b);
                              if (x < 0 || y <= 0)
                                  return std::nullopt;
                              return x / y <= 1.3 && (!month || x < 5);
                          }});
        }
    };
    versusShell(QStringLiteral("ComputePeriodTotals"), QStringLiteral("BM_ComputePeriodTotals"),
                QStringLiteral("BM_Shell_Totals"), true);
    versusShell(QStringLiteral("totals query alone, in turns"), QString(), QStringLiteral("BM_Shell_Totals"),
                true);
    versusShell(QStringLiteral("detail charts, both"), QStringLiteral("BM_DetailCharts"),
                QStringLiteral("BM_Shell_DetailCharts"), true);
    versusShell(QStringLiteral("detail queries alone, both, in turns"), QString(),
                QStringLiteral("BM_Shell_DetailCharts"), true);
    const auto simple = [&lines](const QString& title, const QString& key, double limit) {
        lines.append({title, [key](const Run& r, const Startup&) { return ms(fig(r, key)); },
                      limit > 0 ? QStringLiteral("< %1 ms").arg(limit) : QString(),
                      limit > 0 ? std::function<std::optional<bool>(const Run&, const Startup&)>(
                                      [key, limit](const Run& r, const Startup&) {
                                          return within(fig(r, key), limit);
                                      })
                                : nullptr});
    };
    simple(QStringLiteral("LoadTodayIncome"), QStringLiteral("BM_LoadTodayIncome"), 5);
    lines.append({QStringLiteral("全部 on the income panel, first screen (memory added)"),
                  [](const Run& r, const Startup&) {
                      const QString k = QStringLiteral("BM_IncomeAllFirstScreen");
                      return QStringLiteral("%1 (+%2 MiB)")
                          .arg(ms(fig(r, k)))
                          .arg(counter(r, k, "added_MiB"), 0, 'f', 1);
                  },
                  QStringLiteral("< 100 ms, <= 64 MiB"),
                  [](const Run& r, const Startup&) -> std::optional<bool> {
                      const QString k = QStringLiteral("BM_IncomeAllFirstScreen");
                      if (fig(r, k) < 0)
                          return std::nullopt;
                      return fig(r, k) < 100 && counter(r, k, "added_MiB") <= 64;
                  }});
    simple(QStringLiteral("RefreshBankPanel"), QStringLiteral("BM_RefreshBankPanel"), 0);
    lines.append({QStringLiteral("place balances shown (ReadPlaceFigures alone; places)"),
                  [](const Run& r, const Startup&) {
                      const QString k = QStringLiteral("BM_PlaceBalancesShown");
                      return fig(r, k) < 0 ? QStringLiteral("-")
                                           : QStringLiteral("%1 (%2; %3)")
                                                 .arg(ms(fig(r, k)), ms(counter(r, k, "read_ms")))
                                                 .arg(counter(r, k, "places"), 0, 'f', 0);
                  },
                  QStringLiteral("< 16 ms"),
                  [](const Run& r, const Startup&) {
                      return within(fig(r, QStringLiteral("BM_PlaceBalancesShown")), 16);
                  }});
    // A header click on 全部 of the expenses, each column and direction: the slowest of the six medians.
    lines.append({QStringLiteral("header click on 全部, first screen (slowest column)"),
                  [](const Run& r, const Startup&) {
                      double worst = -1;
                      for (const char* key : {"0/0", "0/1", "1/0", "1/1", "3/0", "3/1"})
                          worst = std::max(worst,
                                           fig(r, QStringLiteral("BM_SortByHeader/") + QLatin1String(key)));
                      return ms(worst);
                  },
                  QStringLiteral("< 100 ms"),
                  [](const Run& r, const Startup&) -> std::optional<bool> {
                      std::optional<bool> all;
                      for (const char* key : {"0/0", "0/1", "1/0", "1/1", "3/0", "3/1"}) {
                          const std::optional<bool> one =
                              within(fig(r, QStringLiteral("BM_SortByHeader/") + QLatin1String(key)), 100);
                          if (!one)
                              return std::nullopt;
                          all = all.value_or(true) && *one;
                      }
                      return all;
                  }});
    simple(QStringLiteral("records window opened"), QStringLiteral("BM_OpenRecordsWindow"), 300);
    simple(QStringLiteral("ShowTodayReminders"), QStringLiteral("BM_ShowTodayReminders"), 20);
    for (const auto& [title, key] :
         {std::pair{QStringLiteral("save one entry, commit included (vs sqlite3)"),
                    QStringLiteral("BM_SaveEntry")},
          std::pair{QStringLiteral("save one deposit, commit included (vs sqlite3)"),
                    QStringLiteral("BM_SaveDeposit")}}) {
        lines.append(
            {title,
             [k = key](const Run& r, const Startup&) {
                 const double shell = counter(r, k, "shell_ms");
                 return QStringLiteral("%1 / %2 = %3").arg(ms(fig(r, k)), ms(shell), ratio(fig(r, k), shell));
             },
             QStringLiteral("<= 1.5x"),
             [k = key](const Run& r, const Startup&) -> std::optional<bool> {
                 const double shell = counter(r, k, "shell_ms");
                 if (fig(r, k) < 0 || shell <= 0)
                     return std::nullopt;
                 return fig(r, k) / shell <= 1.5;
             }});
    }

    // 保存 and 删除 of one expense while 全部 shows most of the entries, each to the repainted list.
    for (const auto& [title, key] : {std::pair{QStringLiteral("save / delete with 全部 shown, last detail"),
                                               QStringLiteral("BM_SaveAndDeleteWithAllShown/0")},
                                     std::pair{QStringLiteral("save / delete with 全部 shown, middle detail"),
                                               QStringLiteral("BM_SaveAndDeleteWithAllShown/1")}}) {
        lines.append({title,
                      [k = key](const Run& r, const Startup&) {
                          return fig(r, k) < 0
                                     ? QStringLiteral("-")
                                     : QStringLiteral("%1 / %2").arg(ms(counter(r, k, "save_ms")),
                                                                     ms(counter(r, k, "delete_ms")));
                      },
                      QString(), nullptr});
    }
    lines.append(
        {QStringLiteral("peak memory, every panel visited, 全部 on both entry panels"),
         [](const Run& r, const Startup&) {
             const double mib = fig(r, QStringLiteral("click-peak"));
             return mib < 0 ? QStringLiteral("-") : QString::number(mib, 'f', 1) + QStringLiteral(" MiB");
         },
         QStringLiteral("< 80 MiB"),
         [](const Run& r, const Startup&) { return within(fig(r, QStringLiteral("click-peak")), 80); }});
    // Each click from the press to the repainted, idle window: the median of the repetitions, the worst
    // in brackets; the target is one frame at 60 Hz.
    for (const QString& step : clickSteps) {
        const QString key = QStringLiteral("click:") + step;
        lines.append({QStringLiteral("click: ") + step,
                      [key](const Run& r, const Startup&) {
                          return fig(r, key) < 0 ? QStringLiteral("-")
                                                 : QStringLiteral("%1 (%2)").arg(
                                                       ms(fig(r, key)), ms(counter(r, key, "worst_ms")));
                      },
                      QStringLiteral("< 16 ms"),
                      [key](const Run& r, const Startup&) { return within(fig(r, key), 16); }});
    }

    // Plain text columns padded by display width (a Chinese character takes two).
    const auto width = [](const QString& s) {
        int w = 0;
        for (const QChar c : s)
            w += c.unicode() >= 0x2E80 ? 2 : 1;
        return w;
    };
    QList<QStringList> table;
    QStringList head{QStringLiteral("measure")};
    for (const QString& s : sizes)
        head.append(s);
    head << QStringLiteral("target") << QStringLiteral("met at ") + sizes.last();
    table.append(head);
    for (const Line& l : lines) {
        QStringList row{l.what};
        for (const QString& s : sizes)
            row.append(l.cell(runs[s], startups[s]));
        row.append(l.target);
        QString met;
        if (l.met) {
            const std::optional<bool> ok = l.met(runs[sizes.last()], startups[sizes.last()]);
            met = !ok ? QStringLiteral("?") : (*ok ? QStringLiteral("yes") : QStringLiteral("NO"));
        }
        row.append(met);
        table.append(row);
    }
    QList<int> widths(head.size(), 0);
    for (const QStringList& row : table) {
        for (int c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], width(row[c]));
    }
    for (int r = 0; r < table.size(); ++r) {
        QString out;
        for (int c = 0; c < table[r].size(); ++c) {
            out += table[r][c] + QString(widths[c] - width(table[r][c]), QLatin1Char(' '));
            out += c + 1 < table[r].size() ? QStringLiteral(" | ") : QString();
        }
        std::printf("%s\n", out.trimmed().toUtf8().constData());
        if (r == 0) {
            QString rule;
            for (int c = 0; c < widths.size(); ++c)
                rule += QString(widths[c], QLatin1Char('-')) +
                        (c + 1 < widths.size() ? QStringLiteral("-+-") : QString());
            std::printf("%s\n", rule.toUtf8().constData());
        }
    }
    return 0;
}
