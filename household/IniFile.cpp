#include "household/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <limits>

namespace {

struct Line {
    QString text;    // without its line ending
    QString ending;  // "\n", "\r\n" or "" for a last line without one
};

QList<Line> readLines(const QString& path, bool* exists) {
    QList<Line> lines;
    QFile file(path);
    *exists = file.exists();
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    const QString content = QString::fromUtf8(file.readAll());
    qsizetype start = 0;
    while (start < content.size()) {
        qsizetype end = content.indexOf(QLatin1Char('\n'), start);
        Line line;
        if (end < 0) {
            line.text = content.mid(start);
            start = content.size();
        } else {
            line.text = content.mid(start, end - start);
            line.ending = QStringLiteral("\n");
            start = end + 1;
        }
        if (line.text.endsWith(QLatin1Char('\r'))) {
            line.text.chop(1);
            line.ending.prepend(QLatin1Char('\r'));
        }
        lines.append(line);
    }
    return lines;
}

// The name of a "[section]" line, or nothing for any other line.
std::optional<QString> sectionOf(const QString& line) {
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return std::nullopt;
    return t.mid(1, close - 1);
}

// The key of a "key=value" line, or nothing for a comment or any other line.
std::optional<QString> keyOf(const QString& line) {
    const QString t = line.trimmed();
    if (t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('#')))
        return std::nullopt;
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return std::nullopt;
    return t.left(eq).trimmed();
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Index of the section's header line, or -1.
qsizetype findSection(const QList<Line>& lines, const QString& section) {
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto name = sectionOf(lines[i].text);
        if (name && sameName(*name, section))
            return i;
    }
    return -1;
}

std::optional<int> parseInteger(const QString& text) {
    const QString t = text.trimmed();
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok, 10);
    if (!ok || v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(v);
}

}  // namespace

IniFile::IniFile(QString path) : path_(std::move(path)) {}

std::optional<QString> IniFile::readString(const QString& section, const QString& key) const {
    bool exists = false;
    const QList<Line> lines = readLines(path_, &exists);
    const qsizetype header = findSection(lines, section);
    if (header < 0)
        return std::nullopt;
    for (qsizetype i = header + 1; i < lines.size(); ++i) {
        if (sectionOf(lines[i].text))
            break;
        const auto k = keyOf(lines[i].text);
        if (k && sameName(*k, key)) {
            const QString t = lines[i].text;
            return t.mid(t.indexOf(QLatin1Char('=')) + 1).trimmed();
        }
    }
    return std::nullopt;
}

int IniFile::readInteger(const QString& section, const QString& key, int defaultValue) const {
    const auto text = readString(section, key);
    if (!text)
        return defaultValue;
    return parseInteger(*text).value_or(defaultValue);
}

bool IniFile::readBool(const QString& section, const QString& key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

Status IniFile::writeInteger(const QString& section, const QString& key, int value) {
    return writeString(section, key, QString::number(value));
}

Status IniFile::writeBool(const QString& section, const QString& key, bool value) {
    return writeInteger(section, key, value ? 1 : 0);
}

Status IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    const Status cannotWrite = Status::failure(QStringLiteral("无法写入设置文件 %1").arg(path_));
    bool exists = false;
    QList<Line> lines = readLines(path_, &exists);
    if (exists && !(QFile::permissions(path_) & QFileDevice::WriteOwner))
        return cannotWrite;
    if (!QFileInfo(path_).absoluteDir().exists())
        return cannotWrite;

    const QString newline = !lines.isEmpty() && lines.first().ending == QStringLiteral("\r\n")
                                ? QStringLiteral("\r\n")
                                : QStringLiteral("\n");
    const QString entry = key + QLatin1Char('=') + value;

    const qsizetype header = findSection(lines, section);
    if (header < 0) {
        if (!lines.isEmpty() && lines.last().ending.isEmpty())
            lines.last().ending = newline;
        lines.append({QLatin1Char('[') + section + QLatin1Char(']'), newline});
        lines.append({entry, newline});
    } else {
        qsizetype insertAt = header + 1;
        bool replaced = false;
        for (qsizetype i = header + 1; i < lines.size(); ++i) {
            if (sectionOf(lines[i].text))
                break;
            const auto k = keyOf(lines[i].text);
            if (k && sameName(*k, key)) {
                lines[i].text = entry;
                replaced = true;
                break;
            }
            if (!lines[i].text.trimmed().isEmpty())
                insertAt = i + 1;
        }
        if (!replaced) {
            if (lines[insertAt - 1].ending.isEmpty())
                lines[insertAt - 1].ending = newline;
            lines.insert(insertAt, {entry, newline});
        }
    }

    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly))
        return cannotWrite;
    if (!exists)
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QString content;
    for (const Line& line : lines)
        content += line.text + line.ending;
    file.write(content.toUtf8());
    if (!file.commit())
        return cannotWrite;
    return Status::ok();
}
