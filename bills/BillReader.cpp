#include "bills/BillReader.h"

#include "bills/BillContainers.h"

#include "bills/BillCells.h"
#include "bills/BillTable.h"
#include "bills/BillText.h"
#include "bills/QifBill.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <functional>
#include <optional>

namespace {

constexpr qint64 kChunkBytes = 1 << 20;
constexpr int kSampleLines = 40;
// A bill's line is seldom shorter: the rows of a file are reserved by its size.
constexpr qint64 kLeastRowBytes = 128;

QString Cancelled() {
    return QStringLiteral("已取消");
}

QString ChangedWhileRead() {
    return QStringLiteral("帐单文件在读取时被改动了。请等它保存完毕，再重新导入。");
}

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF).
bool IsUtf8(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int more = 0;
        unsigned int low = 0x80, high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            if (c == 0xE0)
                low = 0xA0;
            if (c == 0xED)
                high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            if (c == 0xF0)
                low = 0x90;
            if (c == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (i + more >= n)
            return false;
        if (p[i + 1] < low || p[i + 1] > high)
            return false;
        for (int k = 2; k <= more; ++k)
            if (p[i + k] < 0x80 || p[i + k] > 0xBF)
                return false;
        i += more + 1;
    }
    return true;
}

struct LineWalk {
    QIODevice& device;
    qint64 total = 0;
    const ReadOptions& options;
    int pass = 0;  // 0 or 1: each pass is half of the progress
};

// Calls `onLine` with every line of the device (without its line end) and its number from 1, until it
// returns false. A line longer than kMaxLineBytes or of more than kMaxCells cells is refused as soon
// as it is seen, before it is kept whole.
Status EachLine(const LineWalk& walk, const std::function<bool(int, QByteArrayView)>& onLine) {
    const auto tooLong = [](int line) {
        return Status::failure(QStringLiteral("第 %1 行长于 %2 KB，这不是帐单文件。请确认选的是导出的帐单。")
                                   .arg(line)
                                   .arg(kMaxLineBytes / 1024));
    };
    if (!walk.device.seek(0))
        return Status::failure(
            QStringLiteral("无法从头读取帐单文件（%1）。请重试。").arg(walk.device.errorString()));
    QByteArray pending;
    qint64 done = 0;
    int line = 0;
    const auto finishLine = [&](QByteArrayView bytes) {
        ++line;
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        if (bytes.size() > kMaxLineBytes)
            return tooLong(line);
        // The cells are counted once: the second pass reads what the first has checked.
        if (walk.pass == 0 && bytes.count(',') >= kMaxCells)
            return Status::failure(
                QStringLiteral("第 %1 行多于 %2 列，这不是帐单文件。请确认选的是导出的帐单。")
                    .arg(line)
                    .arg(kMaxCells));
        return Status::ok();
    };
    bool stop = false;
    // No more than the size the file had when it was opened: one that grows while it is read would
    // otherwise never end; the growth is found by the caller, a shrinking file here.
    while (!stop && done < walk.total) {
        const QByteArray chunk = walk.device.read(std::min(kChunkBytes, walk.total - done));
        if (chunk.isEmpty()) {
            if (walk.device.atEnd())
                return Status::failure(ChangedWhileRead());
            return Status::failure(
                QStringLiteral("读取帐单文件失败（%1）。请重试。").arg(walk.device.errorString()));
        }
        done += chunk.size();
        qsizetype from = 0;
        while (!stop) {
            const qsizetype end = chunk.indexOf('\n', from);
            if (end < 0) {
                if (pending.size() + (chunk.size() - from) > kMaxLineBytes + 1)
                    return tooLong(line + 1);
                pending.append(QByteArrayView(chunk).sliced(from));
                break;
            }
            QByteArrayView bytes = QByteArrayView(chunk).sliced(from, end - from);
            if (!pending.isEmpty()) {
                if (pending.size() + bytes.size() > kMaxLineBytes + 1)
                    return tooLong(line + 1);
                pending.append(bytes);
                bytes = pending;
            }
            if (const Status fits = finishLine(bytes); !fits)
                return fits;
            if (bytes.endsWith('\r'))
                bytes.chop(1);
            stop = !onLine(line, bytes);
            pending.clear();
            from = end + 1;
        }
        if (walk.options.progress && walk.total > 0 &&
            !walk.options.progress((walk.pass * walk.total + done) / 2, walk.total))
            return Status::failure(Cancelled());
    }
    if (!stop && !pending.isEmpty()) {
        if (const Status fits = finishLine(pending); !fits)
            return fits;
        QByteArrayView bytes = pending;
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        onLine(line, bytes);
    }
    return Status::ok();
}

struct Decoded {
    Status status = Status::ok();
    bool utf8 = true;
};

// Both passes over the device: the first checks the limits and the encoding, the second hands every
// line, decoded, to `onLine` until it returns false.
Decoded EachTextLine(const LineWalk& first, const std::function<bool(int, const QString&)>& onLine) {
    Decoded decoded;
    bool bom = false;  // a file that opens with the UTF-8 mark is UTF-8, a broken byte or not
    decoded.status = EachLine(first, [&](int line, QByteArrayView bytes) {
        if (line == 1)
            bom = bytes.startsWith(QByteArrayView("\xEF\xBB\xBF"));
        if (decoded.utf8 && !bom && !IsUtf8(bytes))
            decoded.utf8 = false;
        return true;
    });
    if (!decoded.status)
        return decoded;
    QStringDecoder decoder = decoded.utf8 ? QStringDecoder(QStringDecoder::Utf8) : QStringDecoder("GB18030");
    if (!decoder.isValid()) {
        decoded.status = Status::failure(
            QStringLiteral("本机无法解码 GB18030（GBK）文字。请把帐单另存为 UTF-8 后再导入。"));
        return decoded;
    }
    LineWalk second{first.device, first.total, first.options, 1};
    decoded.status = EachLine(second, [&](int line, QByteArrayView bytes) {
        QString text = decoder.decode(bytes);
        if (line == 1 && text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return onLine(line, text);
    });
    return decoded;
}

QString NameOf(const QString& path) {
    return QFileInfo(path).fileName();
}

// The file's own checks before anything of it is read: it exists, is not empty, is not too large.
Status FileFits(const QFileInfo& info) {
    if (!info.exists() || !info.isFile())
        return Status::failure(
            QStringLiteral("找不到帐单文件“%1”。请确认文件还在，再重新选择。").arg(info.filePath()));
    if (info.size() == 0)
        return Status::failure(
            QStringLiteral("帐单文件“%1”是空的。请重新导出帐单后再导入。").arg(info.fileName()));
    if (info.size() > kMaxBillBytes)
        return Status::failure(
            QStringLiteral("帐单文件“%1”有 %2 MB，大于能导入的 %3 MB。请导出较短的时间段，分几次导入。")
                .arg(info.fileName())
                .arg((info.size() + (1 << 20) - 1) >> 20)
                .arg(kMaxBillBytes >> 20));
    return Status::ok();
}

Status OpenFile(QFile& file) {
    if (!file.open(QIODevice::ReadOnly))
        return Status::failure(QStringLiteral("无法打开帐单文件“%1”（%2）。请确认文件可以读取。")
                                   .arg(NameOf(file.fileName()), file.errorString()));
    return Status::ok();
}

ReadResult Failed(const QString& message, ReadFailure failure = ReadFailure::Other) {
    return {Result<Bill>::failure(message), failure};
}

}  // namespace

QStringList KnownLayouts() {
    return {SourceName(BillSource::Alipay) + QStringLiteral("（CSV，新旧两种）"),
            SourceName(BillSource::Wechat) + QStringLiteral("（CSV、XLSX）"),
            SourceName(BillSource::Icbc) + QStringLiteral("（CSV）"),
            SourceName(BillSource::CmbCredit) + QStringLiteral("（CSV）"),
            SourceName(BillSource::CmbDebit) + QStringLiteral("（CSV）"),
            SourceName(BillSource::Qif),
            QStringLiteral("OFX/QFX 文件")};
}

ReadResult ReadBillText(QIODevice& device, const QString& path, const ReadOptions& options) {
    const LineWalk walk{device, device.size(), options, 0};
    BillTableReader table(path, options);
    table.reserve(device.size() / kLeastRowBytes);
    std::optional<QifReader> qif;
    bool started = false;
    const Decoded decoded = EachTextLine(walk, [&](int line, const QString& text) {
        if (!started) {
            if (text.trimmed().isEmpty())
                return true;
            started = true;
            if (QifReader::Opens(text))
                qif.emplace(path);
        }
        if (qif) {
            qif->feed(line, text);
            return true;
        }
        return table.feed(line, SplitCsvLine(text));
    });
    if (!decoded.status)
        return Failed(decoded.status.error());
    if (!started)
        return Failed(QStringLiteral("帐单文件“%1”里没有文字。请重新导出帐单后再导入。").arg(NameOf(path)));
    return qif ? qif->finish() : table.finish();
}

ReadResult ReadBill(const QString& path, const ReadOptions& options) {
    const QFileInfo before(path);
    if (const Status fits = FileFits(before); !fits)
        return Failed(fits.error());
    const QDateTime modified = before.lastModified();
    QFile file(path);
    if (const Status opened = OpenFile(file); !opened)
        return Failed(opened.error());

    const QByteArray head = file.peek(4096);
    const bool zip = head.startsWith(QByteArrayLiteral("PK\x03\x04"));
    const bool ofx = !zip && (head.contains("OFXHEADER") || head.toUpper().contains("<OFX>"));
    if (zip || ofx) {
        const bool xlsx = zip && (head.contains("[Content_Types].xml") || head.contains("xl/"));
        file.close();
        return ReadContainerBill(path,
                                 xlsx  ? BillContainer::Xlsx
                                 : zip ? BillContainer::Zip
                                       : BillContainer::Ofx,
                                 options);
    }

    ReadResult read = ReadBillText(file, path, options);
    const qint64 readSize = file.size();
    file.close();
    if (!read.bill)
        return read;
    const QFileInfo after(path);
    if (!after.exists() || after.size() != before.size() || readSize != before.size() ||
        after.lastModified() != modified)
        return Failed(ChangedWhileRead());
    return read;
}

Result<CsvSample> SampleCsv(const QString& path) {
    const QFileInfo info(path);
    if (const Status fits = FileFits(info); !fits)
        return fits;
    QFile file(path);
    if (const Status opened = OpenFile(file); !opened)
        return opened;
    CsvSample sample;
    const ReadOptions options;
    const Decoded decoded = EachTextLine({file, file.size(), options, 0}, [&](int, const QString& text) {
        sample.lines.append(SplitCsvLine(text));
        return sample.lines.size() < kSampleLines;
    });
    if (!decoded.status)
        return decoded.status;
    sample.encoding = decoded.utf8 ? QStringLiteral("UTF-8") : QStringLiteral("GB18030");
    return sample;
}
