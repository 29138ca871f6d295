// libsecret's headers come first: GLib's names must not meet any of Qt's macros.
#include <libsecret/secret.h>

#include "kopira/BackupSecretStore.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace {

const SecretSchema* schema() {
    static const SecretSchema kSchema = {
        "io.github.tamberlo.Backup",
        SECRET_SCHEMA_NONE,
        {{"household", SECRET_SCHEMA_ATTRIBUTE_STRING}, {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}},
        0,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr};
    return &kSchema;
}

// Frees a GError and says whether there was one.
bool failed(GError* error) {
    if (!error)
        return false;
    g_error_free(error);
    return true;
}

class DesktopSecretStore : public Kopira::BackupSecretStore {
  public:
    bool available() override {
        // Without a session bus GLib would try to start one itself (dbus-launch), leaving a daemon behind.
        if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
            return true;
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
    }

    std::optional<QString> lookup(const QString& household) override {
        if (!available())
            return std::nullopt;
        GError* error = nullptr;
        const QByteArray key = household.toUtf8();
        gchar* found =
            secret_password_lookup_sync(schema(), nullptr, &error, "household", key.constData(), nullptr);
        if (failed(error) || !found)
            return std::nullopt;
        QString passphrase = QString::fromUtf8(found);
        secret_password_free(found);
        return passphrase;
    }

    bool store(const QString& household, const QString& passphrase) override {
        if (!available())
            return false;
        GError* error = nullptr;
        const QByteArray key = household.toUtf8();
        QByteArray text = passphrase.toUtf8();
        const QByteArray label = QStringLiteral("Tamberlo 自动备份的口令（%1）").arg(household).toUtf8();
        const gboolean stored = secret_password_store_sync(schema(), SECRET_COLLECTION_DEFAULT,
                                                           label.constData(), text.constData(), nullptr,
                                                           &error, "household", key.constData(), nullptr);
        text.fill('\0');
        return !failed(error) && stored;
    }

    bool clear(const QString& household) override {
        if (!available())
            return false;
        GError* error = nullptr;
        const QByteArray key = household.toUtf8();
        secret_password_clear_sync(schema(), nullptr, &error, "household", key.constData(), nullptr);
        return !failed(error);
    }
};

Kopira::BackupSecretStore* installed = nullptr;

}  // namespace

namespace Kopira {

BackupSecretStore& SecretStore() {
    static DesktopSecretStore desktop;
    return installed ? *installed : desktop;
}

void InstallSecretStore(BackupSecretStore* store) {
    installed = store;
}

QString SecretStoreKey(const Household& household) {
    return household.onServer() ? household.name() : QFileInfo(household.file).absoluteFilePath();
}

QString AutomaticBackupPassphrase(const Household& household) {
    BackupSecretStore& store = SecretStore();
    if (!store.available())
        return QString();
    return store.lookup(SecretStoreKey(household)).value_or(QString());
}

QString NoSecretServiceText() {
    return QStringLiteral("没有找到桌面的密码保管服务，自动备份仍以不加密的方式保存。");
}

}  // namespace Kopira
