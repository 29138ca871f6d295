#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Zip archives and XLSX workbooks written by the tests themselves, with libzip.

struct TestZipPart {
    QString name;
    QByteArray bytes;
};

// Writes the parts, deflated; with a password each part is encrypted by `method` (libzip's ZIP_EM_*
// number). Gives libzip's message on failure, empty on success.
QString WriteTestZip(const QString& path, const QList<TestZipPart>& parts, const QByteArray& password = {},
                     int method = 0);

// The smallest workbook Excel opens: the content types, the package relation, a workbook of one sheet
// and its relations, and the parts given (each left out while empty).
struct TestWorkbook {
    QByteArray workbook;       // xl/workbook.xml; empty: one sheet named 账单, relation rId1
    QByteArray relations;      // xl/_rels/workbook.xml.rels; empty: rId1 is worksheets/sheet1.xml
    QByteArray sheet;          // the <sheetData> content of xl/worksheets/sheet1.xml
    QByteArray sharedStrings;  // the <si> elements of xl/sharedStrings.xml
    QByteArray styles;         // the content of <styleSheet> in xl/styles.xml
    QList<TestZipPart> more;   // further parts as they are

    QList<TestZipPart> parts() const;
    QString write(const QString& path) const { return WriteTestZip(path, parts()); }
};
