#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// A zip archive opened read-only with libzip, shared by the XLSX reader and the unpacking of the zip
// 支付宝 mails. Every entry is read through a device that stops at a limit, so a small archive that
// unpacks to gigabytes (or whose directory understates its sizes) never takes the machine's memory.

struct zip;
struct zip_file;

// How an open or a read failed, with libzip's own English text in errorText.
enum class ZipError {
    None,
    NotZip,         // the file is no zip archive at all
    Unreadable,     // cannot be opened (missing, no right to read)
    Damaged,        // a zip whose directory or data is broken
    TooBig,         // an entry unpacks to more than the limit
    NeedsPassword,  // an encrypted entry opened without a password
    WrongPassword,  // the password does not open the entry
    Unsupported,    // an encryption or compression method libzip cannot read
};

// One entry of the archive's directory.
struct ZipEntry {
    qint64 index = -1;
    QString name;
    qint64 size = 0;  // the unpacked size the directory states
    bool encrypted = false;
    bool folder = false;
};

// An entry being read: a sequential device that gives at most `limit` bytes; past it, the read fails
// with ZipError::TooBig. A damaged entry (checksum, broken data) or a wrong password found while reading
// fails too; the error is kept for the caller to say which.
class ZipEntryDevice : public QIODevice {
  public:
    ZipEntryDevice(zip_file* file, qint64 limit, bool encrypted);
    ~ZipEntryDevice() override;
    ZipEntryDevice(const ZipEntryDevice&) = delete;
    ZipEntryDevice& operator=(const ZipEntryDevice&) = delete;

    bool isSequential() const override { return true; }
    bool atEnd() const override;
    ZipError error() const { return error_; }
    QString errorText() const { return errorText_; }

  protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    zip_file* file_;
    qint64 limit_;
    qint64 done_ = 0;
    bool encrypted_;
    bool ended_ = false;
    ZipError error_ = ZipError::None;
    QString errorText_;
};

class ZipArchive {
  public:
    ZipArchive();
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // Opens a file, or an archive held in memory (which must outlive this object). False with error().
    bool open(const QString& path);
    bool openData(const QByteArray& bytes);
    ZipError error() const { return error_; }
    QString errorText() const { return errorText_; }

    QList<ZipEntry> entries() const;
    // The entry of that name (compared without letter case, as the parts of a workbook are), or none.
    std::optional<ZipEntry> find(const QString& name) const;

    // Opens an entry for reading; the password is used for an encrypted one. Null with error() set.
    std::unique_ptr<ZipEntryDevice> openEntry(const ZipEntry& entry, qint64 limit,
                                              const QByteArray& password = {});
    // Reads a whole entry of at most `limit` bytes. Null with error() set.
    std::optional<QByteArray> readEntry(const ZipEntry& entry, qint64 limit, const QByteArray& password = {});

  private:
    void fail(ZipError error, const QString& text);
    zip* archive_ = nullptr;
    ZipError error_ = ZipError::None;
    QString errorText_;
};
