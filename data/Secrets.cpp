#include "data/Secrets.h"

#include <QList>

#include <sodium.h>

#include <sys/prctl.h>
#include <sys/resource.h>

#include <cstring>
#include <optional>

namespace {

constexpr char kUserSecretTag[] = "usk1";
constexpr char kPublicKeyTag[] = "pk1";
constexpr char kHouseholdKeyTag[] = "hk1";
constexpr char kBankPasswordTag[] = "bp1";

// Bound to every sealed user secret and bank password, so that one kind cannot stand for the other.
const QByteArray kUserSecretContext = QByteArrayLiteral("Tamberlo user secret key");
const QByteArray kBankPasswordContext = QByteArrayLiteral("Tamberlo bank password");

QByteArray toBase64(const QByteArray& bytes) {
    return bytes.toBase64(QByteArray::Base64Encoding | QByteArray::OmitTrailingEquals);
}

// The part after "<tag>$" of a stored form, or nothing when the tag differs.
std::optional<QByteArray> untag(const QByteArray& stored, const char* tag) {
    const QByteArray prefix = QByteArray(tag) + '$';
    if (!stored.startsWith(prefix))
        return std::nullopt;
    return stored.mid(prefix.size());
}

std::optional<QByteArray> fromBase64(const QByteArray& text) {
    auto decoded = QByteArray::fromBase64Encoding(
        text, QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    return decoded.decoded;
}

Status damaged(const char* what) {
    return Status::failure(QStringLiteral("保存的%1已损坏，无法读出").arg(QString::fromUtf8(what)));
}

// The bytes of a text, wiped by the caller's WipeBytes once used.
QByteArray utf8Of(const QString& text) {
    return text.toUtf8();
}

// The initial user's password is printed on the login window of a new household, so nothing is kept
// secret by hashing it anew for every household and at every login: its hash and the key its user's
// secret is sealed under (with a salt of its own) are worked out once, here. Any other password, and
// this one as soon as it is changed, is hashed with a fresh salt.
constexpr char kInitialPassword[] = "123";
const QByteArray kInitialHash = QByteArrayLiteral(
    "$argon2id$v=19$m=65536,t=2,p=1$cyPb6HqzNhMtvmE2f6YFJw$qxfT03es8w0+Cxhi0u2lrodjljuARKgxMcXX1TWBuzk");
const QByteArray kInitialSalt = QByteArrayLiteral("Tamberlo-001-123");
constexpr unsigned char kInitialKey[32] = {0x15, 0xfb, 0x45, 0xc6, 0xfc, 0x18, 0xfe, 0x97, 0x04, 0xc1, 0xb0,
                                           0x55, 0x95, 0x8e, 0x0c, 0xc1, 0x19, 0xd3, 0x73, 0x85, 0x74, 0x69,
                                           0xf1, 0x02, 0xde, 0x56, 0x1c, 0x32, 0xff, 0x2f, 0x42, 0x15};

bool isInitialPassword(const QString& text) {
    return text == QLatin1String(kInitialPassword);
}

void wipeBytes(QByteArray& bytes) {
    if (!bytes.isEmpty())
        sodium_memzero(bytes.data(), static_cast<size_t>(bytes.size()));
    bytes.clear();
}

}  // namespace

HashLimits InteractiveLimits() {
    return {crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE};
}

bool LimitsAreSafe(const HashLimits& limits) {
    // OWASP's floor for Argon2id is 19 MiB with 2 passes; the ceiling keeps a tampered file from
    // asking for more memory than a desktop has.
    return limits.passes >= 2 && limits.passes <= 64 && limits.memoryBytes >= 19u * 1024u * 1024u &&
           limits.memoryBytes <= 4096ull * 1024u * 1024u;
}

bool SecretsReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

QString FoldPasswordCase(const QString& typed) {
    // The letters A to Z only, as the login has always compared (the file's NOCASE, the server's lower()
    // under the "C" collation).
    QString folded = typed;
    for (QChar& c : folded) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return folded;
}

Result<QByteArray> HashLoginPassword(const QString& typed) {
    if (!SecretsReady())
        return Result<QByteArray>::failure(QStringLiteral("无法启用加密库 libsodium"));
    if (isInitialPassword(typed))
        return kInitialHash;
    QByteArray folded = utf8Of(FoldPasswordCase(typed));
    char hash[crypto_pwhash_STRBYTES];
    const HashLimits limits = InteractiveLimits();
    const int rc = crypto_pwhash_str(hash, folded.constData(), static_cast<unsigned long long>(folded.size()),
                                     limits.passes, limits.memoryBytes);
    wipeBytes(folded);
    if (rc != 0)
        return Result<QByteArray>::failure(QStringLiteral("内存不足，无法计算密码的散列值"));
    return QByteArray(hash);
}

bool LoginPasswordMatches(const QByteArray& storedHash, const QString& typed) {
    if (!SecretsReady() || storedHash.isEmpty() || storedHash.size() >= crypto_pwhash_STRBYTES)
        return false;
    if (storedHash == kInitialHash)
        return isInitialPassword(FoldPasswordCase(typed));
    char hash[crypto_pwhash_STRBYTES] = {};
    std::memcpy(hash, storedHash.constData(), static_cast<size_t>(storedHash.size()));
    QByteArray folded = utf8Of(FoldPasswordCase(typed));
    const bool matches = crypto_pwhash_str_verify(hash, folded.constData(),
                                                  static_cast<unsigned long long>(folded.size())) == 0;
    wipeBytes(folded);
    return matches;
}

SecretKey SecretKey::random() {
    SecretKey key;
    if (!SecretsReady())
        return key;
    unsigned char bytes[kSize];
    randombytes_buf(bytes, sizeof bytes);
    key = fromBytes(bytes);
    sodium_memzero(bytes, sizeof bytes);
    return key;
}

SecretKey SecretKey::fromBytes(const unsigned char* bytes) {
    SecretKey key;
    auto* memory = new unsigned char[kSize];
    sodium_mlock(memory, kSize);
    std::memcpy(memory, bytes, kSize);
    key.bytes_ = std::shared_ptr<unsigned char>(memory, [](unsigned char* p) {
        sodium_munlock(p, kSize);  // wipes as well
        delete[] p;
    });
    return key;
}

QByteArray SealBytes(const SecretKey& key, const QByteArray& plain, const char* tag,
                     const QByteArray& context) {
    if (key.isEmpty() || !SecretsReady())
        return {};
    QByteArray out(crypto_aead_xchacha20poly1305_ietf_NPUBBYTES + plain.size() +
                       crypto_aead_xchacha20poly1305_ietf_ABYTES,
                   Qt::Uninitialized);
    auto* nonce = reinterpret_cast<unsigned char*>(out.data());
    randombytes_buf(nonce, crypto_aead_xchacha20poly1305_ietf_NPUBBYTES);
    unsigned long long written = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(nonce + crypto_aead_xchacha20poly1305_ietf_NPUBBYTES, &written,
                                               reinterpret_cast<const unsigned char*>(plain.constData()),
                                               static_cast<unsigned long long>(plain.size()),
                                               reinterpret_cast<const unsigned char*>(context.constData()),
                                               static_cast<unsigned long long>(context.size()), nullptr,
                                               nonce, key.data());
    return QByteArray(tag) + '$' + toBase64(out);
}

Result<QByteArray> OpenBytes(const SecretKey& key, const QByteArray& sealed, const char* tag,
                             const QByteArray& context) {
    const auto body = untag(sealed, tag);
    const auto raw = body ? fromBase64(*body) : std::nullopt;
    constexpr int overhead =
        crypto_aead_xchacha20poly1305_ietf_NPUBBYTES + crypto_aead_xchacha20poly1305_ietf_ABYTES;
    if (!raw || raw->size() < overhead)
        return damaged("密文");
    if (key.isEmpty() || !SecretsReady())
        return Result<QByteArray>::failure(QStringLiteral("没有打开它的钥匙"));
    const auto* nonce = reinterpret_cast<const unsigned char*>(raw->constData());
    QByteArray plain(raw->size() - overhead, Qt::Uninitialized);
    unsigned long long length = 0;
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(
            reinterpret_cast<unsigned char*>(plain.data()), &length, nullptr,
            nonce + crypto_aead_xchacha20poly1305_ietf_NPUBBYTES,
            static_cast<unsigned long long>(raw->size() - crypto_aead_xchacha20poly1305_ietf_NPUBBYTES),
            reinterpret_cast<const unsigned char*>(context.constData()),
            static_cast<unsigned long long>(context.size()), nonce, key.data()) != 0)
        return Result<QByteArray>::failure(QStringLiteral("钥匙不对，或者密文被改动过"));
    plain.resize(static_cast<qsizetype>(length));
    return plain;
}

int SaltLength() {
    return crypto_pwhash_SALTBYTES;
}

QByteArray NewSalt() {
    QByteArray salt(SaltLength(), Qt::Uninitialized);
    if (SecretsReady())
        randombytes_buf(salt.data(), static_cast<size_t>(salt.size()));
    return salt;
}

Result<SecretKey> DeriveKey(const QString& secret, const QByteArray& salt, const HashLimits& limits) {
    if (!SecretsReady())
        return Result<SecretKey>::failure(QStringLiteral("无法启用加密库 libsodium"));
    if (salt.size() != SaltLength() || !LimitsAreSafe(limits))
        return damaged("密钥参数");
    const HashLimits usual = InteractiveLimits();
    if (salt == kInitialSalt && isInitialPassword(secret) && limits.passes == usual.passes &&
        limits.memoryBytes == usual.memoryBytes)
        return SecretKey::fromBytes(kInitialKey);
    QByteArray text = utf8Of(secret);
    unsigned char bytes[SecretKey::kSize];
    const int rc =
        crypto_pwhash(bytes, sizeof bytes, text.constData(), static_cast<unsigned long long>(text.size()),
                      reinterpret_cast<const unsigned char*>(salt.constData()), limits.passes,
                      limits.memoryBytes, crypto_pwhash_ALG_ARGON2ID13);
    wipeBytes(text);
    if (rc != 0)
        return Result<SecretKey>::failure(QStringLiteral("内存不足，无法由密码导出钥匙"));
    SecretKey key = SecretKey::fromBytes(bytes);
    sodium_memzero(bytes, sizeof bytes);
    return key;
}

namespace {

Result<StoredUserKeys> sealUserSecret(const QByteArray& publicKey, const SecretKey& secretKey,
                                      const QString& password) {
    const QString folded = FoldPasswordCase(password);
    const QByteArray salt = isInitialPassword(folded) ? kInitialSalt : NewSalt();
    const HashLimits limits = InteractiveLimits();
    const Result<SecretKey> wrapping = DeriveKey(folded, salt, limits);
    if (!wrapping)
        return wrapping.status();
    const QByteArray secret(reinterpret_cast<const char*>(secretKey.data()), SecretKey::kSize);
    QByteArray sealed = SealBytes(wrapping.value(), secret, "k", kUserSecretContext + publicKey);
    QByteArray wipe = secret;
    wipeBytes(wipe);
    StoredUserKeys stored;
    stored.publicKey = StoredPublicKey(publicKey);
    stored.sealedSecret = QByteArray(kUserSecretTag) + '$' + QByteArray::number(limits.passes) + '$' +
                          QByteArray::number(static_cast<qulonglong>(limits.memoryBytes)) + '$' +
                          toBase64(salt) + '$' + sealed.mid(2);
    return stored;
}

std::optional<QByteArray> publicKeyBytes(const QByteArray& stored) {
    const auto body = untag(stored, kPublicKeyTag);
    auto raw = body ? fromBase64(*body) : std::nullopt;
    if (!raw || raw->size() != crypto_box_PUBLICKEYBYTES)
        return std::nullopt;
    return raw;
}

}  // namespace

Result<StoredUserKeys> MakeUserKeys(const QString& password, UserKeyPair* keysOut) {
    if (!SecretsReady())
        return Result<StoredUserKeys>::failure(QStringLiteral("无法启用加密库 libsodium"));
    unsigned char publicKey[crypto_box_PUBLICKEYBYTES];
    unsigned char secretKey[crypto_box_SECRETKEYBYTES];
    crypto_box_keypair(publicKey, secretKey);
    UserKeyPair keys{QByteArray(reinterpret_cast<const char*>(publicKey), sizeof publicKey),
                     SecretKey::fromBytes(secretKey)};
    sodium_memzero(secretKey, sizeof secretKey);
    Result<StoredUserKeys> stored = sealUserSecret(keys.publicKey, keys.secretKey, password);
    if (stored && keysOut)
        *keysOut = keys;
    return stored;
}

Result<UserKeyPair> OpenUserKeys(const StoredUserKeys& stored, const QString& password) {
    const auto publicKey = publicKeyBytes(stored.publicKey);
    const auto body = untag(stored.sealedSecret, kUserSecretTag);
    const QList<QByteArray> parts = body ? body->split('$') : QList<QByteArray>();
    if (!publicKey || parts.size() != 4)
        return damaged("用户钥匙");
    bool passesOk = false;
    bool memoryOk = false;
    const HashLimits limits{parts[0].toULongLong(&passesOk),
                            static_cast<size_t>(parts[1].toULongLong(&memoryOk))};
    const auto salt = fromBase64(parts[2]);
    if (!passesOk || !memoryOk || !salt)
        return damaged("用户钥匙");
    const Result<SecretKey> wrapping = DeriveKey(FoldPasswordCase(password), *salt, limits);
    if (!wrapping)
        return wrapping.status();
    Result<QByteArray> secret =
        OpenBytes(wrapping.value(), "k$" + parts[3], "k", kUserSecretContext + *publicKey);
    if (!secret)
        return secret.status();
    if (secret->size() != SecretKey::kSize)
        return damaged("用户钥匙");
    UserKeyPair keys{*publicKey,
                     SecretKey::fromBytes(reinterpret_cast<const unsigned char*>(secret->constData()))};
    wipeBytes(secret.value());
    return keys;
}

QByteArray StoredPublicKey(const QByteArray& publicKey) {
    return QByteArray(kPublicKeyTag) + '$' + toBase64(publicKey);
}

Result<StoredUserKeys> ResealUserKeys(const UserKeyPair& keys, const QString& newPassword) {
    return sealUserSecret(keys.publicKey, keys.secretKey, newPassword);
}

Result<QByteArray> SealHouseholdKey(const SecretKey& householdKey, const QByteArray& storedPublicKey) {
    const auto publicKey = publicKeyBytes(storedPublicKey);
    if (!publicKey)
        return damaged("用户公钥");
    if (householdKey.isEmpty() || !SecretsReady())
        return Result<QByteArray>::failure(QStringLiteral("没有家庭钥匙可以交出"));
    QByteArray sealed(crypto_box_SEALBYTES + SecretKey::kSize, Qt::Uninitialized);
    crypto_box_seal(reinterpret_cast<unsigned char*>(sealed.data()), householdKey.data(), SecretKey::kSize,
                    reinterpret_cast<const unsigned char*>(publicKey->constData()));
    return QByteArray(kHouseholdKeyTag) + '$' + toBase64(sealed);
}

Result<SecretKey> OpenHouseholdKey(const QByteArray& sealed, const UserKeyPair& keys) {
    const auto body = untag(sealed, kHouseholdKeyTag);
    const auto raw = body ? fromBase64(*body) : std::nullopt;
    if (!raw || raw->size() != crypto_box_SEALBYTES + SecretKey::kSize ||
        keys.publicKey.size() != crypto_box_PUBLICKEYBYTES)
        return damaged("家庭钥匙");
    if (keys.secretKey.isEmpty() || !SecretsReady())
        return Result<SecretKey>::failure(QStringLiteral("没有打开家庭钥匙的用户钥匙"));
    unsigned char key[SecretKey::kSize];
    if (crypto_box_seal_open(key, reinterpret_cast<const unsigned char*>(raw->constData()),
                             static_cast<unsigned long long>(raw->size()),
                             reinterpret_cast<const unsigned char*>(keys.publicKey.constData()),
                             keys.secretKey.data()) != 0)
        return Result<SecretKey>::failure(QStringLiteral("家庭钥匙不是交给这位用户的，或者被改动过"));
    SecretKey householdKey = SecretKey::fromBytes(key);
    sodium_memzero(key, sizeof key);
    return householdKey;
}

QByteArray SealBankPassword(const SecretKey& householdKey, const QString& password) {
    if (password.isEmpty())
        return {};
    QByteArray plain = utf8Of(password);
    QByteArray sealed = SealBytes(householdKey, plain, kBankPasswordTag, kBankPasswordContext);
    wipeBytes(plain);
    return sealed;
}

Result<QString> OpenBankPassword(const SecretKey& householdKey, const QByteArray& sealed) {
    if (sealed.isEmpty())
        return QString();
    Result<QByteArray> plain = OpenBytes(householdKey, sealed, kBankPasswordTag, kBankPasswordContext);
    if (!plain)
        return plain.status();
    QString text = QString::fromUtf8(plain.value());
    wipeBytes(plain.value());
    return text;
}

void WipeText(QString& text) {
    // A string shared with another copy is left to that copy; wiping here would only wipe a new copy.
    if (!text.isEmpty() && text.isDetached())
        sodium_memzero(text.data(), static_cast<size_t>(text.size()) * sizeof(QChar));
    text.clear();
}

bool KeepSecretsOutOfCrashDumps() {
    // No core file of any size, and the process marked not dumpable: the latter also holds when the
    // system pipes core dumps to a collector, which a zero size limit alone does not stop.
    const rlimit none{0, 0};
    const bool limited = setrlimit(RLIMIT_CORE, &none) == 0;
    return prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0 && limited;
}
