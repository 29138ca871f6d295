#pragma once

#include "data/Result.h"

#include <QByteArray>
#include <QString>

#include <memory>

// The household's secrets and the keys that guard them, built on libsodium:
//
// - a login password is kept as an Argon2id hash (libsodium's own string form) of its text with the
//   letter case folded, since the login compares without letter case;
// - every user has a key pair; its public half is stored plainly, its secret half sealed
//   (XChaCha20-Poly1305) under a key derived with Argon2id from the user's password;
// - one household key encrypts the bank passwords (XChaCha20-Poly1305); it is kept sealed to the public
//   key of every user who may see them, so that a user manager holding it can give it to another user
//   without knowing that user's password;
// - a backup's passphrase gives its key through Argon2id with the salt and limits the backup records.
//
// Stored forms are printable text, each starting with a tag naming its kind and form, so that a later
// form can sit beside this one. Keys exist in memory only, in SecretKey, wiped when the last copy goes.

// The memory and passes of every Argon2id derivation made here: at least 19 MiB and 2 passes.
struct HashLimits {
    quint64 passes = 0;
    size_t memoryBytes = 0;
};
// libsodium's interactive limits (64 MiB, 2 passes): about 0.1 s on a desktop.
HashLimits InteractiveLimits();
// Limits below these are refused when read from a file: a tampered file could otherwise make a weak key.
bool LimitsAreSafe(const HashLimits& limits);

// libsodium is ready; false only if it could not start (the machine gives no randomness).
bool SecretsReady();

// The text a login password is hashed and checked as: its letters A to Z in lower case.
QString FoldPasswordCase(const QString& typed);

// The Argon2id hash of a login password, in libsodium's "$argon2id$…" form. Fails only without memory.
Result<QByteArray> HashLoginPassword(const QString& typed);
// The password typed matches the stored hash, letter case aside. A damaged or empty hash matches nothing.
bool LoginPasswordMatches(const QByteArray& storedHash, const QString& typed);

// 32 bytes kept out of swap where the system allows, wiped when the last copy is released. A
// default-made key is empty.
class SecretKey {
  public:
    static constexpr int kSize = 32;
    SecretKey() = default;
    static SecretKey random();
    static SecretKey fromBytes(const unsigned char* bytes);

    bool isEmpty() const { return !bytes_; }
    const unsigned char* data() const { return bytes_ ? bytes_.get() : nullptr; }

  private:
    std::shared_ptr<unsigned char> bytes_;
};

// Seals bytes under a key with XChaCha20-Poly1305 and a fresh random nonce; `context` is bound to the
// result and must be given again to open it. The result is "<tag>$<base64 of nonce and ciphertext>".
QByteArray SealBytes(const SecretKey& key, const QByteArray& plain, const char* tag,
                     const QByteArray& context);
// The bytes sealed by SealBytes, or a failure when the key is wrong or the text was changed.
Result<QByteArray> OpenBytes(const SecretKey& key, const QByteArray& sealed, const char* tag,
                             const QByteArray& context);

// A key derived from a password or passphrase with Argon2id.
Result<SecretKey> DeriveKey(const QString& secret, const QByteArray& salt, const HashLimits& limits);
// A fresh random salt of the length DeriveKey takes.
QByteArray NewSalt();
int SaltLength();

// A user's keys as stored: the public key, and the secret key sealed under the password.
struct StoredUserKeys {
    QByteArray publicKey;     // "pk1$<base64>"
    QByteArray sealedSecret;  // "usk1$<passes>$<memory>$<salt>$<sealed>"
};
// A user's key pair as held in memory after a login.
struct UserKeyPair {
    QByteArray publicKey;  // raw bytes
    SecretKey secretKey;
};

// A new key pair for a user, its secret sealed under the password (letter case folded).
Result<StoredUserKeys> MakeUserKeys(const QString& password, UserKeyPair* keysOut = nullptr);
// Opens the stored keys with the password typed; a wrong password fails.
Result<UserKeyPair> OpenUserKeys(const StoredUserKeys& stored, const QString& password);
// The stored form of a public key held in memory ("pk1$<base64>"), as the user's row keeps it.
QByteArray StoredPublicKey(const QByteArray& publicKey);
// Seals the secret key of an opened pair under a new password (a password change).
Result<StoredUserKeys> ResealUserKeys(const UserKeyPair& keys, const QString& newPassword);

// The household key sealed to a user's public key ("hk1$<base64>"); anyone may seal, only the holder of
// the matching secret key opens it.
Result<QByteArray> SealHouseholdKey(const SecretKey& householdKey, const QByteArray& storedPublicKey);
Result<SecretKey> OpenHouseholdKey(const QByteArray& sealed, const UserKeyPair& keys);

// A bank password encrypted under the household key ("bp1$…"), and back. An empty password stays empty.
QByteArray SealBankPassword(const SecretKey& householdKey, const QString& password);
Result<QString> OpenBankPassword(const SecretKey& householdKey, const QByteArray& sealed);

// Overwrites the characters of a string in place (a password read from a box) before it is dropped.
void WipeText(QString& text);

// Makes a crash of this process leave no core dump: passwords typed into boxes and the keys opened
// with them live in its memory. Called first thing by the programs. Returns false when the system
// refused (the program goes on regardless).
bool KeepSecretsOutOfCrashDumps();
