#include "bills/BillZip.h"
#include "bills/ZipArchive.h"
#include "support/TestZip.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <zip.h>

namespace {

class BillZipTest : public ::testing::TestWithParam<int> {
  protected:
    QTemporaryDir dir;
};

// The zip as 支付宝 mails it, encrypted either way libzip knows: it opens with its password only, and the
// window can tell a missing password from a wrong one.
TEST_P(BillZipTest, OpensTheBillWithItsPasswordOnly) {
    ASSERT_TRUE(zip_encryption_method_supported(static_cast<zip_uint16_t>(GetParam()), 1));
    const QByteArray bill =
        QStringEncoder("GB18030").encode(QStringLiteral("支付宝交易明细\n交易时间,金额\n"));
    const QString path = dir.filePath(QStringLiteral("alipay.zip"));
    ASSERT_EQ(WriteTestZip(path, {{QStringLiteral("支付宝交易明细(20261101-20261130).csv"), bill}}, "314159",
                           GetParam()),
              QString());
    EXPECT_TRUE(ZipNeedsPassword(path));

    BillZipFailure failure = BillZipFailure::None;
    Result<QByteArray> unpacked = UnpackBillZip(path, {}, &failure);
    ASSERT_FALSE(unpacked);
    EXPECT_EQ(failure, BillZipFailure::NeedsPassword);
    EXPECT_TRUE(unpacked.error().contains(QStringLiteral("请输入支付宝发来的解压密码")))
        << unpacked.error().toStdString();

    for (const QString& wrong :
         {QStringLiteral("314158"), QStringLiteral("3141590"), QStringLiteral("密码")}) {
        unpacked = UnpackBillZip(path, wrong, &failure);
        ASSERT_FALSE(unpacked) << wrong.toStdString();
        EXPECT_EQ(failure, BillZipFailure::WrongPassword) << unpacked.error().toStdString();
        EXPECT_TRUE(unpacked.error().contains(QStringLiteral("解压密码不对")));
    }

    unpacked = UnpackBillZip(path, QStringLiteral("314159"), &failure);
    ASSERT_TRUE(unpacked) << unpacked.error().toStdString();
    EXPECT_EQ(failure, BillZipFailure::None);
    EXPECT_EQ(*unpacked, bill);
}

INSTANTIATE_TEST_SUITE_P(Encryptions, BillZipTest, ::testing::Values(ZIP_EM_AES_256, ZIP_EM_TRAD_PKWARE));

// Beside other files the CSV is the bill; among several CSVs, none is chosen; an entry that would unpack
// beyond a bill's size is refused before it is read; what is no zip says so.
TEST(BillZipChoiceTest, TakesTheOneCsvAndRefusesWhatIsNoSingleBill) {
    QTemporaryDir dir;
    const QString mixed = dir.filePath(QStringLiteral("mixed.zip"));
    ASSERT_EQ(WriteTestZip(mixed, {{QStringLiteral("说明.txt"), "readme"},
                                   {QStringLiteral("__MACOSX/._bill.csv"), "fork"},
                                   {QStringLiteral("bill.CSV"), "a,b\n"}}),
              QString());
    EXPECT_FALSE(ZipNeedsPassword(mixed));
    const Result<QByteArray> one = UnpackBillZip(mixed, {});
    ASSERT_TRUE(one) << one.error().toStdString();
    EXPECT_EQ(*one, "a,b\n");

    const QString two = dir.filePath(QStringLiteral("two.zip"));
    ASSERT_EQ(WriteTestZip(two, {{QStringLiteral("a.csv"), "a"}, {QStringLiteral("b.csv"), "b"}}), QString());
    BillZipFailure failure = BillZipFailure::None;
    const Result<QByteArray> none = UnpackBillZip(two, {}, &failure);
    ASSERT_FALSE(none);
    EXPECT_EQ(failure, BillZipFailure::Other);
    EXPECT_TRUE(none.error().contains(QStringLiteral("不知道哪一个是帐单"))) << none.error().toStdString();

    const QString bomb = dir.filePath(QStringLiteral("bomb.zip"));
    ASSERT_EQ(WriteTestZip(bomb, {{QStringLiteral("bill.csv"), QByteArray(65 * 1024 * 1024, ',')}}),
              QString());
    const Result<QByteArray> big = UnpackBillZip(bomb, {});
    ASSERT_FALSE(big);
    EXPECT_TRUE(big.error().contains(QStringLiteral("解压后超过 64 MB"))) << big.error().toStdString();

    const QString text = dir.filePath(QStringLiteral("bill.zip"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("交易时间,金额\n");
    file.close();
    const Result<QByteArray> notZip = UnpackBillZip(text, {}, &failure);
    ASSERT_FALSE(notZip);
    EXPECT_EQ(failure, BillZipFailure::Other);
    EXPECT_TRUE(notZip.error().contains(QStringLiteral("不是 zip 压缩包"))) << notZip.error().toStdString();
}

// A directory that understates an entry's size does not get it read past the limit.
TEST(ZipArchiveTest, StopsReadingAtTheLimitWhateverTheDirectorySays) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.zip"));
    ASSERT_EQ(WriteTestZip(path, {{QStringLiteral("bill.csv"), QByteArray(100000, 'x')}}), QString());
    ZipArchive zip;
    ASSERT_TRUE(zip.open(path));
    std::optional<ZipEntry> entry = zip.find(QStringLiteral("BILL.csv"));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->size, 100000);
    entry->size = 10;
    EXPECT_FALSE(zip.readEntry(*entry, 99999));
    EXPECT_EQ(zip.error(), ZipError::TooBig);
    const std::optional<QByteArray> whole = zip.readEntry(*entry, 100000);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->size(), 100000);
}

}  // namespace
