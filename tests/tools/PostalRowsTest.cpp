#include "data/PostalRows.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QSet>

namespace {

TEST(PostalRows, BuiltInRowsAreCompleteUniqueAndWellFormed) {
    const Result<QList<PostalRow>> rows = BuiltInPostalRows();
    ASSERT_TRUE(rows.isOk()) << rows.error().toStdString();
    const QRegularExpression areaCode(QStringLiteral("^0\\d{2,3}$"));
    const QRegularExpression postCode(QStringLiteral("^\\d{6}$"));
    QSet<QString> seen;
    QMap<QString, int> perProvince;
    for (const PostalRow& r : rows.value()) {
        EXPECT_FALSE(r.province.isEmpty());
        EXPECT_FALSE(r.region.isEmpty());
        EXPECT_TRUE(areaCode.match(r.areaCode).hasMatch())
            << r.region.toStdString() << " " << r.areaCode.toStdString();
        EXPECT_TRUE(postCode.match(r.postCode).hasMatch())
            << r.region.toStdString() << " " << r.postCode.toStdString();
        const QString key = r.province + QLatin1Char('/') + r.region;
        EXPECT_FALSE(seen.contains(key)) << "duplicate " << key.toStdString();
        seen.insert(key);
        ++perProvince[r.province];
    }
    // 22 provinces, 5 autonomous regions and 4 municipalities.
    EXPECT_EQ(perProvince.size(), 31);
    EXPECT_EQ(perProvince.value(QStringLiteral("北京市")), 16);
    EXPECT_EQ(perProvince.value(QStringLiteral("上海市")), 16);
    EXPECT_EQ(perProvince.value(QStringLiteral("天津市")), 16);
    EXPECT_EQ(perProvince.value(QStringLiteral("重庆市")), 26);
    EXPECT_EQ(perProvince.value(QStringLiteral("广东省")), 21);
    EXPECT_EQ(perProvince.value(QStringLiteral("海南省")), 4);
    EXPECT_GE(rows->size(), 400);
}

TEST(PostalRows, ParsingSkipsCommentsAndRefusesShortLines) {
    const Result<QList<PostalRow>> ok =
        ParsePostalRows(QStringLiteral("# 省份\t地区\t区号\t邮编\r\n\n河北省\t石家庄市\t0311\t050000\r\n"));
    ASSERT_TRUE(ok.isOk());
    ASSERT_EQ(ok->size(), 1);
    EXPECT_EQ(ok->first().postCode, QStringLiteral("050000"));

    const Result<QList<PostalRow>> bad = ParsePostalRows(QStringLiteral("河北省\t石家庄市\t0311\n"));
    ASSERT_FALSE(bad.isOk());
    EXPECT_TRUE(bad.error().contains(QStringLiteral("第 1 行")));
}

}  // namespace
