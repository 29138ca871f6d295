#include "kopira/EncryptedBackup.h"

#include "data/Secrets.h"
#include "kopira/FileSync.h"
#include "kopira/KopiraStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QtEndian>

#include <sodium.h>

namespace {

const QByteArray kMagic("TamberloBackup\r\n");
constexpr quint8 kFormat = 1;
constexpr quint32 kChunk = 64 * 1024;
// A chunk size read from a file is trusted up to this much memory.
constexpr quint32 kLargestChunk = 16 * 1024 * 1024;
constexpr int kStreamHeader = crypto_secretstream_xchacha20poly1305_HEADERBYTES;
constexpr int kTagBytes = crypto_secretstream_xchacha20poly1305_ABYTES;

// magic, format, chunk size, passes, memory, salt, stream header
int headerLength() {
    return kMagic.size() + 1 + 4 + 8 + 8 + SaltLength() + kStreamHeader;
}

struct Header {
    quint32 chunk = kChunk;
    HashLimits limits;
    QByteArray salt;
    QByteArray stream;
};

QByteArray writeHeader(const Header& header) {
    QByteArray bytes = kMagic;
    bytes.append(static_cast<char>(kFormat));
    char number[8];
    qToLittleEndian<quint32>(header.chunk, number);
    bytes.append(number, 4);
    qToLittleEndian<quint64>(header.limits.passes, number);
    bytes.append(number, 8);
    qToLittleEndian<quint64>(static_cast<quint64>(header.limits.memoryBytes), number);
    bytes.append(number, 8);
    bytes.append(header.salt);
    bytes.append(header.stream);
    return bytes;
}

enum class HeaderState { Ours, NotOurs, NewerFormat, Damaged };

HeaderState readHeader(const QByteArray& bytes, Header* header) {
    if (!bytes.startsWith(kMagic))
        return HeaderState::NotOurs;
    if (bytes.size() < kMagic.size() + 1)
        return HeaderState::Damaged;
    if (static_cast<quint8>(bytes[kMagic.size()]) != kFormat)
        return HeaderState::NewerFormat;
    if (bytes.size() != headerLength())
        return HeaderState::Damaged;
    const char* at = bytes.constData() + kMagic.size() + 1;
    header->chunk = qFromLittleEndian<quint32>(at);
    header->limits.passes = qFromLittleEndian<quint64>(at + 4);
    header->limits.memoryBytes = static_cast<size_t>(qFromLittleEndian<quint64>(at + 12));
    header->salt = bytes.mid(kMagic.size() + 21, SaltLength());
    header->stream = bytes.right(kStreamHeader);
    // Limits below the floor would let a changed header make a weak key; a huge chunk would eat memory.
    if (header->chunk == 0 || header->chunk > kLargestChunk || !LimitsAreSafe(header->limits))
        return HeaderState::Damaged;
    return HeaderState::Ours;
}

const unsigned char* bytesOf(const QByteArray& bytes) {
    return reinterpret_cast<const unsigned char*>(bytes.constData());
}

// Overwrites the plain bytes that passed through a buffer before the buffer is reused or dropped.
void wipe(QByteArray& bytes) {
    if (!bytes.isEmpty())
        sodium_memzero(bytes.data(), static_cast<size_t>(bytes.size()));
}

QString writeFailure(const QString& file, const QString& why) {
    return QStringLiteral("无法写入文件 %1，请检查磁盘空间和文件夹权限。（%2）")
        .arg(QDir::toNativeSeparators(file), why);
}

Status renameInto(const QString& from, const QString& to) {
    if (!QFile::rename(from, to))
        return Status::failure(writeFailure(to, QStringLiteral("rename")));
    return Kopira::SyncFolder(QFileInfo(to).absolutePath());
}

}  // namespace

namespace Kopira {

QString EncryptedSuffix() {
    return QStringLiteral(".tbk");
}

QString WrongPassphraseText() {
    return QStringLiteral(
        "备份口令不对，或者备份文件已被改动或不完整：没有恢复任何内容。"
        "请检查口令（注意大小写）后再试，或换一份备份。");
}

QString LostPassphraseText() {
    return QStringLiteral("请牢记口令：口令丢失后，加密的备份无法恢复，谁也打不开它（Tamberlo 也不能）。");
}

QString PlainStagingName(const QString& purpose) {
    return QStringLiteral("lomu-%1-%2.mdb.part")
        .arg(purpose)
        .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
}

bool IsEncryptedBackup(const QString& file) {
    QFile in(file);
    return in.open(QIODevice::ReadOnly) && in.read(kMagic.size()) == kMagic;
}

Status EncryptFile(const QString& plain, const QString& target, const QString& passphrase) {
    if (passphrase.isEmpty())
        return Status::failure(QStringLiteral("备份口令不能是空的，请输入口令。"));
    if (!SecretsReady())
        return Status::failure(QStringLiteral("无法启用加密库 libsodium，没有备份。"));
    QFile in(plain);
    if (!in.open(QIODevice::ReadOnly))
        return Status::failure(QStringLiteral("无法读取 %1（%2）").arg(plain, in.errorString()));
    if (QFile::exists(target))
        return Status::failure(QStringLiteral("备份文件 %1 已经存在，请稍后再试。").arg(target));

    Header header;
    header.limits = InteractiveLimits();
    header.salt = NewSalt();
    const Result<SecretKey> key = DeriveKey(passphrase, header.salt, header.limits);
    if (!key)
        return key.status();
    crypto_secretstream_xchacha20poly1305_state state;
    header.stream = QByteArray(kStreamHeader, Qt::Uninitialized);
    crypto_secretstream_xchacha20poly1305_init_push(
        &state, reinterpret_cast<unsigned char*>(header.stream.data()), key.value().data());
    const QByteArray headerBytes = writeHeader(header);

    const QString partial = target + QStringLiteral(".part");
    QFile out(partial);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return Status::failure(writeFailure(partial, out.errorString()));
    out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    bool written = out.write(headerBytes) == headerBytes.size();
    QByteArray chunk = in.read(kChunk);
    QByteArray sealed(static_cast<int>(kChunk) + kTagBytes, Qt::Uninitialized);
    while (written) {
        QByteArray next = in.read(kChunk);
        if (next.isEmpty() && !in.atEnd())
            break;  // a read that failed: told below
        const bool last = next.isEmpty();
        unsigned long long length = 0;
        crypto_secretstream_xchacha20poly1305_push(
            &state, reinterpret_cast<unsigned char*>(sealed.data()), &length, bytesOf(chunk),
            static_cast<unsigned long long>(chunk.size()), bytesOf(headerBytes),
            static_cast<unsigned long long>(headerBytes.size()),
            last ? crypto_secretstream_xchacha20poly1305_TAG_FINAL
                 : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE);
        wipe(chunk);
        written = out.write(sealed.constData(), static_cast<qint64>(length)) == static_cast<qint64>(length);
        chunk = std::move(next);
        if (last)
            break;
    }
    sodium_memzero(&state, sizeof state);
    const bool readWhole = in.error() == QFileDevice::NoError && in.atEnd();
    const QString why = out.errorString();
    out.close();
    Status done = written && readWhole
                      ? SyncFile(partial)
                      : Status::failure(readWhole ? writeFailure(partial, why)
                                                  : QStringLiteral("无法读取 %1").arg(plain));
    if (done)
        done = renameInto(partial, target);
    if (!done)
        QFile::remove(partial);
    return done;
}

Status DecryptFile(const QString& encrypted, const QString& target, const QString& passphrase) {
    if (!SecretsReady())
        return Status::failure(QStringLiteral("无法启用加密库 libsodium，没有恢复任何内容。"));
    QFile in(encrypted);
    if (!in.open(QIODevice::ReadOnly))
        return Status::failure(
            QStringLiteral("无法读取备份 %1（%2），没有恢复任何内容。").arg(encrypted, in.errorString()));
    const QByteArray headerBytes = in.read(headerLength());
    Header header;
    switch (readHeader(headerBytes, &header)) {
        case HeaderState::Ours:
            break;
        case HeaderState::NotOurs:
            return Status::failure(
                QStringLiteral("文件 %1 不是加密的 Tamberlo 备份，没有恢复任何内容。").arg(encrypted));
        case HeaderState::NewerFormat:
            return Status::failure(QStringLiteral("备份 %1 是较新版本的 Tamberlo 加密的，请用新版本的 kopira "
                                                  "恢复。没有恢复任何内容。")
                                       .arg(encrypted));
        case HeaderState::Damaged:
            return Status::failure(WrongPassphraseText());
    }
    const Result<SecretKey> key = DeriveKey(passphrase, header.salt, header.limits);
    if (!key)
        return key.status();
    crypto_secretstream_xchacha20poly1305_state state;
    if (crypto_secretstream_xchacha20poly1305_init_pull(&state, bytesOf(header.stream), key.value().data()) !=
        0)
        return Status::failure(WrongPassphraseText());

    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return Status::failure(writeFailure(target, out.errorString()));
    out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QByteArray plain(static_cast<int>(header.chunk), Qt::Uninitialized);
    Status result = Status::failure(WrongPassphraseText());
    for (;;) {
        const QByteArray sealed = in.read(static_cast<qint64>(header.chunk) + kTagBytes);
        if (sealed.size() < kTagBytes)
            break;  // cut short: the FINAL chunk never came
        unsigned long long length = 0;
        unsigned char tag = 0;
        if (crypto_secretstream_xchacha20poly1305_pull(
                &state, reinterpret_cast<unsigned char*>(plain.data()), &length, &tag, bytesOf(sealed),
                static_cast<unsigned long long>(sealed.size()), bytesOf(headerBytes),
                static_cast<unsigned long long>(headerBytes.size())) != 0)
            break;
        if (out.write(plain.constData(), static_cast<qint64>(length)) != static_cast<qint64>(length)) {
            result = Status::failure(writeFailure(target, out.errorString()));
            break;
        }
        if (tag == crypto_secretstream_xchacha20poly1305_TAG_FINAL) {
            // Bytes after the end are as much a change as bytes changed inside.
            if (in.atEnd())
                result = Status::ok();
            break;
        }
    }
    sodium_memzero(&state, sizeof state);
    wipe(plain);
    out.close();
    if (result)
        result = SyncFile(target);
    if (!result)
        QFile::remove(target);
    return result;
}

Result<QString> BackUpHouseholdEncrypted(const Household& household, const QString& folder,
                                         const QDateTime& when, const QString& passphrase,
                                         const QString& fileName, bool check) {
    if (passphrase.isEmpty())
        return Result<QString>::failure(QStringLiteral("备份口令不能是空的，请输入口令。"));
    if (!QDir().mkpath(folder))
        return Result<QString>::failure(QStringLiteral("无法创建文件夹 %1，请选择别的文件夹。").arg(folder));
    const QString target = QDir(folder).absoluteFilePath(
        (fileName.isEmpty() ? BackupFileName(when) : fileName) + EncryptedSuffix());
    if (QFile::exists(target))
        return Result<QString>::failure(QStringLiteral("备份文件 %1 已经存在，请稍后再试。").arg(target));
    // The plain copy stays beside the household: never on the stick or the cloud folder the backup goes to.
    const QString staging = QFileInfo(household.file).absolutePath();
    const Result<QString> plain =
        BackUpHousehold(household, staging, when, PlainStagingName(QStringLiteral("加密中")));
    if (!plain)
        return plain;
    Status done = check ? CheckBackup(plain.value()) : Status::ok();
    if (done)
        done = EncryptFile(plain.value(), target, passphrase);
    QFile::remove(plain.value());
    if (!done)
        return done;
    return target;
}

DecryptedBackup::DecryptedBackup(QString encrypted, QString path)
    : encrypted_(std::move(encrypted)), path_(std::move(path)) {}

DecryptedBackup::~DecryptedBackup() {
    QFile::remove(path_);
}

Result<std::shared_ptr<DecryptedBackup>> DecryptedBackup::Open(const QString& encrypted,
                                                               const QString& passphrase,
                                                               const QString& databasePath) {
    const QString folder = QFileInfo(databasePath).absolutePath();
    if (!QDir().mkpath(folder))
        return Status::failure(QStringLiteral("无法创建文件夹 %1，没有恢复任何内容。").arg(folder));
    const QString path = QDir(folder).absoluteFilePath(PlainStagingName(QStringLiteral("解密中")));
    if (Status decrypted = DecryptFile(encrypted, path, passphrase); !decrypted)
        return decrypted;
    return std::shared_ptr<DecryptedBackup>(
        new DecryptedBackup(QFileInfo(encrypted).absoluteFilePath(), path));
}

BackupSummary DecryptedBackup::summary() const {
    BackupSummary summary = Summarize(path_);
    const BackupSummary outside = Summarize(encrypted_, false);
    summary.path = outside.path;
    summary.kind = outside.kind;
    summary.made = outside.made;
    summary.size = outside.size;
    summary.encrypted = true;
    // A problem names the file it was found in: the user knows the encrypted one.
    summary.problem.replace(path_, outside.path);
    return summary;
}

}  // namespace Kopira
