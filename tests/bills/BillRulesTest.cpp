#include "bills/BillRules.h"
#include "support/TestEngine.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

namespace {

class BillRulesOnBothEngines : public ::testing::TestWithParam<TestEngine> {
  protected:
    TestHousehold th;
};

// The longest keyword wins, a rule serves its own direction only, and a clash or an empty field is
// refused with nothing stored.
TEST_P(BillRulesOnBothEngines, RulesSuggestTheMostParticularDetailAndRefuseClashes) {
    ASSERT_TRUE(
        SaveRule(th.database, {0, QStringLiteral("星巴克"), EntryType::Expense, QStringLiteral("咖啡")}));
    const Result<qint64> meal =
        SaveRule(th.database, {0, QStringLiteral("克"), EntryType::Expense, QStringLiteral("餐饮")});
    ASSERT_TRUE(meal) << meal.error().toStdString();
    ASSERT_TRUE(
        SaveRule(th.database, {0, QStringLiteral("星巴克"), EntryType::Income, QStringLiteral("退款")}));

    const Result<qint64> clash =
        SaveRule(th.database, {0, QStringLiteral(" 星巴克 "), EntryType::Expense, QStringLiteral("饮料")});
    ASSERT_FALSE(clash);
    EXPECT_TRUE(clash.error().contains(QStringLiteral("已有一条支出规则")));
    EXPECT_FALSE(SaveRule(th.database, {0, QStringLiteral("滴滴"), EntryType::Expense, QStringLiteral(" ")}));
    EXPECT_FALSE(SaveRule(th.database, {0, QString(), EntryType::Expense, QStringLiteral("交通")}));

    const Result<QList<DetailRule>> rules = ReadRules(th.database.connection());
    ASSERT_TRUE(rules);
    ASSERT_EQ(rules->size(), 3);
    EXPECT_EQ(DetailByRules(*rules, EntryType::Expense, QStringLiteral("星巴克（国贸店）"), {}),
              QStringLiteral("咖啡"));
    EXPECT_EQ(DetailByRules(*rules, EntryType::Income, {}, QStringLiteral("星巴克退款")),
              QStringLiteral("退款"));
    EXPECT_EQ(DetailByRules(*rules, EntryType::Expense, QStringLiteral("克丽丝汀"), {}),
              QStringLiteral("餐饮"));
    EXPECT_EQ(DetailByRules(*rules, EntryType::Income, QStringLiteral("克丽丝汀"), {}), QString());

    ASSERT_TRUE(DeleteRule(th.database, meal.value()));
    EXPECT_FALSE(SaveRule(th.database,
                          {meal.value(), QStringLiteral("克"), EntryType::Expense, QStringLiteral("餐饮")}));
}

// A method's place and a mapping are replaced, not doubled, when saved again under the same name.
TEST_P(BillRulesOnBothEngines, MethodPlacesAndMappingsAreRememberedByName) {
    const qint64 card = th.addBankCard(QStringLiteral("招商银行"), 0);
    ASSERT_TRUE(SaveMethodPlace(th.database, QStringLiteral("zhifubao"), QStringLiteral("余额"), 1));
    ASSERT_TRUE(SaveMethodPlace(th.database, QStringLiteral("zhifubao"), QStringLiteral("余额"), card));
    ASSERT_TRUE(SaveMethodPlace(th.database, QStringLiteral("weixin"), QStringLiteral("余额"), 1));
    const Result<QHash<QString, qint64>> places =
        ReadMethodPlaces(th.database.connection(), QStringLiteral("zhifubao"));
    ASSERT_TRUE(places);
    EXPECT_EQ(*places, (QHash<QString, qint64>{{QStringLiteral("余额"), card}}));

    ColumnMapping mapping;
    mapping.name = QStringLiteral("农商行");
    mapping.date = QStringLiteral("日期");
    EXPECT_FALSE(SaveMapping(th.database, mapping));  // no amount column
    mapping.income = QStringLiteral("存入");
    mapping.expense = QStringLiteral("支取");
    ASSERT_TRUE(SaveMapping(th.database, mapping));
    mapping.headerLine = 3;
    mapping.description = QStringLiteral("摘要");
    ASSERT_TRUE(SaveMapping(th.database, mapping));
    const Result<QList<ColumnMapping>> mappings = ReadMappings(th.database.connection());
    ASSERT_TRUE(mappings);
    ASSERT_EQ(mappings->size(), 1);
    EXPECT_EQ(mappings->first().headerLine, 3);
    EXPECT_EQ(mappings->first().expense, QStringLiteral("支取"));
    EXPECT_EQ(mappings->first().description, QStringLiteral("摘要"));
}

TAMBERLO_ON_BOTH_ENGINES(BillRulesOnBothEngines);

}  // namespace
