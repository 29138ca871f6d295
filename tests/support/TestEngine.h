#pragma once

#include "data/Result.h"

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include <memory>
#include <ostream>

class Database;
class TempHome;

// The two engines a household can live on. Suites that must behave the same on both are value-
// parameterised with TAMBERLO_ON_BOTH_ENGINES; their fixtures ask CurrentTestEngine() which one runs.
enum class TestEngine { File, Server };

void PrintTo(TestEngine engine, std::ostream* out);
std::string EngineTestName(const ::testing::TestParamInfo<TestEngine>& info);

#define TAMBERLO_ON_BOTH_ENGINES(Suite)                                                               \
    INSTANTIATE_TEST_SUITE_P(Engines, Suite, ::testing::Values(TestEngine::File, TestEngine::Server), \
                             EngineTestName)

// The engine of the running test: Server in the server instance of a parameterised suite, File otherwise.
TestEngine CurrentTestEngine();

// The statements that make every insert into the table fail with the message, on the engine: a fault
// injected where the engine itself would report it.
QStringList RefuseInserts(TestEngine engine, const QString& table, const QString& message);

// The tests' PostgreSQL cluster, started by ctest (tests/server/pg-cluster.sh); its connection string
// comes in $TAMBERLO_TEST_PG. Server tests fail, never skip, when it is missing.
QString TestServerConnection();

// A new, empty database on the tests' cluster for one test, dropped again at the end.
class ScratchServerDatabase {
  public:
    ScratchServerDatabase();
    ~ScratchServerDatabase();
    ScratchServerDatabase(const ScratchServerDatabase&) = delete;
    ScratchServerDatabase& operator=(const ScratchServerDatabase&) = delete;

    // The connection string of the new database; empty when it could not be made (see error()).
    const QString& connection() const { return connection_; }
    const QString& error() const { return error_; }
    const QString& name() const { return name_; }

    // Runs one statement on the cluster as the tests' role (outside the scratch database).
    static Status admin(const QString& statement);

  private:
    QString name_;
    QString connection_;
    QString error_;
};

// One household for one test on the engine: the file under the home folder, or a scratch database on
// the server that the home's lomu.ini names, so the program's own start-up finds it.
class EngineHousehold {
  public:
    EngineHousehold(TestEngine engine, const TempHome& home);

    Status open(Database& database) const;
    TestEngine engine() const { return engine_; }
    // The server's connection string (empty on the file).
    QString connection() const { return server_ ? server_->connection() : QString(); }

  private:
    TestEngine engine_;
    const TempHome& home_;
    std::unique_ptr<ScratchServerDatabase> server_;
};
