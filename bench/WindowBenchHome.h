#pragma once

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QDate>
#include <QString>

#include <map>
#include <memory>

class BankPanel;
class EntryPanel;
class SummaryPanel;
class TForm1;

// What every window benchmark stands on: the copy of the generated household they work on, the
// logged-in main window they share, its panels, and the periods and literals of their statements.
namespace WindowBenchHome {

// The generated household given on the command line, and the server connection when it is loaded there.
extern QString sourceHousehold;
extern QString serverConnection;

// A copy of the generated household in a home folder of its own, so that the saves leave the cached
// file as it was.
struct Home;
Home& home();
QString homeFolder();
QString homeDatabaseFile();

// Shows a created main window and waits for its first-showing steps; gives the milliseconds from the
// login window's close to the end of those steps.
double showAndLogIn(TForm1& form);

// The logged-in main window the panel benchmarks share; reset before the application ends.
extern std::unique_ptr<TForm1> sharedMainWindow;
TForm1& mainWindow();

// The panels are built on first use, as when the user opens them.
template <typename T>
T* panelOf();
template <>
SummaryPanel* panelOf<SummaryPanel>();
template <>
BankPanel* panelOf<BankPanel>();
EntryPanel* incomePanel();
void bringToFront(int sideButton);

// Today pinned to the generated history's last day, and the four periods of the summary benchmarks.
QDate today();
struct Period {
    QDate first;
    QDate last;
};
Period period(int which);
// The summary's period set to the one given, as the date boxes would.
void setSummaryPeriod(const Period& p);
// "today", "month", "year", "all": the four periods' names in the benchmarks' labels.
extern const char* const kPeriodNames[4];
void namePeriod(benchmark::State& state);

// A fixed statement with its parameters written as literals, as a user would type it into the shell.
QByteArray literal(const char* statement, const std::map<QString, QByteArray>& values);
QByteArray dateLiteral(const QDate& d);

}  // namespace WindowBenchHome
