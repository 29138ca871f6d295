#pragma once

#include "kopira/KopiraHousehold.h"

#include <QString>

#include <optional>

// Where the passphrase of the automatic backups is kept: the desktop's secret store (the Secret Service
// over D-Bus: GNOME Keyring, KWallet), one entry per household, never a file of this program. Without
// a secret service the automatic backups stay plain.
namespace Kopira {

class BackupSecretStore {
  public:
    virtual ~BackupSecretStore() = default;
    // A secret service can be asked at all (a desktop session runs).
    virtual bool available() = 0;
    // The passphrase kept for the household (its key, see SecretStoreKey); none when there is none or
    // the store does not answer.
    virtual std::optional<QString> lookup(const QString& household) = 0;
    virtual bool store(const QString& household, const QString& passphrase) = 0;
    virtual bool clear(const QString& household) = 0;
};

// The store in use: the desktop's, or the one a test installed.
BackupSecretStore& SecretStore();
// Tests install a store of their own; nullptr gives the desktop's back.
void InstallSecretStore(BackupSecretStore* store);

// The key a household's passphrase is kept under: its file, or its server's connection as shown.
QString SecretStoreKey(const Household& household);

// The passphrase of the household's automatic backups; empty when they stay plain.
QString AutomaticBackupPassphrase(const Household& household);

// What the window says when no secret service answers.
QString NoSecretServiceText();

}  // namespace Kopira
