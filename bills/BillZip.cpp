#include "bills/BillZip.h"

#include "bills/BillReader.h"
#include "bills/ZipArchive.h"

#include <QFileInfo>

namespace {

constexpr int kMegabyte = 1024 * 1024;

// The bill inside: the only file, or else the only one named *.csv. Folders and the resource forks a
// Mac adds (__MACOSX/) do not count.
Result<ZipEntry> BillEntry(const ZipArchive& zip, const QString& name) {
    QList<ZipEntry> files;
    for (const ZipEntry& entry : zip.entries()) {
        if (!entry.folder && !entry.name.startsWith(QLatin1String("__MACOSX/")))
            files.append(entry);
    }
    if (files.isEmpty())
        return Result<ZipEntry>::failure(
            QStringLiteral("压缩包“%1”里没有文件。请确认选对了文件，或重新下载支付宝发来的帐单。").arg(name));
    if (files.size() == 1)
        return files.first();
    QList<ZipEntry> bills;
    QStringList names;
    for (const ZipEntry& entry : files) {
        names.append(entry.name);
        if (entry.name.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
            bills.append(entry);
    }
    if (bills.size() == 1)
        return bills.first();
    return Result<ZipEntry>::failure(
        QStringLiteral("压缩包“%1”里有 %2 个文件（%3），不知道哪一个是帐单。请先解压，"
                       "再导入其中的帐单文件。")
            .arg(name)
            .arg(files.size())
            .arg(names.mid(0, 5).join(QStringLiteral("、"))));
}

}  // namespace

Result<QByteArray> UnpackBillZip(const QString& path, const QString& password, BillZipFailure* failure) {
    BillZipFailure ignored = BillZipFailure::None;
    BillZipFailure& kind = failure ? *failure : ignored;
    kind = BillZipFailure::Other;
    const QString name = QFileInfo(path).fileName();
    ZipArchive zip;
    if (!zip.open(path)) {
        if (zip.error() == ZipError::Unreadable)
            return Result<QByteArray>::failure(
                QStringLiteral("无法打开“%1”，请确认文件还在原处并且可以读取。（%2）")
                    .arg(name, zip.errorText()));
        if (zip.error() == ZipError::NotZip)
            return Result<QByteArray>::failure(
                QStringLiteral("“%1”不是 zip 压缩包。请确认选对了文件。（%2）").arg(name, zip.errorText()));
        return Result<QByteArray>::failure(
            QStringLiteral("压缩包“%1”已损坏，无法解压。请重新下载支付宝发来的帐单。（%2）")
                .arg(name, zip.errorText()));
    }
    const Result<ZipEntry> entry = BillEntry(zip, name);
    if (!entry)
        return entry.status();
    const std::optional<QByteArray> bytes = zip.readEntry(*entry, kMaxBillBytes, password.toUtf8());
    if (bytes) {
        kind = BillZipFailure::None;
        return *bytes;
    }
    switch (zip.error()) {
        case ZipError::NeedsPassword:
            kind = BillZipFailure::NeedsPassword;
            return Result<QByteArray>::failure(
                QStringLiteral("压缩包“%1”设有密码。请输入支付宝发来的解压密码。").arg(name));
        case ZipError::WrongPassword:
            kind = BillZipFailure::WrongPassword;
            return Result<QByteArray>::failure(
                QStringLiteral("解压密码不对，打不开压缩包“%1”。请核对支付宝发来的解压密码后重新输入。")
                    .arg(name));
        case ZipError::TooBig:
            return Result<QByteArray>::failure(
                QStringLiteral("压缩包“%1”中的“%2”解压后超过 %3 MB，不像一份帐单，没有解压。"
                               "请确认选对了文件，或分段导出帐单。")
                    .arg(name, entry->name)
                    .arg(kMaxBillBytes / kMegabyte));
        case ZipError::Unsupported:
            return Result<QByteArray>::failure(
                QStringLiteral(
                    "压缩包“%1”的加密或压缩方式无法读取。请先用解压软件解开，再导入其中的帐单文件。（%2）")
                    .arg(name, zip.errorText()));
        default:
            return Result<QByteArray>::failure(
                QStringLiteral("压缩包“%1”已损坏，无法解压。请重新下载支付宝发来的帐单。（%2）")
                    .arg(name, zip.errorText()));
    }
}

bool ZipNeedsPassword(const QString& path) {
    ZipArchive zip;
    if (!zip.open(path))
        return false;
    const Result<ZipEntry> entry = BillEntry(zip, QFileInfo(path).fileName());
    return entry && entry->encrypted;
}
