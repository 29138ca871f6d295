#include "bills/ZipArchive.h"

#include <QFile>

#include <zip.h>

#include <algorithm>

namespace {

QString ZipErrorText(zip_error_t* error) {
    return QString::fromUtf8(zip_error_strerror(error));
}

QString ZipCodeText(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = ZipErrorText(&error);
    zip_error_fini(&error);
    return text;
}

// What a libzip error code means for the reader. A checksum that fails on an encrypted entry is a wrong
// password that happened to pass the quick check of the traditional encryption (one time in 256).
ZipError Classify(int code, bool encrypted) {
    switch (code) {
        case ZIP_ER_NOZIP:
            return ZipError::NotZip;
        case ZIP_ER_OPEN:
        case ZIP_ER_NOENT:
        case ZIP_ER_READ:
        case ZIP_ER_SEEK:
            return ZipError::Unreadable;
        case ZIP_ER_NOPASSWD:
            return ZipError::NeedsPassword;
        case ZIP_ER_WRONGPASSWD:
            return ZipError::WrongPassword;
        case ZIP_ER_ENCRNOTSUPP:
        case ZIP_ER_COMPNOTSUPP:
            return ZipError::Unsupported;
        case ZIP_ER_CRC:
            return encrypted ? ZipError::WrongPassword : ZipError::Damaged;
        default:
            return ZipError::Damaged;
    }
}

}  // namespace

ZipEntryDevice::ZipEntryDevice(zip_file* file, qint64 limit, bool encrypted)
    : file_(file), limit_(limit), encrypted_(encrypted) {
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

ZipEntryDevice::~ZipEntryDevice() {
    zip_fclose(file_);
}

bool ZipEntryDevice::atEnd() const {
    return ended_ || error_ != ZipError::None;
}

qint64 ZipEntryDevice::readData(char* data, qint64 maxSize) {
    if (error_ != ZipError::None)
        return -1;
    if (ended_ || maxSize <= 0)
        return 0;
    // One byte more than the limit allows tells a too large entry from one of exactly the limit.
    const qint64 want = std::min(maxSize, limit_ + 1 - done_);
    const zip_int64_t got = zip_fread(file_, data, static_cast<zip_uint64_t>(want));
    if (got < 0) {
        zip_error_t* error = zip_file_get_error(file_);
        error_ = Classify(zip_error_code_zip(error), encrypted_);
        errorText_ = ZipErrorText(error);
        return -1;
    }
    if (got == 0) {
        ended_ = true;
        return 0;
    }
    done_ += got;
    if (done_ > limit_) {
        error_ = ZipError::TooBig;
        errorText_ = QStringLiteral("entry larger than %1 bytes").arg(limit_);
        return -1;
    }
    return got;
}

ZipArchive::ZipArchive() = default;

ZipArchive::~ZipArchive() {
    if (archive_)
        zip_discard(archive_);
}

void ZipArchive::fail(ZipError error, const QString& text) {
    error_ = error;
    errorText_ = text;
}

bool ZipArchive::open(const QString& path) {
    int code = 0;
    archive_ = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!archive_) {
        fail(Classify(code, false), ZipCodeText(code));
        return false;
    }
    return true;
}

bool ZipArchive::openData(const QByteArray& bytes) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source =
        zip_source_buffer_create(bytes.constData(), static_cast<zip_uint64_t>(bytes.size()), 0, &error);
    if (source)
        archive_ = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!archive_) {
        fail(Classify(zip_error_code_zip(&error), false), ZipErrorText(&error));
        if (source)
            zip_source_free(source);
    }
    zip_error_fini(&error);
    return archive_ != nullptr;
}

QList<ZipEntry> ZipArchive::entries() const {
    QList<ZipEntry> list;
    const zip_int64_t count = zip_get_num_entries(archive_, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(archive_, static_cast<zip_uint64_t>(i), 0, &st) != 0)
            continue;
        ZipEntry entry;
        entry.index = i;
        entry.name = QString::fromUtf8((st.valid & ZIP_STAT_NAME) ? st.name : "");
        entry.size =
            (st.valid & ZIP_STAT_SIZE) ? static_cast<qint64>(std::min<zip_uint64_t>(st.size, INT64_MAX)) : 0;
        entry.encrypted = (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE;
        entry.folder = entry.name.endsWith(QLatin1Char('/'));
        list.append(entry);
    }
    return list;
}

std::optional<ZipEntry> ZipArchive::find(const QString& name) const {
    const zip_int64_t index = zip_name_locate(archive_, name.toUtf8().constData(), ZIP_FL_NOCASE);
    if (index < 0)
        return std::nullopt;
    for (const ZipEntry& entry : entries()) {
        if (entry.index == index)
            return entry;
    }
    return std::nullopt;
}

std::unique_ptr<ZipEntryDevice> ZipArchive::openEntry(const ZipEntry& entry, qint64 limit,
                                                      const QByteArray& password) {
    if (entry.size > limit) {
        fail(ZipError::TooBig, QStringLiteral("%1: %2 bytes unpacked").arg(entry.name).arg(entry.size));
        return nullptr;
    }
    if (entry.encrypted && password.isEmpty()) {
        fail(ZipError::NeedsPassword, ZipCodeText(ZIP_ER_NOPASSWD));
        return nullptr;
    }
    zip_file_t* file = zip_fopen_index_encrypted(archive_, static_cast<zip_uint64_t>(entry.index), 0,
                                                 entry.encrypted ? password.constData() : nullptr);
    if (!file) {
        zip_error_t* error = zip_get_error(archive_);
        fail(Classify(zip_error_code_zip(error), entry.encrypted), ZipErrorText(error));
        return nullptr;
    }
    return std::make_unique<ZipEntryDevice>(file, limit, entry.encrypted);
}

std::optional<QByteArray> ZipArchive::readEntry(const ZipEntry& entry, qint64 limit,
                                                const QByteArray& password) {
    const std::unique_ptr<ZipEntryDevice> device = openEntry(entry, limit, password);
    if (!device)
        return std::nullopt;
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(entry.size));
    char chunk[64 * 1024];
    for (;;) {
        const qint64 got = device->read(chunk, sizeof chunk);
        if (got < 0 || device->error() != ZipError::None) {
            fail(device->error() == ZipError::None ? ZipError::Damaged : device->error(),
                 device->errorText());
            return std::nullopt;
        }
        if (got == 0)
            break;
        bytes.append(chunk, static_cast<qsizetype>(got));
    }
    return bytes;
}
