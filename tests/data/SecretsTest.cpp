#include "data/Secrets.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QList>

#include <sodium.h>

TEST(Secrets, LoginHashesMatchTheSamePasswordInAnyLetterCaseAndNothingElse) {
    const Result<QByteArray> hash = HashLoginPassword(QStringLiteral("Abc密码123"));
    ASSERT_TRUE(hash) << hash.error().toStdString();
    EXPECT_TRUE(hash->startsWith("$argon2id$"));
    EXPECT_FALSE(hash->contains("Abc")) << "the hash holds no part of the password";
    EXPECT_TRUE(LoginPasswordMatches(*hash, QStringLiteral("abc密码123")));
    EXPECT_TRUE(LoginPasswordMatches(*hash, QStringLiteral("ABC密码123")));
    EXPECT_FALSE(LoginPasswordMatches(*hash, QStringLiteral("abc密码12")));
    EXPECT_FALSE(LoginPasswordMatches(*hash, QString()));
    EXPECT_FALSE(LoginPasswordMatches(QByteArray(), QString()));
    EXPECT_FALSE(LoginPasswordMatches(QByteArray(200, 'x'), QStringLiteral("abc")));
    // Two hashes of one password differ: each has a salt of its own.
    EXPECT_NE(*hash, *HashLoginPassword(QStringLiteral("Abc密码123")));
}

TEST(Secrets, TheHouseholdKeyReachesAUserThroughHisKeysAndOnlyWithHisPassword) {
    UserKeyPair made;
    const Result<StoredUserKeys> stored = MakeUserKeys(QStringLiteral("Pw-1"), &made);
    ASSERT_TRUE(stored) << stored.error().toStdString();
    const SecretKey household = SecretKey::random();
    const Result<QByteArray> sealed = SealHouseholdKey(household, stored->publicKey);
    ASSERT_TRUE(sealed);

    // At a login, in another letter case.
    const Result<UserKeyPair> opened = OpenUserKeys(*stored, QStringLiteral("pw-1"));
    ASSERT_TRUE(opened) << opened.error().toStdString();
    const Result<SecretKey> key = OpenHouseholdKey(*sealed, *opened);
    ASSERT_TRUE(key) << key.error().toStdString();
    const QByteArray bank = SealBankPassword(household, QStringLiteral("银行密码 6543"));
    EXPECT_FALSE(bank.contains("6543"));
    EXPECT_EQ(OpenBankPassword(*key, bank).value(), QStringLiteral("银行密码 6543"));

    EXPECT_FALSE(OpenUserKeys(*stored, QStringLiteral("Pw-2")));
    // After a password change the old password opens nothing, the new one the same keys.
    const Result<StoredUserKeys> resealed = ResealUserKeys(*opened, QStringLiteral("new"));
    ASSERT_TRUE(resealed);
    EXPECT_EQ(resealed->publicKey, stored->publicKey);
    EXPECT_FALSE(OpenUserKeys(*resealed, QStringLiteral("Pw-1")));
    EXPECT_TRUE(OpenHouseholdKey(*sealed, *OpenUserKeys(*resealed, QStringLiteral("NEW"))));

    // Another user's keys do not open a key sealed to this one.
    const Result<StoredUserKeys> other = MakeUserKeys(QStringLiteral("Pw-1"));
    EXPECT_FALSE(OpenHouseholdKey(*sealed, *OpenUserKeys(*other, QStringLiteral("Pw-1"))));
}

TEST(Secrets, ChangedOrMisplacedCiphertextIsRefused) {
    const SecretKey key = SecretKey::random();
    const QByteArray bank = SealBankPassword(key, QStringLiteral("123456"));
    EXPECT_TRUE(SealBankPassword(key, QString()).isEmpty());
    EXPECT_EQ(OpenBankPassword(key, QByteArray()).value(), QString());

    QByteArray changed = bank;
    changed[changed.size() - 3] = changed[changed.size() - 3] == 'A' ? 'B' : 'A';
    EXPECT_FALSE(OpenBankPassword(key, changed));
    EXPECT_FALSE(OpenBankPassword(SecretKey::random(), bank));
    EXPECT_FALSE(OpenBankPassword(SecretKey(), bank));
    EXPECT_FALSE(OpenBankPassword(key, "bp1$not base64!"));
    EXPECT_FALSE(OpenBankPassword(key, "123456")) << "a plain password is not taken as encrypted";
    // A bank password cannot stand in for a user's sealed secret or the other way round.
    EXPECT_FALSE(OpenBytes(key, bank, "bp1", "another context"));

    // A stored user key asking for weak limits is refused before any key is derived from it.
    StoredUserKeys stored = *MakeUserKeys(QStringLiteral("x"));
    QList<QByteArray> parts = stored.sealedSecret.split('$');
    parts[2] = "1024";
    stored.sealedSecret = parts.join('$');
    EXPECT_FALSE(OpenUserKeys(stored, QStringLiteral("x")));
}

// A login checks the hash and opens the user's keys: two Argon2id runs, well under 300 ms together. (Not
// with the initial password, whose hash and key are worked out in advance.)
TEST(Secrets, ALoginsWorthOfHashingStaysWellUnderAQuarterSecond) {
    const QByteArray hash = *HashLoginPassword(QStringLiteral("Mama-2024"));
    const StoredUserKeys stored = *MakeUserKeys(QStringLiteral("Mama-2024"));
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(LoginPasswordMatches(hash, QStringLiteral("mama-2024")));
    ASSERT_TRUE(OpenUserKeys(stored, QStringLiteral("MAMA-2024")));
    const qint64 ms = timer.elapsed();
    RecordProperty("login_hash_ms", static_cast<int>(ms));
    EXPECT_LT(ms, 1500) << "far above the 300 ms aim even for a loaded or sanitized build";
}

// The initial password's hash and key are worked out once in the program: they must be what libsodium
// itself gives, or a household would keep a hash no other program version could check.
TEST(Secrets, TheInitialPasswordsWorkedOutHashAndKeyAreLibsodiumsOwn) {
    const QByteArray hash = *HashLoginPassword(QStringLiteral("123"));
    EXPECT_EQ(crypto_pwhash_str_verify(hash.constData(), "123", 3), 0);
    EXPECT_NE(crypto_pwhash_str_verify(hash.constData(), "124", 3), 0);
    const QByteArray salt = QByteArrayLiteral("Tamberlo-001-123");
    const HashLimits limits = InteractiveLimits();
    unsigned char expected[SecretKey::kSize];
    ASSERT_EQ(crypto_pwhash(expected, sizeof expected, "123", 3,
                            reinterpret_cast<const unsigned char*>(salt.constData()), limits.passes,
                            limits.memoryBytes, crypto_pwhash_ALG_ARGON2ID13),
              0);
    const Result<SecretKey> key = DeriveKey(QStringLiteral("123"), salt, limits);
    ASSERT_TRUE(key);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(key->data()), SecretKey::kSize),
              QByteArray(reinterpret_cast<const char*>(expected), SecretKey::kSize));
}
