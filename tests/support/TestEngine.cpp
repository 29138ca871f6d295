#include "support/TestEngine.h"

#include "data/Database.h"
#include "support/TempHome.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <cstring>

namespace {

QAtomicInt scratchCounter;

}  // namespace

void PrintTo(TestEngine engine, std::ostream* out) {
    *out << (engine == TestEngine::Server ? "Server" : "File");
}

std::string EngineTestName(const ::testing::TestParamInfo<TestEngine>& info) {
    return info.param == TestEngine::Server ? "Server" : "File";
}

TestEngine CurrentTestEngine() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const char* param = test ? test->value_param() : nullptr;
    return param && std::strcmp(param, "Server") == 0 ? TestEngine::Server : TestEngine::File;
}

QStringList RefuseInserts(TestEngine engine, const QString& table, const QString& message) {
    if (engine == TestEngine::File) {
        return {QStringLiteral(
                    "create trigger refuse_%1 before insert on %1 begin select raise(abort, '%2'); end")
                    .arg(table, message)};
    }
    return {QStringLiteral("create function refuse_%1() returns trigger language plpgsql as $$ begin raise "
                           "exception '%2'; end $$")
                .arg(table, message),
            QStringLiteral(
                "create trigger refuse_%1 before insert on %1 for each row execute function refuse_%1()")
                .arg(table)};
}

QString TestServerConnection() {
    return qEnvironmentVariable("TAMBERLO_TEST_PG");
}

Status ScratchServerDatabase::admin(const QString& statement) {
    const QString server = TestServerConnection();
    if (server.isEmpty()) {
        return Status::failure(
            QStringLiteral("TAMBERLO_TEST_PG is not set: run the server tests through "
                           "ctest, which starts the tests' PostgreSQL cluster"));
    }
    const QString name = QStringLiteral("scratch-admin-%1").arg(scratchCounter.fetchAndAddRelaxed(1));
    Status result = Status::ok();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setConnectOptions(server);
        if (!db.open()) {
            result = Status::failure(db.lastError().text());
        } else {
            QSqlQuery query(db);
            query.exec(QStringLiteral("SET client_min_messages = warning"));
            if (!query.exec(statement))
                result = Status::failure(query.lastError().text());
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

ScratchServerDatabase::ScratchServerDatabase() {
    name_ = QStringLiteral("t_%1_%2")
                .arg(QCoreApplication::applicationPid())
                .arg(scratchCounter.fetchAndAddRelaxed(1));
    if (Status made = admin(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name_)); !made) {
        error_ = made.error();
        return;
    }
    if (Status made = admin(QStringLiteral("CREATE DATABASE %1").arg(name_)); !made) {
        error_ = made.error();
        return;
    }
    // A later dbname overrides the earlier one in a libpq connection string.
    connection_ = TestServerConnection() + QStringLiteral(" dbname=") + name_;
}

ScratchServerDatabase::~ScratchServerDatabase() {
    if (!connection_.isEmpty())
        (void)admin(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name_));
}

EngineHousehold::EngineHousehold(TestEngine engine, const TempHome& home) : engine_(engine), home_(home) {
    if (engine_ != TestEngine::Server)
        return;
    server_ = std::make_unique<ScratchServerDatabase>();
    EXPECT_FALSE(server_->connection().isEmpty()) << server_->error().toStdString();
    home_.writeIni(
        QStringLiteral("[shujuku]\nleixing=postgresql\nlianjie=%1\n").arg(server_->connection()).toUtf8());
}

Status EngineHousehold::open(Database& database) const {
    if (engine_ == TestEngine::Server)
        return database.openServer(server_->connection());
    return database.open(home_.databasePath());
}
