#include "bills/XlsxRows.h"

#include "bills/BillReader.h"
#include "bills/ZipArchive.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTime>
#include <QXmlStreamReader>

#include <functional>
#include <optional>

namespace {

constexpr int kMegabyte = 1024 * 1024;

// The file's first bytes when it is an OLE compound file: the older .xls, or a workbook with an
// opening password (Excel wraps those in the same container).
constexpr char kCompoundSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

QString NotWorkbookMessage(const QString& name, const QString& detail) {
    return QStringLiteral(
               "“%1”不是 Excel 工作簿（.xlsx），无法读取。请确认选对了文件，或重新导出帐单后再导入。（%2）")
        .arg(name, detail);
}

QString DamagedMessage(const QString& name, const QString& detail) {
    return QStringLiteral("工作簿“%1”已损坏，读不出其中的帐单。请重新导出帐单后再导入。（%2）")
        .arg(name, detail);
}

QString TooBigMessage(const QString& name, const QString& part) {
    return QStringLiteral(
               "工作簿“%1”中的 %2 解压后超过 %3 MB，不像一份帐单，没有读取。请确认选对了文件，"
               "或分段导出帐单后再导入。")
        .arg(name, part)
        .arg(kMaxBillBytes / kMegabyte);
}

bool Is(QStringView name, const char* expected) {
    return name == QLatin1String(expected);
}

// The text of a shared string (<si>) or an inline one (<is>): plain <t>, or rich text runs <r><t>
// joined; phonetic guides (<rPh>) are not part of the text. The reader stands on the opening element.
QString RichText(QXmlStreamReader& xml) {
    QString text;
    while (xml.readNextStartElement()) {
        if (Is(xml.name(), "t")) {
            text += xml.readElementText();
        } else if (Is(xml.name(), "r")) {
            while (xml.readNextStartElement()) {
                if (Is(xml.name(), "t"))
                    text += xml.readElementText();
                else
                    xml.skipCurrentElement();
            }
        } else {
            xml.skipCurrentElement();
        }
    }
    return text;
}

// Whether a number format shows a date or a time: a letter of year, month, day, hour or second outside
// quoted text, brackets ([Red], [$-804]) and escaped or padding characters.
bool FormatShowsDate(const QString& code) {
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (c == QLatin1Char('"')) {
            i = code.indexOf(QLatin1Char('"'), i + 1);
            if (i < 0)
                return false;
        } else if (c == QLatin1Char('[')) {
            i = code.indexOf(QLatin1Char(']'), i + 1);
            if (i < 0)
                return false;
        } else if (c == QLatin1Char('\\') || c == QLatin1Char('_') || c == QLatin1Char('*')) {
            ++i;
        } else if (QStringLiteral("yYmMdDhHsS").contains(c)) {
            return true;
        }
    }
    return false;
}

// Excel's built-in formats that show dates: 14–22 everywhere, 27–36 and 50–58 in Chinese, Japanese and
// Korean (年 月 日 forms).
bool BuiltInDateFormat(int id) {
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 50 && id <= 58);
}

// A day count as stored ("45627", "45627.520833333336") in "yyyy-MM-dd HH:mm:ss", read from its decimal
// text (the fraction of the day rounded to the second). Day 1 of the 1900 system is 1900-01-01, and
// that system counts a 29 February 1900 that never was (day 60, which has no date here); the 1904
// system starts at 1904-01-01 as day 0. Nothing for a text of another form or a day out of range.
std::optional<QString> DayCountText(const QString& text, bool from1904) {
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    const QString whole = dot < 0 ? text : text.left(dot);
    QString fraction = dot < 0 ? QString() : text.mid(dot + 1);
    if (whole.isEmpty() || whole.size() > 7)
        return std::nullopt;
    for (const QChar c : whole + fraction) {
        if (c.unicode() < '0' || c.unicode() > '9')
            return std::nullopt;
    }
    qint64 days = whole.toLongLong();
    // Twelve digits of the fraction are far below a second; the product stays inside 64 bits.
    fraction = fraction.left(12);
    qint64 seconds = 0;
    if (!fraction.isEmpty()) {
        qint64 scale = 1;
        for (qsizetype i = 0; i < fraction.size(); ++i)
            scale *= 10;
        seconds = (fraction.toLongLong() * 86400 + scale / 2) / scale;
    }
    if (seconds == 86400) {
        ++days;
        seconds = 0;
    }
    const QTime time = QTime(0, 0).addSecs(static_cast<int>(seconds));
    const QString timeText = time.toString(QStringLiteral("HH:mm:ss"));
    if (days == 0 && !from1904)
        return timeText;
    QDate day;
    if (from1904)
        day = QDate(1904, 1, 1).addDays(days);
    else if (days < 60)
        day = QDate(1899, 12, 31).addDays(days);
    else if (days > 60)
        day = QDate(1899, 12, 30).addDays(days);
    if (!day.isValid() || day.year() > 9999)
        return std::nullopt;
    return day.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ') + timeText;
}

// The column of a cell reference ("A1" is 0, "AB17" is 27), or -1 when it has no letters.
int ColumnOf(QStringView reference) {
    int column = 0;
    qsizetype letters = 0;
    for (const QChar c : reference) {
        const char16_t u = c.unicode();
        int value = 0;
        if (u >= 'A' && u <= 'Z')
            value = u - 'A' + 1;
        else if (u >= 'a' && u <= 'z')
            value = u - 'a' + 1;
        else
            break;
        if (++letters > 3)
            return -1;
        column = column * 26 + value;
    }
    return letters == 0 ? -1 : column - 1;
}

class WorkbookReader {
  public:
    WorkbookReader(ZipArchive& zip, QString name) : zip_(zip), name_(std::move(name)) {}

    Result<QList<QStringList>> read() {
        QString sheetPath;
        if (const std::optional<ZipEntry> workbook = zip_.find(QStringLiteral("xl/workbook.xml"))) {
            QString relationId;
            const Status read =
                parse(*workbook, [&](QXmlStreamReader& xml) { return readWorkbook(xml, &relationId); });
            if (!read)
                return read;
            if (!relationId.isEmpty()) {
                Result<QString> target = sheetTarget(relationId);
                if (!target)
                    return target.status();
                sheetPath = *target;
            }
        }
        std::optional<ZipEntry> sheet;
        if (!sheetPath.isEmpty()) {
            sheet = zip_.find(sheetPath);
            if (!sheet)
                return Result<QList<QStringList>>::failure(
                    DamagedMessage(name_, QStringLiteral("no part %1").arg(sheetPath)));
        } else {
            sheet = zip_.find(QStringLiteral("xl/worksheets/sheet1.xml"));
            if (!sheet)
                return Result<QList<QStringList>>::failure(
                    NotWorkbookMessage(name_, QStringLiteral("no worksheet in the archive")));
        }
        if (const std::optional<ZipEntry> strings = zip_.find(QStringLiteral("xl/sharedStrings.xml"))) {
            const Status read =
                parse(*strings, [&](QXmlStreamReader& xml) { return readSharedStrings(xml); });
            if (!read)
                return read;
        }
        if (const std::optional<ZipEntry> styles = zip_.find(QStringLiteral("xl/styles.xml"))) {
            const Status read = parse(*styles, [&](QXmlStreamReader& xml) { return readStyles(xml); });
            if (!read)
                return read;
        }
        const Status read = parse(*sheet, [&](QXmlStreamReader& xml) { return readSheet(xml); });
        if (!read)
            return read;
        return std::move(rows_);
    }

  private:
    // Reads one part of the workbook through the size limit; the part's reader returns its own refusal.
    Status parse(const ZipEntry& entry, const std::function<Status(QXmlStreamReader&)>& body) {
        std::unique_ptr<ZipEntryDevice> device = zip_.openEntry(entry, kMaxBillBytes);
        if (!device)
            return zipFailure(entry.name, zip_.error(), zip_.errorText());
        QXmlStreamReader xml(device.get());
        const Status status = body(xml);
        if (device->error() != ZipError::None)
            return zipFailure(entry.name, device->error(), device->errorText());
        if (!status)
            return status;
        if (xml.hasError())
            return Status::failure(DamagedMessage(name_, QStringLiteral("%1, line %2: %3")
                                                             .arg(entry.name)
                                                             .arg(xml.lineNumber())
                                                             .arg(xml.errorString())));
        return Status::ok();
    }

    Status zipFailure(const QString& part, ZipError error, const QString& text) const {
        if (error == ZipError::TooBig)
            return Status::failure(TooBigMessage(name_, part));
        if (error == ZipError::NeedsPassword || error == ZipError::WrongPassword)
            return Status::failure(
                QStringLiteral("工作簿“%1”设有密码，无法读取。请在 Excel 或 WPS 中去掉密码并另存后再导入。")
                    .arg(name_));
        return Status::failure(DamagedMessage(name_, part + QStringLiteral(": ") + text));
    }

    Status damaged(const QString& detail) const { return Status::failure(DamagedMessage(name_, detail)); }

    // The first sheet in the workbook's order, by its relation id, and the date system.
    Status readWorkbook(QXmlStreamReader& xml, QString* relationId) {
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (Is(xml.name(), "workbookPr")) {
                const QStringView value = xml.attributes().value(QLatin1String("date1904"));
                from1904_ = value == QLatin1String("1") || value == QLatin1String("true");
            } else if (Is(xml.name(), "sheet") && relationId->isEmpty()) {
                for (const QXmlStreamAttribute& attribute : xml.attributes()) {
                    if (Is(attribute.name(), "id") && !attribute.namespaceUri().isEmpty())
                        *relationId = attribute.value().toString();
                }
            }
        }
        return Status::ok();
    }

    // Where the sheet of that relation lives in the archive: its target is relative to xl/ unless it
    // starts with "/".
    Result<QString> sheetTarget(const QString& relationId) {
        const std::optional<ZipEntry> rels = zip_.find(QStringLiteral("xl/_rels/workbook.xml.rels"));
        if (!rels)
            return QString();
        QString target;
        const Status read = parse(*rels, [&](QXmlStreamReader& xml) {
            while (!xml.atEnd()) {
                if (xml.readNext() == QXmlStreamReader::StartElement && Is(xml.name(), "Relationship") &&
                    xml.attributes().value(QLatin1String("Id")) == relationId)
                    target = xml.attributes().value(QLatin1String("Target")).toString();
            }
            return Status::ok();
        });
        if (!read)
            return read;
        if (target.isEmpty())
            return QString();
        if (target.startsWith(QLatin1Char('/')))
            return QDir::cleanPath(target.mid(1));
        return QDir::cleanPath(QStringLiteral("xl/") + target);
    }

    Status readSharedStrings(QXmlStreamReader& xml) {
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement || !Is(xml.name(), "si"))
                continue;
            if (shared_.size() >= kMaxSheetCells)
                return Status::failure(TooBigMessage(name_, QStringLiteral("xl/sharedStrings.xml")));
            shared_.append(RichText(xml));
        }
        return Status::ok();
    }

    // Which cell formats show dates: the number format of each <xf> of <cellXfs>, in order.
    Status readStyles(QXmlStreamReader& xml) {
        QHash<int, QString> customFormats;
        QList<int> formatOfStyle;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (Is(xml.name(), "numFmt")) {
                const QXmlStreamAttributes attributes = xml.attributes();
                customFormats.insert(attributes.value(QLatin1String("numFmtId")).toInt(),
                                     attributes.value(QLatin1String("formatCode")).toString());
            } else if (Is(xml.name(), "cellXfs")) {
                while (xml.readNextStartElement()) {
                    if (Is(xml.name(), "xf"))
                        formatOfStyle.append(xml.attributes().value(QLatin1String("numFmtId")).toInt());
                    xml.skipCurrentElement();
                }
            }
        }
        dateStyles_.clear();
        for (const int id : formatOfStyle) {
            const auto custom = customFormats.constFind(id);
            dateStyles_.append(custom != customFormats.cend() ? FormatShowsDate(*custom)
                                                              : BuiltInDateFormat(id));
        }
        return Status::ok();
    }

    Status readSheet(QXmlStreamReader& xml) {
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement || !Is(xml.name(), "sheetData"))
                continue;
            while (xml.readNextStartElement()) {
                if (!Is(xml.name(), "row")) {
                    xml.skipCurrentElement();
                    continue;
                }
                const Status row = readRow(xml);
                if (!row)
                    return row;
            }
        }
        return Status::ok();
    }

    // Counts cells against the sheet's limit.
    Status spend(qint64 cells) {
        cells_ += cells;
        if (cells_ > kMaxSheetCells)
            return Status::failure(
                QStringLiteral("工作簿“%1”的单元格超过 %2 万个，太大了，没有读取。请分段导出帐单后"
                               "再导入。")
                    .arg(name_)
                    .arg(kMaxSheetCells / 10000));
        return Status::ok();
    }

    Status readRow(QXmlStreamReader& xml) {
        const QStringView numberText = xml.attributes().value(QLatin1String("r"));
        const qsizetype number = numberText.isEmpty() ? rows_.size() + 1 : numberText.toInt();
        if (number <= rows_.size() || number > kMaxSheetRows)
            return damaged(QStringLiteral("row number %1 out of order").arg(numberText));
        if (const Status gap = spend(number - rows_.size()); !gap)
            return gap;
        while (rows_.size() < number)
            rows_.append(QStringList());
        QStringList& row = rows_.last();
        int column = -1;
        while (xml.readNextStartElement()) {
            if (!Is(xml.name(), "c")) {
                xml.skipCurrentElement();
                continue;
            }
            const QXmlStreamAttributes attributes = xml.attributes();
            const int referenced = ColumnOf(attributes.value(QLatin1String("r")));
            column = referenced >= 0 ? referenced : column + 1;
            std::optional<QString> text;
            const Status cell = readCell(xml, attributes, &text);
            if (!cell)
                return cell;
            if (!text)
                continue;
            if (column >= kMaxCells)
                return Status::failure(QStringLiteral("工作簿“%1”第 %2 行超过 %3 列，不像一份帐单，没有读取。"
                                                      "请确认选对了文件。")
                                           .arg(name_)
                                           .arg(number)
                                           .arg(kMaxCells));
            if (column >= row.size()) {
                if (const Status grown = spend(column + 1 - row.size()); !grown)
                    return grown;
                row.resize(column + 1);
            }
            row[column] = std::move(*text);
        }
        return Status::ok();
    }

    // The text of one cell, or nothing for a cell without a value (a formatted empty cell).
    Status readCell(QXmlStreamReader& xml, const QXmlStreamAttributes& attributes,
                    std::optional<QString>* text) {
        QString value;
        bool hasValue = false;
        while (xml.readNextStartElement()) {
            if (Is(xml.name(), "v")) {
                value = xml.readElementText();
                hasValue = true;
            } else if (Is(xml.name(), "is")) {
                value = RichText(xml);
                hasValue = true;
            } else {
                xml.skipCurrentElement();
            }
        }
        if (!hasValue)
            return Status::ok();
        const QStringView type = attributes.value(QLatin1String("t"));
        if (Is(type, "s")) {
            bool ok = false;
            const qsizetype index = value.trimmed().toLongLong(&ok);
            if (!ok || index < 0 || index >= shared_.size())
                return damaged(QStringLiteral("shared string %1 missing").arg(value));
            *text = shared_.at(index);
        } else if (Is(type, "b")) {
            *text = value.trimmed() == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        } else if (Is(type, "d")) {
            // An ISO 8601 date and time as text.
            *text = value.trimmed().replace(QLatin1Char('T'), QLatin1Char(' ')).left(19);
        } else if (type.isEmpty() || Is(type, "n")) {
            const int style = attributes.value(QLatin1String("s")).toInt();
            std::optional<QString> day;
            if (style >= 0 && style < dateStyles_.size() && dateStyles_.at(style))
                day = DayCountText(value.trimmed(), from1904_);
            *text = day ? std::move(*day) : std::move(value);
        } else {
            // inlineStr, str (a formula's text), e (an error such as #N/A): the text as it stands.
            *text = std::move(value);
        }
        return Status::ok();
    }

    ZipArchive& zip_;
    QString name_;
    bool from1904_ = false;
    QStringList shared_;
    QList<bool> dateStyles_;
    QList<QStringList> rows_;
    qint64 cells_ = 0;
};

Result<QList<QStringList>> ReadOpened(ZipArchive& zip, bool opened, const QString& name) {
    if (!opened) {
        if (zip.error() == ZipError::NotZip)
            return Result<QList<QStringList>>::failure(NotWorkbookMessage(name, zip.errorText()));
        return Result<QList<QStringList>>::failure(DamagedMessage(name, zip.errorText()));
    }
    return WorkbookReader(zip, name).read();
}

}  // namespace

Result<QList<QStringList>> ReadXlsxRows(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result<QList<QStringList>>::failure(
            QStringLiteral("无法打开“%1”，请确认文件还在原处并且可以读取。（%2）")
                .arg(name, file.errorString()));
    if (file.size() > kMaxBillBytes)
        return Result<QList<QStringList>>::failure(
            QStringLiteral(
                "“%1”超过 %2 MB，不像一份帐单，没有读取。请确认选对了文件，或分段导出帐单后再导入。")
                .arg(name)
                .arg(kMaxBillBytes / kMegabyte));
    if (file.read(8) == QByteArray(kCompoundSignature, 8))
        return Result<QList<QStringList>>::failure(
            QStringLiteral(
                "“%1”是旧式的 Excel 文件（.xls）或设有打开密码的工作簿，无法读取。请在 Excel 或 WPS "
                "中去掉密码并另存为 .xlsx 后再导入。")
                .arg(name));
    file.close();
    ZipArchive zip;
    const bool opened = zip.open(path);
    return ReadOpened(zip, opened, name);
}

Result<QList<QStringList>> ReadXlsxRowsFromData(const QByteArray& workbook, const QString& name) {
    ZipArchive zip;
    const bool opened = zip.openData(workbook);
    return ReadOpened(zip, opened, name);
}
