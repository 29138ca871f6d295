// The postal search finds the same rows on the local file and on the server.
#include "data/Database.h"
#include "support/TempHome.h"
#include "support/TestEngine.h"
#include "tools/PostalQueries.h"

#include <gtest/gtest.h>

#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>

namespace {

class PostalSearchOnEngine : public ::testing::TestWithParam<TestEngine> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(place.open(database).isOk());
        for (const char* region : {"Hong Kong SAR", "Ärhus", "C:\\Temp", "100%纯"}) {
            QSqlQuery insert(database.connection());
            insert.prepare(
                QStringLiteral("insert into yzbh (省份, 地区, 区号, 邮编) values ('测试', :r, '000', "
                               "'999999')"));
            insert.bindValue(QStringLiteral(":r"), QString::fromUtf8(region));
            ASSERT_TRUE(insert.exec());
        }
    }

    // The regions the search of 地区 finds, in the order found.
    QStringList regionsFound(const QString& text) {
        QSqlQueryModel model;
        const Status searched = Postal::Search(model, database.connection(), QStringLiteral("地区"), text);
        EXPECT_TRUE(searched.isOk()) << searched.error().toStdString();
        QStringList found;
        for (int row = 0; row < model.rowCount(); ++row)
            found.append(model.record(row).value(QStringLiteral("地区")).toString());
        found.sort();
        return found;
    }

    TempHome home;
    EngineHousehold place{CurrentTestEngine(), home};
    Database database;
};

// ASCII letters match whatever their case, as SQLite's LIKE has it; other letters only as typed; a
// backslash is a plain character and "%" keeps its meaning of any text.
TEST_P(PostalSearchOnEngine, LetterCaseBackslashAndWildcardsBehaveAlike) {
    EXPECT_EQ(regionsFound(QStringLiteral("hong kong")), QStringList{QStringLiteral("Hong Kong SAR")});
    EXPECT_EQ(regionsFound(QStringLiteral("KONG s")), QStringList{QStringLiteral("Hong Kong SAR")});
    EXPECT_EQ(regionsFound(QStringLiteral("Ärh")), QStringList{QStringLiteral("Ärhus")});
    EXPECT_EQ(regionsFound(QStringLiteral("ärh")), QStringList());
    EXPECT_EQ(regionsFound(QStringLiteral("ÄRHUS")), QStringList{QStringLiteral("Ärhus")});
    EXPECT_EQ(regionsFound(QStringLiteral("c:\\t")), QStringList{QStringLiteral("C:\\Temp")});
    EXPECT_EQ(regionsFound(QStringLiteral("\\")), QStringList{QStringLiteral("C:\\Temp")});
    EXPECT_EQ(regionsFound(QStringLiteral("0%纯")), QStringList{QStringLiteral("100%纯")});
    EXPECT_EQ(regionsFound(QStringLiteral("h%sar")), QStringList{QStringLiteral("Hong Kong SAR")});
    EXPECT_EQ(regionsFound(QStringLiteral("'")), QStringList());
    EXPECT_EQ(regionsFound(QStringLiteral("朝阳")),
              QStringList({QStringLiteral("朝阳区"), QStringLiteral("朝阳市")}));
}

TAMBERLO_ON_BOTH_ENGINES(PostalSearchOnEngine);

}  // namespace
