#include "support/TestZip.h"

#include <QFile>

#include <zip.h>

QString WriteTestZip(const QString& path, const QList<TestZipPart>& parts, const QByteArray& password,
                     int method) {
    int code = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!archive) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        const QString text = QString::fromUtf8(zip_error_strerror(&error));
        zip_error_fini(&error);
        return text;
    }
    for (const TestZipPart& part : parts) {
        // The bytes stay with `parts` until zip_close has written them.
        zip_source_t* source = zip_source_buffer(archive, part.bytes.constData(),
                                                 static_cast<zip_uint64_t>(part.bytes.size()), 0);
        const zip_int64_t index =
            source ? zip_file_add(archive, part.name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (source)
                zip_source_free(source);
            const QString text = QString::fromUtf8(zip_strerror(archive));
            zip_discard(archive);
            return text;
        }
        if (!password.isEmpty() &&
            zip_file_set_encryption(archive, static_cast<zip_uint64_t>(index),
                                    static_cast<zip_uint16_t>(method), password.constData()) != 0) {
            const QString text = QString::fromUtf8(zip_strerror(archive));
            zip_discard(archive);
            return text;
        }
    }
    if (zip_close(archive) != 0) {
        const QString text = QString::fromUtf8(zip_strerror(archive));
        zip_discard(archive);
        return text;
    }
    return {};
}

QList<TestZipPart> TestWorkbook::parts() const {
    const QByteArray main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const QByteArray officeRels = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    const QByteArray packageRels = "http://schemas.openxmlformats.org/package/2006/relationships";
    QList<TestZipPart> list;
    list.append(
        {QStringLiteral("[Content_Types].xml"),
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
         "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
         "<Default Extension=\"rels\" "
         "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
         "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
         "<Override PartName=\"/xl/workbook.xml\" "
         "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
         "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
         "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
         "</Types>"});
    list.append({QStringLiteral("_rels/.rels"),
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships xmlns=\"" + packageRels +
                     "\"><Relationship Id=\"rId1\" Type=\"" + officeRels +
                     "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"});
    list.append(
        {QStringLiteral("xl/workbook.xml"),
         !workbook.isEmpty()
             ? workbook
             : "<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook xmlns=\"" + main + "\" xmlns:r=\"" +
                   officeRels +
                   "\"><sheets><sheet name=\"账单\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"});
    list.append({QStringLiteral("xl/_rels/workbook.xml.rels"),
                 !relations.isEmpty()
                     ? relations
                     : "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships xmlns=\"" + packageRels +
                           "\"><Relationship Id=\"rId1\" Type=\"" + officeRels +
                           "/worksheet\" Target=\"worksheets/sheet1.xml\"/></Relationships>"});
    if (!sheet.isEmpty())
        list.append({QStringLiteral("xl/worksheets/sheet1.xml"),
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?><worksheet xmlns=\"" + main +
                         "\"><sheetData>" + sheet + "</sheetData></worksheet>"});
    if (!sharedStrings.isEmpty())
        list.append({QStringLiteral("xl/sharedStrings.xml"),
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?><sst xmlns=\"" + main + "\">" +
                         sharedStrings + "</sst>"});
    if (!styles.isEmpty())
        list.append({QStringLiteral("xl/styles.xml"),
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?><styleSheet xmlns=\"" + main + "\">" +
                         styles + "</styleSheet>"});
    list.append(more);
    return list;
}
