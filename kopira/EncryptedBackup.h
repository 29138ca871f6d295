#pragma once

#include "data/Result.h"
#include "kopira/BackupInfo.h"
#include "kopira/KopiraHousehold.h"

#include <QDateTime>
#include <QString>

#include <memory>

// Backups that may leave the house: the household file encrypted under a passphrase.
//
// The file starts with a header that marks it as a Tamberlo backup: the magic "TamberloBackup\r\n", the
// format (1), the chunk size, the Argon2id passes and memory, the salt, and the header of libsodium's
// secretstream (XChaCha20-Poly1305). Then the household follows in chunks, each one authenticated
// together with the whole header; the last carries the FINAL tag, so a file cut short is told from a
// whole one. The key is derived from the passphrase with Argon2id under a fresh salt for every backup.
// Nothing of the household is ever written to the backup's folder in plain form: the plain copy is made
// beside the household itself (which holds the same bytes already) and removed afterwards.
namespace Kopira {

// What an encrypted backup's name ends with, after the plain backup's name: "lomu-20070115-093005.mdb.tbk".
QString EncryptedSuffix();

// What the user reads when the passphrase is wrong, or the file was changed or cut short.
QString WrongPassphraseText();

// What the user reads wherever a passphrase is set: a lost passphrase cannot be got round.
QString LostPassphraseText();

// The file starts with the mark of an encrypted Tamberlo backup.
bool IsEncryptedBackup(const QString& file);

// Encrypts the household file `plain` into `target` (which must not exist): written under a temporary
// name, put on the disk, then renamed, so that no half backup ever carries the backup's name.
Status EncryptFile(const QString& plain, const QString& target, const QString& passphrase);

// Decrypts `encrypted` into `target` (created, readable by the owner only). On any failure — a wrong
// passphrase, a changed byte, a file cut short — `target` is removed and WrongPassphraseText() (or what
// kept the file from being read or written) is given.
Status DecryptFile(const QString& encrypted, const QString& target, const QString& passphrase);

// Writes an encrypted backup of the household into the folder, named like a plain one plus
// EncryptedSuffix(); gives its path. `check` runs the whole backup check on the plain copy before it
// is encrypted (the daily backups).
Result<QString> BackUpHouseholdEncrypted(const Household& household, const QString& folder,
                                         const QDateTime& when, const QString& passphrase,
                                         const QString& fileName = QString(), bool check = false);

// A backup decrypted for a restore: a plain copy beside the household, removed when the last holder
// lets go of it.
class DecryptedBackup {
  public:
    ~DecryptedBackup();
    DecryptedBackup(const DecryptedBackup&) = delete;
    DecryptedBackup& operator=(const DecryptedBackup&) = delete;

    // Decrypts the backup beside the household's file (the folder is made when missing).
    static Result<std::shared_ptr<DecryptedBackup>> Open(const QString& encrypted, const QString& passphrase,
                                                         const QString& databasePath);

    // The plain copy, to restore from.
    const QString& path() const { return path_; }
    // The plain copy's summary, told as the encrypted file's (its name, time, size and kind).
    BackupSummary summary() const;

  private:
    DecryptedBackup(QString encrypted, QString path);
    QString encrypted_;
    QString path_;
};

// A file name for a plain copy made beside the household on its way in or out of encryption. The
// start of either program removes such copies once untouched for an hour (a killed backup or restore).
QString PlainStagingName(const QString& purpose);

}  // namespace Kopira
